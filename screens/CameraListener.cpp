#include "CameraListener.h"

#include "ScreenWindow.h"
#include "SupportReport.h"
#include "command/UsbUtil.h"

#include <QJsonDocument>
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
    if (command == CMD_OPEN_DEVICE) {
        SupportReport::noteCamera(SupportReport::Camera::Opened);
        emit opened();
    } else if (command == CMD_CLOSE_DEVICE) {
        SupportReport::noteCamera(SupportReport::Camera::Gone);
        emit closed();
    } else if (command == CMD_OPEN_FAILED) {
        const int error = cmd.value(ElCmdKey::Error).toInt();
        if (error != 0)
            SupportReport::noteCamera(SupportReport::Camera::OpenFailed, error);
        emit openFailed(error);
    } else if (command == CMD_JSON_RPC) {
        takeReply(cmd);
    }
}

void CameraListener::takeReply(const EL_CMD& cmd)
{
    const QJsonObject reply = UsbUtil::readReply(cmd);
    if (!cmd.contains(ElCmdKey::Error) && !reply.isEmpty()) {
        // A reply to another request (one left over from an earlier screen) is ignored.
        if (const std::optional<int> band = bandOf(reply))
            emit answered(*band, reply);
        return;
    }
    // Unusable: a failed exchange, or a reply that is no JSON object. The request it
    // answers says whether the screen waits for it.
    const QJsonObject request = QJsonDocument::fromJson(cmd.value(ElCmdKey::Json).toByteArray()).object();
    if (const std::optional<int> band = bandOf(request)) {
        SupportReport::noteCamera(SupportReport::Camera::Unusable, *band);
        emit failed(*band);
    }
}

std::optional<int> CameraListener::bandOf(const QJsonObject& message) const
{
    for (const int band : qAsConst(m_bands)) {
        if (UsbUtil::isInBand(message, band))
            return band;
    }
    return std::nullopt;
}
