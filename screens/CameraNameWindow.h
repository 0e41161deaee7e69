#pragma once

#include "WebClientWindow.h"
#include "usb/ElCmd.h"

class CameraListener;
class DeviceRegistration;
class ServiceReply;

namespace Ui {
class CameraNameWindow;
}

// Names the camera, registers it with the account service and then, under the user's
// identity, with the application service, and hands the device identity to the camera.
class CameraNameWindow : public WebClientWindow
{
    Q_OBJECT

public:
    static constexpr const char* DeviceKind = "HW_KLM-3";

    explicit CameraNameWindow(QWidget* parent = nullptr);
    ~CameraNameWindow() override;

    void sendRequest(QByteArray request) override;
    QString serialId() const;

protected:
    void handleReplySuccess(ServiceReply* reply) override;
    void handleHttpError(int statusCode, ServiceReply* reply) override;
    void handleNetworkError(int errorCode, ServiceReply* reply) override;

private slots:
    void on_button_next_clicked();
    void on_button_next_pressed();
    void on_button_next_released();
    void receiveCmd(EL_CMD cmd);

private:
    void handDeviceIdentityToCamera(const QString& deviceId);
    void showIdentityNotTaken();
    void showFailedStep(ServiceReply* reply);
    void handleCameraAnswer(const QJsonObject& answer);

    Ui::CameraNameWindow* ui;
    QString m_serialId;
    QString m_deviceId; // once the service has registered the camera
    DeviceRegistration* m_registration;
    CameraListener* m_camera;
};
