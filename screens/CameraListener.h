#pragma once

#include "usb/ElCmd.h"

#include <QList>
#include <QObject>

#include <optional>

class QJsonObject;
class ScreenWindow;

// What a screen hears from the camera, sorted once for all screens. It connects the
// screen's receiveCmd(EL_CMD) slot to the command sender (by the string form the sender
// takes), and the slot hands each envelope to take(). It stops when its screen leaves,
// so a screen that has left hears nothing more; only replies in the screen's own
// request bands reach it.
class CameraListener : public QObject
{
    Q_OBJECT

public:
    CameraListener(ScreenWindow* screen, QList<int> bands);

    void take(const EL_CMD& cmd);

signals:
    void opened();
    void closed();
    // A camera is on the bus but cannot be opened (an errno value; 0 when none is left).
    void openFailed(int error);
    // A reply in the band of request number band.
    void answered(int band, const QJsonObject& reply);
    // The exchange of a request in that band failed, or its reply was no JSON object
    // (not JSON, cut off at the size limit, nothing at all).
    void failed(int band);

private:
    // Disconnects the screen's slot. A destroyed screen is disconnected anyway.
    void stop();
    void takeReply(const EL_CMD& cmd);
    std::optional<int> bandOf(const QJsonObject& message) const;

    ScreenWindow* m_screen;
    QList<int> m_bands;
    bool m_listening = true;
};
