// --report-memory: how much memory the process held right before the script started,
// and its peak by the end, from GetProcessMemoryInfo. The figure that matters is the
// peak working set: Wine fills PeakWorkingSetSize from the kernel's high-water mark of
// resident memory, while it leaves PrivateUsage at 0 and gives no true peak of the
// private bytes (PeakPagefileUsage is only the current value there).
#pragma once

#include <cstdint>
#include <string>

namespace kestrune {

struct MemorySnapshot {
    std::uint64_t workingSet = 0;
    std::uint64_t peakWorkingSet = 0;
};

// All zero when the system cannot say.
MemorySnapshot TakeMemorySnapshot();

// The handles the process holds now.
std::uint32_t OpenHandleCount();

// "peak working set: N bytes; before script: M bytes; peak before script: K bytes"
std::string DescribeMemory(const MemorySnapshot& before, const MemorySnapshot& after);

}  // namespace kestrune
