#include "ElCmd.h"

#include <QMetaType>

void registerElCmdType()
{
    qRegisterMetaType<EL_CMD>("EL_CMD");
}

QUuid commandOf(const EL_CMD& cmd)
{
    return cmd.value(ElCmdKey::Command).toUuid();
}
