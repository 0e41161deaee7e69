// GLib and umockdev first: their headers use names that Qt defines as macros.
#include <umockdev.h>

#include "EmulatedCamera.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QThread>
#include <QTimer>

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int NetworksPerPage = 5;
constexpr auto ReapWait = std::chrono::milliseconds(1);

struct Urb {
    UMockdevIoctlClient* client = nullptr;
    UMockdevIoctlData* urbData = nullptr;
    UMockdevIoctlData* bufferData = nullptr;
    unsigned long clientAddress = 0;
    uint8_t endpoint = 0;
    int length = 0;
    int status = 0;
    int actualLength = 0;
};

QByteArray hexOf(const QByteArray& bytes)
{
    return bytes.toHex().toUpper();
}

void appendWord(QByteArray& bytes, uint16_t value)
{
    bytes.append(static_cast<char>(value & 0xff));
    bytes.append(static_cast<char>(value >> 8));
}

void writeInt(UMockdevIoctlData* data, size_t offset, int value)
{
    umockdev_ioctl_data_update(data, offset, reinterpret_cast<guint8*>(&value), sizeof(value));
}

void releaseUrb(Urb& urb)
{
    if (urb.bufferData)
        g_object_unref(urb.bufferData);
    g_object_unref(urb.urbData);
}

}

struct EmulatedDevice {
    int handle = 0;
    int devnum = 0;
    QByteArray syspath;
    QByteArray devnode;
    EmulatedDeviceShape shape;
    bool gone = false;
    UMockdevIoctlBase* handler = nullptr;
    std::map<int, UMockdevIoctlClient*> claims;
    std::deque<Urb> pendingIn;
    std::deque<Urb> finished;
    QByteArray fromHost;
    QByteArray toHost;
    Clock::time_point toHostReadyAt;
    int sentOfReply = 0; // bytes of the reply in toHost sent so far
    Clock::time_point lastPieceAt;
    EmulatedCamera::Private* owner = nullptr;
};

struct EmulatedCamera::Private {
    UMockdevTestbed* testbed = nullptr;
    mutable std::mutex mutex;
    std::condition_variable urbFinished;
    std::map<int, std::unique_ptr<EmulatedDevice>> devices;
    int nextDevnum = 2;
    int nextHandle = 1;
    int lastHandle = 0;

    QStringList networks;
    int pagesNotReady = 0;
    qint64 longestPieceGapMs = 0;
    QMap<QString, Responder> responders;
    int replyDelayMs = 0;
    EmulatedCamera::ReplyShape replyShape;

    QList<QByteArray> requests;
    QList<qint64> requestTimes;
    QList<EmulatedOutTransfer> outTransfers;

    static gboolean onIoctl(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, gpointer user);

    void handleIoctl(EmulatedDevice& device, UMockdevIoctlClient* client);
    void connectInfo(EmulatedDevice& device, UMockdevIoctlClient* client);
    void claimInterface(EmulatedDevice& device, UMockdevIoctlClient* client, bool claim);
    void submitUrb(EmulatedDevice& device, UMockdevIoctlClient* client);
    void reapUrb(EmulatedDevice& device, UMockdevIoctlClient* client, bool wait, std::unique_lock<std::mutex>& lock);
    void discardUrb(EmulatedDevice& device, UMockdevIoctlClient* client);
    void failPendingTransfers(EmulatedDevice& device, int status);
    // The steps of an unplug: the open handle fails; the node goes and the kernel's
    // event is sent; the device is taken off the bus.
    EmulatedDevice* failTransfers(int handle);
    void announceRemoval(const EmulatedDevice& device);
    void forget(const EmulatedDevice& device);
    void dropDeadClients(EmulatedDevice& device);
    void receiveFromHost(EmulatedDevice& device, const QByteArray& bytes);
    void answer(EmulatedDevice& device, const QByteArray& requestText);
    void serviceIn(EmulatedDevice& device);
    bool hasFinishedUrb(const EmulatedDevice& device, UMockdevIoctlClient* client) const;
    QByteArray replyFor(const QJsonObject& request);
    void addRootHub();
};

// ---- emulated usbfs ----------------------------------------------------------------

gboolean EmulatedCamera::Private::onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer user)
{
    auto* device = static_cast<EmulatedDevice*>(user);
    device->owner->handleIoctl(*device, client);
    return TRUE;
}

void EmulatedCamera::Private::handleIoctl(EmulatedDevice& device, UMockdevIoctlClient* client)
{
    std::unique_lock<std::mutex> lock(mutex);
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    if (device.gone && request != USBDEVFS_REAPURB && request != USBDEVFS_REAPURBNDELAY) {
        umockdev_ioctl_client_complete(client, -1, ENODEV);
        return;
    }
    switch (request) {
    case USBDEVFS_CONNECTINFO:
        connectInfo(device, client);
        break;
    case USBDEVFS_CLAIMINTERFACE:
        claimInterface(device, client, true);
        break;
    case USBDEVFS_RELEASEINTERFACE:
        claimInterface(device, client, false);
        break;
    case USBDEVFS_SUBMITURB:
        submitUrb(device, client);
        break;
    case USBDEVFS_REAPURBNDELAY:
        reapUrb(device, client, true, lock);
        break;
    case USBDEVFS_REAPURB:
        reapUrb(device, client, false, lock);
        break;
    case USBDEVFS_DISCARDURB:
        discardUrb(device, client);
        break;
    case USBDEVFS_RESET:
        failPendingTransfers(device, -EPIPE);
        umockdev_ioctl_client_complete(client, 0, 0);
        break;
    default:
        umockdev_ioctl_client_complete(client, -1, ENOTTY);
    }
}

void EmulatedCamera::Private::connectInfo(EmulatedDevice& device, UMockdevIoctlClient* client)
{
    UMockdevIoctlData* info = umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0,
                                                          sizeof(struct usbdevfs_connectinfo), nullptr);
    struct usbdevfs_connectinfo value = {};
    value.devnum = static_cast<unsigned int>(device.devnum);
    umockdev_ioctl_data_update(info, 0, reinterpret_cast<guint8*>(&value), sizeof(value));
    umockdev_ioctl_client_complete(client, 0, 0);
    g_object_unref(info);
}

void EmulatedCamera::Private::claimInterface(EmulatedDevice& device, UMockdevIoctlClient* client, bool claim)
{
    UMockdevIoctlData* number =
        umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(unsigned int), nullptr);
    const int interface = static_cast<int>(*reinterpret_cast<unsigned int*>(number->data));
    g_object_unref(number);

    const bool exists = interface >= 0 && interface < device.shape.interfaces.size();
    const auto holder = device.claims.find(interface);
    if (!claim) {
        const bool ours = holder != device.claims.end() && holder->second == client;
        if (ours)
            device.claims.erase(holder);
        umockdev_ioctl_client_complete(client, ours ? 0 : -1, ours ? 0 : EINVAL);
        return;
    }
    if (exists && device.shape.interfaces.at(interface).heldElsewhere) {
        umockdev_ioctl_client_complete(client, -1, EBUSY);
        return;
    }
    if (!exists || !device.shape.interfaces.at(interface).claimable) {
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return;
    }
    if (holder != device.claims.end() && holder->second != client) {
        umockdev_ioctl_client_complete(client, -1, EBUSY);
        return;
    }
    device.claims[interface] = client;
    umockdev_ioctl_client_complete(client, 0, 0);
}

void EmulatedCamera::Private::submitUrb(EmulatedDevice& device, UMockdevIoctlClient* client)
{
    dropDeadClients(device);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    Urb urb;
    urb.client = client;
    urb.clientAddress = *reinterpret_cast<unsigned long*>(arg->data);
    urb.urbData = umockdev_ioctl_data_resolve(arg, 0, sizeof(struct usbdevfs_urb), nullptr);
    const auto* fields = reinterpret_cast<const struct usbdevfs_urb*>(urb.urbData->data);
    urb.endpoint = fields->endpoint;
    urb.length = fields->buffer_length;
    if (urb.length > 0)
        urb.bufferData = umockdev_ioctl_data_resolve(urb.urbData, offsetof(struct usbdevfs_urb, buffer),
                                                     static_cast<gsize>(urb.length), nullptr);
    if (urb.endpoint & 0x80) {
        device.pendingIn.push_back(urb);
        serviceIn(device);
    } else {
        const QByteArray bytes =
            urb.bufferData ? QByteArray(reinterpret_cast<const char*>(urb.bufferData->data), urb.length) : QByteArray();
        outTransfers.append({device.handle, urb.endpoint, bytes});
        urb.actualLength = urb.length;
        device.finished.push_back(urb);
        receiveFromHost(device, bytes);
    }
    umockdev_ioctl_client_complete(client, 0, 0);
    urbFinished.notify_all();
}

bool EmulatedCamera::Private::hasFinishedUrb(const EmulatedDevice& device, UMockdevIoctlClient* client) const
{
    for (const Urb& urb : device.finished) {
        if (urb.client == client)
            return true;
    }
    return false;
}

// Like the kernel, an empty reap waits a moment for a transfer to finish: the node is
// a plain file, so the library's own 1 ms wait on it returns at once.
void EmulatedCamera::Private::reapUrb(EmulatedDevice& device, UMockdevIoctlClient* client, bool wait,
                                      std::unique_lock<std::mutex>& lock)
{
    serviceIn(device);
    if (wait && !hasFinishedUrb(device, client) && !device.gone) {
        urbFinished.wait_for(lock, ReapWait, [&] {
            serviceIn(device);
            return hasFinishedUrb(device, client) || device.gone;
        });
    }
    for (auto it = device.finished.begin(); it != device.finished.end(); ++it) {
        if (it->client != client)
            continue;
        Urb urb = *it;
        device.finished.erase(it);
        writeInt(urb.urbData, offsetof(struct usbdevfs_urb, status), urb.status);
        writeInt(urb.urbData, offsetof(struct usbdevfs_urb, actual_length), urb.actualLength);
        UMockdevIoctlData* slot =
            umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(void*), nullptr);
        umockdev_ioctl_data_set_ptr(slot, 0, urb.urbData);
        umockdev_ioctl_client_complete(client, 0, 0);
        g_object_unref(slot);
        releaseUrb(urb);
        return;
    }
    umockdev_ioctl_client_complete(client, -1, device.gone ? ENODEV : EAGAIN);
}

void EmulatedCamera::Private::discardUrb(EmulatedDevice& device, UMockdevIoctlClient* client)
{
    const unsigned long address = *reinterpret_cast<unsigned long*>(umockdev_ioctl_client_get_arg(client)->data);
    for (auto it = device.pendingIn.begin(); it != device.pendingIn.end(); ++it) {
        if (it->client != client || it->clientAddress != address)
            continue;
        Urb urb = *it;
        device.pendingIn.erase(it);
        urb.status = -ENOENT;
        device.finished.push_back(urb);
        umockdev_ioctl_client_complete(client, 0, 0);
        return;
    }
    umockdev_ioctl_client_complete(client, -1, EINVAL);
}

void EmulatedCamera::Private::failPendingTransfers(EmulatedDevice& device, int status)
{
    while (!device.pendingIn.empty()) {
        Urb urb = device.pendingIn.front();
        device.pendingIn.pop_front();
        urb.status = status;
        device.finished.push_back(urb);
    }
    urbFinished.notify_all();
}

// A program that went away leaves transfers nobody will reap; the next program to
// open the camera must not get them.
void EmulatedCamera::Private::dropDeadClients(EmulatedDevice& device)
{
    auto dropFrom = [](std::deque<Urb>& urbs) {
        for (auto it = urbs.begin(); it != urbs.end();) {
            if (umockdev_ioctl_client_get_connected(it->client)) {
                ++it;
                continue;
            }
            releaseUrb(*it);
            it = urbs.erase(it);
        }
    };
    dropFrom(device.pendingIn);
    dropFrom(device.finished);
    for (auto it = device.claims.begin(); it != device.claims.end();) {
        if (umockdev_ioctl_client_get_connected(it->second))
            ++it;
        else
            it = device.claims.erase(it);
    }
}

// The most the next IN transfer may carry, as the reply's shape allows.
static int nextPieceLength(const EmulatedDevice& device, const EmulatedCamera::ReplyShape& shape, int urbLength)
{
    int length = urbLength;
    if (shape.pieceBytes > 0)
        length = std::min(length, shape.pieceBytes);
    if (shape.pauseAfterBytes > device.sentOfReply)
        length = std::min(length, shape.pauseAfterBytes - device.sentOfReply);
    return length;
}

void EmulatedCamera::Private::serviceIn(EmulatedDevice& device)
{
    while (!device.pendingIn.empty() && !device.toHost.isEmpty() && Clock::now() >= device.toHostReadyAt) {
        Urb urb = device.pendingIn.front();
        device.pendingIn.pop_front();
        const QByteArray chunk = device.toHost.left(nextPieceLength(device, replyShape, urb.length));
        device.toHost.remove(0, chunk.size());
        if (device.sentOfReply > 0) {
            const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - device.lastPieceAt);
            longestPieceGapMs = std::max<qint64>(longestPieceGapMs, gap.count());
        }
        device.lastPieceAt = Clock::now();
        device.sentOfReply += chunk.size();
        if (device.sentOfReply == replyShape.pauseAfterBytes)
            device.toHostReadyAt = Clock::now() + std::chrono::milliseconds(replyShape.pauseMs);
        umockdev_ioctl_data_update(urb.bufferData, 0, reinterpret_cast<guint8*>(const_cast<char*>(chunk.constData())),
                                   chunk.size());
        urb.actualLength = chunk.size();
        device.finished.push_back(urb);
    }
}

// ---- the camera's JSON-RPC service ---------------------------------------------------

void EmulatedCamera::Private::receiveFromHost(EmulatedDevice& device, const QByteArray& bytes)
{
    device.fromHost.append(bytes);
    while (device.fromHost.size() >= 4) {
        const auto* header = reinterpret_cast<const uchar*>(device.fromHost.constData());
        const int length = header[0] | (header[1] << 8) | (header[2] << 16) | (header[3] << 24);
        if (device.fromHost.size() < 4 + length)
            return;
        const QByteArray body = device.fromHost.mid(4, length);
        device.fromHost.remove(0, 4 + length);
        if (!body.isEmpty())
            answer(device, body);
    }
}

void EmulatedCamera::Private::answer(EmulatedDevice& device, const QByteArray& requestText)
{
    requests.append(requestText);
    requestTimes.append(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count());
    const QByteArray reply = replyFor(QJsonDocument::fromJson(requestText).object());
    if (reply.isNull())
        return;
    if (device.toHost.isEmpty()) {
        device.sentOfReply = 0;
        longestPieceGapMs = 0;
    }
    device.toHost.append(reply);
    device.toHostReadyAt = Clock::now() + std::chrono::milliseconds(replyDelayMs);
}

QByteArray EmulatedCamera::Private::replyFor(const QJsonObject& request)
{
    const QString method = request.value(QStringLiteral("method")).toString();
    if (const Responder responder = responders.value(method))
        return responder(request);
    int totalOverride = -1;
    if (method == QLatin1String("getAPList") && pagesNotReady > 0) {
        --pagesNotReady;
        totalOverride = 0;
    }
    return EmulatedCamera::defaultReply(request, networks, totalOverride);
}

QByteArray EmulatedCamera::defaultReply(const QJsonObject& request, const QStringList& networks, int totalPageOverride)
{
    const QString method = request.value(QStringLiteral("method")).toString();
    QJsonObject reply;
    reply.insert(QStringLiteral("id"), request.value(QStringLiteral("id")));
    reply.insert(QStringLiteral("jsonrpc"), QStringLiteral("2.0"));
    if (method == QLatin1String("getAPList")) {
        const int page =
            request.value(QStringLiteral("params")).toArray().at(0).toObject().value(QStringLiteral("param1")).toInt();
        const int pages = qMax(1, (networks.size() + NetworksPerPage - 1) / NetworksPerPage);
        QJsonObject list;
        for (int i = 0; i < NetworksPerPage; ++i) {
            const int index = (page - 1) * NetworksPerPage + i;
            list.insert(QStringLiteral("ssid%1").arg(i),
                        page >= 1 && index < networks.size() ? networks.at(index) : QString());
        }
        QJsonObject wifiList;
        wifiList.insert(QStringLiteral("List"), list);
        wifiList.insert(QStringLiteral("PageIndex"), page);
        wifiList.insert(QStringLiteral("TotalPage"), totalPageOverride >= 0 ? totalPageOverride : pages);
        reply.insert(QStringLiteral("result"), QJsonArray{QJsonObject{{QStringLiteral("WifiList"), wifiList}}});
    } else if (method == QLatin1String("execAPList") || method == QLatin1String("setNetworkSetting")
               || method == QLatin1String("setToken")) {
        reply.insert(QStringLiteral("result"), QJsonArray{QJsonObject()});
    } else {
        reply.insert(QStringLiteral("error"),
                     QJsonObject{{QStringLiteral("code"), -32601},
                                 {QStringLiteral("message"), QStringLiteral("Method not found")}});
    }
    return QJsonDocument(reply).toJson(QJsonDocument::Compact);
}

// ---- the bus --------------------------------------------------------------------------

QByteArray EmulatedCamera::descriptorBytes(const EmulatedDeviceShape& shape)
{
    QByteArray device;
    device.append(char(18)).append(char(1));
    appendWord(device, 0x0200);
    device.append(char(0)).append(char(0)).append(char(0)).append(char(64));
    appendWord(device, shape.vendorId);
    appendWord(device, shape.productId);
    appendWord(device, 0x0100);
    device.append(char(1)).append(char(2)).append(char(3)).append(char(1));

    QByteArray interfaces;
    for (int i = 0; i < shape.interfaces.size(); ++i) {
        const EmulatedInterface& interface = shape.interfaces.at(i);
        interfaces.append(char(9)).append(char(4)).append(char(i)).append(char(0));
        interfaces.append(char(interface.endpoints.size()))
            .append(char(0xff))
            .append(char(0))
            .append(char(0))
            .append(char(0));
        for (const EmulatedEndpoint& endpoint : interface.endpoints) {
            interfaces.append(char(7)).append(char(5)).append(char(endpoint.address)).append(char(endpoint.attributes));
            appendWord(interfaces, 512);
            interfaces.append(char(0));
        }
    }
    QByteArray config;
    config.append(char(9)).append(char(2));
    appendWord(config, static_cast<uint16_t>(9 + interfaces.size()));
    config.append(char(shape.interfaces.size())).append(char(1)).append(char(0)).append(char(0x80)).append(char(50));
    return device + config + interfaces;
}

namespace {
QByteArray deviceParagraph(const QByteArray& devpath, int devnum, const EmulatedDeviceShape& shape)
{
    const QByteArray hex = hexOf(EmulatedCamera::descriptorBytes(shape));
    const QByteArray number = QByteArray::number(devnum).rightJustified(3, '0');
    const QByteArray vendor = QByteArray::number(shape.vendorId, 16).rightJustified(4, '0');
    const QByteArray product = QByteArray::number(shape.productId, 16).rightJustified(4, '0');
    return "P: " + devpath
        + "\n"
          "N: bus/usb/001/"
        + number + "=" + hex
        + "\n"
          "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n"
          "E: DEVNAME=/dev/bus/usb/001/"
        + number
        + "\n"
          "E: PRODUCT="
        + QByteArray::number(shape.vendorId, 16) + "/" + QByteArray::number(shape.productId, 16)
        + "/100\n"
          "E: BUSNUM=001\nE: DEVNUM="
        + number
        + "\n"
          "A: idVendor="
        + vendor + "\nA: idProduct=" + product
        + "\n"
          "A: busnum=1\nA: devnum="
        + QByteArray::number(devnum)
        + "\n"
          "A: dev=189:"
        + QByteArray::number(devnum - 1)
        + "\n"
          "H: descriptors="
        + hex + "\n";
}
}

void EmulatedCamera::Private::addRootHub()
{
    EmulatedDeviceShape hub;
    hub.vendorId = 0x1d6b;
    hub.productId = 0x0002;
    hub.interfaces = {{{{0x81, 3}}, true}};
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(testbed, deviceParagraph("/devices/usb1", 1, hub).constData(), &error))
        qFatal("cannot add the emulated root hub: %s", error->message);
}

EmulatedCamera::EmulatedCamera()
    : d(new Private)
{
    d->testbed = umockdev_testbed_new();
    if (!umockdev_in_mock_environment())
        qFatal("The emulated camera needs the umockdev preload library (run under umockdev-wrapper)");
    d->addRootHub();
}

EmulatedCamera::~EmulatedCamera()
{
    unplugAll();
    g_object_unref(d->testbed);
}

void EmulatedCamera::unplugAll()
{
    QList<int> handles;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        for (const auto& entry : d->devices)
            handles.append(entry.first);
    }
    for (int handle : handles)
        unplug(handle);
}

QString EmulatedCamera::rootDir() const
{
    gchar* root = umockdev_testbed_get_root_dir(d->testbed);
    const QString result = QString::fromLocal8Bit(root);
    g_free(root);
    return result;
}

int EmulatedCamera::plug(const EmulatedDeviceShape& shape)
{
    auto device = std::make_unique<EmulatedDevice>();
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        device->handle = d->nextHandle++;
        device->devnum = d->nextDevnum++;
    }
    device->shape = shape;
    device->owner = d.get();
    const QByteArray devpath = "/devices/usb1/1-" + QByteArray::number(device->devnum);
    device->syspath = "/sys" + devpath;
    device->devnode = "/dev/bus/usb/001/" + QByteArray::number(device->devnum).rightJustified(3, '0');

    GError* error = nullptr;
    device->handler = umockdev_ioctl_base_new();
    g_signal_connect(device->handler, "handle-ioctl", G_CALLBACK(Private::onIoctl), device.get());
    if (!umockdev_testbed_attach_ioctl(d->testbed, device->devnode.constData(), device->handler, &error))
        qFatal("cannot attach the emulated camera: %s", error->message);
    if (!umockdev_testbed_add_from_string(d->testbed, deviceParagraph(devpath, device->devnum, shape).constData(),
                                          &error))
        qFatal("cannot plug the emulated camera: %s", error->message);

    const int handle = device->handle;
    std::lock_guard<std::mutex> lock(d->mutex);
    d->lastHandle = handle;
    d->devices[handle] = std::move(device);
    return handle;
}

// The order matters: a handle left open must fail from now on, and a rescan right
// after the removal event must no longer find the node.
void EmulatedCamera::unplug(int handle)
{
    if (EmulatedDevice* device = d->failTransfers(handle)) {
        d->announceRemoval(*device);
        d->forget(*device);
    }
}

void EmulatedCamera::unplugBeforeTransfersFail(int handle, int graceMs)
{
    EmulatedDevice* device = nullptr;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        auto found = d->devices.find(handle);
        if (found == d->devices.end() || found->second->gone)
            return;
        device = found->second.get();
    }
    d->announceRemoval(*device);
    QTimer::singleShot(graceMs, qApp, [this, handle] {
        if (EmulatedDevice* gone = d->failTransfers(handle))
            d->forget(*gone);
    });
}

EmulatedDevice* EmulatedCamera::Private::failTransfers(int handle)
{
    std::lock_guard<std::mutex> lock(mutex);
    auto found = devices.find(handle);
    if (found == devices.end() || found->second->gone)
        return nullptr;
    found->second->gone = true;
    failPendingTransfers(*found->second, -ESHUTDOWN);
    return found->second.get();
}

void EmulatedCamera::Private::announceRemoval(const EmulatedDevice& device)
{
    gchar* root = umockdev_testbed_get_root_dir(testbed);
    unlink((QByteArray(root) + device.devnode).constData());
    g_free(root);
    umockdev_testbed_uevent(testbed, device.syspath.constData(), "remove");
}

void EmulatedCamera::Private::forget(const EmulatedDevice& device)
{
    umockdev_testbed_remove_device(testbed, device.syspath.constData());
    umockdev_testbed_detach_ioctl(testbed, device.devnode.constData(), nullptr);
}

QString EmulatedCamera::busPath(int handle) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return QString::fromLatin1(d->devices.at(handle)->devnode.mid(QByteArrayLiteral("/dev/bus/usb/").size()));
}

void EmulatedCamera::sendEvent(int handle, const char* action)
{
    QByteArray syspath;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        syspath = d->devices.at(handle)->syspath;
    }
    umockdev_testbed_uevent(d->testbed, syspath.constData(), action);
}

void EmulatedCamera::addInterfaceOf(int handle)
{
    int devnum = 0;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        devnum = d->devices.at(handle)->devnum;
    }
    const QByteArray name = "1-" + QByteArray::number(devnum);
    const QByteArray paragraph = "P: /devices/usb1/" + name + "/" + name
        + ":1.0\n"
          "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\nE: INTERFACE=255/0/0\n"
          "A: bInterfaceNumber=00\n";
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(d->testbed, paragraph.constData(), &error))
        qFatal("cannot add an interface: %s", error->message);
}

void EmulatedCamera::unplug()
{
    int handle = 0;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        handle = d->lastHandle;
    }
    unplug(handle);
}

bool EmulatedCamera::isPlugged(int handle) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    const auto found = d->devices.find(handle);
    return found != d->devices.end() && !found->second->gone;
}

// ---- scripting and records --------------------------------------------------------------

void EmulatedCamera::setNetworks(const QStringList& names)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->networks = names;
}

void EmulatedCamera::setPagesNotReady(int count)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->pagesNotReady = count;
}

void EmulatedCamera::setResponder(const QString& method, Responder responder)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->responders.insert(method, std::move(responder));
}

void EmulatedCamera::setSilent(const QString& method)
{
    setResponder(method, [](const QJsonObject&) { return QByteArray(); });
}

void EmulatedCamera::setError(const QString& method, int code, const QString& message)
{
    setResponder(method, [code, message](const QJsonObject& request) {
        QJsonObject reply;
        reply.insert(QStringLiteral("id"), request.value(QStringLiteral("id")));
        reply.insert(QStringLiteral("jsonrpc"), QStringLiteral("2.0"));
        reply.insert(QStringLiteral("error"),
                     QJsonObject{{QStringLiteral("code"), code}, {QStringLiteral("message"), message}});
        return QJsonDocument(reply).toJson(QJsonDocument::Compact);
    });
}

void EmulatedCamera::setRawReply(const QString& method, const QByteArray& reply)
{
    setResponder(method, [reply](const QJsonObject&) { return reply; });
}

void EmulatedCamera::setReplyDelay(int milliseconds)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->replyDelayMs = milliseconds;
}

void EmulatedCamera::setReplyShape(const ReplyShape& shape)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->replyShape = shape;
}

void EmulatedCamera::resetBehaviour()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->responders.clear();
    d->networks.clear();
    d->pagesNotReady = 0;
    d->replyDelayMs = 0;
    d->replyShape = ReplyShape();
}

QList<QByteArray> EmulatedCamera::requests() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->requests;
}

QStringList EmulatedCamera::requestedMethods() const
{
    QStringList methods;
    for (const QByteArray& request : requests())
        methods.append(QJsonDocument::fromJson(request).object().value(QStringLiteral("method")).toString());
    return methods;
}

QList<qint64> EmulatedCamera::requestTimes() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->requestTimes;
}

qint64 EmulatedCamera::longestPieceGapMs() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->longestPieceGapMs;
}

QList<EmulatedOutTransfer> EmulatedCamera::outTransfers() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->outTransfers;
}

QVector<int> EmulatedCamera::claimedInterfaces(int handle) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    QVector<int> claimed;
    const auto found = d->devices.find(handle);
    if (found != d->devices.end()) {
        for (const auto& claim : found->second->claims)
            claimed.append(claim.first);
    }
    return claimed;
}

void EmulatedCamera::clearRecords()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->requests.clear();
    d->requestTimes.clear();
    d->outTransfers.clear();
}

bool EmulatedCamera::waitForRequests(int count, int timeoutMs) const
{
    QElapsedTimer timer;
    timer.start();
    while (requests().size() < count) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}
