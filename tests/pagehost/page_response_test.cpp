#include "pagehost/http/page_response.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kestrune {
namespace {

// Collects what would go to the socket; can play a client that leaves after n sends.
class RecordingTransport : public ResponseTransport {
public:
    void SendHead(std::string_view head) override { RecordingTransport::Send(head); }
    void Send(std::string_view bytes) override {
        if (sendsLeft == 0) return;
        --sendsLeft;
        sent.append(bytes);
    }
    bool IsClientConnected() override { return sendsLeft != 0; }

    std::string sent;
    int sendsLeft = -1;  // -1: never leaves
};

std::string Body(const std::string& sent) { return sent.substr(sent.find("\r\n\r\n") + 4); }

TEST(PageResponse, BufferedOutputGoesOutWholeWithContentLength) {
    RecordingTransport transport;
    PageResponse response(transport);
    response.Write("Hello, ");
    response.Write("world");
    EXPECT_EQ(transport.sent, "");
    response.Finish();
    EXPECT_EQ(transport.sent,
              "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 12\r\nConnection: close\r\n\r\n"
              "Hello, world");
}

TEST(PageResponse, FlushOrBufferOffStreamsUntilTheConnectionCloses) {
    for (bool bufferOff : {false, true}) {
        SCOPED_TRACE(bufferOff ? "buffer off" : "flush");
        RecordingTransport transport;
        PageResponse response(transport);
        if (bufferOff) {
            ASSERT_TRUE(response.SetBuffer(false));
        }
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n";
        response.Write("ab");
        if (!bufferOff) response.Flush();
        EXPECT_EQ(transport.sent, head + "ab");
        response.Write("cd");
        response.Finish();
        EXPECT_EQ(transport.sent, head + "abcd");
    }
}

TEST(PageResponse, HeadSettingsApplyUntilTheHeadLeaves) {
    RecordingTransport transport;
    PageResponse response(transport);
    EXPECT_TRUE(response.SetStatus(404, "Nothing Here"));
    EXPECT_TRUE(response.SetContentType("text/plain"));
    EXPECT_TRUE(response.SetCharSet("utf-8"));
    EXPECT_TRUE(response.AddHeader("X-Test", "1"));
    EXPECT_FALSE(response.AddHeader("Bad Name", "1"));
    EXPECT_FALSE(response.AddHeader("X-Split", "a\r\nSet-Cookie: x"));
    EXPECT_FALSE(response.AddHeader("Content-Length", "5"));
    EXPECT_FALSE(response.AddHeader("connection", "keep-alive"));
    EXPECT_EQ(response.StatusLine(), "404 Nothing Here");
    response.Write("x");
    response.Flush();
    EXPECT_FALSE(response.SetStatus(200, ""));
    EXPECT_FALSE(response.SetContentType("text/html"));
    EXPECT_FALSE(response.AddHeader("X-Late", "1"));
    EXPECT_TRUE(response.SetBuffer(false));
    EXPECT_FALSE(response.SetBuffer(true));
    response.Finish();
    EXPECT_EQ(transport.sent,
              "HTTP/1.1 404 Nothing Here\r\nContent-Type: text/plain; charset=utf-8\r\nX-Test: 1\r\n"
              "Connection: close\r\n\r\nx");
}

TEST(PageResponse, ClearEndAndRedirect) {
    RecordingTransport transport;
    PageResponse response(transport);
    response.Write("dropped");
    response.Clear();
    EXPECT_FALSE(response.Redirect("next.asp\r\nSet-Cookie: x", "split"));
    ASSERT_TRUE(response.Redirect("next.asp?a=\"b\"", "<p>moved</p>"));
    response.Write("after the end");
    response.Finish();
    EXPECT_EQ(transport.sent.rfind("HTTP/1.1 302 Object Moved\r\n", 0), 0u);
    EXPECT_NE(transport.sent.find("Location: next.asp?a=\"b\"\r\n"), std::string::npos);
    EXPECT_EQ(Body(transport.sent), "<p>moved</p>");
}

TEST(PageResponse, FailReplacesOrAppends) {
    RecordingTransport before;
    PageResponse quiet(before);
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
    PageResponse streamed(after);
    streamed.Write("sent;");
    streamed.Flush();
    streamed.Fail(500, "boom");
    streamed.Finish();
    EXPECT_EQ(after.sent.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_EQ(Body(after.sent), "sent;boom");
}

TEST(PageResponse, AClientThatLeftIsSentNothingMore) {
    RecordingTransport transport;
    transport.sendsLeft = 1;
    PageResponse response(transport);
    ASSERT_TRUE(response.SetBuffer(false));
    response.Write("first");  // the head goes, then the client is gone
    EXPECT_FALSE(response.IsClientConnected());
    response.Write("second");
    response.Finish();
    EXPECT_EQ(transport.sent.find("first"), std::string::npos);
}

// Script mode: unbuffered from the start, one Send per Write (each a host call), and an
// exception from the transport reaches the caller.
TEST(PageResponse, UnbufferedWritesReachTheTransportOneByOne) {
    struct CountingTransport : RecordingTransport {
        void Send(std::string_view bytes) override {
            if (++sends == 2) throw std::runtime_error("refused");
            RecordingTransport::Send(bytes);
        }
        int sends = 0;
    } transport;
    PageResponse response(transport, false);
    EXPECT_FALSE(response.Buffer());
    response.Write("");
    EXPECT_THROW(response.Write("lost"), std::runtime_error);
    response.Write("kept");
    response.Finish();
    EXPECT_EQ(transport.sends, 3);
    EXPECT_EQ(Body(transport.sent), "kept");
}

TEST(PageResponse, KnownAndOwnPhrases) {
    for (auto [status, line] :
         {std::pair{413, "HTTP/1.1 413 Content Too Large\r\n"},
          std::pair{501, "HTTP/1.1 501 Not Implemented\r\n"}, std::pair{299, "HTTP/1.1 299 \r\n"}}) {
        RecordingTransport transport;
        PageResponse response(transport);
        response.SetStatus(status, "");
        response.Finish();
        EXPECT_EQ(transport.sent.rfind(line, 0), 0u) << transport.sent;
    }
}

}  // namespace
}  // namespace kestrune
