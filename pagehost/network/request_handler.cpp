#include "pagehost/network/request_handler.h"  // first: Winsock before windows.h

#include "base/ascii.h"

#include "pagehost/asp_page.h"
#include "pagehost/asp/page_request.h"
#include "pagehost/http/request_head.h"
#include "pagehost/http/url_path.h"
#include "pagehost/network/connection.h"
#include "pagehost/text.h"
#include "pagehost/whole_file.h"

#include <cstdio>
#include <memory>

namespace kestrune {
namespace {

FileKind Probe(const std::string& path) {
    DWORD attributes = GetFileAttributesW(FromUtf8(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return FileKind::kNone;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::kDirectory : FileKind::kFile;
}

// What the host does not serve gets its status and nothing more to say.
int SendStatus(Connection& connection, int status) {
    PageResponse response(connection);
    response.SetStatus(status, "");
    response.SetContentType("text/plain");
    response.SetCharSet("utf-8");
    response.Write(response.StatusLine() + "\r\n");
    response.Finish();
    return status;
}

// Static files are the site's styles and pictures: small enough to send from memory.
int SendStaticFile(Connection& connection, const ResolvedTarget& target, std::string_view type) {
    std::optional<std::string> bytes = ReadWholeFile(FromUtf8(target.filePath));
    if (!bytes) return SendStatus(connection, 403);
    PageResponse response(connection);
    response.SetContentType(std::string(type));
    response.Write(*bytes);
    response.Finish();
    return 200;
}

int ServePage(std::shared_ptr<Connection> connection, const ParsedRequest& request,
              const ResolvedTarget& target, int remotePort, const SiteContext& site) {
    auto info = std::make_shared<PageRequestInfo>(
        MakePageRequestInfo(request.head, target.sitePath, target.filePath, site.port, remotePort));
    connection->ExpectBody(static_cast<std::int64_t>(request.bodyLength), request.expectContinue);
    auto response = std::make_shared<PageResponse>(*connection);
    RunAspPage(AspPage{site.root, target.sitePath, info}, connection, response, site.setHost);
    response->Finish();
    return response->Status();
}

int Answer(const std::shared_ptr<Connection>& connection, const ParsedRequest& request, int remotePort,
           const SiteContext& site) {
    if (request.status != 0) return SendStatus(*connection, request.status);
    DecodedPath decoded = DecodeUrlPath(request.head.Path());
    if (decoded.status != 0) return SendStatus(*connection, decoded.status);
    ResolvedTarget target = ResolveTarget(site.root, decoded.path, '\\', Probe);
    if (target.status != 0) return SendStatus(*connection, target.status);
    std::string_view sitePath = target.sitePath;
    if (sitePath.size() >= 4 && EqualsNoCase(sitePath.substr(sitePath.size() - 4), ".asp"))
        return ServePage(connection, request, target, remotePort, site);
    std::string_view type = StaticFileType(sitePath);
    if (type.empty()) return SendStatus(*connection, 403);
    // Only pages take a body.
    if (request.head.method != "GET") return SendStatus(*connection, 501);
    return SendStaticFile(*connection, target, type);
}

}  // namespace

void ServeConnection(UniqueSocket socket, int remotePort, const SiteContext& site) {
    auto connection = std::make_shared<Connection>(std::move(socket));
    std::string head = connection->ReceiveHead();
    if (!head.empty()) {
        ParsedRequest request = ParseRequest(head, site.maxRequestBytes);
        int status = Answer(connection, request, remotePort, site);
        std::string line =
            request.head.method + " " + request.head.target + " " + std::to_string(status) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    } else if (connection->IsClientConnected()) {
        SendStatus(*connection, 400);  // the head grew too large
    }
    connection->Close();
}

}  // namespace kestrune
