// The screen frame, the top, preparation and completion screens, clicked through as a
// user would, on an emulated USB bus.
#include "EmulatedCamera.h"
#include "Screens.h"
#include "TestMain.h"
#include "screens/LoginWindow.h"
#include "screens/RegistUserWindow.h"
#include "command/UsbUtil.h"
#include "screens/CompleteWindow.h"
#include "screens/PreparationWindow.h"
#include "screens/TopWindow.h"
#include "screens/CameraNameWindow.h"
#include "screens/SettingsWiFiWindow.h"
#include "screens/WifiListWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>

#include <cerrno>
#include <memory>
#include <cstring>

namespace {
QImage faceOf(QPushButton* button)
{
    return button->icon().pixmap(QSize(230, 55)).toImage();
}

QImage picture(const QString& name)
{
    return QPixmap(QStringLiteral(":/images/") + name).toImage();
}

// The picture as Qt's own PNG reader gives it, from a buffer rather than the resource file.
QImage asQtReadsIt(const QString& name)
{
    QFile file(QStringLiteral(":/images/") + name);
    return file.open(QIODevice::ReadOnly)
        ? QImage::fromData(file.readAll(), "png").convertToFormat(QImage::Format_ARGB32_Premultiplied)
        : QImage();
}

using Screens::closeAll;
using Screens::visibleWindows;
}

class TestWizardFrame : public QObject
{
    Q_OBJECT

    EmulatedCamera camera;

    static QMainWindow* make(const QString& screen)
    {
        if (screen == QLatin1String("TopWindow"))
            return new TopWindow;
        if (screen == QLatin1String("PreparationWindow"))
            return new PreparationWindow;
        if (screen == QLatin1String("LoginWindow"))
            return new LoginWindow;
        if (screen == QLatin1String("RegistUserWindow"))
            return new RegistUserWindow;
        if (screen == QLatin1String("WifiListWindow"))
            return new WifiListWindow;
        if (screen == QLatin1String("SettingsWiFiWindow"))
            return new SettingsWiFiWindow(QString());
        if (screen == QLatin1String("CameraNameWindow"))
            return new CameraNameWindow;
        return new CompleteWindow;
    }

private slots:
    void cleanup()
    {
        closeAll();
        camera.unplug();
    }

    // Every control that Tab reaches shows a 2 px frame in the focus colour while it
    // has focus, picture buttons included.
    void focusedControlsShowAFrame_data()
    {
        QTest::addColumn<QString>("screen");
        for (const char* screen : {"TopWindow", "PreparationWindow", "LoginWindow", "RegistUserWindow",
                                   "WifiListWindow", "SettingsWiFiWindow", "CameraNameWindow", "CompleteWindow"})
            QTest::newRow(screen) << QString::fromLatin1(screen);
    }

    void focusedControlsShowAFrame()
    {
        QFETCH(QString, screen);
        camera.plug();
        QTRY_VERIFY(UsbUtil::instance()->hasCamera());
        std::unique_ptr<QMainWindow> window(make(screen));
        window->show();
        QApplication::setActiveWindow(window.get());
        QTRY_VERIFY(window->isActiveWindow());
        int checked = 0;
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (!(control->focusPolicy() & Qt::TabFocus) || !control->isVisible() || !control->isEnabled())
                continue;
            control->setFocus(Qt::TabFocusReason);
            QVERIFY(control->hasFocus());
            const QImage picture = control->grab().toImage();
            for (const QPoint& edge : {QPoint(0, picture.height() / 2), QPoint(1, picture.height() / 2),
                                       QPoint(picture.width() / 2, 0), QPoint(picture.width() / 2, 1)})
                QVERIFY2(picture.pixelColor(edge) == QColor(0x1c, 0x4f, 0x9c),
                         qPrintable(control->objectName() + control->metaObject()->className()
                                    + picture.pixelColor(edge).name()));
            ++checked;
        }
        QVERIFY(checked > 0);
        // Taken in before the next test, so that device events never pile up.
        window.reset();
        camera.unplug();
        QTRY_VERIFY(!UsbUtil::instance()->hasCamera());
    }

    // A screen reader names each text field and the network list by the label beside it.
    void fieldsAreNamedByTheirLabels_data() { focusedControlsShowAFrame_data(); }

    void fieldsAreNamedByTheirLabels()
    {
        QFETCH(QString, screen);
        std::unique_ptr<QMainWindow> window(make(screen));
        QList<QWidget*> named;
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (!label->buddy())
                continue;
            const QString name = QAccessible::queryAccessibleInterface(label->buddy())->text(QAccessible::Name);
            QVERIFY2(name.startsWith(label->text()), qPrintable(name));
            named.append(label->buddy());
        }
        for (QWidget* field : window->findChildren<QWidget*>()) {
            if (qobject_cast<QLineEdit*>(field) || qobject_cast<QListView*>(field))
                QVERIFY2(named.contains(field), qPrintable(field->objectName()));
        }
    }

    void everyPictureHasItsSize_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        const QStringList buttons = {"01_start",
                                     "02_login",
                                     "02_regist_user",
                                     "03_next",
                                     "05_connect_wifi",
                                     "05_connect_wifi_other",
                                     "05_connect_wifi_back",
                                     "06_back_to_wifilist",
                                     "07_complete"};
        for (const QString& button : buttons) {
            QTest::newRow(qPrintable(button + "_up")) << button + "_up.png" << QSize(230, 55);
            QTest::newRow(qPrintable(button + "_down")) << button + "_down.png" << QSize(230, 55);
        }
        for (int step = 1; step <= 5; ++step) {
            QTest::newRow(qPrintable(QString("STEP%1").arg(step)))
                << QString("STEP%1.png").arg(step) << QSize(374, 127);
            QTest::newRow(qPrintable(QString("STEP%1_active").arg(step)))
                << QString("STEP%1_active.png").arg(step) << QSize(374, 127);
        }
        QTest::newRow("cursol") << "cursol.png" << QSize(30, 40);
        QTest::newRow("cursol_active") << "cursol_active.png" << QSize(30, 40);
        QTest::newRow("logo") << "logo_ravelo_rgb-3_trans.png" << QSize(319, 106);
        QTest::newRow("mascot") << "mascot_ravelo.png" << QSize(320, 236);
        QTest::newRow("camera") << "camera.png" << QSize(240, 276);
        QTest::newRow("to pc") << "connect_camera_to_pc.png" << QSize(576, 175);
        QTest::newRow("to power") << "connect_camera_to_power.png" << QSize(398, 139);
    }

    void everyPictureHasItsSize()
    {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        QCOMPARE(picture(file).size(), size);
        QCOMPARE(picture(file).convertToFormat(QImage::Format_ARGB32_Premultiplied), asQtReadsIt(file));
        // Scaled screens take the picture drawn at twice the size.
        QCOMPARE(picture(QString(file).replace(QLatin1String(".png"), QLatin1String("@2x.png"))).size(), size * 2);
    }

    void screensCannotBeResized()
    {
        TopWindow top;
        top.show();
        top.resize(900, 600);
        QCOMPARE(top.size(), QSize(720, 445));
        QCOMPARE(top.minimumSize(), QSize(720, 445));
        QCOMPARE(top.maximumSize(), QSize(720, 445));
    }

    void pressingShowsTheDownFaceAndReleasingTheUpFace()
    {
        TopWindow top;
        top.show();
        auto* start = top.findChild<QPushButton*>(QStringLiteral("button_start"));
        QCOMPARE(faceOf(start), picture("01_start_up.png"));
        QTest::mousePress(start, Qt::LeftButton);
        QCOMPARE(faceOf(start), picture("01_start_down.png"));
        QTest::mouseRelease(start, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
        QCOMPARE(faceOf(start), picture("01_start_up.png"));
    }

    void startLeadsToPreparationWhichFollowsTheCamera()
    {
        auto* top = new TopWindow;
        top->show();
        QTest::mouseClick(top->findChild<QPushButton*>(QStringLiteral("button_start")), Qt::LeftButton);
        const QList<QWidget*> visible = visibleWindows();
        QCOMPARE(visible.size(), 1);
        auto* preparation = qobject_cast<PreparationWindow*>(visible.first());
        QVERIFY(preparation);
        auto* login = preparation->findChild<QPushButton*>(QStringLiteral("button_login"));
        auto* regist = preparation->findChild<QPushButton*>(QStringLiteral("button_regist_user"));
        QVERIFY(!login->isEnabled() && !regist->isEnabled());

        camera.plug();
        QTRY_VERIFY(login->isEnabled() && regist->isEnabled());

        // Counted before sending: the camera may have the request before send() returns.
        const int before = camera.requests().size();
        UsbUtil::instance()->send(UsbUtil::instance()->execAPList());
        QVERIFY(camera.waitForRequests(before + 1));
        QTest::qWait(50);
        QVERIFY(login->isEnabled() && regist->isEnabled());

        camera.unplug();
        QTRY_VERIFY(!login->isEnabled() && !regist->isEnabled());
    }

    // A camera on the bus that cannot be opened is explained under the picture, and
    // the explanation goes once a camera opens.
    void preparationSaysWhyACameraDoesNotOpen_data()
    {
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QString>("reason");
        QTest::newRow("interface held elsewhere") << true << QStringLiteral("他のプログラムかドライバーが使用中");
        QTest::newRow("other fault") << false
                                     << QStringLiteral("カメラを開けません：")
                + QString::fromLocal8Bit(std::strerror(EINVAL));
    }

    void preparationSaysWhyACameraDoesNotOpen()
    {
        QFETCH(bool, busy);
        QFETCH(QString, reason);
        PreparationWindow preparation;
        preparation.show();
        auto* line = preparation.findChild<QLabel*>(QStringLiteral("label_reason"));
        auto* login = preparation.findChild<QPushButton*>(QStringLiteral("button_login"));
        QCOMPARE(line->text(), QString());

        EmulatedDeviceShape shape;
        shape.interfaces[0].heldElsewhere = busy;
        shape.interfaces[0].claimable = busy;
        const int handle = camera.plug(shape);
        QTRY_VERIFY2(line->text().contains(reason), qPrintable(line->text()));
        QVERIFY(!login->isEnabled());
        QVERIFY(line->width() >= line->fontMetrics().horizontalAdvance(line->text()));
        PreparationWindow later;
        QCOMPARE(later.findChild<QLabel*>(QStringLiteral("label_reason"))->text(), line->text());

        camera.unplug(handle);
        QTRY_COMPARE(line->text(), QString());
        camera.plug();
        QTRY_VERIFY(login->isEnabled());
        QCOMPARE(line->text(), QString());
        camera.unplug();
    }

    // As root under umockdev a device node cannot refuse to open, so the permission
    // reason is given to the screen as the USB link reports it.
    void preparationExplainsAMissingPermission()
    {
        PreparationWindow preparation;
        EL_CMD failure;
        failure.insert(QStringLiteral("CMD"), QVariant::fromValue(CMD_OPEN_FAILED));
        failure.insert(QStringLiteral("ERROR"), EACCES);
        QMetaObject::invokeMethod(&preparation, "receiveCmd", Q_ARG(EL_CMD, failure));
        auto* line = preparation.findChild<QLabel*>(QStringLiteral("label_reason"));
        QVERIFY(line->text().startsWith(QStringLiteral("カメラを開く権限がありません。udevルールを入れて")));
        QVERIFY(line->width() >= line->fontMetrics().horizontalAdvance(line->text()));
    }

    void preparationHandsOverAndStopsListening()
    {
        camera.plug();
        auto* preparation = new PreparationWindow;
        preparation->show();
        auto* login = preparation->findChild<QPushButton*>(QStringLiteral("button_login"));
        QTRY_VERIFY(login->isEnabled());
        const QPointer<PreparationWindow> left(preparation);
        QTest::mouseClick(login, Qt::LeftButton);
        QCOMPARE(visibleWindows().size(), 1);
        QVERIFY(qobject_cast<LoginWindow*>(visibleWindows().first()));
        QTRY_VERIFY(left.isNull());

        camera.unplug();
        QTest::qWait(200);

        camera.plug();
        auto* second = new PreparationWindow;
        second->show();
        QTRY_VERIFY(second->findChild<QPushButton*>(QStringLiteral("button_regist_user"))->isEnabled());
        QTest::mouseClick(second->findChild<QPushButton*>(QStringLiteral("button_regist_user")), Qt::LeftButton);
        QVERIFY(!second->isVisible());
        QCOMPARE(visibleWindows().size(), 2);
        QVERIFY(qobject_cast<RegistUserWindow*>(visibleWindows().at(0))
                || qobject_cast<RegistUserWindow*>(visibleWindows().at(1)));
    }

    void completionScreenSaysItsThreeLinesAndEndsWithItsButton()
    {
        CompleteWindow complete;
        complete.show();
        const QString text = complete.findChild<QLabel*>(QStringLiteral("label_content"))->text();
        QCOMPARE(text.split('\n'),
                 (QStringList{QStringLiteral("これで設定は完了です。"),
                              QStringLiteral("カメラをPCから取り外して、電源に接続してください"),
                              QStringLiteral("カメラ名は、Raveloアプリ->アカウント->カメラ名から設定してください")}));
        QVERIFY(
            complete.findChild<QWidget*>(QStringLiteral("logo_ravelo_10"))->styleSheet().contains("STEP5_active.png"));
        QVERIFY(
            complete.findChild<QWidget*>(QStringLiteral("logo_ravelo_9"))->styleSheet().contains("cursol_active.png"));
        QVERIFY(complete.findChild<QWidget*>(QStringLiteral("logo_ravelo_8"))->styleSheet().contains("STEP4.png"));

        QTest::mouseClick(complete.findChild<QPushButton*>(QStringLiteral("button_complate")), Qt::LeftButton);
        QVERIFY(visibleWindows().isEmpty());
        QVERIFY(QApplication::quitOnLastWindowClosed());
    }
};

RAVELO_TEST_MAIN(TestWizardFrame)
#include "tst_wizardframe.moc"
