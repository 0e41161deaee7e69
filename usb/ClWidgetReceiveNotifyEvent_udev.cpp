#include "ClWidgetReceiveNotifyEvent.h"

#include <QSocketNotifier>

#include <cstring>
#include <libudev.h>

ClWidgetReceiveNotifyEvent::ClWidgetReceiveNotifyEvent(QWidget* parent)
    : QWidget(parent)
{
    m_udev = udev_new();
    if (!m_udev)
        return;
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor)
        return;
    udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "usb", "usb_device");
    if (udev_monitor_enable_receiving(m_monitor) < 0)
        return;
    m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ClWidgetReceiveNotifyEvent::readDeviceEvent);
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
