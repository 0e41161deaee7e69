#pragma once

#include "WebClientWindow.h"
#include "usb/ElCmd.h"

class CameraListener;
class FieldHint;

namespace Ui {
class SettingsWiFiWindow;
}

// Asks for the Wi-Fi password (and the network name, when none was picked) and writes
// both into the camera.
class SettingsWiFiWindow : public WebClientWindow
{
    Q_OBJECT

public:
    explicit SettingsWiFiWindow(const QString& networkName, QWidget* parent = nullptr);
    ~SettingsWiFiWindow() override;

    void sendRequest(QByteArray request) override;

protected:
    void handleReplySuccess(ServiceReply* reply) override;
    void handleHttpError(int statusCode, ServiceReply* reply) override;
    void handleNetworkError(int errorCode, ServiceReply* reply) override;

private slots:
    void on_button_back_to_wifilist_clicked();
    void on_button_back_to_wifilist_pressed();
    void on_button_back_to_wifilist_released();
    void on_button_connect_wifi_clicked();
    void on_button_connect_wifi_pressed();
    void on_button_connect_wifi_released();
    void receiveCmd(EL_CMD cmd);

private:
    void handleCameraAnswer(const QJsonObject& answer);
    void updateConnectButton();

    Ui::SettingsWiFiWindow* ui;
    CameraListener* m_camera;
    FieldHint* m_nameHint;
    FieldHint* m_passwordHint;
};
