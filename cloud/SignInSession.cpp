#include "SignInSession.h"

#include "ServiceHosts.h"

SignInSession::SignInSession(ServiceExchange::Post post, QObject* parent)
    : QObject(parent)
    , m_post(std::move(post))
{
}

void SignInSession::start(const QString& email, const QString& password)
{
    const QJsonObject credentials{{QStringLiteral("email"), email}, {QStringLiteral("password"), password}};
    m_accessTokenStep = nullptr;
    m_authorizeStep = m_post(ServiceHosts::httpsUrl(ServiceHosts::accountHost(), QStringLiteral("/account/authorize")),
                             credentials, {}, {});
}

void SignInSession::takeSuccess(ServiceReply* reply)
{
    if (!reply)
        return;
    if (reply == m_authorizeStep)
        requestAccessToken(reply);
    else if (reply == m_accessTokenStep)
        finish(reply);
}

void SignInSession::requestAccessToken(ServiceReply* reply)
{
    m_authorizeStep = nullptr;
    const QStringList values = ServiceExchange::requiredTexts(ServiceExchange::bodyOf(reply),
                                                              {QStringLiteral("uuid"), QStringLiteral("authToken")});
    if (values.isEmpty()) {
        emit stepFailed(reply);
        return;
    }
    const QJsonObject exchange{{QStringLiteral("uuid"), values.at(0)}, {QStringLiteral("authToken"), values.at(1)}};
    m_accessTokenStep =
        m_post(ServiceHosts::httpsUrl(ServiceHosts::accountHost(), QStringLiteral("/accessToken")), exchange, {}, {});
}

// The uuid and token go into a header later on, so they are checked here, where the
// user can still retry.
void SignInSession::finish(ServiceReply* reply)
{
    m_accessTokenStep = nullptr;
    const QStringList values = ServiceExchange::requiredTexts(ServiceExchange::bodyOf(reply),
                                                              {QStringLiteral("uuid"), QStringLiteral("accessToken")});
    if (values.isEmpty())
        emit stepFailed(reply);
    else
        emit signedIn(values.at(0), values.at(1));
}
