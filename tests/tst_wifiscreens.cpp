// The Wi-Fi list, Wi-Fi settings and camera naming screens on the real libusb against
// the emulated camera, and over real TLS against the local cloud service.
#include "Quiet.h"
#include "CloudFixture.h"
#include "EmulatedCamera.h"
#include "ModalBoxes.h"
#include "Screens.h"
#include "TestMain.h"
#include "screens/MyApplication.h"
#include "screens/CameraNameWindow.h"
#include "screens/CameraTrouble.h"
#include "command/UsbUtil.h"
#include "screens/CompleteWindow.h"
#include "screens/InputValidators.h"
#include "screens/SettingsWiFiWindow.h"
#include "command/WifiScan.h"
#include "screens/WifiListWindow.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QAccessible>
#include <QListView>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>

using Screens::child;

namespace {
constexpr int ShortPauseMs = 100;

// The emulated camera stamps its requests with this clock.
qint64 steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QJsonObject parsed(const QByteArray& text)
{
    return QJsonDocument::fromJson(text).object();
}

QList<int> idsOf(const QList<QByteArray>& requests)
{
    QList<int> ids;
    for (const QByteArray& request : requests)
        ids.append(parsed(request).value(QStringLiteral("id")).toInt());
    return ids;
}

QList<int> pagesOf(const QList<QByteArray>& requests)
{
    QList<int> pages;
    for (const QByteArray& request : requests) {
        const QJsonArray params = parsed(request).value(QStringLiteral("params")).toArray();
        pages.append(params.isEmpty() ? 0 : params.at(0).toObject().value(QStringLiteral("param1")).toInt());
    }
    return pages;
}

QStringList rowsOf(WifiListWindow* list)
{
    QStringList rows;
    QAbstractItemModel* model = child<QListView>(list, "listView")->model();
    for (int row = 0; row < model->rowCount(); ++row)
        rows.append(model->index(row, 0).data().toString());
    return rows;
}

QString statusOf(WifiListWindow* list)
{
    return child<QLabel>(list, "label_content_2")->text();
}

void clickRow(WifiListWindow* list, int row)
{
    auto* view = child<QListView>(list, "listView");
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

QByteArray replyWithId(int id)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("id"), id}, {QStringLiteral("result"), QJsonArray{}}})
        .toJson(QJsonDocument::Compact);
}
}

class TestWifiScreens : public QObject
{
    Q_OBJECT

    EmulatedCamera camera;
    CloudFixture cloud;

    WifiListWindow* scan(const QStringList& networks, const WifiScan::Timings& timings = {3000, ShortPauseMs})
    {
        camera.setNetworks(networks);
        auto* list = new WifiListWindow;
        list->wifiScan().setTimings(timings);
        list->show();
        return list;
    }

    bool waitForStatus(WifiListWindow* list, const QString& status, int timeoutMs = 10000)
    {
        return QTest::qWaitFor([&] { return statusOf(list) == status; }, timeoutMs);
    }

    // Requests reach the camera in the order they were sent: once one sent now has
    // arrived, whatever the screens sent before it has too.
    QList<QByteArray> requestsSentSoFar()
    {
        const QByteArray fence = UsbUtil::instance()->getAPList(199, 9);
        UsbUtil::instance()->send(fence);
        if (!QTest::qWaitFor([&] { return camera.requests().contains(fence); }, 5000))
            return {"the fence request never arrived"};
        QList<QByteArray> sent = camera.requests();
        sent.removeOne(fence);
        return sent;
    }

    SettingsWiFiWindow* settingsFor(const QString& network)
    {
        auto* settings = new SettingsWiFiWindow(network);
        settings->show();
        return settings;
    }

    // The naming screen with a name typed, so that its button can be pressed.
    CameraNameWindow* namedCamera()
    {
        auto* naming = new CameraNameWindow;
        naming->show();
        Screens::type(naming, "lineEdit_2", QStringLiteral("リビング"));
        return naming;
    }

private slots:
    void initTestCase()
    {
        camera.plug();
        MyApplication::current()->setUuid(QStringLiteral("user-0001"));
        MyApplication::current()->setAccessToken(QStringLiteral("token-0001"));
    }

    void init() { camera.clearRecords(); }

    void cleanup()
    {
        Screens::destroyAll();
        camera.resetBehaviour();
        cloud.service.resetOutcomes();
        cloud.service.clearRequests();
        QTest::qWait(2 * ShortPauseMs);
    }

    void twoPageScanListsEveryNameInOrderWithPauses()
    {
        constexpr int PauseMs = 400;
        WifiListWindow* list = scan({"Home-5G", "Home-2G", "", "Cafe", "Home-5G", "Office", "Guest"}, {60000, PauseMs});
        QCOMPARE(list->cursor().shape(), Qt::WaitCursor);
        QVERIFY(child<QProgressBar>(list, "progressBar")->isVisible());
        // Turns of the event loop, on the camera's clock: a pause that blocked the loop
        // would leave at most one (coalesced) turn between two requests.
        QList<qint64> turns;
        QTimer ticks;
        connect(&ticks, &QTimer::timeout, this, [&] { turns.append(steadyMs()); });
        ticks.start(10);
        QVERIFY(waitForStatus(list, QStringLiteral("Wi-Fiが見つかりました"), 20000));
        ticks.stop();

        QCOMPARE(rowsOf(list), (QStringList{"Home-5G", "Home-2G", "Cafe", "Home-5G", "Office", "Guest"}));
        QCOMPARE(camera.requestedMethods(), (QStringList{"execAPList", "getAPList", "getAPList", "getAPList"}));
        QCOMPARE(idsOf(camera.requests()), (QList<int>{1, 101, 102, 103}));
        QCOMPARE(pagesOf(camera.requests()), (QList<int>{0, 1, 2, 3}));
        const QList<qint64> times = camera.requestTimes();
        for (int i = 1; i < times.size(); ++i) {
            QVERIFY2(times.at(i) - times.at(i - 1) >= PauseMs, "never early");
            // The first pause shares the loop with the window's first paint.
            const auto turnsInPause = std::count_if(turns.cbegin(), turns.cend(), [&](qint64 turn) {
                return turn > times.at(i - 1) && turn < times.at(i);
            });
            QVERIFY2(i == 1 || turnsInPause >= 2, qPrintable(QString::number(turnsInPause)));
        }
        QCOMPARE(list->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(!child<QProgressBar>(list, "progressBar")->isVisible());
        // Without a network service there is nothing to say about a missing network.
        QVERIFY(child<QLabel>(list, "label_missing")->text().isEmpty());
        QVERIFY(child<QPushButton>(list, "button_refresh")->isEnabled());
        QVERIFY(child<QPushButton>(list, "button_connect_wifi_other")->isEnabled());
        QVERIFY(!child<QPushButton>(list, "button_connect_wifi")->isEnabled());
    }

    void aScanStillRunningAsksForTheSamePageAgain()
    {
        camera.setPagesNotReady(1);
        WifiListWindow* list = scan({"Home"});
        QVERIFY(waitForStatus(list, QStringLiteral("Wi-Fiが見つかりました")));
        QCOMPARE(idsOf(camera.requests()), (QList<int>{1, 101, 101, 102}));
        QCOMPARE(pagesOf(camera.requests()), (QList<int>{0, 1, 1, 2}));
        QCOMPARE(rowsOf(list), (QStringList{"Home", "Home"}));
    }

    void aFinishedScanIsNotTurnedIntoATimeOut()
    {
        WifiListWindow* list = scan({}, {600, ShortPauseMs});
        QVERIFY(waitForStatus(list, QStringLiteral("Wi-Fiは見つかりませんでした")));
        QVERIFY(
            nothingHappensWithin(800, [&] { return statusOf(list) != QStringLiteral("Wi-Fiは見つかりませんでした"); }));
        QVERIFY(rowsOf(list).isEmpty());
    }

    void aTimedOutScanIgnoresLatePages()
    {
        camera.setReplyDelay(800);
        WifiListWindow* list = scan({"Late"}, {500, ShortPauseMs});
        QVERIFY(waitForStatus(list, QStringLiteral("Wi-Fiが見つかりません"), 5000));
        QCOMPARE(list->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(!child<QProgressBar>(list, "progressBar")->isVisible());
        QVERIFY(child<QPushButton>(list, "button_refresh")->isEnabled());
        QVERIFY(camera.waitForRequests(2, 5000));
        QVERIFY(nothingHappensWithin(1200, [&] { return !rowsOf(list).isEmpty(); }));
        QCOMPARE(statusOf(list), QStringLiteral("Wi-Fiが見つかりません"));
    }

    void destroyingTheListCancelsItsPendingPause()
    {
        WifiListWindow* list = scan({"Home"}, {3000, 400});
        QVERIFY(camera.waitForRequests(1));
        delete list;
        QVERIFY(nothingHappensWithin(800, [&] { return camera.requests().size() > 1; }));
        QCOMPARE(camera.requestedMethods(), QStringList{"execAPList"});
    }

    void unpluggingDuringAScanGivesTheArrowBack()
    {
        camera.setReplyDelay(2000);
        WifiListWindow* list = scan({"Home"});
        QCOMPARE(list->cursor().shape(), Qt::WaitCursor);
        QVERIFY(camera.waitForRequests(1));
        camera.unplug();
        QTRY_COMPARE(statusOf(list), QStringLiteral("カメラが見つかりません"));
        QCOMPARE(list->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(!child<QProgressBar>(list, "progressBar")->isVisible());
        QVERIFY(!child<QPushButton>(list, "button_refresh")->isEnabled());
        camera.plug();
        QTRY_VERIFY(child<QPushButton>(list, "button_refresh")->isEnabled());
    }

    void refreshStartsAgainFromTheBeginning()
    {
        WifiListWindow* list = scan({"First"});
        QVERIFY(waitForStatus(list, QStringLiteral("Wi-Fiが見つかりました")));
        camera.clearRecords();
        camera.setNetworks({"Second"});
        QApplication::setActiveWindow(list);
        auto* refresh = child<QPushButton>(list, "button_refresh");
        refresh->setFocus();
        QTest::keyClick(refresh, Qt::Key_Space);
        QCOMPARE(statusOf(list), QStringLiteral("ネットワークを探しています"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(child<QListView>(list, "listView")));
        QVERIFY(rowsOf(list).isEmpty());
        QVERIFY(waitForStatus(list, QStringLiteral("Wi-Fiが見つかりました")));
        QCOMPARE(idsOf(camera.requests()), (QList<int>{1, 101, 102}));
        QCOMPARE(rowsOf(list), QStringList{"Second"});
    }

    // The keyboard picks a network as a click does, and Enter continues; the mouse
    // still works as before.
    void aNetworkIsPickedByKeyboardOrMouse_data()
    {
        QTest::addColumn<bool>("byKeyboard");
        QTest::newRow("keyboard") << true;
        QTest::newRow("mouse") << false;
    }

    void aNetworkIsPickedByKeyboardOrMouse()
    {
        QFETCH(bool, byKeyboard);
        WifiListWindow* list = scan({"Alpha", "Beta", "Gamma"});
        QVERIFY(waitForStatus(list, QStringLiteral("Wi-Fiが見つかりました")));
        auto* view = child<QListView>(list, "listView");
        auto* connectButton = child<QPushButton>(list, "button_connect_wifi");
        view->setFocus();
        QVERIFY(!connectButton->isEnabled());
        QAccessibleInterface* rows = QAccessible::queryAccessibleInterface(view);
        QVERIFY(rows->child(0)->state().focused);
        if (byKeyboard) {
            QTest::keyClick(view, Qt::Key_Down);
            QVERIFY(connectButton->isEnabled());
            QTest::keyClick(view, Qt::Key_End);
            QTest::keyClick(view, Qt::Key_Up);
            QTest::keyClick(view, Qt::Key_Return);
        } else {
            clickRow(list, 1);
            QVERIFY(connectButton->isEnabled());
            QTest::mouseClick(connectButton, Qt::LeftButton);
        }
        auto* settings = Screens::visible<SettingsWiFiWindow>();
        QVERIFY(settings);
        QCOMPARE(Screens::visibleWindows().size(), 1);
        auto* name = child<QLineEdit>(settings, "lineEdit");
        QCOMPARE(name->text(), QStringLiteral("Beta"));
        QVERIFY(!name->isEnabled());
    }

    void enterWithoutAPickedNetworkDoesNothing()
    {
        WifiListWindow* list = scan({"Alpha"});
        QVERIFY(waitForStatus(list, QStringLiteral("Wi-Fiが見つかりました")));
        auto* view = child<QListView>(list, "listView");
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Return);
        QVERIFY(list->isVisible());
        QVERIFY(!Screens::visible<SettingsWiFiWindow>());
    }

    void otherNetworkLeadsToAnEmptyEditableName()
    {
        WifiListWindow* list = scan({"Alpha"});
        QVERIFY(waitForStatus(list, QStringLiteral("Wi-Fiが見つかりました")));
        auto* other = child<QPushButton>(list, "button_connect_wifi_other");
        // A screen reader hears where hidden networks go, as the pointer's tooltip says.
        QVERIFY(QAccessible::queryAccessibleInterface(other)->text(QAccessible::Description).contains("名前を公開"));
        QTest::mouseClick(other, Qt::LeftButton);
        auto* settings = Screens::visible<SettingsWiFiWindow>();
        QVERIFY(settings);
        QVERIFY(child<QLineEdit>(settings, "lineEdit")->text().isEmpty());
        QVERIFY(child<QLineEdit>(settings, "lineEdit")->isEnabled());
        QCOMPARE(child<QLineEdit>(settings, "lineEdit")->placeholderText(), QStringLiteral("SSIDをご入力ください"));
    }

    void listFollowsTheCameraComingAndGoing()
    {
        camera.unplug();
        QTRY_VERIFY(!UsbUtil::instance()->hasCamera());
        auto* list = new WifiListWindow;
        list->show();
        QCOMPARE(statusOf(list), QStringLiteral("カメラが見つかりません"));
        QVERIFY(!child<QPushButton>(list, "button_refresh")->isEnabled());
        QVERIFY(!child<QPushButton>(list, "button_connect_wifi_other")->isEnabled());

        camera.plug();
        QTRY_VERIFY(child<QPushButton>(list, "button_refresh")->isEnabled());
        QVERIFY(child<QPushButton>(list, "button_connect_wifi_other")->isEnabled());
        QCOMPARE(statusOf(list), QStringLiteral("更新ボタンを押して、Wi-Fiを探してください"));
        QVERIFY(!child<QProgressBar>(list, "progressBar")->isVisible());
        QVERIFY(camera.requests().isEmpty());
    }

    void settingsSendTheChosenNetworkAndMoveOnToNaming()
    {
        const QPointer<SettingsWiFiWindow> settings = settingsFor(QStringLiteral("Home-5G"));
        Screens::type(settings, "lineEdit_2", QStringLiteral("wifi-secret"));
        QCOMPARE(child<QLineEdit>(settings, "lineEdit_2")->echoMode(), QLineEdit::Password);
        QCOMPARE(child<QLineEdit>(settings, "lineEdit")->echoMode(), QLineEdit::Normal);
        QTest::mouseClick(child<QPushButton>(settings, "button_connect_wifi"), Qt::LeftButton);
        QTRY_VERIFY(Screens::visible<CameraNameWindow>());
        QTRY_VERIFY(settings.isNull());
        const QJsonObject request = parsed(camera.requests().last());
        QCOMPARE(request.value("id").toInt(), 10000);
        const QJsonObject params = request.value("params").toArray().at(0).toObject();
        QCOMPARE(params.value("ssid").toString(), QStringLiteral("Home-5G"));
        QCOMPARE(params.value("password").toString(), QStringLiteral("wifi-secret"));
        QCOMPARE(params.value("inet").toString(), QStringLiteral("0"));
    }

    void cameraRefusalIsShownAndTheWizardGoesOn()
    {
        camera.setError(QStringLiteral("setNetworkSetting"), -3, QStringLiteral("bad %2 password"));
        SettingsWiFiWindow* settings = settingsFor(QString());
        Screens::type(settings, "lineEdit", QStringLiteral("Typed"));
        ModalBoxes boxes;
        QTest::mouseClick(child<QPushButton>(settings, "button_connect_wifi"), Qt::LeftButton);
        QVERIFY(!settings->isEnabled());
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.last().text, QStringLiteral("bad %2 password [code:-3]"));
        QCOMPARE(boxes.last().title, QStringLiteral("Raveloツール"));
        QVERIFY(boxes.last().enabled);
        QTRY_VERIFY(Screens::visible<CameraNameWindow>());
    }

    // Keystrokes into the Wi-Fi settings: connect is enabled only for what a Wi-Fi
    // network can have, the rule shows under the field that breaks it, and Enter in the
    // password field sends exactly what connect would, and only then.
    void wifiSettingsTakeOnlyWhatANetworkCanHave_data()
    {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("nameHint");
        QTest::addColumn<bool>("passwordHint");
        const QString home = QStringLiteral("Home");
        QTest::newRow("no name") << QString() << QString() << "password1" << false << true << false;
        QTest::newRow("open network") << QString() << "Typed" << QString() << true << false << false;
        QTest::newRow("picked, password of 8") << home << home << "12345678" << true << false << false;
        QTest::newRow("64 other characters") << home << home << QString(64, 'p') << false << false << true;
    }

    // The rules themselves: names by bytes in UTF-8, passwords by length and digits.
    void wifiRulesCountWhatANetworkCounts_data()
    {
        QTest::addColumn<bool>("isName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("name of 32 bytes") << true << QString(10, QChar(0x3042)) + "ab" << true;
        QTest::newRow("name of 33 bytes") << true << QString(11, QChar(0x3042)) << false;
        QTest::newRow("password of 7") << false << "1234567" << false;
        QTest::newRow("password of 63") << false << QString(63, 'p') << true;
        QTest::newRow("64 hexadecimal digits") << false << QString(64, 'a') << true;
        QTest::newRow("64 other characters") << false << QString(64, 'p') << false;
    }

    void wifiRulesCountWhatANetworkCounts()
    {
        QFETCH(bool, isName);
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QCOMPARE(isName ? InputValidators::isWifiNetworkName(text) : InputValidators::isWifiPassword(text), accepted);
    }

    void wifiSettingsTakeOnlyWhatANetworkCanHave()
    {
        QFETCH(QString, picked);
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(bool, enabled);
        QFETCH(bool, nameHint);
        QFETCH(bool, passwordHint);
        SettingsWiFiWindow* settings = settingsFor(picked);
        if (picked.isEmpty())
            Screens::type(settings, "lineEdit", name);
        Screens::type(settings, "lineEdit_2", password);
        QCOMPARE(child<QPushButton>(settings, "button_connect_wifi")->isEnabled(), enabled);
        QCOMPARE(child<QLabel>(settings, "label_hint")->isVisible(), nameHint);
        QCOMPARE(child<QLabel>(settings, "label_hint_2")->isVisible(), passwordHint);
        QTest::keyClick(child<QLineEdit>(settings, "lineEdit_2"), Qt::Key_Return);
        if (!enabled) {
            QVERIFY(requestsSentSoFar().isEmpty());
            return;
        }
        QVERIFY(camera.waitForRequests(1));
        const QJsonObject params = parsed(camera.requests().last()).value("params").toArray().at(0).toObject();
        QCOMPARE(params.value("ssid").toString(), name);
        QCOMPARE(params.value("password").toString(), password);
    }

    void cameraNameMustBeMoreThanWhiteSpace_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("hintShown");
        QTest::newRow("nothing") << QString() << false << false;
        QTest::newRow("spaces") << "   " << false << true;
        QTest::newRow("ideographic space") << QString(QChar(0x3000)) << false << true;
        QTest::newRow("name with spaces") << " リビング " << true << false;
    }

    void cameraNameMustBeMoreThanWhiteSpace()
    {
        QFETCH(QString, typed);
        QFETCH(bool, enabled);
        QFETCH(bool, hintShown);
        auto* naming = new CameraNameWindow;
        naming->show();
        Screens::type(naming, "lineEdit_2", typed);
        QCOMPARE(child<QPushButton>(naming, "button_next")->isEnabled(), enabled);
        QCOMPARE(child<QLabel>(naming, "label_hint")->isVisible(), hintShown);
        cloud.service.clearRequests();
        QTest::keyClick(child<QLineEdit>(naming, "lineEdit_2"), Qt::Key_Return);
        if (!enabled) {
            QVERIFY(nothingHappensWithin(300, [&] { return !cloud.service.requests().isEmpty(); }));
            return;
        }
        QVERIFY(cloud.service.waitForRequests(2));
        QCOMPARE(parsed(cloud.service.requests().at(1).body).value("name").toString(), typed);
    }

    // The disabled screen says why and what to do, until the camera is back.
    void aDisconnectedCameraIsSaidOnSettingsAndNaming_data()
    {
        QTest::addColumn<bool>("naming");
        QTest::newRow("settings") << false;
        QTest::newRow("naming") << true;
    }

    void aDisconnectedCameraIsSaidOnSettingsAndNaming()
    {
        QFETCH(bool, naming);
        QWidget* screen = naming ? static_cast<QWidget*>(namedCamera()) : settingsFor(QStringLiteral("Home"));
        auto* line = child<QLabel>(screen, "label_unplugged");
        QApplication::setActiveWindow(screen);
        auto* field = child<QLineEdit>(screen, "lineEdit_2");
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field));
        QVERIFY(!line->isVisible());
        camera.unplug();
        QTRY_VERIFY(line->isVisible());
        QVERIFY(!screen->isEnabled());
        QCOMPARE(line->text(), QStringLiteral("カメラが外れました。USBケーブルで接続し直してください"));
        camera.plug();
        QTRY_VERIFY(screen->isEnabled());
        QVERIFY(!line->isVisible());
        // Typing goes on in the field it was in.
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field));
    }

    void settingsIgnoreOtherRepliesAndFollowTheCamera()
    {
        camera.setRawReply(QStringLiteral("setNetworkSetting"), replyWithId(1));
        SettingsWiFiWindow* settings = settingsFor(QStringLiteral("Home"));
        QTest::mouseClick(child<QPushButton>(settings, "button_connect_wifi"), Qt::LeftButton);
        QVERIFY(camera.waitForRequests(1));
        QVERIFY(nothingHappensWithin(200, [&] { return !settings->isVisible() || settings->isEnabled(); }));

        camera.unplug();
        QVERIFY(nothingHappensWithin(200, [&] { return settings->isEnabled(); }));
        camera.plug();
        QTRY_VERIFY(settings->isEnabled());
        QVERIFY(!child<QLineEdit>(settings, "lineEdit")->isEnabled());
    }

    void backStartsAFreshScan()
    {
        SettingsWiFiWindow* settings = settingsFor(QStringLiteral("Home"));
        QTest::mouseClick(child<QPushButton>(settings, "button_back_to_wifilist"), Qt::LeftButton);
        auto* list = Screens::visible<WifiListWindow>();
        QVERIFY(list);
        QVERIFY(camera.waitForRequests(1));
        QCOMPARE(camera.requestedMethods().first(), QStringLiteral("execAPList"));
    }

    void namingRegistersTheDeviceInTwoStepsAndHandsItToTheCamera()
    {
        auto* naming = new CameraNameWindow;
        naming->show();
        const QString serial = naming->serialId();
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$"))
                    .match(serial)
                    .hasMatch());
        cloud.service.setReply("/devices", 200, "{\"deviceId\":\"dev-from-account\"}", "OK",
                               FakeCloudService::accountHostName());
        cloud.service.setReply("/devices", 200, "{\"deviceId\":\"dev-from-app\"}", "OK",
                               FakeCloudService::applicationHostName());
        Screens::type(naming, "lineEdit_2", QStringLiteral("リビング"));
        QTest::mouseClick(child<QPushButton>(naming, "button_next"), Qt::LeftButton);
        QTRY_VERIFY(Screens::visible<CompleteWindow>());

        const QList<RecordedRequest> requests = cloud.service.requests();
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests.at(0).host, FakeCloudService::accountHostName());
        QCOMPARE(requests.at(0).body, QJsonDocument(QJsonObject{{"serialId", serial}, {"kind", "HW_KLM-3"}}).toJson());
        const QList<QByteArray> first = requests.at(0).headerNames();
        QVERIFY(first.indexOf("User-Agent") < first.indexOf("Content-Type"));
        QVERIFY(first.indexOf("Content-Type") < first.indexOf("Content-Length"));
        QCOMPARE(requests.at(0).header("User-Agent"), QByteArray("NUVA/1.0"));
        QVERIFY(requests.at(0).header("Authorization").isEmpty());

        QCOMPARE(requests.at(1).host, FakeCloudService::applicationHostName());
        QCOMPARE(requests.at(1).body,
                 QJsonDocument(QJsonObject{{"deviceId", "dev-from-account"},
                                           {"name", QStringLiteral("リビング")},
                                           {"kind", "HW_KLM-3"}})
                     .toJson());
        QCOMPARE(requests.at(1).header("Authorization"), QByteArray("X-NUVA uuid=user-0001 token=token-0001"));
        const QList<QByteArray> names = requests.at(1).headerNames();
        QVERIFY(names.indexOf("Content-Type") < names.indexOf("Content-Length"));
        // Qt's HTTP stack writes Content-Length itself, wherever it likes; the rest keep their order.
        QVERIFY(names.indexOf("Content-Type") < names.indexOf("Authorization"));
        QVERIFY(requests.at(1).header("User-Agent") != "NUVA/1.0");

        const QJsonObject token = parsed(camera.requests().last());
        QCOMPARE(token.value("method").toString(), QStringLiteral("setToken"));
        const QJsonObject params = token.value("params").toArray().at(0).toObject();
        QCOMPARE(params.value("DeviceId").toString(), QStringLiteral("dev-from-app"));
        QCOMPARE(params.value("SerialId").toString(), serial);
    }

    // Both services on one host name (different ports, or one host): each reply is
    // still taken for the step whose request it answers.
    void namingWorksWhenBothServicesShareAHostName()
    {
        const QByteArray applicationHost = qgetenv("RAVELO_APP_HOST");
        qputenv("RAVELO_APP_HOST", cloud.service.accountHost().toUtf8());
        auto* naming = namedCamera();
        QTest::mouseClick(child<QPushButton>(naming, "button_next"), Qt::LeftButton);
        const bool completed = QTest::qWaitFor([] { return Screens::visible<CompleteWindow>() != nullptr; }, 5000);
        qputenv("RAVELO_APP_HOST", applicationHost);
        QVERIFY(completed);
        const QList<RecordedRequest> requests = cloud.service.requestsTo("/devices");
        QCOMPARE(requests.size(), 2);
        QVERIFY(requests.at(0).header("Authorization").isEmpty());
        QCOMPARE(requests.at(1).header("Authorization"), QByteArray("X-NUVA uuid=user-0001 token=token-0001"));
        QCOMPARE(camera.requestedMethods().count(QStringLiteral("setToken")), 1);
    }

    void namingRetriesWithTheSameSerialId()
    {
        cloud.service.setReply("/devices", 401, "{}", "Unauthorized", FakeCloudService::applicationHostName());
        auto* naming = namedCamera();
        const QString serialId = naming->serialId();
        ModalBoxes boxes;
        QTest::mouseClick(child<QPushButton>(naming, "button_next"), Qt::LeftButton);
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.last().text,
                 QStringLiteral("カメラ登録中にエラーが発生しました\ncode:401, phrase:Unauthorized"));
        QTRY_VERIFY(child<QPushButton>(naming, "button_next")->isEnabled());

        cloud.service.resetOutcomes();
        QTest::mouseClick(child<QPushButton>(naming, "button_next"), Qt::LeftButton);
        QTRY_VERIFY(Screens::visible<CompleteWindow>());
        const QList<RecordedRequest> first = cloud.service.requestsTo("/devices");
        QCOMPARE(first.size(), 4);
        QCOMPARE(parsed(first.at(0).body).value("serialId"), parsed(first.at(2).body).value("serialId"));
        QVERIFY(serialId != CameraNameWindow().serialId());
    }

    // Without a device id there is nothing to register or to hand to the camera: the
    // step fails where the user can retry, and the camera is told nothing.
    void aRegistrationReplyWithoutADeviceIdIsAFailedStep_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("requests");
        QTest::newRow("account, missing") << FakeCloudService::accountHostName() << QByteArray("{}") << 1;
        QTest::newRow("account, not json") << FakeCloudService::accountHostName() << QByteArray("<html>") << 1;
        QTest::newRow("application, empty")
            << FakeCloudService::applicationHostName() << QByteArray("{\"deviceId\":\"\"}") << 2;
        QTest::newRow("application, a number")
            << FakeCloudService::applicationHostName() << QByteArray("{\"deviceId\":12}") << 2;
    }

    void aRegistrationReplyWithoutADeviceIdIsAFailedStep()
    {
        QFETCH(QString, host);
        QFETCH(QByteArray, body);
        QFETCH(int, requests);
        cloud.service.setReply("/devices", 200, body, "OK", host);
        auto* naming = namedCamera();
        ModalBoxes boxes;
        QTest::mouseClick(child<QPushButton>(naming, "button_next"), Qt::LeftButton);
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.last().text,
                 QStringLiteral("カメラ登録中にエラーが発生しました\npath:devices, code:200, phrase:OK"));
        QTRY_VERIFY(child<QPushButton>(naming, "button_next")->isEnabled());
        QCOMPARE(cloud.service.requests().size(), requests);
        QVERIFY(!camera.requestedMethods().contains(QStringLiteral("setToken")));
        QVERIFY(naming->isVisible());
        cloud.service.resetOutcomes();
    }

    // A reply that is no JSON object ends the wait at once: the screen says the camera did
    // not answer usably and can be used again; the naming screen then hands the same
    // identity over again without registering the camera a second time.
    void anUnusableCameraReplyIsSaidAndLeavesTheScreenUsable_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("not JSON") << QByteArray("rebooting...");
        QTest::newRow("JSON with garbage") << replyWithId(1) + "}garbage";
        QTest::newRow("70 KB") << "{\"id\": 1, \"result\": \"" + QByteArray(70 * 1024, 'a') + "\"}";
    }

    void anUnusableCameraReplyIsSaidAndLeavesTheScreenUsable()
    {
        QFETCH(QByteArray, reply);
        const QString said = CameraTrouble::exchangeFailure();
        camera.setRawReply(QStringLiteral("execAPList"), reply);
        WifiListWindow* list = scan({QStringLiteral("Home")}, {60000, ShortPauseMs});
        QVERIFY(waitForStatus(list, said));
        QVERIFY(child<QPushButton>(list, "button_refresh")->isEnabled());

        camera.setRawReply(QStringLiteral("setNetworkSetting"), reply);
        SettingsWiFiWindow* settings = settingsFor(QStringLiteral("Home"));
        ModalBoxes boxes;
        QTest::mouseClick(child<QPushButton>(settings, "button_connect_wifi"), Qt::LeftButton);
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.last().text, said);
        QTRY_VERIFY(settings->isEnabled() && settings->isVisible());

        camera.setRawReply(QStringLiteral("setToken"), reply);
        auto* naming = namedCamera();
        auto* next = child<QPushButton>(naming, "button_next");
        QTest::mouseClick(next, Qt::LeftButton);
        QVERIFY(boxes.waitFor(2));
        QTRY_VERIFY(next->isEnabled());
        camera.resetBehaviour();
        QTest::mouseClick(next, Qt::LeftButton);
        QTRY_VERIFY(Screens::visible<CompleteWindow>());
        QCOMPARE(cloud.service.requestsTo("/devices").size(), 2);
        QCOMPARE(camera.requestedMethods().count(QStringLiteral("setToken")), 2);
    }

    void namingWaitsForTheCamerasOwnAnswer()
    {
        camera.setResponder(QStringLiteral("setToken"), [](const QJsonObject&) { return replyWithId(10000); });
        auto* naming = namedCamera();
        QTest::mouseClick(child<QPushButton>(naming, "button_next"), Qt::LeftButton);
        QVERIFY(camera.waitForRequests(1));
        QVERIFY(nothingHappensWithin(200, [&] { return !naming->isVisible(); }));

        camera.setError(QStringLiteral("setToken"), 12, QStringLiteral("token rejected"));
        ModalBoxes boxes;
        naming->sendRequest(UsbUtil::instance()->setToken(QStringLiteral("d"), naming->serialId()));
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.last().text, QStringLiteral("token rejected [code:12]"));
        QTRY_VERIFY(Screens::visible<CompleteWindow>());
    }
};

RAVELO_TEST_MAIN(TestWifiScreens)
#include "tst_wifiscreens.moc"
