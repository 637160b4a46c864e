#include "pagehost/network/request_handler.h"  // first: Winsock before windows.h

#include "base/ascii.h"

#include "pagehost/asp_page.h"
#include "pagehost/http/error_page.h"
#include "pagehost/http/mime_types.h"
#include "pagehost/http/request_head.h"
#include "pagehost/http/url_path.h"
#include "pagehost/network/connection.h"
#include "pagehost/text.h"

#include <cstdio>
#include <memory>

namespace kestrune {
namespace {

struct Route {
    int status = 0;  // 0: serve it
    std::string reason;
    std::string sitePath;
    std::wstring filePath;
    bool isPage = false;
};

bool EndsWithNoCase(const std::string& text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           EqualsNoCase(std::string_view(text).substr(text.size() - suffix.size()), suffix);
}

// Files the site keeps to itself: settings and include files are never sent.
bool IsRefusedStaticFile(const std::string& sitePath) {
    std::size_t dot = sitePath.find_last_of("./");
    if (dot == std::string::npos || sitePath[dot] != '.') return false;
    std::string_view extension = std::string_view(sitePath).substr(dot + 1);
    for (std::string_view refused : {"asa", "inc", "config", "cer", "cdx"}) {
        if (EqualsNoCase(extension, refused)) return true;
    }
    return false;
}

FileKind Probe(const std::string& path) {
    DWORD attributes = GetFileAttributesW(FromUtf8(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return FileKind::kNone;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::kDirectory : FileKind::kFile;
}

Route Refuse(int status, std::string reason) {
    Route route;
    route.status = status;
    route.reason = std::move(reason);
    return route;
}

Route FindRoute(const RequestHead& head, const SiteContext& site) {
    DecodedPath decoded = DecodeUrlPath(head.Path());
    if (decoded.status != 0) return Refuse(decoded.status, decoded.reason);
    ResolvedTarget target = ResolveTarget(site.root, decoded.path, '\\', Probe);
    if (target.status != 0) return Refuse(target.status, "There is no " + decoded.path + " on this site.");
    Route route;
    route.sitePath = target.sitePath;
    route.filePath = FromUtf8(target.filePath);
    route.isPage = EndsWithNoCase(target.sitePath, ".asp");
    if (route.isPage) return route;
    if (IsRefusedStaticFile(target.sitePath)) return Refuse(403, "Files of this kind are not served.");
    if (head.method != "GET") return Refuse(501, "Only pages (.asp) take POST.");
    return route;
}

void LogRequest(const RequestHead& head, int status) {
    std::string line = head.method + " " + head.target + " " + std::to_string(status) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

void SendErrorPage(ClientConnection& connection, int status, const std::string& detail) {
    SocketTransport transport(connection);
    PageResponse response(transport);
    response.SetStatus(status, "");
    response.SetCharSet("utf-8");
    response.Write(ErrorPageHtml(status, detail));
    response.Finish();
}

// Sent as it is, with the Content-Type of its extension.
int SendStaticFile(ClientConnection& connection, const Route& route) {
    HANDLE file = CreateFileW(route.filePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size{};
    if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size)) {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        SendErrorPage(connection, 403, "The file cannot be read.");
        return 403;
    }
    HeaderList headers{{"Content-Type", std::string(MimeTypeForPath(route.sitePath))}};
    bool ok =
        connection.SendAll(ResponseHeadText(200, "", headers, static_cast<std::uint64_t>(size.QuadPart)));
    static thread_local char buffer[64 * 1024];
    DWORD got = 0;
    while (ok && ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        ok = connection.SendAll({buffer, got});
    CloseHandle(file);
    return 200;
}

int ServePage(ClientConnection& connection, const ParsedRequest& request, const Route& route,
              const SiteContext& site) {
    ConnectionAddress address = site.address;
    address.remotePort = PeerPort(connection.Socket());
    auto info = std::make_shared<PageRequestInfo>(MakePageRequestInfo(
        request.head, route.sitePath, MapSitePath(site.root, route.sitePath, '\\'), address));
    auto body = std::make_shared<SocketRequestSource>(
        connection, static_cast<std::int64_t>(request.bodyLength), request.expectContinue);
    SocketTransport transport(connection);
    auto response = std::make_shared<PageResponse>(transport);
    RunAspPage(AspPage{site.root, route.sitePath, info}, body, response, site.setHost);
    response->Finish();
    return response->Status();
}

int Answer(ClientConnection& connection, const ParsedRequest& request, const SiteContext& site) {
    Route route =
        request.status != 0 ? Refuse(request.status, request.reason) : FindRoute(request.head, site);
    if (route.status != 0) {
        SendErrorPage(connection, route.status, route.reason);
        return route.status;
    }
    return route.isPage ? ServePage(connection, request, route, site) : SendStaticFile(connection, route);
}

}  // namespace

void ServeConnection(UniqueSocket socket, const SiteContext& site) {
    ClientConnection connection(std::move(socket));
    std::string head = connection.ReceiveHead();
    if (!head.empty()) {
        ParsedRequest request = ParseRequest(head, site.maxRequestBytes);
        LogRequest(request.head, Answer(connection, request, site));
    } else if (connection.IsClientConnected()) {
        SendErrorPage(connection, 400, "The request head is too large.");
    }
    connection.Close();
}

}  // namespace kestrune
