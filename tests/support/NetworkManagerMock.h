#pragma once

#include <QByteArray>
#include <QProcess>
#include <QVariant>
#include <QString>

// A private system bus with NetworkManager mocked by python3-dbusmock. The bus must be
// started before the program first uses the system bus: DBUS_SYSTEM_BUS_ADDRESS is
// read once.
class NetworkManagerMock
{
public:
    static constexpr uint Activated = 2;
    static constexpr uint Activating = 1;
    static constexpr uint PskSecurity = 0x100;

    ~NetworkManagerMock();

    // Each returns an empty string on success, or what went wrong.
    QString startBus();
    QString startNetworkManager();
    void stopNetworkManager();

    // A fresh NetworkManager with no devices and no connections.
    QString restart();
    // A Wi-Fi device that sees ssid, and, when state is not 0, an active connection to it.
    QString addWifi(const QString& ssid, uint state);
    // Another access point that the Wi-Fi device sees (NM80211ApSecurityFlags).
    QString addAccessPoint(const QString& ssid, uint frequencyMhz, uint security);
    // The path of the active connection addWifi made.
    QString activeConnection() const;
    // Replace what addWifi set up, with values of any D-Bus type.
    QString setAccessPoint(const QString& property, const QVariant& value);
    QString setActiveConnections(const QVariant& value);

private:
    QString setProperty(const QString& path, const QString& interface, const QString& name, const QVariant& value);

    QProcess m_bus;
    QProcess m_networkManager;
    QString m_device;
    int m_accessPoints = 0;
    QString m_lastAccessPoint;
    QString m_accessPoint;
    QString m_activeConnection;
};
