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
            &ServiceWorker::proxyCredentialsNeeded);
    connect(m_network, &QNetworkAccessManager::authenticationRequired, this,
            [] { qCDebug(lcCloud) << "Require Authenication"; });
    connect(m_network, &QNetworkAccessManager::sslErrors, this, &ServiceWorker::logSslErrors);
    return m_network;
}

void ServiceWorker::postData(quint64 exchange, const QNetworkRequest& request, const QByteArray& body, int deadlineMs)
{
    watch(exchange, network()->post(request, body), deadlineMs);
}

void ServiceWorker::postForm(quint64 exchange, const QNetworkRequest& request, QHttpMultiPart* form, int deadlineMs)
{
    QNetworkReply* reply = network()->post(request, form);
    form->setParent(reply);
    watch(exchange, reply, deadlineMs);
}

void ServiceWorker::watch(quint64 exchange, QNetworkReply* reply, int deadlineMs)
{
    ReplyGuard::watch(reply, deadlineMs);
    connect(reply, &QNetworkReply::finished, this, [this, exchange, reply] { answer(exchange, reply); });
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

void ServiceWorker::answer(quint64 exchange, QNetworkReply* reply)
{
    ServiceReply::Answer answer;
    answer.url = reply->url();
    answer.statusCode = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.reasonPhrase = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    answer.error = reply->error();
    answer.cutReason = ReplyGuard::cutReason(reply);
    answer.body = ReplyGuard::bodyOf(reply);
    qCDebug(lcCloud) << QStringLiteral("Reply Error %1, Status Code %2").arg(answer.error).arg(answer.statusCode);
    qCDebug(lcCloud) << "URL-> " << answer.url;
    emit answered(exchange, answer);
    reply->deleteLater();
}

void ServiceWorker::logSslErrors(QNetworkReply*, const QList<QSslError>& errors)
{
    for (const QSslError& error : errors)
        qCDebug(lcCloud) << "SSL Error: " << error.errorString();
}
