// NetworkManager over the system D-Bus.
#include "ConnectedWifi.h"
#include "DesktopLog.h"
#include "SystemBusProbe.h"
#include "WifiName.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

#include <algorithm>
#include <QThread>

namespace {
const QString Service = QStringLiteral("org.freedesktop.NetworkManager");
const QString ManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString ManagerInterface = QStringLiteral("org.freedesktop.NetworkManager");
const QString ActiveInterface = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString AccessPointInterface = QStringLiteral("org.freedesktop.NetworkManager.AccessPoint");
const QString WirelessDeviceInterface = QStringLiteral("org.freedesktop.NetworkManager.Device.Wireless");
const QString WirelessType = QStringLiteral("802-11-wireless");
constexpr uint Activated = 2;
constexpr int MaxActiveConnections = 64;
constexpr int MaxAccessPoints = 64;
// A connection of this program's own, so that it is made off the GUI thread.
const QString BusName = QStringLiteral("ravelo-system-bus");
constexpr int BusAnswerTimeoutMs = 2000;

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
    return QDBusConnection(BusName).asyncCall(call, CallTimeoutMs);
}

// The value inside a Properties.Get answer.
QVariant propertyOf(const QDBusMessage& reply)
{
    const QVariant first = reply.arguments().value(0);
    return first.value<QDBusVariant>().variant();
}

// A D-Bus value still to be read, if it has exactly the signature given. Reading a
// value as another type than it has can loop without end.
bool hasSignature(const QVariant& value, const char* signature)
{
    return value.canConvert<QDBusArgument>()
        && value.value<QDBusArgument>().currentSignature() == QLatin1String(signature);
}

// The object paths in an "ao" value, at most max of them.
QStringList pathsIn(const QVariant& value, int max)
{
    QStringList found;
    if (!hasSignature(value, "ao"))
        return found;
    const QDBusArgument paths = value.value<QDBusArgument>();
    paths.beginArray();
    while (found.size() < max && !paths.atEnd()) {
        QDBusObjectPath path;
        paths >> path;
        found.append(path.path());
    }
    // Leaves the array even when unread entries remain; it frees what reading it took.
    paths.endArray();
    return found;
}

// The dictionary of a GetAll answer; empty when the answer is of another type.
QVariantMap propertiesIn(const QDBusMessage& reply)
{
    QVariantMap properties;
    const QVariant value = reply.arguments().value(0);
    if (hasSignature(value, "a{sv}"))
        value.value<QDBusArgument>() >> properties;
    return properties;
}

bool isUInt(const QVariant& value)
{
    return value.userType() == QMetaType::UInt;
}

bool isSsid(const QVariant& value)
{
    return value.userType() == QMetaType::QByteArray && WifiName::isValid(value.toByteArray());
}
}

ConnectedWifi::ConnectedWifi(QObject* parent)
    : QObject(parent)
{
}

// Connecting to the bus waits for its answer, for 25 s on a bus that accepts and never
// speaks, and holds up every other bus connection meanwhile. So the bus is first asked,
// without waiting, whether it answers at all.
void ConnectedWifi::lookUp()
{
    const QString socketFile = SystemBusProbe::socketFile();
    if (socketFile.isEmpty()) {
        connectToBus();
        return;
    }
    auto* probe = new SystemBusProbe(this);
    connect(probe, &SystemBusProbe::ready, this, &ConnectedWifi::connectToBus);
    connect(probe, &SystemBusProbe::unusable, this,
            [] { qCDebug(lcDesktop) << "The system bus does not answer: this PC's Wi-Fi network is not looked up"; });
    probe->start(socketFile, BusAnswerTimeoutMs);
}

// The connection is still made off the GUI thread, in case the bus stops answering
// half-way; the look-up goes on once it is there.
void ConnectedWifi::connectToBus()
{
    QThread* connecting = QThread::create([] { QDBusConnection::connectToBus(QDBusConnection::SystemBus, BusName); });
    connect(connecting, &QThread::finished, connecting, &QObject::deleteLater);
    connect(connecting, &QThread::finished, this, &ConnectedWifi::askActiveConnections);
    connecting->start();
}

void ConnectedWifi::askActiveConnections()
{
    if (!QDBusConnection(BusName).isConnected()) {
        qCDebug(lcDesktop) << "No system bus: this PC's Wi-Fi network is not looked up";
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
            qCDebug(lcDesktop) << "No network service answer:" << answered->error().name();
            return;
        }
        (this->*next)(answered->reply());
    });
}

void ConnectedWifi::readActiveConnections(const QDBusMessage& reply)
{
    for (const QString& path : pathsIn(propertyOf(reply), MaxActiveConnections))
        whenAnswered(askProperties(path, ActiveInterface), &ConnectedWifi::readActiveConnection);
}

void ConnectedWifi::readActiveConnection(const QDBusMessage& reply)
{
    const QVariantMap properties = propertiesIn(reply);
    if (properties.value(QStringLiteral("Type")).toString() != WirelessType
        || properties.value(QStringLiteral("State")).toUInt() != Activated)
        return;
    const QString accessPoint = properties.value(QStringLiteral("SpecificObject")).value<QDBusObjectPath>().path();
    if (accessPoint.isEmpty() || accessPoint == QLatin1String("/"))
        return;
    whenAnswered(askProperties(accessPoint, AccessPointInterface), &ConnectedWifi::readAccessPoint);
    askAccessPoints(pathsIn(properties.value(QStringLiteral("Devices")), 1).value(0));
}

// Everything that the Wi-Fi device of the PC's connection sees, read once.
void ConnectedWifi::askAccessPoints(const QString& device)
{
    if (device.isEmpty() || m_askedAccessPoints)
        return;
    m_askedAccessPoints = true;
    whenAnswered(askProperties(device, WirelessDeviceInterface, QStringLiteral("AccessPoints")),
                 &ConnectedWifi::readAccessPointList);
}

void ConnectedWifi::readAccessPointList(const QDBusMessage& reply)
{
    const QStringList paths = pathsIn(propertyOf(reply), MaxAccessPoints);
    m_unansweredAccessPoints = paths.size();
    if (paths.isEmpty())
        emit accessPointsSeen(m_seen);
    for (const QString& path : paths) {
        auto* watcher = new QDBusPendingCallWatcher(askProperties(path, AccessPointInterface), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answered) {
            answered->deleteLater();
            if (!answered->isError())
                keepAccessPoint(answered->reply());
            if (--m_unansweredAccessPoints == 0)
                emit accessPointsSeen(m_seen);
        });
    }
}

// One with a value of another type than NetworkManager gives is left out.
void ConnectedWifi::keepAccessPoint(const QDBusMessage& reply)
{
    const QVariantMap properties = propertiesIn(reply);
    const QVariant ssid = properties.value(QStringLiteral("Ssid"));
    QList<QVariant> numbers;
    for (const char* name : {"Frequency", "Flags", "WpaFlags", "RsnFlags"})
        numbers.append(properties.value(QLatin1String(name)));
    if (!isSsid(ssid) || !std::all_of(numbers.cbegin(), numbers.cend(), isUInt))
        return;
    m_seen.append({ssid.toByteArray(), numbers.at(0).toUInt(), numbers.at(1).toUInt(), numbers.at(2).toUInt(),
                   numbers.at(3).toUInt()});
}

void ConnectedWifi::readAccessPoint(const QDBusMessage& reply)
{
    if (m_found)
        return;
    const QVariantMap properties = propertiesIn(reply);
    const QVariant ssid = properties.value(QStringLiteral("Ssid"));
    if (!isSsid(ssid))
        return;
    const QVariant frequency = properties.value(QStringLiteral("Frequency"));
    const QString name = QString::fromUtf8(ssid.toByteArray());
    m_found = true;
    qCDebug(lcDesktop) << "This PC is on the Wi-Fi network" << name;
    emit found(name, frequency.userType() == QMetaType::UInt ? frequency.toUInt() : 0);
}
