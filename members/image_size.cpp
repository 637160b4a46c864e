#include "members/image_size.h"

#include <string_view>

#include "members/file_bytes.h"

namespace kestrune {

namespace {

constexpr std::int64_t kLongMax = INT32_MAX;

// Both sides, or 0 by 0 when either is 0 or beyond a long.
ImageSize Sized(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0 || width > kLongMax || height > kLongMax) return {};
    return {static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
}

bool Is(const unsigned char* bytes, std::string_view text) {
    return std::string_view(reinterpret_cast<const char*>(bytes), text.size()) == text;
}

ImageSize PngSize(const unsigned char* head) {
    if (!Is(head + 12, "IHDR")) return {};
    return Sized(Be32(head + 16), Be32(head + 20));
}

ImageSize BmpSize(FileBytes& file) {
    unsigned char header[26];
    if (!file.Read(0, sizeof header, header)) return {};
    // The sizes of the headers there are: OS/2's first (16-bit sides), then the wider ones.
    const std::uint32_t headerSize = Le32(header + 14);
    if (headerSize == 12) return Sized(Le16(header + 18), Le16(header + 20));
    if (headerSize != 16 && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 64 &&
        headerSize != 108 && headerSize != 124)
        return {};
    const auto width = static_cast<std::int32_t>(Le32(header + 18));
    const auto height = static_cast<std::int32_t>(Le32(header + 22));
    return Sized(width, height < 0 ? -static_cast<std::int64_t>(height) : height);
}

// RFC 9649: the first chunk after "RIFF" size "WEBP" starts at 12.
ImageSize WebpSize(FileBytes& file) {
    unsigned char chunk[30];
    if (!file.Read(0, sizeof chunk, chunk)) return {};
    const unsigned char* data = chunk + 20;
    if (Is(chunk + 12, "VP8 ")) {
        // A key frame: a 3-byte frame tag, the start code 9D 01 2A, then 14-bit sizes.
        if (!Is(data + 3, "\x9D\x01\x2A")) return {};
        return Sized(Le16(data + 6) & 0x3FFF, Le16(data + 8) & 0x3FFF);
    }
    if (Is(chunk + 12, "VP8L")) {
        if (data[0] != 0x2F) return {};
        const std::uint32_t bits = Le32(data + 1);
        return Sized((bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1);
    }
    if (Is(chunk + 12, "VP8X")) return Sized(Le24(data + 4) + 1, Le24(data + 7) + 1);
    return {};
}

bool IsSofMarker(unsigned char marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// ITU T.81 annex B: after SOI, marker segments (FF, the marker, a 2-byte length that
// counts itself) up to the frame header; FF bytes may pad before a marker, and RSTn, TEM
// and SOI stand alone. SOS or EOI first: no frame header where it can be found.
ImageSize JpegSize(FileBytes& file) {
    std::size_t at = 2;
    unsigned char segment[9];
    while (at < kJpegMarkerBound && file.Read(at, 2, segment)) {
        if (segment[0] != 0xFF) return {};
        const unsigned char marker = segment[1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA || !file.Read(at, sizeof segment, segment)) return {};
        // The frame header: length, precision, then height and width.
        if (IsSofMarker(marker)) return Sized(Be16(segment + 7), Be16(segment + 5));
        const std::uint32_t length = Be16(segment + 2);
        if (length < 2) return {};
        at += 2 + length;
    }
    return {};
}

}  // namespace

ImageSize ReadImageSize(BodyWindow& body, std::size_t offset, std::size_t size) {
    FileBytes file(body, offset, size);
    unsigned char head[24];
    if (!file.Read(0, sizeof head, head)) {
        // A GIF's screen fits in 10 bytes; every other header needs more than 24.
        if (!file.Read(0, 10, head)) return {};
        if (!Is(head, "GIF87a") && !Is(head, "GIF89a")) return {};
        return Sized(Le16(head + 6), Le16(head + 8));
    }
    if (Is(head, "\x89PNG\r\n\x1A\n")) return PngSize(head);
    if (Is(head, "GIF87a") || Is(head, "GIF89a")) return Sized(Le16(head + 6), Le16(head + 8));
    if (Is(head, "\xFF\xD8\xFF")) return JpegSize(file);
    if (Is(head, "BM")) return BmpSize(file);
    if (Is(head, "RIFF") && Is(head + 8, "WEBP")) return WebpSize(file);
    return {};
}

}  // namespace kestrune
