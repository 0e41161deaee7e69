#include "ServiceClient.h"

#include "BearerPlugins.h"
#include "CloudLog.h"
#include "ServiceHosts.h"
#include "ServiceWorker.h"

#include <QAuthenticator>
#include <QHttpMultiPart>
#include <QJsonDocument>
#include <QNetworkProxy>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>

namespace {
// The network stack is readied when the first exchange needs it, not before the first
// screen: the TLS library and the trusted authorities are loaded, and a missing TLS
// library reported, with the first request.
void prepareTlsOnce()
{
    static const bool prepared = (ServiceHosts::installExtraCaCertificates(), true);
    Q_UNUSED(prepared);
}

// The network thread ends every exchange by its deadline; one that has not answered
// this much later is held up by a reply it cannot put down.
constexpr int HeldUpAfterDeadlineMs = 1000;
// How long a client that goes waits for its network thread to end. An idle one ends at
// once; only one held up by a reply takes longer, and is left to end on its own.
constexpr int EndGraceMs = 2000;
}

ServiceClient::ServiceClient(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<ServiceReply::Answer>();
    qRegisterMetaType<QNetworkProxy>();
    qRegisterMetaType<QAuthenticator*>();
}

ServiceClient::~ServiceClient()
{
    if (!m_thread)
        return;
    QMetaObject::invokeMethod(m_worker, &ServiceWorker::abortAll);
    m_thread->quit();
    if (m_thread->wait(EndGraceMs))
        delete m_thread;
    else
        qCWarning(lcCloud) << "The network thread is still reading a reply; it is left to end on its own";
}

// Made for the first request: most screens never send one.
ServiceWorker* ServiceClient::worker()
{
    if (m_worker)
        return m_worker;
    BearerPlugins::neverLoad();
    prepareTlsOnce();
    // Without a parent: a thread held up by a reply may outlive the client.
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("Ravelo service"));
    m_worker = new ServiceWorker;
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    connect(m_worker, &ServiceWorker::answered, this, &ServiceClient::take);
    connect(m_worker, &ServiceWorker::proxyCredentialsNeeded, this, &ServiceClient::proxyCredentialsNeeded,
            Qt::BlockingQueuedConnection);
    m_thread->start();
    return m_worker;
}

void ServiceClient::setReplyDeadline(int milliseconds)
{
    m_replyDeadlineMs = milliseconds;
}

ServiceReply* ServiceClient::postJson(const QUrl& url, const QJsonObject& body, const RawHeaders& before,
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
    const quint64 exchange = ++m_lastExchange;
    ServiceWorker* target = worker();
    const int deadlineMs = m_replyDeadlineMs;
    QMetaObject::invokeMethod(target, [=] { target->postData(exchange, request, text, deadlineMs); });
    return expect(exchange, url);
}

ServiceReply* ServiceClient::postForm(const QNetworkRequest& request, QHttpMultiPart* form)
{
    const quint64 exchange = ++m_lastExchange;
    ServiceWorker* target = worker();
    const int deadlineMs = m_replyDeadlineMs;
    form->moveToThread(m_thread);
    QMetaObject::invokeMethod(target, [=] { target->postForm(exchange, request, form, deadlineMs); });
    return expect(exchange, request.url());
}

ServiceReply* ServiceClient::expect(quint64 exchange, const QUrl& url)
{
    auto* reply = new ServiceReply(url, this);
    m_pending.insert(exchange, reply);
    QTimer::singleShot(m_replyDeadlineMs + HeldUpAfterDeadlineMs, reply, [this, exchange] { giveUpOn(exchange); });
    return reply;
}

ServiceExchange::Post ServiceClient::poster()
{
    return [this](const QUrl& url, const QJsonObject& body, const RawHeaders& before, const RawHeaders& after) {
        return postJson(url, body, before, after);
    };
}

void ServiceClient::take(quint64 exchange, const ServiceReply::Answer& answer)
{
    const QPointer<ServiceReply> reply = m_pending.take(exchange);
    if (!reply)
        return;
    reply->answer(answer);
    reportOutcome(reply);
}

// Qt reads a reply's header block in one call, which thousands of cookies keep busy for
// minutes: the exchange ends here, as timed out, and the thread is left to it.
void ServiceClient::giveUpOn(quint64 exchange)
{
    const QPointer<ServiceReply> reply = m_pending.value(exchange);
    if (!reply)
        return;
    qCWarning(lcCloud) << "The service's reply holds up the network thread; the exchange is given up";
    leaveWorker();
    ServiceReply::Answer timedOut;
    timedOut.url = reply->url();
    timedOut.error = QNetworkReply::TimeoutError;
    timedOut.cutReason = QNetworkReply::TimeoutError;
    take(exchange, timedOut);
}

void ServiceClient::leaveWorker()
{
    disconnect(m_worker, nullptr, this, nullptr);
    m_thread->quit();
    m_thread = nullptr;
    m_worker = nullptr;
}

void ServiceClient::reportOutcome(ServiceReply* reply)
{
    if (const QNetworkReply::NetworkError cut = reply->cutReason())
        emit networkFailed(cut, reply);
    else if (reply->statusCode() / 100 != 2)
        emit httpFailed(reply->statusCode(), reply);
    else if (reply->error() != QNetworkReply::NoError)
        emit networkFailed(reply->error(), reply);
    else
        emit succeeded(reply);
    reply->deleteLater();
}
