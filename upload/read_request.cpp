// Request intake: the body comes from the host in passes of at most 102400 bytes into
// a buffer sized once, then goes to the parser. Host objects are fetched afresh right
// before every host call and dropped after it.
#include <algorithm>
#include <string_view>

#include "multipart/multipart_parser.h"
#include "upload/tessock.h"

namespace kestrune {

namespace {

constexpr std::int32_t kChunkSize = 102400;
constexpr std::string_view kReadErrorMessage = "Error reading uploaded file or form data.";

bool ClientConnected(HostContext& host) { return host.FetchHostResponse()->IsClientConnected(); }

// Fills body from the host; false when the client went away before a pass.
bool ReadPasses(HostContext& host, std::int32_t total, TMemoryStream& body) {
    body.SetSize(total);
    body.SetPosition(0);
    std::int32_t offset = 0;
    while (offset < total) {
        if (!ClientConnected(host)) return false;
        const std::int32_t count = std::min(total - offset, kChunkSize);
        // The offset counts bytes requested, so short deliveries never add passes, and
        // the position (bytes delivered) never passes it: count bytes of room remain.
        offset += count;
        const std::int32_t delivered = host.FetchHostRequest()->BinaryRead(count, body.WritePointer());
        body.SetPosition(body.Position() + std::clamp(delivered, 0, count));
    }
    return true;
}

}  // namespace

void TTessock::ReadRequest() {
    const std::int32_t total = host_.FetchHostRequest()->TotalBytes();
    if (total < 1) return;
    try {
        if (!ReadPasses(host_, total, RequestBody)) return;
        RequestBody.SetPosition(0);
        ParseMultipart(
            RequestBody.View(), codePage_, [this] { return ClientConnected(host_); }, FormFields, File,
            &FileList);
    } catch (...) {
        // Every failure of reading or parsing ends here, whatever its type; a failure to
        // report it leaves intake and fails the creation of the object.
        host_.FetchHostResponse()->Write(kReadErrorMessage);
    }
}

}  // namespace kestrune
