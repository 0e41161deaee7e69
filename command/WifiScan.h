#pragma once

#include "UsbUtil.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

class QJsonObject;

// One Wi-Fi scan by the camera: the scan request, then the result page by page, with a
// pause before each page request (the camera needs it) and a time-out on the whole.
// It says which request to send next and is told of every camera reply; the list
// window sends the requests and shows what it reports.
class WifiScan : public QObject
{
    Q_OBJECT

public:
    // How long a whole scan may take, and the pause the camera gets before each page
    // request. Tests and benchmarks shorten them.
    struct Timings {
        int scanTimeoutMs = 60000;
        int pauseMs = 5000;
    };
    // The camera lists at most this many networks per page.
    static constexpr int NetworksPerPage = 5;

    explicit WifiScan(QObject* parent = nullptr);
    const Timings& timings() const;

    // Applies at once, to a scan already running too.
    void setTimings(const Timings& timings);

    // Starts a new scan; whatever an earlier one was waiting for is forgotten.
    void start();
    // Abandons the scan: nothing more is sent and nothing more is reported.
    void stop();
    // Any reply from the camera; replies that are not the scan's are ignored.
    void takeReply(const QJsonObject& reply);

signals:
    // Send "execAPList", and "getAPList" with this id and page.
    void scanRequested();
    void pageRequested(int requestId, int pageIndex);
    // The names of one page, empty names left out, in the camera's order.
    void networksFound(const QStringList& names);
    // Another page is on its way.
    void pageAwaited();
    void finished();
    void timedOut();

private:
    void pauseBeforeNextPage(bool advance);
    void pauseEnded();
    void takePage(const QJsonObject& reply);
    void timeOut();

    Timings m_timings;
    int m_requestId = UsbUtil::ApListBand; // id of the last page request
    int m_pageIndex = 0; // page number of the last page request
    QTimer m_timeout; // on the whole scan, while it runs
    bool m_timedOut = false; // while set, page replies are ignored
    // The pause between a reply and the next page request. Replies only ever start
    // the next step when no pause is pending, so one scan never turns into two.
    QTimer m_pause;
    bool m_advanceAfterPause = false;
    bool m_awaitingScanStart = false;
};
