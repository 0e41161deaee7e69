#pragma once

#include "WifiAccessPoint.h"

#include <QString>
#include <QStringList>

// Why the camera may not list the network the PC is on, as far as what the PC sees
// can tell.
namespace MissingNetwork {

enum class Reason {
    None, // listed, or nothing to tell
    FiveGhzOnly, // the PC's network is on 5 GHz only; the camera's are on 2.4 GHz
    SecurityOnly, // the PC's network offers only WPA3 (SAE) or enterprise security
    MaybeTooFar, // an ordinary 2.4 GHz network that the camera does not hear
};

Reason reasonFor(const QString& pcNetwork, const QStringList& cameraNetworks, const WifiAccessPoints& seenByPc);

}
