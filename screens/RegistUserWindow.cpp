#include "RegistUserWindow.h"
#include "ui_RegistUserWindow.h"

#include "FieldHint.h"
#include "cloud/CloudLog.h"
#include "InputValidators.h"
#include "LoginWindow.h"
#include "cloud/ServiceHosts.h"
#include "ScreenFrame.h"

#include <QHttpMultiPart>
#include <QNetworkRequest>
#include <QJsonDocument>

RegistUserWindow::RegistUserWindow(QWidget* parent)
    : WebClientWindow(parent)
    , ui(new Ui::RegistUserWindow)
{
    ui->setupUi(this);
    ui->label->setText(ui->label->text().arg(ServiceHosts::termsHost()));
    m_nameValidator = InputValidators::accountName(this);
    m_emailValidator = InputValidators::email(this);
    m_passwordValidator = InputValidators::password(this);
    ui->lineEdit->setValidator(m_nameValidator);
    ui->lineEdit_2->setValidator(m_emailValidator);
    ui->lineEdit_3->setValidator(m_passwordValidator);
    ScreenFrame::addRevealAction(ui->lineEdit_3);
    new FieldHint(ui->lineEdit, ui->label_hint, InputValidators::acceptedBy(m_nameValidator));
    new FieldHint(ui->lineEdit_2, ui->label_hint_2, InputValidators::acceptedBy(m_emailValidator));
    new FieldHint(ui->lineEdit_3, ui->label_hint_3, InputValidators::acceptedBy(m_passwordValidator));
    ScreenFrame::pressOnEnter({ui->lineEdit, ui->lineEdit_2, ui->lineEdit_3}, ui->button_next);
    ScreenFrame::reachLinksByKeyboard(ui->label, ui->checkBox);
    ui->lineEdit->setFocus();
    ScreenFrame::prepare(this);
}

RegistUserWindow::~RegistUserWindow()
{
    delete ui;
}

// This screen never talks to the camera.
void RegistUserWindow::sendRequest(QByteArray)
{
}

void RegistUserWindow::on_lineEdit_textChanged(const QString& arg1)
{
    m_nameState = InputValidators::stateOf(m_nameValidator, arg1);
    qCDebug(lcCloud) << "name State: " << m_nameState;
    updateNextButton();
}

void RegistUserWindow::on_lineEdit_2_textChanged(const QString& arg1)
{
    m_emailState = InputValidators::stateOf(m_emailValidator, arg1);
    qCDebug(lcCloud) << "email State: " << m_emailState;
    updateNextButton();
}

void RegistUserWindow::on_lineEdit_3_textChanged(const QString& arg1)
{
    m_passwordState = InputValidators::stateOf(m_passwordValidator, arg1);
    qCDebug(lcCloud) << "passwd State: " << m_passwordState;
    updateNextButton();
}

void RegistUserWindow::on_checkBox_stateChanged(int arg1)
{
    m_termsAccepted = arg1 != 0;
    qCDebug(lcCloud) << "CheckBox: " << arg1;
    updateNextButton();
}

void RegistUserWindow::updateNextButton()
{
    ui->button_next->setEnabled(m_nameState == QValidator::Acceptable && m_emailState == QValidator::Acceptable
                                && m_passwordState == QValidator::Acceptable && m_termsAccepted);
}

void RegistUserWindow::on_button_next_clicked()
{
    ui->button_next->setEnabled(false);
    postRegistration();
}

// The form carries the new account's password, so it only ever travels over TLS.
void RegistUserWindow::postRegistration()
{
    QJsonObject account;
    account.insert(QStringLiteral("name"), ui->lineEdit->text());
    account.insert(QStringLiteral("email"), ui->lineEdit_2->text());
    account.insert(QStringLiteral("password"), ui->lineEdit_3->text());

    QHttpPart part;
    part.setHeader(QNetworkRequest::ContentDispositionHeader, QStringLiteral("form-data; name=\"data\""));
    part.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json; charset=utf-8"));
    part.setBody(QJsonDocument(account).toJson());

    auto* form = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    form->append(part);
    QNetworkRequest request(ServiceHosts::httpsUrl(ServiceHosts::accountHost(), QStringLiteral("/account/register")));
    service().postForm(request, form);
}

void RegistUserWindow::on_button_next_pressed()
{
    ScreenFrame::showFace(ui->button_next, QStringLiteral(":/images/03_next_down.png"));
}

void RegistUserWindow::on_button_next_released()
{
    ScreenFrame::showFace(ui->button_next, QStringLiteral(":/images/03_next_up.png"));
}

void RegistUserWindow::handleReplySuccess(ServiceReply* reply)
{
    const QJsonObject body = ServiceExchange::bodyOf(reply);
    if (lastPathSegment(reply) != QLatin1String("register"))
        return;
    ScreenFrame::moveOn(this, [this, body] {
        if (body.value(QStringLiteral("Message")).toString() == QLatin1String("Success")) {
            showMessage(QMessageBox::Information,
                        tr("登録したメールアドレスに確認メールを送信しました。") + QLatin1Char('\n')
                            + tr("本登録を完了させてからログインしてください。"));
        } else {
            showMessage(QMessageBox::Warning, tr("ユーザー登録に失敗しました"));
        }
        return new LoginWindow;
    });
}

void RegistUserWindow::handleHttpError(int statusCode, ServiceReply* reply)
{
    showHttpError(tr("ユーザー登録中にエラーが発生しました"), statusCode, reply, true);
    ui->button_next->setEnabled(true);
}

void RegistUserWindow::handleNetworkError(int errorCode, ServiceReply*)
{
    showNetworkError(errorCode, ui->button_next);
}
