#include "AbstLibUsbManager.h"

#include "ClLibUsbController.h"
#include "ClWidgetReceiveNotifyEvent.h"

#include <QEventLoop>
#include <QMutexLocker>
#include <QTimer>

#include <usb.h>

namespace {
constexpr int ShutdownWaitMs = 1000;
}

AbstLibUsbManager::AbstLibUsbManager(QObject* parent)
    : QThread(parent)
{
    registerElCmdType();
    m_notifyWidget = new ClWidgetReceiveNotifyEvent;
    connect(m_notifyWidget, &ClWidgetReceiveNotifyEvent::sigChangeDevice, this, &AbstLibUsbManager::slotOpenDevice);
    start(QThread::InheritPriority);
}

AbstLibUsbManager::~AbstLibUsbManager()
{
    shutdown();
}

void AbstLibUsbManager::shutdown()
{
    if (m_shutDownCalled)
        return;
    m_shutDownCalled = true;
    ClWidgetReceiveNotifyEvent* notifyWidget = nullptr;
    {
        QMutexLocker lock(&m_mutex);
        std::swap(notifyWidget, m_notifyWidget);
        m_controlQueue.clear();
    }
    delete notifyWidget;
    dropQueued(nullptr);
    QMap<QTimer*, ClLibUsbController*> pending;
    {
        QMutexLocker lock(&m_mutex);
        std::swap(pending, m_pendingAnnounce);
    }
    qDeleteAll(pending.keys());
    stopWorker();
    closeAllControllers();
    for (QEventLoop* waiter : qAsConst(m_controlWaiters))
        waiter->exit(0);
}

// A transfer has no time-out, so a camera that never answers would keep the worker
// forever. After the grace period the device is reset, which fails the transfer in
// the library; only then are the controllers destroyed.
void AbstLibUsbManager::stopWorker()
{
    {
        QMutexLocker lock(&m_mutex);
        m_workerStopping = true;
    }
    exit(0);
    if (wait(ShutdownWaitMs))
        return;
    {
        QMutexLocker lock(&m_mutex);
        if (m_busyController)
            m_busyController->resetDevice();
    }
    wait();
}

void AbstLibUsbManager::postCommand(EL_CMD cmd)
{
    if (commandOf(cmd) == CMD_CANCEL) {
        cancelQueued(cmd);
        return;
    }
    if (!acceptCommand(cmd))
        return;
    QMutexLocker lock(&m_mutex);
    m_commandQueue.append(cmd);
    if (m_commandQueue.size() == 1)
        quit();
}

void AbstLibUsbManager::cancelQueued(const EL_CMD& cancel)
{
    dropQueued(cancel.value(ElCmdKey::Controller).value<QObject*>());
}

// The request the worker has started stays at the head of the queue until it is answered.
void AbstLibUsbManager::dropQueued(QObject* controller)
{
    QMutexLocker lock(&m_mutex);
    const int firstRemovable = m_executing ? 1 : 0;
    for (int i = m_commandQueue.size() - 1; i >= firstRemovable; --i) {
        if (!controller || m_commandQueue.at(i).value(ElCmdKey::Controller).value<QObject*>() == controller)
            m_commandQueue.removeAt(i);
    }
}

bool AbstLibUsbManager::startUsb()
{
    if (m_started)
        return true;
    return execControl(CMD_START_USB) != 0;
}

bool AbstLibUsbManager::isStarted()
{
    return m_started;
}

bool AbstLibUsbManager::hasDevice()
{
    QMutexLocker lock(&m_mutex);
    return !m_controllers.isEmpty();
}

QList<ClLibUsbController*> AbstLibUsbManager::controllers()
{
    QMutexLocker lock(&m_mutex);
    return m_controllers;
}

int AbstLibUsbManager::connectWaitInterval()
{
    return 0;
}

int AbstLibUsbManager::execControl(const QUuid& command)
{
    QEventLoop loop;
    const int ticket = ++m_lastTicket;
    m_controlWaiters.insert(ticket, &loop);
    EL_CMD cmd;
    cmd.insert(ElCmdKey::Command, QVariant::fromValue(command));
    {
        QMutexLocker lock(&m_mutex);
        m_controlQueue.append({cmd, ticket});
    }
    quit();
    const int result = loop.exec();
    m_controlWaiters.remove(ticket);
    return result;
}

// GUI thread. A waiter that already gave up (its loop ended with the application)
// is no longer listed, and the result goes nowhere.
void AbstLibUsbManager::finishControl(int ticket, int result)
{
    if (QEventLoop* waiter = m_controlWaiters.value(ticket))
        waiter->exit(result);
}

void AbstLibUsbManager::notifyDeviceOpened(ClLibUsbController* controller)
{
    EL_CMD cmd;
    cmd.insert(ElCmdKey::Command, QVariant::fromValue(CMD_OPEN_DEVICE));
    cmd.insert(ElCmdKey::Device, QVariant::fromValue(static_cast<void*>(controller)));
    emit sigCommand(cmd);
}

void AbstLibUsbManager::run()
{
    forever
    {
        exec();
        const bool didControl = performControl();
        QMutexLocker lock(&m_mutex);
        const bool hadCommands = !m_commandQueue.isEmpty();
        lock.unlock();
        drainCommands();
        lock.relock();
        if (!didControl && !hadCommands && m_workerStopping)
            return;
    }
}

bool AbstLibUsbManager::performControl()
{
    QMutexLocker lock(&m_mutex);
    if (m_controlQueue.isEmpty())
        return false;
    const ControlRecord record = m_controlQueue.takeFirst();
    lock.unlock();

    int result = 0;
    if (commandOf(record.cmd) == CMD_START_USB) {
        usb_init();
        if (mayScanAtStart()) {
            m_started = true;
            scanBus();
            result = 1;
        }
    }
    // Posted to this object's thread: it runs once the caller's loop is running, and
    // not at all if the manager is gone by then.
    QMetaObject::invokeMethod(
        this, [this, ticket = record.ticket, result] { finishControl(ticket, result); }, Qt::QueuedConnection);
    return true;
}

bool AbstLibUsbManager::mayScanAtStart()
{
    QMutexLocker lock(&m_mutex);
    return m_notifyWidget && !m_workerStopping;
}

void AbstLibUsbManager::drainCommands()
{
    QMutexLocker lock(&m_mutex);
    while (!m_commandQueue.isEmpty()) {
        const EL_CMD head = m_commandQueue.first();
        m_executing = true;
        lock.unlock();
        executeCommand(head);
        lock.relock();
        m_executing = false;
        m_commandQueue.removeFirst();
    }
}

ClLibUsbController* AbstLibUsbManager::acquireFirstController()
{
    QMutexLocker lock(&m_mutex);
    m_busyController = m_controllers.value(0, nullptr);
    m_busyControllerRetired = false;
    return m_busyController;
}

void AbstLibUsbManager::releaseController(ClLibUsbController* controller)
{
    QMutexLocker lock(&m_mutex);
    const bool retired = m_busyControllerRetired && controller == m_busyController;
    m_busyController = nullptr;
    m_busyControllerRetired = false;
    lock.unlock();
    if (retired)
        controller->deleteLater();
}

void AbstLibUsbManager::slotOpenDevice()
{
    if (!isStarted())
        return;
    scanBus();
}

void AbstLibUsbManager::scanBus()
{
    QMutexLocker scanLock(&m_scanMutex);
    const QVector<VidPid> ids = supportedDevices();
    usb_find_busses();
    usb_find_devices();
    QList<ClLibUsbController*> stale = controllers();
    int failure = 0;

    for (struct usb_bus* bus = usb_get_busses(); bus; bus = bus->next) {
        for (struct usb_device* device = bus->devices; device; device = device->next) {
            if (!isSupported(device, ids))
                continue;
            if (ClLibUsbController* existing = controllerFor(ClLibUsbController::deviceKeyOf(device))) {
                stale.removeOne(existing);
                continue;
            }
            auto* controller = new ClLibUsbController(device);
            if (controller->open()) {
                addController(controller);
            } else {
                failure = failure != 0 ? failure : controller->openError();
                delete controller;
            }
        }
    }
    for (ClLibUsbController* controller : qAsConst(stale))
        slotRemoveController(controller);
    setOpenFailure(failure);
}

int AbstLibUsbManager::openFailure() const
{
    return m_openFailure;
}

// Announced when it changes, so that a screen can say why a camera that is plugged in
// does not open, and stop saying it once it does or is gone.
void AbstLibUsbManager::setOpenFailure(int code)
{
    if (m_openFailure.exchange(code) == code)
        return;
    EL_CMD cmd;
    cmd.insert(ElCmdKey::Command, QVariant::fromValue(CMD_OPEN_FAILED));
    cmd.insert(ElCmdKey::Error, code);
    emit sigCommand(cmd);
}

bool AbstLibUsbManager::isSupported(const struct usb_device* device, const QVector<VidPid>& ids) const
{
    for (const VidPid& id : ids) {
        if (device->descriptor.idVendor == id.vendorId && device->descriptor.idProduct == id.productId)
            return true;
    }
    return false;
}

// The worker may remove a controller (on a failed transfer) while a notification's
// scan on the GUI thread looks the list up.
ClLibUsbController* AbstLibUsbManager::controllerFor(const QString& deviceKey) const
{
    QMutexLocker lock(&m_mutex);
    for (ClLibUsbController* controller : m_controllers) {
        if (controller->deviceKey() == deviceKey)
            return controller;
    }
    return nullptr;
}

void AbstLibUsbManager::addController(ClLibUsbController* controller)
{
    // The start-up scan runs on the worker; controllers belong to the GUI thread.
    if (controller->thread() != thread())
        controller->moveToThread(thread());
    {
        QMutexLocker lock(&m_mutex);
        m_controllers.append(controller);
    }
    connect(controller, &ClLibUsbController::sigClose, this, &AbstLibUsbManager::slotRemoveController,
            Qt::DirectConnection);
    if (connectWaitInterval() <= 0) {
        notifyDeviceOpened(controller);
        return;
    }
    auto* timer = new QTimer;
    timer->setSingleShot(true);
    if (timer->thread() != thread())
        timer->moveToThread(thread());
    {
        QMutexLocker lock(&m_mutex);
        m_pendingAnnounce.insert(timer, controller);
    }
    connect(timer, &QTimer::timeout, this, &AbstLibUsbManager::slotConnectWaitEnd);
    QMetaObject::invokeMethod(timer, "start", Qt::QueuedConnection, Q_ARG(int, connectWaitInterval()));
}

void AbstLibUsbManager::slotConnectWaitEnd()
{
    auto* timer = qobject_cast<QTimer*>(sender());
    ClLibUsbController* controller = nullptr;
    {
        QMutexLocker lock(&m_mutex);
        controller = m_pendingAnnounce.take(timer);
    }
    if (!controller)
        return;
    notifyDeviceOpened(controller);
    timer->deleteLater();
}

void AbstLibUsbManager::slotRemoveController(ClLibUsbController* pController)
{
    QMutexLocker lock(&m_mutex);
    if (!m_controllers.removeOne(pController))
        return;
    const bool inUse = pController == m_busyController;
    if (inUse)
        m_busyControllerRetired = true;
    lock.unlock();

    EL_CMD cmd;
    cmd.insert(ElCmdKey::Command, QVariant::fromValue(CMD_CLOSE_DEVICE));
    cmd.insert(ElCmdKey::Device, QVariant::fromValue(static_cast<void*>(pController)));
    emit sigCommand(cmd);
    if (!inUse)
        delete pController;
}

void AbstLibUsbManager::closeAllControllers()
{
    QMutexLocker lock(&m_mutex);
    while (!m_controllers.isEmpty()) {
        ClLibUsbController* controller = m_controllers.takeFirst();
        if (QTimer* timer = m_pendingAnnounce.key(controller)) {
            m_pendingAnnounce.remove(timer);
            delete timer;
        }
        lock.unlock();
        disconnect(controller, nullptr, this, nullptr);
        delete controller;
        lock.relock();
    }
}
