#include "ClWidgetReceiveNotifyEvent.h"

#include "UsbLog.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cstring>
#include <libudev.h>

namespace {
constexpr int RescanWithoutMonitorMs = 2000;
}

// Without device events the camera would never be found after start-up; a coarse
// periodic rescan stands in for them.
ClWidgetReceiveNotifyEvent::ClWidgetReceiveNotifyEvent(QWidget* parent)
    : QWidget(parent)
{
    if (watchDevices())
        return;
    qCWarning(lcUsb) << "Cannot watch USB devices through udev; looking for the camera every"
                     << RescanWithoutMonitorMs / 1000 << "s instead";
    auto* rescan = new QTimer(this);
    connect(rescan, &QTimer::timeout, this, &ClWidgetReceiveNotifyEvent::sigChangeDevice);
    rescan->start(RescanWithoutMonitorMs);
}

bool ClWidgetReceiveNotifyEvent::watchDevices()
{
    m_udev = udev_new();
    if (!m_udev)
        return false;
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor)
        return false;
    udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "usb", "usb_device");
    if (udev_monitor_enable_receiving(m_monitor) < 0)
        return false;
    m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ClWidgetReceiveNotifyEvent::readDeviceEvent);
    return true;
}

ClWidgetReceiveNotifyEvent::~ClWidgetReceiveNotifyEvent()
{
    delete m_notifier;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

void ClWidgetReceiveNotifyEvent::readDeviceEvent()
{
    struct udev_device* device = udev_monitor_receive_device(m_monitor);
    if (!device)
        return;
    const char* action = udev_device_get_action(device);
    const char* devtype = udev_device_get_devtype(device);
    const bool isUsbDevice = devtype && std::strcmp(devtype, "usb_device") == 0;
    const bool isArrivalOrRemoval = action && (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0);
    udev_device_unref(device);
    if (isUsbDevice && isArrivalOrRemoval)
        emit sigChangeDevice();
}
