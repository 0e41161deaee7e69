#pragma once

#include "AbstWidgetBase.h"
#include "cloud/ServiceClient.h"

#include <QJsonObject>
#include <QList>
#include <QMessageBox>

class CameraListener;
class QAbstractButton;
class ServiceReply;

// Base of every screen that may talk to the cloud service: it sends through one
// service client, and shows what becomes of each exchange.
class WebClientWindow : public AbstWidgetBase
{
    Q_OBJECT

public:
    explicit WebClientWindow(QWidget* parent = nullptr);

    // How long one exchange with the service may take before it counts as a network
    // failure.
    void setReplyDeadline(int milliseconds);

protected:
    virtual void handleReplySuccess(ServiceReply* reply) = 0;
    virtual void handleHttpError(int statusCode, ServiceReply* reply) = 0;
    virtual void handleNetworkError(int errorCode, ServiceReply* reply) = 0;

    ServiceClient& service();
    static QString reasonPhrase(ServiceReply* reply);
    static QString lastPathSegment(ServiceReply* reply);

    // A modal box titled for the product, with only an OK button, and what to do in
    // plain words under the text when there is advice to give.
    void showMessage(QMessageBox::Icon icon, const QString& text, const QString& advice = QString());
    // What the user can do about a failed exchange, by its cause: its HTTP status, or
    // its network error when it has no status. Empty when the text says enough.
    static QString adviceFor(int statusCode, int errorCode);
    // The box of a reply with a status other than 2xx: the headline, then the status
    // and phrase (and the path when withPath is set).
    void showHttpError(const QString& headline, int statusCode, ServiceReply* reply, bool withPath = false);
    // "code:…, phrase:…", after "path:…, " when withPath is set.
    static QString statusLine(int statusCode, ServiceReply* reply, bool withPath);
    // The network failure box shared by the cloud screens; the button allows a retry.
    void showNetworkError(int errorCode, QAbstractButton* retryButton);
    // A 2xx reply that lacks what the next step needs: a failed step, shown with the
    // screen's headline, the path and the status; the button allows a retry.
    void showFailedReply(const QString& headline, ServiceReply* reply, QAbstractButton* retryButton);
    // Enables or disables the screen, but never an open message box: the box must
    // still take the click that closes it.
    void setScreenEnabled(bool enabled);

    // Listens to the camera for replies in the given bands; the screen is disabled while
    // no camera is open.
    CameraListener* listenToCamera(QList<int> bands);

    // Shows the camera's refusal ("error" member of its reply), if it has one.
    void showCameraError(const QJsonObject& answer);

private:
    ServiceClient m_service;
};
