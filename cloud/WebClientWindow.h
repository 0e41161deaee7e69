#pragma once

#include "command/AbstWidgetBase.h"

#include <QJsonObject>
#include <QList>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QPair>
#include <QSslError>

class QAbstractButton;
class QAuthenticator;
class QNetworkReply;
class QUrl;

// Base of every screen that may talk to the cloud service: one network manager, and
// every finished reply sorted into success, HTTP failure or network failure.
class WebClientWindow : public AbstWidgetBase
{
    Q_OBJECT

public:
    using RawHeaders = QList<QPair<QByteArray, QByteArray>>;

    explicit WebClientWindow(QWidget* parent = nullptr);

protected:
    virtual void handleReplySuccess(QNetworkReply* reply) = 0;
    virtual void handleHttpError(int statusCode, QNetworkReply* reply) = 0;
    virtual void handleNetworkError(int errorCode, QNetworkReply* reply) = 0;

    QNetworkAccessManager& network();

    // POSTs the indented JSON text of body with "Content-Type" and "Content-Length",
    // with the given raw headers before and after those two.
    QNetworkReply* postJson(const QUrl& url, const QJsonObject& body, const RawHeaders& before = {},
                            const RawHeaders& after = {});

    static QJsonObject replyObject(QNetworkReply* reply);
    static QString reasonPhrase(QNetworkReply* reply);
    static QString lastPathSegment(QNetworkReply* reply);

    // A modal box titled for the product, with only an OK button.
    void showMessage(QMessageBox::Icon icon, const QString& text);
    // The network failure box shared by the cloud screens; the button allows a retry.
    void showNetworkError(int errorCode, QAbstractButton* retryButton);

    // Shows the camera's refusal ("error" member of its reply), if it has one.
    void showCameraError(const QJsonObject& answer);

private slots:
    void provideAuthenication(QNetworkReply* reply, QAuthenticator* authenticator);
    void replyFinished(QNetworkReply* reply);
    void handleSSLErrors(QNetworkReply* reply, QList<QSslError> errors);

private:
    QNetworkAccessManager m_network;
};
