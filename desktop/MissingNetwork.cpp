#include "MissingNetwork.h"

#include <algorithm>

namespace MissingNetwork {

namespace {
// NetworkManager's NM80211ApSecurityFlags.
constexpr uint KeyManagementPsk = 0x100;
constexpr uint KeyManagement8021x = 0x200;
constexpr uint KeyManagementSae = 0x400;
constexpr uint KeyManagementSuiteB192 = 0x2000;
constexpr uint BandLimitMhz = 3000;

bool onTwoPointFour(const WifiAccessPoint& accessPoint)
{
    return accessPoint.frequencyMhz > 0 && accessPoint.frequencyMhz < BandLimitMhz;
}

WifiAccessPoints named(const QString& network, const WifiAccessPoints& seen)
{
    WifiAccessPoints found;
    const QByteArray name = network.toUtf8();
    std::copy_if(seen.cbegin(), seen.cend(), std::back_inserter(found),
                 [&](const WifiAccessPoint& accessPoint) { return accessPoint.ssid == name; });
    return found;
}

// Open, WEP and WPA/WPA2-Personal are what the camera joins.
bool onlyNewerSecurity(const WifiAccessPoint& accessPoint)
{
    const uint keyManagement = accessPoint.wpaFlags | accessPoint.rsnFlags;
    const uint newer = KeyManagementSae | KeyManagement8021x | KeyManagementSuiteB192;
    return (keyManagement & newer) != 0 && (keyManagement & KeyManagementPsk) == 0;
}

bool cameraNetworksAreOnTwoPointFour(const QStringList& cameraNetworks, const WifiAccessPoints& seen)
{
    return std::all_of(cameraNetworks.cbegin(), cameraNetworks.cend(), [&](const QString& network) {
        const WifiAccessPoints accessPoints = named(network, seen);
        return accessPoints.isEmpty() || std::any_of(accessPoints.cbegin(), accessPoints.cend(), onTwoPointFour);
    });
}
}

Reason reasonFor(const QString& pcNetwork, const QStringList& cameraNetworks, const WifiAccessPoints& seenByPc)
{
    const WifiAccessPoints own = named(pcNetwork, seenByPc);
    if (pcNetwork.isEmpty() || cameraNetworks.contains(pcNetwork) || own.isEmpty())
        return Reason::None;
    const bool frequenciesKnown = std::all_of(
        own.cbegin(), own.cend(), [](const WifiAccessPoint& accessPoint) { return accessPoint.frequencyMhz > 0; });
    if (frequenciesKnown && std::none_of(own.cbegin(), own.cend(), onTwoPointFour)
        && cameraNetworksAreOnTwoPointFour(cameraNetworks, seenByPc))
        return Reason::FiveGhzOnly;
    if (std::all_of(own.cbegin(), own.cend(), onlyNewerSecurity))
        return Reason::SecurityOnly;
    return Reason::MaybeTooFar;
}

}
