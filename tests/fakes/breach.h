// How a strict fake reports a call that breaks the contract of the interface it stands
// for: inside a running test the test fails and goes on; outside one (a fuzz target or
// its replay) the process aborts, so the fuzzer keeps the input that did it.
#pragma once

#include <string_view>

namespace kestrune::testing {

void ReportBreach(std::string_view what);

}  // namespace kestrune::testing
