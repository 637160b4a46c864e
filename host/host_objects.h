// What the upload object needs of the page host: the four operations of the host's
// Request and Response objects, and a context that hands those objects out.
//
// Host objects are never cached: callers fetch a fresh object from the context right
// before every single host call and drop it after that call. A failing host call, or a
// fetch that finds no object, throws (an EOleException for a failing result code).
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace kestrune {

class HostRequest {
public:
    virtual ~HostRequest() = default;

    // Size of the request body in bytes; below 1 means there is nothing to read.
    virtual std::int32_t TotalBytes() = 0;

    // Delivers the next bytes of the body, following those of earlier calls, into
    // destination (room for count bytes). Returns how many were delivered: 0 to count.
    virtual std::int32_t BinaryRead(std::int32_t count, char* destination) = 0;
};

class HostResponse {
public:
    virtual ~HostResponse() = default;

    // Appends narrow (ANSI code page) text to the page output.
    virtual void Write(std::string_view text) = 0;

    // False once the client has gone away.
    virtual bool IsClientConnected() = 0;
};

class HostContext {
public:
    virtual ~HostContext() = default;

    // Never return null: a fetch that finds no object throws.
    virtual std::unique_ptr<HostRequest> FetchHostRequest() = 0;
    virtual std::unique_ptr<HostResponse> FetchHostResponse() = 0;
};

}  // namespace kestrune
