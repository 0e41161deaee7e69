#pragma once

#include "ServiceExchange.h"
#include "ServiceReply.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class QAuthenticator;
class QHttpMultiPart;
class QNetworkProxy;
class QNetworkRequest;
class QThread;
class QUrl;
class ServiceWorker;

// The wizard's side of every exchange with the service. The requests go out on a
// network thread of the client's own (made with the first request); each ended exchange
// comes back here, is sorted once into success, HTTP failure (a status other than 2xx)
// or network failure (its error, or why it was cut), and its reply is deleted once the
// signal has been handled. An exchange the network thread does not end by its deadline
// is ended here, and that thread is left to finish on its own: the next request gets a
// new one.
class ServiceClient : public QObject
{
    Q_OBJECT

public:
    using RawHeaders = ServiceExchange::RawHeaders;

    static constexpr int DefaultReplyDeadlineMs = 30000;

    explicit ServiceClient(QObject* parent = nullptr);
    ~ServiceClient() override;

    // How long one exchange may take before it counts as a network failure.
    void setReplyDeadline(int milliseconds);

    // POSTs the indented JSON text of body with "Content-Type" and "Content-Length",
    // with the given raw headers before and after those two.
    ServiceReply* postJson(const QUrl& url, const QJsonObject& body, const RawHeaders& before = {},
                           const RawHeaders& after = {});
    // POSTs a multipart form, which the client then owns.
    ServiceReply* postForm(const QNetworkRequest& request, QHttpMultiPart* form);
    // postJson, in the form the two-step exchanges take.
    ServiceExchange::Post poster();

signals:
    void succeeded(ServiceReply* reply);
    void httpFailed(int statusCode, ServiceReply* reply);
    void networkFailed(int errorCode, ServiceReply* reply);
    // The proxy asks who the user is: fill in the authenticator before returning, or
    // leave it empty to give up.
    void proxyCredentialsNeeded(const QNetworkProxy& proxy, QAuthenticator* authenticator);

private:
    ServiceWorker* worker();
    ServiceReply* expect(quint64 exchange, const QUrl& url);
    void take(quint64 exchange, const ServiceReply::Answer& answer);
    void giveUpOn(quint64 exchange);
    void reportOutcome(ServiceReply* reply);
    void leaveWorker();

    QThread* m_thread = nullptr;
    ServiceWorker* m_worker = nullptr;
    QHash<quint64, QPointer<ServiceReply>> m_pending;
    quint64 m_lastExchange = 0;
    int m_replyDeadlineMs = DefaultReplyDeadlineMs;
};
