#include "ProcessMemory.h"

#include <windows.h>

#include <psapi.h>

namespace ProcessMemory {

qint64 residentBytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return qint64(counters.WorkingSetSize);
}

}
