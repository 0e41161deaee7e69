#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVector>

#include <usb.h>

// One opened camera: its claimed interfaces, its endpoints, and single bulk transfers.
class ClLibUsbController : public QObject
{
    Q_OBJECT

public:
    enum Result {
        Success = 0,
        IoError = -1000,
        Busy = -1002,
        TimedOut = -1003,
        OtherFailure = -1005,
        NotOpen = -1006,
    };
    static constexpr unsigned char NoEndpoint = 255;
    static constexpr int ReadBufferSize = 1024;

    explicit ClLibUsbController(struct usb_device* device);
    ~ClLibUsbController() override;

    bool open();
    void close();
    bool isOpen() const;
    // Why the last open failed, as an errno value; 0 after a successful open.
    int openError() const;

    virtual unsigned char findEndpoint(int type, int address);
    int bulkWrite(const QByteArray& data, int timeout, int endpoint);
    int bulkRead(QByteArray& out, int timeout, int endpoint);

    // Bus and device file names: the device's identity across rescans, which outlives
    // the library's record of it.
    QString deviceKey() const;
    static QString deviceKeyOf(const struct usb_device* device);

    QVector<int> claimedInterfaces() const;

    // Fails a transfer that is stuck in the library, for shutting down.
    void resetDevice();

signals:
    void sigClose(ClLibUsbController* pController);

private:
    bool claimInterfaces();
    void collectEndpoints(const struct usb_interface& interface);
    static int mapResult(int libraryResult);

    struct usb_device* m_device;
    usb_dev_handle* m_handle = nullptr;
    QVector<struct usb_endpoint_descriptor> m_endpoints;
    QVector<int> m_claimedInterfaces;
    QString m_deviceKey;
    int m_openError = 0;
};
