#include "fakes/breach.h"

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

namespace kestrune::testing {

void ReportBreach(std::string_view what) {
    if (::testing::UnitTest::GetInstance()->current_test_info() != nullptr) {
        ADD_FAILURE() << what;
        return;
    }
    std::fprintf(stderr, "fake breached: %.*s\n", static_cast<int>(what.size()), what.data());
    std::abort();
}

}  // namespace kestrune::testing
