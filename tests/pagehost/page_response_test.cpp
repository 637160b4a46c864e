#include "pagehost/http/error_page.h"
#include "pagehost/http/page_response.h"
#include "pagehost/http/server_variables.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

// Collects what would go to the socket; can play a client that leaves after n sends.
class RecordingTransport : public ResponseTransport {
public:
    bool Send(std::string_view bytes) override {
        if (sendsLeft == 0) return false;
        --sendsLeft;
        sent.append(bytes);
        return true;
    }
    bool ClientConnected() override { return sendsLeft != 0; }

    std::string sent;
    int sendsLeft = -1;  // -1: never leaves
};

PageResponseSettings Settings(bool is11 = true, bool head = false, bool keepAlive = true) {
    PageResponseSettings settings;
    settings.clientIs11 = is11;
    settings.headRequest = head;
    settings.keepAlive = keepAlive;
    settings.clock = [] { return std::int64_t{784111777}; };
    return settings;
}

std::string Body(const std::string& sent) { return sent.substr(sent.find("\r\n\r\n") + 4); }

TEST(PageResponse, BufferedOutputGoesOutWholeWithContentLength) {
    RecordingTransport transport;
    PageResponse response(transport, Settings());
    response.Write("Hello, ");
    response.Write("world");
    EXPECT_EQ(transport.sent, "");
    response.Finish();
    EXPECT_EQ(transport.sent.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_NE(transport.sent.find("Date: Sun, 06 Nov 1994 08:49:37 GMT\r\n"), std::string::npos);
    EXPECT_NE(transport.sent.find("Content-Type: text/html\r\n"), std::string::npos);
    EXPECT_NE(transport.sent.find("Content-Length: 12\r\n"), std::string::npos);
    EXPECT_EQ(Body(transport.sent), "Hello, world");
    EXPECT_TRUE(response.KeepsConnection());
}

TEST(PageResponse, FlushOrBufferOffStreams) {
    struct Case {
        const char* label;
        bool is11;
        bool bufferOff;
        std::string body;
        bool keeps;
    } cases[] = {
        {"flush on 1.1: chunked", true, false, "2\r\nab\r\n2\r\ncd\r\n0\r\n\r\n", true},
        {"buffer off on 1.1: chunked", true, true, "2\r\nab\r\n2\r\ncd\r\n0\r\n\r\n", true},
        {"flush on 1.0: ended by closing", false, false, "abcd", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        RecordingTransport transport;
        PageResponse response(transport, Settings(c.is11, false, true));
        if (c.bufferOff) {
            ASSERT_TRUE(response.SetBuffer(false));
        }
        response.Write("ab");
        if (!c.bufferOff) response.Flush();
        EXPECT_TRUE(response.HeadSent());
        response.Write("cd");
        response.Finish();
        EXPECT_EQ(Body(transport.sent), c.body);
        EXPECT_EQ(transport.sent.find("Content-Length"), std::string::npos);
        EXPECT_EQ(response.KeepsConnection(), c.keeps);
    }
}

TEST(PageResponse, HeadSettingsApplyUntilTheHeadLeaves) {
    RecordingTransport transport;
    PageResponse response(transport, Settings());
    EXPECT_TRUE(response.SetStatus(404, "Nothing Here"));
    EXPECT_TRUE(response.SetContentType("text/plain"));
    EXPECT_TRUE(response.SetCharSet("utf-8"));
    EXPECT_TRUE(response.AddHeader("X-Test", "1"));
    EXPECT_FALSE(response.AddHeader("Bad Name", "1"));
    EXPECT_FALSE(response.AddHeader("X-Split", "a\r\nSet-Cookie: x"));
    EXPECT_FALSE(response.AddHeader("Content-Length", "5"));
    EXPECT_EQ(response.StatusLine(), "404 Nothing Here");
    response.Write("x");
    response.Flush();
    EXPECT_FALSE(response.SetStatus(200, ""));
    EXPECT_FALSE(response.SetContentType("text/html"));
    EXPECT_FALSE(response.AddHeader("X-Late", "1"));
    EXPECT_TRUE(response.SetBuffer(false));
    EXPECT_FALSE(response.SetBuffer(true));
    response.Finish();
    EXPECT_EQ(transport.sent.rfind("HTTP/1.1 404 Nothing Here\r\n", 0), 0u);
    EXPECT_NE(transport.sent.find("Content-Type: text/plain; charset=utf-8\r\nX-Test: 1\r\n"),
              std::string::npos);
    EXPECT_EQ(transport.sent.find("X-Split"), std::string::npos);
}

TEST(PageResponse, ClearEndAndRedirect) {
    RecordingTransport transport;
    PageResponse response(transport, Settings());
    response.Write("dropped");
    response.Clear();
    ASSERT_TRUE(response.Redirect("next.asp?a=\"b\""));
    EXPECT_TRUE(response.Ended());
    response.Write("after the end");
    response.Finish();
    EXPECT_EQ(transport.sent.rfind("HTTP/1.1 302 Object Moved\r\n", 0), 0u);
    EXPECT_NE(transport.sent.find("Location: next.asp?a=\"b\"\r\n"), std::string::npos);
    EXPECT_NE(transport.sent.find("href=\"next.asp?a=&quot;b&quot;\""), std::string::npos);
    EXPECT_EQ(transport.sent.find("dropped"), std::string::npos);
    EXPECT_EQ(transport.sent.find("after the end"), std::string::npos);
}

TEST(PageResponse, FailReplacesOrAppends) {
    RecordingTransport before;
    PageResponse quiet(before, Settings());
    quiet.SetStatus(201, "");
    quiet.AddHeader("X-Page", "1");
    quiet.Write("half a page");
    quiet.Fail(500, "<p>boom</p>");
    quiet.Write("more");
    quiet.Finish();
    EXPECT_EQ(before.sent.rfind("HTTP/1.1 500 Internal Server Error\r\n", 0), 0u);
    EXPECT_EQ(before.sent.find("X-Page"), std::string::npos);
    EXPECT_EQ(Body(before.sent), "<p>boom</p>");

    RecordingTransport after;
    PageResponse streamed(after, Settings());
    streamed.Write("sent");
    streamed.Flush();
    streamed.Fail(500, "boom");
    streamed.Finish();
    EXPECT_EQ(after.sent.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_EQ(Body(after.sent), "4\r\nsent\r\n4\r\nboom\r\n0\r\n\r\n");
}

TEST(PageResponse, HeadRequestsGetNoBody) {
    RecordingTransport transport;
    PageResponse response(transport, Settings(true, true));
    response.Write("12345");
    response.Finish();
    EXPECT_NE(transport.sent.find("Content-Length: 5\r\n"), std::string::npos);
    EXPECT_EQ(Body(transport.sent), "");
}

TEST(PageResponse, ClientGoneStopsSendingAndTheConnection) {
    RecordingTransport transport;
    transport.sendsLeft = 1;
    PageResponse response(transport, Settings());
    ASSERT_TRUE(response.SetBuffer(false));
    response.Write("first");  // the head goes, then the client is gone
    EXPECT_FALSE(response.IsConnected());
    response.Write("second");
    response.Finish();
    EXPECT_EQ(transport.sent.find("first"), std::string::npos);
    EXPECT_FALSE(response.KeepsConnection());
}

TEST(PageResponse, ConnectionCloseWishIsKept) {
    RecordingTransport transport;
    PageResponse response(transport, Settings(true, false, false));
    response.Finish();
    EXPECT_NE(transport.sent.find("Connection: close\r\n"), std::string::npos);
    EXPECT_FALSE(response.KeepsConnection());
}

TEST(ParseStatusLine, Cases) {
    struct Case {
        const char* text;
        bool ok;
        int code;
        const char* reason;
    } cases[] = {
        {"404 Not Found", true, 404, "Not Found"},
        {"200 ", true, 200, ""},
        {"301 Moved Permanently", true, 301, "Moved Permanently"},
        {"404", false, 0, ""},
        {"99 x", false, 0, ""},
        {"099 x", false, 0, ""},
        {"20a OK", false, 0, ""},
        {"200 OK\r\nX: y", false, 0, ""},
        {"", false, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        int code = 0;
        std::string reason;
        EXPECT_EQ(ParseStatusLine(c.text, code, reason), c.ok);
        if (c.ok) {
            EXPECT_EQ(code, c.code);
            EXPECT_EQ(reason, c.reason);
        }
    }
}

TEST(ErrorPages, EscapeWhatTheyShow) {
    EXPECT_EQ(EscapeHtml("<a href=\"x\">&</a> caf\xc3\xa9"),
              "&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt; caf\xc3\xa9");
    std::string page = ErrorPageHtml(404, "no <such> file");
    EXPECT_NE(page.find("<title>404 Not Found</title>"), std::string::npos);
    EXPECT_NE(page.find("no &lt;such&gt; file"), std::string::npos);

    PageFault fault{"/broken.asp", 3, static_cast<long>(0x800A01F4), "Microsoft VBScript runtime error",
                    "Variable is undefined: '<x>'"};
    std::string html = PageFaultHtml(fault);
    EXPECT_NE(html.find("/broken.asp, line 3"), std::string::npos);
    EXPECT_NE(html.find("0x800A01F4"), std::string::npos);
    EXPECT_NE(html.find("Variable is undefined: '&lt;x&gt;'"), std::string::npos);
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
    ConnectionAddress address;
    address.port = 8080;
    address.remotePort = 5555;
    PageRequestInfo info = MakePageRequestInfo(head, "/dir/page.asp", "C:\\site\\dir\\page.asp", address);
    struct Case {
        const char* name;
        const char* value;
    } cases[] = {
        {"REQUEST_METHOD", "POST"},
        {"request_method", "POST"},
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
        EXPECT_EQ(info.ServerVariable(c.name), std::optional<std::string>(c.value));
    }
    EXPECT_EQ(info.ServerVariable("NO_SUCH"), std::nullopt);
    EXPECT_EQ(QueryValue(info.queryPairs, "b"), std::optional<std::string>("x y"));
}

TEST(ServerVariables, NoBodyMeansLengthZero) {
    RequestHead head;
    head.method = "GET";
    head.target = "/";
    PageRequestInfo info =
        MakePageRequestInfo(head, "/default.asp", "C:\\site\\default.asp", ConnectionAddress{});
    EXPECT_EQ(info.ServerVariable("CONTENT_LENGTH"), std::optional<std::string>("0"));
    EXPECT_EQ(info.ServerVariable("CONTENT_TYPE"), std::optional<std::string>(""));
    EXPECT_EQ(info.ServerVariable("QUERY_STRING"), std::optional<std::string>(""));
}

}  // namespace
}  // namespace kestrune
