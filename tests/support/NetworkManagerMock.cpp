#include "NetworkManagerMock.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QTest>

namespace {
const QString Service = QStringLiteral("org.freedesktop.NetworkManager");

const QString ManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");

QDBusMessage callMock(const char* method, const QVariantList& arguments = {}, const QString& path = ManagerPath)
{
    QDBusMessage call = QDBusMessage::createMethodCall(Service, path, QStringLiteral("org.freedesktop.DBus.Mock"),
                                                       QLatin1String(method));
    call.setArguments(arguments);
    return QDBusConnection::systemBus().call(call);
}

bool serviceRegistered()
{
    return QDBusConnection::systemBus().interface()->isServiceRegistered(Service);
}

template <typename T>
QString failureOf(const QDBusReply<T>& reply)
{
    // The mock answers with a Python traceback; its last line says what went wrong.
    return reply.isValid() ? QString() : reply.error().message().trimmed().section(QLatin1Char('\n'), -1);
}
}

NetworkManagerMock::~NetworkManagerMock()
{
    stopNetworkManager();
    m_bus.kill();
    m_bus.waitForFinished();
}

QString NetworkManagerMock::startBus()
{
    m_bus.start(QStringLiteral(RAVELO_DBUS_DAEMON), {"--session", "--nofork", "--print-address=1"});
    if (!m_bus.waitForStarted() || !m_bus.waitForReadyRead(10000))
        return QStringLiteral("dbus-daemon did not start: ") + m_bus.errorString();
    const QByteArray address = m_bus.readLine().trimmed();
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
    return QDBusConnection::systemBus().isConnected() ? QString() : QStringLiteral("no connection to ") + address;
}

QString NetworkManagerMock::startNetworkManager()
{
    m_networkManager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_networkManager.start(QStringLiteral(RAVELO_SYSTEM_PYTHON),
                           {"-m", "dbusmock", "--system", "--template", "networkmanager"});
    if (!QTest::qWaitFor(serviceRegistered, 20000))
        return QStringLiteral("the NetworkManager mock did not appear on the bus");
    return {};
}

void NetworkManagerMock::stopNetworkManager()
{
    if (m_networkManager.state() == QProcess::NotRunning)
        return;
    m_networkManager.terminate();
    m_networkManager.waitForFinished();
    if (!QTest::qWaitFor([] { return !serviceRegistered(); }, 5000))
        qWarning("The NetworkManager mock is still on the bus");
}

QString NetworkManagerMock::restart()
{
    stopNetworkManager();
    return startNetworkManager();
}

QString NetworkManagerMock::addWifi(const QString& ssid, uint state)
{
    const QDBusReply<QString> device = callMock("AddWiFiDevice", {"wlan0", "wlan0", 100});
    if (!device.isValid())
        return failureOf(device);
    m_device = device.value();
    m_accessPoints = 0;
    const QString failure = addAccessPoint(ssid, 2437, PskSecurity);
    if (!failure.isEmpty() || state == 0)
        return failure;
    m_accessPoint = m_lastAccessPoint;
    const QDBusReply<QString> connection = callMock("AddWiFiConnection", {device.value(), "conn0", ssid, "wpa-psk"});
    if (!connection.isValid())
        return failureOf(connection);
    const QDBusReply<QString> active = callMock(
        "AddActiveConnection", {QStringList{device.value()}, connection.value(), m_accessPoint, "active0", state});
    m_activeConnection = active.value();
    return failureOf(active);
}

QString NetworkManagerMock::addAccessPoint(const QString& ssid, uint frequencyMhz, uint security)
{
    const QDBusReply<QString> accessPoint =
        callMock("AddAccessPoint",
                 {m_device, QStringLiteral("ap%1").arg(m_accessPoints++), ssid, "00:11:22:33:44:55", 2u, frequencyMhz,
                  54000u, QVariant::fromValue<uchar>(80), security});
    m_lastAccessPoint = accessPoint.value();
    return failureOf(accessPoint);
}

QString NetworkManagerMock::activeConnection() const
{
    return m_activeConnection;
}

QString NetworkManagerMock::setAccessPoint(const QString& property, const QVariant& value)
{
    return setProperty(m_accessPoint, QStringLiteral("org.freedesktop.NetworkManager.AccessPoint"), property, value);
}

QString NetworkManagerMock::setActiveConnections(const QVariant& value)
{
    return setProperty(ManagerPath, Service, QStringLiteral("ActiveConnections"), value);
}

QString NetworkManagerMock::setProperty(const QString& path, const QString& interface, const QString& name,
                                        const QVariant& value)
{
    QDBusMessage call = QDBusMessage::createMethodCall(Service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                       QStringLiteral("Set"));
    call.setArguments({interface, name, QVariant::fromValue(QDBusVariant(value))});
    return failureOf(QDBusReply<void>(QDBusConnection::systemBus().call(call)));
}
