#include "CameraNameWindow.h"
#include "ui_CameraNameWindow.h"

#include "cloud/CloudLog.h"
#include "cloud/ServiceHosts.h"
#include "MyApplication.h"
#include "command/UsbUtil.h"
#include "CompleteWindow.h"
#include "ScreenFrame.h"

#include <QJsonDocument>
#include <QNetworkReply>
#include <QUuid>

namespace {
QString newSerialId()
{
    const QString braced = QUuid::createUuid().toString();
    return braced.mid(1, braced.size() - 2);
}
}

CameraNameWindow::CameraNameWindow(QWidget* parent)
    : WebClientWindow(parent)
    , ui(new Ui::CameraNameWindow)
    , m_serialId(newSerialId())
{
    ui->setupUi(this);
    UsbUtil::instance()->connectCommand(this, "1receiveCmd(EL_CMD)");
}

CameraNameWindow::~CameraNameWindow()
{
    delete ui;
}

QString CameraNameWindow::serialId() const
{
    return m_serialId;
}

void CameraNameWindow::sendRequest(QByteArray request)
{
    UsbUtil::instance()->send(request);
}

void CameraNameWindow::on_button_next_clicked()
{
    ui->button_next->setEnabled(false);
    QJsonObject device;
    device.insert(QStringLiteral("serialId"), m_serialId);
    device.insert(QStringLiteral("kind"), QLatin1String(DeviceKind));
    qCDebug(lcCloud) << QJsonDocument(device).toJson();
    m_accountStep = postJson(ServiceHosts::httpsUrl(ServiceHosts::accountHost(), QStringLiteral("/devices")), device,
                             {{"User-Agent", "NUVA/1.0"}});
}

void CameraNameWindow::on_button_next_pressed()
{
    ScreenFrame::showFace(ui->button_next, QStringLiteral(":/images/03_next_down.png"));
}

void CameraNameWindow::on_button_next_released()
{
    ScreenFrame::showFace(ui->button_next, QStringLiteral(":/images/03_next_up.png"));
}

void CameraNameWindow::handleReplySuccess(QNetworkReply* reply)
{
    QString deviceId;
    if (!requiredText(replyObject(reply), QStringLiteral("deviceId"), deviceId)) {
        showFailedReply(tr("カメラ登録中にエラーが発生しました"), reply, ui->button_next);
        return;
    }
    if (reply == m_accountStep)
        registerWithApplicationService(deviceId);
    else if (reply == m_applicationStep)
        handDeviceIdentityToCamera(deviceId);
}

void CameraNameWindow::registerWithApplicationService(const QString& deviceId)
{
    QJsonObject device;
    device.insert(QStringLiteral("deviceId"), deviceId);
    device.insert(QStringLiteral("name"), ui->lineEdit_2->text());
    device.insert(QStringLiteral("kind"), QLatin1String(DeviceKind));
    qCDebug(lcCloud) << QJsonDocument(device).toJson();
    const MyApplication* app = MyApplication::current();
    const QByteArray authorization =
        (QStringLiteral("X-NUVA uuid=") + app->uuid() + QStringLiteral(" token=") + app->accessToken()).toUtf8();
    m_applicationStep = postJson(ServiceHosts::httpsUrl(ServiceHosts::applicationHost(), QStringLiteral("/devices")),
                                 device, {}, {{"Authorization", authorization}});
}

void CameraNameWindow::handDeviceIdentityToCamera(const QString& deviceId)
{
    const QByteArray request = UsbUtil::instance()->setToken(deviceId, m_serialId);
    sendRequest(request);
}

void CameraNameWindow::handleHttpError(int statusCode, QNetworkReply* reply)
{
    showMessage(QMessageBox::Warning,
                tr("カメラ登録中にエラーが発生しました") + QLatin1Char('\n')
                    + QStringLiteral("code:%1, phrase:%2").arg(statusCode).arg(reasonPhrase(reply)));
    ui->button_next->setEnabled(true);
}

void CameraNameWindow::handleNetworkError(int errorCode, QNetworkReply*)
{
    showNetworkError(errorCode, ui->button_next);
}

void CameraNameWindow::receiveCmd(EL_CMD cmd)
{
    if (ScreenFrame::hasLeft(this))
        return;
    const QUuid command = commandOf(cmd);
    if (command == CMD_OPEN_DEVICE)
        setScreenEnabled(true);
    else if (command == CMD_CLOSE_DEVICE)
        setScreenEnabled(false);
    else if (command == CMD_JSON_RPC)
        handleCameraAnswer(UsbUtil::readReply(cmd));
}

void CameraNameWindow::handleCameraAnswer(const QJsonObject& answer)
{
    if (!UsbUtil::isInBand(answer, UsbUtil::TokenId) || !ScreenFrame::leave(this))
        return;
    showCameraError(answer);
    UsbUtil::instance()->disconnectCommand(this, "1receiveCmd(EL_CMD)");
    ScreenFrame::handOver(this, new CompleteWindow);
}
