#pragma once

#include "cloud/ProcessMemory.h"

#include <QFile>
#include <QtGlobal>

// The process's memory as the kernel counts it: now (as the wizard's own guard reads
// it) and at its peak.
namespace Memory {

inline qint64 statusBytes(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}

inline qint64 resident()
{
    return ProcessMemory::residentBytes();
}

// The highest resident size since the last resetPeak().
inline qint64 peak()
{
    return statusBytes("VmHWM");
}

// AddressSanitizer holds freed memory back for a while, so figures taken under it say
// more about the sanitizer than about the program.
inline constexpr bool isMeaningful()
{
#if defined(__SANITIZE_ADDRESS__)
    return false;
#else
    return true;
#endif
}

inline void resetPeak()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

}
