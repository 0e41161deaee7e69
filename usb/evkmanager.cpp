#include "evkmanager.h"

#include "ClLibUsbController.h"

#include <QtEndian>

namespace {
constexpr int NoTimeout = 0;
constexpr int FirstEndpoint = 0;
// A reply that fills the read buffer may go on: the camera ends a bulk transfer with a
// short packet, so each further read waits only briefly for it.
constexpr int ContinuationTimeoutMs = 200;
constexpr int MaxReplyBytes = 64 * 1024;

QByteArray lengthHeader(int length)
{
    QByteArray header(4, '\0');
    qToLittleEndian<qint32>(length, header.data());
    return header;
}
}

evkmanager::~evkmanager()
{
    shutdown();
}

QVector<VidPid> evkmanager::supportedDevices()
{
    return {{CameraVendorId, CameraProductId}};
}

bool evkmanager::acceptCommand(const EL_CMD&)
{
    return true;
}

void evkmanager::executeCommand(EL_CMD cmd)
{
    const QUuid command = commandOf(cmd);
    EL_CMD reply;
    reply.insert(ElCmdKey::Command, QVariant::fromValue(command));
    reply.insert(ElCmdKey::Method, cmd.value(ElCmdKey::Method).toString());
    if (command == CMD_JSON_RPC) {
        ClLibUsbController* controller = acquireFirstController();
        if (controller)
            exchange(controller, cmd.value(ElCmdKey::Json).toByteArray(), reply);
        else
            reply.insert(ElCmdKey::Error, ELCMD_ERROR_NO_CAMERA);
        releaseController(controller);
    }
    emit sigCommand(reply);
}

void evkmanager::exchange(ClLibUsbController* controller, const QByteArray& request, EL_CMD& reply)
{
    if (controller->bulkWrite(lengthHeader(request.size()), NoTimeout, FirstEndpoint) != ClLibUsbController::Success) {
        reply.insert(ElCmdKey::Error, ELCMD_ERROR_HEADER_WRITE);
        return;
    }
    if (controller->bulkWrite(request, NoTimeout, FirstEndpoint) != ClLibUsbController::Success) {
        reply.insert(ElCmdKey::Error, ELCMD_ERROR_BODY_WRITE);
        return;
    }
    QByteArray result;
    if (controller->bulkRead(result, NoTimeout, FirstEndpoint) == ClLibUsbController::NotOpen) {
        reply.insert(ElCmdKey::Error, ELCMD_ERROR_READ);
        return;
    }
    readRest(controller, result);
    reply.insert(ElCmdKey::Result, result);
}

// Whatever is left of a long reply would otherwise be taken for the answer to the next
// request, and so on for every exchange after it.
void evkmanager::readRest(ClLibUsbController* controller, QByteArray& result)
{
    int lastChunk = result.size();
    while (lastChunk == ClLibUsbController::ReadBufferSize && result.size() < MaxReplyBytes) {
        QByteArray chunk;
        controller->bulkRead(chunk, ContinuationTimeoutMs, FirstEndpoint);
        result.append(chunk);
        lastChunk = chunk.size();
    }
}
