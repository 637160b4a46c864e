#include "pagehost/network/socket.h"  // first: Winsock before windows.h

#include "pagehost/network/http_listener.h"
#include "pagehost/command_line.h"
#include "pagehost/network/request_handler.h"
#include "pagehost/text.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>

namespace kestrune {
namespace {

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

struct ConnectionStart {
    UniqueSocket socket;
    int remotePort;
    const SiteContext* site;
};

DWORD WINAPI ConnectionThread(void* parameter) {
    std::unique_ptr<ConnectionStart> start(static_cast<ConnectionStart*>(parameter));
    // The component is registered "Both": each connection's page runs in the MTA.
    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ServeConnection(std::move(start->socket), start->remotePort, *start->site);
    if (SUCCEEDED(hr)) CoUninitialize();
    return 0;
}

bool StartConnection(UniqueSocket socket, int remotePort, const SiteContext& site) {
    auto* start = new ConnectionStart{std::move(socket), remotePort, &site};
    HANDLE thread = CreateThread(nullptr, 0, ConnectionThread, start, 0, nullptr);
    if (!thread) {
        delete start;
        return false;
    }
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
    static SiteContext site;
    site.root = ToUtf8(root);
    site.maxRequestBytes = options.maxRequestBytes;
    site.port = options.port;
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
