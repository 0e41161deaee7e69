#include "LoginWindow.h"
#include "ui_LoginWindow.h"

#include "FieldHint.h"
#include "cloud/CloudLog.h"
#include "InputValidators.h"
#include "cloud/ServiceHosts.h"
#include "cloud/SignInSession.h"
#include "MyApplication.h"
#include "ScreenFrame.h"
#include "WifiListWindow.h"

LoginWindow::LoginWindow(QWidget* parent)
    : WebClientWindow(parent)
    , ui(new Ui::LoginWindow)
{
    ui->setupUi(this);
    ui->label->setText(ui->label->text().arg(ServiceHosts::accountHost()));
    m_emailValidator = InputValidators::email(this);
    m_passwordValidator = InputValidators::password(this);
    ui->lineEdit->setValidator(m_emailValidator);
    ui->lineEdit_2->setValidator(m_passwordValidator);
    QWidget* eye = ScreenFrame::addRevealAction(ui->lineEdit_2);
    new FieldHint(ui->lineEdit, ui->label_hint, InputValidators::acceptedBy(m_emailValidator));
    new FieldHint(ui->lineEdit_2, ui->label_hint_2, InputValidators::acceptedBy(m_passwordValidator));
    ScreenFrame::pressOnEnter({ui->lineEdit, ui->lineEdit_2}, ui->button_next);
    ScreenFrame::reachLinksByKeyboard(ui->label, eye);
    ui->lineEdit->setFocus();
    m_signIn = new SignInSession(service().poster(), this);
    connect(m_signIn, &SignInSession::signedIn, this, &LoginWindow::storeIdentityAndContinue);
    connect(m_signIn, &SignInSession::stepFailed, this, &LoginWindow::showFailedStep);
    ScreenFrame::prepare(this);
}

LoginWindow::~LoginWindow()
{
    delete ui;
}

// This screen never talks to the camera.
void LoginWindow::sendRequest(QByteArray)
{
}

void LoginWindow::on_lineEdit_textChanged(const QString& arg1)
{
    m_emailState = InputValidators::stateOf(m_emailValidator, arg1);
    qCDebug(lcCloud) << "email State: " << m_emailState;
    updateNextButton();
}

void LoginWindow::on_lineEdit_2_textChanged(const QString& arg1)
{
    m_passwordState = InputValidators::stateOf(m_passwordValidator, arg1);
    qCDebug(lcCloud) << "passwd State: " << m_passwordState;
    updateNextButton();
}

void LoginWindow::updateNextButton()
{
    ui->button_next->setEnabled(m_emailState == QValidator::Acceptable && m_passwordState == QValidator::Acceptable);
}

void LoginWindow::on_button_next_clicked()
{
    ui->button_next->setEnabled(false);
    m_signIn->start(ui->lineEdit->text(), ui->lineEdit_2->text());
}

void LoginWindow::on_button_next_pressed()
{
    ScreenFrame::showFace(ui->button_next, QStringLiteral(":/images/03_next_down.png"));
}

void LoginWindow::on_button_next_released()
{
    ScreenFrame::showFace(ui->button_next, QStringLiteral(":/images/03_next_up.png"));
}

void LoginWindow::handleReplySuccess(ServiceReply* reply)
{
    m_signIn->takeSuccess(reply);
}

void LoginWindow::storeIdentityAndContinue(const QString& uuid, const QString& accessToken)
{
    ScreenFrame::moveOn(this, [uuid, accessToken] {
        MyApplication* app = MyApplication::current();
        app->setUuid(uuid);
        app->setAccessToken(accessToken);
        return new WifiListWindow;
    });
}

void LoginWindow::showFailedStep(ServiceReply* reply)
{
    showFailedReply(tr("ログイン処理中にエラーが発生しました"), reply, ui->button_next);
}

void LoginWindow::handleHttpError(int statusCode, ServiceReply* reply)
{
    const QString headline = statusCode == 401 ? tr("メールアドレスもしくはパスワードが違います")
                                               : tr("ログイン処理中にエラーが発生しました");
    showHttpError(headline, statusCode, reply);
    ui->button_next->setEnabled(true);
}

void LoginWindow::handleNetworkError(int errorCode, ServiceReply*)
{
    showNetworkError(errorCode, ui->button_next);
}
