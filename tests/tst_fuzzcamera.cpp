// Generated camera replies, malformed, oversized, wrong-typed and duplicated, through
// every screen that listens to the camera; and generated replies over the emulated USB
// pipe, in pieces and with pauses. RAVELO_FUZZ_SEED and RAVELO_FUZZ_INPUTS choose the
// run; a failure names the seed that reproduces it.
#include "CameraReplyFuzzer.h"
#include "EmulatedCamera.h"
#include "EnvelopeCollector.h"
#include "TestMain.h"
#include "command/UsbUtil.h"
#include "screens/WifiListWindow.h"
#include "usb/evkmanager.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <QTest>

namespace {
quint64 fuzzSeed()
{
    return qEnvironmentVariableIsSet("RAVELO_FUZZ_SEED") ? qgetenv("RAVELO_FUZZ_SEED").toULongLong() : 20261208;
}

// Replies of up to 80,000 bytes: whole JSON texts (taken whole up to 64 KiB), or the
// fuzzer's garbled ones.
QByteArray replyText(QRandomGenerator& rng, quint64 inputSeed)
{
    if (rng.bounded(3) == 0)
        return CameraReplyFuzzer::generate(inputSeed);
    const QByteArray padding(int(rng.bounded(80000)), 'p');
    return QJsonDocument(QJsonObject{{"id", 7}, {"pad", QString::fromLatin1(padding)}}).toJson();
}

EmulatedCamera::ReplyShape shapeFor(QRandomGenerator& rng)
{
    return {int(rng.bounded(1025)), int(rng.bounded(4096)), int(rng.bounded(400))};
}

QByteArray resultOf(const EL_CMD& reply)
{
    return reply.value(QStringLiteral("RESULT")).toByteArray();
}
}

class TestFuzzCamera : public QObject
{
    Q_OBJECT

    EmulatedCamera camera;

private slots:
    void cameraRepliesNeverCrashHangOrMisbehave()
    {
        const quint64 seed = fuzzSeed();
        const int inputs =
            qEnvironmentVariableIsSet("RAVELO_FUZZ_INPUTS") ? qEnvironmentVariableIntValue("RAVELO_FUZZ_INPUTS") : 3000;
        QTextStream report(stdout);
        report << "seeds " << seed << " to " << seed + quint64(inputs) - 1 << '\n';
        CameraReplyFuzzer fuzzer(report);
        const CameraReplyFuzzer::Figures figures = fuzzer.run(seed, inputs);
        report << figures.inputs << " inputs, " << figures.slow << " slow, " << figures.anomalies << " anomalies\n";
        QCOMPARE(figures.anomalies, 0);
    }

    // Each generated reply, sent in pieces of random size with a random pause, is
    // taken whole when it is a JSON text of at most 64 KiB that came without a pause the
    // reader gives up on, and the exchange after it is always answered in step.
    void repliesInPiecesAndWithPausesKeepThePipeInStep()
    {
        camera.plug();
        QTRY_VERIFY(UsbUtil::instance()->hasCamera());
        EnvelopeCollector collector;
        UsbUtil::instance()->connectCommand(&collector, SLOT(receiveCmd(EL_CMD)));
        const auto exchange = [&](const QByteArray& request) {
            const int before = collector.envelopes.size();
            UsbUtil::instance()->send(request);
            const bool answered = QTest::qWaitFor([&] { return collector.envelopes.size() > before; }, 15000);
            return answered ? collector.envelopes.last() : EL_CMD();
        };
        const quint64 seed = fuzzSeed();
        const int inputs = qEnvironmentVariableIsSet("RAVELO_USB_FUZZ_INPUTS")
            ? qEnvironmentVariableIntValue("RAVELO_USB_FUZZ_INPUTS")
            : 24;
        for (int n = 0; n < inputs; ++n) {
            QRandomGenerator rng(quint32(seed + quint64(n)));
            const QByteArray reply = replyText(rng, seed + quint64(n));
            camera.setResponder(QStringLiteral("fuzz"), [reply](const QJsonObject&) { return reply; });
            camera.setReplyShape(shapeFor(rng));
            const QByteArray result = resultOf(exchange(R"({"id":7,"method":"fuzz"})"));
            // A pause that a busy machine stretched past the reader's patience is a cut.
            const bool whole = !QJsonDocument::fromJson(reply).isNull() && reply.size() <= 64 * 1024
                && camera.longestPieceGapMs() < evkmanager::ContinuationTimeoutMs;
            QVERIFY2(!whole || result == reply,
                     qPrintable(QStringLiteral("seed %1: reply not taken whole").arg(seed + n)));
            camera.setReplyShape({});
            const QByteArray echo = QStringLiteral(R"({"id":%1,"method":"echo"})").arg(n + 8).toUtf8();
            camera.setResponder(QStringLiteral("echo"), [echo](const QJsonObject&) { return echo; });
            QVERIFY2(resultOf(exchange(echo)) == echo,
                     qPrintable(QStringLiteral("seed %1: pipe out of step").arg(seed + n)));
        }
    }
};

RAVELO_TEST_MAIN(TestFuzzCamera)
#include "tst_fuzzcamera.moc"
