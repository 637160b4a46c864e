// How this works: the first kTextSniffBytes of the file are copied once (head), and each
// row of the table is a small check over them, tried in the table's order. Only the ZIP
// rows, which walk the first local entries, and the executable row, which finds the PE
// header, read further, a header at a time.
#include "members/file_type.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/utf8.h"
#include "members/file_bytes.h"

namespace kestrune {

namespace {

using Head = std::string_view;

const unsigned char* Bytes(Head head) { return reinterpret_cast<const unsigned char*>(head.data()); }

bool StartsWith(Head head, std::string_view prefix, std::size_t at = 0) {
    return head.size() >= at + prefix.size() && head.substr(at, prefix.size()) == prefix;
}

// string_view of a literal with NUL bytes in it.
template <std::size_t N>
constexpr std::string_view Literal(const char (&text)[N]) {
    return {text, N - 1};
}

// The rows that a fixed signature at the start decides.
struct Signature {
    std::string_view bytes;
    DetectedFileType type;
};

constexpr Signature kSignatures[] = {
    {Literal("\xFF\xD8\xFF"), {"image/jpeg", "jpg"}},
    {Literal("\x89PNG\r\n\x1A\n"), {"image/png", "png"}},
    {Literal("GIF87a"), {"image/gif", "gif"}},
    {Literal("GIF89a"), {"image/gif", "gif"}},
    {Literal("II\x2A\x00"), {"image/tiff", "tif"}},
    {Literal("MM\x00\x2A"), {"image/tiff", "tif"}},
    {Literal("%PDF-"), {"application/pdf", "pdf"}},
    {Literal("\x1F\x8B\x08"), {"application/gzip", "gz"}},
    {Literal("7z\xBC\xAF\x27\x1C"), {"application/x-7z-compressed", "7z"}},
    {Literal("Rar!\x1A\x07\x00"), {"application/vnd.rar", "rar"}},
    {Literal("Rar!\x1A\x07\x01\x00"), {"application/vnd.rar", "rar"}},
    {Literal("ID3"), {"audio/mpeg", "mp3"}},
    {Literal("fLaC"), {"audio/flac", "flac"}},
    {Literal("\x7F"
             "ELF"),
     {"application/x-executable", ""}},
};

bool IsBmp(Head head) {
    if (!StartsWith(head, "BM") || head.size() < 18) return false;
    const std::uint32_t header = Le32(Bytes(head) + 14);
    return header == 12 || header == 16 || header == 40 || header == 52 || header == 56 || header == 64 ||
           header == 108 || header == 124;
}

bool IsIco(Head head) {
    if (!StartsWith(head, Literal("\0\0\1\0")) || head.size() < 6 || Le16(Bytes(head) + 4) == 0) return false;
    return head.size() < 10 || head[9] == '\0';  // the first entry's reserved byte
}

// The brands of an ISO base media file's leading "ftyp" box: the major one first.
bool FtypBrands(Head head, std::vector<std::string_view>& brands) {
    if (!StartsWith(head, "ftyp", 4) || head.size() < 12) return false;
    const std::size_t box = std::min<std::size_t>(Be32(Bytes(head)), head.size());
    brands.push_back(head.substr(8, 4));
    for (std::size_t at = 16; at + 4 <= box; at += 4) brands.push_back(head.substr(at, 4));
    return true;
}

bool AnyBrand(const std::vector<std::string_view>& brands, std::initializer_list<std::string_view> wanted) {
    return std::any_of(brands.begin(), brands.end(), [&](std::string_view brand) {
        return std::find(wanted.begin(), wanted.end(), brand) != wanted.end();
    });
}

DetectedFileType IsoMediaType(const std::vector<std::string_view>& brands) {
    const std::string_view major = brands.front();
    const std::initializer_list<std::string_view> avif = {"avif", "avis"};
    const std::initializer_list<std::string_view> heic = {"heic", "heix", "heim", "heis", "hevc", "hevx"};
    const std::initializer_list<std::string_view> heif = {"mif1", "msf1"};
    const auto is = [&](std::initializer_list<std::string_view> set) {
        return std::find(set.begin(), set.end(), major) != set.end();
    };
    if (is(avif)) return {"image/avif", "avif"};
    if (is(heic)) return {"image/heic", "heic"};
    if (is(heif)) {
        if (AnyBrand(brands, avif)) return {"image/avif", "avif"};
        if (AnyBrand(brands, heic)) return {"image/heic", "heic"};
        return {"image/heif", "heif"};
    }
    if (major == "qt  ") return {"video/quicktime", "mov"};
    if (major == "M4A " || major == "M4B " || major == "M4P ") return {"audio/mp4", "m4a"};
    return {"video/mp4", "mp4"};
}

// An MPEG audio Layer III frame header at p (4 bytes): its frame's length, or 0.
std::size_t Mp3FrameLength(const unsigned char* p) {
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return 0;
    const unsigned version = (p[1] >> 3) & 3;  // 0 MPEG-2.5, 1 reserved, 2 MPEG-2, 3 MPEG-1
    const unsigned layer = (p[1] >> 1) & 3;    // 1 Layer III
    const unsigned bitrateIndex = p[2] >> 4;
    const unsigned rateIndex = (p[2] >> 2) & 3;
    if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return 0;
    static constexpr unsigned kMpeg1Rates[] = {0,   32,  40,  48,  56,  64,  80, 96,
                                               112, 128, 160, 192, 224, 256, 320};
    static constexpr unsigned kMpeg2Rates[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static constexpr unsigned kSampleRates[] = {44100, 48000, 32000};
    const unsigned kbits = version == 3 ? kMpeg1Rates[bitrateIndex] : kMpeg2Rates[bitrateIndex];
    const unsigned sampleRate = kSampleRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    const unsigned samplesPerByte = version == 3 ? 144 : 72;
    return samplesPerByte * kbits * 1000 / sampleRate + ((p[2] >> 1) & 1);
}

// A frame header at the start, and another where it ends unless the file (head: the
// first 4 KiB, which hold two frames of any rate) ends first.
bool IsMp3Frames(Head head, std::size_t fileSize) {
    if (head.size() < 4) return false;
    const std::size_t length = Mp3FrameLength(Bytes(head));
    if (length == 0) return false;
    if (length + 4 > head.size()) return length + 4 > fileSize;
    const unsigned char* next = Bytes(head) + length;
    // The same version, layer and sample rate.
    return Mp3FrameLength(next) != 0 && ((next[1] ^ Bytes(head)[1]) & 0x1E) == 0 &&
           ((next[2] ^ Bytes(head)[2]) & 0x0C) == 0;
}

// An EBML variable-length integer at head[*at]; its marker bit kept for element IDs.
bool ReadVint(Head head, std::size_t* at, bool keepMarker, std::uint64_t* value) {
    if (*at >= head.size()) return false;
    const auto first = static_cast<unsigned char>(head[*at]);
    std::size_t length = 1;
    while (length <= 8 && (first & (0x80 >> (length - 1))) == 0) ++length;
    if (length > 8 || *at + length > head.size()) return false;
    *value = keepMarker ? first : first & (0xFF >> length);
    for (std::size_t i = 1; i < length; ++i)
        *value = (*value << 8) | static_cast<unsigned char>(head[*at + i]);
    *at += length;
    return true;
}

// The DocType of an EBML header (RFC 8794), "" when head does not show it.
std::string_view EbmlDocType(Head head) {
    std::size_t at = 4;
    std::uint64_t size = 0;
    if (!ReadVint(head, &at, false, &size)) return {};
    const std::size_t end = std::min<std::uint64_t>(head.size(), at + size);
    while (at < end) {
        std::uint64_t id = 0, length = 0;
        if (!ReadVint(head, &at, true, &id) || !ReadVint(head, &at, false, &length)) return {};
        if (length > end - at) return {};
        if (id == 0x4282) return head.substr(at, static_cast<std::size_t>(length));
        at += static_cast<std::size_t>(length);
    }
    return {};
}

DetectedFileType OggType(Head head) {
    // The first page's header is 27 bytes and its segment table; the packet follows.
    if (head.size() < 27) return {"audio/ogg", "ogg"};
    const std::size_t packet = 27 + static_cast<unsigned char>(head[26]);
    if (StartsWith(head, "\x80theora", packet)) return {"video/ogg", "ogv"};
    if (StartsWith(head, "OpusHead", packet)) return {"audio/ogg", "opus"};
    return {"audio/ogg", "ogg"};
}

DetectedFileType ExecutableType(FileBytes& file) {
    const DetectedFileType exe = {"application/vnd.microsoft.portable-executable", "exe"};
    unsigned char field[4];
    if (!file.Read(0x3C, 4, field)) return exe;
    // The PE signature and the COFF header, whose Characteristics say DLL (0x2000).
    unsigned char pe[24];
    if (!file.Read(Le32(field), sizeof pe, pe) ||
        std::string_view(reinterpret_cast<char*>(pe), 4) != Literal("PE\0\0"))
        return exe;
    return (Le16(pe + 22) & 0x2000) != 0 ? DetectedFileType{exe.Type, "dll"} : exe;
}

DetectedFileType ScriptType(Head head) {
    std::string_view line = head.substr(2, head.find('\n') == Head::npos ? Head::npos : head.find('\n') - 2);
    const auto word = [&line]() {
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        const std::size_t end = std::min(line.find_first_of(" \t\r"), line.size());
        const std::string_view taken = line.substr(0, end);
        line.remove_prefix(end);
        return taken.substr(taken.rfind('/') == Head::npos ? 0 : taken.rfind('/') + 1);
    };
    std::string_view interpreter = word();
    if (interpreter == "env") interpreter = word();
    struct Interpreter {
        std::string_view name;
        DetectedFileType type;
    };
    static constexpr Interpreter kInterpreters[] = {
        {"sh", {"application/x-sh", "sh"}},   {"bash", {"application/x-sh", "sh"}},
        {"dash", {"application/x-sh", "sh"}}, {"ksh", {"application/x-sh", "sh"}},
        {"zsh", {"application/x-sh", "sh"}},  {"python", {"text/x-python", "py"}},
        {"python2", {"text/x-python", "py"}}, {"python3", {"text/x-python", "py"}},
        {"perl", {"text/x-perl", "pl"}},      {"php", {"application/x-httpd-php", "php"}},
        {"node", {"text/javascript", "js"}},  {"nodejs", {"text/javascript", "js"}},
    };
    for (const Interpreter& known : kInterpreters) {
        if (interpreter == known.name) return known.type;
    }
    return {"text/x-script", ""};
}

bool IsText(Head head, std::size_t fileSize) {
    std::size_t at = 0;
    while (at < head.size()) {
        const auto byte = static_cast<unsigned char>(head[at]);
        if (byte == 0) return false;
        if (byte < 0x80) {
            ++at;
            continue;
        }
        std::size_t subpart = 1;
        const std::size_t length = Utf8SequenceLength(head.substr(at), &subpart);
        if (length == 0) {
            // A character that the end of the first 4 KiB cuts, in a file that goes on.
            return at + subpart == head.size() && head.size() < fileSize;
        }
        at += length;
    }
    return true;
}

// The ZIP rows. Office puts [Content_Types].xml first and its parts' folder soon after;
// OpenDocument and EPUB put a stored "mimetype" first, whose text is the type. Only the
// first kZipEntries local headers are read, skipping each entry's data by its size, or,
// where a data descriptor follows the data instead (bit 3), by finding the next header
// within kZipScan bytes.
constexpr int kZipEntries = 8;
constexpr std::size_t kZipScan = 64 * 1024;
constexpr std::size_t kZipHeader = 30;

struct ZipEntry {
    std::size_t next = 0;  // where the next local header is; 0 when unknown
    std::string name;
    std::string storedText;  // a stored entry's first bytes
};

std::size_t FindLocalHeader(FileBytes& file, std::size_t from) {
    const std::string bytes = file.Bytes(from, kZipScan);
    const std::size_t found = bytes.find("PK\x03\x04");
    return found == std::string::npos ? 0 : from + found;
}

bool ReadZipEntry(FileBytes& file, std::size_t at, ZipEntry& entry) {
    unsigned char header[kZipHeader];
    if (!file.Read(at, kZipHeader, header) ||
        std::string_view(reinterpret_cast<char*>(header), 4) != "PK\x03\x04")
        return false;
    const std::uint32_t flags = Le16(header + 6), method = Le16(header + 8), packed = Le32(header + 18);
    const std::size_t data = at + kZipHeader + Le16(header + 26) + Le16(header + 28);
    entry.name = file.Bytes(at + kZipHeader, std::min<std::size_t>(Le16(header + 26), 256));
    entry.storedText = method == 0 ? file.Bytes(data, std::min<std::size_t>(packed, 64)) : std::string();
    if ((flags & 8) != 0 && packed == 0) {
        entry.next = FindLocalHeader(file, data);
    } else {
        entry.next = packed == 0xFFFFFFFFu ? 0 : data + packed;  // ZIP64 sizes: not followed
    }
    return true;
}

DetectedFileType ZipType(FileBytes& file) {
    static constexpr DetectedFileType kZip = {"application/zip", "zip"};
    struct Known {
        std::string_view marker;  // the mimetype's text, or a folder of Office parts
        DetectedFileType type;
    };
    static constexpr Known kOpenDocument[] = {
        {"application/vnd.oasis.opendocument.text", {"application/vnd.oasis.opendocument.text", "odt"}},
        {"application/vnd.oasis.opendocument.spreadsheet",
         {"application/vnd.oasis.opendocument.spreadsheet", "ods"}},
        {"application/vnd.oasis.opendocument.presentation",
         {"application/vnd.oasis.opendocument.presentation", "odp"}},
        {"application/vnd.oasis.opendocument.graphics",
         {"application/vnd.oasis.opendocument.graphics", "odg"}},
        {"application/epub+zip", {"application/epub+zip", "epub"}},
    };
    static constexpr Known kOffice[] = {
        {"word/", {"application/vnd.openxmlformats-officedocument.wordprocessingml.document", "docx"}},
        {"xl/", {"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", "xlsx"}},
        {"ppt/", {"application/vnd.openxmlformats-officedocument.presentationml.presentation", "pptx"}},
    };
    ZipEntry entry;
    if (!ReadZipEntry(file, 0, entry)) return kZip;
    if (entry.name == "mimetype") {
        for (const Known& known : kOpenDocument) {
            if (entry.storedText == known.marker) return known.type;
        }
        return kZip;
    }
    bool contentTypes = false;
    const Known* office = nullptr;
    for (int count = 1;; ++count) {
        contentTypes = contentTypes || entry.name == "[Content_Types].xml";
        for (const Known& known : kOffice) {
            if (office == nullptr && entry.name.compare(0, known.marker.size(), known.marker) == 0)
                office = &known;
        }
        if (contentTypes && office != nullptr) return office->type;
        if (count == kZipEntries || entry.next == 0 || !ReadZipEntry(file, entry.next, entry)) return kZip;
    }
}

}  // namespace

DetectedFileType DetectFileType(BodyWindow& body, std::size_t offset, std::size_t size) {
    FileBytes file(body, offset, size);
    const std::string copy = file.Bytes(0, kTextSniffBytes);
    const Head head = copy;
    if (head.empty()) return {};
    for (const Signature& signature : kSignatures) {
        if (StartsWith(head, signature.bytes)) return signature.type;
    }
    if (StartsWith(head, "RIFF") && StartsWith(head, "WEBP", 8)) return {"image/webp", "webp"};
    if (StartsWith(head, "RIFF") && StartsWith(head, "WAVE", 8)) return {"audio/wav", "wav"};
    if (IsBmp(head)) return {"image/bmp", "bmp"};
    if (IsIco(head)) return {"image/x-icon", "ico"};
    std::vector<std::string_view> brands;
    if (FtypBrands(head, brands)) return IsoMediaType(brands);
    if (StartsWith(head, "PK\x03\x04") || StartsWith(head, "PK\x05\x06")) return ZipType(file);
    if (IsMp3Frames(head, size)) return {"audio/mpeg", "mp3"};
    if (StartsWith(head, "OggS")) return OggType(head);
    if (StartsWith(head, "\x1A\x45\xDF\xA3"))
        return EbmlDocType(head) == "webm" ? DetectedFileType{"video/webm", "webm"}
                                           : DetectedFileType{"video/x-matroska", "mkv"};
    if (StartsWith(head, "MZ")) return ExecutableType(file);
    if (StartsWith(head, "#!")) return ScriptType(head);
    if (IsText(head, size)) return {"text/plain", "txt"};
    return {};
}

}  // namespace kestrune
