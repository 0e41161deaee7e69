// Start-up time: from process start to the top screen shown and painted, against a minimal Qt
// Widgets program that shows an empty 720 x 445 window; both measured side by side
// in one run, alternating, as separate processes.
//
//   bench_startup [RUNS]     (the driver)
//   bench_startup wizard|minimal   (one measured process; exits once shown)
#include "app/Startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QTextStream>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
// Ends the measured process once its window has been painted for the first time.
class ExitOnFirstPaint : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            QMetaObject::invokeMethod(
                qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        return false;
    }
};

void exitOnceShown()
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            static ExitOnFirstPaint exitOnPaint;
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (window->isVisible())
                    window->installEventFilter(&exitOnPaint);
            }
        },
        Qt::QueuedConnection);
}

int minimalProgram(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(720, 445);
    window.show();
    return app.exec();
}

double launchMs(const QString& self, const QString& mode)
{
    QElapsedTimer timer;
    timer.start();
    QProcess::execute(self, {mode});
    return timer.nsecsElapsed() / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}
}

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "wizard") == 0) {
        qAddPreRoutine(exitOnceShown);
        return runSetupWizard(argc, argv);
    }
    if (argc > 1 && std::strcmp(argv[1], "minimal") == 0) {
        qAddPreRoutine(exitOnceShown);
        return minimalProgram(argc, argv);
    }
    const int runs = argc > 1 ? std::atoi(argv[1]) : 21;
    // Both programs as on a desktop at 100 % text size (96 dpi): the offscreen platform
    // reports 100 dpi, which would scale the wizard, and not the bare window, by 1.04.
    if (qEnvironmentVariableIsEmpty("QT_FONT_DPI"))
        qputenv("QT_FONT_DPI", "96");
    const QString self = QString::fromLocal8Bit(argv[0]);
    std::vector<double> wizard, minimal;
    for (int i = 0; i < runs; ++i) {
        wizard.push_back(launchMs(self, QStringLiteral("wizard")));
        minimal.push_back(launchMs(self, QStringLiteral("minimal")));
    }
    QTextStream(stdout) << QString::asprintf("start-up median over %d runs: wizard %.1f ms, minimal window %.1f ms, "
                                             "ratio %.2f (target <= 1.3)\n",
                                             runs, median(wizard), median(minimal), median(wizard) / median(minimal));
    return 0;
}
