#include "EnvelopeCollector.h"

#include <QTest>

QList<EL_CMD> EnvelopeCollector::withCommand(const QUuid& command) const
{
    QList<EL_CMD> matching;
    for (const EL_CMD& cmd : envelopes) {
        if (commandOf(cmd) == command)
            matching.append(cmd);
    }
    return matching;
}

bool EnvelopeCollector::waitForCommand(const QUuid& command, int count, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return withCommand(command).size() >= count; }, timeoutMs);
}

void EnvelopeCollector::receiveCmd(EL_CMD cmd)
{
    envelopes.append(cmd);
}
