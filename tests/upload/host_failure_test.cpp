#include <gtest/gtest.h>

#include "base/host_failure.h"

namespace kestrune {
namespace {

TEST(HostFailure, MessageRules) {
    const SystemMessageText none = [](HResult) { return std::string(); };
    const SystemMessageText known = [](HResult code) {
        return code == static_cast<HResult>(0x80070005u) ? std::string("Access is denied.\r\n")
                                                         : std::string();
    };
    struct Case {
        const char* label;
        std::string description;
        HResult code;
        SystemMessageText system;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"as given", "Disk full", 1, none, "Disk full"},
        {"trailing dot and blank", "Object required. ", 1, none, "Object required"},
        {"trailing controls and dots", "x..\r\n\t.. \x01", 1, none, "x"},
        {"inner dots stay", "a. b", 1, none, "a. b"},
        {"high bytes stay", "caf\xE9", 1, none, "caf\xE9"},
        {"system text", "", static_cast<HResult>(0x80070005u), known, "Access is denied"},
        {"blank description", " .. ", static_cast<HResult>(0x80070005u), known, "Access is denied"},
        {"no text at all", "", static_cast<HResult>(0x800A01A8u), none, "OLE error 800A01A8"},
        {"leading zeros", "", 0x0000ABCD, none, "OLE error 0000ABCD"},
        {"no system lookup", "", static_cast<HResult>(0x80004005u), SystemMessageText(),
         "OLE error 80004005"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.expected, HostFailureMessage(c.description, c.code, c.system));
    }
}

TEST(HostFailure, CarriesTheHostsDetails) {
    const HostErrorInfo info{"Response object", "Buffer limit exceeded.", "help.chm", 42};
    const EOleException e = HostFailure(static_cast<HResult>(0x80004005u), info, nullptr);
    EXPECT_EQ("Buffer limit exceeded", e.Message());
    EXPECT_EQ(static_cast<HResult>(0x80004005u), e.ErrorCode());
    EXPECT_EQ("Response object", e.Source());
    EXPECT_EQ("help.chm", e.HelpFile());
    EXPECT_EQ(42, e.HelpContext());
}

}  // namespace
}  // namespace kestrune
