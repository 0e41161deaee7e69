#pragma once

#include <QtGlobal>

// What this process holds in memory now, as the system counts it; 0 where the system
// does not tell.
namespace ProcessMemory {

qint64 residentBytes();

}
