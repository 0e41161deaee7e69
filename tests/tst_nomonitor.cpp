// Without udev device events (the monitor cannot be set up) the program says so on
// standard error and still finds the camera by a periodic rescan. Run with a preload
// library that makes the monitor fail.
#include "EmulatedCamera.h"
#include "TestMain.h"
#include "screens/PreparationWindow.h"

#include <QPushButton>
#include <QTest>

namespace {
QStringList warnings;

void captureWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtWarningMsg)
        warnings.append(message);
}
}

class TestNoMonitor : public QObject
{
    Q_OBJECT

    EmulatedCamera camera;

private slots:
    void theCameraIsFoundWithoutDeviceEvents()
    {
        const QtMessageHandler previous = qInstallMessageHandler(captureWarnings);
        PreparationWindow preparation;
        qInstallMessageHandler(previous);
        QVERIFY2(warnings.join('\n').contains(QStringLiteral("Cannot watch USB devices through udev")),
                 qPrintable(warnings.join('\n')));
        preparation.show();
        auto* login = preparation.findChild<QPushButton*>(QStringLiteral("button_login"));
        QVERIFY(!login->isEnabled());

        camera.plug();
        QTRY_VERIFY_WITH_TIMEOUT(login->isEnabled(), 5000);
        camera.unplug();
        QTRY_VERIFY_WITH_TIMEOUT(!login->isEnabled(), 5000);
    }
};

RAVELO_TEST_MAIN(TestNoMonitor)
#include "tst_nomonitor.moc"
