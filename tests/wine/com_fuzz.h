// The COM-face fuzzer: rounds of seeded calls, through IDispatch::Invoke and the
// enumerators, on every object of the component in each of its states, each outcome
// checked against what a script may be given. Same seed, same calls: a finding names its
// seed and call index, and a campaign of that seed stopped after that call replays it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrune::test {

struct FuzzCampaign {
    std::uint64_t seed = 1;
    std::uint64_t calls = 3000;  // stops after this many calls
    double seconds = 0;          // and, when above 0, once this much time has passed
};

struct FuzzFinding {
    std::uint64_t call = 0;  // index from 0 within the campaign
    std::string what;        // the call and what was wrong with its outcome
};

struct FuzzOutcome {
    std::uint64_t calls = 0;
    std::uint64_t failedCalls = 0;  // calls that failed as they may
    double seconds = 0;
    std::vector<FuzzFinding> findings;
    // The process's private bytes and handles after the first tenth of the calls and at
    // the end, every object released.
    std::uint64_t privateBytesEarly = 0;
    std::uint64_t privateBytesLate = 0;
    std::uint32_t handlesEarly = 0;
    std::uint32_t handlesLate = 0;
};

FuzzOutcome RunFuzzCampaign(const FuzzCampaign& campaign);

}  // namespace kestrune::test
