// What a file's bytes show, read through the body's window wherever the body is: the
// readers look at headers only, and a hash or a slice reads no more than it gives.
#include <algorithm>
#include <cstddef>

#include "base/exceptions.h"
#include "members/file_hash.h"
#include "members/safe_name.h"
#include "upload/tessock.h"

namespace kestrune {

namespace {

constexpr std::size_t kHashAlgorithms = static_cast<std::size_t>(HashAlgorithm::Md5) + 1;

}  // namespace

std::string TTessock::SafeFilenameAt(std::int32_t Index) const {
    CheckFileIndex(Index);
    BodyWindow body = OpenBody(BodyWindow::kLineCapacity);
    return SafeFilename(DescribeFileAt(body, Index).FileNameText, rules_.Texts());
}

DetectedFileType TTessock::DetectedTypeAt(std::int32_t Index) const {
    CheckFileIndex(Index);
    const TFilePart& part = Parts.Files[static_cast<std::size_t>(Index)];
    BodyWindow body = OpenBody(BodyWindow::kPieceCapacity);
    return DetectFileType(body, static_cast<std::size_t>(part.DataStart),
                          static_cast<std::size_t>(part.DataSize));
}

ImageSize TTessock::ImageSizeAt(std::int32_t Index) const {
    CheckFileIndex(Index);
    const TFilePart& part = Parts.Files[static_cast<std::size_t>(Index)];
    BodyWindow body = OpenBody(BodyWindow::kPieceCapacity);
    return ReadImageSize(body, static_cast<std::size_t>(part.DataStart),
                         static_cast<std::size_t>(part.DataSize));
}

std::string TTessock::HashAt(std::int32_t Index, std::string_view Algorithm) const {
    CheckFileIndex(Index);
    const HashAlgorithm algorithm = HashAlgorithmNamed(Algorithm);
    if (hashes_.size() < Parts.Files.size()) hashes_.resize(Parts.Files.size());
    std::vector<std::string>& digests = hashes_[static_cast<std::size_t>(Index)];
    if (digests.empty()) digests.resize(kHashAlgorithms);
    std::string& digest = digests[static_cast<std::size_t>(algorithm)];
    if (digest.empty()) {
        const TFilePart& part = Parts.Files[static_cast<std::size_t>(Index)];
        BodyWindow body = OpenBody(BodyWindow::kParseCapacity);
        digest = HashHex(hashing_, algorithm, body, static_cast<std::size_t>(part.DataStart),
                         static_cast<std::size_t>(part.DataSize));
    }
    return digest;
}

FileSpan TTessock::FileBytesAt(std::int32_t Index, std::int32_t Offset, std::int32_t Count) const {
    CheckFileIndex(Index);
    if (Offset < 0 || Count < 0) throw EUploadError(kIndexOutOfRange);
    const TFilePart& part = Parts.Files[static_cast<std::size_t>(Index)];
    if (Offset >= part.DataSize) return {part.DataStart + part.DataSize, 0};
    return {part.DataStart + Offset, std::min(Count, part.DataSize - Offset)};
}

}  // namespace kestrune
