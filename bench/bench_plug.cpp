// Plug latency on the real libusb and libudev under the emulated camera: from the
// camera's udev "add" event to the preparation screen's buttons enabled, and from
// "remove" to disabled; median of 50 plugs (target: each at most 50 ms). Run under
// umockdev-wrapper.
#include "EmulatedCamera.h"
#include "screens/MyApplication.h"
#include "screens/PreparationWindow.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace {
constexpr int Plugs = 50;
constexpr int GiveUpMs = 5000;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// Milliseconds until the button shows the wanted state, the event loop running.
double msUntil(QPushButton* button, bool enabled, const QElapsedTimer& since)
{
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (button->isEnabled() == enabled || since.elapsed() > GiveUpMs)
            loop.quit();
    });
    look.start(0);
    loop.exec();
    return since.nsecsElapsed() / 1e6;
}
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    EmulatedCamera camera;
    MyApplication app(argc, argv);
    PreparationWindow preparation;
    preparation.show();
    auto* login = preparation.findChild<QPushButton*>(QStringLiteral("button_login"));

    std::vector<double> arrival;
    std::vector<double> removal;
    for (int plug = 0; plug < Plugs; ++plug) {
        QElapsedTimer since;
        since.start();
        camera.plug();
        arrival.push_back(msUntil(login, true, since));
        since.restart();
        camera.unplug();
        removal.push_back(msUntil(login, false, since));
    }
    const double in = median(arrival);
    const double out = median(removal);
    QTextStream(stdout) << QString::asprintf("plug latency, median of %d: add -> buttons enabled %.2f ms (max %.2f), "
                                             "remove -> disabled %.2f ms (max %.2f); target <= 50 ms\n",
                                             Plugs, in, *std::max_element(arrival.begin(), arrival.end()), out,
                                             *std::max_element(removal.begin(), removal.end()));
    return in <= 50 && out <= 50 ? 0 : 1;
}
