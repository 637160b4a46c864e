#include "pagehost/http/request_head_parser.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

const std::string kUpload =
    "POST /upload-result.asp?x=1 HTTP/1.1\r\n"
    "Host: 127.0.0.1:8080\r\n"
    "Content-Type: multipart/form-data; boundary=----b\r\n"
    "Content-Length: 5\r\n"
    "X-Empty:\r\n"
    "\r\n"
    "hello";

void ExpectUploadHead(const RequestHead& head) {
    EXPECT_EQ(head.method, "POST");
    EXPECT_EQ(head.target, "/upload-result.asp?x=1");
    EXPECT_EQ(head.Path(), "/upload-result.asp");
    EXPECT_EQ(head.Query(), "x=1");
    EXPECT_EQ(head.versionMajor, 1);
    EXPECT_EQ(head.versionMinor, 1);
    EXPECT_EQ(head.Header("content-TYPE"), "multipart/form-data; boundary=----b");
    EXPECT_EQ(head.Header("Content-Length"), "5");
    EXPECT_EQ(head.HeaderCount("x-empty"), 1);
    EXPECT_EQ(head.Header("x-empty"), "");
    EXPECT_EQ(head.Header("Absent"), "");
}

TEST(RequestHeadParser, HeadSplitAtEveryByteGivesTheSameResult) {
    std::size_t headLength = kUpload.size() - 5;
    for (std::size_t cut = 0; cut <= kUpload.size(); ++cut) {
        SCOPED_TRACE(cut);
        RequestHeadParser parser;
        std::size_t used = parser.Feed(kUpload.data(), cut);
        if (parser.Status() == HeadStatus::kIncomplete) {
            EXPECT_EQ(used, cut);
            used += parser.Feed(kUpload.data() + cut, kUpload.size() - cut);
        }
        ASSERT_EQ(parser.Status(), HeadStatus::kDone);
        EXPECT_EQ(used, headLength) << "the body is left to the caller";
        ExpectUploadHead(parser.Head());
    }
}

TEST(RequestHeadParser, OneByteAtATime) {
    RequestHeadParser parser;
    std::size_t used = 0;
    for (std::size_t i = 0; i < kUpload.size() && parser.Status() == HeadStatus::kIncomplete; ++i)
        used += parser.Feed(&kUpload[i], 1);
    ASSERT_EQ(parser.Status(), HeadStatus::kDone);
    EXPECT_EQ(used, kUpload.size() - 5);
    EXPECT_EQ(parser.Feed("x", 1), 0u) << "nothing more is taken once done";
    ExpectUploadHead(parser.Head());
}

TEST(RequestHeadParser, AcceptedForms) {
    struct Case {
        std::string head;
        std::string method;
        std::string target;
        int minor;
        const char* label;
    } cases[] = {
        {"GET / HTTP/1.0\r\n\r\n", "GET", "/", 0, "HTTP/1.0 needs no Host"},
        {"HEAD /a HTTP/1.1\nHost: x\n\n", "HEAD", "/a", 1, "bare LF line ends"},
        {"\r\n\r\nGET / HTTP/1.1\r\nHost: x\r\n\r\n", "GET", "/", 1, "leading empty lines ignored"},
        {"GET http://example.test/a/b?c HTTP/1.1\r\nHost: x\r\n\r\n", "GET", "/a/b?c", 1, "absolute form"},
        {"GET http://example.test HTTP/1.1\r\nHost: x\r\n\r\n", "GET", "/", 1, "absolute form without path"},
        {"GET http://example.test?q HTTP/1.1\r\nHost: x\r\n\r\n", "GET", "/?q", 1,
         "absolute form with query only"},
        {"GET / HTTP/1.9\r\nHost: x\r\n\r\n", "GET", "/", 9, "later 1.x minor"},
        {"POST /x HTTP/1.1\r\nHost: x\r\nA:   spaced value \t\r\n\r\n", "POST", "/x", 1, "value trimmed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        RequestHeadParser parser;
        parser.Feed(c.head.data(), c.head.size());
        ASSERT_EQ(parser.Status(), HeadStatus::kDone) << parser.ErrorReason();
        EXPECT_EQ(parser.Head().method, c.method);
        EXPECT_EQ(parser.Head().target, c.target);
        EXPECT_EQ(parser.Head().versionMinor, c.minor);
    }
    RequestHeadParser parser;
    std::string spaced = cases[7].head;
    parser.Feed(spaced.data(), spaced.size());
    EXPECT_EQ(parser.Head().Header("a"), "spaced value");
}

TEST(RequestHeadParser, BadRequestsGetTheirStatus) {
    struct Case {
        std::string head;
        int status;
        const char* label;
    } cases[] = {
        {"GET /\r\n\r\n", 400, "no version"},
        {"GET  / HTTP/1.1\r\nHost: x\r\n\r\n", 400, "two spaces"},
        {"GET / HTTP/1.1 \r\nHost: x\r\n\r\n", 400, "trailing space"},
        {"G(T / HTTP/1.1\r\nHost: x\r\n\r\n", 400, "method not a token"},
        {"GET / http/1.1\r\nHost: x\r\n\r\n", 400, "lower-case version"},
        {"GET / HTTP/1.10\r\nHost: x\r\n\r\n", 400, "two-digit minor"},
        {"GET /\x01 HTTP/1.1\r\nHost: x\r\n\r\n", 400, "control byte in target"},
        {"GET /\xc3\xa9 HTTP/1.1\r\nHost: x\r\n\r\n", 400, "raw non-ASCII in target"},
        {"GET * HTTP/1.1\r\nHost: x\r\n\r\n", 400, "asterisk form"},
        {"GET ftp://x/ HTTP/1.1\r\nHost: x\r\n\r\n", 400, "other scheme"},
        {"GET / HTTP/1.1\r\n\r\n", 400, "HTTP/1.1 without Host"},
        {"GET / HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n", 400, "two Hosts"},
        {"GET / HTTP/1.1\r\nHost : x\r\n\r\n", 400, "space before colon"},
        {"GET / HTTP/1.1\r\nHost: x\r\nNoColon\r\n\r\n", 400, "header without colon"},
        {"GET / HTTP/1.1\r\nHost: x\r\nA: b\r\n c\r\n\r\n", 400, "obs-fold"},
        {"GET / HTTP/1.1\r\nHost: x\r\nA: b\rc\r\n\r\n", 400, "bare CR in value"},
        {std::string("GET / HTTP/1.1\r\nHost: x\r\nA: b\0c\r\n\r\n", 35), 400, "NUL in value"},
        {"GET / HTTP/2.0\r\nHost: x\r\n\r\n", 505, "HTTP/2"},
        {"GET / HTTP/0.9\r\nHost: x\r\n\r\n", 505, "HTTP/0.9"},
        {"PUT / HTTP/1.1\r\nHost: x\r\n\r\n", 501, "PUT"},
        {"get / HTTP/1.1\r\nHost: x\r\n\r\n", 501, "methods are case-sensitive"},
        {"BREW / HTTP/1.1\r\nHost: x\r\n\r\n", 501, "unknown method"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        RequestHeadParser parser;
        EXPECT_EQ(parser.Feed(c.head.data(), c.head.size()), c.head.size());
        ASSERT_EQ(parser.Status(), HeadStatus::kError);
        EXPECT_EQ(parser.ErrorStatus(), c.status) << parser.ErrorReason();
        EXPECT_FALSE(parser.ErrorReason().empty());
    }
}

TEST(RequestHeadParser, LimitsAnswer414And431) {
    HeadLimits limits;
    limits.maxHeadBytes = 200;
    limits.maxRequestLine = 100;
    limits.maxHeaders = 3;
    struct Case {
        std::string head;
        int status;
        const char* label;
    } cases[] = {
        {"GET /" + std::string(150, 'a'), 414, "request line still open past its limit"},
        {"GET /" + std::string(150, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n", 414,
         "complete but long request line"},
        {"GET / HTTP/1.1\r\nHost: x\r\nA: " + std::string(250, 'b'), 431, "head still open past its limit"},
        {"GET / HTTP/1.1\r\nHost: x\r\nA: " + std::string(190, 'b') + "\r\n\r\n", 431,
         "complete but large head"},
        {"GET / HTTP/1.1\r\nHost: x\r\nA: 1\r\nB: 2\r\nC: 3\r\n\r\n", 431, "too many headers"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        RequestHeadParser parser(limits);
        parser.Feed(c.head.data(), c.head.size());
        ASSERT_EQ(parser.Status(), HeadStatus::kError);
        EXPECT_EQ(parser.ErrorStatus(), c.status);
    }
    RequestHeadParser parser(limits);
    std::string fits = "GET / HTTP/1.1\r\nHost: x\r\nA: 1\r\nB: 2\r\n\r\n";
    parser.Feed(fits.data(), fits.size());
    EXPECT_EQ(parser.Status(), HeadStatus::kDone);
}

TEST(RequestHeadParser, ResetServesPipelinedRequests) {
    std::string two = "GET /a HTTP/1.1\r\nHost: x\r\n\r\nGET /b HTTP/1.1\r\nHost: x\r\n\r\n";
    RequestHeadParser parser;
    std::size_t used = parser.Feed(two.data(), two.size());
    ASSERT_EQ(parser.Status(), HeadStatus::kDone);
    EXPECT_EQ(parser.Head().target, "/a");
    parser.Reset();
    EXPECT_EQ(parser.Feed(two.data() + used, two.size() - used), two.size() - used);
    ASSERT_EQ(parser.Status(), HeadStatus::kDone);
    EXPECT_EQ(parser.Head().target, "/b");
    EXPECT_EQ(parser.Head().headers.size(), 1u);
}

TEST(RequestHead, HeaderTokensAndJoins) {
    RequestHead head;
    head.headers = {
        {"Connection", "keep-alive, Upgrade"}, {"connection", " CLOSE "}, {"Accept", "a"}, {"accept", "b"}};
    EXPECT_TRUE(head.HeaderHasToken("CONNECTION", "close"));
    EXPECT_TRUE(head.HeaderHasToken("Connection", "upgrade"));
    EXPECT_FALSE(head.HeaderHasToken("Connection", "keep"));
    EXPECT_EQ(head.JoinedHeader("accept"), "a, b");
    EXPECT_EQ(head.HeaderCount("ACCEPT"), 2);
}

}  // namespace
}  // namespace kestrune
