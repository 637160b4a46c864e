#include "pagehost/network/connection.h"

#include "pagehost/http/request_head.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace kestrune {
namespace {

// A client that sends nothing for this long is given up (a stalled head or body).
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

Connection::Connection(UniqueSocket socket) : socket_(std::move(socket)) {
    SetReceiveTimeout(socket_.Get(), kReceiveTimeoutMs);
    BOOL noDelay = TRUE;
    setsockopt(socket_.Get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);
}

std::string Connection::ReceiveHead() {
    char buffer[kReceiveStep];
    std::size_t end;
    while ((end = pending_.find("\r\n\r\n")) == std::string::npos) {
        if (pending_.size() > kMaxHeadBytes) return {};
        std::size_t got = ReceiveFromSocket(buffer, sizeof buffer);
        if (got == 0) return {};
        pending_.append(buffer, got);
    }
    std::string head = pending_.substr(0, end + 4);
    pending_.erase(0, end + 4);
    return head;
}

std::size_t Connection::Read(char* destination, std::size_t count) {
    static constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
    auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), Left()));
    // RFC 9110 section 10.1.1: the client waits for this before it sends the body.
    if (wanted > 0 && std::exchange(expectContinue_, false)) Send(kContinue);
    std::size_t done = std::min(wanted, pending_.size());
    std::memcpy(destination, pending_.data(), done);
    pending_.erase(0, done);
    taken_ += static_cast<std::int64_t>(done);
    while (done < wanted) {
        std::size_t got = ReceiveFromSocket(destination + done, wanted - done);
        if (got == 0) throw std::runtime_error("The request body cannot be read: the client went away.");
        done += got;
        taken_ += static_cast<std::int64_t>(got);
    }
    return done;
}

std::size_t Connection::ReceiveFromSocket(char* destination, std::size_t count) {
    int got = connected_ ? recv(socket_.Get(), destination, ClampToInt(count), 0) : 0;
    if (got <= 0) {
        connected_ = false;
        return 0;
    }
    lastReceived_ = GetTickCount64();
    return static_cast<std::size_t>(got);
}

void Connection::Send(std::string_view bytes) {
    while (!bytes.empty() && connected_) {
        int sent = send(socket_.Get(), bytes.data(), ClampToInt(bytes.size()), 0);
        connected_ = sent > 0;
        bytes.remove_prefix(connected_ ? static_cast<std::size_t>(sent) : bytes.size());
    }
}

bool Connection::IsClientConnected() {
    if (!connected_) return false;
    if (lastReceived_ != 0 && GetTickCount64() - lastReceived_ < kFreshReceiveMs) return true;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_.Get(), &readable);
    timeval now{0, 0};
    int ready = select(0, &readable, nullptr, nullptr, &now);
    // Readable with nothing to read is an orderly close; an error is a reset.
    char byte;
    if (ready < 0 || (ready > 0 && recv(socket_.Get(), &byte, 1, MSG_PEEK) <= 0)) connected_ = false;
    return connected_;
}

void Connection::Close() {
    if (connected_) {
        shutdown(socket_.Get(), SD_SEND);
        SetReceiveTimeout(socket_.Get(), kLingerTimeoutMs);
        char buffer[kReceiveStep];
        std::size_t drained = 0;
        int got;
        while (drained < kLingerBytes && (got = recv(socket_.Get(), buffer, sizeof buffer, 0)) > 0)
            drained += static_cast<std::size_t>(got);
    }
    connected_ = false;
    socket_.Close();
}

}  // namespace kestrune
