#include "WifiListWindow.h"
#include "ui_WifiListWindow.h"

#include "CameraListener.h"
#include "CameraTrouble.h"
#include "ScreenFrame.h"
#include "ScreensLog.h"
#include "SettingsWiFiWindow.h"
#include "SupportReport.h"
#include "desktop/ConnectedWifi.h"
#include "desktop/MissingNetwork.h"
#include "command/UsbUtil.h"
#include "command/WifiScan.h"

#include <QIcon>
#include <QJsonObject>
#include <QStandardItemModel>
#include <QKeyEvent>

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
    // A list takes no name from its label as a field does.
    ui->listView->setAccessibleName(ui->label_content->text());
    ui->listView->setFocus();
    ui->progressBar->hide();
    m_searchingText = ui->label_content_2->text();
    m_scan = new WifiScan(this);
    connect(this, &ScreenWindow::left, m_scan, &WifiScan::stop);
    listenToScan();
    auto* connectedWifi = new ConnectedWifi(this);
    connect(connectedWifi, &ConnectedWifi::found, this, [this](const QString& ssid, uint frequencyMhz) {
        SupportReport::notePcNetwork(int(frequencyMhz));
        suggest(ssid);
    });
    connect(connectedWifi, &ConnectedWifi::accessPointsSeen, this, [this](const WifiAccessPoints& accessPoints) {
        m_seenByPc = accessPoints;
        m_pcHasLooked = true;
        sayWhyPcNetworkIsMissing();
    });
    connectedWifi->lookUp();

    m_camera = new CameraListener(this, {UsbUtil::ExecApListId, UsbUtil::ApListBand});
    connect(m_camera, &CameraListener::opened, this, &WifiListWindow::showCameraOpened);
    connect(m_camera, &CameraListener::closed, this, [this] {
        qCDebug(lcScreens) << "Close USB device";
        showNoCamera();
    });
    connect(m_camera, &CameraListener::answered, m_scan,
            [this](int, const QJsonObject& reply) { m_scan->takeReply(reply); });
    connect(m_camera, &CameraListener::failed, this, [this] { showUnusable(CameraTrouble::exchangeFailure()); });
    connect(m_camera, &CameraListener::openFailed, this, [this](int code) {
        if (code != 0)
            showUnusable(CameraTrouble::openFailure(code));
    });
    if (UsbUtil::instance()->hasCamera()) {
        showState(ListState::Searching);
        m_scan->start();
    } else {
        qCDebug(lcScreens) << "Not found camera!";
        showNoCamera();
    }
    ScreenFrame::prepare(this);
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

WifiScan& WifiListWindow::wifiScan()
{
    return *m_scan;
}

void WifiListWindow::handleReplySuccess(ServiceReply*)
{
}

void WifiListWindow::handleHttpError(int, ServiceReply*)
{
}

void WifiListWindow::handleNetworkError(int, ServiceReply*)
{
}

void WifiListWindow::listenToScan()
{
    connect(m_scan, &WifiScan::scanRequested, this, [this] { sendRequest(UsbUtil::instance()->execAPList()); });
    connect(m_scan, &WifiScan::pageRequested, this, [this](int requestId, int pageIndex) {
        sendRequest(UsbUtil::instance()->getAPList(requestId, pageIndex));
    });
    connect(m_scan, &WifiScan::networksFound, this, &WifiListWindow::appendNames);
    connect(m_scan, &WifiScan::pageAwaited, this, [this] { setCursor(Qt::WaitCursor); });
    connect(m_scan, &WifiScan::scanRequested, ui->progressBar, &QWidget::show);
    connect(m_scan, &WifiScan::finished, this, &WifiListWindow::showScanFinished);
    connect(m_scan, &WifiScan::timedOut, this, &WifiListWindow::showScanTimedOut);
}

void WifiListWindow::receiveCmd(EL_CMD cmd)
{
    m_camera->take(cmd);
}

void WifiListWindow::showCameraOpened()
{
    qCDebug(lcScreens) << "Open USB device";
    showState(ListState::Ready);
}

void WifiListWindow::appendNames(const QStringList& names)
{
    for (const QString& name : names) {
        auto* item = new QStandardItem(name);
        item->setEditable(false);
        m_model->appendRow(item);
        markIfPcNetwork(item);
    }
    // A screen reader hears a focused list of Qt 5 only through its current row, which
    // the list gets by itself only when it is entered by Tab; it is made current as it
    // would be then, without picking it.
    QItemSelectionModel* selection = ui->listView->selectionModel();
    if (!selection->currentIndex().isValid() && m_model->rowCount() > 0)
        selection->setCurrentIndex(m_model->index(0, 0), QItemSelectionModel::NoUpdate);
}

void WifiListWindow::showScanFinished()
{
    showState(m_model->rowCount() > 0 ? ListState::Found : ListState::NoneFound);
    m_listComplete = true;
    sayWhyPcNetworkIsMissing();
}

// Only once the camera's list is complete and the PC has said what it sees; it never
// blocks anything.
void WifiListWindow::sayWhyPcNetworkIsMissing()
{
    QStringList listed;
    for (int row = 0; row < m_model->rowCount(); ++row)
        listed.append(m_model->item(row)->text());
    using MissingNetwork::Reason;
    const Reason reason =
        m_listComplete && m_pcHasLooked ? MissingNetwork::reasonFor(m_pcNetwork, listed, m_seenByPc) : Reason::None;
    QString text;
    if (reason == Reason::FiveGhzOnly)
        text = tr("「%1」は5GHzのWi-Fiです。カメラは2.4GHzのWi-Fiを使います。"
                  "ほかのWi-Fiを選ぶか、ルーターの2.4GHzを有効にしてください。");
    else if (reason == Reason::SecurityOnly)
        text = tr("「%1」はWPA3またはエンタープライズ方式だけのため、カメラが接続できない場合があります。");
    else if (reason == Reason::MaybeTooFar)
        text = tr("カメラには「%1」が見えていません。ルーターから遠いかもしれません。"
                  "近づけてから「更新」を押してください。");
    // A long name would push the advice out of its line.
    constexpr int MaxShownName = 20;
    const QString name =
        m_pcNetwork.size() <= MaxShownName ? m_pcNetwork : m_pcNetwork.left(MaxShownName - 1) + QChar(0x2026);
    ui->label_missing->setText(text.isEmpty() ? text : text.arg(name));
}

void WifiListWindow::showNoCamera()
{
    showState(ListState::NoCamera);
}

void WifiListWindow::showUnusable(const QString& reason)
{
    m_scan->stop();
    m_unusableReason = reason;
    showState(ListState::Unusable);
}

void WifiListWindow::showScanTimedOut()
{
    showState(ListState::TimedOut);
}

QString WifiListWindow::stateText(ListState state) const
{
    switch (state) {
    case ListState::Ready:
        return tr("更新ボタンを押して、Wi-Fiを探してください");
    case ListState::Searching:
        return m_searchingText;
    case ListState::Found:
        return tr("Wi-Fiが見つかりました");
    case ListState::NoneFound:
        return tr("Wi-Fiは見つかりませんでした");
    case ListState::TimedOut:
        return tr("Wi-Fiが見つかりません");
    case ListState::NoCamera:
        return tr("カメラが見つかりません");
    case ListState::Unusable:
        return m_unusableReason;
    }
    return QString();
}

// The status line, the three buttons, the busy bar and the cursor follow the list's
// state together. The progress bar appears once the camera is asked to scan.
void WifiListWindow::showState(ListState state)
{
    const bool searching = state == ListState::Searching;
    const bool usable = !searching && state != ListState::NoCamera;
    ui->label_content_2->setText(stateText(state));
    if (!searching)
        ui->progressBar->hide();
    ui->button_refresh->setEnabled(usable);
    ui->button_connect_wifi_other->setEnabled(usable);
    const bool listed = state == ListState::Found || state == ListState::NoneFound;
    ui->button_connect_wifi->setEnabled(listed && !ui->listView->selectionModel()->selectedIndexes().isEmpty());
    setCursor(searching ? Qt::WaitCursor : Qt::ArrowCursor);
}

// The refresh button is disabled at once; keyboard focus goes to the list rather than
// being lost with it.
void WifiListWindow::on_button_refresh_clicked()
{
    if (ui->button_refresh->hasFocus())
        ui->listView->setFocus();
    showState(ListState::Searching);
    m_model->clear();
    m_listComplete = false;
    sayWhyPcNetworkIsMissing();
    m_scan->start();
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
    sayWhyPcNetworkIsMissing();
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

void WifiListWindow::openSettingsFor(const QString& networkName)
{
    ScreenFrame::moveOn(this, [networkName] { return new SettingsWiFiWindow(networkName); });
}

void WifiListWindow::on_button_connect_wifi_clicked()
{
    const QModelIndexList selected = ui->listView->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    openSettingsFor(m_model->itemFromIndex(selected.first())->text());
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
    openSettingsFor(QString());
}

void WifiListWindow::on_button_connect_wifi_other_pressed()
{
    ScreenFrame::showFace(ui->button_connect_wifi_other, QStringLiteral(":/images/05_connect_wifi_other_down.png"));
}

void WifiListWindow::on_button_connect_wifi_other_released()
{
    ScreenFrame::showFace(ui->button_connect_wifi_other, QStringLiteral(":/images/05_connect_wifi_other_up.png"));
}
