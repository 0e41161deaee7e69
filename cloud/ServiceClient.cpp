#include "ServiceClient.h"

#include "BearerPlugins.h"
#include "CloudLog.h"
#include "ReplyGuard.h"
#include "ServiceHosts.h"
#include "ServiceProxy.h"

#include <QAuthenticator>
#include <QHttpMultiPart>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {
// The network stack is readied when the first exchange needs it, not before the first
// screen: the TLS library and the trusted authorities are loaded, and a missing TLS
// library reported, with the first request.
void prepareTlsOnce()
{
    static const bool prepared = (ServiceHosts::installExtraCaCertificates(), true);
    Q_UNUSED(prepared);
}
}

ServiceClient::ServiceClient(QObject* parent)
    : QObject(parent)
{
}

// Made for the first request: most screens never send one.
QNetworkAccessManager* ServiceClient::network()
{
    if (m_network)
        return m_network;
    BearerPlugins::neverLoad();
    prepareTlsOnce();
    m_network = new QNetworkAccessManager(this);
    qRegisterMetaType<QNetworkReply*>("QNetworkReply*");
    qRegisterMetaType<QList<QSslError>>("QList<QSslError>");
    // A redirect is a failure here; it is never followed.
    m_network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    m_network->setProxyFactory(new ServiceProxy);
    connect(m_network, &QNetworkAccessManager::proxyAuthenticationRequired, this,
            &ServiceClient::proxyCredentialsNeeded);
    connect(m_network, &QNetworkAccessManager::authenticationRequired, this, &ServiceClient::logAuthentication);
    connect(m_network, &QNetworkAccessManager::finished, this, &ServiceClient::reportOutcome);
    connect(m_network, &QNetworkAccessManager::sslErrors, this, &ServiceClient::logSslErrors);
    return m_network;
}

void ServiceClient::setReplyDeadline(int milliseconds)
{
    m_replyDeadlineMs = milliseconds;
}

QNetworkReply* ServiceClient::postJson(const QUrl& url, const QJsonObject& body, const RawHeaders& before,
                                       const RawHeaders& after)
{
    const QByteArray text = QJsonDocument(body).toJson();
    QNetworkRequest request(url);
    for (const auto& header : before)
        request.setRawHeader(header.first, header.second);
    request.setRawHeader("Content-Type", "application/json");
    request.setRawHeader("Content-Length", QByteArray::number(text.size()));
    for (const auto& header : after)
        request.setRawHeader(header.first, header.second);
    return guarded(network()->post(request, text));
}

QNetworkReply* ServiceClient::postForm(const QNetworkRequest& request, QHttpMultiPart* form)
{
    QNetworkReply* reply = guarded(network()->post(request, form));
    form->setParent(reply);
    return reply;
}

QNetworkReply* ServiceClient::guarded(QNetworkReply* reply)
{
    ReplyGuard::watch(reply, m_replyDeadlineMs);
    return reply;
}

ServiceExchange::Post ServiceClient::poster()
{
    return [this](const QUrl& url, const QJsonObject& body, const RawHeaders& before, const RawHeaders& after) {
        return postJson(url, body, before, after);
    };
}

void ServiceClient::reportOutcome(QNetworkReply* reply)
{
    const int errorCode = reply->error();
    const int statusCode = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    qCDebug(lcCloud) << QStringLiteral("Reply Error %1, Status Code %2").arg(errorCode).arg(statusCode);
    qCDebug(lcCloud) << "URL-> " << reply->url();
    if (const QNetworkReply::NetworkError cut = ReplyGuard::cutReason(reply))
        emit networkFailed(cut, reply);
    else if (statusCode / 100 != 2)
        emit httpFailed(statusCode, reply);
    else if (errorCode != QNetworkReply::NoError)
        emit networkFailed(errorCode, reply);
    else
        emit succeeded(reply);
    reply->deleteLater();
}

void ServiceClient::logAuthentication(QNetworkReply*, QAuthenticator*)
{
    qCDebug(lcCloud) << "Require Authenication";
}

void ServiceClient::logSslErrors(QNetworkReply*, const QList<QSslError>& errors)
{
    for (const QSslError& error : errors)
        qCDebug(lcCloud) << "SSL Error: " << error.errorString();
}
