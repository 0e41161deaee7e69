#include "LoginWindow.h"
#include "ui_LoginWindow.h"

#include "cloud/CloudLog.h"
#include "cloud/InputValidators.h"
#include "cloud/ServiceHosts.h"
#include "MyApplication.h"
#include "ScreenFrame.h"
#include "WifiListWindow.h"

#include <QNetworkReply>

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
    ScreenFrame::addRevealAction(ui->lineEdit_2);
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
    QJsonObject credentials;
    credentials.insert(QStringLiteral("email"), ui->lineEdit->text());
    credentials.insert(QStringLiteral("password"), ui->lineEdit_2->text());
    m_authorizeStep = postJson(
        ServiceHosts::httpsUrl(ServiceHosts::accountHost(), QStringLiteral("/account/authorize")), credentials);
}

void LoginWindow::on_button_next_pressed()
{
    ScreenFrame::showFace(ui->button_next, QStringLiteral(":/images/03_next_down.png"));
}

void LoginWindow::on_button_next_released()
{
    ScreenFrame::showFace(ui->button_next, QStringLiteral(":/images/03_next_up.png"));
}

void LoginWindow::handleReplySuccess(QNetworkReply* reply)
{
    const QJsonObject body = replyObject(reply);
    if (reply == m_authorizeStep)
        requestAccessToken(body, reply);
    else if (reply == m_accessTokenStep)
        storeIdentityAndContinue(body, reply);
}

void LoginWindow::requestAccessToken(const QJsonObject& authorization, QNetworkReply* reply)
{
    const QStringList values = takeStep(authorization, {QStringLiteral("uuid"), QStringLiteral("authToken")}, reply);
    if (values.isEmpty())
        return;
    QJsonObject exchange;
    exchange.insert(QStringLiteral("uuid"), values.at(0));
    exchange.insert(QStringLiteral("authToken"), values.at(1));
    m_accessTokenStep =
        postJson(ServiceHosts::httpsUrl(ServiceHosts::accountHost(), QStringLiteral("/accessToken")), exchange);
}

// The uuid and token go into a header later on, so they are checked here, where the
// user can still retry.
void LoginWindow::storeIdentityAndContinue(const QJsonObject& accessToken, QNetworkReply* reply)
{
    const QStringList values = takeStep(accessToken, {QStringLiteral("uuid"), QStringLiteral("accessToken")}, reply);
    if (values.isEmpty() || !ScreenFrame::leave(this))
        return;
    MyApplication* app = MyApplication::current();
    app->setUuid(values.at(0));
    app->setAccessToken(values.at(1));
    ScreenFrame::handOver(this, new WifiListWindow);
}

// The members a step passes on, in the order asked; none, after the failed-step box,
// when any of them is unusable.
QStringList LoginWindow::takeStep(const QJsonObject& body, const QStringList& keys, QNetworkReply* reply)
{
    QStringList values;
    for (const QString& key : keys) {
        QString value;
        if (!requiredText(body, key, value)) {
            showFailedReply(tr("ログイン処理中にエラーが発生しました"), reply, ui->button_next);
            return {};
        }
        values.append(value);
    }
    return values;
}

void LoginWindow::handleHttpError(int statusCode, QNetworkReply* reply)
{
    const QString headline = statusCode == 401 ? tr("メールアドレスもしくはパスワードが違います")
                                               : tr("ログイン処理中にエラーが発生しました");
    showMessage(QMessageBox::Warning,
                headline + QLatin1Char('\n')
                    + QStringLiteral("code:%1, phrase:%2").arg(statusCode).arg(reasonPhrase(reply)));
    ui->button_next->setEnabled(true);
}

void LoginWindow::handleNetworkError(int errorCode, QNetworkReply*)
{
    showNetworkError(errorCode, ui->button_next);
}
