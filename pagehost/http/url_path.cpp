#include "pagehost/http/url_path.h"

#include "base/ascii.h"
#include "base/device_name.h"

namespace kestrune {
namespace {

DecodedPath Refuse(int status, std::string reason) {
    DecodedPath result;
    result.status = status;
    result.reason = std::move(reason);
    return result;
}

std::string CheckSegment(std::string_view segment) {
    if (segment == "." || segment == "..") return "dot segment in path";
    if (segment.back() == '.' || segment.back() == ' ') return "path segment ends in '.' or ' '";
    // Decoded segments are UTF-8, the spelling the host maps to Windows names.
    if (IsWindowsDeviceName(segment, SuperscriptDigits::kUtf8)) return "path names a device";
    return {};
}

}  // namespace

DecodedPath DecodeUrlPath(std::string_view targetPath) {
    if (targetPath.empty() || targetPath[0] != '/') return Refuse(400, "path does not start with '/'");
    std::string decoded;
    for (std::size_t i = 0; i < targetPath.size(); ++i) {
        char c = targetPath[i];
        if (c == '%') {
            int high = i + 2 < targetPath.size() ? HexValue(targetPath[i + 1]) : -1;
            int low = high < 0 ? -1 : HexValue(targetPath[i + 2]);
            if (low < 0) return Refuse(400, "malformed %-escape in path");
            c = static_cast<char>(high * 16 + low);
            i += 2;
        }
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return Refuse(400, "control byte in path");
        if (c == '\\' || c == ':') return Refuse(403, "path holds '\\' or ':'");
        decoded += c;
    }

    DecodedPath result;
    std::size_t start = 1;
    while (start <= decoded.size()) {
        std::size_t end = decoded.find('/', start);
        if (end == std::string::npos) end = decoded.size();
        std::string_view segment = std::string_view(decoded).substr(start, end - start);
        if (!segment.empty()) {
            std::string problem = CheckSegment(segment);
            if (!problem.empty()) return Refuse(403, problem);
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
    ResolvedTarget result;
    std::string filePath = MapSitePath(root, sitePath, separator);
    FileKind kind = probe(filePath);
    if (!sitePath.empty() && sitePath.back() == '/') {
        if (kind == FileKind::kDirectory) {
            for (std::string_view document : kDefaultDocuments) {
                std::string candidate = filePath + separator + std::string(document);
                if (probe(candidate) == FileKind::kFile) {
                    result.sitePath = std::string(sitePath) + std::string(document);
                    result.filePath = candidate;
                    return result;
                }
            }
        }
        result.status = 404;
        return result;
    }
    if (kind != FileKind::kFile) {
        result.status = 404;
        return result;
    }
    result.sitePath = std::string(sitePath);
    result.filePath = filePath;
    return result;
}

}  // namespace kestrune
