#pragma once

#include "WifiAccessPoint.h"

#include <QObject>
#include <QString>

class QDBusPendingCall;
class QDBusMessage;

// Finds the Wi-Fi network this PC is connected to, so that the wizard can suggest it.
// The look-up never blocks: it asks the system's network service asynchronously, with
// a short time-out, and says nothing at all when there is no answer to give.
class ConnectedWifi : public QObject
{
    Q_OBJECT

public:
    explicit ConnectedWifi(QObject* parent = nullptr);

    // Starts the look-up; found() follows at most once.
    void lookUp();

signals:
    // frequencyMhz: that of the access point the PC is on; 0 when not known.
    void found(const QString& ssid, uint frequencyMhz);
    // Every access point that the Wi-Fi device of that connection sees (at most 64),
    // once all of them have answered or timed out.
    void accessPointsSeen(const WifiAccessPoints& accessPoints);

private:
    template <typename Next>
    void whenAnswered(const QDBusPendingCall& call, Next next);
    void connectToBus();
    void askActiveConnections();
    void readActiveConnections(const QDBusMessage& reply);
    void readActiveConnection(const QDBusMessage& reply);
    void readAccessPoint(const QDBusMessage& reply);
    void askAccessPoints(const QString& device);
    void readAccessPointList(const QDBusMessage& reply);
    void keepAccessPoint(const QDBusMessage& reply);

    bool m_found = false;
    bool m_askedAccessPoints = false;
    int m_unansweredAccessPoints = 0;
    WifiAccessPoints m_seen;
};
