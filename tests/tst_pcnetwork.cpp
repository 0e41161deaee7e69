// The Wi-Fi list suggests the network this PC is on, as NetworkManager reports it on a
// private system bus, and otherwise behaves as if there were no suggestion.
#include "Quiet.h"
#include "EmulatedCamera.h"
#include "NetworkManagerMock.h"
#include "Screens.h"
#include "TestMain.h"
#include "command/WifiScan.h"
#include "screens/SettingsWiFiWindow.h"
#include "screens/WifiListWindow.h"

#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

using Screens::child;

namespace {
const QStringList CameraNetworks = {"Home-5G", "Cafe", "Office", "Cafe", "Guest", "Attic"};
// How long a suggestion that should not come is waited for, after the list is complete.
constexpr int QuietMs = 700;

QListView* listOf(WifiListWindow* window)
{
    return child<QListView>(window, "listView");
}

QStringList rowsOf(WifiListWindow* window)
{
    QStringList rows;
    QAbstractItemModel* model = listOf(window)->model();
    for (int row = 0; row < model->rowCount(); ++row)
        rows.append(model->index(row, 0).data().toString());
    return rows;
}

QList<int> markedRowsOf(WifiListWindow* window)
{
    QList<int> marked;
    QAbstractItemModel* model = listOf(window)->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        const bool hasPicture = !index.data(Qt::DecorationRole).value<QIcon>().isNull();
        const bool hasNote = !index.data(Qt::ToolTipRole).toString().isEmpty();
        if (hasPicture && hasNote)
            marked.append(row);
    }
    return marked;
}

bool scanFinished(WifiListWindow* window)
{
    return child<QLabel>(window, "label_content_2")->text() == QStringLiteral("Wi-Fiが見つかりました");
}
}

class TestPcNetwork : public QObject
{
    Q_OBJECT

    NetworkManagerMock networkManager;
    EmulatedCamera camera;

    WifiListWindow* scannedList()
    {
        auto* window = new WifiListWindow;
        window->wifiScan().setTimings({5000, 50});
        window->show();
        if (!QTest::qWaitFor([&] { return scanFinished(window); }, 10000))
            return nullptr;
        return window;
    }

private slots:
    void initTestCase()
    {
        qDBusRegisterMetaType<QList<QList<QDBusObjectPath>>>();
        qDBusRegisterMetaType<QMap<QString, QDBusObjectPath>>();
        const QString busFailure = networkManager.startBus();
        QVERIFY2(busFailure.isEmpty(), qPrintable(busFailure));
        camera.plug();
        camera.setNetworks(CameraNetworks);
    }

    void cleanup() { Screens::destroyAll(); }

    void thePcNetworkIsSuggestedOnlyWhenTheCameraSeesIt_data()
    {
        QTest::addColumn<QString>("pcNetwork");
        QTest::addColumn<uint>("state");
        QTest::addColumn<bool>("networkManagerRuns");
        QTest::addColumn<QList<int>>("markedRows");

        const QList<int> none;
        QTest::newRow("listed network, twice") << "Cafe" << NetworkManagerMock::Activated << true << QList<int>{1, 3};
        QTest::newRow("network the camera does not see")
            << "Elsewhere" << NetworkManagerMock::Activated << true << none;
        QTest::newRow("Wi-Fi device, no connection") << "Cafe" << 0u << true << none;
        QTest::newRow("connection still activating") << "Cafe" << NetworkManagerMock::Activating << true << none;
        QTest::newRow("no NetworkManager") << "Cafe" << NetworkManagerMock::Activated << false << none;
    }

    void thePcNetworkIsSuggestedOnlyWhenTheCameraSeesIt()
    {
        QFETCH(QString, pcNetwork);
        QFETCH(uint, state);
        QFETCH(bool, networkManagerRuns);
        QFETCH(QList<int>, markedRows);

        QCOMPARE(networkManager.restart(), QString());
        QCOMPARE(networkManager.addWifi(pcNetwork, state), QString());
        if (!networkManagerRuns)
            networkManager.stopNetworkManager();

        WifiListWindow* window = scannedList();
        QVERIFY(window);
        if (markedRows.isEmpty())
            QVERIFY(nothingHappensWithin(QuietMs, [&] { return !markedRowsOf(window).isEmpty(); }));
        else
            QTRY_COMPARE(markedRowsOf(window), markedRows);

        QCOMPARE(markedRowsOf(window), markedRows);
        QCOMPARE(rowsOf(window), QStringList({"Home-5G", "Cafe", "Office", "Cafe", "Guest"}) << "Attic");
        QListView* list = listOf(window);
        // Without a suggestion the first row is current, as after Tab, but not picked.
        QCOMPARE(list->selectionModel()->hasSelection(), !markedRows.isEmpty());
        QCOMPARE(list->currentIndex().row(), markedRows.value(0, 0));
        QCOMPARE(child<QPushButton>(window, "button_connect_wifi")->isEnabled(), !markedRows.isEmpty());
    }

    // Answers of the wrong type, an SSID that is no SSID, or a list too long to read
    // whole: no suggestion, or only from what is read, and the list stays usable.
    void oddAnswersGiveNoSuggestion_data()
    {
        QTest::addColumn<QVariant>("activeConnections");
        QTest::addColumn<QByteArray>("ssid");
        QTest::addColumn<bool>("suggested");

        const QByteArray cafe("Cafe");
        using PathList = QList<QDBusObjectPath>;
        const PathList path{QDBusObjectPath("/org/freedesktop/NetworkManager/ActiveConnection/x")};
        QTest::newRow("integers") << QVariant::fromValue(QList<int>{1, 2}) << cafe << false;
        QTest::newRow("variants") << QVariant(QVariantList{QVariant(1), QVariant(QStringLiteral("a"))}) << cafe
                                  << false;
        QTest::newRow("lists of paths") << QVariant::fromValue(QList<PathList>{path, path}) << cafe << false;
        QTest::newRow("dictionary of paths")
            << QVariant::fromValue(QMap<QString, QDBusObjectPath>{{"a", path.first()}}) << cafe << false;
        QTest::newRow("SSID with a NUL") << QVariant() << QByteArray("Cafe\0-Evil-Twin", 15) << false;
        QTest::newRow("SSID of 33 bytes") << QVariant() << QByteArray(33, 'C') << false;
        QTest::newRow("Wi-Fi 64th of a long list") << QVariant(64) << cafe << true;
        QTest::newRow("Wi-Fi 65th of a long list") << QVariant(65) << cafe << false;
    }

    void oddAnswersGiveNoSuggestion()
    {
        QFETCH(QVariant, activeConnections);
        QFETCH(QByteArray, ssid);
        QFETCH(bool, suggested);

        QCOMPARE(networkManager.restart(), QString());
        QCOMPARE(networkManager.addWifi(QStringLiteral("Cafe"), NetworkManagerMock::Activated), QString());
        QCOMPARE(networkManager.setAccessPoint(QStringLiteral("Ssid"), ssid), QString());
        if (activeConnections.userType() == QMetaType::Int) {
            QList<QDBusObjectPath> paths;
            for (int n = 1; n < activeConnections.toInt(); ++n)
                paths.append(QDBusObjectPath(QStringLiteral("/none/%1").arg(n)));
            paths.append(QDBusObjectPath(networkManager.activeConnection()));
            activeConnections = QVariant::fromValue(paths);
        }
        if (activeConnections.isValid())
            QCOMPARE(networkManager.setActiveConnections(activeConnections), QString());

        camera.setNetworks({QStringLiteral("Cafe"), QString::fromLatin1(ssid.left(4)), QString::fromLatin1(ssid)});
        WifiListWindow* window = scannedList();
        camera.setNetworks(CameraNetworks);
        QVERIFY(window);
        if (suggested)
            QTRY_COMPARE(markedRowsOf(window), QList<int>({0, 1, 2}));
        else
            QVERIFY(nothingHappensWithin(QuietMs, [&] { return !markedRowsOf(window).isEmpty(); }));
        QVERIFY(child<QPushButton>(window, "button_refresh")->isEnabled());
    }

    // When the PC's network is not in the camera's list, one line says why, as far as
    // what the PC sees can tell (it also sees "Cafe" on 2.4 GHz); nothing when it
    // cannot tell.
    void aMissingPcNetworkIsExplained_data()
    {
        QTest::addColumn<QString>("pcNetwork");
        QTest::addColumn<uint>("state");
        QTest::addColumn<QVariant>("frequency");
        QTest::addColumn<uint>("security");
        QTest::addColumn<bool>("alsoOn24");
        QTest::addColumn<QString>("said");

        const uint psk = NetworkManagerMock::PskSecurity;
        const uint on = NetworkManagerMock::Activated;
        const QVariant fiveGhz(5180u);
        QTest::newRow("5 GHz only") << "Elsewhere" << on << fiveGhz << psk << false << "は5GHzのWi-Fiです";
        QTest::newRow("dual band") << "Elsewhere" << on << fiveGhz << psk << true << "ルーターから遠い";
        QTest::newRow("WPA3 only") << "Elsewhere" << on << QVariant(2437u) << 0x408u << false << "WPA3";
        QTest::newRow("enterprise") << "Elsewhere" << on << QVariant(2437u) << 0x208u << false << "WPA3";
        QTest::newRow("WPA2 and WPA3") << "Elsewhere" << on << QVariant(2437u) << 0x508u << false << "ルーターから遠い";
        QTest::newRow("listed") << "Cafe" << on << fiveGhz << psk << false << "";
        QTest::newRow("not on Wi-Fi") << "Elsewhere" << 0u << fiveGhz << psk << false << "";
        QTest::newRow("frequency of another type") << "Elsewhere" << on << QVariant("5180") << psk << false << "";
    }

    void aMissingPcNetworkIsExplained()
    {
        QFETCH(QString, pcNetwork);
        QFETCH(uint, state);
        QFETCH(QVariant, frequency);
        QFETCH(uint, security);
        QFETCH(bool, alsoOn24);
        QFETCH(QString, said);

        QCOMPARE(networkManager.restart(), QString());
        QCOMPARE(networkManager.addWifi(pcNetwork, state), QString());
        if (state != 0) {
            QCOMPARE(networkManager.setAccessPoint(QStringLiteral("Frequency"), frequency), QString());
            QCOMPARE(networkManager.setAccessPoint(QStringLiteral("RsnFlags"), security), QString());
            QCOMPARE(networkManager.setAccessPoint(QStringLiteral("WpaFlags"), security), QString());
        }
        QCOMPARE(networkManager.addAccessPoint(QStringLiteral("Cafe"), 2412, NetworkManagerMock::PskSecurity),
                 QString());
        if (alsoOn24)
            QCOMPARE(networkManager.addAccessPoint(pcNetwork, 2462, NetworkManagerMock::PskSecurity), QString());

        WifiListWindow* window = scannedList();
        QVERIFY(window);
        auto* line = child<QLabel>(window, "label_missing");
        if (said.isEmpty())
            QVERIFY(nothingHappensWithin(QuietMs, [&] { return !line->text().isEmpty(); }));
        else
            QTRY_VERIFY2(line->text().contains(said) && line->text().contains(pcNetwork), qPrintable(line->text()));
        QVERIFY(child<QPushButton>(window, "button_refresh")->isEnabled());
    }

    void oneClickContinuesWithTheSuggestionAndAnotherRowCanBePicked_data()
    {
        QTest::addColumn<int>("clickedRow");
        QTest::addColumn<QString>("expectedNetwork");

        QTest::newRow("suggestion taken") << -1 << "Cafe";
        QTest::newRow("another row clicked") << 2 << "Office";
    }

    void oneClickContinuesWithTheSuggestionAndAnotherRowCanBePicked()
    {
        QFETCH(int, clickedRow);
        QFETCH(QString, expectedNetwork);

        QCOMPARE(networkManager.restart(), QString());
        QCOMPARE(networkManager.addWifi(QStringLiteral("Cafe"), NetworkManagerMock::Activated), QString());
        WifiListWindow* window = scannedList();
        QVERIFY(window);
        QTRY_VERIFY(!markedRowsOf(window).isEmpty());
        if (clickedRow >= 0) {
            QListView* list = listOf(window);
            const QRect rect = list->visualRect(list->model()->index(clickedRow, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
        }
        QTest::mouseClick(child<QPushButton>(window, "button_connect_wifi"), Qt::LeftButton);

        auto* settings = Screens::visible<SettingsWiFiWindow>();
        QVERIFY(settings);
        QCOMPARE(child<QLineEdit>(settings, "lineEdit")->text(), expectedNetwork);
    }
};

RAVELO_TEST_MAIN(TestPcNetwork)
#include "tst_pcnetwork.moc"
