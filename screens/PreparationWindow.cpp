#include "PreparationWindow.h"
#include "ui_PreparationWindow.h"

#include "CameraListener.h"
#include "CameraTrouble.h"
#include "ScreenFrame.h"
#include "ScreensLog.h"
#include "LoginWindow.h"
#include "RegistUserWindow.h"
#include "command/UsbUtil.h"

PreparationWindow::PreparationWindow(QWidget* parent)
    : ScreenWindow(parent)
    , ui(new Ui::PreparationWindow)
{
    ui->setupUi(this);
    m_camera = new CameraListener(this, {});
    connect(m_camera, &CameraListener::opened, this, [this] {
        qCDebug(lcScreens) << "Open USB device";
        explainOpenFailure(0);
        setWaysOnEnabled(true);
    });
    connect(m_camera, &CameraListener::closed, this, [this] {
        qCDebug(lcScreens) << "Close USB device";
        setWaysOnEnabled(false);
    });
    connect(m_camera, &CameraListener::openFailed, this, &PreparationWindow::explainOpenFailure);
    if (UsbUtil::instance()->hasCamera())
        setWaysOnEnabled(true);
    else
        explainOpenFailure(UsbUtil::instance()->cameraOpenFailure());
    ScreenFrame::prepare(this);
}

PreparationWindow::~PreparationWindow()
{
    delete ui;
}

// A camera that is plugged in but cannot be opened: say why, and what to do. An
// empty line once it opens or is gone.
void PreparationWindow::explainOpenFailure(int code)
{
    ui->label_reason->setText(CameraTrouble::openFailure(code));
}

// The ways on take keyboard focus as soon as they can, unless the user has moved it.
void PreparationWindow::setWaysOnEnabled(bool enabled)
{
    ui->button_login->setEnabled(enabled);
    ui->button_regist_user->setEnabled(enabled);
    if (enabled && !focusWidget())
        ui->button_login->setFocus();
}

void PreparationWindow::on_button_login_clicked()
{
    ScreenFrame::moveOn(this, [] { return new LoginWindow; });
}

void PreparationWindow::on_button_login_pressed()
{
    ScreenFrame::showFace(ui->button_login, QStringLiteral(":/images/02_login_down.png"));
}

void PreparationWindow::on_button_login_released()
{
    ScreenFrame::showFace(ui->button_login, QStringLiteral(":/images/02_login_up.png"));
}

void PreparationWindow::on_button_regist_user_clicked()
{
    ScreenFrame::moveOn(this, [] { return new RegistUserWindow; });
}

void PreparationWindow::on_button_regist_user_pressed()
{
    ScreenFrame::showFace(ui->button_regist_user, QStringLiteral(":/images/02_regist_user_down.png"));
}

void PreparationWindow::on_button_regist_user_released()
{
    ScreenFrame::showFace(ui->button_regist_user, QStringLiteral(":/images/02_regist_user_up.png"));
}

void PreparationWindow::receiveCmd(EL_CMD cmd)
{
    m_camera->take(cmd);
}
