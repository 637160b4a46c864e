#include "pagehost/http/message_rules.h"
#include "pagehost/http/response_head.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

RequestHead Head(int minor, std::vector<std::pair<std::string, std::string>> headers) {
    RequestHead head;
    head.method = "POST";
    head.target = "/";
    head.versionMinor = minor;
    head.headers = std::move(headers);
    return head;
}

TEST(WantsKeepAlive, Matrix) {
    struct Case {
        int minor;
        std::vector<std::pair<std::string, std::string>> headers;
        bool keepAlive;
        const char* label;
    } cases[] = {
        {1, {}, true, "1.1 default"},
        {1, {{"Connection", "close"}}, false, "1.1 close"},
        {1, {{"connection", "Keep-Alive, CLOSE"}}, false, "close wins"},
        {1, {{"Connection", "keep-alive"}}, true, "1.1 explicit keep-alive"},
        {1, {{"Connection", "closed"}}, true, "token must match whole"},
        {0, {}, false, "1.0 default"},
        {0, {{"Connection", "Keep-Alive"}}, true, "1.0 keep-alive"},
        {0, {{"Connection", "keep-alive"}, {"Connection", "close"}}, false, "1.0 both"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(WantsKeepAlive(Head(c.minor, c.headers)), c.keepAlive);
    }
}

TEST(DecideBody, FramingAndRefusals) {
    constexpr std::uint64_t kLimit = 1000;
    struct Case {
        int minor;
        std::vector<std::pair<std::string, std::string>> headers;
        int status;
        std::uint64_t length;
        bool expectContinue;
        const char* label;
    } cases[] = {
        {1, {}, 0, 0, false, "no body"},
        {1, {{"Content-Length", "42"}}, 0, 42, false, "length"},
        {1, {{"Content-Length", "1000"}}, 0, 1000, false, "exactly the limit"},
        {1, {{"Content-Length", "1001"}}, 413, 0, false, "over the limit"},
        {1, {{"Content-Length", "99999999999999999999999999"}}, 413, 0, false, "huge"},
        {1, {{"Content-Length", "7, 7"}}, 0, 7, false, "repeated equal list"},
        {1, {{"Content-Length", "7"}, {"Content-Length", "7"}}, 0, 7, false, "repeated equal headers"},
        {1, {{"Content-Length", "7"}, {"Content-Length", "8"}}, 400, 0, false, "conflicting"},
        {1, {{"Content-Length", "-1"}}, 400, 0, false, "negative"},
        {1, {{"Content-Length", "+5"}}, 400, 0, false, "sign"},
        {1, {{"Content-Length", "0x10"}}, 400, 0, false, "hex"},
        {1, {{"Content-Length", ""}}, 400, 0, false, "empty"},
        {1, {{"Transfer-Encoding", "chunked"}}, 411, 0, false, "chunked"},
        {1, {{"Transfer-Encoding", "gzip, chunked"}}, 411, 0, false, "gzip then chunked"},
        {1, {{"Transfer-Encoding", "gzip"}}, 501, 0, false, "other coding"},
        {0, {{"Transfer-Encoding", "chunked"}}, 400, 0, false, "coding in 1.0"},
        {1,
         {{"Transfer-Encoding", "chunked"}, {"Content-Length", "5"}},
         400,
         0,
         false,
         "both: smuggling guard"},
        {1, {{"Content-Length", "5"}, {"Expect", "100-Continue"}}, 0, 5, true, "expect"},
        {1, {{"Content-Length", "0"}, {"Expect", "100-continue"}}, 0, 0, false, "nothing to continue"},
        {1, {{"Content-Length", "5000"}, {"Expect", "100-continue"}}, 413, 0, false, "413 before continue"},
        {1, {{"Content-Length", "5"}, {"Expect", "teapot"}}, 417, 0, false, "unknown expectation"},
        {0, {{"Content-Length", "5"}, {"Expect", "100-continue"}}, 0, 5, false, "1.0 expectation ignored"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        BodyFraming framing = DecideBody(Head(c.minor, c.headers), kLimit);
        EXPECT_EQ(framing.status, c.status) << framing.reason;
        EXPECT_EQ(framing.length, c.length);
        EXPECT_EQ(framing.expectContinue, c.expectContinue);
        EXPECT_EQ(framing.reason.empty(), c.status == 0);
    }
}

TEST(FormatHttpDate, KnownInstants) {
    struct Case {
        std::int64_t seconds;
        const char* text;
    } cases[] = {
        {0, "Thu, 01 Jan 1970 00:00:00 GMT"},          {784111777, "Sun, 06 Nov 1994 08:49:37 GMT"},
        {951782400, "Tue, 29 Feb 2000 00:00:00 GMT"},  {4107542399, "Sun, 28 Feb 2100 23:59:59 GMT"},
        {4107542400, "Mon, 01 Mar 2100 00:00:00 GMT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FormatHttpDate(c.seconds), c.text);
    }
}

TEST(WriteResponseHead, FramingAndConnection) {
    constexpr std::int64_t kNow = 784111777;
    const std::string date = "Date: Sun, 06 Nov 1994 08:49:37 GMT\r\nServer: Kestrune-Host\r\n";
    struct Case {
        int status;
        std::optional<std::uint64_t> length;
        bool keepAlive;
        bool clientIs11;
        std::string framing;  // the part after Date/Server and Content-Type
        bool chunked;
        bool keepAliveAfter;
        const char* label;
    } cases[] = {
        {200, 12, true, true, "Content-Length: 12\r\n", false, true, "1.1 sized"},
        {200, std::nullopt, true, true, "Transfer-Encoding: chunked\r\n", true, true, "1.1 streamed"},
        {200, std::nullopt, true, false, "Connection: close\r\n", false, false, "1.0 streamed closes"},
        {200, 3, true, false, "Content-Length: 3\r\nConnection: keep-alive\r\n", false, true,
         "1.0 keep-alive"},
        {413, 9, false, true, "Content-Length: 9\r\nConnection: close\r\n", false, false, "refusal closes"},
        {304, std::nullopt, true, true, "", false, true, "304 has no body"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ResponseHead head;
        head.status = c.status;
        head.headers = {{"Content-Type", "text/html"}};
        head.contentLength = c.length;
        head.keepAlive = c.keepAlive;
        std::string text = WriteResponseHead(head, c.clientIs11, kNow);
        EXPECT_EQ(text, "HTTP/1.1 " + std::to_string(c.status) + " " + std::string(ReasonPhrase(c.status)) +
                            "\r\n" + date + "Content-Type: text/html\r\n" + c.framing + "\r\n");
        EXPECT_EQ(head.chunked, c.chunked);
        EXPECT_EQ(head.keepAlive, c.keepAliveAfter);
    }
}

TEST(ChunkPrefix, Hex) {
    EXPECT_EQ(ChunkPrefix(0), "0\r\n");
    EXPECT_EQ(ChunkPrefix(26), "1a\r\n");
    EXPECT_EQ(ChunkPrefix(102400), "19000\r\n");
    EXPECT_EQ(ReasonPhrase(431), "Request Header Fields Too Large");
    EXPECT_EQ(ReasonPhrase(299), "Unknown");
}

}  // namespace
}  // namespace kestrune
