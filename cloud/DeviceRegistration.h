#pragma once

#include "ServiceExchange.h"
#include "ServiceReply.h"

#include <QObject>
#include <QPointer>

// The two-step registration of the camera: the account service gives the camera a
// device id for its serial id, then the application service files that device under
// the signed-in user with the name the user chose. Each step is known by the reply
// object of its request: both services may answer under one host name.
class DeviceRegistration : public QObject
{
    Q_OBJECT

public:
    struct Device {
        QString serialId;
        QString kind;
        QString name;
        QString uuid; // the signed-in user
        QString accessToken;
    };

    explicit DeviceRegistration(ServiceExchange::Post post, QObject* parent = nullptr);

    void start(const Device& device);
    // A reply with a success status. It leads on when it answers the step in flight;
    // any other reply is ignored.
    void takeSuccess(ServiceReply* reply);

signals:
    void registered(const QString& deviceId);
    // A success reply without a usable device id; nothing more is sent.
    void stepFailed(ServiceReply* reply);

private:
    void registerWithApplicationService(const QString& deviceId);

    ServiceExchange::Post m_post;
    Device m_device;
    QPointer<ServiceReply> m_accountStep;
    QPointer<ServiceReply> m_applicationStep;
};
