#pragma once

#include "WebClientWindow.h"

#include <QValidator>

class SignInSession;

namespace Ui {
class LoginWindow;
}

// Signs the user in: credentials for an authorisation token, then that token for the
// user's uuid and access token, which the application keeps for the run.
class LoginWindow : public WebClientWindow
{
    Q_OBJECT

public:
    explicit LoginWindow(QWidget* parent = nullptr);
    ~LoginWindow() override;

    void sendRequest(QByteArray request) override;

protected:
    void handleReplySuccess(ServiceReply* reply) override;
    void handleHttpError(int statusCode, ServiceReply* reply) override;
    void handleNetworkError(int errorCode, ServiceReply* reply) override;

private slots:
    void on_button_next_clicked();
    void on_button_next_pressed();
    void on_button_next_released();
    void on_lineEdit_textChanged(const QString& arg1);
    void on_lineEdit_2_textChanged(const QString& arg1);

private:
    void updateNextButton();
    void storeIdentityAndContinue(const QString& uuid, const QString& accessToken);
    void showFailedStep(ServiceReply* reply);

    Ui::LoginWindow* ui;
    QValidator* m_emailValidator;
    QValidator* m_passwordValidator;
    QValidator::State m_emailState = QValidator::Invalid;
    QValidator::State m_passwordState = QValidator::Invalid;
    SignInSession* m_signIn;
};
