#include "pagehost/asp/server_encoders.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(HtmlEncode, ClassicAspRules) {
    struct Case {
        std::u16string text;
        std::u16string encoded;
    } cases[] = {
        {u"", u""},
        {u"plain text 123", u"plain text 123"},
        {u"<a href=\"x\">&amp;</a>", u"&lt;a href=&quot;x&quot;&gt;&amp;amp;&lt;/a&gt;"},
        {u"it's", u"it's"},
        {u"caf\u00e9 \u00a0\u00ff\u00a9", u"caf&#233; &#160;&#255;&#169;"},
        {u"\u009f\u0100\u20ac\u65e5", u"\u009f\u0100\u20ac\u65e5"},
        {u"\r\n\t", u"\r\n\t"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text.begin(), c.text.end())));
        EXPECT_EQ(HtmlEncode(c.text), c.encoded);
    }
}

TEST(UrlEncode, ClassicAspRules) {
    struct Case {
        std::u16string text;
        const char* encoded;
    } cases[] = {
        {u"", ""},
        {u"AZaz09", "AZaz09"},
        {u"a b", "a+b"},
        {u"a-b_c.d~e", "a%2Db%5Fc%2Ed%7Ee"},
        {u"x=1&y=2/3?", "x%3D1%26y%3D2%2F3%3F"},
        {u"+%", "%2B%25"},
        {u"caf\u00e9", "caf%C3%A9"},
        {u"\u20ac", "%E2%82%AC"},
        {u"\U0001F600", "%F0%9F%98%80"},
        {std::u16string(1, char16_t(0xD800)), "%EF%BF%BD"},
        {std::u16string(1, char16_t(0xDC00)) + u"a", "%EF%BF%BDa"},
        {u"\r\n", "%0D%0A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoded);
        EXPECT_EQ(UrlEncode(c.text), c.encoded);
    }
}

}  // namespace
}  // namespace kestrune
