#include "WifiScan.h"

#include "usb/UsbLog.h"

#include <QJsonArray>
#include <QJsonObject>

WifiScan::WifiScan(QObject* parent)
    : QObject(parent)
{
    m_pause.setSingleShot(true);
    m_pause.setTimerType(Qt::PreciseTimer);
    m_pause.setInterval(m_timings.pauseMs);
    connect(&m_pause, &QTimer::timeout, this, &WifiScan::pauseEnded);
    m_timeout.setSingleShot(true);
    m_timeout.setTimerType(Qt::CoarseTimer);
    connect(&m_timeout, &QTimer::timeout, this, &WifiScan::timeOut);
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
    if (m_timeout.isActive())
        m_timeout.start(timings.scanTimeoutMs);
}

void WifiScan::start()
{
    stop();
    m_timedOut = false;
    m_requestId = UsbUtil::ApListBand;
    m_pageIndex = 0;
    m_timeout.start(m_timings.scanTimeoutMs);
    m_awaitingScanStart = true;
    emit scanRequested();
}

void WifiScan::stop()
{
    m_timeout.stop();
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
    if (m_timedOut) {
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
        m_timeout.stop();
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
        ++m_pageIndex;
        ++m_requestId;
    }
    emit pageRequested(m_requestId, m_pageIndex);
}

void WifiScan::timeOut()
{
    qCDebug(lcUsb) << "Time out!";
    m_timedOut = true;
    emit timedOut();
}
