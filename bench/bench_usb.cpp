// USB link figures, on the real libusb against the emulated camera:
//  - median round trip of a request through the command sender, the worker thread
//    and back to a receiving slot, against the floor of the same emulated exchange
//    done with synchronous bulk calls on one thread;
//  - CPU time used in 10 s idle on the preparation screen with the camera attached.
// Run under umockdev-wrapper.
#include "EmulatedCamera.h"
#include "screens/MyApplication.h"
#include "command/UsbUtil.h"
#include "screens/PreparationWindow.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QTextStream>
#include <QtEndian>

#include <algorithm>
#include <sys/resource.h>
#include <usb.h>
#include <vector>

namespace {
constexpr int Requests = 300;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

QByteArray header(int length)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian<qint32>(length, bytes.data());
    return bytes;
}

usb_dev_handle* openCameraDirectly()
{
    usb_init();
    usb_find_busses();
    usb_find_devices();
    for (struct usb_bus* bus = usb_get_busses(); bus; bus = bus->next) {
        for (struct usb_device* device = bus->devices; device; device = device->next) {
            if (device->descriptor.idVendor == 0x4255) {
                usb_dev_handle* handle = usb_open(device);
                usb_claim_interface(handle, 0);
                return handle;
            }
        }
    }
    return nullptr;
}

double floorMedianMs(const QByteArray& request)
{
    usb_dev_handle* handle = openCameraDirectly();
    std::vector<double> times;
    char buffer[1024];
    QByteArray head = header(request.size());
    QByteArray body = request;
    for (int i = 0; i < Requests; ++i) {
        QElapsedTimer timer;
        timer.start();
        usb_bulk_write(handle, 0x01, head.data(), head.size(), 0);
        usb_bulk_write(handle, 0x01, body.data(), body.size(), 0);
        usb_bulk_read(handle, 0x81, buffer, sizeof(buffer), 0);
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    usb_release_interface(handle, 0);
    usb_close(handle);
    return median(times);
}

class Receiver : public QObject
{
    Q_OBJECT

public:
    QEventLoop loop;

public slots:
    void receiveCmd(EL_CMD cmd)
    {
        if (commandOf(cmd) == CMD_JSON_RPC)
            loop.quit();
    }
};

double senderMedianMs(const QByteArray& request)
{
    Receiver receiver;
    UsbUtil::instance()->connectCommand(&receiver, "1receiveCmd(EL_CMD)");
    std::vector<double> times;
    for (int i = 0; i < Requests; ++i) {
        QElapsedTimer timer;
        timer.start();
        UsbUtil::instance()->send(request);
        receiver.loop.exec();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    UsbUtil::instance()->disconnectCommand(&receiver, "1receiveCmd(EL_CMD)");
    return median(times);
}

double cpuSeconds()
{
    struct rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    EmulatedCamera camera;
    camera.plug();
    MyApplication app(argc, argv);
    QTextStream out(stdout);

    const QByteArray request =
        QByteArrayLiteral("{\n    \"id\": 101,\n    \"jsonrpc\": \"2.0\",\n    \"method\": \"getAPList\",\n"
                          "    \"params\": [\n        {\n            \"param1\": 1\n        }\n    ]\n}\n");
    const double floor = floorMedianMs(request);
    PreparationWindow preparation;
    preparation.show();
    const double sender = senderMedianMs(request);
    out << QString::asprintf("round trip median over %d requests: sender %.3f ms, direct floor %.3f ms, ratio %.2f "
                             "(target <= 1.5)\n",
                             Requests, sender, floor, sender / floor);
    out.flush();

    const double before = cpuSeconds();
    QEventLoop idle;
    QTimer::singleShot(10000, &idle, &QEventLoop::quit);
    idle.exec();
    out << QString::asprintf("CPU time in 10 s idle on the preparation screen with the camera attached: %.1f ms "
                             "(target < 10 ms)\n",
                             (cpuSeconds() - before) * 1000.0);
    return 0;
}

#include "bench_usb.moc"
