#include "ServiceExchange.h"

#include "ReplyGuard.h"

#include <QJsonDocument>

#include <algorithm>

namespace ServiceExchange {

QJsonObject bodyOf(QNetworkReply* reply)
{
    return QJsonDocument::fromJson(ReplyGuard::bodyOf(reply)).object();
}

namespace {
// Visible ASCII less what would end or split a header parameter.
bool fitsAHeaderParameter(QChar c)
{
    return c.unicode() > 0x20 && c.unicode() < 0x7f && !QStringLiteral("\",;=\\").contains(c);
}
}

bool requiredText(const QJsonObject& body, const QString& key, QString& value)
{
    const QJsonValue member = body.value(key);
    if (!member.isString() || member.toString().isEmpty())
        return false;
    const QString text = member.toString();
    if (!std::all_of(text.cbegin(), text.cend(), fitsAHeaderParameter))
        return false;
    value = text;
    return true;
}

QStringList requiredTexts(const QJsonObject& body, const QStringList& keys)
{
    QStringList values;
    for (const QString& key : keys) {
        QString value;
        if (!requiredText(body, key, value))
            return {};
        values.append(value);
    }
    return values;
}

}
