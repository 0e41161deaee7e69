#include "ClWidgetReceiveNotifyEvent.h"

#include <QUuid>

#include <windows.h>
#include <dbt.h>

ClWidgetReceiveNotifyEvent::ClWidgetReceiveNotifyEvent(QWidget* parent)
    : QWidget(parent)
{
    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_reserved = 0;
    filter.dbcc_classguid = QUuid(QStringLiteral("{A5DCBF10-6530-11D2-901F-00C04FB951ED}"));
    m_notifyHandle =
        RegisterDeviceNotificationW(reinterpret_cast<HANDLE>(winId()), &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

ClWidgetReceiveNotifyEvent::~ClWidgetReceiveNotifyEvent()
{
    if (m_notifyHandle)
        UnregisterDeviceNotification(m_notifyHandle);
}

bool ClWidgetReceiveNotifyEvent::nativeEvent(const QByteArray& eventType, void* message, long* result)
{
    Q_UNUSED(eventType);
    Q_UNUSED(result);
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_DEVICECHANGE
        && (msg->wParam == DBT_DEVICEARRIVAL || msg->wParam == DBT_DEVICEREMOVECOMPLETE))
        emit sigChangeDevice();
    return false;
}
