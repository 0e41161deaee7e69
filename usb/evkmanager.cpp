#include "evkmanager.h"

#include "ClLibUsbController.h"
#include "UsbLog.h"

#include <QElapsedTimer>
#include <QtEndian>

namespace {
constexpr int NoTimeout = 0;
constexpr int FirstEndpoint = 0;
constexpr int MaxReplyBytes = 64 * 1024;
// What is left of a cut-off reply is read away, up to this much and for this long at
// most, before the next request.
constexpr int MaxDrainBytes = 16 * 1024 * 1024;
constexpr int MaxDrainMs = 5000;

// Where a reply's JSON object (or array) ends, found in one pass over the pieces as
// they come: nesting depth, strings and their escapes.
class JsonEnd
{
public:
    // True once the bytes fed so far hold a whole object or array.
    bool feed(const QByteArray& bytes)
    {
        for (const char c : bytes) {
            if (m_complete)
                break;
            if (m_inString)
                readInString(c);
            else if (c == '"')
                m_inString = true;
            else if (c == '{' || c == '[')
                ++m_depth;
            else if ((c == '}' || c == ']') && m_depth > 0)
                m_complete = --m_depth == 0;
        }
        return m_complete;
    }

private:
    void readInString(char c)
    {
        if (m_escaped)
            m_escaped = false;
        else if (c == '\\')
            m_escaped = true;
        else if (c == '"')
            m_inString = false;
    }

    int m_depth = 0;
    bool m_inString = false;
    bool m_escaped = false;
    bool m_complete = false;
};

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
        // A failed or unreadable exchange is traced to its request by this copy of it.
        reply.insert(ElCmdKey::Json, cmd.value(ElCmdKey::Json));
        ClLibUsbController* controller = acquireFirstController();
        if (controller)
            exchange(controller, cmd.value(ElCmdKey::Json).toByteArray(), reply);
        else
            reply.insert(ElCmdKey::Error, ELCMD_ERROR_NO_CAMERA);
        releaseController(controller);
        logFailure(reply, cmd.value(ElCmdKey::Method).toString());
    }
    emit sigCommand(reply);
}

// The screens act on the envelope's "ERROR" alone; the log says what went wrong.
void evkmanager::logFailure(const EL_CMD& reply, const QString& method)
{
    if (!reply.contains(ElCmdKey::Error))
        return;
    static const char* const reasons[] = {"", "no camera is open", "the length header could not be written",
                                          "the request could not be written", "the camera is no longer open"};
    const int code = reply.value(ElCmdKey::Error).toInt();
    qCWarning(lcUsb).noquote() << QStringLiteral("The camera exchange %1 failed (%2): %3")
                                      .arg(method)
                                      .arg(code)
                                      .arg(QLatin1String(code >= 1 && code <= 4 ? reasons[code] : "unknown"));
}

void evkmanager::exchange(ClLibUsbController* controller, const QByteArray& request, EL_CMD& reply)
{
    if (m_outOfStep)
        drain(controller);
    if (controller->bulkWrite(lengthHeader(request.size()), NoTimeout, FirstEndpoint) != ClLibUsbController::Success) {
        reply.insert(ElCmdKey::Error, ELCMD_ERROR_HEADER_WRITE);
        return;
    }
    if (controller->bulkWrite(request, NoTimeout, FirstEndpoint) != ClLibUsbController::Success) {
        reply.insert(ElCmdKey::Error, ELCMD_ERROR_BODY_WRITE);
        return;
    }
    QByteArray result;
    // Only a camera that is no longer open fails the exchange: a read that failed
    // otherwise counts as an empty reply (see ClLibUsbController::bulkRead), which the
    // screens treat as no answer.
    if (controller->bulkRead(result, NoTimeout, FirstEndpoint) == ClLibUsbController::NotOpen) {
        reply.insert(ElCmdKey::Error, ELCMD_ERROR_READ);
        return;
    }
    readRest(controller, result);
    reply.insert(ElCmdKey::Result, result);
}

// A reply that arrives whole in one read is taken as it is. One cut short here is
// remembered, so that its rest is read away before the next request: it would
// otherwise be taken for the answer to that request, and so on for every exchange.
void evkmanager::readRest(ClLibUsbController* controller, QByteArray& result)
{
    // No reply at all (the read failed or timed out) leaves nothing behind.
    bool quiet = result.isEmpty();
    JsonEnd end;
    bool complete = end.feed(result);
    while (!quiet && !complete && result.size() < MaxReplyBytes) {
        QByteArray chunk;
        controller->bulkRead(chunk, ContinuationTimeoutMs, FirstEndpoint);
        result.append(chunk);
        complete = end.feed(chunk);
        quiet = chunk.isEmpty();
    }
    m_outOfStep = !result.isEmpty() && !complete;
}

void evkmanager::drain(ClLibUsbController* controller)
{
    qint64 drained = 0;
    QByteArray chunk(1, '\0');
    QElapsedTimer draining;
    draining.start();
    while (!chunk.isEmpty() && drained < MaxDrainBytes && draining.elapsed() < MaxDrainMs) {
        chunk.clear();
        controller->bulkRead(chunk, ContinuationTimeoutMs, FirstEndpoint);
        drained += chunk.size();
    }
    m_outOfStep = false;
}
