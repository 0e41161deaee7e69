// The camera simulator that `tools/setup.sh run` starts the wizard under: the program
// it runs finds the emulated camera and the local service, and its exit code comes back.
#include <QProcess>
#include <QTest>

namespace {
int runUnderSimulator(const QString& shellCommand)
{
    QProcess simulator;
    simulator.setProcessChannelMode(QProcess::ForwardedChannels);
    simulator.start(QStringLiteral(RAVELO_CAMERA_SIM), {"/bin/sh", "-c", shellCommand});
    if (!simulator.waitForFinished(20000) || simulator.exitStatus() != QProcess::NormalExit)
        return -1;
    return simulator.exitCode();
}
}

class TestCameraSim : public QObject
{
    Q_OBJECT

private slots:
    void theProgramSeesTheCameraAndTheService()
    {
        QCOMPARE(runUnderSimulator(R"(test -e "$UMOCKDEV_DIR/dev/bus/usb/001/002" && test -n "$RAVELO_ACCOUNT_HOST")"),
                 0);
    }

    void theProgramsExitCodeIsPassedOn() { QCOMPARE(runUnderSimulator(QStringLiteral("exit 7")), 7); }
};

QTEST_GUILESS_MAIN(TestCameraSim)
#include "tst_camerasim.moc"
