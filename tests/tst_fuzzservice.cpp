// Abusive replies from the local cloud service, over real TLS, to the sign-in,
// registration and camera naming screens. RAVELO_FUZZ_SEED and
// RAVELO_SERVICE_FUZZ_INPUTS choose the run; a failure names the seed that
// reproduces it.
#include "CloudFixture.h"
#include "EmulatedCamera.h"
#include "ServiceReplyFuzzer.h"
#include "TestMain.h"

#include <QTest>

class TestFuzzService : public QObject
{
    Q_OBJECT

    EmulatedCamera camera;
    CloudFixture cloud;

private slots:
    void serviceRepliesEndEachExchangeOnceAndSafely()
    {
        camera.plug();
        const quint64 seed =
            qEnvironmentVariableIsSet("RAVELO_FUZZ_SEED") ? qgetenv("RAVELO_FUZZ_SEED").toULongLong() : 20261208;
        const int inputs = qEnvironmentVariableIsSet("RAVELO_SERVICE_FUZZ_INPUTS")
            ? qEnvironmentVariableIntValue("RAVELO_SERVICE_FUZZ_INPUTS")
            : 300;
        QTextStream report(stdout);
        report << "seeds " << seed << " to " << seed + quint64(inputs) - 1 << '\n';
        ServiceReplyFuzzer fuzzer(cloud, camera, report);
        const ServiceReplyFuzzer::Figures figures = fuzzer.run(seed, inputs);
        report << figures.inputs << " replies, " << figures.hangs << " hangs, " << figures.slow << " slow, "
               << figures.anomalies << " anomalies, peak memory growth " << (figures.peakGrowthBytes >> 20)
               << " MiB, longest GUI stall " << figures.longestStallMs << " ms\n";
        QCOMPARE(figures.hangs, 0);
        QCOMPARE(figures.anomalies, 0);
    }
};

RAVELO_TEST_MAIN(TestFuzzService)
#include "tst_fuzzservice.moc"
