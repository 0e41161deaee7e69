#pragma once

#include "ServiceExchange.h"
#include "ServiceReply.h"

#include <QObject>
#include <QPointer>

// The two-step sign-in: the e-mail address and password buy an authorisation token,
// which buys the user's uuid and access token. Each step is known by the reply object
// of its request, never by the reply's address.
class SignInSession : public QObject
{
    Q_OBJECT

public:
    explicit SignInSession(ServiceExchange::Post post, QObject* parent = nullptr);

    void start(const QString& email, const QString& password);
    // A reply with a success status. It leads on when it answers the step in flight;
    // any other reply is ignored.
    void takeSuccess(ServiceReply* reply);

signals:
    void signedIn(const QString& uuid, const QString& accessToken);
    // A success reply without what the next step needs; nothing more is sent.
    void stepFailed(ServiceReply* reply);

private:
    void requestAccessToken(ServiceReply* reply);
    void finish(ServiceReply* reply);

    ServiceExchange::Post m_post;
    QPointer<ServiceReply> m_authorizeStep;
    QPointer<ServiceReply> m_accessTokenStep;
};
