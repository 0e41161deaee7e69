// Start-up time of a process that ends at the first paint of the top screen, measured
// whole, against a minimal Qt Widgets program that shows an empty 720 x 445 window; both
// measured side by side in one run, alternating, as separate processes. The measured
// process also reports when it painted, on the monotonic clock that all processes share,
// which gives the time to the first paint without the teardown.
//
//   bench_startup [RUNS]     (the driver)
//   bench_startup wizard|minimal   (one measured process; exits once painted)
#include "app/Startup.h"

#include <QApplication>
#include <QMainWindow>
#include <QProcess>
#include <QTextStream>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Reports the time and ends the measured process once its window and all the widgets in
// it have been painted for the first time: the window gets its paint event first, and
// the queued call runs after the whole paint has been flushed.
class ExitOnFirstPaint : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            QMetaObject::invokeMethod(
                qApp,
                [] {
                    std::printf("%lld\n", static_cast<long long>(nowNs()));
                    std::fflush(stdout);
                    QCoreApplication::exit(0);
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool m_painted = false;
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

struct Launch {
    double toFirstPaintMs;
    double wholeProcessMs;
};

Launch launch(const QString& self, const QString& mode)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const qint64 started = nowNs();
    process.start(self, {mode});
    process.waitForFinished(-1);
    const qint64 ended = nowNs();
    const qint64 painted = process.readAllStandardOutput().trimmed().toLongLong();
    return {(painted - started) / 1e6, (ended - started) / 1e6};
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
    std::vector<double> wizardPaint, minimalPaint, wizardWhole, minimalWhole;
    for (int i = 0; i < runs; ++i) {
        const Launch wizard = launch(self, QStringLiteral("wizard"));
        const Launch minimal = launch(self, QStringLiteral("minimal"));
        wizardPaint.push_back(wizard.toFirstPaintMs);
        wizardWhole.push_back(wizard.wholeProcessMs);
        minimalPaint.push_back(minimal.toFirstPaintMs);
        minimalWhole.push_back(minimal.wholeProcessMs);
    }
    QTextStream out(stdout);
    out << QString::asprintf("start-up median over %d runs, whole process: wizard %.1f ms, minimal window %.1f ms, "
                             "ratio %.2f (target <= 1.3; on X with Qt 5 <= 0.7, the bare window loading "
                             "OpenGL as a default start does)\n",
                             runs, median(wizardWhole), median(minimalWhole),
                             median(wizardWhole) / median(minimalWhole));
    out << QString::asprintf("launch to first paint, teardown not counted: wizard %.1f ms, minimal window %.1f ms, "
                             "ratio %.2f\n",
                             median(wizardPaint), median(minimalPaint), median(wizardPaint) / median(minimalPaint));
    return 0;
}
