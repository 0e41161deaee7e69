// Start-up as the program runs it: the whole sequence of the start function, twice,
// each time driven from inside its own event loop.
#include "app/Startup.h"
#include "screens/CompleteWindow.h"
#include "screens/TopWindow.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QCoreApplication>
#include <QTextCodec>
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
    QMetaObject::invokeMethod(QCoreApplication::instance(), [] { scenario(); }, Qt::QueuedConnection);
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

int run()
{
    char name[] = "tst_startup";
    char* argv[] = {name, nullptr};
    int argc = 1;
    return runSetupWizard(argc, argv);
}
}

int main()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qAddPreRoutine(runScenarioWhenTheLoopRuns);

    scenario = [] {
        const QList<QWidget*> visible = visibleWindows();
        check(visible.size() == 1 && qobject_cast<TopWindow*>(visible.value(0)), "exactly the top screen is shown");
        check(QTextCodec::codecForLocale()->name() == "UTF-8", "the locale codec is UTF-8");
        check(QString::fromUtf8("設定").toLocal8Bit() == QByteArray("\xe8\xa8\xad\xe5\xae\x9a"),
              "local text is encoded as UTF-8");
        QCoreApplication::exit(7);
    };
    check(run() == 7, "the exit code is what the event loop returned");

    scenario = [] { visibleWindows().value(0)->close(); };
    check(run() == 0, "closing the last screen ends the program");

    scenario = [] {
        QWidget* top = visibleWindows().first();
        auto* complete = new CompleteWindow;
        complete->show();
        top->close();
        QTest::mouseClick(complete->findChild<QPushButton*>(QStringLiteral("button_complate")), Qt::LeftButton);
    };
    check(run() == 0, "the completion button ends the program");

    QTextStream(stdout) << "Totals: " << passes << " passed, " << failures << " failed\n";
    return failures == 0 ? 0 : 1;
}
