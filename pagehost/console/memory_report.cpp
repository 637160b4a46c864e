#include "pagehost/console/memory_report.h"

#include <windows.h>
#include <psapi.h>

#include <cstdint>

namespace kestrune {

MemorySnapshot TakeMemorySnapshot() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return {};
    return {counters.WorkingSetSize, counters.PeakWorkingSetSize};
}

std::uint32_t OpenHandleCount() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return count;
    // Wine 8 answers 0 there: count the handles one by one instead. Wine hands out the
    // lowest free values, multiples of 4, so they stay well below this bound.
    count = 0;
    DWORD flags = 0;
    for (std::uintptr_t value = 4; value < 0x10000; value += 4) {
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

std::string DescribeMemory(const MemorySnapshot& before, const MemorySnapshot& after) {
    // The peak before the script is shown as well: were it above the working set then,
    // a rise smaller than that gap would not show in the final peak.
    return "peak working set: " + std::to_string(after.peakWorkingSet) +
           " bytes; before script: " + std::to_string(before.workingSet) +
           " bytes; peak before script: " + std::to_string(before.peakWorkingSet) + " bytes";
}

}  // namespace kestrune
