#include "WebClientWindow.h"

#include "CameraListener.h"
#include "ProxyLoginDialog.h"
#include "ScreenFrame.h"
#include "SupportReport.h"
#include "cloud/ServiceHosts.h"
#include "cloud/ServiceProxy.h"
#include "command/UsbUtil.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QAuthenticator>
#include <QNetworkProxy>
#include <QCoreApplication>
#include <QLabel>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

#include <memory>

WebClientWindow::WebClientWindow(QWidget* parent)
    : AbstWidgetBase(parent)
{
    // Noted before the screen's own handling, which may open a box that shows the note.
    connect(&m_service, &ServiceClient::succeeded, this, [](ServiceReply* reply) {
        const int statusCode = reply->statusCode();
        SupportReport::noteServiceAnswer(reply->url(), statusCode, 0);
    });
    connect(&m_service, &ServiceClient::httpFailed, this, [](int statusCode, ServiceReply* reply) {
        SupportReport::noteServiceAnswer(reply->url(), statusCode, reply->error());
    });
    connect(&m_service, &ServiceClient::networkFailed, this,
            [](int errorCode, ServiceReply* reply) { SupportReport::noteServiceAnswer(reply->url(), 0, errorCode); });
    connect(&m_service, &ServiceClient::succeeded, this, &WebClientWindow::handleReplySuccess);
    connect(&m_service, &ServiceClient::httpFailed, this, &WebClientWindow::handleHttpError);
    connect(&m_service, &ServiceClient::networkFailed, this, &WebClientWindow::handleNetworkError);
    connect(&m_service, &ServiceClient::proxyCredentialsNeeded, this,
            [this](const QNetworkProxy& proxy, QAuthenticator* authenticator) {
                ProxyLoginDialog::ask(proxy, authenticator, this);
            });
}

void WebClientWindow::setReplyDeadline(int milliseconds)
{
    m_service.setReplyDeadline(milliseconds);
}

ServiceClient& WebClientWindow::service()
{
    return m_service;
}

// A reply's text never sizes a window: a line's worth of the phrase at most.
QString WebClientWindow::reasonPhrase(ServiceReply* reply)
{
    constexpr int MaxPhraseLength = 80;
    const QString phrase = reply->reasonPhrase();
    return phrase.size() <= MaxPhraseLength ? phrase : phrase.left(MaxPhraseLength - 1) + QChar(0x2026);
}

QString WebClientWindow::lastPathSegment(ServiceReply* reply)
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
    box.setDefaultButton(QMessageBox::Ok);
    // Named, since with more buttons Qt picks none: Escape and closing would do nothing.
    box.setEscapeButton(QMessageBox::Ok);
    // A failure box carries the report for support, to read or to copy whole.
    QPushButton* copy = nullptr;
    const QString report = icon == QMessageBox::Warning ? SupportReport::text() : QString();
    if (!report.isEmpty()) {
        box.setDetailedText(report);
        copy = box.addButton(QCoreApplication::translate("WebClientWindow", "詳細をコピー"), QMessageBox::ActionRole);
    }
    // The screen may be disabled while it waits; its box must still take the click.
    box.setEnabled(true);
    box.exec();
    if (copy && box.clickedButton() == copy)
        QGuiApplication::clipboard()->setText(report);
}

namespace {
QString unexpectedReplyAdvice()
{
    return QCoreApplication::translate("WebClientWindow",
                                       "サービスから予期しない応答がありました。"
                                       "しばらくしてから、もう一度お試しください。");
}

// Behind a proxy, a connection that fails is most often the proxy's: it is named.
QString proxyAdvice(int errorCode)
{
    switch (errorCode) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
    case QNetworkReply::UnknownProxyError:
        break;
    default:
        return QString();
    }
    const QString proxy =
        ServiceProxy::describe(ServiceHosts::httpsUrl(ServiceHosts::accountHost(), QStringLiteral("/")));
    if (proxy.isEmpty())
        return QString();
    return QCoreApplication::translate("WebClientWindow",
                                       "プロキシ %1 を通して接続できませんでした。"
                                       "プロキシの設定とユーザー名・パスワードを確認してください。")
        .arg(proxy);
}

QString networkAdvice(int errorCode)
{
    const QString proxy = proxyAdvice(errorCode);
    if (!proxy.isEmpty())
        return proxy;
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

QString WebClientWindow::statusLine(int statusCode, ServiceReply* reply, bool withPath)
{
    return withPath ? QStringLiteral("path:%1, code:%2, phrase:%3")
                          .arg(lastPathSegment(reply), QString::number(statusCode), reasonPhrase(reply))
                    : QStringLiteral("code:%1, phrase:%2").arg(statusCode).arg(reasonPhrase(reply));
}

void WebClientWindow::showHttpError(const QString& headline, int statusCode, ServiceReply* reply, bool withPath)
{
    showMessage(QMessageBox::Warning, headline + QLatin1Char('\n') + statusLine(statusCode, reply, withPath),
                adviceFor(statusCode, reply->error()));
}

void WebClientWindow::showFailedReply(const QString& headline, ServiceReply* reply, QAbstractButton* retryButton)
{
    const int statusCode = reply->statusCode();
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
    SupportReport::noteCamera(SupportReport::Camera::Refused, code);
    showMessage(
        QMessageBox::Warning,
        QStringLiteral("%1 [code:%2]").arg(details.value(QStringLiteral("message")).toString(), QString::number(code)));
}
