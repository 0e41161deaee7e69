#include "SettingsWiFiWindow.h"
#include "ui_SettingsWiFiWindow.h"

#include "CameraListener.h"
#include "ScreenFrame.h"
#include "WifiListWindow.h"
#include "CameraNameWindow.h"
#include "command/UsbUtil.h"

#include <QJsonObject>

SettingsWiFiWindow::SettingsWiFiWindow(const QString& networkName, QWidget* parent)
    : WebClientWindow(parent)
    , ui(new Ui::SettingsWiFiWindow)
{
    ui->setupUi(this);
    ScreenFrame::addRevealAction(ui->lineEdit_2);
    m_camera = listenToCamera({UsbUtil::NetworkSettingId});
    connect(m_camera, &CameraListener::answered, this,
            [this](int, const QJsonObject& answer) { handleCameraAnswer(answer); });
    if (!networkName.isEmpty()) {
        ui->lineEdit->setDisabled(true);
        ui->lineEdit->setText(networkName);
    }
}

SettingsWiFiWindow::~SettingsWiFiWindow()
{
    delete ui;
}

void SettingsWiFiWindow::sendRequest(QByteArray request)
{
    UsbUtil::instance()->send(request);
}

void SettingsWiFiWindow::handleReplySuccess(QNetworkReply*)
{
}

void SettingsWiFiWindow::handleHttpError(int, QNetworkReply*)
{
}

void SettingsWiFiWindow::handleNetworkError(int, QNetworkReply*)
{
}

void SettingsWiFiWindow::leaveFor(QMainWindow* next)
{
    m_camera->stop();
    ScreenFrame::handOver(this, next);
}

void SettingsWiFiWindow::on_button_back_to_wifilist_clicked()
{
    if (ScreenFrame::leave(this))
        leaveFor(new WifiListWindow);
}

void SettingsWiFiWindow::on_button_back_to_wifilist_pressed()
{
    ScreenFrame::showFace(ui->button_back_to_wifilist, QStringLiteral(":/images/05_connect_wifi_back_down.png"));
}

void SettingsWiFiWindow::on_button_back_to_wifilist_released()
{
    ScreenFrame::showFace(ui->button_back_to_wifilist, QStringLiteral(":/images/05_connect_wifi_back_up.png"));
}

void SettingsWiFiWindow::on_button_connect_wifi_clicked()
{
    setDisabled(true);
    const QString password = ui->lineEdit_2->text();
    const QString ssid = ui->lineEdit->text();
    const QByteArray request = UsbUtil::instance()->setNetworkSetting(ssid, password);
    sendRequest(request);
}

void SettingsWiFiWindow::on_button_connect_wifi_pressed()
{
    ScreenFrame::showFace(ui->button_connect_wifi, QStringLiteral(":/images/05_connect_wifi_down.png"));
}

void SettingsWiFiWindow::on_button_connect_wifi_released()
{
    ScreenFrame::showFace(ui->button_connect_wifi, QStringLiteral(":/images/05_connect_wifi_up.png"));
}

void SettingsWiFiWindow::receiveCmd(EL_CMD cmd)
{
    m_camera->take(cmd);
}

void SettingsWiFiWindow::handleCameraAnswer(const QJsonObject& answer)
{
    if (!ScreenFrame::leave(this))
        return;
    showCameraError(answer);
    leaveFor(new CameraNameWindow);
}
