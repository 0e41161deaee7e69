#pragma once

#include "ElCmd.h"

#include <QList>
#include <QMap>
#include <QMutex>
#include <QThread>
#include <QVector>

#include <atomic>
#include <cstdint>

class ClLibUsbController;
class ClWidgetReceiveNotifyEvent;
class QEventLoop;
class QTimer;

struct VidPid {
    uint16_t vendorId;
    uint16_t productId;
};

// Owns the camera link: a worker thread carries queued requests to the first open
// camera one at a time; on the GUI thread, device notifications rescan the bus.
class AbstLibUsbManager : public QThread
{
    Q_OBJECT

public:
    explicit AbstLibUsbManager(QObject* parent = nullptr);
    ~AbstLibUsbManager() override;

    void postCommand(EL_CMD cmd);

    virtual bool startUsb();
    virtual bool isStarted();
    virtual bool hasDevice();
    virtual QList<ClLibUsbController*> controllers();
    virtual QVector<VidPid> supportedDevices() = 0;
    virtual int connectWaitInterval();
    // Why a supported camera on the bus could not be opened (errno); 0 when none failed.
    int openFailure() const;

signals:
    void sigCommand(EL_CMD cmd);

protected slots:
    void slotRemoveController(ClLibUsbController* pController);
    void slotOpenDevice();
    virtual void slotConnectWaitEnd();

protected:
    // Stops the worker, then closes the cameras. A concrete manager calls it first in
    // its destructor: the worker calls the concrete overrides, which must outlive it.
    void shutdown();

    void run() override;
    virtual void closeAllControllers();
    virtual int execControl(const QUuid& command);
    virtual void notifyDeviceOpened(ClLibUsbController* controller);
    virtual bool acceptCommand(const EL_CMD& cmd) = 0;
    virtual void executeCommand(EL_CMD cmd) = 0;

    // The first open camera, reserved for one exchange: a rescan meanwhile defers its
    // destruction until releaseController() hands it back. Null when no camera is open.
    ClLibUsbController* acquireFirstController();
    void releaseController(ClLibUsbController* controller);

private:
    // The waiter is known by its ticket only: the loop lives on the caller's stack and
    // may be gone (the application quit) by the time the worker is done.
    struct ControlRecord {
        EL_CMD cmd;
        int ticket;
    };

    bool performControl();
    bool mayScanAtStart();
    void finishControl(int ticket, int result);
    void drainCommands();
    void scanBus();
    bool isSupported(const struct usb_device* device, const QVector<VidPid>& ids) const;
    ClLibUsbController* controllerFor(const QString& deviceKey) const;
    void addController(ClLibUsbController* controller);
    void cancelQueued(const EL_CMD& cancel);
    void setOpenFailure(int code);
    void dropQueued(QObject* controller);
    void stopWorker();

    // Set by the worker during start-up, read by device notifications on the GUI thread.
    std::atomic<bool> m_started{false};
    std::atomic<int> m_openFailure{0};

    // Shared by the worker and the GUI thread: everything below up to the next mutex is
    // read and written only with m_mutex held.
    mutable QMutex m_mutex;
    ClWidgetReceiveNotifyEvent* m_notifyWidget = nullptr;
    QList<ClLibUsbController*> m_controllers;
    QList<ControlRecord> m_controlQueue;
    QList<EL_CMD> m_commandQueue;
    // Controllers opened but not yet announced, by the timer that will announce them;
    // the start-up scan adds them on the worker.
    QMap<QTimer*, ClLibUsbController*> m_pendingAnnounce;
    bool m_executing = false; // the head of m_commandQueue is being carried out
    bool m_workerStopping = false; // the worker ends once its queues are empty
    // The controller the worker holds for one exchange, and whether it was removed
    // meanwhile (it is then deleted when handed back).
    ClLibUsbController* m_busyController = nullptr;
    bool m_busyControllerRetired = false;

    // Scans come from the worker (start-up) and from the GUI thread (notifications);
    // they must never overlap.
    QMutex m_scanMutex;

    // GUI thread only.
    QMap<int, QEventLoop*> m_controlWaiters; // callers waiting in execControl, by ticket
    int m_lastTicket = 0;
    bool m_shutDownCalled = false;
};
