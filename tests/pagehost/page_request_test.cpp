#include "pagehost/asp/page_request.h"

#include <gtest/gtest.h>

#include <optional>

namespace kestrune {
namespace {

std::optional<std::string> ServerVariable(const PageRequestInfo& info, std::string_view name) {
    for (const auto& [key, value] : info.serverVariables) {
        if (key == name) return value;
    }
    return std::nullopt;
}

TEST(ParseQueryString, PlusPercentAndLeftovers) {
    struct Case {
        const char* text;
        std::string decoded;
    } cases[] = {
        {"a+b", "a b"},   {"a%20b", "a b"},
        {"%2B", "+"},     {"caf%C3%a9", "caf\xc3\xa9"},
        {"100%", "100%"}, {"%4", "%4"},
        {"%zz1", "%zz1"}, {"%%41", "%A"},
        {"", ""},         {"%00", std::string(1, '\0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseQueryString(std::string("x=") + c.text), (NamedValues{{"x", c.decoded}}));
    }
}

TEST(ParseQueryString, PairsInOrder) {
    NamedValues pairs = ParseQueryString("a=1&b=&c&&A=2+3&e%3D=f%26g&=v");
    NamedValues expected = {{"a", "1"}, {"b", ""}, {"c", ""}, {"A", "2 3"}, {"e=", "f&g"}, {"", "v"}};
    EXPECT_EQ(pairs, expected);
    EXPECT_TRUE(ParseQueryString("").empty());
    EXPECT_EQ(ParseQueryString("x=a=b"), (NamedValues{{"x", "a=b"}}));
}

TEST(ServerVariables, FromTheRequestHead) {
    RequestHead head;
    head.method = "POST";
    head.target = "/dir/page.asp?a=1&b=x+y";
    head.headers = {{"Host", "127.0.0.1:8080"},
                    {"Content-Type", "multipart/form-data; boundary=x"},
                    {"Content-Length", "42"},
                    {"User-Agent", "test"},
                    {"X-Two", "a"},
                    {"x-two", "b"}};
    PageRequestInfo info = MakePageRequestInfo(head, "/dir/page.asp", "C:\\site\\dir\\page.asp", 8080, 5555);
    struct Case {
        const char* name;
        const char* value;
    } cases[] = {
        {"REQUEST_METHOD", "POST"},
        {"CONTENT_TYPE", "multipart/form-data; boundary=x"},
        {"CONTENT_LENGTH", "42"},
        {"QUERY_STRING", "a=1&b=x+y"},
        {"SCRIPT_NAME", "/dir/page.asp"},
        {"PATH_INFO", "/dir/page.asp"},
        {"PATH_TRANSLATED", "C:\\site\\dir\\page.asp"},
        {"SERVER_PORT", "8080"},
        {"SERVER_PROTOCOL", "HTTP/1.1"},
        {"REMOTE_ADDR", "127.0.0.1"},
        {"HTTP_USER_AGENT", "test"},
        {"HTTP_X_TWO", "a, b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ServerVariable(info, c.name), std::optional<std::string>(c.value));
    }
    EXPECT_EQ(ServerVariable(info, "NO_SUCH"), std::nullopt);
    EXPECT_EQ(info.queryPairs, (NamedValues{{"a", "1"}, {"b", "x y"}}));
}

TEST(ServerVariables, NoBodyMeansLengthZero) {
    RequestHead head;
    head.method = "GET";
    head.target = "/";
    PageRequestInfo info = MakePageRequestInfo(head, "/default.asp", "C:\\site\\default.asp", 0, 0);
    EXPECT_EQ(ServerVariable(info, "CONTENT_LENGTH"), std::optional<std::string>("0"));
    EXPECT_EQ(ServerVariable(info, "CONTENT_TYPE"), std::optional<std::string>(""));
    EXPECT_EQ(ServerVariable(info, "QUERY_STRING"), std::optional<std::string>(""));
}

}  // namespace
}  // namespace kestrune
