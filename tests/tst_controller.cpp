// The device controller against an emulated camera on the real libusb.
#include "EmulatedCamera.h"
#include "TestMain.h"
#include "usb/ClLibUsbController.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <usb.h>

namespace {
struct usb_device* findDevice(uint16_t vendor, uint16_t product, int nth = 0)
{
    usb_find_busses();
    usb_find_devices();
    for (struct usb_bus* bus = usb_get_busses(); bus; bus = bus->next) {
        for (struct usb_device* device = bus->devices; device; device = device->next) {
            if (device->descriptor.idVendor == vendor && device->descriptor.idProduct == product && nth-- == 0)
                return device;
        }
    }
    return nullptr;
}

QByteArray littleEndian(int value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((value >> (8 * i)) & 0xff);
    return bytes;
}
}

class TestController : public QObject
{
    Q_OBJECT

    EmulatedCamera camera;
    int plugged = 0;

    std::unique_ptr<ClLibUsbController> openCamera(const EmulatedDeviceShape& shape = EmulatedDeviceShape())
    {
        plugged = camera.plug(shape);
        struct usb_device* device = findDevice(shape.vendorId, shape.productId);
        if (!device)
            return nullptr;
        auto controller = std::make_unique<ClLibUsbController>(device);
        return controller;
    }

private slots:
    void initTestCase() { usb_init(); }

    void cleanup()
    {
        camera.unplug();
        camera.resetBehaviour();
        camera.clearRecords();
    }

    void writesAndReadsOnTheFirstBulkEndpoints()
    {
        auto controller = openCamera();
        QVERIFY(controller);
        QVERIFY(controller->open());
        camera.setRawReply(QStringLiteral("ping"), QByteArrayLiteral("{\"id\":7}"));

        const QByteArray request = QByteArrayLiteral("{\"id\":7,\"method\":\"ping\"}");
        QCOMPARE(controller->bulkWrite(littleEndian(request.size()), 0, 0), 0);
        QCOMPARE(controller->bulkWrite(request, 0, 0), 0);
        QByteArray reply("untouched");
        QCOMPARE(controller->bulkRead(reply, 0, 0), 0);

        QCOMPARE(reply, QByteArrayLiteral("{\"id\":7}"));
        const QList<EmulatedOutTransfer> out = camera.outTransfers();
        QCOMPARE(out.size(), 2);
        QCOMPARE(out.at(0).bytes, littleEndian(request.size()));
        QCOMPARE(out.at(1).bytes, request);
        QCOMPARE(int(out.at(0).endpoint), 0x01);
    }

    void zeroByteWriteCountsAsFailure()
    {
        auto controller = openCamera();
        QVERIFY(controller->open());
        QCOMPARE(controller->bulkWrite(QByteArray(), 0, 0), int(ClLibUsbController::OtherFailure));
    }

    void readsAtMost1024BytesInOneTransfer()
    {
        auto controller = openCamera();
        QVERIFY(controller->open());
        const QByteArray longReply(1500, 'x');
        camera.setRawReply(QStringLiteral("long"), longReply);
        const QByteArray request = QByteArrayLiteral("{\"method\":\"long\"}");
        controller->bulkWrite(littleEndian(request.size()), 0, 0);
        controller->bulkWrite(request, 0, 0);
        QByteArray reply;
        QCOMPARE(controller->bulkRead(reply, 0, 0), 0);
        QCOMPARE(reply, longReply.left(1024));
    }

    void endpointChoiceSkipsInterruptEndpoints()
    {
        EmulatedDeviceShape shape;
        shape.interfaces = {{{{0x02, 3}, {0x03, 2}, {0x04, 2}, {0x85, 3}, {0x86, 2}, {0x87, 2}}, true}};
        auto controller = openCamera(shape);
        QVERIFY(controller->open());
        QCOMPARE(int(controller->findEndpoint(2, 0x00)), 0x03);
        QCOMPARE(int(controller->findEndpoint(2, 0x80)), 0x86);
        QCOMPARE(int(controller->findEndpoint(3, 0x80)), 0x85);
        QCOMPARE(int(controller->findEndpoint(3, 0x00)), 0x02);
        QCOMPARE(int(controller->findEndpoint(2, 0x87)), 0x87);
        QCOMPARE(int(controller->findEndpoint(1, 0x00)), 255);

        controller->bulkWrite(QByteArrayLiteral("abcd"), 0, 0);
        QCOMPARE(int(camera.outTransfers().value(0).endpoint), 0x03);
    }

    void noBulkEndpointGivesNotOpen()
    {
        EmulatedDeviceShape shape;
        shape.interfaces = {{{{0x81, 3}}, true}};
        auto controller = openCamera(shape);
        QVERIFY(controller->open());
        QByteArray out("kept");
        QCOMPARE(controller->bulkWrite(QByteArrayLiteral("x"), 0, 0), int(ClLibUsbController::NotOpen));
        QCOMPARE(controller->bulkRead(out, 0, 0), int(ClLibUsbController::NotOpen));
        QCOMPARE(out, QByteArrayLiteral("kept"));
    }

    void interfaceClaimingStopsAtTheFirstRefusal()
    {
        EmulatedDeviceShape firstRefused;
        firstRefused.interfaces = {{{{0x01, 2}, {0x81, 2}}, false}};
        auto refused = openCamera(firstRefused);
        QSignalSpy refusedClose(refused.get(), &ClLibUsbController::sigClose);
        QVERIFY(!refused->open());
        QVERIFY(!refused->isOpen());
        QCOMPARE(refusedClose.count(), 1);
        camera.unplug();

        EmulatedDeviceShape secondRefused;
        // The third would be claimable, but claiming stops at the second.
        secondRefused.interfaces = {
            {{{0x01, 2}, {0x81, 2}}, true}, {{{0x02, 2}, {0x82, 2}}, false}, {{{0x03, 2}, {0x83, 2}}, true}};
        auto controller = openCamera(secondRefused);
        QVERIFY(controller->open());
        QCOMPARE(controller->claimedInterfaces(), QVector<int>{0});
        QCOMPARE(camera.claimedInterfaces(plugged), QVector<int>{0});
        QCOMPARE(int(controller->findEndpoint(2, 0)), 0x01);
    }

    void closeReleasesAndAnnouncesOnce()
    {
        auto controller = openCamera();
        QSignalSpy closed(controller.get(), &ClLibUsbController::sigClose);
        QVERIFY(controller->open());
        QVERIFY(controller->open());
        QCOMPARE(camera.claimedInterfaces(plugged), QVector<int>{0});
        controller->close();
        QVERIFY(camera.claimedInterfaces(plugged).isEmpty());
        controller->close();
        QCOMPARE(closed.count(), 1);
        QCOMPARE(closed.at(0).at(0).value<ClLibUsbController*>(), controller.get());
        QVERIFY(!controller->isOpen());
    }

    void transfersFailAfterUnplug()
    {
        auto controller = openCamera();
        QVERIFY(controller->open());
        camera.unplug();
        QVERIFY(controller->bulkWrite(QByteArrayLiteral("abcd"), 0, 0) < 0);
        QByteArray out("kept");
        QCOMPARE(controller->bulkRead(out, 0, 0), 0);
        QCOMPARE(out, QByteArrayLiteral("kept"));
    }
};

RAVELO_TEST_MAIN(TestController)
#include "tst_controller.moc"
