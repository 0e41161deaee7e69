#pragma once

#include "AbstWidgetBase.h"
#include "cloud/ServiceExchange.h"

#include <QJsonObject>
#include <QList>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QSslError>

class CameraListener;
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
    using RawHeaders = ServiceExchange::RawHeaders;

    static constexpr int DefaultReplyDeadlineMs = 30000;

    explicit WebClientWindow(QWidget* parent = nullptr);

    // How long one exchange with the service may take before it counts as a network
    // failure.
    void setReplyDeadline(int milliseconds);

protected:
    virtual void handleReplySuccess(QNetworkReply* reply) = 0;
    virtual void handleHttpError(int statusCode, QNetworkReply* reply) = 0;
    virtual void handleNetworkError(int errorCode, QNetworkReply* reply) = 0;

    QNetworkAccessManager& network();

    // POSTs the indented JSON text of body with "Content-Type" and "Content-Length",
    // with the given raw headers before and after those two.
    QNetworkReply* postJson(const QUrl& url, const QJsonObject& body, const RawHeaders& before = {},
                            const RawHeaders& after = {});
    // Puts a sent request under the reply deadline and the body cap.
    QNetworkReply* track(QNetworkReply* reply);

    // The same, in the form the two-step exchanges take.
    ServiceExchange::Post poster();
    static QString reasonPhrase(QNetworkReply* reply);
    static QString lastPathSegment(QNetworkReply* reply);

    // A modal box titled for the product, with only an OK button, and what to do in
    // plain words under the text when there is advice to give.
    void showMessage(QMessageBox::Icon icon, const QString& text, const QString& advice = QString());
    // What the user can do about a failed exchange, by its cause: its HTTP status, or
    // its network error when it has no status. Empty when the text says enough.
    static QString adviceFor(int statusCode, int errorCode);
    // The box of a reply with a status other than 2xx: the headline, then the status
    // and phrase (and the path when withPath is set).
    void showHttpError(const QString& headline, int statusCode, QNetworkReply* reply, bool withPath = false);
    // "code:…, phrase:…", after "path:…, " when withPath is set.
    static QString statusLine(int statusCode, QNetworkReply* reply, bool withPath);
    // The network failure box shared by the cloud screens; the button allows a retry.
    void showNetworkError(int errorCode, QAbstractButton* retryButton);
    // A 2xx reply that lacks what the next step needs: a failed step, shown with the
    // screen's headline, the path and the status; the button allows a retry.
    void showFailedReply(const QString& headline, QNetworkReply* reply, QAbstractButton* retryButton);
    // Enables or disables the screen, but never an open message box: the box must
    // still take the click that closes it.
    void setScreenEnabled(bool enabled);

    // Listens to the camera for replies in the given bands; the screen is disabled while
    // no camera is open.
    CameraListener* listenToCamera(QList<int> bands);

    // Shows the camera's refusal ("error" member of its reply), if it has one.
    void showCameraError(const QJsonObject& answer);

private slots:
    void provideAuthenication(QNetworkReply* reply, QAuthenticator* authenticator);
    void replyFinished(QNetworkReply* reply);
    void handleSSLErrors(QNetworkReply* reply, QList<QSslError> errors);

private:
    QNetworkAccessManager m_network;
    int m_replyDeadlineMs = DefaultReplyDeadlineMs;
};
