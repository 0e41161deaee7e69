// Start-up as the program runs it: the whole sequence of the start function, twice,
// each time driven from inside its own event loop.
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "cloud/CloudLog.h"
#include "usb/UsbLog.h"
#include "command/UsbUtil.h"
#include "screens/CompleteWindow.h"
#include "screens/TopWindow.h"

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QCoreApplication>
#include <QFile>
#include <QIcon>
#include <QTemporaryDir>
#include <QTimer>
#include <QTextStream>
#include <QWidget>

#include <functional>

namespace {
std::function<void()> scenario;
int failures = 0;
int passes = 0;

void check(bool condition, const char* what)
{
    QTextStream(stdout) << (condition ? "PASS   : " : "FAIL!  : ") << what << '\n';
    condition ? ++passes : ++failures;
}

void runScenarioWhenTheLoopRuns()
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { scenario(); }, Qt::QueuedConnection);
}

// Whether a shared library whose file name contains name is mapped into the process.
bool libraryLoaded(const char* name)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(name);
}

QList<QWidget*> visibleWindows()
{
    QList<QWidget*> visible;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible())
            visible.append(widget);
    }
    return visible;
}

// Ends the event loop on the first camera reply.
class EnvelopeCatcher : public QObject
{
    Q_OBJECT

public:
    int replies = 0;

public slots:
    void receiveCmd(EL_CMD cmd)
    {
        if (commandOf(cmd) != CMD_JSON_RPC)
            return;
        ++replies;
        QCoreApplication::exit(0);
    }
};

int run(const char* option = nullptr)
{
    char name[] = "tst_startup";
    QByteArray optionText(option);
    char* argv[] = {name, option ? optionText.data() : nullptr, nullptr};
    int argc = option ? 2 : 1;
    return runSetupWizard(argc, argv);
}
}

int main()
{
    // On X when the test runner gives one, so that what the X platform loads is seen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qAddPreRoutine(runScenarioWhenTheLoopRuns);

    scenario = [] { check(false, "no window opens for the command line's own options"); };
    check(run("--no-such-option") == 2 && !QCoreApplication::instance(), "an unknown option ends with status 2");
    check(run("--version") == 0 && run("--help") == 0, "--version and --help end with status 0");

    scenario = [] {
        const QList<QWidget*> visible = visibleWindows();
        check(visible.size() == 1 && qobject_cast<TopWindow*>(visible.value(0)), "exactly the top screen is shown");
        check(QGuiApplication::desktopFileName() == QLatin1String("ravelo-setup"),
              "task bars find the desktop entry, and its icon");
        check(lcUsb().isInfoEnabled() && !lcUsb().isDebugEnabled(), "the camera traffic is not printed by default");
        check(!libraryLoaded("libssl"), "the TLS library waits for the first exchange");
        check(!libraryLoaded("_dri.so") && !libraryLoaded("libGLX_"), "no OpenGL driver is loaded");
        check(QString::fromUtf8("設定").toLocal8Bit() == QByteArray("\xe8\xa8\xad\xe5\xae\x9a"),
              "local text is encoded as UTF-8");
        // Icons of the test's own, so that the lookup finds the icon on any machine.
        QTemporaryDir icons;
        QFile::copy(QStringLiteral(":/images/camera.png"), icons.filePath(QStringLiteral("ravelo-setup.png")));
        QIcon::setThemeSearchPaths({icons.path()});
        QIcon::setThemeName(QStringLiteral("no-such-theme"));
        QIcon::setFallbackSearchPaths({icons.path()});
        QWidget* top = visible.value(0);
        check(QTest::qWaitForWindowExposed(top), "the top screen is exposed");
        top->repaint();
        QCoreApplication::sendPostedEvents();
        check(QGuiApplication::windowIcon().name() == QLatin1String("ravelo-setup"),
              "once the top screen has painted, the window has the theme's icon");
        QCoreApplication::exit(7);
    };
    check(run() == 7, "the exit code is what the event loop returned");

    scenario = [] { visibleWindows().value(0)->close(); };
    check(run() == 0, "closing the last screen ends the program");

    // A socket that a crashed copy left behind.
    QFile stale(SingleInstance::socketName());
    stale.open(QIODevice::WriteOnly);
    stale.close();
    scenario = [] {
        check(visibleWindows().size() == 1, "a socket left by a crashed copy does not block a new start");
        QProcess second;
        QSignalSpy ended(&second, SIGNAL(finished(int)));
        second.start(QStringLiteral(RAVELO_SETUP), QStringList());
        check(ended.wait(60000) && second.exitCode() == 0 && visibleWindows().size() == 1,
              "a second launch hands over to the running copy and ends with status 0");
        QCoreApplication::exit(0);
    };
    check(run() == 0, "the running copy goes on");

    // Closing the window while the start button waits for the USB start must end the
    // program, and leave the USB worker able to answer.
    scenario = [] {
        QWidget* top = visibleWindows().first();
        // Whichever screen shows by then: the start may end before the timer's turn.
        QTimer::singleShot(0, qApp, [] {
            for (QWidget* window : visibleWindows())
                window->close();
        });
        QTest::mouseClick(top->findChild<QPushButton*>(QStringLiteral("button_start")), Qt::LeftButton);
    };
    check(run() == 0, "closing the window during the USB start ends the program");
    EnvelopeCatcher catcher;
    scenario = [&catcher] {
        UsbUtil::instance()->connectCommand(&catcher, "1receiveCmd(EL_CMD)");
        UsbUtil::instance()->send(UsbUtil::instance()->execAPList());
        QTimer::singleShot(3000, [] { QCoreApplication::exit(1); });
    };
    check(run() == 0 && catcher.replies == 1, "after such a quit the USB worker still answers");

    scenario = [] {
        QWidget* top = visibleWindows().first();
        auto* complete = new CompleteWindow;
        complete->show();
        top->close();
        QTest::mouseClick(complete->findChild<QPushButton*>(QStringLiteral("button_complate")), Qt::LeftButton);
    };
    check(run() == 0, "the completion button ends the program");

    scenario = [] {
        check(lcUsb().isDebugEnabled() && lcCloud().isDebugEnabled(), "--verbose prints every request and reply");
        QCoreApplication::exit(0);
    };
    check(run("--verbose") == 0, "--verbose starts the wizard");

    QTextStream(stdout) << "Totals: " << passes << " passed, " << failures << " failed\n";
    return failures == 0 ? 0 : 1;
}

#include "tst_startup.moc"
