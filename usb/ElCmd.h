#pragma once

#include <QUuid>
#include <QVariantMap>

// The envelope that carries every request, reply and device notification between
// the screens and the USB worker. Its "CMD" entry says what it is about.
typedef QVariantMap EL_CMD;

// The envelope's entries.
namespace ElCmdKey {
inline const QString Command = QStringLiteral("CMD"); // one of the CMD_ identifiers below
inline const QString Json = QStringLiteral("JSON"); // the request text, in a request
inline const QString Method = QStringLiteral("METHOD"); // passed back unchanged in the reply
inline const QString Result = QStringLiteral("RESULT"); // the camera's reply text
inline const QString Error = QStringLiteral("ERROR"); // an ElCmdError, or an errno with CMD_OPEN_FAILED
inline const QString Device = QStringLiteral("PARAM1"); // the camera's controller, with CMD_OPEN_/CLOSE_DEVICE
inline const QString Controller = QStringLiteral("Controller"); // the sender, whose requests CMD_CANCEL drops
}

inline const QUuid CMD_OPEN_DEVICE{QStringLiteral("{131dea99-f4a3-470a-9ab7-50ed83499efd}")};
inline const QUuid CMD_CLOSE_DEVICE{QStringLiteral("{d6ae8279-71b2-4246-bf75-be1d3981d820}")};
inline const QUuid CMD_JSON_RPC{QStringLiteral("{133790ca-d2f5-4afd-92f9-55c52e394fc3}")};
inline const QUuid CMD_START_USB{QStringLiteral("{0d3da9a9-4153-4bb8-b283-a1b1f1f9d05d}")};
inline const QUuid CMD_CANCEL{QStringLiteral("{36ad9d61-8471-4039-88b8-3ecce468384c}")};
// A supported camera is on the bus but could not be opened; "ERROR" holds why, as an
// errno value, or 0 once no such camera is left.
inline const QUuid CMD_OPEN_FAILED{QStringLiteral("{8f0c6a52-3d7e-4b1a-9e55-2c61f0b7d4a9}")};

// Why a camera exchange failed ("ERROR" entry of a reply).
enum ElCmdError {
    ELCMD_ERROR_NO_CAMERA = 1,
    ELCMD_ERROR_HEADER_WRITE = 2,
    ELCMD_ERROR_BODY_WRITE = 3,
    ELCMD_ERROR_READ = 4,
};

// Registers "EL_CMD" with the meta-type system so that it can cross threads in
// queued signal calls. Safe to call more than once.
void registerElCmdType();

// The "CMD" entry as a command identifier; the null UUID when absent or malformed.
QUuid commandOf(const EL_CMD& cmd);
