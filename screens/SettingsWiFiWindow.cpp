#include "SettingsWiFiWindow.h"
#include "ui_SettingsWiFiWindow.h"

#include "CameraListener.h"
#include "CameraTrouble.h"
#include "FieldHint.h"
#include "InputValidators.h"
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
    const bool nameGiven = !networkName.isEmpty();
    m_nameHint = new FieldHint(ui->lineEdit, ui->label_hint, InputValidators::isWifiNetworkName, !nameGiven);
    m_passwordHint = new FieldHint(ui->lineEdit_2, ui->label_hint_2, InputValidators::isWifiPassword);
    connect(m_nameHint, &FieldHint::changed, this, &SettingsWiFiWindow::updateConnectButton);
    connect(m_passwordHint, &FieldHint::changed, this, &SettingsWiFiWindow::updateConnectButton);
    ScreenFrame::pressOnEnter({ui->lineEdit, ui->lineEdit_2}, ui->button_connect_wifi);
    m_camera = listenToCamera({UsbUtil::NetworkSettingId});
    connect(m_camera, &CameraListener::answered, this,
            [this](int, const QJsonObject& answer) { handleCameraAnswer(answer); });
    // The settings stay as typed, for another try.
    connect(m_camera, &CameraListener::failed, this, [this] {
        setDisabled(false);
        showMessage(QMessageBox::Warning, CameraTrouble::exchangeFailure());
    });
    if (nameGiven) {
        ui->lineEdit->setDisabled(true);
        ui->lineEdit->setText(networkName);
    }
    (nameGiven ? ui->lineEdit_2 : ui->lineEdit)->setFocus();
    updateConnectButton();
    ScreenFrame::prepare(this);
}

// What the camera cannot take is never sent: an empty or too long name, or a password
// no Wi-Fi network can have.
void SettingsWiFiWindow::updateConnectButton()
{
    ui->button_connect_wifi->setEnabled(m_nameHint->isAcceptable() && m_passwordHint->isAcceptable());
}

SettingsWiFiWindow::~SettingsWiFiWindow()
{
    delete ui;
}

void SettingsWiFiWindow::sendRequest(QByteArray request)
{
    UsbUtil::instance()->send(request);
}

void SettingsWiFiWindow::handleReplySuccess(ServiceReply*)
{
}

void SettingsWiFiWindow::handleHttpError(int, ServiceReply*)
{
}

void SettingsWiFiWindow::handleNetworkError(int, ServiceReply*)
{
}

void SettingsWiFiWindow::on_button_back_to_wifilist_clicked()
{
    ScreenFrame::moveOn(this, [] { return new WifiListWindow; });
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
    ScreenFrame::moveOn(this, [this, answer] {
        showCameraError(answer);
        return new CameraNameWindow;
    });
}
