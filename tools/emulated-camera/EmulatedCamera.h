#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <functional>
#include <memory>

// Shapes of an emulated USB device, as its descriptors tell them.
struct EmulatedEndpoint {
    uint8_t address;
    uint8_t attributes; // 2 bulk, 3 interrupt
};

struct EmulatedInterface {
    QVector<EmulatedEndpoint> endpoints;
    bool claimable = true;
    // Claimed by a driver or another program: a claim fails with EBUSY.
    bool heldElsewhere = false;
};

struct EmulatedDeviceShape {
    uint16_t vendorId = 0x4255;
    uint16_t productId = 0x0001;
    QVector<EmulatedInterface> interfaces = {{{{0x01, 2}, {0x81, 2}}, true}};
};

// One bulk OUT transfer as a device received it.
struct EmulatedOutTransfer {
    int device; // the handle plug() returned
    uint8_t endpoint;
    QByteArray bytes;
};

// A camera on an emulated USB bus (umockdev): the real libusb and libudev of this
// process see it plugged and unplugged, and talk to it over usbfs ioctls. It answers
// length-prefixed JSON-RPC requests the way the real camera does, and every answer
// can be scripted.
//
// Create it before anything opens the USB library, in a process running under the
// umockdev preload library.
class EmulatedCamera
{
public:
    // Builds the reply text for a request; a null QByteArray means no reply at all.
    using Responder = std::function<QByteArray(const QJsonObject& request)>;

    EmulatedCamera();
    ~EmulatedCamera();
    EmulatedCamera(const EmulatedCamera&) = delete;
    EmulatedCamera& operator=(const EmulatedCamera&) = delete;

    // Plugs a device and returns its handle; the default shape is the camera. Every
    // plug gets a new device number, as on a real bus.
    int plug(const EmulatedDeviceShape& shape = EmulatedDeviceShape());
    void unplug(int handle);
    // The removal as a busy machine may deliver it: the kernel's event first, and the
    // transfers under way fail only graceMs later (the event loop must run meanwhile),
    // so that the program learns of the removal while one of its reads still waits.
    void unplugBeforeTransfersFail(int handle, int graceMs);
    // Unplugs the device plugged last.
    void unplug();
    void unplugAll();
    bool isPlugged(int handle) const;
    // "001/NNN": the bus and device file names of a plugged device.
    QString busPath(int handle) const;
    // Other kernel events about a plugged device: an event with another action, and
    // the arrival of one of its interfaces.
    void sendEvent(int handle, const char* action);
    void addInterfaceOf(int handle);
    QString rootDir() const;

    // The networks the camera sees, served five to a page by "getAPList".
    void setNetworks(const QStringList& names);
    // How many "getAPList" replies report the scan as still running (TotalPage 0).
    void setPagesNotReady(int count);
    void setResponder(const QString& method, Responder responder);
    void setSilent(const QString& method);
    void setError(const QString& method, int code, const QString& message);
    void setRawReply(const QString& method, const QByteArray& reply);
    void setReplyDelay(int milliseconds);
    // How replies reach the host: in IN transfers of at most pieceBytes (0: as much as
    // the host asks for), with a pause of pauseMs once pauseAfterBytes of a reply
    // are sent (0: none).
    struct ReplyShape {
        int pieceBytes = 0;
        int pauseAfterBytes = 0;
        int pauseMs = 0;
    };
    void setReplyShape(const ReplyShape& shape);
    void resetBehaviour();

    // What the camera received: JSON request texts in order, and every OUT transfer.
    QList<QByteArray> requests() const;
    QStringList requestedMethods() const;
    // When each request arrived, in milliseconds of a monotonic clock.
    QList<qint64> requestTimes() const;
    QList<EmulatedOutTransfer> outTransfers() const;
    // The longest time between two pieces of the latest reply, as they went out: what the
    // host waited, scheduling included.
    qint64 longestPieceGapMs() const;
    QVector<int> claimedInterfaces(int handle) const;
    void clearRecords();
    // Waits (spinning the caller's event loop) until n requests have arrived.
    bool waitForRequests(int count, int timeoutMs = 5000) const;

    static QByteArray defaultReply(const QJsonObject& request, const QStringList& networks, int totalPageOverride);
    static QByteArray descriptorBytes(const EmulatedDeviceShape& shape);

    struct Private;

private:
    std::unique_ptr<Private> d;
};
