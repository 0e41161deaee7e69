#include "WebClientWindow.h"

#include "CameraListener.h"
#include "ScreenFrame.h"
#include "cloud/CloudLog.h"
#include "cloud/ReplyGuard.h"
#include "command/UsbUtil.h"

#include <QAbstractButton>
#include <QAuthenticator>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QLabel>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

#include <memory>

WebClientWindow::WebClientWindow(QWidget* parent)
    : AbstWidgetBase(parent)
{
    qRegisterMetaType<QNetworkReply*>("QNetworkReply*");
    qRegisterMetaType<QList<QSslError>>("QList<QSslError>");
    // A redirect is a failure here; it is never followed.
    m_network.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    connect(&m_network, &QNetworkAccessManager::authenticationRequired, this, &WebClientWindow::provideAuthenication);
    connect(&m_network, &QNetworkAccessManager::finished, this, &WebClientWindow::replyFinished);
    connect(&m_network, &QNetworkAccessManager::sslErrors, this, &WebClientWindow::handleSSLErrors);
}

void WebClientWindow::setReplyDeadline(int milliseconds)
{
    m_replyDeadlineMs = milliseconds;
}

QNetworkAccessManager& WebClientWindow::network()
{
    return m_network;
}

QNetworkReply* WebClientWindow::postJson(const QUrl& url, const QJsonObject& body, const RawHeaders& before,
                                         const RawHeaders& after)
{
    const QByteArray text = QJsonDocument(body).toJson();
    QNetworkRequest request(url);
    for (const auto& header : before)
        request.setRawHeader(header.first, header.second);
    request.setRawHeader("Content-Type", "application/json");
    request.setRawHeader("Content-Length", QByteArray::number(text.size()));
    for (const auto& header : after)
        request.setRawHeader(header.first, header.second);
    return track(m_network.post(request, text));
}

QNetworkReply* WebClientWindow::track(QNetworkReply* reply)
{
    ReplyGuard::watch(reply, m_replyDeadlineMs);
    return reply;
}

ServiceExchange::Post WebClientWindow::poster()
{
    return [this](const QUrl& url, const QJsonObject& body, const RawHeaders& before, const RawHeaders& after) {
        return postJson(url, body, before, after);
    };
}

QString WebClientWindow::reasonPhrase(QNetworkReply* reply)
{
    return reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
}

QString WebClientWindow::lastPathSegment(QNetworkReply* reply)
{
    return reply->url().fileName(QUrl::FullyDecoded);
}

void WebClientWindow::showMessage(QMessageBox::Icon icon, const QString& text, const QString& advice)
{
    QMessageBox box(this);
    box.setWindowTitle(QCoreApplication::translate("WebClientWindow", "Raveloツール"));
    box.setIcon(icon);
    // Texts carry what the camera and the service sent; they are never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setInformativeText(advice);
    box.setStandardButtons(QMessageBox::Ok);
    // The screen may be disabled while it waits; its box must still take the click.
    box.setEnabled(true);
    box.exec();
}

namespace {
QString unexpectedReplyAdvice()
{
    return QCoreApplication::translate("WebClientWindow",
                                       "サービスから予期しない応答がありました。"
                                       "しばらくしてから、もう一度お試しください。");
}

QString networkAdvice(int errorCode)
{
    switch (errorCode) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
        return QCoreApplication::translate("WebClientWindow",
                                           "インターネットに接続されているか確認してから、"
                                           "もう一度お試しください。");
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return QCoreApplication::translate("WebClientWindow",
                                           "サービスから応答がありませんでした。"
                                           "しばらくしてから、もう一度お試しください。");
    case QNetworkReply::SslHandshakeFailedError:
        return QCoreApplication::translate("WebClientWindow",
                                           "サービスと安全に接続できませんでした。"
                                           "ネットワークの設定を確認してください。");
    default:
        return unexpectedReplyAdvice();
    }
}
}

QString WebClientWindow::adviceFor(int statusCode, int errorCode)
{
    if (statusCode >= 500 && statusCode <= 599)
        return QCoreApplication::translate("WebClientWindow",
                                           "サービスが混み合っています。"
                                           "しばらくしてから、もう一度お試しください。");
    if (statusCode == 0)
        return networkAdvice(errorCode);
    return QString();
}

void WebClientWindow::showNetworkError(int errorCode, QAbstractButton* retryButton)
{
    showMessage(QMessageBox::Warning,
                QCoreApplication::translate("WebClientWindow", "ネットワークエラー") + QLatin1Char('\n')
                    + QStringLiteral("errcode:%1").arg(errorCode),
                networkAdvice(errorCode));
    retryButton->setEnabled(true);
}

QString WebClientWindow::statusLine(int statusCode, QNetworkReply* reply, bool withPath)
{
    return withPath ? QStringLiteral("path:%1, code:%2, phrase:%3")
                          .arg(lastPathSegment(reply), QString::number(statusCode), reasonPhrase(reply))
                    : QStringLiteral("code:%1, phrase:%2").arg(statusCode).arg(reasonPhrase(reply));
}

void WebClientWindow::showHttpError(const QString& headline, int statusCode, QNetworkReply* reply, bool withPath)
{
    showMessage(QMessageBox::Warning, headline + QLatin1Char('\n') + statusLine(statusCode, reply, withPath),
                adviceFor(statusCode, reply->error()));
}

void WebClientWindow::showFailedReply(const QString& headline, QNetworkReply* reply, QAbstractButton* retryButton)
{
    const int statusCode = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    showMessage(QMessageBox::Warning, headline + QLatin1Char('\n') + statusLine(statusCode, reply, true),
                unexpectedReplyAdvice());
    retryButton->setEnabled(true);
}

void WebClientWindow::setScreenEnabled(bool enabled)
{
    setEnabled(enabled);
    for (QMessageBox* box : findChildren<QMessageBox*>())
        box->setEnabled(true);
}

CameraListener* WebClientWindow::listenToCamera(QList<int> bands)
{
    auto* camera = new CameraListener(this, std::move(bands));
    // The line that says the camera is gone stays legible on the disabled screen: its
    // colour is set for every state.
    auto* unplugged = findChild<QLabel*>(QStringLiteral("label_unplugged"));
    if (unplugged)
        unplugged->setVisible(!UsbUtil::instance()->hasCamera());
    // A disabled screen loses keyboard focus; it goes back where it was on replug, so
    // that typing goes on where it stopped.
    auto focused = std::make_shared<QPointer<QWidget>>();
    const auto follow = [this, unplugged, focused](bool present) {
        if (!present && focusWidget())
            *focused = focusWidget();
        setScreenEnabled(present);
        if (unplugged) {
            unplugged->setVisible(!present);
            if (!present)
                ScreenFrame::announce(unplugged);
        }
        if (present && *focused)
            (*focused)->setFocus();
    };
    connect(camera, &CameraListener::opened, this, [follow] { follow(true); });
    connect(camera, &CameraListener::closed, this, [follow] { follow(false); });
    return camera;
}

void WebClientWindow::showCameraError(const QJsonObject& answer)
{
    const QJsonValue error = answer.value(QStringLiteral("error"));
    if (!error.isObject())
        return;
    const QJsonObject details = error.toObject();
    const int code = UsbUtil::intOf(details.value(QStringLiteral("code"))).value_or(0);
    showMessage(
        QMessageBox::Warning,
        QStringLiteral("%1 [code:%2]").arg(details.value(QStringLiteral("message")).toString(), QString::number(code)));
}

void WebClientWindow::provideAuthenication(QNetworkReply*, QAuthenticator*)
{
    qCDebug(lcCloud) << "Require Authenication";
}

void WebClientWindow::replyFinished(QNetworkReply* reply)
{
    const int errorCode = reply->error();
    const int statusCode = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    qCDebug(lcCloud) << QStringLiteral("Reply Error %1, Status Code %2").arg(errorCode).arg(statusCode);
    qCDebug(lcCloud) << "URL-> " << reply->url();
    if (const QNetworkReply::NetworkError cut = ReplyGuard::cutReason(reply))
        handleNetworkError(cut, reply);
    else if (statusCode / 100 != 2)
        handleHttpError(statusCode, reply);
    else if (errorCode != QNetworkReply::NoError)
        handleNetworkError(errorCode, reply);
    else
        handleReplySuccess(reply);
    reply->deleteLater();
}

void WebClientWindow::handleSSLErrors(QNetworkReply*, QList<QSslError> errors)
{
    for (const QSslError& error : errors)
        qCDebug(lcCloud) << "SSL Error: " << error.errorString();
}
