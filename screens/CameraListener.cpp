#include "CameraListener.h"

#include "ScreenWindow.h"
#include "command/UsbUtil.h"

#include <QJsonObject>

namespace {
const char* const ScreenSlot = "1receiveCmd(EL_CMD)";
}

CameraListener::CameraListener(ScreenWindow* screen, QList<int> bands)
    : QObject(screen)
    , m_screen(screen)
    , m_bands(std::move(bands))
{
    UsbUtil::instance()->connectCommand(screen, ScreenSlot);
    connect(screen, &ScreenWindow::left, this, &CameraListener::stop);
}

void CameraListener::stop()
{
    if (m_listening)
        UsbUtil::instance()->disconnectCommand(m_screen, ScreenSlot);
    m_listening = false;
}

void CameraListener::take(const EL_CMD& cmd)
{
    if (m_screen->hasLeft())
        return;
    const QUuid command = commandOf(cmd);
    if (command == CMD_OPEN_DEVICE)
        emit opened();
    else if (command == CMD_CLOSE_DEVICE)
        emit closed();
    else if (command == CMD_OPEN_FAILED)
        emit openFailed(cmd.value(ElCmdKey::Error).toInt());
    else if (command == CMD_JSON_RPC)
        takeReply(cmd);
}

void CameraListener::takeReply(const EL_CMD& cmd)
{
    const QJsonObject reply = UsbUtil::readReply(cmd);
    for (const int band : qAsConst(m_bands)) {
        if (UsbUtil::isInBand(reply, band)) {
            emit answered(band, reply);
            return;
        }
    }
}
