#include "pagehost/http/url_path.h"

#include <gtest/gtest.h>

#include <map>

namespace kestrune {
namespace {

TEST(DecodeUrlPath, AcceptsAndDecodes) {
    struct Case {
        const char* target;
        const char* path;
    } cases[] = {
        {"/", "/"},
        {"/default.asp", "/default.asp"},
        {"/a%20b/c%2Bd+e.txt", "/a b/c+d+e.txt"},
        {"/caf%C3%A9.html", "/caf\xc3\xa9.html"},
        {"/dir/", "/dir/"},
        {"//a///b", "/a/b"},
        {"/a//", "/a/"},
        {"/.well-known/x", "/.well-known/x"},
        {"/a..b", "/a..b"},
        {"/console.asp", "/console.asp"},
        {"/com10", "/com10"},
        {"/conin", "/conin"},
        {"/com%C2%B4", "/com\xc2\xb4"},
        {"/com%C2%B9%C2%B9", "/com\xc2\xb9\xc2\xb9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        DecodedPath decoded = DecodeUrlPath(c.target);
        EXPECT_EQ(decoded.status, 0);
        EXPECT_EQ(decoded.path, c.path);
    }
}

TEST(DecodeUrlPath, RefusesAttacks) {
    struct Case {
        std::string target;
        int status;
    } cases[] = {
        {"", 400},
        {"a.asp", 400},
        {"/%", 400},
        {"/%4", 400},
        {"/%zz", 400},
        {"/a%00.asp", 400},
        {"/a%0d%0a", 400},
        {"/..", 403},
        {"/../etc/passwd", 403},
        {"/a/../../x", 403},
        {"/%2e%2e/x", 403},
        {"/%2E%2E%2Fx", 403},
        {"/./x", 403},
        {"/a%5c..%5cx", 403},
        {"/a\\b", 403},
        {"/c:/windows/win.ini", 403},
        {"/C%3A%5Cboot.ini", 403},
        {"/default.asp::$DATA", 403},
        {"/default.asp.", 403},
        {"/default.asp%20", 403},
        {"/dir./x", 403},
        {"/CON", 403},
        {"/nul.txt", 403},
        {"/a/Com1.asp", 403},
        {"/lpt9", 403},
        {"/aux%20.x", 403},
        {"/COM0", 403},
        {"/lpt0.asp", 403},
        {"/CONIN$", 403},
        {"/conout$.txt", 403},
        {"/com%C2%B9", 403},
        {"/LPT%C2%B2.asp", 403},
        {"/com%C2%B3%20.x", 403},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        DecodedPath decoded = DecodeUrlPath(c.target);
        EXPECT_EQ(decoded.status, c.status);
        EXPECT_TRUE(decoded.path.empty());
    }
}

TEST(MapSitePath, JoinsUnderTheRoot) {
    EXPECT_EQ(MapSitePath("C:\\site", "/a/b.asp", '\\'), "C:\\site\\a\\b.asp");
    EXPECT_EQ(MapSitePath("C:\\site\\", "/", '\\'), "C:\\site");
    EXPECT_EQ(MapSitePath("/srv/site/", "/dir/", '/'), "/srv/site/dir");
    EXPECT_EQ(MapSitePath("/", "/x", '/'), "/x");
    EXPECT_EQ(MapSitePath("/", "/", '/'), "/");
    EXPECT_EQ(MapSitePath("C:\\", "/", '\\'), "C:\\");
    EXPECT_EQ(MapSitePath("C:\\", "/a", '\\'), "C:\\a");
}

TEST(ResolveTarget, FilesFoldersAndDefaultDocuments) {
    std::map<std::string, FileKind> disk = {
        {"/r", FileKind::kDirectory},
        {"/r/default.asp", FileKind::kFile},
        {"/r/only-index", FileKind::kDirectory},
        {"/r/only-index/index.html", FileKind::kFile},
        {"/r/empty", FileKind::kDirectory},
        {"/r/style.css", FileKind::kFile},
        {"/r/both", FileKind::kDirectory},
        {"/r/both/default.asp", FileKind::kFile},
        {"/r/both/index.html", FileKind::kFile},
        {"/r/odd", FileKind::kDirectory},
        {"/r/odd/default.asp", FileKind::kDirectory},
    };
    FileProbe probe = [&](const std::string& path) {
        auto found = disk.find(path);
        return found == disk.end() ? FileKind::kNone : found->second;
    };
    struct Case {
        const char* sitePath;
        int status;
        const char* resolved;
        const char* file;
    } cases[] = {
        {"/", 0, "/default.asp", "/r/default.asp"},
        {"/only-index/", 0, "/only-index/index.html", "/r/only-index/index.html"},
        {"/both/", 0, "/both/default.asp", "/r/both/default.asp"},
        {"/style.css", 0, "/style.css", "/r/style.css"},
        {"/empty/", 404, "", ""},
        {"/empty", 404, "", ""},
        {"/missing.asp", 404, "", ""},
        {"/missing/", 404, "", ""},
        {"/style.css/", 404, "", ""},
        {"/odd/", 404, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sitePath);
        ResolvedTarget target = ResolveTarget("/r", c.sitePath, '/', probe);
        EXPECT_EQ(target.status, c.status);
        EXPECT_EQ(target.sitePath, c.resolved);
        EXPECT_EQ(target.filePath, c.file);
    }
}

TEST(StaticFileType, Table) {
    struct Case {
        const char* path;
        const char* type;
    } cases[] = {
        {"/index.html", "text/html; charset=utf-8"},
        {"/A.HTM", "text/html; charset=utf-8"},
        {"/s.css", "text/css; charset=utf-8"},
        {"/app.js", "text/javascript; charset=utf-8"},
        {"/d.json", "application/json"},
        {"/p.PNG", "image/png"},
        {"/p.jpg", "image/jpeg"},
        {"/p.jpeg", "image/jpeg"},
        {"/p.gif", "image/gif"},
        {"/p.svg", "image/svg+xml"},
        {"/favicon.ico", "image/x-icon"},
        {"/r.txt", "text/plain; charset=utf-8"},
        {"/d.pdf", "application/pdf"},
        {"/global.asa", ""},
        {"/inc/menu.INC", ""},
        {"/web.config", ""},
        {"/site.cer", ""},
        {"/x.cdx", ""},
        {"/menu.inc.txt", "text/plain; charset=utf-8"},
        {"/README", "application/octet-stream"},
        {"/x.exe", "application/octet-stream"},
        {"/dir.html/file", "application/octet-stream"},
        {"/archive.tar.gz", "application/octet-stream"},
        {"/trailing.", "application/octet-stream"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(StaticFileType(c.path), c.type);
    }
}

}  // namespace
}  // namespace kestrune
