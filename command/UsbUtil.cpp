#include "UsbUtil.h"

#include "usb/UsbLog.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <cmath>
#include <limits>

namespace {
UsbUtil* theSender = nullptr;

// Debug output ends up in the system journal; a Wi-Fi password must not, nor the ids
// that name the user's camera to the service.
const QString SecretMask = QStringLiteral("********");

QJsonObject baseRequest(int id, const QString& method, const QJsonArray& params)
{
    QJsonObject request;
    request.insert(QStringLiteral("id"), id);
    request.insert(QStringLiteral("jsonrpc"), QStringLiteral("2.0"));
    request.insert(QStringLiteral("method"), method);
    request.insert(QStringLiteral("params"), params);
    return request;
}

QJsonObject withOneParameterObject(int id, const QString& method, const QJsonObject& parameters)
{
    return baseRequest(id, method, QJsonArray{parameters});
}

QJsonObject networkSettingRequest(const QString& ssid, const QString& password)
{
    QJsonObject parameters;
    parameters.insert(QStringLiteral("inet"), QStringLiteral("0"));
    parameters.insert(QStringLiteral("password"), password);
    parameters.insert(QStringLiteral("ssid"), ssid);
    return withOneParameterObject(UsbUtil::NetworkSettingId, QStringLiteral("setNetworkSetting"), parameters);
}
}

// The screens use the sender, all on the GUI thread. Its constructor waits for the USB
// start in an event loop; an event handled there that asks again gets the sender being
// started, which is why the pointer is set before the start, not after.
UsbUtil* UsbUtil::instance()
{
    Q_ASSERT(!QCoreApplication::instance() || QThread::currentThread() == QCoreApplication::instance()->thread());
    if (!theSender)
        new UsbUtil;
    return theSender;
}

UsbUtil::UsbUtil()
    : QObject(nullptr)
{
    theSender = this;
    if (!m_manager.startUsb())
        qCWarning(lcUsb) << "The USB link did not start: no camera can be found";
}

bool UsbUtil::hasCamera()
{
    return m_manager.hasDevice();
}

int UsbUtil::cameraOpenFailure()
{
    return m_manager.openFailure();
}

QByteArray& UsbUtil::storeRequest(const QJsonObject& request, const QJsonObject& loggable)
{
    m_request.clear();
    m_request = QJsonDocument(request).toJson();
    qCDebug(lcUsb) << QJsonDocument(loggable).toJson();
    return m_request;
}

QByteArray& UsbUtil::execAPList()
{
    const QJsonObject request = baseRequest(ExecApListId, QStringLiteral("execAPList"), QJsonArray());
    return storeRequest(request, request);
}

QByteArray& UsbUtil::getAPList(int id, int page)
{
    QJsonObject parameters;
    parameters.insert(QStringLiteral("param1"), page);
    const QJsonObject request = withOneParameterObject(id, QStringLiteral("getAPList"), parameters);
    return storeRequest(request, request);
}

QByteArray& UsbUtil::setNetworkSetting(QString ssid, QString password)
{
    return storeRequest(networkSettingRequest(ssid, password), networkSettingRequest(ssid, SecretMask));
}

namespace {
QJsonObject tokenRequest(const QString& deviceId, const QString& serialId)
{
    QJsonObject parameters;
    parameters.insert(QStringLiteral("DeviceId"), deviceId);
    parameters.insert(QStringLiteral("SerialId"), serialId);
    return withOneParameterObject(UsbUtil::TokenId, QStringLiteral("setToken"), parameters);
}
}

QByteArray& UsbUtil::setToken(QString deviceId, QString serialId)
{
    return storeRequest(tokenRequest(deviceId, serialId), tokenRequest(SecretMask, SecretMask));
}

void UsbUtil::send(QByteArray json)
{
    EL_CMD cmd;
    cmd.insert(ElCmdKey::Command, QVariant::fromValue(CMD_JSON_RPC));
    cmd.insert(ElCmdKey::Json, json);
    m_manager.postCommand(cmd);
}

void UsbUtil::connectCommand(QObject* receiver, const char* slot)
{
    QObject::connect(&m_manager, "2sigCommand(EL_CMD)", receiver, slot);
}

bool UsbUtil::disconnectCommand(QObject* receiver, const char* slot)
{
    return QObject::disconnect(&m_manager, "2sigCommand(EL_CMD)", receiver, slot);
}

QJsonObject UsbUtil::readReply(const EL_CMD& cmd)
{
    const QJsonDocument document = QJsonDocument::fromJson(cmd.value(ElCmdKey::Result).toByteArray());
    qCDebug(lcUsb) << document.toJson();
    return document.object();
}

bool UsbUtil::isInBand(const QJsonObject& reply, int requestNumber)
{
    const std::optional<int> id = intOf(reply.value(QStringLiteral("id")));
    return id && *id >= requestNumber && *id < 2 * requestNumber;
}

std::optional<int> UsbUtil::intOf(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    const bool fits = std::isfinite(number) && number > double(std::numeric_limits<int>::min()) - 1.0
        && number < double(std::numeric_limits<int>::max()) + 1.0;
    if (!fits)
        return std::nullopt;
    return static_cast<int>(number);
}
