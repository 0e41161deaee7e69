// Quitting at any moment: the real start-up function and event loop, ended while a
// camera transfer, a scan pause, an HTTPS exchange or a message box is under way.
// The program must end without waiting for the peer, and nothing may crash on the
// way out.
#include "CloudFixture.h"
#include "EmulatedCamera.h"
#include "Screens.h"
#include "app/Startup.h"
#include "cloud/ServiceClient.h"
#include "command/WifiScan.h"
#include "screens/LoginWindow.h"
#include "screens/SettingsWiFiWindow.h"
#include "screens/WifiListWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTextStream>
#include <QTimer>

#include <functional>
#include <limits>
#include <memory>

namespace {
int passes = 0;
int failures = 0;
EmulatedCamera* camera = nullptr;
std::unique_ptr<CloudFixture> cloud;
std::function<void()> scenario;
QElapsedTimer sinceQuit;

void check(bool condition, const QString& what)
{
    QTextStream(stdout) << (condition ? "PASS   : " : "FAIL!  : ") << what << '\n';
    condition ? ++passes : ++failures;
}

// What a session ending does: every window is asked to close, boxes included.
void quitWhen(std::function<bool()> moment)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, moment] {
        if (!moment())
            return;
        poll->stop();
        sinceQuit.start();
        QApplication::closeAllWindows();
    });
    poll->start(5);
}

template <typename Screen>
Screen* replaceTopWith(Screen* screen)
{
    QWidget* top = Screens::visibleWindows().value(0);
    screen->show();
    top->close();
    return screen;
}

QMainWindow* signingIn()
{
    auto* login = replaceTopWith(new LoginWindow);
    Screens::type(login, "lineEdit", QStringLiteral("hanako@example.jp"));
    Screens::type(login, "lineEdit_2", QStringLiteral("pass-word1"));
    QTest::mouseClick(login->findChild<QPushButton*>(QStringLiteral("button_next")), Qt::LeftButton);
    return login;
}

// The local service lives as long as one run: its sockets belong to that run's loop.
void scenarioWhenTheLoopRuns()
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            cloud = std::make_unique<CloudFixture>();
            QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { cloud.reset(); });
            scenario();
        },
        Qt::QueuedConnection);
}

int run()
{
    char name[] = "tst_quitting";
    char* argv[] = {name, nullptr};
    int argc = 1;
    sinceQuit.invalidate();
    return runSetupWizard(argc, argv);
}

// A quit that waited for the peer would take at least as long as the peer takes to
// answer; the ones that never answer leave it to the test's own time-out.
void quitDuring(const QString& moment, int peerAnswersAfterMs, std::function<void()> steps)
{
    scenario = std::move(steps);
    const int exitCode = run();
    check(exitCode == 0 && sinceQuit.isValid() && sinceQuit.elapsed() < peerAnswersAfterMs,
          QStringLiteral("quitting during %1 ends the program before the peer answers (%2 ms, took %3 ms)")
              .arg(moment)
              .arg(peerAnswersAfterMs)
              .arg(sinceQuit.isValid() ? sinceQuit.elapsed() : -1));
    camera->resetBehaviour();
}
}

int main()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    EmulatedCamera emulated;
    emulated.setNetworks({"Home-5G", "Home-2G", "Cafe", "Office", "Guest", "Shop", "Library"});
    emulated.plug();
    camera = &emulated;
    qAddPreRoutine(scenarioWhenTheLoopRuns);

    constexpr int CameraReplyDelayMs = 2500;
    quitDuring(QStringLiteral("a camera transfer"), CameraReplyDelayMs, [] {
        camera->setReplyDelay(CameraReplyDelayMs);
        auto* settings = replaceTopWith(new SettingsWiFiWindow(QStringLiteral("Home")));
        QTest::mouseClick(settings->findChild<QPushButton*>(QStringLiteral("button_connect_wifi")), Qt::LeftButton);
        quitWhen([] { return camera->requestedMethods().contains(QStringLiteral("setNetworkSetting")); });
    });
    quitDuring(QStringLiteral("a scan pause"), WifiScan::Timings().pauseMs, [] {
        camera->clearRecords();
        replaceTopWith(new WifiListWindow);
        quitWhen([] { return camera->requestedMethods().contains(QStringLiteral("getAPList")); });
    });
    quitDuring(QStringLiteral("an HTTPS exchange"), ServiceClient::DefaultReplyDeadlineMs, [] {
        cloud->service.setBehaviour("/account/authorize", FakeCloudService::Behaviour::Silent);
        cloud->service.clearRequests();
        signingIn();
        quitWhen([] { return !cloud->service.requests().isEmpty(); });
    });
    quitDuring(QStringLiteral("an open message box"), std::numeric_limits<int>::max(), [] {
        cloud->service.setReply("/account/authorize", 500, "{}", "Internal Server Error");
        signingIn();
        quitWhen([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; });
    });

    QTextStream(stdout) << "Totals: " << passes << " passed, " << failures << " failed\n";
    return failures == 0 ? 0 : 1;
}
