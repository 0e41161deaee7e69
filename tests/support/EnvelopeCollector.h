#pragma once

#include "usb/ElCmd.h"

#include <QList>
#include <QObject>

// Receives envelopes on the GUI thread, the way the screens do.
class EnvelopeCollector : public QObject
{
    Q_OBJECT

public:
    QList<EL_CMD> envelopes;

    QList<EL_CMD> withCommand(const QUuid& command) const;
    bool waitForCommand(const QUuid& command, int count = 1, int timeoutMs = 5000) const;

public slots:
    void receiveCmd(EL_CMD cmd);
};
