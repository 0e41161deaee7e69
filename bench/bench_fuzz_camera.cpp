// The long run of the camera reply fuzzer: at least 100,000 generated replies through
// every screen that listens to the camera. Arguments: [inputs] [seed]. Run under
// umockdev-wrapper, so that the USB link sees an empty emulated bus.
#include "CameraReplyFuzzer.h"
#include "EmulatedCamera.h"
#include "screens/MyApplication.h"
#include "screens/WifiListWindow.h"

#include <QTextStream>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    EmulatedCamera camera;
    MyApplication app(argc, argv);
    const int inputs = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    const quint64 seed = argc > 2 ? QByteArray(argv[2]).toULongLong() : 1;

    QTextStream report(stdout);
    CameraReplyFuzzer::Figures figures;
    {
        CameraReplyFuzzer fuzzer(report);
        figures = fuzzer.run(seed, inputs);
    }
    report << figures.summary("camera reply fuzz", seed);
    return figures.clean() ? 0 : 1;
}
