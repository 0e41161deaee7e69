#pragma once

#include <QFile>
#include <QtGlobal>

// The process's resident memory as the kernel counts it.
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
    return statusBytes("VmRSS");
}

// The highest resident size since the last resetPeak().
inline qint64 peak()
{
    return statusBytes("VmHWM");
}

inline void resetPeak()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

}
