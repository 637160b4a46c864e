#include "pagehost/network/socket.h"

namespace kestrune {
namespace {

std::uint16_t PortOf(const sockaddr_in& address) { return ntohs(address.sin_port); }

}  // namespace

UniqueSocket ListenOnLoopback(std::uint16_t port, int* error) {
    *error = 0;
    UniqueSocket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!listener.Valid()) {
        *error = WSAGetLastError();
        return listener;
    }
    // Exclusive use: no other program may bind the same port while the host serves.
    BOOL exclusive = TRUE;
    setsockopt(listener.Get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
               sizeof exclusive);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener.Get(), SOMAXCONN) != 0) {
        *error = WSAGetLastError();
        listener.Close();
    }
    return listener;
}

std::uint16_t LocalPort(SOCKET socket) {
    sockaddr_in address{};
    int size = sizeof address;
    if (getsockname(socket, reinterpret_cast<sockaddr*>(&address), &size) != 0) return 0;
    return PortOf(address);
}

std::uint16_t PeerPort(SOCKET socket) {
    sockaddr_in address{};
    int size = sizeof address;
    if (getpeername(socket, reinterpret_cast<sockaddr*>(&address), &size) != 0) return 0;
    return PortOf(address);
}

}  // namespace kestrune
