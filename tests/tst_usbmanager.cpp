// The USB manager's worker, queues, scans and announcements on the real libusb and
// libudev against an emulated camera.
#include "Quiet.h"
#include "EmulatedCamera.h"
#include "EnvelopeCollector.h"
#include "TestMain.h"
#include "usb/ClLibUsbController.h"
#include "usb/ClWidgetReceiveNotifyEvent.h"
#include "usb/evkmanager.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {
EL_CMD jsonRequest(const QByteArray& json)
{
    EL_CMD cmd;
    cmd.insert(QStringLiteral("CMD"), QVariant::fromValue(CMD_JSON_RPC));
    cmd.insert(QStringLiteral("JSON"), json);
    return cmd;
}

QByteArray requestWithId(int id)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("id"), id}, {QStringLiteral("method"), QStringLiteral("echo")}})
        .toJson(QJsonDocument::Compact);
}

int replyId(const EL_CMD& reply)
{
    return QJsonDocument::fromJson(reply.value(QStringLiteral("RESULT")).toByteArray())
        .object()
        .value(QStringLiteral("id"))
        .toInt();
}

EmulatedDeviceShape otherDevice()
{
    EmulatedDeviceShape shape;
    shape.vendorId = 0x046d;
    shape.productId = 0xc52b;
    return shape;
}
}

Q_DECLARE_METATYPE(EmulatedCamera::ReplyShape)

class TestUsbManager : public QObject
{
    Q_OBJECT

    EmulatedCamera camera;
    std::unique_ptr<evkmanager> manager;
    std::unique_ptr<EnvelopeCollector> collector;

    void startManager()
    {
        manager = std::make_unique<evkmanager>();
        QVERIFY(manager->startUsb());
        collector = std::make_unique<EnvelopeCollector>();
        QVERIFY(QObject::connect(manager.get(), "2sigCommand(EL_CMD)", collector.get(), "1receiveCmd(EL_CMD)"));
    }

    EL_CMD exchange(const EL_CMD& request)
    {
        const int before = collector->withCommand(CMD_JSON_RPC).size();
        manager->postCommand(request);
        if (!collector->waitForCommand(CMD_JSON_RPC, before + 1))
            return EL_CMD();
        return collector->withCommand(CMD_JSON_RPC).last();
    }

private slots:
    void init()
    {
        camera.setResponder(QStringLiteral("echo"), [](const QJsonObject& request) {
            return QJsonDocument(QJsonObject{{QStringLiteral("id"), request.value(QStringLiteral("id"))}})
                .toJson(QJsonDocument::Compact);
        });
    }

    void cleanup()
    {
        collector.reset();
        manager.reset();
        camera.unplugAll();
        camera.resetBehaviour();
        camera.clearRecords();
    }

    void startUpScanAnnouncesBeforeAnyoneListens()
    {
        camera.plug();
        startManager();
        QVERIFY(manager->isStarted());
        QVERIFY(manager->hasDevice());
        QCOMPARE(manager->controllers().size(), 1);
        QTest::qWait(50);
        QVERIFY(collector->envelopes.isEmpty());

        // At once: another handshake with the worker would turn the event loop.
        bool loopTurned = false;
        QTimer turn;
        connect(&turn, &QTimer::timeout, this, [&] { loopTurned = true; });
        turn.start(0);
        QVERIFY(manager->startUsb());
        QVERIFY(!loopTurned);
    }

    void framesEachRequestAndReturnsTheReplyUnchanged()
    {
        camera.plug();
        startManager();
        const QByteArray json = requestWithId(42);
        const EL_CMD reply = exchange(jsonRequest(json));

        QCOMPARE(commandOf(reply), CMD_JSON_RPC);
        QCOMPARE(reply.value(QStringLiteral("METHOD")).toString(), QString());
        QVERIFY(!reply.contains(QStringLiteral("ERROR")));
        QCOMPARE(reply.value(QStringLiteral("RESULT")).toByteArray(), QByteArrayLiteral("{\"id\":42}"));
        const QList<EmulatedOutTransfer> out = camera.outTransfers();
        QCOMPARE(out.size(), 2);
        QCOMPARE(out.at(0).bytes,
                 QByteArray::fromHex(QByteArray::number(json.size(), 16).rightJustified(2, '0') + "000000"));
        QCOMPARE(out.at(1).bytes, json);
    }

    void failedExchangesCarryTheirErrorCode()
    {
        startManager();
        EL_CMD noCamera = exchange(jsonRequest(requestWithId(1)));
        QCOMPARE(noCamera.value(QStringLiteral("ERROR")).toInt(), 1);
        QVERIFY(!noCamera.contains(QStringLiteral("RESULT")));

        camera.plug();
        QVERIFY(collector->waitForCommand(CMD_OPEN_DEVICE));
        EL_CMD withoutJson;
        withoutJson.insert(QStringLiteral("CMD"), QVariant::fromValue(CMD_JSON_RPC));
        withoutJson.insert(QStringLiteral("METHOD"), QStringLiteral("label"));
        const EL_CMD emptyBody = exchange(withoutJson);
        QCOMPARE(emptyBody.value(QStringLiteral("ERROR")).toInt(), 3);
        QCOMPARE(emptyBody.value(QStringLiteral("METHOD")).toString(), QStringLiteral("label"));
        QCOMPARE(camera.outTransfers().value(0).bytes, QByteArray(4, '\0'));
    }

    void unknownCommandsAreAnsweredWithoutAnExchange()
    {
        camera.plug();
        startManager();
        EL_CMD unknown;
        unknown.insert(QStringLiteral("CMD"), QVariant::fromValue(QUuid::createUuid()));
        unknown.insert(QStringLiteral("METHOD"), QStringLiteral("m"));
        manager->postCommand(unknown);
        QVERIFY(QTest::qWaitFor([&] { return !collector->envelopes.isEmpty(); }, 5000));
        const EL_CMD reply = collector->envelopes.last();
        QCOMPARE(reply.keys(), (QStringList{QStringLiteral("CMD"), QStringLiteral("METHOD")}));
        QVERIFY(camera.outTransfers().isEmpty());
    }

    void burstIsAnsweredInPostingOrder()
    {
        camera.plug();
        startManager();
        for (int id = 1; id <= 5; ++id)
            manager->postCommand(jsonRequest(requestWithId(id)));
        QVERIFY(collector->waitForCommand(CMD_JSON_RPC, 5));
        QList<int> ids;
        for (const EL_CMD& reply : collector->withCommand(CMD_JSON_RPC))
            ids.append(replyId(reply));
        QCOMPARE(ids, (QList<int>{1, 2, 3, 4, 5}));
        QCOMPARE(camera.requests().size(), 5);
    }

    void cancelDropsOnlyQueuedRequests()
    {
        camera.plug();
        startManager();
        camera.setReplyDelay(300);
        QObject tagA, tagB;
        EL_CMD forA = jsonRequest(requestWithId(2));
        forA.insert(ElCmdKey::Controller, QVariant::fromValue(&tagA));
        EL_CMD forB = jsonRequest(requestWithId(3));
        forB.insert(ElCmdKey::Controller, QVariant::fromValue(&tagB));

        manager->postCommand(jsonRequest(requestWithId(1)));
        QVERIFY(camera.waitForRequests(1));
        manager->postCommand(forA);
        manager->postCommand(forB);
        manager->postCommand(forA);

        EL_CMD cancelA;
        cancelA.insert(QStringLiteral("CMD"), QVariant::fromValue(CMD_CANCEL));
        cancelA.insert(ElCmdKey::Controller, QVariant::fromValue(&tagA));
        manager->postCommand(cancelA);
        // Requests are answered in posting order: once a later one is, a dropped one never will be.
        manager->postCommand(jsonRequest(requestWithId(7)));
        QVERIFY(collector->waitForCommand(CMD_JSON_RPC, 3));

        manager->postCommand(jsonRequest(requestWithId(4)));
        QVERIFY(camera.waitForRequests(4));
        manager->postCommand(jsonRequest(requestWithId(5)));
        EL_CMD cancelAll;
        cancelAll.insert(QStringLiteral("CMD"), QVariant::fromValue(CMD_CANCEL));
        manager->postCommand(cancelAll);
        manager->postCommand(jsonRequest(requestWithId(8)));
        QVERIFY(collector->waitForCommand(CMD_JSON_RPC, 5));
        QList<int> ids;
        for (const EL_CMD& reply : collector->withCommand(CMD_JSON_RPC))
            ids.append(replyId(reply));
        QCOMPARE(ids, (QList<int>{1, 3, 7, 4, 8}));
        QVERIFY(collector->withCommand(CMD_CANCEL).isEmpty());
    }

    void plugUnplugAndReplugAreAnnouncedInTurn()
    {
        startManager();
        QVERIFY(!manager->hasDevice());
        camera.plug();
        QVERIFY(collector->waitForCommand(CMD_OPEN_DEVICE));
        void* first = collector->withCommand(CMD_OPEN_DEVICE).at(0).value(ElCmdKey::Device).value<void*>();
        QVERIFY(first);

        camera.unplug();
        QVERIFY(collector->waitForCommand(CMD_CLOSE_DEVICE));
        QCOMPARE(collector->withCommand(CMD_CLOSE_DEVICE).at(0).value(ElCmdKey::Device).value<void*>(), first);
        QVERIFY(!manager->hasDevice());

        camera.plug();
        QVERIFY(collector->waitForCommand(CMD_OPEN_DEVICE, 2));
        QCOMPARE(collector->envelopes.size(), 3);
        QVERIFY(manager->hasDevice());
        QCOMPARE(exchange(jsonRequest(requestWithId(9))).value(QStringLiteral("RESULT")).toByteArray(),
                 QByteArrayLiteral("{\"id\":9}"));
    }

    void anotherDeviceLeavesTheCameraAlone()
    {
        camera.plug();
        startManager();
        const QList<ClLibUsbController*> before = manager->controllers();
        QSignalSpy changes(manager.get(), &AbstLibUsbManager::sigCommand);
        const int other = camera.plug(otherDevice());
        QVERIFY(nothingHappensWithin(200, [&] { return changes.count() > 0; }));
        camera.unplug(other);
        QVERIFY(nothingHappensWithin(200, [&] { return changes.count() > 0; }));
        QCOMPARE(manager->controllers(), before);
    }

    void unplugDuringATransferEndsItWithAnEmptyResult()
    {
        camera.plug();
        startManager();
        camera.setSilent(QStringLiteral("echo"));
        manager->postCommand(jsonRequest(requestWithId(1)));
        QVERIFY(camera.waitForRequests(1));
        camera.unplug();
        QVERIFY(collector->waitForCommand(CMD_JSON_RPC));
        QVERIFY(collector->waitForCommand(CMD_CLOSE_DEVICE));
        const EL_CMD reply = collector->withCommand(CMD_JSON_RPC).first();
        QVERIFY(reply.value(QStringLiteral("RESULT")).toByteArray().isEmpty());
        QVERIFY(!reply.contains(QStringLiteral("ERROR")));
    }

    // The removal may be seen while the worker still waits in a read: the controller is
    // taken off the list at once, and deleted only once the exchange has let go of it.
    void aControllerRemovedDuringAnExchangeOutlivesIt()
    {
        const int handle = camera.plug();
        startManager();
        QPointer<ClLibUsbController> used = manager->controllers().first();
        camera.setSilent(QStringLiteral("echo"));
        manager->postCommand(jsonRequest(requestWithId(1)));
        QVERIFY(camera.waitForRequests(1));
        camera.unplugBeforeTransfersFail(handle, 500);
        QVERIFY(collector->waitForCommand(CMD_CLOSE_DEVICE));
        QVERIFY(manager->controllers().isEmpty());
        QVERIFY2(collector->withCommand(CMD_JSON_RPC).isEmpty(), "the read ended before the removal was seen");
        QVERIFY(used);
        QVERIFY(collector->waitForCommand(CMD_JSON_RPC));
        QTRY_VERIFY(!used);
    }

    void destructionEndsATransferThatNeverCompletes()
    {
        camera.plug();
        startManager();
        camera.setSilent(QStringLiteral("echo"));
        manager->postCommand(jsonRequest(requestWithId(1)));
        QVERIFY(camera.waitForRequests(1));
        QElapsedTimer timer;
        timer.start();
        manager.reset();
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
    }

    // A reply longer than one read, or sent in pieces or with a pause, must be read
    // whole; one too long to take is dropped. What is left in the pipe would otherwise
    // be taken for the answer to the next request.
    void longRepliesAreReadWholeAndKeepThePipeInStep_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<EmulatedCamera::ReplyShape>("shape");
        QTest::addColumn<bool>("taken");
        for (int size : {1023, 1024, 1025, 2048, 5000})
            QTest::newRow(qPrintable(QString::number(size))) << size << EmulatedCamera::ReplyShape() << true;
        QTest::newRow("100-byte pieces") << 5000 << EmulatedCamera::ReplyShape{100, 0, 0} << true;
        QTest::newRow("300 ms pause after 1024 bytes") << 5000 << EmulatedCamera::ReplyShape{0, 1024, 300} << true;
        QTest::newRow("70,000 bytes") << 70000 << EmulatedCamera::ReplyShape() << false;
        QTest::newRow("70,000 bytes, pause after 64 KiB")
            << 70000 << EmulatedCamera::ReplyShape{0, 64 * 1024, 300} << false;
    }

    void longRepliesAreReadWholeAndKeepThePipeInStep()
    {
        QFETCH(int, size);
        QFETCH(EmulatedCamera::ReplyShape, shape);
        QFETCH(bool, taken);
        const QByteArray head = "{\"id\":7,\"pad\":\"";
        const QByteArray tail = "\"}";
        const QByteArray longReply = head + QByteArray(size - head.size() - tail.size(), 'x') + tail;
        camera.setResponder(QStringLiteral("long"), [longReply](const QJsonObject&) { return longReply; });
        camera.setReplyShape(shape);
        camera.plug();
        startManager();
        const QByteArray longRequest = QJsonDocument(QJsonObject{{"id", 7}, {"method", "long"}}).toJson();
        const QByteArray result = exchange(jsonRequest(longRequest)).value(QStringLiteral("RESULT")).toByteArray();
        if (taken)
            QCOMPARE(result, longReply);
        else
            QVERIFY(QJsonDocument::fromJson(result).isNull());
        camera.setReplyShape({});
        QCOMPARE(replyId(exchange(jsonRequest(requestWithId(8)))), 8);
        QCOMPARE(replyId(exchange(jsonRequest(requestWithId(9)))), 9);
    }

    // The worker calls the concrete manager's overrides; destroying a manager right
    // after posting to it must never leave the worker calling into a half-destroyed one.
    // A manager destroyed with requests still queued leaves the camera free and its
    // pipe in step: the next manager's exchange gets its own answer.
    void destroyingAManagerRightAfterPostingIsSafe()
    {
        camera.plug();
        for (int round = 0; round < 200; ++round) {
            auto doomed = std::make_unique<evkmanager>();
            doomed->postCommand(jsonRequest(requestWithId(round)));
            doomed->postCommand(jsonRequest(requestWithId(round + 1)));
        }
        startManager();
        const EL_CMD reply = exchange(jsonRequest(requestWithId(999)));
        QCOMPARE(reply.value(QStringLiteral("RESULT")).toByteArray(), QByteArrayLiteral("{\"id\":999}"));
    }

    void notificationWidgetReportsOnlyDeviceArrivalAndRemoval()
    {
        ClWidgetReceiveNotifyEvent widget;
        QSignalSpy changes(&widget, &ClWidgetReceiveNotifyEvent::sigChangeDevice);
        const int other = camera.plug(otherDevice());
        QVERIFY(changes.wait(2000));
        camera.addInterfaceOf(other);
        camera.sendEvent(other, "change");
        camera.sendEvent(other, "bind");
        QVERIFY(nothingHappensWithin(300, [&] { return changes.count() > 1; }));
        camera.unplug(other);
        QTRY_COMPARE(changes.count(), 2);
        QVERIFY(nothingHappensWithin(100, [&] { return changes.count() > 2; }));
    }

    // The controllers follow the bus's own listing, which in libusb 0.1 puts the device
    // numbered last first; the first listed carries the traffic.
    void twoCamerasAreOpenedInBusOrderAndTheFirstCarriesTheTraffic()
    {
        const int first = camera.plug();
        const int second = camera.plug();
        startManager();
        QCOMPARE(manager->controllers().size(), 2);
        QCOMPARE(manager->controllers().at(0)->deviceKey(), camera.busPath(second));
        QCOMPARE(manager->controllers().at(1)->deviceKey(), camera.busPath(first));
        exchange(jsonRequest(requestWithId(5)));
        const QList<EmulatedOutTransfer> out = camera.outTransfers();
        QCOMPARE(out.size(), 2);
        QCOMPARE(out.at(0).device, second);
        QCOMPARE(out.at(1).device, second);
    }
};

RAVELO_TEST_MAIN(TestUsbManager)
#include "tst_usbmanager.moc"
