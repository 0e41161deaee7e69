#pragma once

#include "WebClientWindow.h"
#include "usb/ElCmd.h"

#include <QModelIndex>
#include <QTimer>

class QStandardItem;
class QStandardItemModel;

namespace Ui {
class WifiListWindow;
}

// Has the camera scan for Wi-Fi access points, fetches the result page by page and
// lets the user pick a network (or choose to type one).
class WifiListWindow : public WebClientWindow
{
    Q_OBJECT

public:
    // How long a whole scan may take, and the pause the camera gets before each page
    // request. Only tests and benchmarks change them.
    struct Timings {
        int scanTimeoutMs = 60000;
        int pauseMs = 5000;
    };
    static void setTimings(const Timings& timings);

    explicit WifiListWindow(QWidget* parent = nullptr);
    ~WifiListWindow() override;

    void sendRequest(QByteArray request) override;

protected:
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void handleReplySuccess(QNetworkReply* reply) override;
    void handleHttpError(int statusCode, QNetworkReply* reply) override;
    void handleNetworkError(int errorCode, QNetworkReply* reply) override;

private slots:
    void on_button_connect_wifi_clicked();
    void on_button_connect_wifi_pressed();
    void on_button_connect_wifi_released();
    void on_button_connect_wifi_other_clicked();
    void on_button_connect_wifi_other_pressed();
    void on_button_connect_wifi_other_released();
    void on_button_refresh_clicked();
    void receiveCmd(EL_CMD cmd);
    void on_listView_clicked(QModelIndex index);

private:
    void startScan();
    void sendPageRequest();
    void pauseBeforeNextPage(bool advance);
    void pauseEnded();
    void handleScanStarted();
    void handlePage(const QJsonObject& reply);
    void appendNames(const QJsonObject& list);
    void finishScan();
    void showNoCamera();
    void stopScanTimer();
    void leaveFor(const QString& networkName);
    void followSelection();
    void suggest(const QString& pcNetwork);
    void markIfPcNetwork(QStandardItem* item);

    static Timings s_timings;

    Ui::WifiListWindow* ui;
    int requestId = 100;
    int pageIndex = 0;
    int scanTimerId = 0;
    bool scanTimedOut = false;
    QString searchingText;
    QStandardItemModel* m_model;
    // The network this PC is on, once known: its rows are marked, and the first one is
    // picked unless the user has picked another.
    QString m_pcNetwork;

    // The pause between a reply and the next page request. It must not block the
    // window, and it is cancelled whenever the scan it belongs to is abandoned.
    QTimer m_pause;
    bool m_advanceAfterPause = false;
    bool m_awaitingScanStart = false;
};
