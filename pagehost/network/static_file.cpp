#include "pagehost/network/static_file.h"

#include "base/ascii.h"

#include "pagehost/http/error_page.h"
#include "pagehost/http/mime_types.h"
#include "pagehost/http/response_head.h"

#include <windows.h>

#include <ctime>

namespace kestrune {

bool IsRefusedStaticFile(const std::string& sitePath) {
    std::size_t dot = sitePath.find_last_of("./");
    if (dot == std::string::npos || sitePath[dot] != '.') return false;
    std::string_view extension = std::string_view(sitePath).substr(dot + 1);
    for (std::string_view refused : {"asa", "inc", "config", "cer", "cdx"}) {
        if (EqualsNoCase(extension, refused)) return true;
    }
    return false;
}

bool SendStaticFile(ClientConnection& connection, const RequestHead& head, const std::string& sitePath,
                    const std::wstring& path, bool keepAlive) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size{};
    ResponseHead response;
    response.keepAlive = keepAlive;
    if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size)) {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        std::string html = ErrorPageHtml(403, "The file cannot be read.");
        response.status = 403;
        response.headers.emplace_back("Content-Type", "text/html; charset=utf-8");
        response.contentLength = html.size();
        return connection.SendAll(WriteResponseHead(response, head.AtLeast11(), std::time(nullptr)) + html) &&
               response.keepAlive;
    }
    response.headers.emplace_back("Content-Type", std::string(MimeTypeForPath(sitePath)));
    response.contentLength = static_cast<std::uint64_t>(size.QuadPart);
    bool ok = connection.SendAll(WriteResponseHead(response, head.AtLeast11(), std::time(nullptr)));
    if (head.method != "HEAD") {
        static thread_local char buffer[64 * 1024];
        std::int64_t left = size.QuadPart;
        DWORD got = 0;
        while (ok && left > 0 && ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            ok = connection.SendAll({buffer, got});
            left -= got;
        }
        // A file that shrank while it was sent cannot keep its promised length.
        ok = ok && left == 0;
    }
    CloseHandle(file);
    return ok && response.keepAlive;
}

}  // namespace kestrune
