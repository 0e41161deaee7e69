#include "WifiScan.h"

#include "usb/UsbLog.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTimerEvent>

WifiScan::WifiScan(QObject* parent)
    : QObject(parent)
{
    m_pause.setSingleShot(true);
    m_pause.setTimerType(Qt::PreciseTimer);
    m_pause.setInterval(m_timings.pauseMs);
    connect(&m_pause, &QTimer::timeout, this, &WifiScan::pauseEnded);
}

const WifiScan::Timings& WifiScan::timings() const
{
    return m_timings;
}

void WifiScan::setTimings(const Timings& timings)
{
    m_timings = timings;
    m_pause.setInterval(timings.pauseMs);
    if (m_pause.isActive())
        m_pause.start();
    if (scanTimerId != 0)
        startTimeout();
}

void WifiScan::start()
{
    stop();
    scanTimedOut = false;
    requestId = UsbUtil::ApListBand;
    pageIndex = 0;
    startTimeout();
    m_awaitingScanStart = true;
    emit scanRequested();
}

void WifiScan::stop()
{
    stopTimeout();
    m_pause.stop();
}

void WifiScan::takeReply(const QJsonObject& reply)
{
    if (m_pause.isActive())
        return;
    // The scan is running in the camera; its result is asked for page by page. This
    // follows a late reply after a time-out too.
    if (UsbUtil::isInBand(reply, UsbUtil::ExecApListId)) {
        m_awaitingScanStart = false;
        pauseBeforeNextPage(true);
    } else if (UsbUtil::isInBand(reply, UsbUtil::ApListBand) && !m_awaitingScanStart) {
        takePage(reply);
    }
}

void WifiScan::takePage(const QJsonObject& reply)
{
    const QJsonValue result = reply.value(QStringLiteral("result"));
    if (!result.isArray())
        return;
    if (scanTimedOut) {
        qCDebug(lcUsb) << "Not found AP!";
        return;
    }
    const QJsonObject wifiList = result.toArray().at(0).toObject().value(QStringLiteral("WifiList")).toObject();
    const int total = UsbUtil::intOf(wifiList.value(QStringLiteral("TotalPage"))).value_or(0);
    const int page = UsbUtil::intOf(wifiList.value(QStringLiteral("PageIndex"))).value_or(0);
    qCDebug(lcUsb) << QStringLiteral("Receive data PageIndex %1, TotalPage Code %2").arg(page).arg(total);
    const QJsonObject list = wifiList.value(QStringLiteral("List")).toObject();
    QStringList names;
    for (int i = 0; i < NetworksPerPage; ++i) {
        const QString name = list.value(QStringLiteral("ssid%1").arg(i)).toString();
        if (!name.isEmpty())
            names.append(name);
    }
    emit networksFound(names);
    if (total != 0 && page > total) {
        // A finished scan stays finished: the time-out no longer applies to it.
        stopTimeout();
        emit finished();
        return;
    }
    emit pageAwaited();
    pauseBeforeNextPage(total != 0);
}

void WifiScan::pauseBeforeNextPage(bool advance)
{
    m_advanceAfterPause = advance;
    m_pause.start();
}

void WifiScan::pauseEnded()
{
    if (m_advanceAfterPause) {
        ++pageIndex;
        ++requestId;
    }
    emit pageRequested(requestId, pageIndex);
}

void WifiScan::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != scanTimerId || scanTimerId == 0)
        return;
    qCDebug(lcUsb) << "Time out!";
    scanTimedOut = true;
    stopTimeout();
    emit timedOut();
}

void WifiScan::startTimeout()
{
    stopTimeout();
    scanTimerId = startTimer(m_timings.scanTimeoutMs, Qt::CoarseTimer);
}

void WifiScan::stopTimeout()
{
    if (scanTimerId != 0)
        killTimer(scanTimerId);
    scanTimerId = 0;
}
