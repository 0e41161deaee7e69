#pragma once

#include "AbstLibUsbManager.h"

// The manager for the supported camera: which device to open and how one JSON
// request and its reply cross the bulk pipe.
class evkmanager : public AbstLibUsbManager
{
public:
    static constexpr uint16_t CameraVendorId = 0x4255;
    static constexpr uint16_t CameraProductId = 0x0001;
    // A reply may come in several transfers and with pauses: it is read until it is one
    // complete JSON text, the pipe stays quiet this long, or it is too long to take.
    static constexpr int ContinuationTimeoutMs = 1000;

    evkmanager() = default;
    ~evkmanager() override;

    QVector<VidPid> supportedDevices() override;

protected:
    bool acceptCommand(const EL_CMD& cmd) override;
    void executeCommand(EL_CMD cmd) override;

private:
    void exchange(ClLibUsbController* controller, const QByteArray& request, EL_CMD& reply);
    static void logFailure(const EL_CMD& reply, const QString& method);
    void readRest(ClLibUsbController* controller, QByteArray& result);
    void drain(ClLibUsbController* controller);

    // Worker thread only: the last reply was cut short and its rest may still come.
    bool m_outOfStep = false;
};
