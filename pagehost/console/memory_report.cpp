#include "pagehost/console/memory_report.h"

#include <windows.h>
#include <psapi.h>

namespace kestrune {

MemorySnapshot TakeMemorySnapshot() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return {};
    return {counters.WorkingSetSize, counters.PeakWorkingSetSize};
}

std::string DescribeMemory(const MemorySnapshot& before, const MemorySnapshot& after) {
    // The peak before the script is shown as well: were it above the working set then,
    // a rise smaller than that gap would not show in the final peak.
    return "peak working set: " + std::to_string(after.peakWorkingSet) +
           " bytes; before script: " + std::to_string(before.workingSet) +
           " bytes; peak before script: " + std::to_string(before.peakWorkingSet) + " bytes";
}

}  // namespace kestrune
