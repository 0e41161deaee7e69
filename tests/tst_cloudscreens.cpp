// Sign-in and account registration, typed and clicked as a user would, over real TLS
// against the local cloud service.
#include "CloudFixture.h"
#include "EmulatedCamera.h"
#include "FakeProxy.h"
#include "cloud/ServiceProxy.h"
#include "LoopGaps.h"
#include "Memory.h"
#include "ModalBoxes.h"
#include "Screens.h"
#include "TestMain.h"
#include "screens/MyApplication.h"
#include "screens/LoginWindow.h"
#include "screens/ProxyLoginDialog.h"
#include "screens/RegistUserWindow.h"
#include "screens/SettingsWiFiWindow.h"
#include "screens/WifiListWindow.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QNetworkReply>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QScopeGuard>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace {
QStringList logged;

void captureLog(QtMsgType, const QMessageLogContext&, const QString& message)
{
    logged.append(message);
}

// The advice under a failure box, by the cause it names; its wording is the product's.
const QString NoConnection = QStringLiteral("インターネットに接続");
const QString NoAnswer = QStringLiteral("応答がありません");
const QString NotSecure = QStringLiteral("安全に接続できません");
const QString Busy = QStringLiteral("混み合っています");
const QString Unexpected = QStringLiteral("予期しない応答");

QString errorBoxText(QNetworkReply::NetworkError error)
{
    return QStringLiteral("ネットワークエラー\nerrcode:%1").arg(int(error));
}

QByteArray indented(const QJsonObject& object)
{
    return QJsonDocument(object).toJson();
}
}

Q_DECLARE_METATYPE(FakeCloudService::Behaviour)

// Takes the links the program would open in the browser.
class OpenedLinks : public QObject
{
    Q_OBJECT

public:
    OpenedLinks() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open"); }
    ~OpenedLinks() override { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }

    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class TestCloudScreens : public QObject
{
    Q_OBJECT

    EmulatedCamera camera;
    CloudFixture cloud;

    QPushButton* next(QWidget* screen) { return screen->findChild<QPushButton*>(QStringLiteral("button_next")); }

    void type(QWidget* screen, const char* field, const QString& text) { Screens::type(screen, field, text); }

    LoginWindow* filledLogin()
    {
        auto* login = new LoginWindow;
        login->show();
        type(login, "lineEdit", QStringLiteral("hanako@example.jp"));
        type(login, "lineEdit_2", QStringLiteral("pass-word1"));
        return login;
    }

    RegistUserWindow* filledRegistration()
    {
        auto* regist = new RegistUserWindow;
        regist->show();
        type(regist, "lineEdit", QStringLiteral("花子"));
        type(regist, "lineEdit_2", QStringLiteral("hanako@example.jp"));
        type(regist, "lineEdit_3", QStringLiteral("pass-word1"));
        regist->findChild<QCheckBox*>()->setChecked(true);
        return regist;
    }

private slots:
    void initTestCase() { camera.plug(); }

    // A Wi-Fi list that a sign-in left behind would keep scanning into later tests.
    void cleanup()
    {
        Screens::closeAll();
        Screens::destroyAll();
        cloud.service.resetOutcomes();
        cloud.service.clearRequests();
        cloud.useUntrustedAccountHost(false);
    }

    // Keystrokes into one field of a form whose other fields are filled in: what the
    // field then holds, whether the button is enabled, and whether the field's rule is
    // shown under it. Capitals become small letters; a refused character shows the rule.
    void accountFieldsTakeKeystrokesAndSayTheirRule_data()
    {
        QTest::addColumn<bool>("registration");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("held");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("hintShown");
        const QString longTld = QStringLiteral("taro@example.") + QString(63, 'q');
        QTest::newRow("sign-in, capitals") << false << "lineEdit"
                                           << "Taro.Yamada@Example.com"
                                           << "taro.yamada@example.com" << true << false;
        QTest::newRow("sign-in, .tokyo") << false << "lineEdit"
                                         << "taro@example.tokyo"
                                         << "taro@example.tokyo" << true << false;
        QTest::newRow("sign-in, .online") << false << "lineEdit"
                                          << "taro@example.online"
                                          << "taro@example.online" << true << false;
        QTest::newRow("sign-in, 63-letter ending") << false << "lineEdit" << longTld << longTld << true << false;
        QTest::newRow("sign-in, no ending") << false << "lineEdit"
                                            << "taro@example"
                                            << "taro@example" << false << true;
        QTest::newRow("sign-in, space refused") << false << "lineEdit"
                                                << "taro@exam ple.jp"
                                                << "taro@example.jp" << true << false;
        QTest::newRow("sign-in, password of 7") << false << "lineEdit_2"
                                                << "1234567"
                                                << "1234567" << false << true;
        QTest::newRow("sign-in, password of 8") << false << "lineEdit_2"
                                                << "12345678"
                                                << "12345678" << true << false;
        QTest::newRow("sign-in, 17th character refused") << false << "lineEdit_2"
                                                         << "12345678901234567"
                                                         << "1234567890123456" << true << true;
        QTest::newRow("registration, name") << true << "lineEdit"
                                            << "花子"
                                            << "花子" << true << false;
        QTest::newRow("registration, 11th character refused") << true << "lineEdit"
                                                              << "abcdefghijk"
                                                              << "abcdefghij" << true << true;
        QTest::newRow("registration, capitals") << true << "lineEdit_2"
                                                << "Hanako@Example.JP"
                                                << "hanako@example.jp" << true << false;
        QTest::newRow("registration, short password") << true << "lineEdit_3"
                                                      << "short"
                                                      << "short" << false << true;
    }

    void accountFieldsTakeKeystrokesAndSayTheirRule()
    {
        QFETCH(bool, registration);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, held);
        QFETCH(bool, enabled);
        QFETCH(bool, hintShown);
        std::unique_ptr<QMainWindow> screen(registration ? static_cast<QMainWindow*>(filledRegistration())
                                                         : filledLogin());
        auto* edit = screen->findChild<QLineEdit*>(field);
        type(screen.get(), qPrintable(field), typed);
        QCOMPARE(edit->text(), held);
        QCOMPARE(next(screen.get())->isEnabled(), enabled);
        const QStringList hintFields =
            registration ? QStringList{"lineEdit", "lineEdit_2", "lineEdit_3"} : QStringList{"lineEdit", "lineEdit_2"};
        const QStringList hintNames{"label_hint", "label_hint_2", "label_hint_3"};
        auto* hint = screen->findChild<QLabel*>(hintNames.at(hintFields.indexOf(field)));
        QCOMPARE(hint->isVisible(), hintShown);
        QVERIFY(!hint->text().contains(typed.left(4)));
        for (QLabel* other : screen->findChildren<QLabel*>(QRegularExpression("^label_hint")))
            QVERIFY(other == hint || !other->isVisible());
        // A refusal is remembered until the text is acceptable: emptying keeps the rule.
        edit->clear();
        QCOMPARE(hint->isVisible(), hintShown && held != typed);
    }

    void linksAreReachedByTabAndOpenedWithEnter_data()
    {
        QTest::addColumn<bool>("registration");
        QTest::addColumn<QString>("path");
        QTest::newRow("password reset") << false << "/reminder/passwordreset";
        QTest::newRow("terms") << true << "/terms/index.html";
    }

    void linksAreReachedByTabAndOpenedWithEnter()
    {
        QFETCH(bool, registration);
        QFETCH(QString, path);
        std::unique_ptr<QMainWindow> screen(registration ? static_cast<QMainWindow*>(filledRegistration())
                                                         : filledLogin());
        QApplication::setActiveWindow(screen.get());
        OpenedLinks opened;
        auto* link = screen->findChild<QLabel*>(QStringLiteral("label"));
        for (int tab = 0; tab < 10 && QApplication::focusWidget() != link; ++tab)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(link));
        QTest::keyClick(link, Qt::Key_Return);
        QCOMPARE(opened.urls.size(), 1);
        QCOMPARE(opened.urls.first().path(), path);
    }

    void signInStoresTheIdentityAndMovesOn()
    {
        logged.clear();
        // All the debug lines, as --verbose prints them: still no secret in them.
        QLoggingCategory::setFilterRules(QStringLiteral("ravelo.*.debug=true"));
        const QPointer<LoginWindow> login = filledLogin();
        const QtMessageHandler previous = qInstallMessageHandler(captureLog);
        QTest::mouseClick(next(login), Qt::LeftButton);
        QVERIFY(!next(login)->isEnabled());
        QTRY_VERIFY(Screens::visible<WifiListWindow>());
        QTRY_VERIFY(login.isNull());
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());

        QCOMPARE(cloud.service.requests().size(), 2);
        const RecordedRequest authorize = cloud.service.requests().at(0);
        QCOMPARE(authorize.method, QByteArray("POST"));
        QCOMPARE(authorize.path, QByteArray("/account/authorize"));
        QCOMPARE(authorize.host, FakeCloudService::accountHostName());
        QCOMPARE(authorize.body, indented({{"email", "hanako@example.jp"}, {"password", "pass-word1"}}));
        QCOMPARE(authorize.header("Content-Type"), QByteArray("application/json"));
        QCOMPARE(authorize.header("Content-Length"), QByteArray::number(authorize.body.size()));
        QVERIFY(authorize.headerNames().indexOf("Content-Type") < authorize.headerNames().indexOf("Content-Length"));
        QVERIFY(authorize.header("Authorization").isEmpty());

        const RecordedRequest token = cloud.service.requests().at(1);
        QCOMPARE(token.path, QByteArray("/accessToken"));
        QCOMPARE(token.body, indented({{"uuid", "user-0001"}, {"authToken", "auth-0001"}}));
        QCOMPARE(MyApplication::current()->uuid(), QStringLiteral("user-0001"));
        QCOMPARE(MyApplication::current()->accessToken(), QStringLiteral("token-0001"));

        const QString log = logged.join('\n');
        QVERIFY(log.contains(QStringLiteral("Reply Error 0, Status Code 200")));
        QVERIFY(!log.contains(QStringLiteral("pass-word1")));
        QVERIFY(!log.contains(QStringLiteral("token-0001")));
        QVERIFY(!log.contains(QStringLiteral("auth-0001")));
    }

    // Each area's debug output is a logging category of its own, off unless asked for.
    void debugOutputFollowsTheLoggingRules_data()
    {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<bool>("cloudLines");
        QTest::addColumn<bool>("cameraLines");
        QTest::newRow("by default") << QString() << false << false;
        QTest::newRow("everything") << QStringLiteral("ravelo.*.debug=true") << true << true;
        QTest::newRow("no cloud") << QStringLiteral("ravelo.*.debug=true\nravelo.cloud.debug=false") << false << true;
        QTest::newRow("no USB link") << QStringLiteral("ravelo.*.debug=true\nravelo.usb.debug=false") << true << false;
    }

    void debugOutputFollowsTheLoggingRules()
    {
        QFETCH(QString, rules);
        QFETCH(bool, cloudLines);
        QFETCH(bool, cameraLines);
        logged.clear();
        QLoggingCategory::setFilterRules(rules);
        const QtMessageHandler previous = qInstallMessageHandler(captureLog);
        QTest::mouseClick(next(filledLogin()), Qt::LeftButton);
        const bool listed = QTest::qWaitFor([] { return Screens::visible<WifiListWindow>() != nullptr; }, 10000);
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
        QVERIFY(listed);
        const QString log = logged.join('\n');
        QCOMPARE(log.contains(QStringLiteral("Reply Error 0, Status Code 200")), cloudLines);
        QCOMPARE(log.contains(QStringLiteral("execAPList")), cameraLines);
    }

    void signInFailuresExplainThemselvesAndAllowARetry_data()
    {
        QTest::addColumn<QByteArray>("failingPath");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("reason");
        QTest::addColumn<QString>("text");
        QTest::newRow("wrong credentials")
            << QByteArray("/account/authorize") << 401 << QByteArray("Unauthorized")
            << QStringLiteral("メールアドレスもしくはパスワードが違います\ncode:401, phrase:Unauthorized");
        QTest::newRow("refused token")
            << QByteArray("/accessToken") << 401 << QByteArray("Unauthorized")
            << QStringLiteral("メールアドレスもしくはパスワードが違います\ncode:401, phrase:Unauthorized");
        QTest::newRow("server error")
            << QByteArray("/account/authorize") << 500 << QByteArray("Internal Server Error")
            << QStringLiteral("ログイン処理中にエラーが発生しました\ncode:500, phrase:Internal Server Error");
        QTest::newRow("long reason phrase")
            << QByteArray("/account/authorize") << 401 << QByteArray(256 * 1024, 'x')
            << QStringLiteral("メールアドレスもしくはパスワードが違います\ncode:401, phrase:%1…").arg(QString(79, 'x'));
    }

    void signInFailuresExplainThemselvesAndAllowARetry()
    {
        QFETCH(QByteArray, failingPath);
        QFETCH(int, status);
        QFETCH(QByteArray, reason);
        QFETCH(QString, text);
        cloud.service.setReply(failingPath, status, "{}", reason);
        LoginWindow* login = filledLogin();
        ModalBoxes boxes;
        QTest::mouseClick(next(login), Qt::LeftButton);
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.last().title, QStringLiteral("Raveloツール"));
        QCOMPARE(boxes.last().icon, QMessageBox::Warning);
        QCOMPARE(boxes.last().text, text);
        QTRY_VERIFY(next(login)->isEnabled());
        QVERIFY(login->isVisible());

        cloud.service.resetOutcomes();
        cloud.service.clearRequests();
        QTest::mouseClick(next(login), Qt::LeftButton);
        QTRY_VERIFY(Screens::visible<WifiListWindow>());
        QCOMPARE(cloud.service.requests().first().path, QByteArray("/account/authorize"));
    }

    // The conventional proxy variables, in both cases; a proxy that asks who the user is
    // gets what the user types; one that cannot be reached is named in the advice.
    void signInGoesThroughTheProxyTheEnvironmentNames_data()
    {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<QByteArray>("noProxy");
        QTest::addColumn<bool>("credentials");
        QTest::addColumn<bool>("reachable");
        QTest::newRow("https_proxy") << QByteArray("https_proxy") << QByteArray() << false << true;
        QTest::newRow("HTTPS_PROXY") << QByteArray("HTTPS_PROXY") << QByteArray() << false << true;
        QTest::newRow("all_proxy") << QByteArray("all_proxy") << QByteArray() << false << true;
        QTest::newRow("ALL_PROXY") << QByteArray("ALL_PROXY") << QByteArray() << false << true;
        QTest::newRow("NO_PROXY names the host")
            << QByteArray("https_proxy") << QByteArray("127.0.0.1") << false << true;
        QTest::newRow("credentials asked") << QByteArray("https_proxy") << QByteArray() << true << true;
        QTest::newRow("credentials asked, unannounced close")
            << QByteArray("all_proxy") << QByteArray() << true << true;
        QTest::newRow("unreachable") << QByteArray("https_proxy") << QByteArray() << false << false;
    }

    void signInGoesThroughTheProxyTheEnvironmentNames()
    {
        QFETCH(QByteArray, variable);
        QFETCH(QByteArray, noProxy);
        QFETCH(bool, credentials);
        QFETCH(bool, reachable);
        FakeProxy proxy(cloud.service.serverPort());
        if (credentials)
            proxy.requireCredentials("pupil", "proxy-secret", variable == "https_proxy"); // all_proxy: unannounced
        const QString address = QStringLiteral("127.0.0.1:%1").arg(reachable ? proxy.serverPort() : 1);
        qputenv(variable, "http://" + address.toUtf8());
        qputenv("NO_PROXY", noProxy);
        const auto unset = qScopeGuard([variable] {
            qunsetenv(variable);
            qunsetenv("NO_PROXY");
            ServiceProxy::rememberCredentials(QString(), QString());
        });
        QTimer answerer;
        answerer.callOnTimeout([] {
            if (auto* dialog = qobject_cast<ProxyLoginDialog*>(QApplication::activeModalWidget())) {
                Screens::type(dialog, "lineEdit", QStringLiteral("pupil"));
                Screens::type(dialog, "lineEdit_2", QStringLiteral("proxy-secret"));
                dialog->accept();
            }
        });
        answerer.start(20);
        ModalBoxes boxes;
        LoginWindow* login = filledLogin();
        QTest::mouseClick(next(login), Qt::LeftButton);
        if (!reachable) {
            QVERIFY(boxes.waitFor(1));
            QVERIFY2(boxes.last().advice.contains(address), qPrintable(boxes.last().advice));
            return;
        }
        QTRY_VERIFY(Screens::visible<WifiListWindow>());
        QCOMPARE(proxy.tunnels().size(), noProxy.isEmpty() ? 2 : 0);
        QCOMPARE(proxy.refusals() > 0, credentials);
    }

    void redirectsAreFailuresAndNotFollowed()
    {
        cloud.service.setBehaviour("/account/authorize", FakeCloudService::Behaviour::Redirect);
        LoginWindow* login = filledLogin();
        ModalBoxes boxes;
        QTest::mouseClick(next(login), Qt::LeftButton);
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.last().text, QStringLiteral("ログイン処理中にエラーが発生しました\ncode:302, phrase:Found"));
        QCOMPARE(cloud.service.requests().size(), 1);
    }

    void aTransferCutOffAfterItsStatusIsANetworkError()
    {
        cloud.service.setBehaviour("/account/authorize", FakeCloudService::Behaviour::CutOff);
        LoginWindow* login = filledLogin();
        ModalBoxes boxes;
        QTest::mouseClick(next(login), Qt::LeftButton);
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.last().text,
                 QStringLiteral("ネットワークエラー\nerrcode:%1").arg(int(QNetworkReply::RemoteHostClosedError)));
        QTRY_VERIFY(next(login)->isEnabled());
    }

    void anUntrustedCertificateFailsWithoutAStatus()
    {
        cloud.useUntrustedAccountHost(true);
        LoginWindow* login = filledLogin();
        ModalBoxes boxes;
        QTest::mouseClick(next(login), Qt::LeftButton);
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.last().text, QStringLiteral("ログイン処理中にエラーが発生しました\ncode:0, phrase:"));
        QVERIFY2(boxes.last().advice.contains(NotSecure), qPrintable(boxes.last().advice));
        QVERIFY(cloud.untrusted.requests().isEmpty());
    }

    // A hostile or stalled service ends in the network error box, its connection is
    // closed, memory stays bounded, and the retry reaches a healthy service at once.
    // A slow but valid status line is waited for, up to the exchange's deadline.
    void aReplyThatComesLateButInTimeIsTaken()
    {
        cloud.service.setBehaviour("/account/authorize", FakeCloudService::Behaviour::Late);
        QTest::mouseClick(next(filledLogin()), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(Screens::visible<WifiListWindow>(), FakeCloudService::LateReplyMs + 10000);
    }

    void aServiceThatStallsEndsInTheNetworkErrorBox_data()
    {
        QTest::addColumn<FakeCloudService::Behaviour>("behaviour");
        QTest::addColumn<bool>("stallHandshake");
        QTest::addColumn<int>("deadlineMs");
        QTest::addColumn<int>("errorCode");
        const int timeout = QNetworkReply::TimeoutError;
        const int tooLarge = QNetworkReply::ProtocolFailure;
        // The memory limit must end these long before the exchange's deadline.
        const int whole = ServiceClient::DefaultReplyDeadlineMs;
        using B = FakeCloudService::Behaviour;
        QTest::newRow("silent") << B::Silent << false << 1500 << timeout;
        QTest::newRow("one byte a second") << B::Trickle << false << 1500 << timeout;
        QTest::newRow("stalled handshake") << B::Reply << true << 1500 << timeout;
        QTest::newRow("header line every half second") << B::SlowHeaders << false << 1500 << timeout;
        QTest::newRow("endless header") << B::HeaderBomb << false << whole << tooLarge;
        QTest::newRow("endless header lines") << B::HeaderFlood << false << whole << tooLarge;
        QTest::newRow("endless chunk-size line") << B::ChunkBomb << false << whole << tooLarge;
        if (FakeCloudService::CookieFloodOutlastsDeadlines)
            QTest::newRow("cookie flood") << B::CookieFlood << false << 1500 << timeout;
    }

    void aServiceThatStallsEndsInTheNetworkErrorBox()
    {
        QFETCH(FakeCloudService::Behaviour, behaviour);
        QFETCH(bool, stallHandshake);
        QFETCH(int, deadlineMs);
        QFETCH(int, errorCode);
        cloud.service.setBehaviour("/account/authorize", behaviour);
        cloud.service.setStallHandshakes(stallHandshake);
        LoginWindow* login = filledLogin();
        login->setReplyDeadline(deadlineMs);
        ModalBoxes boxes;
        const qint64 before = Memory::resident();
        Memory::resetPeak();
        QTest::mouseClick(next(login), Qt::LeftButton);
        QElapsedTimer sinceClick;
        sinceClick.start();
        const LoopGaps gaps;
        QVERIFY(boxes.waitFor(1, deadlineMs + 10000));
        if (deadlineMs == ServiceClient::DefaultReplyDeadlineMs)
            QVERIFY(sinceClick.elapsed() < deadlineMs);
        // Reading the reply never holds up the screen for most of the exchange, as it did
        // when replies were read on the screen's thread (a short exchange on a busy machine
        // may see a gap of half its length).
        QVERIFY2(gaps.longestMs() < sinceClick.elapsed() * 3 / 4,
                 qPrintable(QStringLiteral("%1 of %2 ms").arg(gaps.longestMs()).arg(sinceClick.elapsed())));
        // Under the sanitizers, reading the flood may reach the memory limit before the deadline.
        const QString tooLargeText = QStringLiteral("errcode:%1").arg(int(QNetworkReply::ProtocolFailure));
        if (behaviour == FakeCloudService::Behaviour::CookieFlood && boxes.last().text.endsWith(tooLargeText))
            errorCode = QNetworkReply::ProtocolFailure;
        QCOMPARE(boxes.last().text, QStringLiteral("ネットワークエラー\nerrcode:%1").arg(errorCode));
        QVERIFY2(boxes.last().advice.contains(errorCode == QNetworkReply::TimeoutError ? NoAnswer : Unexpected),
                 qPrintable(boxes.last().advice));
        QVERIFY2(!Memory::isMeaningful() || Memory::peak() - before < 64 * 1024 * 1024,
                 qPrintable(QString::number((Memory::peak() - before) >> 20)));
        QTRY_COMPARE(cloud.service.openConnections(), 0);
        QTRY_VERIFY(next(login)->isEnabled());
        QVERIFY(login->isVisible());

        cloud.service.resetOutcomes();
        cloud.service.setStallHandshakes(false);
        QTest::mouseClick(next(login), Qt::LeftButton);
        QTRY_VERIFY(Screens::visible<WifiListWindow>());
        QCOMPARE(boxes.seen().size(), 1);
    }

    void aSuccessWithoutWhatTheNextStepNeedsIsAFailedStep_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("not json") << QByteArray("/account/authorize") << QByteArray("this is not json");
        QTest::newRow("an array") << QByteArray("/account/authorize") << QByteArray("[\"user-0001\"]");
        QTest::newRow("no authToken") << QByteArray("/account/authorize") << QByteArray("{\"uuid\":\"user-0001\"}");
        QTest::newRow("empty uuid") << QByteArray("/account/authorize")
                                    << QByteArray("{\"uuid\":\"\",\"authToken\":\"a\"}");
        QTest::newRow("number uuid") << QByteArray("/accessToken") << QByteArray("{\"uuid\":7,\"accessToken\":\"t\"}");
        QTest::newRow("no accessToken") << QByteArray("/accessToken") << QByteArray("{\"uuid\":\"user-0001\"}");
        QTest::newRow("header in token") << QByteArray("/accessToken")
                                         << QByteArray("{\"uuid\":\"u\",\"accessToken\":\"t\\r\\nX-Evil: 1\"}");
        QTest::newRow("line feed in uuid")
            << QByteArray("/accessToken") << QByteArray("{\"uuid\":\"u\\n\",\"accessToken\":\"t\"}");
        QTest::newRow("space in token") << QByteArray("/accessToken")
                                        << QByteArray("{\"uuid\":\"u\",\"accessToken\":\"t t\"}");
        QTest::newRow("separator in token")
            << QByteArray("/accessToken") << QByteArray("{\"uuid\":\"u\",\"accessToken\":\"t/<x>\"}");
        QTest::newRow("token over 4 KiB")
            << QByteArray("/accessToken") << "{\"uuid\":\"u\",\"accessToken\":\"" + QByteArray(4097, 't') + "\"}";
    }

    void aSuccessWithoutWhatTheNextStepNeedsIsAFailedStep()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, body);
        MyApplication::current()->setUuid(QStringLiteral("before"));
        MyApplication::current()->setAccessToken(QStringLiteral("before"));
        cloud.service.setReply(path, 200, body);
        LoginWindow* login = filledLogin();
        ModalBoxes boxes;
        QTest::mouseClick(next(login), Qt::LeftButton);
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.last().text,
                 QStringLiteral("ログイン処理中にエラーが発生しました\npath:%1, code:200, phrase:OK")
                     .arg(QString::fromLatin1(path).section('/', -1)));
        QVERIFY2(boxes.last().advice.contains(Unexpected), qPrintable(boxes.last().advice));
        QTRY_VERIFY(next(login)->isEnabled());
        QVERIFY(login->isVisible());
        QVERIFY(!Screens::visible<WifiListWindow>());
        QCOMPARE(cloud.service.requests().size(), path == "/accessToken" ? 2 : 1);
        QCOMPARE(MyApplication::current()->uuid(), QStringLiteral("before"));
        QCOMPARE(MyApplication::current()->accessToken(), QStringLiteral("before"));
    }

    // The cap applies to what a body decompresses to, so a small compressed reply
    // cannot grow into gigabytes.
    void oversizedRepliesAreNetworkErrors_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("headers");
        QTest::addColumn<bool>("accepted");
        const QByteArray json = "{\"uuid\":\"user-0001\",\"authToken\":\"auth-0001\"}";
        const QByteArray padded = json + QByteArray(900 * 1024, ' ');
        const QByteArray huge = "{\"uuid\":\"" + QByteArray(3 * 1024 * 1024, 'u') + "\",\"authToken\":\"a\"}";
        const QByteArray bomb = qCompress(json + QByteArray(64 * 1024 * 1024, ' '), 9).mid(4);
        QTest::newRow("just under the cap") << padded << QByteArray() << true;
        QTest::newRow("3 MiB uuid") << huge << QByteArray() << false;
        QTest::newRow("deflate bomb") << bomb << QByteArray("Content-Encoding: deflate\r\n") << false;
    }

    void oversizedRepliesAreNetworkErrors()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, headers);
        QFETCH(bool, accepted);
        FakeCloudService::Outcome outcome;
        outcome.body = body;
        outcome.extraHeaders = headers;
        cloud.service.setOutcome("/account/authorize", outcome);
        LoginWindow* login = filledLogin();
        ModalBoxes boxes;
        QTest::mouseClick(next(login), Qt::LeftButton);
        if (accepted) {
            QTRY_VERIFY(Screens::visible<WifiListWindow>());
            return;
        }
        QVERIFY(boxes.waitFor(1));
        // Qt 6's own decoder may notice a bomb before the reply guard does; the box and
        // the retry are the same whichever does.
        QStringList boxTexts = {errorBoxText(QNetworkReply::ProtocolFailure)};
        if (!headers.isEmpty() && QT_VERSION >= QT_VERSION_CHECK(6, 0, 0))
            boxTexts << errorBoxText(QNetworkReply::UnknownContentError);
        QVERIFY2(boxTexts.contains(boxes.last().text), qPrintable(boxes.last().text));
        QVERIFY2(boxes.last().advice.contains(Unexpected), qPrintable(boxes.last().advice));
        QCOMPARE(cloud.service.requests().size(), 1);
        QTRY_VERIFY(next(login)->isEnabled());
        cloud.service.resetOutcomes();
        QTest::mouseClick(next(login), Qt::LeftButton);
        QTRY_VERIFY(Screens::visible<WifiListWindow>());
        QCOMPARE(boxes.seen().size(), 1);
    }

    // Each box keeps its text and says under it, by cause, what the user can do.
    void failureBoxesSayWhatToDo_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("advice");
        QTest::newRow("service stopped") << 0 << QStringLiteral("ログイン処理中にエラーが発生しました\ncode:0, phrase:")
                                         << NoConnection;
        QTest::newRow("service busy") << 503
                                      << QStringLiteral("ログイン処理中にエラーが発生しました\ncode:503, phrase:Busy")
                                      << Busy;
        QTest::newRow("wrong password") << 401
                                        << QStringLiteral(
                                               "メールアドレスもしくはパスワードが違います\ncode:401, phrase:Busy")
                                        << QString();
    }

    void failureBoxesSayWhatToDo()
    {
        QFETCH(int, status);
        QFETCH(QString, text);
        QFETCH(QString, advice);
        FakeCloudService stopped;
        if (status == 0) {
            QVERIFY(stopped.start());
            qputenv("RAVELO_ACCOUNT_HOST", stopped.accountHost().toUtf8());
            stopped.close();
        } else {
            cloud.service.setReply("/account/authorize", status, "{}", "Busy");
        }
        LoginWindow* login = filledLogin();
        ModalBoxes boxes;
        QTest::mouseClick(next(login), Qt::LeftButton);
        QVERIFY(boxes.waitFor(1));
        cloud.useUntrustedAccountHost(false);
        QCOMPARE(boxes.last().text, text);
        QCOMPARE(boxes.last().advice.isEmpty(), advice.isEmpty());
        QVERIFY2(boxes.last().advice.contains(advice), qPrintable(boxes.last().advice));
    }

    void serviceTextIsShownAsPlainText()
    {
        cloud.service.setReply("/account/authorize", 500, "{}", "<h1>Down</h1>");
        LoginWindow* login = filledLogin();
        ModalBoxes boxes;
        QTest::mouseClick(next(login), Qt::LeftButton);
        QVERIFY(boxes.waitFor(1));
        QVERIFY(boxes.last().text.endsWith(QStringLiteral("phrase:<h1>Down</h1>")));
        QCOMPARE(boxes.last().format, Qt::PlainText);
    }

    // Every failure box carries the report for support, copied whole with one button:
    // the step and the failure, and nothing the user typed or the service handed out.
    void failureBoxesCarryAReportWithoutSecrets_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("noted");
        QTest::newRow("sign-in refused") << "LoginWindow"
                                         << "service /account/authorize: HTTP 401";
        QTest::newRow("no connection") << "LoginWindow"
                                       << "service /account/authorize: network error 1 ";
        QTest::newRow("camera error") << "SettingsWiFiWindow"
                                      << "Failure: camera error (code -32000)";
        QTest::newRow("camera gone during the exchange") << "SettingsWiFiWindow"
                                                         << "Failure: camera: no usable answer";
    }

    void failureBoxesCarryAReportWithoutSecrets()
    {
        QFETCH(QString, step);
        QFETCH(QString, noted);
        MyApplication::current()->setUuid(QStringLiteral("uuid-7f3a9c"));
        MyApplication::current()->setAccessToken(QStringLiteral("token-5e2b81"));
        ModalBoxes boxes;
        boxes.whileOpen([] {
            for (QAbstractButton* button : QApplication::activeModalWidget()->findChildren<QAbstractButton*>()) {
                if (button->text() == QStringLiteral("詳細をコピー"))
                    button->click();
            }
        });
        FakeCloudService stopped;
        if (step == "LoginWindow") {
            if (noted.endsWith("401")) {
                cloud.service.setReply("/account/authorize", 401, "{}", "hanako@example.jp");
            } else {
                QVERIFY(stopped.start());
                qputenv("RAVELO_ACCOUNT_HOST", stopped.accountHost().toUtf8());
                stopped.close();
            }
            QTest::mouseClick(next(filledLogin()), Qt::LeftButton);
        } else {
            if (noted.contains("error"))
                camera.setError(QStringLiteral("setNetworkSetting"), -32000, QStringLiteral("Home-Secret refused"));
            else
                camera.setSilent(QStringLiteral("setNetworkSetting"));
            auto* settings = new SettingsWiFiWindow(QStringLiteral("Home-Secret"));
            settings->show();
            type(settings, "lineEdit_2", QStringLiteral("wifi-pass-123"));
            QTest::mouseClick(settings->findChild<QPushButton*>(QStringLiteral("button_connect_wifi")), Qt::LeftButton);
            if (noted.contains("usable") && camera.waitForRequests(1))
                camera.unplug();
        }
        QVERIFY(boxes.waitFor(1));
        cloud.useUntrustedAccountHost(false);
        camera.resetBehaviour();
        if (noted.contains("usable"))
            camera.plug();

        const QString report = QGuiApplication::clipboard()->text();
        QCOMPARE(report, boxes.last().details);
        QVERIFY2(report.contains("Step: " + step) && report.contains(noted), qPrintable(report));
        for (const char* secret :
             {"hanako", "pass-word1", "uuid-7f3a9c", "token-5e2b81", "Home-Secret", "wifi-pass-123"})
            QVERIFY2(!report.contains(QLatin1String(secret)), secret);
    }

    // The eye inside each password field shows and hides what was typed, by mouse or
    // by keyboard, without moving the field and without the text reaching the log.
    void passwordFieldsShowAndHideWhatWasTyped_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("fieldName");
        QTest::addColumn<bool>("startsShown");
        QTest::newRow("sign-in") << "LoginWindow"
                                 << "lineEdit_2" << false;
        QTest::newRow("registration") << "RegistUserWindow"
                                      << "lineEdit_3" << true;
        QTest::newRow("Wi-Fi settings") << "SettingsWiFiWindow"
                                        << "lineEdit_2" << false;
    }

    void passwordFieldsShowAndHideWhatWasTyped()
    {
        QFETCH(QString, screen);
        QFETCH(QString, fieldName);
        QFETCH(bool, startsShown);
        std::unique_ptr<QMainWindow> window(screen == "LoginWindow" ? static_cast<QMainWindow*>(new LoginWindow)
                                                : screen == "RegistUserWindow"
                                                ? static_cast<QMainWindow*>(new RegistUserWindow)
                                                : new SettingsWiFiWindow(QString()));
        window->show();
        QApplication::setActiveWindow(window.get());
        auto* field = window->findChild<QLineEdit*>(fieldName);
        const QRect placed = field->geometry();
        auto* action = field->findChild<QAction*>(fieldName + QStringLiteral("_reveal"));
        QVERIFY(action);
        QToolButton* eye = nullptr;
        for (QToolButton* button : field->findChildren<QToolButton*>())
            eye = button->defaultAction() == action ? button : eye;
        QVERIFY(eye && eye->isVisible());
        const auto shownMode = [&] { return field->echoMode() == QLineEdit::Normal; };
        QCOMPARE(shownMode(), startsShown);
        QVERIFY(!action->toolTip().isEmpty());
        QCOMPARE(QAccessible::queryAccessibleInterface(eye)->text(QAccessible::Name), action->text());

        logged.clear();
        const QtMessageHandler previous = qInstallMessageHandler(captureLog);
        Screens::type(window.get(), qPrintable(fieldName), QStringLiteral("eye-secret9"));
        QTest::mouseClick(eye, Qt::LeftButton);
        QCOMPARE(shownMode(), !startsShown);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(eye));
        QTest::keyClick(eye, Qt::Key_Space);
        QCOMPARE(shownMode(), startsShown);
        qInstallMessageHandler(previous);
        QCOMPARE(field->geometry(), placed);
        QCOMPARE(field->text(), QStringLiteral("eye-secret9"));
        QVERIFY(!logged.join('\n').contains(QStringLiteral("eye-secret9")));
    }

    void registrationButtonNeedsValidFieldsAndAcceptedTerms()
    {
        RegistUserWindow* regist = filledRegistration();
        QVERIFY(next(regist)->isEnabled());
        regist->findChild<QCheckBox*>()->setChecked(false);
        QVERIFY(!next(regist)->isEnabled());
        regist->findChild<QCheckBox*>()->setChecked(true);
        type(regist, "lineEdit", QString());
        QVERIFY(!next(regist)->isEnabled());
        type(regist, "lineEdit", QStringLiteral("abcdefghijk"));
        QCOMPARE(regist->findChild<QLineEdit*>(QStringLiteral("lineEdit"))->text(), QStringLiteral("abcdefghij"));
        QVERIFY(next(regist)->isEnabled());
        QCOMPARE(regist->findChild<QLineEdit*>(QStringLiteral("lineEdit_3"))->echoMode(), QLineEdit::Normal);
        QVERIFY(regist->findChild<QLabel*>(QStringLiteral("label"))
                    ->text()
                    .contains("https://" + cloud.service.applicationHost() + "/terms/index.html"));
    }

    void registrationPostsOneFormPartOverTls()
    {
        const QPointer<RegistUserWindow> regist = filledRegistration();
        ModalBoxes boxes;
        QTest::mouseClick(next(regist), Qt::LeftButton);
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.last().icon, QMessageBox::Information);
        QCOMPARE(boxes.last().text,
                 QStringLiteral("登録したメールアドレスに確認メールを送信しました。\n"
                                "本登録を完了させてからログインしてください。"));
        QTRY_VERIFY(Screens::visible<LoginWindow>());
        QTRY_VERIFY(regist.isNull());

        const RecordedRequest request = cloud.service.requests().value(0);
        QCOMPARE(request.path, QByteArray("/account/register"));
        QCOMPARE(request.host, FakeCloudService::accountHostName());
        const QByteArray contentType = request.header("Content-Type");
        QVERIFY(contentType.startsWith("multipart/form-data; boundary="));
        QByteArray boundary = contentType.mid(contentType.indexOf('=') + 1);
        if (boundary.startsWith('"'))
            boundary = boundary.mid(1, boundary.size() - 2);
        boundary.prepend("--");
        QCOMPARE(request.body.count(boundary.constData()), 2);
        const int partStart = request.body.indexOf(boundary) + boundary.size() + 2;
        const int partEnd = request.body.lastIndexOf("\r\n" + boundary);
        const QByteArray part = request.body.mid(partStart, partEnd - partStart);
        const int bodyStart = part.indexOf("\r\n\r\n");
        const QByteArray partHeaders = part.left(bodyStart);
        QVERIFY2(partHeaders.contains("Content-Disposition: form-data; name=\"data\"\r\n"), partHeaders.constData());
        QVERIFY2(partHeaders.contains("Content-Type: application/json; charset=utf-8"), partHeaders.constData());
        QCOMPARE(
            part.mid(bodyStart + 4),
            indented({{"name", QStringLiteral("花子")}, {"email", "hanako@example.jp"}, {"password", "pass-word1"}}));
    }

    void aRefusedRegistrationStillLeadsToSignIn()
    {
        cloud.service.setReply("/account/register", 200, "{\"Message\":\"Duplicate\"}");
        RegistUserWindow* regist = filledRegistration();
        ModalBoxes boxes;
        QTest::mouseClick(next(regist), Qt::LeftButton);
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.last().icon, QMessageBox::Warning);
        QCOMPARE(boxes.last().text, QStringLiteral("ユーザー登録に失敗しました"));
        QTRY_VERIFY(Screens::visible<LoginWindow>());
    }

    void registrationFailureNamesItsPath()
    {
        cloud.useUntrustedAccountHost(true);
        RegistUserWindow* regist = filledRegistration();
        ModalBoxes boxes;
        QTest::mouseClick(next(regist), Qt::LeftButton);
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.last().text,
                 QStringLiteral("ユーザー登録中にエラーが発生しました\npath:register, code:0, phrase:"));
        QTRY_VERIFY(next(regist)->isEnabled());
        QVERIFY(regist->isVisible());
        QCOMPARE(regist->findChild<QLineEdit*>(QStringLiteral("lineEdit_3"))->text(), QStringLiteral("pass-word1"));
    }
};

RAVELO_TEST_MAIN(TestCloudScreens)
#include "tst_cloudscreens.moc"
