#pragma once

#include "WebClientWindow.h"

#include <QValidator>

namespace Ui {
class RegistUserWindow;
}

// Creates a new account with one multipart form request, tells the user the outcome
// and continues to the sign-in screen.
class RegistUserWindow : public WebClientWindow
{
    Q_OBJECT

public:
    explicit RegistUserWindow(QWidget* parent = nullptr);
    ~RegistUserWindow() override;

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
    void on_lineEdit_3_textChanged(const QString& arg1);
    void on_checkBox_stateChanged(int arg1);

private:
    void updateNextButton();
    void postRegistration();

    Ui::RegistUserWindow* ui;
    QValidator* m_nameValidator;
    QValidator* m_emailValidator;
    QValidator* m_passwordValidator;
    QValidator::State m_nameState = QValidator::Invalid;
    QValidator::State m_emailState = QValidator::Invalid;
    QValidator::State m_passwordState = QValidator::Invalid;
    bool m_termsAccepted = false;
};
