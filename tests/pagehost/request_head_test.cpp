#include "pagehost/http/request_head.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

constexpr std::uint64_t kLimit = 1000;

const std::string kUpload =
    "POST /upload-result.asp?x=1 HTTP/1.1\r\n"
    "Host: 127.0.0.1:8080\r\n"
    "Content-Type: multipart/form-data; boundary=----b\r\n"
    "Content-Length: 5\r\n"
    "X-Empty:\r\n"
    "X-Two: a\r\n"
    "x-two:   b \t\r\n"
    "\r\n"
    "hello";

TEST(RequestHead, AnUploadHead) {
    ParsedRequest parsed = ParseRequest(kUpload.substr(0, kUpload.size() - 5), kLimit);
    ASSERT_EQ(parsed.status, 0);
    const RequestHead& head = parsed.head;
    EXPECT_EQ(head.method, "POST");
    EXPECT_EQ(head.target, "/upload-result.asp?x=1");
    EXPECT_EQ(head.Path(), "/upload-result.asp");
    EXPECT_EQ(head.Query(), "x=1");
    EXPECT_EQ(head.versionMinor, 1);
    EXPECT_EQ(head.Header("content-TYPE"), "multipart/form-data; boundary=----b");
    EXPECT_EQ(head.Header("x-empty"), "");
    EXPECT_EQ(head.Header("X-TWO"), "a, b");
    EXPECT_EQ(head.Header("Absent"), "");
    EXPECT_EQ(parsed.bodyLength, 5u);
    EXPECT_FALSE(parsed.expectContinue);
}

// One case a line: the head's lines after the request line, the status, length and
// whether a 100 Continue is due.
TEST(RequestHead, StatusesAndFraming) {
    struct Case {
        std::string head;
        int status;
        std::uint64_t length;
        bool expectContinue;
        const char* label;
    } cases[] = {
        {"GET / HTTP/1.1\r\nHost: x\r\n\r\n", 0, 0, false, "a GET"},
        {"GET / HTTP/1.0\r\n\r\n", 0, 0, false, "HTTP/1.0 needs no Host"},
        {"GET / HTTP/1.1\r\n\r\n", 0, 0, false, "nor does 1.1 here"},
        {"POST / HTTP/1.1\r\nContent-Length: 1000\r\n\r\n", 0, 1000, false, "exactly the limit"},
        {"POST / HTTP/1.1\r\nContent-Length: 5\r\nExpect: 100-Continue\r\n\r\n", 0, 5, true, "expect"},
        {"POST / HTTP/1.1\r\nContent-Length: 0\r\nExpect: 100-continue\r\n\r\n", 0, 0, false,
         "nothing to continue"},
        {"POST / HTTP/1.0\r\nContent-Length: 5\r\nExpect: 100-continue\r\n\r\n", 0, 5, false, "never to 1.0"},
        {"POST / HTTP/1.1\r\nContent-Length: 1001\r\n\r\n", 413, 0, false, "over the limit"},
        {"POST / HTTP/1.1\r\nContent-Length: 99999999999999999999999\r\n\r\n", 413, 0, false, "huge"},
        {"POST / HTTP/1.1\r\nContent-Length: 5000\r\nExpect: 100-continue\r\n\r\n", 413, 0, false,
         "413 before continue"},
        {"POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n", 400, 0, false, "negative length"},
        {"POST / HTTP/1.1\r\nContent-Length: 0x10\r\n\r\n", 400, 0, false, "hex length"},
        {"POST / HTTP/1.1\r\nContent-Length: 7\r\nContent-Length: 7\r\n\r\n", 400, 0, false, "two lengths"},
        {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", 501, 0, false, "chunked body"},
        {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\nContent-Length: 5\r\n\r\n", 501, 0, false,
         "both framings"},
        {"PUT / HTTP/1.1\r\n\r\n", 501, 0, false, "PUT"},
        {"HEAD / HTTP/1.1\r\n\r\n", 501, 0, false, "HEAD"},
        {"get / HTTP/1.1\r\n\r\n", 501, 0, false, "methods are case-sensitive"},
        {"GET / HTTP/2.0\r\n\r\n", 501, 0, false, "HTTP/2"},
        {"GET / HTTP/1.2\r\n\r\n", 501, 0, false, "another 1.x"},
        {"GARBAGE\r\n\r\n", 400, 0, false, "no spaces"},
        {"\r\n\r\n", 400, 0, false, "no request line"},
        {"GET  / HTTP/1.1\r\n\r\n", 400, 0, false, "two spaces"},
        {"GET / HTTP/1.1 \r\n\r\n", 400, 0, false, "trailing space"},
        {"G(T / HTTP/1.1\r\n\r\n", 400, 0, false, "method not a token"},
        {"GET * HTTP/1.1\r\n\r\n", 400, 0, false, "asterisk form"},
        {"GET http://x/ HTTP/1.1\r\n\r\n", 400, 0, false, "absolute form"},
        {"GET /\x01 HTTP/1.1\r\n\r\n", 400, 0, false, "control byte in target"},
        {"GET /\xc3\xa9 HTTP/1.1\r\n\r\n", 400, 0, false, "raw non-ASCII in target"},
        {"GET / HTTP/1.1\r\nHost : x\r\n\r\n", 400, 0, false, "space before colon"},
        {"GET / HTTP/1.1\r\nNoColon\r\n\r\n", 400, 0, false, "header without colon"},
        {"GET / HTTP/1.1\r\nA: b\r\n c\r\n\r\n", 400, 0, false, "obsolete line folding"},
        {"GET / HTTP/1.1\r\nA: b\rc\r\n\r\n", 400, 0, false, "bare CR in value"},
        {std::string("GET / HTTP/1.1\r\nA: b\0c\r\n\r\n", 26), 400, 0, false, "NUL in value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ParsedRequest parsed = ParseRequest(c.head, kLimit);
        EXPECT_EQ(parsed.status, c.status);
        EXPECT_EQ(parsed.bodyLength, c.length);
        EXPECT_EQ(parsed.expectContinue, c.expectContinue);
    }
}

}  // namespace
}  // namespace kestrune
