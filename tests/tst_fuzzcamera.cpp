// Generated camera replies, malformed, oversized, wrong-typed and duplicated, through
// every screen that listens to the camera. RAVELO_FUZZ_SEED and RAVELO_FUZZ_INPUTS
// choose the run; a failure names the seed that reproduces it.
#include "CameraReplyFuzzer.h"
#include "EmulatedCamera.h"
#include "TestMain.h"
#include "screens/WifiListWindow.h"

#include <QLoggingCategory>
#include <QTest>

class TestFuzzCamera : public QObject
{
    Q_OBJECT

    EmulatedCamera camera;

private slots:
    void cameraRepliesNeverCrashHangOrMisbehave()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("ravelo.*.debug=false"));
        const quint64 seed =
            qEnvironmentVariableIsSet("RAVELO_FUZZ_SEED") ? qgetenv("RAVELO_FUZZ_SEED").toULongLong() : 20261208;
        const int inputs =
            qEnvironmentVariableIsSet("RAVELO_FUZZ_INPUTS") ? qEnvironmentVariableIntValue("RAVELO_FUZZ_INPUTS") : 3000;
        QTextStream report(stdout);
        report << "seeds " << seed << " to " << seed + quint64(inputs) - 1 << '\n';
        CameraReplyFuzzer fuzzer(report);
        const CameraReplyFuzzer::Figures figures = fuzzer.run(seed, inputs);
        report << figures.inputs << " inputs, " << figures.hangs << " hangs, " << figures.anomalies << " anomalies\n";
        QCOMPARE(figures.hangs, 0);
        QCOMPARE(figures.anomalies, 0);
    }
};

RAVELO_TEST_MAIN(TestFuzzCamera)
#include "tst_fuzzcamera.moc"
