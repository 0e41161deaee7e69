#include "ServiceWorker.h"

#include "CloudLog.h"
#include "ReplyGuard.h"
#include "ServiceProxy.h"

#include <QHttpMultiPart>
#include <QNetworkAccessManager>
#include <QNetworkRequest>

QNetworkAccessManager* ServiceWorker::network()
{
    if (m_network)
        return m_network;
    m_network = new QNetworkAccessManager(this);
    // A redirect is a failure here; it is never followed.
    m_network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    m_network->setProxyFactory(new ServiceProxy);
    connect(m_network, &QNetworkAccessManager::proxyAuthenticationRequired, this,
            &ServiceWorker::askForProxyCredentials);
    connect(m_network, &QNetworkAccessManager::authenticationRequired, this,
            [] { qCDebug(lcCloud) << "Require Authenication"; });
    connect(m_network, &QNetworkAccessManager::sslErrors, this, &ServiceWorker::logSslErrors);
    return m_network;
}

void ServiceWorker::postData(quint64 exchange, const QNetworkRequest& request, const QByteArray& body, int deadlineMs)
{
    send({exchange, request, body, nullptr, deadlineMs});
}

void ServiceWorker::postForm(quint64 exchange, const QNetworkRequest& request, QHttpMultiPart* form, int deadlineMs)
{
    send({exchange, request, QByteArray(), form, deadlineMs});
}

void ServiceWorker::send(const Outgoing& outgoing)
{
    QNetworkReply* reply = outgoing.form ? network()->post(outgoing.request, outgoing.form)
                                         : network()->post(outgoing.request, outgoing.body);
    if (outgoing.form)
        outgoing.form->setParent(reply);
    ReplyGuard::watch(reply, outgoing.deadlineMs);
    connect(reply, &QNetworkReply::finished, this, [this, outgoing, reply] { answer(outgoing, reply); });
}

// The authenticator is never filled in: Qt would then send the CONNECT again on the same
// connection, which Qt 5 takes to be kept open unless the proxy says it will close it,
// and a proxy that closes it unannounced crashes the wizard. The exchange fails instead,
// and is sent again with the credentials in its first CONNECT.
void ServiceWorker::askForProxyCredentials(const QNetworkProxy& proxy)
{
    QAuthenticator given;
    emit proxyCredentialsNeeded(proxy, &given);
    m_proxyCredentialsGiven = !given.user().isEmpty();
}

void ServiceWorker::abortAll()
{
    if (!m_network)
        return;
    for (QNetworkReply* reply : m_network->findChildren<QNetworkReply*>()) {
        disconnect(reply, &QNetworkReply::finished, this, nullptr);
        reply->abort();
    }
}

void ServiceWorker::answer(const Outgoing& outgoing, QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply->error() == QNetworkReply::ProxyAuthenticationRequiredError && m_proxyCredentialsGiven) {
        m_proxyCredentialsGiven = false;
        // A cached connection keeps the proxy it was made with, without the credentials.
        m_network->clearConnectionCache();
        if (outgoing.form)
            outgoing.form->setParent(nullptr);
        send(outgoing);
        return;
    }
    ServiceReply::Answer answer;
    answer.url = reply->url();
    answer.statusCode = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.reasonPhrase = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    answer.error = reply->error();
    answer.cutReason = ReplyGuard::cutReason(reply);
    answer.body = ReplyGuard::bodyOf(reply);
    qCDebug(lcCloud) << QStringLiteral("Reply Error %1, Status Code %2").arg(answer.error).arg(answer.statusCode);
    qCDebug(lcCloud) << "URL-> " << answer.url;
    emit answered(outgoing.exchange, answer);
}

void ServiceWorker::logSslErrors(QNetworkReply*, const QList<QSslError>& errors)
{
    for (const QSslError& error : errors)
        qCDebug(lcCloud) << "SSL Error: " << error.errorString();
}
