#pragma once

#include "WebClientWindow.h"
#include "desktop/WifiAccessPoint.h"
#include "usb/ElCmd.h"

#include <QModelIndex>

class CameraListener;
class QStandardItem;
class QStandardItemModel;
class WifiScan;

namespace Ui {
class WifiListWindow;
}

// Lists the Wi-Fi networks the camera's scan finds and lets the user pick one (or
// choose to type one). The scan itself runs in a WifiScan that this window drives.
class WifiListWindow : public WebClientWindow
{
    Q_OBJECT

public:
    explicit WifiListWindow(QWidget* parent = nullptr);
    ~WifiListWindow() override;

    void sendRequest(QByteArray request) override;
    WifiScan& wifiScan();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void handleReplySuccess(ServiceReply* reply) override;
    void handleHttpError(int statusCode, ServiceReply* reply) override;
    void handleNetworkError(int errorCode, ServiceReply* reply) override;

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
    // Unusable: the camera is plugged in but cannot be used (another program has it, or
    // it answers nothing usable); refresh tries again.
    enum class ListState { Ready, Searching, Found, NoneFound, TimedOut, NoCamera, Unusable };

    void showState(ListState state);
    QString stateText(ListState state) const;
    void listenToScan();
    void appendNames(const QStringList& names);
    void showScanFinished();
    void showScanTimedOut();
    void showUnusable(const QString& reason);
    void showCameraOpened();
    void showNoCamera();
    void openSettingsFor(const QString& networkName);
    void followSelection();
    void suggest(const QString& pcNetwork);
    void markIfPcNetwork(QStandardItem* item);
    void sayWhyPcNetworkIsMissing();

    Ui::WifiListWindow* ui;
    QString m_searchingText;
    QString m_unusableReason;
    QStandardItemModel* m_model;
    WifiScan* m_scan;
    CameraListener* m_camera;
    // The network this PC is on, once known: its rows are marked, and the first one is
    // picked unless the user has picked another.
    QString m_pcNetwork;
    // What the PC's Wi-Fi device sees, once it has answered; and whether the camera's
    // list is complete. Together they tell why the PC's network may be missing.
    WifiAccessPoints m_seenByPc;
    bool m_pcHasLooked = false;
    bool m_listComplete = false;
};
