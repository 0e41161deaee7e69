// The whole wizard as a user walks it, from the top screen to the end of the program:
// the real start-up function and event loop, the real libusb against the emulated
// camera, and real TLS against the local cloud service.
#include "CloudFixture.h"
#include "EmulatedCamera.h"
#include "ModalBoxes.h"
#include "Screens.h"
#include "app/Startup.h"
#include "screens/CameraNameWindow.h"
#include "screens/LoginWindow.h"
#include "screens/RegistUserWindow.h"
#include "screens/CompleteWindow.h"
#include "screens/PreparationWindow.h"
#include "screens/SettingsWiFiWindow.h"
#include "screens/TopWindow.h"
#include "screens/WifiListWindow.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTextStream>

#include <memory>

using Screens::child;

namespace {
int passes = 0;
int failures = 0;

bool check(bool condition, const QString& what)
{
    QTextStream(stdout) << (condition ? "PASS   : " : "FAIL!  : ") << what << '\n';
    condition ? ++passes : ++failures;
    return condition;
}

template <typename T>
T* waitForScreen(int timeoutMs = 10000)
{
    if (!QTest::qWaitFor([] { return Screens::visible<T>() != nullptr; }, timeoutMs))
        return nullptr;
    // As a user would: a new screen takes no clicks for the length of a double click.
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    return Screens::visible<T>();
}

void click(QWidget* screen, const char* button)
{
    QTest::mouseClick(child<QPushButton>(screen, button), Qt::LeftButton);
}

QJsonObject parameters(const QByteArray& request)
{
    return QJsonDocument::fromJson(request).object().value("params").toArray().at(0).toObject();
}

class Walk
{
public:
    explicit Walk(EmulatedCamera& camera)
        : m_camera(camera)
    {
    }

    // Each step returns false when the wizard did not get where it should.
    bool run()
    {
        return start() && registerAccount() && signIn() && chooseNetwork() && nameCamera() && checkTraffic()
            && finish();
    }

private:
    bool start()
    {
        auto* top = Screens::visible<TopWindow>();
        if (!check(top, "the top screen is shown"))
            return false;
        click(top, "button_start");
        auto* preparation = waitForScreen<PreparationWindow>();
        return check(preparation && child<QPushButton>(preparation, "button_regist_user")->isEnabled(),
                     "the preparation screen offers both ways on with the camera attached");
    }

    bool registerAccount()
    {
        click(Screens::visible<PreparationWindow>(), "button_regist_user");
        auto* regist = waitForScreen<RegistUserWindow>();
        Screens::type(regist, "lineEdit", QStringLiteral("はなこ"));
        Screens::type(regist, "lineEdit_2", QStringLiteral("hanako@example.jp"));
        Screens::type(regist, "lineEdit_3", QStringLiteral("pass-word1"));
        regist->findChild<QCheckBox*>()->setChecked(true);
        ModalBoxes boxes;
        click(regist, "button_next");
        check(boxes.waitFor(1) && boxes.last().icon == QMessageBox::Information, "registration succeeds");
        return check(waitForScreen<LoginWindow>(), "registration ends on the sign-in screen");
    }

    bool signIn()
    {
        auto* login = Screens::visible<LoginWindow>();
        Screens::type(login, "lineEdit", QStringLiteral("hanako@example.jp"));
        Screens::type(login, "lineEdit_2", QStringLiteral("pass-word1"));
        click(login, "button_next");
        return check(waitForScreen<WifiListWindow>(), "sign-in leads to the Wi-Fi list");
    }

    bool chooseNetwork()
    {
        auto* list = Screens::visible<WifiListWindow>();
        auto* status = child<QLabel>(list, "label_content_2");
        const bool scanned =
            QTest::qWaitFor([&] { return status->text() == QStringLiteral("Wi-Fiが見つかりました"); }, 25000);
        if (!check(scanned, "the two-page scan completes"))
            return false;
        auto* view = child<QListView>(list, "listView");
        check(view->model()->rowCount() == 7, "all seven networks are listed");
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                          view->visualRect(view->model()->index(5, 0)).center());
        click(list, "button_connect_wifi");
        auto* settings = waitForScreen<SettingsWiFiWindow>();
        if (!check(settings && child<QLineEdit>(settings, "lineEdit")->text() == QStringLiteral("Shop"),
                   "the chosen network is preset"))
            return false;
        Screens::type(settings, "lineEdit_2", QStringLiteral("shop-wifi-pass"));
        click(settings, "button_connect_wifi");
        return check(waitForScreen<CameraNameWindow>(), "the camera took the Wi-Fi settings");
    }

    bool nameCamera()
    {
        auto* naming = Screens::visible<CameraNameWindow>();
        m_serialId = naming->serialId();
        Screens::type(naming, "lineEdit_2", QStringLiteral("玄関"));
        click(naming, "button_next");
        return check(waitForScreen<CompleteWindow>(), "the camera is registered and the wizard completes");
    }

    bool checkTraffic()
    {
        check(
            m_camera.requestedMethods()
                == QStringList({"execAPList", "getAPList", "getAPList", "getAPList", "setNetworkSetting", "setToken"}),
            "the camera received the scan, the settings and the token, in order");
        const QList<QByteArray> requests = m_camera.requests();
        check(parameters(requests.value(4))
                  == QJsonObject({{"inet", "0"}, {"password", "shop-wifi-pass"}, {"ssid", "Shop"}}),
              "the Wi-Fi settings carry the chosen network");
        check(parameters(requests.value(5)) == QJsonObject({{"DeviceId", "device-0001"}, {"SerialId", m_serialId}}),
              "the camera gets the device id and the serial id");

        const QList<RecordedRequest> cloud = s_cloud->service.requests();
        QStringList paths;
        for (const RecordedRequest& request : cloud)
            paths.append(request.host + QString::fromLatin1(request.path));
        check(paths
                  == QStringList({"127.0.0.1/account/register", "127.0.0.1/account/authorize", "127.0.0.1/accessToken",
                                  "127.0.0.1/devices", "localhost/devices"}),
              "the cloud service received every request in order: " + paths.join(' '));
        return check(cloud.value(4).header("Authorization") == "X-NUVA uuid=user-0001 token=token-0001",
                     "the application service is called as the signed-in user");
    }

    bool finish()
    {
        click(Screens::visible<CompleteWindow>(), "button_complate");
        return check(Screens::visibleWindows().isEmpty(), "nothing is left on screen");
    }

public:
    static CloudFixture* s_cloud;

private:
    EmulatedCamera& m_camera;
    QString m_serialId;
};

CloudFixture* Walk::s_cloud = nullptr;
EmulatedCamera* camera = nullptr;

void walkWhenTheLoopRuns()
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            Walk::s_cloud = new CloudFixture;
            if (!Walk(*camera).run())
                QCoreApplication::exit(3);
        },
        Qt::QueuedConnection);
}
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    EmulatedCamera emulated;
    emulated.setNetworks({"Home-5G", "Home-2G", "Cafe", "Office", "Guest", "Shop", "Library"});
    emulated.plug();
    camera = &emulated;
    qAddPreRoutine(walkWhenTheLoopRuns);

    check(runSetupWizard(argc, argv) == 0, "the program ends with exit code 0");
    QTextStream(stdout) << "Totals: " << passes << " passed, " << failures << " failed\n";
    return failures == 0 ? 0 : 1;
}
