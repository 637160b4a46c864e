#include "pagehost/network/client_connection.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

namespace kestrune {
namespace {

// A client that sends nothing for this long is given up (idle keep-alive, stalled body).
constexpr DWORD kReceiveTimeoutMs = 60000;
constexpr DWORD kLingerTimeoutMs = 2000;
constexpr std::size_t kLingerBytes = 16u << 20;
constexpr std::size_t kReceiveStep = 64 * 1024;
// How long bytes just received vouch for the client without a look at the socket.
constexpr ULONGLONG kFreshReceiveMs = 20;

void SetReceiveTimeout(SOCKET socket, DWORD milliseconds) {
    setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&milliseconds),
               sizeof milliseconds);
}

int ClampToInt(std::size_t count) { return static_cast<int>(std::min<std::size_t>(count, INT_MAX)); }

}  // namespace

ClientConnection::ClientConnection(UniqueSocket socket) : socket_(std::move(socket)) {
    SetReceiveTimeout(socket_.Get(), kReceiveTimeoutMs);
    BOOL noDelay = TRUE;
    setsockopt(socket_.Get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);
}

bool ClientConnection::ReceiveMore() {
    if (gone_) return false;
    char buffer[kReceiveStep];
    int got = recv(socket_.Get(), buffer, sizeof buffer, 0);
    if (got <= 0) {
        gone_ = true;
        return false;
    }
    pending_.append(buffer, static_cast<std::size_t>(got));
    lastReceived_ = GetTickCount64();
    return true;
}

std::size_t ClientConnection::Receive(char* destination, std::size_t count) {
    if (count == 0) return 0;
    if (!pending_.empty()) {
        std::size_t taken = std::min(count, pending_.size());
        std::memcpy(destination, pending_.data(), taken);
        pending_.erase(0, taken);
        return taken;
    }
    if (gone_) return 0;
    int got = recv(socket_.Get(), destination, ClampToInt(count), 0);
    if (got <= 0) {
        gone_ = true;
        return 0;
    }
    lastReceived_ = GetTickCount64();
    return static_cast<std::size_t>(got);
}

bool ClientConnection::SendAll(std::string_view bytes) {
    while (!bytes.empty() && !gone_) {
        int sent = send(socket_.Get(), bytes.data(), ClampToInt(bytes.size()), 0);
        if (sent <= 0) {
            gone_ = true;
            break;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return !gone_;
}

bool ClientConnection::StillThere() {
    if (gone_) return false;
    if (lastReceived_ != 0 && GetTickCount64() - lastReceived_ < kFreshReceiveMs) return true;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_.Get(), &readable);
    timeval now{0, 0};
    int ready = select(0, &readable, nullptr, nullptr, &now);
    if (ready < 0) {
        gone_ = true;
    } else if (ready > 0) {
        // Readable with nothing to read is an orderly close; an error is a reset.
        char byte;
        int got = recv(socket_.Get(), &byte, 1, MSG_PEEK);
        if (got <= 0) gone_ = true;
    }
    return !gone_;
}

void ClientConnection::CloseGracefully() {
    if (!gone_) {
        shutdown(socket_.Get(), SD_SEND);
        SetReceiveTimeout(socket_.Get(), kLingerTimeoutMs);
        char buffer[kReceiveStep];
        std::size_t drained = 0;
        int got;
        while (drained < kLingerBytes && (got = recv(socket_.Get(), buffer, sizeof buffer, 0)) > 0)
            drained += static_cast<std::size_t>(got);
    }
    gone_ = true;
    socket_.Close();
}

}  // namespace kestrune
