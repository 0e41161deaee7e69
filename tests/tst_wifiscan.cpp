// The Wi-Fi scan on its own: which request it asks for when, what it reports, and how
// a time-out, a stop and late or stray replies end it. No window and no camera.
#include "Quiet.h"
#include "command/WifiScan.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

namespace {
constexpr int PauseMs = 100;

QJsonObject scanStarted()
{
    return {{"id", 1}, {"result", QJsonArray{}}};
}

QJsonObject page(int id, int total, int index, const QStringList& names)
{
    QJsonObject list;
    for (int i = 0; i < names.size(); ++i)
        list.insert(QStringLiteral("ssid%1").arg(i), names.at(i));
    const QJsonObject wifiList{{"TotalPage", total}, {"PageIndex", index}, {"List", list}};
    return {{"id", id}, {"result", QJsonArray{QJsonObject{{"WifiList", wifiList}}}}};
}

// What the scan asked for and reported, in order, as short words.
class Record : public QObject
{
public:
    explicit Record(WifiScan& scan)
    {
        connect(&scan, &WifiScan::scanRequested, this, [this] { events << "scan"; });
        connect(&scan, &WifiScan::pageRequested, this,
                [this](int id, int index) { events << QStringLiteral("page %1/%2").arg(id).arg(index); });
        connect(&scan, &WifiScan::networksFound, this, [this](const QStringList& names) { events << names.join('+'); });
        connect(&scan, &WifiScan::finished, this, [this] { events << "finished"; });
        connect(&scan, &WifiScan::timedOut, this, [this] { events << "timed out"; });
    }

    bool waitFor(const QString& event, int timeoutMs = 5000)
    {
        return QTest::qWaitFor([&] { return events.contains(event); }, timeoutMs);
    }

    QStringList events;
};
}

class TestWifiScan : public QObject
{
    Q_OBJECT

private slots:
    void theCameraGetsFiveSecondsBeforeEachPageAndAMinuteInAll()
    {
        const WifiScan scan;
        QCOMPARE(scan.timings().pauseMs, 5000);
        QCOMPARE(scan.timings().scanTimeoutMs, 60000);
    }

    void pagesAreAskedForAfterAPauseUntilThePageIndexPassesTheTotal()
    {
        WifiScan scan;
        scan.setTimings({60000, PauseMs});
        Record record(scan);
        QElapsedTimer clock;
        clock.start();
        scan.start();
        scan.takeReply(scanStarted());
        QVERIFY(record.waitFor("page 101/1"));
        QVERIFY(clock.elapsed() >= PauseMs);
        scan.takeReply(page(101, 2, 1, {"Home-5G", "", "Cafe"}));
        QVERIFY(record.waitFor("page 102/2"));
        scan.takeReply(page(102, 2, 2, {"Office"}));
        QVERIFY(record.waitFor("page 103/3"));
        scan.takeReply(page(103, 2, 3, {}));
        QCOMPARE(
            record.events,
            (QStringList{"scan", "page 101/1", "Home-5G+Cafe", "page 102/2", "Office", "page 103/3", "", "finished"}));
        QVERIFY(clock.elapsed() >= 3 * PauseMs);
    }

    // The first page is asked for again, with the same id, while the camera still scans.
    // (Here and below, the scan's own time-out comes after everything a pause could have
    // set off, as timers fire in the order they expire; here with room for a slow loop.)
    void aPageWithoutATotalIsAskedForAgain()
    {
        WifiScan scan;
        scan.setTimings({20 * PauseMs, PauseMs});
        Record record(scan);
        scan.start();
        scan.takeReply(scanStarted());
        QVERIFY(record.waitFor("page 101/1"));
        record.events.clear();
        scan.takeReply(page(101, 0, 0, {}));
        QVERIFY(record.waitFor("timed out"));
        QCOMPARE(record.events, (QStringList{"", "page 101/1", "timed out"}));
    }

    void repliesThatAreNotTheScansNextStepAreIgnored_data()
    {
        QTest::addColumn<QJsonObject>("reply");
        QTest::newRow("page before the scan started") << page(101, 1, 1, {"Early"});
        QTest::newRow("settings reply") << QJsonObject{{"id", 10000}, {"result", QJsonArray{}}};
        QTest::newRow("id 200, past the page band") << page(200, 1, 1, {"Stray"});
        QTest::newRow("id as text") << QJsonObject{{"id", "1"}};
        QTest::newRow("empty object") << QJsonObject();
    }

    void repliesThatAreNotTheScansNextStepAreIgnored()
    {
        QFETCH(QJsonObject, reply);
        WifiScan scan;
        scan.setTimings({3 * PauseMs, PauseMs});
        Record record(scan);
        scan.start();
        scan.takeReply(reply);
        QVERIFY(record.waitFor("timed out"));
        QCOMPARE(record.events, (QStringList{"scan", "timed out"}));
    }

    // A duplicate reply that arrives during the pause must not start a second chain.
    void aReplyDuringThePauseIsIgnored()
    {
        WifiScan scan;
        scan.setTimings({3 * PauseMs, PauseMs});
        Record record(scan);
        scan.start();
        scan.takeReply(scanStarted());
        scan.takeReply(scanStarted());
        QVERIFY(record.waitFor("timed out"));
        QCOMPARE(record.events, (QStringList{"scan", "page 101/1", "timed out"}));
    }

    void aTimedOutScanIgnoresLatePagesButStillAsksForThem()
    {
        WifiScan scan;
        scan.setTimings({200, PauseMs});
        Record record(scan);
        scan.start();
        QVERIFY(record.waitFor("timed out"));
        scan.takeReply(scanStarted());
        QVERIFY(record.waitFor("page 101/1"));
        scan.takeReply(page(101, 1, 1, {"Late"}));
        QVERIFY(nothingHappensWithin(2 * PauseMs, [&] { return record.events.size() > 3; }));
        QCOMPARE(record.events, (QStringList{"scan", "timed out", "page 101/1"}));

        // A refresh after a time-out lists networks again.
        scan.setTimings({60000, PauseMs});
        scan.start();
        scan.takeReply(scanStarted());
        QVERIFY(QTest::qWaitFor([&] { return record.events.count("page 101/1") == 2; }, 5000));
        scan.takeReply(page(101, 1, 1, {"Fresh"}));
        QVERIFY(record.events.contains("Fresh"));
    }

    void aFinishedScanDoesNotTimeOut()
    {
        WifiScan scan;
        scan.setTimings({400, 0});
        Record record(scan);
        scan.start();
        scan.takeReply(scanStarted());
        QVERIFY(record.waitFor("page 101/1"));
        scan.takeReply(page(101, 1, 2, {"Home"}));
        QVERIFY(record.events.contains("finished"));
        QVERIFY(nothingHappensWithin(600, [&] { return record.events.contains("timed out"); }));
    }

    // Stopping (leaving the screen) and starting again (refresh) both cancel the pending
    // page request; a new start begins at the first page again.
    void stopAndRestartCancelWhatWasPending()
    {
        WifiScan scan;
        scan.setTimings({300, PauseMs});
        Record record(scan);
        scan.start();
        scan.takeReply(scanStarted());
        scan.stop();
        QVERIFY(nothingHappensWithin(2 * PauseMs, [&] { return record.events.size() > 1; }));
        QCOMPARE(record.events, QStringList{"scan"});

        scan.start();
        scan.takeReply(scanStarted());
        QVERIFY(record.waitFor("page 101/1"));
        scan.takeReply(page(101, 2, 1, {"Home"}));
        scan.start();
        QVERIFY(record.waitFor("timed out"));
        QCOMPARE(record.events, (QStringList{"scan", "scan", "page 101/1", "Home", "scan", "timed out"}));
    }

    void newTimingsApplyToARunningScan()
    {
        WifiScan scan;
        Record record(scan);
        scan.start();
        scan.takeReply(scanStarted());
        scan.setTimings({60000, PauseMs});
        QVERIFY(record.waitFor("page 101/1", 1000));
        scan.setTimings({PauseMs, PauseMs});
        QVERIFY(record.waitFor("timed out", 1000));
    }
};

QTEST_GUILESS_MAIN(TestWifiScan)
#include "tst_wifiscan.moc"
