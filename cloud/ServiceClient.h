#pragma once

#include "ServiceExchange.h"

#include <QList>
#include <QObject>
#include <QSslError>

class QAuthenticator;
class QHttpMultiPart;
class QNetworkAccessManager;
class QNetworkProxy;
class QNetworkReply;
class QNetworkRequest;
class QUrl;

// The wizard's side of every exchange with the service: one network manager that never
// follows a redirect, each request under a ReplyGuard, and each finished reply sorted
// once into success, HTTP failure (a status other than 2xx) or network failure (its
// error, or why the guard cut it). The reply is deleted once its signal has been
// handled.
class ServiceClient : public QObject
{
    Q_OBJECT

public:
    using RawHeaders = ServiceExchange::RawHeaders;

    static constexpr int DefaultReplyDeadlineMs = 30000;

    explicit ServiceClient(QObject* parent = nullptr);

    // How long one exchange may take before it counts as a network failure.
    void setReplyDeadline(int milliseconds);

    // POSTs the indented JSON text of body with "Content-Type" and "Content-Length",
    // with the given raw headers before and after those two.
    QNetworkReply* postJson(const QUrl& url, const QJsonObject& body, const RawHeaders& before = {},
                            const RawHeaders& after = {});
    // POSTs a multipart form, which then belongs to the reply.
    QNetworkReply* postForm(const QNetworkRequest& request, QHttpMultiPart* form);
    // postJson, in the form the two-step exchanges take.
    ServiceExchange::Post poster();

signals:
    void succeeded(QNetworkReply* reply);
    void httpFailed(int statusCode, QNetworkReply* reply);
    void networkFailed(int errorCode, QNetworkReply* reply);
    // The proxy asks who the user is: fill in the authenticator before returning, or
    // leave it empty to give up.
    void proxyCredentialsNeeded(const QNetworkProxy& proxy, QAuthenticator* authenticator);

private:
    QNetworkAccessManager* network();
    QNetworkReply* guarded(QNetworkReply* reply);
    void reportOutcome(QNetworkReply* reply);
    void logAuthentication(QNetworkReply* reply, QAuthenticator* authenticator);
    void logSslErrors(QNetworkReply* reply, const QList<QSslError>& errors);

    QNetworkAccessManager* m_network = nullptr;
    int m_replyDeadlineMs = DefaultReplyDeadlineMs;
};
