#include "pagehost/network/connection.h"  // first: Winsock before windows.h

#include "pagehost/network/http_listener.h"

#include "base/ascii.h"
#include "pagehost/asp/page_request.h"
#include "pagehost/asp_page.h"
#include "pagehost/command_line.h"
#include "pagehost/console/memory_report.h"
#include "pagehost/http/request_head.h"
#include "pagehost/http/url_path.h"
#include "pagehost/text.h"
#include "pagehost/whole_file.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace kestrune {
namespace {

// What every connection's thread knows of the site.
struct Site {
    std::string root;  // UTF-8 Windows path of the site folder
    std::uint64_t maxRequestBytes = 0;
    int port = 0;  // the listening port on 127.0.0.1
    bool reportResources = false;
    SetHostObjectsFunction setHost = nullptr;
};

// What a connection's thread is handed, and frees.
struct ConnectionStart {
    UniqueSocket socket;
    int remotePort;
    const Site* site;
};

FileKind Probe(const std::string& path) {
    DWORD attributes = GetFileAttributesW(FromUtf8(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return FileKind::kNone;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::kDirectory : FileKind::kFile;
}

// What the host does not serve gets its status and nothing more to say.
int SendStatus(Connection& connection, int status) {
    PageResponse response(connection);
    response.SetStatus(status, "");
    response.SetContentType("text/plain; charset=utf-8");
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
              const ResolvedTarget& target, int remotePort, const Site& site) {
    auto info = std::make_shared<PageRequestInfo>(
        MakePageRequestInfo(request.head, target.sitePath, target.filePath, site.port, remotePort));
    connection->ExpectBody(static_cast<std::int64_t>(request.bodyLength), request.expectContinue);
    auto response = std::make_shared<PageResponse>(*connection);
    RunAspPage(AspPage{site.root, target.sitePath, info}, connection, response, site.setHost);
    response->Finish();
    return response->Status();
}

int Answer(const std::shared_ptr<Connection>& connection, const ParsedRequest& request, int remotePort,
           const Site& site) {
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

std::atomic<SOCKET> g_listener{INVALID_SOCKET};
std::atomic<bool> g_stopping{false};

// Closing the listening socket ends the accept loop; connections in flight are cut
// when the process ends.
BOOL WINAPI OnConsoleControl(DWORD) {
    g_stopping = true;
    SOCKET listener = g_listener.exchange(INVALID_SOCKET);
    if (listener != INVALID_SOCKET) closesocket(listener);
    return TRUE;
}

// A connection's thread: one request read, answered in the multithreaded apartment (the
// component is registered "Both"), and the connection closed; every response says
// "Connection: close".
DWORD WINAPI ServeConnection(void* parameter) {
    std::unique_ptr<ConnectionStart> start(static_cast<ConnectionStart*>(parameter));
    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    auto connection = std::make_shared<Connection>(std::move(start->socket));
    std::string head = connection->ReceiveHead();
    if (!head.empty()) {
        ParsedRequest request = ParseRequest(head, start->site->maxRequestBytes);
        int status = Answer(connection, request, start->remotePort, *start->site);
        // One call, so that lines from connections that end together do not interleave.
        std::string line = request.head.method + " " + request.head.target + " " + std::to_string(status);
        if (start->site->reportResources) {
            // What leaks shows as a rise between two quiet moments of a long run (./run soak).
            line += " handles=" + std::to_string(OpenHandleCount()) +
                    " working_set=" + std::to_string(TakeMemorySnapshot().workingSet);
        }
        line += "\n";
        std::fputs(line.c_str(), stdout);
        std::fflush(stdout);
    } else if (connection->IsClientConnected()) {
        SendStatus(*connection, 400);  // the head grew too large
    }
    connection->Close();
    if (SUCCEEDED(hr)) CoUninitialize();
    return 0;
}

bool StartConnection(UniqueSocket socket, int remotePort, const Site& site) {
    auto start = std::make_unique<ConnectionStart>(ConnectionStart{std::move(socket), remotePort, &site});
    HANDLE thread = CreateThread(nullptr, 0, ServeConnection, start.get(), 0, nullptr);
    if (!thread) return false;
    start.release();  // the thread's to free
    CloseHandle(thread);
    return true;
}

// The site folder as a full path, or empty when it is not a folder.
std::wstring FullFolderPath(const std::wstring& path) {
    wchar_t full[MAX_PATH * 4];
    DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
    if (length == 0 || length >= std::size(full)) return {};
    DWORD attributes = GetFileAttributesW(full);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    return std::wstring(full, length);
}

// A socket listening on 127.0.0.1 only (serve mode is for trying pages locally), at
// port (0: a free one, which *port is then set to). Invalid on failure.
UniqueSocket ListenOnLoopback(int* port) {
    UniqueSocket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    // Exclusive use: no other program may bind the same port while the host serves.
    BOOL exclusive = TRUE;
    setsockopt(listener.Get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
               sizeof exclusive);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(*port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener.Get(), SOMAXCONN) != 0 ||
        getsockname(listener.Get(), reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        int error = WSAGetLastError();
        listener.Close();
        WSASetLastError(error);  // for the complaint
    }
    *port = ntohs(address.sin_port);
    return listener;
}

}  // namespace

int Serve(const ServeOptions& options, SetHostObjectsFunction setHost) {
    WSADATA winsock;
    if (WSAStartup(MAKEWORD(2, 2), &winsock) != 0) {
        Complain(L"Winsock cannot start");
        return 2;
    }
    std::wstring root = FullFolderPath(options.root);
    if (root.empty()) {
        Complain(L"the site root is not a folder: " + options.root);
        return 2;
    }
    static Site site;
    site.root = ToUtf8(root);
    site.maxRequestBytes = options.maxRequestBytes;
    site.port = options.port;
    site.reportResources = options.reportResources;
    site.setHost = setHost;
    UniqueSocket listener = ListenOnLoopback(&site.port);
    if (!listener.Valid()) {
        Complain(L"cannot listen on 127.0.0.1:" + std::to_wstring(options.port) + L" (Winsock error " +
                 std::to_wstring(WSAGetLastError()) + L")");
        return 2;
    }

    g_listener = listener.Get();
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    std::string label = ToUtf8(options.rootLabel.empty() ? root : options.rootLabel);
    std::printf("Serving %s at http://127.0.0.1:%d/\n", label.c_str(), site.port);
    std::fflush(stdout);

    while (!g_stopping) {
        sockaddr_in peer{};
        int size = sizeof peer;
        SOCKET client = accept(listener.Get(), reinterpret_cast<sockaddr*>(&peer), &size);
        if (client == INVALID_SOCKET) {
            if (g_stopping) break;
            Sleep(10);  // out of resources for a moment: try again
            continue;
        }
        if (!StartConnection(UniqueSocket(client), ntohs(peer.sin_port), site))
            Complain(L"cannot start a thread for a connection");
    }
    // The control handler closed the socket already.
    if (g_listener.exchange(INVALID_SOCKET) == INVALID_SOCKET) listener.Release();
    std::printf("Stopped.\n");
    std::fflush(stdout);
    return 0;
}

}  // namespace kestrune
