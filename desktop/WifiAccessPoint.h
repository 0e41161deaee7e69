#pragma once

#include <QByteArray>
#include <QList>

// One access point as the PC sees it: its network's name, its frequency and the
// security it offers (NetworkManager's Flags, WpaFlags and RsnFlags).
struct WifiAccessPoint {
    QByteArray ssid;
    uint frequencyMhz = 0;
    uint flags = 0;
    uint wpaFlags = 0;
    uint rsnFlags = 0;
};

using WifiAccessPoints = QList<WifiAccessPoint>;
