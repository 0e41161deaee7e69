#include "ClLibUsbController.h"

#include <cerrno>

namespace {
constexpr int TransferBulk = 2;
constexpr int TransferInterrupt = 3;
constexpr int DirectionIn = 0x80;
}

ClLibUsbController::ClLibUsbController(struct usb_device* device)
    : QObject(nullptr)
    , m_device(device)
    , m_deviceKey(deviceKeyOf(device))
{
}

ClLibUsbController::~ClLibUsbController()
{
    close();
}

QString ClLibUsbController::deviceKeyOf(const struct usb_device* device)
{
    return QStringLiteral("%1/%2").arg(QString::fromLocal8Bit(device->bus->dirname),
                                       QString::fromLocal8Bit(device->filename));
}

QString ClLibUsbController::deviceKey() const
{
    return m_deviceKey;
}

QVector<int> ClLibUsbController::claimedInterfaces() const
{
    return m_claimedInterfaces;
}

bool ClLibUsbController::isOpen() const
{
    return m_handle != nullptr;
}

int ClLibUsbController::openError() const
{
    return m_openError;
}

bool ClLibUsbController::open()
{
    if (m_handle)
        return true;
    errno = 0;
    m_openError = 0;
    m_handle = usb_open(m_device);
    if (!m_handle) {
        m_openError = errno != 0 ? errno : EIO;
        return false;
    }
    if (claimInterfaces())
        return true;
    if (m_openError == 0)
        m_openError = ENXIO;
    close();
    return false;
}

void ClLibUsbController::close()
{
    if (!m_handle)
        return;
    while (!m_claimedInterfaces.isEmpty())
        usb_release_interface(m_handle, m_claimedInterfaces.takeFirst());
    usb_close(m_handle);
    m_handle = nullptr;
    emit sigClose(this);
}

void ClLibUsbController::resetDevice()
{
    if (m_handle)
        usb_reset(m_handle);
}

bool ClLibUsbController::claimInterfaces()
{
    if (!m_endpoints.isEmpty())
        return true;
    for (int c = 0; c < m_device->descriptor.bNumConfigurations; ++c) {
        const struct usb_config_descriptor& config = m_device->config[c];
        for (int i = 0; i < config.bNumInterfaces; ++i) {
            const int claimed = usb_claim_interface(m_handle, i);
            if (claimed < 0) {
                m_openError = -claimed;
                break;
            }
            m_claimedInterfaces.append(i);
            collectEndpoints(config.interface[i]);
        }
    }
    return !m_endpoints.isEmpty();
}

void ClLibUsbController::collectEndpoints(const struct usb_interface& interface)
{
    for (int a = 0; a < interface.num_altsetting; ++a) {
        const struct usb_interface_descriptor& setting = interface.altsetting[a];
        for (int e = 0; e < setting.bNumEndpoints; ++e)
            m_endpoints.append(setting.endpoint[e]);
    }
}

unsigned char ClLibUsbController::findEndpoint(int type, int address)
{
    type &= 0xff;
    address &= 0xff;
    if (type != TransferBulk && type != TransferInterrupt)
        return NoEndpoint;
    for (const auto& endpoint : qAsConst(m_endpoints)) {
        if (endpoint.bEndpointAddress == address)
            return static_cast<unsigned char>(address);
    }
    for (const auto& endpoint : qAsConst(m_endpoints)) {
        if (endpoint.bmAttributes == type && (endpoint.bEndpointAddress & DirectionIn) == (address & DirectionIn))
            return endpoint.bEndpointAddress;
    }
    return NoEndpoint;
}

int ClLibUsbController::mapResult(int libraryResult)
{
    if (libraryResult > 0)
        return Success;
    switch (libraryResult) {
    case -EIO:
        return IoError;
    case -EBUSY:
        return Busy;
    case -ETIMEDOUT:
        return TimedOut;
    default:
        return OtherFailure;
    }
}

int ClLibUsbController::bulkWrite(const QByteArray& data, int timeout, int endpoint)
{
    if (!m_handle)
        return NotOpen;
    const unsigned char address = findEndpoint(TransferBulk, endpoint);
    if (address == NoEndpoint)
        return NotOpen;
    QByteArray bytes = data;
    return mapResult(usb_bulk_write(m_handle, address, bytes.data(), bytes.size(), timeout));
}

int ClLibUsbController::bulkRead(QByteArray& out, int timeout, int endpoint)
{
    if (!m_handle)
        return NotOpen;
    const unsigned char address = findEndpoint(TransferBulk, (endpoint & 0xff) | DirectionIn);
    if (address == NoEndpoint)
        return NotOpen;
    QByteArray buffer(ReadBufferSize, '\0');
    const int received = usb_bulk_read(m_handle, address, buffer.data(), buffer.size(), timeout);
    if (received > 0)
        out = buffer.left(received);
    // Success even when the read failed or timed out, by design: callers take no bytes
    // for no answer, and only a camera that is not open for a failed exchange.
    return Success;
}
