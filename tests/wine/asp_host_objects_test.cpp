// IRequest and IResponse behind HostRequest and HostResponse, and the conversion of
// failing host calls into exceptions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/exceptions.h"
#include "com_test_support.h"
#include "host/win32/asp_host_objects.h"
#include "tests/support/expect_throw_msg.h"

namespace kestrune::test {
namespace {

TEST(HostRequest, CopiesNoMoreThanWasDeliveredAskedOrHeld) {
    const auto fake = MakeComObject<FakeRequest>("0123456789");
    fake->shortBy = 3;
    auto request = MakeHostRequest(fake.Get());
    char buffer[16] = {};
    EXPECT_EQ(1, request->BinaryRead(4, buffer));
    EXPECT_EQ('0', buffer[0]);
    EXPECT_EQ(5, request->BinaryRead(8, buffer));
    EXPECT_EQ("12345", std::string(buffer, 5));
    EXPECT_EQ(0, request->BinaryRead(2, buffer)) << "asked for fewer than the shortfall";
}

TEST(HostRequest, RefusesDataThatIsNotAByteArray) {
    const auto fake = MakeComObject<FakeRequest>("abc");
    fake->deliverText = true;
    char buffer[4];
    EXPECT_THROW_MSG(MakeHostRequest(fake.Get())->BinaryRead(3, buffer), EOleSysError,
                     "Invalid variant type conversion");
}

TEST(HostFailure, CarriesTheHostsErrorObject) {
    struct Case {
        const char* label;
        HRESULT code;
        const wchar_t* description;
        std::string message;
        std::string source;
    };
    const Case cases[] = {
        {"trailing dot and space", E_FAIL, L"Simulated host failure in TotalBytes. ",
         "Simulated host failure in TotalBytes", "Fake host"},
        {"trailing control characters", E_FAIL, L"Disk gone.\r\n\t", "Disk gone", "Fake host"},
        {"only dots: the code's own text is unknown", static_cast<HRESULT>(0x8ABC1234), L"...",
         "OLE error 8ABC1234", "Fake host"},
        {"no error object, unknown code", static_cast<HRESULT>(0x8ABC1234), nullptr, "OLE error 8ABC1234",
         ""},
        {"no error object, leading zeros", static_cast<HRESULT>(0x80001234), nullptr, "OLE error 80001234",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SetErrorInfo(0, nullptr);
        const auto fake = MakeComObject<FakeRequest>("abc");
        fake->totalBytesFailure = {c.code, c.description};
        try {
            MakeHostRequest(fake.Get())->TotalBytes();
            ADD_FAILURE() << "a failing TotalBytes must raise";
        } catch (const EOleException& error) {
            EXPECT_EQ(c.message, error.Message());
            EXPECT_EQ(static_cast<HResult>(c.code), error.ErrorCode());
            EXPECT_EQ(c.source, error.Source());
            EXPECT_EQ(c.description ? "host.hlp" : "", error.HelpFile());
            EXPECT_EQ(c.description ? 77 : 0, error.HelpContext());
        }
    }
}

TEST(HostFailure, FallsBackToTheSystemText) {
    SetErrorInfo(0, nullptr);
    const auto fake = MakeComObject<FakeRequest>("abc");
    fake->binaryReadFailure = {E_OUTOFMEMORY, nullptr};
    char buffer[4];
    try {
        MakeHostRequest(fake.Get())->BinaryRead(3, buffer);
        ADD_FAILURE() << "a failing BinaryRead must raise";
    } catch (const EOleException& error) {
        EXPECT_NE(std::string::npos, error.Message().find("memory")) << error.Message();
        EXPECT_NE('.', error.Message().back());
        EXPECT_GT(static_cast<unsigned char>(error.Message().back()), 32);
    }
}

TEST(HostResponse, WritesTextAndAnswersConnected) {
    const auto fake = MakeComObject<FakeResponse>();
    auto response = MakeHostResponse(fake.Get());
    response->Write(std::string("a\0b", 3));
    EXPECT_EQ(std::vector<std::wstring>{std::wstring(L"a\0b", 3)}, fake->written);
    EXPECT_TRUE(response->IsClientConnected());
    fake->connected = false;
    EXPECT_FALSE(response->IsClientConnected());
}

}  // namespace
}  // namespace kestrune::test
