#include "pagehost/http/url_path.h"

#include "base/ascii.h"
#include "base/device_name.h"

#include <utility>

namespace kestrune {
namespace {

// Decoded segments are UTF-8, the spelling the host maps to Windows names.
bool IsRefusedSegment(std::string_view segment) {
    return segment == "." || segment == ".." || segment.back() == '.' || segment.back() == ' ' ||
           IsWindowsDeviceName(segment, SuperscriptDigits::kUtf8);
}

// Extension and Content-Type; an empty type: never sent.
constexpr std::pair<std::string_view, std::string_view> kFileTypes[] = {
    {"html", "text/html; charset=utf-8"},
    {"htm", "text/html; charset=utf-8"},
    {"css", "text/css; charset=utf-8"},
    {"js", "text/javascript; charset=utf-8"},
    {"txt", "text/plain; charset=utf-8"},
    {"json", "application/json"},
    {"png", "image/png"},
    {"jpg", "image/jpeg"},
    {"jpeg", "image/jpeg"},
    {"gif", "image/gif"},
    {"svg", "image/svg+xml"},
    {"ico", "image/x-icon"},
    {"pdf", "application/pdf"},
    {"asa", ""},
    {"inc", ""},
    {"config", ""},
    {"cer", ""},
    {"cdx", ""},
};

}  // namespace

DecodedPath DecodeUrlPath(std::string_view targetPath) {
    if (targetPath.empty() || targetPath[0] != '/') return {400, {}};
    std::string decoded;
    for (std::size_t i = 0; i < targetPath.size(); ++i) {
        char c = targetPath[i];
        if (c == '%') {
            int high = i + 2 < targetPath.size() ? HexValue(targetPath[i + 1]) : -1;
            int low = high < 0 ? -1 : HexValue(targetPath[i + 2]);
            if (low < 0) return {400, {}};
            c = static_cast<char>(high * 16 + low);
            i += 2;
        }
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return {400, {}};
        if (c == '\\' || c == ':') return {403, {}};
        decoded += c;
    }

    DecodedPath result;
    std::size_t start = 1;
    while (start <= decoded.size()) {
        std::size_t end = decoded.find('/', start);
        if (end == std::string::npos) end = decoded.size();
        std::string_view segment = std::string_view(decoded).substr(start, end - start);
        if (!segment.empty()) {
            if (IsRefusedSegment(segment)) return {403, {}};
            result.path += "/";
            result.path += segment;
        }
        start = end + 1;
    }
    if (result.path.empty() || decoded.back() == '/') result.path += "/";
    return result;
}

std::string MapSitePath(std::string_view root, std::string_view sitePath, char separator) {
    std::string path(root);
    while (!path.empty() && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    for (char c : sitePath) path += c == '/' ? separator : c;
    while (path.size() > 1 && path.back() == separator) path.pop_back();
    // A root of "/" or "C:\" keeps its own separator.
    if (path.empty() || path.back() == ':') path += separator;
    return path;
}

ResolvedTarget ResolveTarget(std::string_view root, std::string_view sitePath, char separator,
                             const FileProbe& probe) {
    std::string filePath = MapSitePath(root, sitePath, separator);
    ResolvedTarget result{404, {}, {}};
    if (sitePath.empty() || sitePath.back() != '/') {
        if (probe(filePath) == FileKind::kFile) result = {0, std::string(sitePath), filePath};
        return result;
    }
    if (probe(filePath) != FileKind::kDirectory) return result;
    for (std::string_view document : {"default.asp", "index.html"}) {
        std::string candidate = filePath + separator + std::string(document);
        if (probe(candidate) == FileKind::kFile)
            return {0, std::string(sitePath) + std::string(document), candidate};
    }
    return result;
}

std::string_view StaticFileType(std::string_view sitePath) {
    std::size_t dot = sitePath.find_last_of("./");
    if (dot != std::string_view::npos && sitePath[dot] == '.') {
        for (auto [extension, type] : kFileTypes) {
            if (EqualsNoCase(extension, sitePath.substr(dot + 1))) return type;
        }
    }
    return "application/octet-stream";
}

}  // namespace kestrune
