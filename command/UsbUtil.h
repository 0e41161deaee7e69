#pragma once

#include "usb/evkmanager.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

class QJsonObject;
class QJsonValue;

// The one command sender through which the screens talk to the camera: builds the
// JSON-RPC requests, posts them to the USB manager and connects reply slots.
class UsbUtil : public QObject
{
    Q_OBJECT

public:
    // Request numbers. A reply belongs to the request numbered n when its "id" lies in
    // the band [n, 2n): the page requests count up from ApListBand, and the bands of
    // the four kinds of request never overlap.
    static constexpr int ExecApListId = 1;
    static constexpr int ApListBand = 100;
    static constexpr int NetworkSettingId = 10000;
    static constexpr int TokenId = 100000;

    static UsbUtil* instance();

    bool hasCamera();
    // Why a camera on the bus could not be opened (errno); 0 when none failed.
    int cameraOpenFailure();

    QByteArray& execAPList();
    QByteArray& getAPList(int id, int page);
    QByteArray& setNetworkSetting(QString ssid, QString password);
    QByteArray& setToken(QString deviceId, QString serialId);

    void send(QByteArray json);
    void connectCommand(QObject* receiver, const char* slot);
    bool disconnectCommand(QObject* receiver, const char* slot);

    // The camera's JSON-RPC reply carried by a reply envelope; empty when there is none.
    static QJsonObject readReply(const EL_CMD& cmd);
    // True when a reply "id" is a number in the band of the given request number.
    static bool isInBand(const QJsonObject& reply, int requestNumber);
    // A number from the camera as an int (fraction dropped); none when it is not a
    // number or does not fit.
    static std::optional<int> intOf(const QJsonValue& value);

private:
    UsbUtil();

    QByteArray& storeRequest(const QJsonObject& request, const QJsonObject& loggable);

    evkmanager m_manager;
    QByteArray m_request;
};
