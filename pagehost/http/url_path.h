#pragma once
// From the path of a request target to a file under the site root, safely, and what a
// static file is sent as.

#include <functional>
#include <string>
#include <string_view>

namespace kestrune {

struct DecodedPath {
    int status = 0;    // 0, or 400 (malformed) / 403 (names something outside the site)
    std::string path;  // "/docs/a b.asp": decoded, "/"-separated, always starting with "/"
};

// Decodes %XX ("+" stays "+": it means a space only in query strings) and checks every
// segment. 400: no leading "/", a bad %-escape, a control byte or NUL. 403: "." or
// ".." segments, "\" or ":" (drive letters, alternate streams), a segment ending in
// "." or " " (Windows drops those, so "page.asp." would name page.asp but escape its
// extension check), and reserved device names (CON, NUL, COM1...). Empty segments
// ("a//b") collapse.
DecodedPath DecodeUrlPath(std::string_view targetPath);

// root joined with the segments of a decoded site path, with separator between them.
std::string MapSitePath(std::string_view root, std::string_view sitePath, char separator);

enum class FileKind { kNone, kFile, kDirectory };
using FileProbe = std::function<FileKind(const std::string& filePath)>;

struct ResolvedTarget {
    int status = 0;        // 0 found; 404 (a folder asked for without its "/" too)
    std::string sitePath;  // SCRIPT_NAME of what is served: "/dir/default.asp"
    std::string filePath;  // where it is on disk
};

// Finds the file for a decoded site path: the file itself, or, when the path ends in
// "/", the folder's default.asp or else its index.html.
ResolvedTarget ResolveTarget(std::string_view root, std::string_view sitePath, char separator,
                             const FileProbe& probe);

// The Content-Type a static file is sent with, by its extension (ASCII case ignored);
// application/octet-stream for one not in the table. Empty for the files a site keeps
// to itself (settings and includes: .asa, .inc, .config, .cer, .cdx), which are refused.
std::string_view StaticFileType(std::string_view sitePath);

}  // namespace kestrune
