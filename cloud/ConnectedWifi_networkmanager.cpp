// NetworkManager over the system D-Bus.
#include "ConnectedWifi.h"
#include "CloudLog.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace {
const QString Service = QStringLiteral("org.freedesktop.NetworkManager");
const QString ManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString ManagerInterface = QStringLiteral("org.freedesktop.NetworkManager");
const QString ActiveInterface = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString AccessPointInterface = QStringLiteral("org.freedesktop.NetworkManager.AccessPoint");
const QString WirelessType = QStringLiteral("802-11-wireless");
constexpr uint Activated = 2;
// Long enough for a busy service, short enough that a late answer still finds the
// list on screen.
constexpr int CallTimeoutMs = 2000;

QDBusPendingCall askProperties(const QString& path, const QString& interface, const QString& property = {})
{
    const bool all = property.isEmpty();
    QDBusMessage call = QDBusMessage::createMethodCall(Service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                       all ? QStringLiteral("GetAll") : QStringLiteral("Get"));
    call << interface;
    if (!all)
        call << property;
    return QDBusConnection::systemBus().asyncCall(call, CallTimeoutMs);
}

// The value inside a Properties.Get answer.
QVariant propertyOf(const QDBusMessage& reply)
{
    const QVariant first = reply.arguments().value(0);
    return first.value<QDBusVariant>().variant();
}
}

ConnectedWifi::ConnectedWifi(QObject* parent)
    : QObject(parent)
{
}

void ConnectedWifi::lookUp()
{
    if (!QDBusConnection::systemBus().isConnected()) {
        qCDebug(lcCloud) << "No system bus: this PC's Wi-Fi network is not looked up";
        return;
    }
    whenAnswered(askProperties(ManagerPath, ManagerInterface, QStringLiteral("ActiveConnections")),
                 &ConnectedWifi::readActiveConnections);
}

template <typename Next>
void ConnectedWifi::whenAnswered(const QDBusPendingCall& call, Next next)
{
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, next](QDBusPendingCallWatcher* answered) {
        answered->deleteLater();
        if (answered->isError()) {
            qCDebug(lcCloud) << "No network service answer:" << answered->error().name();
            return;
        }
        (this->*next)(answered->reply());
    });
}

void ConnectedWifi::readActiveConnections(const QDBusMessage& reply)
{
    const QVariant value = propertyOf(reply);
    if (!value.canConvert<QDBusArgument>())
        return;
    QList<QDBusObjectPath> paths;
    value.value<QDBusArgument>() >> paths;
    for (const QDBusObjectPath& path : paths)
        whenAnswered(askProperties(path.path(), ActiveInterface), &ConnectedWifi::readActiveConnection);
}

void ConnectedWifi::readActiveConnection(const QDBusMessage& reply)
{
    const QVariant value = reply.arguments().value(0);
    if (!value.canConvert<QDBusArgument>())
        return;
    QVariantMap properties;
    value.value<QDBusArgument>() >> properties;
    if (properties.value(QStringLiteral("Type")).toString() != WirelessType
        || properties.value(QStringLiteral("State")).toUInt() != Activated)
        return;
    const QString accessPoint = properties.value(QStringLiteral("SpecificObject")).value<QDBusObjectPath>().path();
    if (accessPoint.isEmpty() || accessPoint == QLatin1String("/"))
        return;
    whenAnswered(askProperties(accessPoint, AccessPointInterface, QStringLiteral("Ssid")),
                 &ConnectedWifi::readAccessPoint);
}

void ConnectedWifi::readAccessPoint(const QDBusMessage& reply)
{
    const QString ssid = QString::fromUtf8(propertyOf(reply).toByteArray());
    if (ssid.isEmpty() || m_found)
        return;
    m_found = true;
    qCDebug(lcCloud) << "This PC is on the Wi-Fi network" << ssid;
    emit found(ssid);
}
