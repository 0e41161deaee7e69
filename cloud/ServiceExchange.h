#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

class QUrl;
class ServiceReply;

// What the two-step exchanges with the service share: how they send, and how they
// read what the next step needs from a reply.
namespace ServiceExchange {

using RawHeaders = QList<QPair<QByteArray, QByteArray>>;
// POSTs a JSON body with the given raw headers before and after the content headers.
using Post = std::function<ServiceReply*(const QUrl& url, const QJsonObject& body, const RawHeaders& before,
                                         const RawHeaders& after)>;

// The reply's body as a JSON object; empty when it is not one.
QJsonObject bodyOf(const ServiceReply* reply);
// A member the next step needs: a non-empty string of at most 4 KiB of HTTP token
// characters, as identifiers and tokens are (it may end up in a header parameter).
// False when the service sent anything else.
bool requiredText(const QJsonObject& body, const QString& key, QString& value);
// The members named, in that order; none when any of them is unusable.
QStringList requiredTexts(const QJsonObject& body, const QStringList& keys);

}
