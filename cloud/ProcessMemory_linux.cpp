#include "ProcessMemory.h"

#include <QFile>
#include <QList>

#include <unistd.h>

namespace ProcessMemory {

// /proc/self/statm: sizes in pages, the second being what is resident.
qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readLine().split(' ');
    return fields.value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

}
