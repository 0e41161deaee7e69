// Hasty users and late camera replies: a second activation, a reply already queued
// for a screen that has moved on, and the camera going away while a box is open.
#include "Quiet.h"
#include "CloudFixture.h"
#include "EmulatedCamera.h"
#include "ModalBoxes.h"
#include "Screens.h"
#include "TestMain.h"
#include "screens/MyApplication.h"
#include "screens/CameraNameWindow.h"
#include "screens/LoginWindow.h"
#include "command/UsbUtil.h"
#include "screens/CompleteWindow.h"
#include "screens/PreparationWindow.h"
#include "screens/SettingsWiFiWindow.h"
#include "screens/TopWindow.h"
#include "command/WifiScan.h"
#include "screens/WifiListWindow.h"

#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

using Screens::child;

namespace {
constexpr int SettleMs = 400;

EL_CMD replyEnvelope(const QJsonObject& reply)
{
    EL_CMD cmd;
    cmd.insert(QStringLiteral("CMD"), QVariant::fromValue(CMD_JSON_RPC));
    cmd.insert(QStringLiteral("METHOD"), QString());
    cmd.insert(QStringLiteral("RESULT"), QJsonDocument(reply).toJson());
    return cmd;
}

EL_CMD errorReply(int id)
{
    return replyEnvelope({{"id", id}, {"error", QJsonObject{{"code", 5}, {"message", "<h1>no</h1>"}}}});
}

// Delivered later, as the USB worker's replies are: a queued call already posted.
void queueReply(QObject* screen, const EL_CMD& reply)
{
    QMetaObject::invokeMethod(screen, "receiveCmd", Qt::QueuedConnection, Q_ARG(EL_CMD, reply));
}

int visibleCount(const char* className)
{
    int count = 0;
    for (QWidget* window : Screens::visibleWindows())
        count += QLatin1String(window->metaObject()->className()) == QLatin1String(className) ? 1 : 0;
    return count;
}

QPushButton* button(QWidget* screen, const QString& name)
{
    return screen->findChild<QPushButton*>(name);
}

void press(QPushButton* target, bool byKeyboard)
{
    if (byKeyboard)
        QTest::keyClick(target, Qt::Key_Space);
    else
        QTest::mouseClick(target, Qt::LeftButton);
}

// Every case twice, pressed by mouse and by keyboard; addRow adds the case's columns.
template <typename Cases, typename AddRow>
void rowsByMouseAndKeyboard(const Cases& cases, AddRow addRow)
{
    for (const auto& c : cases) {
        for (bool byKeyboard : {false, true}) {
            const QString row = QStringLiteral("%1 (%2)").arg(c.row, byKeyboard ? "space" : "click");
            addRow(QTest::newRow(qPrintable(row)), c) << byKeyboard;
        }
    }
}
}

class TestHandOver : public QObject
{
    Q_OBJECT

    EmulatedCamera camera;
    CloudFixture cloud;

    static WifiListWindow* shortScan(WifiListWindow* list)
    {
        list->wifiScan().setTimings({3000, 100});
        return list;
    }

    QMainWindow* screenNamed(const QString& name)
    {
        QMainWindow* screen = nullptr;
        if (name == QLatin1String("PreparationWindow"))
            screen = new PreparationWindow;
        else if (name == QLatin1String("WifiListWindow"))
            screen = shortScan(new WifiListWindow);
        else if (name == QLatin1String("SettingsWiFiWindow"))
            screen = new SettingsWiFiWindow(QStringLiteral("Home"));
        else if (name == QLatin1String("CameraNameWindow"))
            screen = fillIn(new CameraNameWindow);
        else if (name == QLatin1String("CompleteWindow"))
            screen = new CompleteWindow;
        else if (name == QLatin1String("LoginWindow"))
            screen = filledLogin();
        screen->show();
        return screen;
    }

    // Types what a screen needs before its main button can be pressed.
    static QMainWindow* fillIn(QMainWindow* screen)
    {
        auto* name = qobject_cast<CameraNameWindow*>(screen) ? child<QLineEdit>(screen, "lineEdit_2")
            : qobject_cast<SettingsWiFiWindow*>(screen)      ? child<QLineEdit>(screen, "lineEdit")
                                                             : nullptr;
        if (name && name->isEnabled() && name->text().isEmpty())
            QTest::keyClicks(name, QStringLiteral("Living room"));
        return screen;
    }

    QMainWindow* filledLogin()
    {
        auto* login = new LoginWindow;
        Screens::type(login, "lineEdit", QStringLiteral("hanako@example.jp"));
        Screens::type(login, "lineEdit_2", QStringLiteral("pass-word1"));
        return login;
    }

private slots:
    // First, while the command sender does not exist yet: the second click arrives
    // while the first one waits for the USB start.
    void aSecondClickDuringTheUsbStartOpensNothingMore()
    {
        auto* top = new TopWindow;
        top->show();
        QPushButton* start = button(top, QStringLiteral("button_start"));
        QTimer::singleShot(0, start, [start] { QTest::mouseClick(start, Qt::LeftButton); });
        QTest::mouseClick(start, Qt::LeftButton);
        QVERIFY(nothingHappensWithin(SettleMs, [] { return Screens::visibleWindows().size() > 1; }));
        QCOMPARE(visibleCount("PreparationWindow"), 1);
        QCOMPARE(Screens::visibleWindows().size(), 1);
    }

    void initTestCase()
    {
        camera.plug();
        MyApplication::current()->setUuid(QStringLiteral("user-0001"));
        MyApplication::current()->setAccessToken(QStringLiteral("token-0001"));
    }

    void cleanup()
    {
        Screens::closeAll();
        Screens::destroyAll();
        camera.resetBehaviour();
        camera.clearRecords();
        cloud.service.clearRequests();
        if (!UsbUtil::instance()->hasCamera()) {
            camera.plug();
            QTRY_VERIFY(UsbUtil::instance()->hasCamera());
        }
    }

    void aSecondActivationDoesNothing_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<QString>("next");
        QTest::addColumn<bool>("byKeyboard");
        const struct {
            const char* row;
            const char* screen;
            const char* button;
            const char* next;
        } cases[] = {
            {"preparation, sign in", "PreparationWindow", "button_login", "LoginWindow"},
            {"preparation, register", "PreparationWindow", "button_regist_user", "RegistUserWindow"},
            {"list, other network", "WifiListWindow", "button_connect_wifi_other", "SettingsWiFiWindow"},
            {"settings, back", "SettingsWiFiWindow", "button_back_to_wifilist", "WifiListWindow"},
            {"settings, connect", "SettingsWiFiWindow", "button_connect_wifi", "CameraNameWindow"},
            {"sign-in, next", "LoginWindow", "button_next", "WifiListWindow"},
            {"naming, next", "CameraNameWindow", "button_next", "CompleteWindow"},
            {"completion", "CompleteWindow", "button_complate", ""},
        };
        rowsByMouseAndKeyboard(
            cases, [](QTestData& row, const auto& c) -> QTestData& { return row << c.screen << c.button << c.next; });
    }

    void aSecondActivationDoesNothing()
    {
        QFETCH(QString, screen);
        QFETCH(QString, buttonName);
        QFETCH(QString, next);
        QFETCH(bool, byKeyboard);
        QMainWindow* current = screenNamed(screen);
        QPushButton* target = button(current, buttonName);
        QTRY_VERIFY(target->isEnabled());
        press(target, byKeyboard);
        press(target, byKeyboard);
        if (!next.isEmpty())
            QTRY_COMPARE(visibleCount(qPrintable(next)), 1);
        const int expected = next.isEmpty() ? 0 : 1;
        QVERIFY(nothingHappensWithin(SettleMs, [&] { return Screens::visibleWindows().size() > expected; }));
        QCOMPARE(visibleCount(qPrintable(next)), expected);
        QCOMPARE(Screens::visibleWindows().size(), next.isEmpty() ? 0 : 1);
        QVERIFY(camera.requestedMethods().count(QStringLiteral("setNetworkSetting")) <= 1);
        QVERIFY(camera.requestedMethods().count(QStringLiteral("setToken")) <= 1);
        // One registration: a request to each host.
        QVERIFY(cloud.service.requestsTo("/devices").size() <= 2);
    }

    // A real double click (or a second key press) reaches whatever sits under it once
    // the next screen is up: the new screen must let that echo pass, and only that.
    void theEchoOfAnActivationMissesTheNextScreen_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<QString>("next");
        QTest::addColumn<QString>("nextButton");
        QTest::addColumn<bool>("byKeyboard");
        const struct {
            const char* row;
            const char* screen;
            const char* button;
            const char* next;
            const char* nextButton;
        } cases[] = {
            {"list other network, settings connect", "WifiListWindow", "button_connect_wifi_other",
             "SettingsWiFiWindow", "button_connect_wifi"},
            {"settings connect, naming next", "SettingsWiFiWindow", "button_connect_wifi", "CameraNameWindow",
             "button_next"},
            {"naming next, completion", "CameraNameWindow", "button_next", "CompleteWindow", "button_complate"},
        };
        rowsByMouseAndKeyboard(cases, [](QTestData& row, const auto& c) -> QTestData& {
            return row << c.screen << c.button << c.next << c.nextButton;
        });
    }

    void theEchoOfAnActivationMissesTheNextScreen()
    {
        QFETCH(QString, screen);
        QFETCH(QString, buttonName);
        QFETCH(QString, next);
        QFETCH(QString, nextButton);
        QFETCH(bool, byKeyboard);
        QMainWindow* current = screenNamed(screen);
        QTRY_VERIFY(button(current, buttonName)->isEnabled());
        press(button(current, buttonName), byKeyboard);
        QTRY_COMPARE(visibleCount(qPrintable(next)), 1);
        // Watched through a QPointer: a screen that moves on is deleted.
        const QPointer<QMainWindow> nextScreen =
            fillIn(qobject_cast<QMainWindow*>(Screens::visibleWindows().constFirst()));
        const int cameraBefore = camera.requests().size();
        const int cloudBefore = cloud.service.requests().size();
        const auto acted = [&] {
            return !nextScreen || !nextScreen->isVisible() || camera.requests().size() > cameraBefore
                || cloud.service.requests().size() > cloudBefore;
        };

        press(button(nextScreen, nextButton), byKeyboard);
        QVERIFY(nothingHappensWithin(SettleMs, acted));
        QTest::qWait(QApplication::doubleClickInterval());
        press(button(nextScreen, nextButton), byKeyboard);
        QTRY_VERIFY(acted());
    }

    void typingOnANewScreenIsNeverDropped()
    {
        QMainWindow* list = screenNamed(QStringLiteral("WifiListWindow"));
        QTRY_VERIFY(button(list, "button_connect_wifi_other")->isEnabled());
        QTest::mouseClick(button(list, "button_connect_wifi_other"), Qt::LeftButton);
        auto* settings = Screens::visible<SettingsWiFiWindow>();
        QVERIFY(settings);
        QTest::keyClicks(child<QLineEdit>(settings, "lineEdit"), QStringLiteral("My Net"));
        QCOMPARE(child<QLineEdit>(settings, "lineEdit")->text(), QStringLiteral("My Net"));
    }

    // disconnectCommand does not take back calls already queued; a screen that has
    // moved on must still ignore them.
    void aScreenThatHasMovedOnIgnoresQueuedReplies_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("leaveBy");
        QTest::addColumn<int>("replyId");
        QTest::addColumn<QString>("next");
        QTest::addColumn<QString>("method");
        QTest::newRow("list") << "WifiListWindow"
                              << "button_connect_wifi_other" << 1 << "SettingsWiFiWindow"
                              << "getAPList";
        QTest::newRow("settings") << "SettingsWiFiWindow"
                                  << "button_back_to_wifilist" << 10000 << "WifiListWindow"
                                  << "setNetworkSetting";
        QTest::newRow("naming, duplicate answer") << "CameraNameWindow" << QString() << 100000 << "CompleteWindow"
                                                  << "setToken";
    }

    void aScreenThatHasMovedOnIgnoresQueuedReplies()
    {
        QFETCH(QString, screen);
        QFETCH(QString, leaveBy);
        QFETCH(int, replyId);
        QFETCH(QString, next);
        QFETCH(QString, method);
        QMainWindow* current = screenNamed(screen);
        if (!leaveBy.isEmpty())
            QTRY_VERIFY(button(current, leaveBy)->isEnabled());
        const int sentBefore = camera.requestedMethods().count(method);
        const EL_CMD reply = replyEnvelope({{"id", replyId}, {"result", QJsonObject()}});
        queueReply(current, reply);
        if (leaveBy.isEmpty())
            queueReply(current, reply);
        else
            QTest::mouseClick(button(current, leaveBy), Qt::LeftButton);
        QTRY_COMPARE(visibleCount(qPrintable(next)), 1);
        QVERIFY(nothingHappensWithin(SettleMs, [&] {
            return Screens::visibleWindows().size() > 1 || camera.requestedMethods().count(method) != sentBefore;
        }));
        QCOMPARE(visibleCount(qPrintable(next)), 1);
        QCOMPARE(camera.requestedMethods().count(method), sentBefore);
    }

    // The next screen opens where the last one stood, active, with keyboard focus on
    // the first field that needs input, or else on its main control.
    void theNextScreenOpensInPlaceWithFocus_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<QString>("focused");
        QTest::newRow("top") << "TopWindow"
                             << "button_start"
                             << "button_login";
        QTest::newRow("preparation, sign in") << "PreparationWindow"
                                              << "button_login"
                                              << "lineEdit";
        QTest::newRow("preparation, register (Tab, Enter)") << "PreparationWindow"
                                                            << "button_regist_user"
                                                            << "lineEdit";
        QTest::newRow("list, other network") << "WifiListWindow"
                                             << "button_connect_wifi_other"
                                             << "lineEdit";
        QTest::newRow("settings, back") << "SettingsWiFiWindow"
                                        << "button_back_to_wifilist"
                                        << "listView";
        QTest::newRow("settings, connect") << "SettingsWiFiWindow"
                                           << "button_connect_wifi"
                                           << "lineEdit_2";
        QTest::newRow("naming, next") << "CameraNameWindow"
                                      << "button_next"
                                      << "button_complate";
    }

    void theNextScreenOpensInPlaceWithFocus()
    {
        QFETCH(QString, screen);
        QFETCH(QString, buttonName);
        QFETCH(QString, focused);
        QMainWindow* current = screen == QLatin1String("TopWindow") ? new TopWindow : screenNamed(screen);
        current->show();
        // The last row stands partly off the test screen: the next one is moved back
        // inside it.
        const bool offScreen = screen == QLatin1String("CameraNameWindow");
        const QPoint place = offScreen ? QPoint(500, 400) : QPoint(37, 91);
        current->move(place);
        QTRY_VERIFY(button(current, buttonName)->isEnabled());
        if (QString::fromLatin1(QTest::currentDataTag()).contains(QLatin1String("Enter"))) {
            QApplication::setActiveWindow(current);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(button(current, buttonName)));
            QTest::keyClick(button(current, buttonName), Qt::Key_Return);
        } else {
            QTest::mouseClick(button(current, buttonName), Qt::LeftButton);
        }
        QTRY_VERIFY(Screens::visibleWindows().size() == 1 && Screens::visibleWindows().first() != current);
        QWidget* next = Screens::visibleWindows().first();
        const QRect area = next->screen()->availableGeometry();
        QCOMPARE(next->pos(),
                 offScreen ? area.bottomRight() + QPoint(1, 1) - QPoint(next->width(), next->height()) : place);
        QTRY_COMPARE(QApplication::activeWindow(), next);
        QTRY_VERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), focused);
    }

    // A screen that has handed over is deleted: going back and forth between the list
    // and the settings keeps no screen that has left.
    void roundTripsKeepNoScreenThatHasLeft()
    {
        QMainWindow* list = screenNamed(QStringLiteral("WifiListWindow"));
        for (int trip = 0; trip < 30; ++trip) {
            QVERIFY(QMetaObject::invokeMethod(list, "on_button_connect_wifi_other_clicked"));
            QMainWindow* settings = Screens::visible<SettingsWiFiWindow>();
            QVERIFY(settings);
            QVERIFY(QMetaObject::invokeMethod(settings, "on_button_back_to_wifilist_clicked"));
            list = Screens::visible<WifiListWindow>();
            QVERIFY(list);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        int screens = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            screens += qobject_cast<QMainWindow*>(widget) ? 1 : 0;
        QCOMPARE(screens, 1);
    }

    // An open box must keep taking its click when the camera goes away, and a second
    // answer while it is open must not open a second box or screen.
    void anOpenBoxOutlastsUnplugAndDuplicates_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("duringBox");
        QTest::addColumn<QString>("next");
        for (const char* during : {"unplug", "duplicate answer"}) {
            QTest::newRow(qPrintable(QStringLiteral("settings, camera error, %1").arg(during)))
                << "SettingsWiFiWindow"
                << "setNetworkSetting" << during << "CameraNameWindow";
            QTest::newRow(qPrintable(QStringLiteral("naming, camera error, %1").arg(during)))
                << "CameraNameWindow"
                << "setToken" << during << "CompleteWindow";
        }
        QTest::newRow("naming, service failure, unplug") << "CameraNameWindow"
                                                         << "/devices"
                                                         << "unplug" << QString();
    }

    void anOpenBoxOutlastsUnplugAndDuplicates()
    {
        QFETCH(QString, screen);
        QFETCH(QString, failure);
        QFETCH(QString, duringBox);
        QFETCH(QString, next);
        if (failure.startsWith('/'))
            cloud.service.setReply(failure.toUtf8(), 500, "{}", "Internal Server Error");
        else
            camera.setError(failure, 5, QStringLiteral("<h1>no</h1>"));
        QMainWindow* current = screenNamed(screen);
        ModalBoxes boxes;
        boxes.whileOpen([&] {
            if (duringBox == QLatin1String("unplug")) {
                camera.unplugAll();
                QTRY_VERIFY(!UsbUtil::instance()->hasCamera());
            } else {
                queueReply(current, errorReply(failure == QLatin1String("setToken") ? 100000 : 10000));
                QTest::qWait(100);
            }
        });
        QTest::mouseClick(button(current, screen == "CameraNameWindow" ? "button_next" : "button_connect_wifi"),
                          Qt::LeftButton);
        QVERIFY(boxes.waitFor(1));
        QVERIFY(boxes.last().enabled);
        QVERIFY(nothingHappensWithin(SettleMs, [&] { return boxes.seen().size() > 1; }));
        if (!next.isEmpty()) {
            QCOMPARE(boxes.last().text, QStringLiteral("<h1>no</h1> [code:5]"));
            QCOMPARE(boxes.last().format, Qt::PlainText);
            QCOMPARE(visibleCount(qPrintable(next)), 1);
            QCOMPARE(Screens::visibleWindows().size(), 1);
        }
        cloud.service.resetOutcomes();
    }
};

RAVELO_TEST_MAIN(TestHandOver)
#include "tst_handover.moc"
