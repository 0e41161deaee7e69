// A system bus that accepts connections and never speaks, or only authenticates: sign-in
// and the Wi-Fi list go on as without a bus, the list suggests nothing, and the bus
// library is never left waiting for it.
#include "Quiet.h"
#include "CloudFixture.h"
#include "EmulatedCamera.h"
#include "Screens.h"
#include "TestMain.h"
#include "command/WifiScan.h"
#include "screens/LoginWindow.h"
#include "screens/WifiListWindow.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QLabel>
#include <QListView>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using Screens::child;

namespace {
// Far below the bus library's own 25 s wait for an answer.
constexpr int AtOnceMs = 5000;
}

class TestHungBus : public QObject
{
    Q_OBJECT

    EmulatedCamera camera;
    CloudFixture cloud;
    QTemporaryDir folder;
    QLocalServer bus;

    QList<QLocalSocket*> connections;
    bool authenticates = false;

    // Any AUTH line gets the bus's OK; nothing else gets an answer.
    void acceptConnection()
    {
        QLocalSocket* connection = bus.nextPendingConnection();
        connections.append(connection);
        connect(connection, &QLocalSocket::readyRead, this, [this, connection] {
            if (authenticates && connection->readAll().contains("AUTH"))
                connection->write("OK 0123456789abcdef0123456789abcdef\r\n");
        });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(bus.listen(folder.filePath(QStringLiteral("system_bus_socket"))));
        connect(&bus, &QLocalServer::newConnection, this, &TestHungBus::acceptConnection);
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + bus.fullServerName().toUtf8());
        camera.plug();
        camera.setNetworks({QStringLiteral("Cafe")});
    }

    void signInAndTheWifiListGoOnWithoutWaitingForTheBus_data()
    {
        QTest::addColumn<bool>("authenticates");
        QTest::newRow("never speaks") << false;
        QTest::newRow("authenticates, then silent") << true;
    }

    void signInAndTheWifiListGoOnWithoutWaitingForTheBus()
    {
        QFETCH(bool, authenticates);
        this->authenticates = authenticates;
        qDeleteAll(connections);
        connections.clear();
        QElapsedTimer clock;
        clock.start();
        auto* login = new LoginWindow;
        QVERIFY(clock.elapsed() < AtOnceMs);
        login->show();
        Screens::type(login, "lineEdit", QStringLiteral("hanako@example.jp"));
        Screens::type(login, "lineEdit_2", QStringLiteral("pass-word1"));
        QTest::mouseClick(child<QPushButton>(login, "button_next"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(Screens::visible<WifiListWindow>(), AtOnceMs);

        auto* list = Screens::visible<WifiListWindow>();
        list->wifiScan().setTimings({5000, 50});
        clock.restart();
        QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>(list, "label_content_2")->text(),
                                  QStringLiteral("Wi-Fiが見つかりました"), AtOnceMs);
        const QModelIndex first = child<QListView>(list, "listView")->model()->index(0, 0);
        QCOMPARE(first.data().toString(), QStringLiteral("Cafe"));
        QVERIFY(first.data(Qt::DecorationRole).value<QIcon>().isNull());
        // Only the wizard's own probe came, and it has given up.
        QTRY_VERIFY_WITH_TIMEOUT(
            connections.size() == 1 && connections.first()->state() != QLocalSocket::ConnectedState, AtOnceMs);
        Screens::destroyAll();
    }
};

RAVELO_TEST_MAIN(TestHungBus)
#include "tst_hungbus.moc"
