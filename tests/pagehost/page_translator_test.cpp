#include "pagehost/asp/page_translator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace kestrune {
namespace {

// A site held in memory; records which paths the translator asked for.
struct FakeSite {
    std::map<std::string, std::string> files;
    std::vector<std::string> asked;

    IncludeLoader Loader() {
        return [this](const std::string& path) -> std::optional<std::string> {
            asked.push_back(path);
            auto found = files.find(path);
            if (found == files.end()) return std::nullopt;
            return found->second;
        };
    }
};

TranslatedPage Translate(const std::string& page, FakeSite& site, const std::string& path = "/page.asp") {
    return TranslatePage(page, path, site.Loader());
}

TEST(TranslatePage, BlocksAndLiteralsKeepTheirOrder) {
    struct Case {
        std::string page;
        std::string program;  // after the reserved first line
        const char* label;
    } cases[] = {
        {"Hello", "Response.Write \"Hello\"\r\n", "literal only"},
        {"", "", "empty page"},
        {"<% x = 1 %>", " x = 1 \r\n", "code copied through"},
        {"a<%= x %>b", "Response.Write \"a\"\r\nResponse.Write ( x )\r\nResponse.Write \"b\"\r\n",
         "expression"},
        {"<%=x%><%=y%>", "Response.Write (x)\r\nResponse.Write (y)\r\n", "adjacent expressions"},
        {"<% If a Then %>yes<% Else %>no<% End If %>",
         " If a Then \r\nResponse.Write \"yes\"\r\n Else \r\nResponse.Write \"no\"\r\n End If \r\n",
         "literal inside If"},
        {"<% s = \"%>\" %>", " s = \"\r\nResponse.Write \"\"\" %>\"\r\n",
         "%> ends the block even inside a string, as classic ASP does"},
        {"<%%>", "\r\n", "empty block"},
        {"<!-- plain comment --><b>", "Response.Write \"<!-- plain comment --><b>\"\r\n",
         "HTML comment is literal"},
        {"<!-- <% x %> -->", "Response.Write \"<!-- \"\r\n x \r\nResponse.Write \" -->\"\r\n",
         "block inside a comment runs"},
        {"a\r\n<% x = 1\r\ny = 2 %>\r\n",
         "Response.Write \"a\" & vbCrLf\r\n x = 1\r\ny = 2 \r\nResponse.Write vbCrLf\r\n",
         "multi-line block"},
        {"<%= a &\r\n b %>", "Response.Write ( a &\r\n b )\r\n", "multi-line expression"},
        {"<%@ Language=\"VBScript\" %>\r\nx", "Response.Write vbCrLf & \"x\"\r\n",
         "directive writes nothing"},
        {"<%@ Language=JScript %>a<%= x %>b\r\n",
         "Response.Write(\"a\");\r\nResponse.Write( x );\r\nResponse.Write(\"b\\r\\n\");\r\n",
         "JScript literal and expression"},
        {"\r\n<%@ language='javascript' %><% Option Explicit %>",
         "Response.Write(\"\\r\\n\");\r\n Option Explicit \r\n",
         "literal before the directive is JScript too, and nothing is hoisted"},
        {"<%@ Language=JScript %><!-- #include file=\"menu.inc\" -->",
         "Response.Write(\"<li>\\\"x\\\"</li>\");\r\n", "an include is written in the page's language"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        FakeSite site;
        site.files["/menu.inc"] = "<li>\"x\"</li>";
        TranslatedPage page = Translate(c.page, site);
        EXPECT_EQ(page.program, "\r\n" + c.program);
        EXPECT_EQ(page.lines.LineCount(),
                  static_cast<std::size_t>(std::count(page.program.begin(), page.program.end(), '\n')));
    }
}

TEST(TranslatePage, OptionExplicitMovesToTheFirstLine) {
    FakeSite site;
    TranslatedPage page = Translate("<%@ Language=VBScript %>\r\n<% Option  Explicit\r\nDim a %>\r\n", site);
    EXPECT_EQ(page.program,
              "Option Explicit\r\nResponse.Write vbCrLf\r\n                 \r\nDim a \r\nResponse.Write "
              "vbCrLf\r\n");
    SourceLocation where = page.lines.Locate(1);
    EXPECT_EQ(where.file, "/page.asp");
    EXPECT_EQ(where.line, 2);

    TranslatedPage later = Translate("<% x = 1 %><% Option Explicit %>", site);
    EXPECT_EQ(later.program.rfind("\r\n", 0), 0u) << "only the first block may hoist it";
    EXPECT_NE(later.program.find("Option Explicit"), std::string::npos);

    TranslatedPage lookalike = Translate("<% Option ExplicitX = 1 %>", site);
    EXPECT_EQ(lookalike.program.rfind("\r\n", 0), 0u);
}

TEST(TranslatePage, LineMapNamesFileAndLine) {
    FakeSite site;
    site.files["/inc/menu.inc"] = "<ul>\r\n<li>one</li>\r\n<% bad1 %>\r\n";
    TranslatedPage page = Translate(
        "<html>\r\n<!-- #include file=\"inc/menu.inc\" -->\r\n<%\r\nx = 1\r\nbad2\r\n%>\r\n<%= bad3 %>", site,
        "/page.asp");
    auto find = [&](const std::string& needle) {
        std::size_t at = page.program.find(needle);
        EXPECT_NE(at, std::string::npos) << needle;
        return static_cast<int>(
                   std::count(page.program.begin(), page.program.begin() + static_cast<long>(at), '\n')) +
               1;
    };
    struct Case {
        const char* needle;
        const char* file;
        int line;
    } cases[] = {
        {"\"<html>\"", "/page.asp", 1}, {"\"<ul>\"", "/inc/menu.inc", 1}, {"bad1", "/inc/menu.inc", 3},
        {"x = 1", "/page.asp", 4},      {"bad2", "/page.asp", 5},         {"bad3", "/page.asp", 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.needle);
        SourceLocation where = page.lines.Locate(find(c.needle));
        EXPECT_EQ(where.file, c.file);
        EXPECT_EQ(where.line, c.line);
    }
    EXPECT_EQ(page.lines.Locate(100000).file, "/page.asp") << "past the end maps to the last line";
    EXPECT_EQ(page.lines.Locate(0).line, 0);
}

TEST(TranslatePage, IncludesResolveAgainstTheirOwnFolder) {
    FakeSite site;
    site.files["/a/one.inc"] = "1<!--#include file=\"../b/two.inc\"-->";
    site.files["/b/two.inc"] = "2<!-- #INCLUDE VIRTUAL=\"/c/three.inc\" -->";
    site.files["/c/three.inc"] = "3<!--  #include   file = \"four.inc\"  -->";
    site.files["/c/four.inc"] = "4";
    TranslatedPage page = Translate("<!-- #include virtual=\"/a/one.inc\" -->5", site, "/dir/page.asp");
    EXPECT_EQ(
        page.program,
        "\r\nResponse.Write \"1\"\r\nResponse.Write \"2\"\r\nResponse.Write \"3\"\r\nResponse.Write \"4\"\r\n"
        "Response.Write \"5\"\r\n");
    EXPECT_EQ(site.asked,
              (std::vector<std::string>{"/a/one.inc", "/b/two.inc", "/c/three.inc", "/c/four.inc"}));
}

TEST(TranslatePage, ErrorsNameFileAndLine) {
    struct Case {
        std::string page;
        std::string file;
        int line;
        std::string message;
        const char* label;
    } cases[] = {
        {"a\r\nb <% x = 1", "/page.asp", 2, "script block is not closed with %>", "unclosed block"},
        {"<%@ Language=\"PerlScript\" %>", "/page.asp", 1,
         "page language PerlScript is not supported: this host runs VBScript and JScript", "other language"},
        {"\n<%@ CodePage=-1 %>", "/page.asp", 2, "invalid code page -1", "negative code page"},
        {"<%@ CodePage=utf-8 %>", "/page.asp", 1, "invalid code page utf-8", "code page by name"},
        {"<%@ CodePage=65536 %>", "/page.asp", 1, "invalid code page 65536", "code page past 16 bits"},
        {"<%@ CodePage=\"\" %>", "/page.asp", 1, "invalid code page ", "empty code page"},
        {"<%@ Colour=\"red\" %>", "/page.asp", 1, "unknown page directive attribute COLOUR",
         "unknown attribute"},
        {"<%@ Language %>", "/page.asp", 1, "page directive attribute LANGUAGE has no value", "no value"},
        {"<% x %>\n<%@ Language=VBScript %>", "/page.asp", 2,
         "the page directive must come before any other script block", "late directive"},
        {"<%@ LANGUAGE=VBSCRIPT CODEPAGE=65001 %><%@ Language=VBScript %>", "/page.asp", 1,
         "the page directive must come before any other script block", "second directive"},
        {"\n\n<!-- #include file=\"missing.inc\" -->", "/page.asp", 3, "include file not found: /missing.inc",
         "missing include"},
        {"<!-- #include file=missing.inc -->", "/page.asp", 1, "#include path must be in double quotes",
         "unquoted"},
        {"<!-- #include page=\"x\" -->", "/page.asp", 1, "#include needs file=\"...\" or virtual=\"...\"",
         "bad kind"},
        {"<!-- #include file=\"x\" ", "/page.asp", 1, "#include is not closed with -->", "unclosed include"},
        {"<!-- #include file=\"../../etc/passwd\" -->", "/page.asp", 1,
         "include path leaves the site root: \"../../etc/passwd\"", "climbs out"},
        {"<!-- #include virtual=\"/..\\x\" -->", "/page.asp", 1,
         "include path leaves the site root: \"/..\\x\"", "climbs out with a backslash"},
        {"<!-- #include file=\"c:\\boot.ini\" -->", "/page.asp", 1,
         "include path may not hold NUL or ':': \"c:\\boot.ini\"", "drive letter"},
        {"<!-- #include file=\"\" -->", "/page.asp", 1, "include path is empty: \"\"", "empty path"},
        {"<!-- #include file=\"self.inc\" -->", "/self.inc", 2,
         "include cycle: /page.asp -> /self.inc -> /self.inc", "self include"},
        {"<!-- #include file=\"PING.inc\" -->", "/pong.inc", 1,
         "include cycle: /page.asp -> /PING.inc -> /pong.inc -> /ping.inc",
         "cycle through two files, any case"},
        {"<!-- #include file=\"directive.inc\" -->", "/directive.inc", 1,
         "a page directive is not allowed in an include file", "directive in include"},
        {"<!-- #include file=\"open.inc\" -->", "/open.inc", 1, "script block is not closed with %>",
         "block may not run past its file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        FakeSite site;
        site.files["/self.inc"] = "x\n<!-- #include file=\"self.inc\" -->";
        site.files["/PING.inc"] = "<!-- #include file=\"pong.inc\" -->";
        site.files["/pong.inc"] = "<!-- #include file=\"ping.inc\" -->";
        site.files["/ping.inc"] = "never reached";
        site.files["/directive.inc"] = "<%@ Language=VBScript %>";
        site.files["/open.inc"] = "<% x";
        try {
            Translate(c.page, site);
            ADD_FAILURE() << "no error";
        } catch (const EPageError& e) {
            EXPECT_EQ(e.what(), c.message);
            EXPECT_EQ(e.File(), c.file);
            EXPECT_EQ(e.Line(), c.line);
        }
    }
}

TEST(TranslatePage, NestingDeeperThanTheLimitIsAnError) {
    FakeSite site;
    for (int i = 0; i < 40; ++i)
        site.files["/n" + std::to_string(i) + ".inc"] =
            "<!-- #include file=\"n" + std::to_string(i + 1) + ".inc\" -->";
    try {
        Translate("<!-- #include file=\"n0.inc\" -->", site);
        ADD_FAILURE() << "no error";
    } catch (const EPageError& e) {
        EXPECT_EQ(std::string(e.what()), "includes nest deeper than 16 levels");
    }
    site.files["/n10.inc"] = "end";
    EXPECT_NO_THROW(Translate("<!-- #include file=\"n0.inc\" -->", site));
}

TEST(TranslatePage, DirectiveAttributesAreKept) {
    FakeSite site;
    TranslatedPage page = Translate("<%@ language='vbscript' CodePage = 65001 LCID=1033 %>", site);
    EXPECT_EQ(page.directive.attributes.at("LANGUAGE"), "vbscript");
    EXPECT_EQ(page.directive.attributes.at("CODEPAGE"), "65001");
    EXPECT_EQ(page.directive.attributes.at("LCID"), "1033");
    EXPECT_EQ(page.directive.codePage, 65001u);
    EXPECT_EQ(page.directive.language, ScriptLanguage::kVBScript);

    TranslatedPage later = Translate("<html>\r\n<%@ CODEPAGE=\"01252\" LANGUAGE=JScript %>", site);
    EXPECT_EQ(later.directive.codePage, 1252u);
    EXPECT_EQ(later.directive.language, ScriptLanguage::kJScript);
    EXPECT_EQ(later.directive.line, 2) << "a code page the system lacks is reported on this line";
    EXPECT_FALSE(Translate("x", site).directive.codePage);
}

}  // namespace
}  // namespace kestrune
