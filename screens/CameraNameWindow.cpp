#include "CameraNameWindow.h"
#include "ui_CameraNameWindow.h"

#include "CameraListener.h"
#include "CameraTrouble.h"
#include "FieldHint.h"
#include "InputValidators.h"
#include "cloud/DeviceRegistration.h"
#include "MyApplication.h"
#include "command/UsbUtil.h"
#include "CompleteWindow.h"
#include "ScreenFrame.h"

#include <QJsonObject>
#include <QUuid>

namespace {
QString newSerialId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}
}

CameraNameWindow::CameraNameWindow(QWidget* parent)
    : WebClientWindow(parent)
    , ui(new Ui::CameraNameWindow)
    , m_serialId(newSerialId())
{
    ui->setupUi(this);
    auto* nameHint = new FieldHint(ui->lineEdit_2, ui->label_hint, InputValidators::isCameraName);
    connect(nameHint, &FieldHint::changed, this,
            [this, nameHint] { ui->button_next->setEnabled(nameHint->isAcceptable()); });
    ui->button_next->setEnabled(false);
    ScreenFrame::pressOnEnter({ui->lineEdit_2}, ui->button_next);
    ui->lineEdit_2->setFocus();
    m_registration = new DeviceRegistration(service().poster(), this);
    connect(m_registration, &DeviceRegistration::registered, this, &CameraNameWindow::handDeviceIdentityToCamera);
    connect(m_registration, &DeviceRegistration::stepFailed, this, &CameraNameWindow::showFailedStep);
    m_camera = listenToCamera({UsbUtil::TokenId});
    connect(m_camera, &CameraListener::answered, this,
            [this](int, const QJsonObject& answer) { handleCameraAnswer(answer); });
    connect(m_camera, &CameraListener::failed, this, &CameraNameWindow::showIdentityNotTaken);
    ScreenFrame::prepare(this);
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
    if (!m_deviceId.isEmpty()) {
        handDeviceIdentityToCamera(m_deviceId);
        return;
    }
    const MyApplication* app = MyApplication::current();
    m_registration->start(
        {m_serialId, QLatin1String(DeviceKind), ui->lineEdit_2->text(), app->uuid(), app->accessToken()});
}

void CameraNameWindow::on_button_next_pressed()
{
    ScreenFrame::showFace(ui->button_next, QStringLiteral(":/images/03_next_down.png"));
}

void CameraNameWindow::on_button_next_released()
{
    ScreenFrame::showFace(ui->button_next, QStringLiteral(":/images/03_next_up.png"));
}

void CameraNameWindow::handleReplySuccess(ServiceReply* reply)
{
    m_registration->takeSuccess(reply);
}

void CameraNameWindow::showFailedStep(ServiceReply* reply)
{
    showFailedReply(tr("カメラ登録中にエラーが発生しました"), reply, ui->button_next);
}

void CameraNameWindow::handDeviceIdentityToCamera(const QString& deviceId)
{
    m_deviceId = deviceId;
    const QByteArray request = UsbUtil::instance()->setToken(deviceId, m_serialId);
    sendRequest(request);
}

// The camera is registered already: the next button hands the same identity to the
// camera again rather than registering it a second time.
void CameraNameWindow::showIdentityNotTaken()
{
    showMessage(QMessageBox::Warning, CameraTrouble::exchangeFailure());
    ui->button_next->setEnabled(true);
}

void CameraNameWindow::handleHttpError(int statusCode, ServiceReply* reply)
{
    showHttpError(tr("カメラ登録中にエラーが発生しました"), statusCode, reply);
    ui->button_next->setEnabled(true);
}

void CameraNameWindow::handleNetworkError(int errorCode, ServiceReply*)
{
    showNetworkError(errorCode, ui->button_next);
}

void CameraNameWindow::receiveCmd(EL_CMD cmd)
{
    m_camera->take(cmd);
}

void CameraNameWindow::handleCameraAnswer(const QJsonObject& answer)
{
    ScreenFrame::moveOn(this, [this, answer] {
        showCameraError(answer);
        return new CompleteWindow;
    });
}
