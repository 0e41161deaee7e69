#pragma once

#include "ServiceReply.h"

#include <QAuthenticator>
#include <QList>
#include <QNetworkProxy>
#include <QNetworkRequest>
#include <QObject>
#include <QSslError>

class QHttpMultiPart;
class QNetworkAccessManager;

// The network side of the service client, on a thread of its own. Qt 5 takes a reply's
// whole header block in one call on the thread of its network manager, and some blocks
// (thousands of cookies) keep that call busy for minutes; here it holds up no screen.
// One manager that never follows a redirect; each request under a ReplyGuard; each
// ended reply answered once, with what the screens need copied out of it.
class ServiceWorker : public QObject
{
    Q_OBJECT

public:
    // Both called on the worker's thread. The answer carries the exchange's number.
    void postData(quint64 exchange, const QNetworkRequest& request, const QByteArray& body, int deadlineMs);
    // The form then belongs to the reply.
    void postForm(quint64 exchange, const QNetworkRequest& request, QHttpMultiPart* form, int deadlineMs);
    // Ends every exchange under way; none of them is answered.
    void abortAll();

signals:
    void answered(quint64 exchange, const ServiceReply::Answer& answer);
    // The proxy asks who the user is: filled in before the signal returns, and then
    // the exchange is sent again, or left empty to give up.
    void proxyCredentialsNeeded(const QNetworkProxy& proxy, QAuthenticator* authenticator);

private:
    struct Outgoing {
        quint64 exchange;
        QNetworkRequest request;
        QByteArray body;
        QHttpMultiPart* form;
        int deadlineMs;
    };

    QNetworkAccessManager* network();
    void send(const Outgoing& outgoing);
    void askForProxyCredentials(const QNetworkProxy& proxy);
    void answer(const Outgoing& outgoing, QNetworkReply* reply);
    void logSslErrors(QNetworkReply* reply, const QList<QSslError>& errors);

    QNetworkAccessManager* m_network = nullptr;
    bool m_proxyCredentialsGiven = false;
};

// The proxy's question crosses to the screens' thread, which answers while this one waits.
Q_DECLARE_METATYPE(QAuthenticator*)
