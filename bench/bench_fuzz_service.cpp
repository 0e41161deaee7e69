// The long run of the service reply fuzzer: at least 1,000 abusive replies over TLS
// from the local cloud service. Arguments: [replies] [seed]. Run under
// umockdev-wrapper: camera naming ends with the emulated camera's answer.
#include "CloudFixture.h"
#include "EmulatedCamera.h"
#include "ServiceReplyFuzzer.h"
#include "screens/MyApplication.h"

#include <QTextStream>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    EmulatedCamera camera;
    camera.plug();
    MyApplication app(argc, argv);
    CloudFixture cloud;
    const int replies = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;
    const quint64 seed = argc > 2 ? QByteArray(argv[2]).toULongLong() : 1;

    QTextStream report(stdout);
    ServiceReplyFuzzer fuzzer(cloud, camera, report);
    const ServiceReplyFuzzer::Figures figures = fuzzer.run(seed, replies);
    report << figures.summary("service reply fuzz over TLS", seed);
    report << "peak memory growth of one exchange: " << (figures.peakGrowthBytes >> 20) << " MiB\n";
    report << "longest GUI stall of one exchange: " << figures.longestStallMs << " ms\n";
    return figures.clean() ? 0 : 1;
}
