#include "DeviceRegistration.h"

#include "CloudLog.h"
#include "ServiceHosts.h"

#include <QJsonDocument>

DeviceRegistration::DeviceRegistration(ServiceExchange::Post post, QObject* parent)
    : QObject(parent)
    , m_post(std::move(post))
{
}

void DeviceRegistration::start(const Device& device)
{
    m_device = device;
    m_applicationStep = nullptr;
    const QJsonObject body{{QStringLiteral("serialId"), device.serialId}, {QStringLiteral("kind"), device.kind}};
    qCDebug(lcCloud) << "Registering a camera of kind" << device.kind;
    m_accountStep = m_post(ServiceHosts::httpsUrl(ServiceHosts::accountHost(), QStringLiteral("/devices")), body,
                           {{"User-Agent", "NUVA/1.0"}}, {});
}

void DeviceRegistration::takeSuccess(ServiceReply* reply)
{
    if (!reply || (reply != m_accountStep && reply != m_applicationStep))
        return;
    const bool accountStep = reply == m_accountStep;
    m_accountStep = nullptr;
    m_applicationStep = nullptr;
    QString deviceId;
    if (!ServiceExchange::requiredText(ServiceExchange::bodyOf(reply), QStringLiteral("deviceId"), deviceId))
        emit stepFailed(reply);
    else if (accountStep)
        registerWithApplicationService(deviceId);
    else
        emit registered(deviceId);
}

void DeviceRegistration::registerWithApplicationService(const QString& deviceId)
{
    const QJsonObject body{{QStringLiteral("deviceId"), deviceId},
                           {QStringLiteral("name"), m_device.name},
                           {QStringLiteral("kind"), m_device.kind}};
    qCDebug(lcCloud) << "Filing the camera under the account as" << m_device.name;
    const QByteArray authorization =
        (QStringLiteral("X-NUVA uuid=") + m_device.uuid + QStringLiteral(" token=") + m_device.accessToken).toUtf8();
    m_applicationStep = m_post(ServiceHosts::httpsUrl(ServiceHosts::applicationHost(), QStringLiteral("/devices")),
                               body, {}, {{"Authorization", authorization}});
}
