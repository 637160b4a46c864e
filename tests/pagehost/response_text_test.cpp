#include "pagehost/asp/response_text.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

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

TEST(HostPages, EscapeWhatTheyShow) {
    EXPECT_EQ(EscapeHtml("<a href=\"x\">&</a> caf\xc3\xa9"),
              "&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt; caf\xc3\xa9");
    EXPECT_NE(ObjectMovedHtml("next.asp?a=\"b\"").find("href=\"next.asp?a=&quot;b&quot;\""),
              std::string::npos);

    PageFault fault{"/broken.asp", 3, static_cast<long>(0x800A01F4), "Microsoft VBScript runtime error",
                    "Variable is undefined: '<x>'"};
    std::string html = PageFaultHtml(fault);
    EXPECT_NE(html.find("/broken.asp, line 3"), std::string::npos);
    EXPECT_NE(html.find("0x800A01F4"), std::string::npos);
    EXPECT_NE(html.find("Variable is undefined: '&lt;x&gt;'"), std::string::npos);
}

}  // namespace
}  // namespace kestrune
