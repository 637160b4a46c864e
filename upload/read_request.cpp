// Request intake: the body comes from the host in passes of at most 102400 bytes, then
// goes to the parser. Below the body-file threshold the passes go straight into a buffer
// sized once; from it on, each pass goes through a pass buffer into a body file, and the
// parser reads that file through a bounded window. When the file fails, intake goes on
// in memory with what the file had, so no upload fails for want of the file. Host
// objects are fetched afresh right before every host call and dropped after it.
#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "base/exceptions.h"
#include "multipart/multipart_parser.h"
#include "upload/tessock.h"

namespace kestrune {

namespace {

constexpr std::int32_t kChunkSize = 102400;
constexpr std::string_view kReadErrorMessage = kBodyReadErrorMessage;

bool ClientConnected(HostContext& host) { return host.FetchHostResponse()->IsClientConnected(); }

// Any failure to make the file (an exception included) only means intake stays in memory.
std::unique_ptr<BodyFile> TryCreateBodyFile(FileSystem& fileSystem) {
    try {
        return fileSystem.CreateBodyFile();
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

// Fills the body from the host; false when the client went away before a pass.
bool TTessock::ReadPasses(std::int32_t total) {
    BodySize = total;
    if (total >= BodyFileThreshold) BodyStore = TryCreateBodyFile(fileSystem_);
    std::unique_ptr<char[]> pass;
    if (BodyStore) {
        pass.reset(new char[static_cast<std::size_t>(std::min(total, kChunkSize))]);
    } else {
        RequestBody.SetSize(total);
        RequestBody.SetPosition(0);
    }
    std::int32_t offset = 0;
    while (offset < total) {
        if (!ClientConnected(host_)) return false;
        const std::int32_t count = std::min(total - offset, kChunkSize);
        // The offset counts bytes requested, so short deliveries never add passes, and
        // the position (bytes delivered) never passes it: count bytes of room remain.
        offset += count;
        // The pass buffer starts each pass as the memory body does: bytes the host does
        // not write read as zeros.
        if (BodyStore) std::memset(pass.get(), 0, static_cast<std::size_t>(count));
        char* room = BodyStore ? pass.get() : RequestBody.WritePointer();
        const std::int32_t delivered =
            std::clamp(host_.FetchHostRequest()->BinaryRead(count, room), 0, count);
        if (BodyStore) {
            StorePass(pass.get(), delivered, total);
        } else {
            RequestBody.SetPosition(RequestBody.Position() + delivered);
        }
    }
    return true;
}

void TTessock::StorePass(const char* data, std::int32_t size, std::int32_t total) {
    if (BodyStore->Append(data, static_cast<std::size_t>(size))) {
        BodyStored += size;
        return;
    }
    // The file is no longer to be trusted past what it took before: the body moves to
    // memory, sized as it would have been from the start, and the pass follows it.
    const std::unique_ptr<BodyFile> failed = std::move(BodyStore);
    const std::int32_t stored = std::exchange(BodyStored, 0);
    RequestBody.SetSize(total);
    if (stored > 0 && !failed->Read(0, static_cast<std::size_t>(stored), RequestBody.WritePointer()))
        throw EUploadError(kBodyReadErrorMessage);
    RequestBody.SetPosition(stored);
    std::memcpy(RequestBody.WritePointer(), data, static_cast<std::size_t>(size));
    RequestBody.SetPosition(RequestBody.Position() + size);
}

void TTessock::ReadRequest() {
    const std::int32_t total = host_.FetchHostRequest()->TotalBytes();
    if (total < 1) return;
    try {
        if (ReadPasses(total)) {
            BodyWindow body = OpenBody(BodyWindow::kParseCapacity);
            ParseMultipart(
                body, codePage_, [this] { return ClientConnected(host_); }, FormFields, File, &FileList,
                &FieldParts);
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
    if (!FieldParts.empty() || !FileList.empty() || !BodyStore) return;
    BodyStore.reset();
    BodyStored = 0;
    BodySize = 0;
}

BodyWindow TTessock::OpenBody(std::size_t capacity) const {
    if (BodyStore) return BodyWindow(*BodyStore, BodyStored, BodySize, capacity);
    return BodyWindow(RequestBody.View());
}

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
