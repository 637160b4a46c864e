// Request intake: the body comes from the host in passes of at most 102400 bytes into
// the RequestBody, then goes to the parser. Host objects are fetched afresh right before
// every host call and dropped after it.
#include <algorithm>
#include <new>
#include <string_view>

#include "base/exceptions.h"
#include "multipart/multipart_parser.h"
#include "upload/tessock.h"

namespace kestrune {

namespace {

constexpr std::string_view kReadErrorMessage = kBodyReadErrorMessage;

bool ClientConnected(HostContext& host) { return host.FetchHostResponse()->IsClientConnected(); }

// The cause behind a failure of reading or parsing: the body's own store, or the host.
ReadError CauseOfFailure() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return ReadError::NotHeld;
    } catch (const EUploadError&) {
        return ReadError::NotHeld;  // the body file failed and memory could not take it
    } catch (...) {
        return ReadError::HostFailed;
    }
}

}  // namespace

std::string_view ReadErrorText(ReadError error) {
    switch (error) {
        case ReadError::None:
            return {};
        case ReadError::ClientGone:
            return "The client went away during the upload.";
        case ReadError::HostFailed:
            return "A call to the web server failed while the request body was read.";
        case ReadError::NotMultipart:
            return "The request has no multipart/form-data body.";
        case ReadError::Unfinished:
            return "The request body ended before its closing delimiter.";
        case ReadError::NotHeld:
            return "The request body could not be held in memory or in a body file.";
        case ReadError::TooLarge:
            return "The request body is larger than MaxBodyBytes allows.";
    }
    return {};
}

// Fills the body from the host; false when the client went away before a pass.
bool TTessock::ReadPasses(std::int32_t total) {
    body_.Begin(total, BodyFileThreshold, fileSystem_);
    for (std::int32_t offset = 0; offset < total;) {
        if (!ClientConnected(host_)) {
            read_.BodyInFile = body_.InFile();
            return false;
        }
        const std::int32_t count = std::min(total - offset, RequestBody::kPassSize);
        // The offset counts bytes requested, so short deliveries never add passes, and
        // the bytes delivered never pass it: count bytes of room remain.
        offset += count;
        char* room = body_.Room(count);
        const std::int32_t delivered =
            std::clamp(host_.FetchHostRequest()->BinaryRead(count, room), 0, count);
        body_.Commit(delivered);
        read_.BytesReceived += delivered;
    }
    read_.BodyInFile = body_.InFile();
    return true;
}

void TTessock::Conclude(std::int32_t total, bool clientGone) {
    read_.Complete = !clientGone && read_.BytesReceived == total && Parts.Delimited && Parts.Closed;
    if (clientGone)
        read_.Error = ReadError::ClientGone;
    else if (!Parts.Delimited)
        read_.Error = ReadError::NotMultipart;
    else
        read_.Error = read_.Complete ? ReadError::None : ReadError::Unfinished;
}

void TTessock::ReadRequest(bool report) {
    read_ = ReadStatus();
    const std::int32_t total = host_.FetchHostRequest()->TotalBytes();
    if (total < 1) return;
    if (limits_.MaxBodyBytes > 0 && total > limits_.MaxBodyBytes) {
        // Refused on the client's word alone: no byte of it is read or given room.
        read_.Error = ReadError::TooLarge;
        return;
    }
    try {
        bool clientGone = !ReadPasses(total);
        if (!clientGone) {
            BodyWindow body = OpenBody(BodyWindow::kParseCapacity);
            const auto connected = [&] {
                clientGone = !ClientConnected(host_);
                return !clientGone;
            };
            ParseWithinLimits(body, connected);
        }
        Conclude(total, clientGone);
        ReleaseUnreadBody();
    } catch (...) {
        read_.Complete = false;
        read_.Error = CauseOfFailure();
        ReleaseUnreadBody();
        // Every failure of reading or parsing ends here, whatever its type; a failure to
        // report it leaves intake and fails the creation of the object. The Upload class
        // writes nothing to the page: its failure is in Read() alone.
        if (report) host_.FetchHostResponse()->Write(kReadErrorMessage);
    }
}

void TTessock::ReleaseUnreadBody() {
    // Without a part, no member reads the body again: a body file is not kept open (and
    // on disk) for as long as the page keeps the object. A part not kept is a part too,
    // whose names Rejected reads there.
    if (Parts.Fields.empty() && Parts.Files.empty() && rejected_.empty()) body_.Release();
}

BodyWindow TTessock::OpenBody(std::size_t capacity) const { return body_.Open(capacity); }

void TTessock::CopyFileBytes(FileSpan Span, char* Dest) const {
    OpenBody(BodyWindow::kLineCapacity)
        .CopyOut(static_cast<std::size_t>(Span.Start), static_cast<std::size_t>(Span.Size), Dest);
}

std::string TTessock::FileContent(const TFileRecord& Record) const {
    std::string bytes(static_cast<std::size_t>(Record.DataSize), '\0');
    CopyFileBytes(Record, bytes.data());
    return bytes;
}

}  // namespace kestrune
