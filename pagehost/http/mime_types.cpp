#include "pagehost/http/mime_types.h"

#include "base/ascii.h"

namespace kestrune {
namespace {

struct MimeEntry {
    std::string_view extension;
    std::string_view type;
};

constexpr MimeEntry kMimeTable[] = {
    {"html", "text/html; charset=utf-8"},
    {"htm", "text/html; charset=utf-8"},
    {"css", "text/css; charset=utf-8"},
    {"js", "text/javascript; charset=utf-8"},
    {"json", "application/json"},
    {"png", "image/png"},
    {"jpg", "image/jpeg"},
    {"jpeg", "image/jpeg"},
    {"gif", "image/gif"},
    {"svg", "image/svg+xml"},
    {"ico", "image/x-icon"},
    {"txt", "text/plain; charset=utf-8"},
    {"pdf", "application/pdf"},
    {"zip", "application/zip"},
    {"wasm", "application/wasm"},
};

}  // namespace

std::string_view MimeTypeForPath(std::string_view path) {
    std::size_t slash = path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) {
        std::string_view extension = name.substr(dot + 1);
        for (const MimeEntry& entry : kMimeTable) {
            if (EqualsNoCase(entry.extension, extension)) return entry.type;
        }
    }
    return "application/octet-stream";
}

}  // namespace kestrune
