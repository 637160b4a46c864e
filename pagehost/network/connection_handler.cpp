#include "pagehost/network/connection_handler.h"  // first: Winsock before windows.h

#include "base/ascii.h"

#include "pagehost/http/error_page.h"
#include "pagehost/http/message_rules.h"
#include "pagehost/http/request_head_parser.h"
#include "pagehost/http/url_path.h"
#include "pagehost/network/page_runner.h"
#include "pagehost/network/socket_channels.h"
#include "pagehost/network/static_file.h"
#include "pagehost/text.h"

#include <cstdio>
#include <ctime>
#include <memory>

namespace kestrune {
namespace {

// A body the page left unread is read and dropped up to this size to keep the
// connection; a larger rest costs less to close on.
constexpr std::int64_t kDrainLimit = 1 << 20;

constexpr char kContinue[] = "HTTP/1.1 100 Continue\r\n\r\n";

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

FileKind Probe(const std::string& path) {
    DWORD attributes = GetFileAttributesW(FromUtf8(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return FileKind::kNone;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::kDirectory : FileKind::kFile;
}

Route FindRoute(const RequestHead& head, const SiteContext& site) {
    Route route;
    DecodedPath decoded = DecodeUrlPath(head.Path());
    if (decoded.status != 0) {
        route.status = decoded.status;
        route.reason = decoded.reason;
        return route;
    }
    ResolvedTarget target = ResolveTarget(site.root, decoded.path, '\\', Probe);
    route.status = target.status;
    route.sitePath = target.status == 301 ? decoded.path + "/" : target.sitePath;
    if (target.status == 404) route.reason = "There is no " + decoded.path + " on this site.";
    if (target.status != 0) return route;
    route.filePath = FromUtf8(target.filePath);
    route.isPage = EndsWithNoCase(target.sitePath, ".asp");
    if (!route.isPage && IsRefusedStaticFile(target.sitePath)) {
        route.status = 403;
        route.reason = "Files of this kind are not served.";
    } else if (!route.isPage && head.method == "POST") {
        route.status = 405;
        route.reason = "Only pages (.asp) take POST; files take GET and HEAD.";
    }
    return route;
}

PageResponseSettings SettingsFor(const RequestHead* head, bool keepAlive) {
    PageResponseSettings settings;
    settings.clientIs11 = !head || head->AtLeast11();
    settings.headRequest = head && head->method == "HEAD";
    settings.keepAlive = keepAlive;
    settings.clock = [] { return static_cast<std::int64_t>(std::time(nullptr)); };
    return settings;
}

// An error page or a redirect. False when the connection cannot go on.
bool SendSimple(ClientConnection& connection, const RequestHead* head, int status, const std::string& detail,
                bool keepAlive, const std::string& location = {}) {
    SocketTransport transport(connection);
    PageResponse response(transport, SettingsFor(head, keepAlive));
    response.SetStatus(status, "");
    response.SetCharSet("utf-8");
    if (status == 405) response.AddHeader("Allow", "GET, HEAD");
    if (!location.empty()) response.AddHeader("Location", location);
    response.Write(ErrorPageHtml(status, detail));
    response.Finish();
    return response.KeepsConnection();
}

void LogRequest(const RequestHead& head, int status) {
    std::string line = head.method + " " + head.target + " " + std::to_string(status) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

// Takes the rest of a body that nobody read, when that is cheaper than a new connection.
bool DrainBody(SocketRequestSource& body, bool bodyMayCome) {
    std::int64_t left = body.Left();
    if (left == 0) return true;
    if (!bodyMayCome || left > kDrainLimit) return false;
    static thread_local char buffer[64 * 1024];
    try {
        while (body.Left() > 0) body.Read(buffer, sizeof buffer);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool ServePage(ClientConnection& connection, const RequestHead& head, const Route& route,
               const SiteContext& site, const std::shared_ptr<SocketRequestSource>& body, bool keepAlive) {
    ConnectionAddress address = site.address;
    address.remotePort = PeerPort(connection.Socket());
    auto info = std::make_shared<PageRequestInfo>(
        MakePageRequestInfo(head, route.sitePath, MapSitePath(site.root, route.sitePath, '\\'), address));
    SocketTransport transport(connection);
    auto response = std::make_shared<PageResponse>(transport, SettingsFor(&head, keepAlive));
    RunAspPage(PageRun{site.root, route.sitePath, info}, body, response, site.setHost);
    response->Finish();
    int code = 0;
    std::string reason;
    ParseStatusLine(response->StatusLine(), code, reason);
    LogRequest(head, code);
    return response->KeepsConnection();
}

// Answers one request whose head is parsed. False when the connection must close.
bool HandleRequest(ClientConnection& connection, const RequestHead& head, const SiteContext& site) {
    BodyFraming framing = DecideBody(head, site.maxRequestBytes);
    if (framing.status != 0) {
        LogRequest(head, framing.status);
        SendSimple(connection, &head, framing.status, framing.reason, false);
        return false;
    }
    auto body = std::make_shared<SocketRequestSource>(connection, static_cast<std::int64_t>(framing.length));
    bool wantsKeepAlive = WantsKeepAlive(head);
    Route route = FindRoute(head, site);
    if (route.status != 0 || !route.isPage) {
        // Nothing reads this body: keep the connection only if it is small and coming.
        bool bodyMayCome = !framing.expectContinue;
        bool keep = wantsKeepAlive && (framing.length == 0 || (bodyMayCome && framing.length <= kDrainLimit));
        bool kept;
        if (route.status != 0) {
            LogRequest(head, route.status);
            std::string location;
            if (route.status == 301) {
                location = route.sitePath;
                if (!head.Query().empty()) location += "?" + std::string(head.Query());
            }
            kept = SendSimple(connection, &head, route.status, route.reason, keep, location);
        } else {
            LogRequest(head, 200);
            kept = SendStaticFile(connection, head, route.sitePath, route.filePath, keep);
        }
        return kept && DrainBody(*body, bodyMayCome);
    }
    // The client waits for this before it sends a body it announced (RFC 9110 10.1.1).
    if (framing.expectContinue && !connection.SendAll(kContinue)) return false;
    bool kept = ServePage(connection, head, route, site, body, wantsKeepAlive);
    return kept && DrainBody(*body, true);
}

// Reads until the parser has a whole head (or an error). False when the client leaves.
bool ReadHead(ClientConnection& connection, RequestHeadParser& parser) {
    std::string& pending = connection.Pending();
    while (true) {
        if (!pending.empty()) {
            std::size_t used = parser.Feed(pending.data(), pending.size());
            pending.erase(0, used);
            if (parser.Status() != HeadStatus::kIncomplete) return true;
        }
        if (!connection.ReceiveMore()) return false;
    }
}

}  // namespace

void ServeConnection(UniqueSocket socket, const SiteContext& site) {
    ClientConnection connection(std::move(socket));
    RequestHeadParser parser;
    while (ReadHead(connection, parser)) {
        if (parser.Status() == HeadStatus::kError) {
            SendSimple(connection, nullptr, parser.ErrorStatus(), parser.ErrorReason(), false);
            break;
        }
        if (!HandleRequest(connection, parser.Head(), site)) break;
        parser.Reset();
    }
    connection.CloseGracefully();
}

}  // namespace kestrune
