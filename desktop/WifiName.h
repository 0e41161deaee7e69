#pragma once

#include <QByteArray>

// What a Wi-Fi network name (SSID) can be: 1 to 32 bytes, and no NUL, which would cut
// it short wherever it is shown or sent.
namespace WifiName {

constexpr int MaxBytes = 32;

inline bool isValid(const QByteArray& bytes)
{
    return !bytes.isEmpty() && bytes.size() <= MaxBytes && !bytes.contains('\0');
}

}
