#include "WifiListWindow.h"
#include "ui_WifiListWindow.h"

#include "ScreenFrame.h"
#include "ScreensLog.h"
#include "SettingsWiFiWindow.h"
#include "cloud/ConnectedWifi.h"
#include "command/UsbUtil.h"

#include <QIcon>
#include <QJsonArray>
#include <QStandardItemModel>
#include <QKeyEvent>
#include <QTimerEvent>

WifiListWindow::Timings WifiListWindow::s_timings;

void WifiListWindow::setTimings(const Timings& timings)
{
    s_timings = timings;
}

WifiListWindow::WifiListWindow(QWidget* parent)
    : WebClientWindow(parent)
    , ui(new Ui::WifiListWindow)
{
    ui->setupUi(this);
    m_model = new QStandardItemModel;
    ui->listView->setModel(m_model);
    // A row picked by keyboard (arrows, Home/End, type-ahead) counts as a click, and
    // Enter continues as the connect button does.
    connect(ui->listView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &WifiListWindow::followSelection);
    ui->listView->installEventFilter(this);
    searchingText = ui->label_content_2->text();
    m_pause.setSingleShot(true);
    m_pause.setTimerType(Qt::PreciseTimer);
    m_pause.setInterval(s_timings.pauseMs);
    connect(&m_pause, &QTimer::timeout, this, &WifiListWindow::pauseEnded);
    auto* connectedWifi = new ConnectedWifi(this);
    connect(connectedWifi, &ConnectedWifi::found, this, &WifiListWindow::suggest);
    connectedWifi->lookUp();

    UsbUtil::instance()->connectCommand(this, "1receiveCmd(EL_CMD)");
    if (UsbUtil::instance()->hasCamera()) {
        setCursor(Qt::WaitCursor);
        startScan();
    } else {
        qCDebug(lcScreens) << "Not found camera!";
        showNoCamera();
    }
}

WifiListWindow::~WifiListWindow()
{
    delete ui;
    delete m_model;
}

void WifiListWindow::sendRequest(QByteArray request)
{
    UsbUtil::instance()->send(request);
}

void WifiListWindow::handleReplySuccess(QNetworkReply*)
{
}

void WifiListWindow::handleHttpError(int, QNetworkReply*)
{
}

void WifiListWindow::handleNetworkError(int, QNetworkReply*)
{
}

void WifiListWindow::startScan()
{
    scanTimerId = startTimer(s_timings.scanTimeoutMs, Qt::CoarseTimer);
    m_awaitingScanStart = true;
    const QByteArray request = UsbUtil::instance()->execAPList();
    sendRequest(request);
}

void WifiListWindow::sendPageRequest()
{
    const QByteArray request = UsbUtil::instance()->getAPList(requestId, pageIndex);
    sendRequest(request);
}

void WifiListWindow::pauseBeforeNextPage(bool advance)
{
    m_advanceAfterPause = advance;
    m_pause.start();
}

void WifiListWindow::pauseEnded()
{
    if (m_advanceAfterPause) {
        ++pageIndex;
        ++requestId;
    }
    sendPageRequest();
}

void WifiListWindow::receiveCmd(EL_CMD cmd)
{
    if (ScreenFrame::hasLeft(this))
        return;
    const QUuid command = commandOf(cmd);
    if (command == CMD_OPEN_DEVICE) {
        qCDebug(lcScreens) << "Open USB device";
        ui->label_content_2->setText(QString());
        ui->button_refresh->setEnabled(true);
        ui->button_connect_wifi->setEnabled(false);
        ui->button_connect_wifi_other->setEnabled(true);
    } else if (command == CMD_CLOSE_DEVICE) {
        qCDebug(lcScreens) << "Close USB device";
        showNoCamera();
        setCursor(Qt::ArrowCursor);
    } else if (command == CMD_JSON_RPC) {
        const QJsonObject reply = UsbUtil::readReply(cmd);
        // Replies only ever start the next step when no pause is pending, so one
        // scan never turns into two.
        if (m_pause.isActive())
            return;
        if (UsbUtil::isInBand(reply, UsbUtil::ExecApListId))
            handleScanStarted();
        else if (UsbUtil::isInBand(reply, UsbUtil::ApListBand) && !m_awaitingScanStart)
            handlePage(reply);
    }
}

// The scan is running in the camera; its result is asked for page by page. This
// follows a late reply after a time-out too.
void WifiListWindow::handleScanStarted()
{
    m_awaitingScanStart = false;
    pauseBeforeNextPage(true);
}

void WifiListWindow::handlePage(const QJsonObject& reply)
{
    const QJsonValue result = reply.value(QStringLiteral("result"));
    if (!result.isArray())
        return;
    if (scanTimedOut) {
        qCDebug(lcScreens) << "Not found AP!";
        return;
    }
    const QJsonObject wifiList = result.toArray().at(0).toObject().value(QStringLiteral("WifiList")).toObject();
    const int total = UsbUtil::intOf(wifiList.value(QStringLiteral("TotalPage"))).value_or(0);
    const int page = UsbUtil::intOf(wifiList.value(QStringLiteral("PageIndex"))).value_or(0);
    qCDebug(lcScreens) << QStringLiteral("Receive data PageIndex %1, TotalPage Code %2").arg(page).arg(total);
    appendNames(wifiList.value(QStringLiteral("List")).toObject());
    if (total != 0 && page > total) {
        finishScan();
        return;
    }
    setCursor(Qt::WaitCursor);
    pauseBeforeNextPage(total != 0);
}

void WifiListWindow::appendNames(const QJsonObject& list)
{
    for (int i = 0; i < 5; ++i) {
        const QString name = list.value(QStringLiteral("ssid%1").arg(i)).toString();
        if (name.isEmpty())
            continue;
        auto* item = new QStandardItem(name);
        item->setEditable(false);
        m_model->appendRow(item);
        markIfPcNetwork(item);
    }
}

// A finished scan stays finished: the time-out no longer applies to it.
void WifiListWindow::finishScan()
{
    stopScanTimer();
    ui->label_content_2->setText(m_model->rowCount() > 0 ? tr("Wi-Fiが見つかりました")
                                                         : tr("Wi-Fiは見つかりませんでした"));
    ui->button_refresh->setEnabled(true);
    ui->button_connect_wifi_other->setEnabled(true);
    setCursor(Qt::ArrowCursor);
}

void WifiListWindow::showNoCamera()
{
    ui->label_content_2->setText(tr("カメラが見つかりません"));
    ui->button_refresh->setEnabled(false);
    ui->button_connect_wifi->setEnabled(false);
    ui->button_connect_wifi_other->setEnabled(false);
}

void WifiListWindow::stopScanTimer()
{
    if (scanTimerId != 0)
        killTimer(scanTimerId);
    scanTimerId = 0;
}

void WifiListWindow::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != scanTimerId || scanTimerId == 0)
        return;
    qCDebug(lcScreens) << "Time out!";
    scanTimedOut = true;
    stopScanTimer();
    ui->label_content_2->setText(tr("Wi-Fiが見つかりません"));
    ui->button_refresh->setEnabled(true);
    ui->button_connect_wifi->setEnabled(false);
    ui->button_connect_wifi_other->setEnabled(true);
    setCursor(Qt::ArrowCursor);
}

void WifiListWindow::on_button_refresh_clicked()
{
    stopScanTimer();
    m_pause.stop();
    ui->label_content_2->setText(searchingText);
    ui->button_refresh->setEnabled(false);
    ui->button_connect_wifi->setEnabled(false);
    ui->button_connect_wifi_other->setEnabled(false);
    m_model->clear();
    scanTimedOut = false;
    requestId = 100;
    pageIndex = 0;
    startScan();
}

void WifiListWindow::on_listView_clicked(QModelIndex)
{
    followSelection();
}

void WifiListWindow::followSelection()
{
    ui->button_connect_wifi->setEnabled(!ui->listView->selectionModel()->selectedIndexes().isEmpty());
}

void WifiListWindow::suggest(const QString& pcNetwork)
{
    m_pcNetwork = pcNetwork;
    for (int row = 0; row < m_model->rowCount(); ++row)
        markIfPcNetwork(m_model->item(row));
}

void WifiListWindow::markIfPcNetwork(QStandardItem* item)
{
    if (m_pcNetwork.isEmpty() || item->text() != m_pcNetwork)
        return;
    const QString note = tr("このPCが接続しているネットワークです");
    QIcon picture(QStringLiteral(":/images/wifi_connected.png"));
    picture.addFile(QStringLiteral(":/images/wifi_connected_selected.png"), QSize(), QIcon::Selected);
    item->setIcon(picture);
    item->setToolTip(note);
    item->setData(note, Qt::AccessibleDescriptionRole);
    QItemSelectionModel* selection = ui->listView->selectionModel();
    if (!selection->hasSelection())
        selection->setCurrentIndex(item->index(), QItemSelectionModel::ClearAndSelect);
}

bool WifiListWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->listView && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && ui->button_connect_wifi->isEnabled()) {
            on_button_connect_wifi_clicked();
            return true;
        }
    }
    return WebClientWindow::eventFilter(watched, event);
}

void WifiListWindow::leaveFor(const QString& networkName)
{
    if (!ScreenFrame::leave(this))
        return;
    stopScanTimer();
    m_pause.stop();
    UsbUtil::instance()->disconnectCommand(this, "1receiveCmd(EL_CMD)");
    ScreenFrame::handOver(this, new SettingsWiFiWindow(networkName));
}

void WifiListWindow::on_button_connect_wifi_clicked()
{
    const QModelIndexList selected = ui->listView->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    leaveFor(m_model->itemFromIndex(selected.first())->text());
}

void WifiListWindow::on_button_connect_wifi_pressed()
{
    ScreenFrame::showFace(ui->button_connect_wifi, QStringLiteral(":/images/05_connect_wifi_down.png"));
}

void WifiListWindow::on_button_connect_wifi_released()
{
    ScreenFrame::showFace(ui->button_connect_wifi, QStringLiteral(":/images/05_connect_wifi_up.png"));
}

void WifiListWindow::on_button_connect_wifi_other_clicked()
{
    leaveFor(QString());
}

void WifiListWindow::on_button_connect_wifi_other_pressed()
{
    ScreenFrame::showFace(ui->button_connect_wifi_other, QStringLiteral(":/images/05_connect_wifi_other_down.png"));
}

void WifiListWindow::on_button_connect_wifi_other_released()
{
    ScreenFrame::showFace(ui->button_connect_wifi_other, QStringLiteral(":/images/05_connect_wifi_other_up.png"));
}
