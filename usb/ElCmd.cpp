#include "ElCmd.h"

#include <QMetaType>

void registerElCmdType()
{
    if (QMetaType::type("EL_CMD") == 0)
        QMetaType::registerNormalizedTypedef("EL_CMD", QMetaType::QVariantMap);
}

QUuid commandOf(const EL_CMD& cmd)
{
    return cmd.value(ElCmdKey::Command).toUuid();
}
