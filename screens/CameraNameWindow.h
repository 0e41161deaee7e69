#pragma once

#include "WebClientWindow.h"
#include "usb/ElCmd.h"

#include <QNetworkReply>
#include <QPointer>

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
    void handleReplySuccess(QNetworkReply* reply) override;
    void handleHttpError(int statusCode, QNetworkReply* reply) override;
    void handleNetworkError(int errorCode, QNetworkReply* reply) override;

private slots:
    void on_button_next_clicked();
    void on_button_next_pressed();
    void on_button_next_released();
    void receiveCmd(EL_CMD cmd);

private:
    void registerWithApplicationService(const QString& deviceId);
    void handDeviceIdentityToCamera(const QString& deviceId);
    void handleCameraAnswer(const QJsonObject& answer);

    Ui::CameraNameWindow* ui;
    QString m_serialId;
    // The request of each step in flight: both hosts may share one name, so a reply is
    // known by the request it answers, never by its address.
    QPointer<QNetworkReply> m_accountStep;
    QPointer<QNetworkReply> m_applicationStep;
};
