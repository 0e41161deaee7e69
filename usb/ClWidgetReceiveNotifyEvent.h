#pragma once

#include <QWidget>

#ifndef Q_OS_WIN
struct udev;
struct udev_monitor;
class QSocketNotifier;
#endif

// A hidden widget that reports each arrival and each removal of a USB device.
// It does not say which device: the manager's rescan finds that out.
class ClWidgetReceiveNotifyEvent : public QWidget
{
    Q_OBJECT

public:
    explicit ClWidgetReceiveNotifyEvent(QWidget* parent = nullptr);
    ~ClWidgetReceiveNotifyEvent() override;

signals:
    void sigChangeDevice();

#ifdef Q_OS_WIN
protected:
    bool nativeEvent(const QByteArray& eventType, void* message, long* result) override;

private:
    void* m_notifyHandle = nullptr;
#else
private:
    bool watchDevices();
    void readDeviceEvent();

    struct udev* m_udev = nullptr;
    struct udev_monitor* m_monitor = nullptr;
    QSocketNotifier* m_notifier = nullptr;
#endif
};
