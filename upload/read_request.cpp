// Request intake: the body comes from the host in passes of at most 102400 bytes into
// the RequestBody, then goes to the parser. Host objects are fetched afresh right before
// every host call and dropped after it.
#include <algorithm>
#include <string_view>

#include "base/exceptions.h"
#include "multipart/multipart_parser.h"
#include "upload/tessock.h"

namespace kestrune {

namespace {

constexpr std::string_view kReadErrorMessage = kBodyReadErrorMessage;

bool ClientConnected(HostContext& host) { return host.FetchHostResponse()->IsClientConnected(); }

}  // namespace

// Fills the body from the host; false when the client went away before a pass.
bool TTessock::ReadPasses(std::int32_t total) {
    body_.Begin(total, BodyFileThreshold, fileSystem_);
    for (std::int32_t offset = 0; offset < total;) {
        if (!ClientConnected(host_)) return false;
        const std::int32_t count = std::min(total - offset, RequestBody::kPassSize);
        // The offset counts bytes requested, so short deliveries never add passes, and
        // the bytes delivered never pass it: count bytes of room remain.
        offset += count;
        char* room = body_.Room(count);
        body_.Commit(std::clamp(host_.FetchHostRequest()->BinaryRead(count, room), 0, count));
    }
    return true;
}

void TTessock::ReadRequest() {
    const std::int32_t total = host_.FetchHostRequest()->TotalBytes();
    if (total < 1) return;
    try {
        if (ReadPasses(total)) {
            BodyWindow body = OpenBody(BodyWindow::kParseCapacity);
            ParseMultipart(
                body, [this] { return ClientConnected(host_); }, FormFields, Parts);
        }
        ReleaseUnreadBody();
    } catch (...) {
        ReleaseUnreadBody();
        // Every failure of reading or parsing ends here, whatever its type; a failure to
        // report it leaves intake and fails the creation of the object.
        host_.FetchHostResponse()->Write(kReadErrorMessage);
    }
}

void TTessock::ReleaseUnreadBody() {
    // Without a part, no member reads the body again: a body file is not kept open (and
    // on disk) for as long as the page keeps the object.
    if (Parts.Fields.empty() && Parts.Files.empty()) body_.Release();
}

BodyWindow TTessock::OpenBody(std::size_t capacity) const { return body_.Open(capacity); }

void TTessock::CopyFileBytes(const TFileRecord& Record, char* Dest) const {
    OpenBody(BodyWindow::kLineCapacity)
        .CopyOut(static_cast<std::size_t>(Record.DataStart), static_cast<std::size_t>(Record.DataSize), Dest);
}

std::string TTessock::FileContent(const TFileRecord& Record) const {
    std::string bytes(static_cast<std::size_t>(Record.DataSize), '\0');
    CopyFileBytes(Record, bytes.data());
    return bytes;
}

}  // namespace kestrune
