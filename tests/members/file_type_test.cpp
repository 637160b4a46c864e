// DetectFileType and ReadImageSize over files made by real tools (tests/members/
// make_samples.py writes them at build time) and over headers built byte by byte for the
// rows no tool here makes. Each file is read three ways: alone in memory, with other
// bytes around it (nothing outside its range may count), and from a body file through
// windows small enough that every header straddles a move.
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "host/posix/posix_body_file.h"
#include "members/file_type.h"
#include "members/image_size.h"

namespace kestrune {
namespace {

using namespace std::string_literals;

struct Facts {
    std::string type, extension;
    std::int32_t width = 0, height = 0;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << "cannot read " << path;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Facts FactsOf(BodyWindow& body, std::size_t offset, std::size_t size) {
    const DetectedFileType type = DetectFileType(body, offset, size);
    const ImageSize image = ReadImageSize(body, offset, size);
    return {std::string(type.Type), std::string(type.Extension), image.Width, image.Height};
}

void ExpectFacts(const Facts& expected, const Facts& found, const std::string& how) {
    SCOPED_TRACE(how);
    EXPECT_EQ(expected.type, found.type);
    EXPECT_EQ(expected.extension, found.extension);
    EXPECT_EQ(expected.width, found.width);
    EXPECT_EQ(expected.height, found.height);
}

// The three ways of reading a file that every case goes through.
void ExpectFactsOf(const std::string& content, const Facts& expected) {
    {
        // An allocation of exactly the file's size, so that a read past it is caught.
        const std::unique_ptr<char[]> alone(new char[content.size() + 1]);
        std::copy(content.begin(), content.end(), alone.get());
        BodyWindow memory(std::string_view(alone.get(), content.size()));
        ExpectFacts(expected, FactsOf(memory, 0, content.size()), "alone in memory");
    }
    // Around it, what would change the answer if it counted: another file's signature
    // after it, a NUL and a PNG signature before.
    const std::string before = "\0\x89PNG\r\n\x1A\n--XyZ\r\n\r\n"s;
    const std::string body = before + content + "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x10\0\0\0\x10"s;
    BodyWindow memory(body);
    ExpectFacts(expected, FactsOf(memory, before.size(), content.size()), "within a body");
    std::unique_ptr<BodyFile> file = CreatePosixBodyFile();
    ASSERT_NE(nullptr, file);
    ASSERT_TRUE(file->Append(body.data(), body.size()));
    const auto stored = static_cast<std::int64_t>(body.size());
    for (const std::size_t capacity : {std::size_t{3}, std::size_t{61}, BodyWindow::kPieceCapacity}) {
        BodyWindow window(*file, stored, stored, capacity);
        ExpectFacts(expected, FactsOf(window, before.size(), content.size()),
                    "through a window of " + std::to_string(capacity));
    }
}

TEST(FileType, FilesMadeByTools) {
    struct Case {
        const char* file;
        Facts facts;
    };
    const std::vector<Case> cases = {
        {"image.png", {"image/png", "png", 37, 23}},
        {"image.gif", {"image/gif", "gif", 37, 23}},
        {"image.jpg", {"image/jpeg", "jpg", 37, 23}},
        {"progressive.jpg", {"image/jpeg", "jpg", 37, 23}},
        {"commented.jpg", {"image/jpeg", "jpg", 37, 23}},
        {"cmyk.jpg", {"image/jpeg", "jpg", 37, 23}},
        {"image.bmp", {"image/bmp", "bmp", 37, 23}},
        {"os2.bmp", {"image/bmp", "bmp", 37, 23}},
        {"v5.bmp", {"image/bmp", "bmp", 37, 23}},
        {"top-down.bmp", {"image/bmp", "bmp", 37, 23}},
        {"lossy.webp", {"image/webp", "webp", 37, 23}},
        {"lossless.webp", {"image/webp", "webp", 37, 23}},
        {"alpha.webp", {"image/webp", "webp", 37, 23}},
        {"image.tif", {"image/tiff", "tif"}},
        {"big-endian.tif", {"image/tiff", "tif"}},
        {"image.ico", {"image/x-icon", "ico"}},
        {"image.heic", {"image/heic", "heic"}},
        {"image.avif", {"image/avif", "avif"}},
        {"page.pdf", {"application/pdf", "pdf"}},
        {"plain.zip", {"application/zip", "zip"}},
        {"empty.zip", {"application/zip", "zip"}},
        {"folders.zip", {"application/zip", "zip"}},
        {"document.docx",
         {"application/vnd.openxmlformats-officedocument.wordprocessingml.document", "docx"}},
        {"streamed.docx",
         {"application/vnd.openxmlformats-officedocument.wordprocessingml.document", "docx"}},
        {"sheet.xlsx", {"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", "xlsx"}},
        {"slides.pptx",
         {"application/vnd.openxmlformats-officedocument.presentationml.presentation", "pptx"}},
        {"text.odt", {"application/vnd.oasis.opendocument.text", "odt"}},
        {"sheet.ods", {"application/vnd.oasis.opendocument.spreadsheet", "ods"}},
        {"slides.odp", {"application/vnd.oasis.opendocument.presentation", "odp"}},
        {"drawing.odg", {"application/vnd.oasis.opendocument.graphics", "odg"}},
        {"book.epub", {"application/epub+zip", "epub"}},
        {"text.gz", {"application/gzip", "gz"}},
        {"sound.wav", {"audio/wav", "wav"}},
        // Files of the tree and of the build.
        {KESTRUNE_SOURCE_DIR "/README.md", {"text/plain", "txt"}},
        {KESTRUNE_SOURCE_DIR "/run", {"application/x-sh", "sh"}},
        {"/proc/self/exe", {"application/x-executable", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = c.file[0] == '/' ? c.file : std::string(KESTRUNE_SAMPLES_DIR "/") + c.file;
        ExpectFactsOf(Slurp(path), c.facts);
    }
}

// An Ogg page holding the start of one packet.
std::string OggPage(const std::string& packet) {
    return "OggS\0\x02"s + std::string(20, '\0') + "\x01" + static_cast<char>(packet.size()) + packet;
}

// A DOS header whose e_lfanew points at a PE signature and COFF header.
std::string Executable(std::uint16_t characteristics) {
    std::string image = "MZ" + std::string(0x3A, '\0') + "\x40\0\0\0"s + "PE\0\0"s + std::string(18, '\0');
    image += static_cast<char>(characteristics & 0xFF);
    image += static_cast<char>(characteristics >> 8);
    return image + std::string(64, '\0');
}

// An MPEG-1 Layer III frame: 128 kbit/s at 44.1 kHz, 417 bytes.
const std::string kMp3Frame = "\xFF\xFB\x90\x64"s + std::string(413, '\x55');

// JPEG marker segments, each of 65535 bytes, before a frame header of 5 x 3 pixels.
std::string JpegAfterSegments(int segments) {
    std::string image = "\xFF\xD8";
    for (int i = 0; i < segments; ++i) image += "\xFF\xEF\xFF\xFF" + std::string(65533, 'x');
    return image + "\xFF\xFF\xC0\x00\x11\x08\x00\x03\x00\x05\x03"s + std::string(20, '\0');
}

TEST(FileType, HeadersByteByByte) {
    struct Case {
        const char* label;
        std::string content;
        Facts facts;
    };
    const std::string ftyp =
        "\0\0\0\x18"
        "ftyp"s;
    const std::string octet = "application/octet-stream";
    const std::vector<Case> cases = {
        {"empty", "", {octet, ""}},
        {"7z", "7z\xBC\xAF\x27\x1C\0\x04"s, {"application/x-7z-compressed", "7z"}},
        {"RAR 4", "Rar!\x1A\x07\0\xCF"s, {"application/vnd.rar", "rar"}},
        {"RAR 5", "Rar!\x1A\x07\x01\0"s, {"application/vnd.rar", "rar"}},
        {"Rar! alone", "Rar!\x1A\x07", {"text/plain", "txt"}},
        {"MP3 with ID3", "ID3\x03\0\0\0\0\0\0"s + kMp3Frame, {"audio/mpeg", "mp3"}},
        {"MP3 frames", kMp3Frame + kMp3Frame, {"audio/mpeg", "mp3"}},
        {"MP3 frame at the end", kMp3Frame, {"audio/mpeg", "mp3"}},
        {"MP3 frame then no frame", kMp3Frame + "\0\0\0\0"s, {octet, ""}},
        {"AAC frame sync", "\xFF\xF1\x50\x80\x02\x1F\xFC" + std::string(400, '\0'), {octet, ""}},
        {"Ogg Vorbis", OggPage("\x01vorbis"), {"audio/ogg", "ogg"}},
        {"Ogg Opus", OggPage("OpusHead"), {"audio/ogg", "opus"}},
        {"Ogg Theora", OggPage("\x80theora"), {"video/ogg", "ogv"}},
        {"FLAC", "fLaC\0\0\0\x22"s, {"audio/flac", "flac"}},
        {"WAV", "RIFF\x24\0\0\0WAVEfmt "s, {"audio/wav", "wav"}},
        {"WebM", "\x1A\x45\xDF\xA3\x8B\x42\x86\x81\x01\x42\x82\x84webm"s, {"video/webm", "webm"}},
        {"Matroska",
         "\x1A\x45\xDF\xA3\x8F\x42\x86\x81\x01\x42\x82\x88matroska"s,
         {"video/x-matroska", "mkv"}},
        {"EBML, no DocType", "\x1A\x45\xDF\xA3\x84\x42\x86\x81\x01"s, {"video/x-matroska", "mkv"}},
        {"MP4", ftyp + "isom\0\0\x02\0isomiso2"s, {"video/mp4", "mp4"}},
        {"QuickTime", ftyp + "qt  \0\0\x02\0qt  \0\0\0\0"s, {"video/quicktime", "mov"}},
        {"M4A", ftyp + "M4A \0\0\0\0M4A mp42"s, {"audio/mp4", "m4a"}},
        {"HEIF with a HEIC brand", ftyp + "mif1\0\0\0\0mif1heic"s, {"image/heic", "heic"}},
        {"HEIF", ftyp + "mif1\0\0\0\0mif1miaf"s, {"image/heif", "heif"}},
        {"AVIF sequence", ftyp + "avis\0\0\0\0avismif1"s, {"image/avif", "avif"}},
        {"program", Executable(0x0102), {"application/vnd.microsoft.portable-executable", "exe"}},
        {"DLL", Executable(0x2102), {"application/vnd.microsoft.portable-executable", "dll"}},
        {"MZ, no PE header", "MZ", {"application/vnd.microsoft.portable-executable", "exe"}},
        {"ELF",
         "\x7F"
         "ELF\x02\x01\x01\0"s,
         {"application/x-executable", ""}},
        {"sh", "#!/bin/sh\necho", {"application/x-sh", "sh"}},
        {"bash through env", "#!/usr/bin/env bash\n", {"application/x-sh", "sh"}},
        {"python", "#! /usr/bin/env python3\r\nprint()", {"text/x-python", "py"}},
        {"perl", "#!/usr/bin/perl -w\n", {"text/x-perl", "pl"}},
        {"php", "#!/usr/local/bin/php", {"application/x-httpd-php", "php"}},
        {"node", "#!/usr/bin/env node\n", {"text/javascript", "js"}},
        {"awk", "#!/usr/bin/awk -f\n", {"text/x-script", ""}},
        {"ICO without images", "\0\0\x01\0\0\0"s + std::string(16, '\0'), {octet, ""}},
        {"BM text", "BMW and more text than a header", {"text/plain", "txt"}},
        {"text", "hello\r\n", {"text/plain", "txt"}},
        {"UTF-8 text", "\xE6\x97\xA5\xE6\x9C\xAC caf\xC3\xA9 \xF0\x9F\x98\x80", {"text/plain", "txt"}},
        {"a character across 4 KiB", std::string(4095, 'a') + "\xE6\x97\xA5", {"text/plain", "txt"}},
        {"NUL after 4 KiB", std::string(4096, 'a') + "\0"s, {"text/plain", "txt"}},
        {"a character cut by the end", "abc\xE6\x97", {octet, ""}},
        {"NUL", "a\0b"s, {octet, ""}},
        {"ill-formed UTF-8", "abc\xFF", {octet, ""}},
        {"overlong UTF-8", "\xC0\xAF", {octet, ""}},
        {"UTF-16", "\xFF\xFEh\0i\0"s, {octet, ""}},
        // Image sizes from headers alone, and where none can be had.
        {"PNG cut short", "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0"s, {"image/png", "png"}},
        {"PNG without IHDR first",
         "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDX\0\0\0\x10\0\0\0\x10"s,
         {"image/png", "png"}},
        {"GIF of 10 bytes", "GIF89a\x05\0\x03\0"s, {"image/gif", "gif", 5, 3}},
        {"JPEG, fill bytes and a frame within 1 MiB", JpegAfterSegments(15), {"image/jpeg", "jpg", 5, 3}},
        {"JPEG, the frame past 1 MiB", JpegAfterSegments(17), {"image/jpeg", "jpg"}},
        {"JPEG, scan before the frame",
         "\xFF\xD8\xFF\xDA\0\x02\xFF\xC0\0\x11\x08\0\x03\0\x05"s,
         {"image/jpeg", "jpg"}},
        {"JPEG, a segment's length below 2",
         "\xFF\xD8\xFF\xE0\0\x01\xFF\xC0\0\x11\x08\0\x03\0\x05\x03"s,
         {"image/jpeg", "jpg"}},
        {"JPEG, no marker where one must be",
         "\xFF\xD8\xFF\xE0\0\x04\0\0\x41\xC0\0\x11\x08\0\x03\0\x05"s,
         {"image/jpeg", "jpg"}},
        {"BMP of a negative width",
         "BM"s + std::string(12, '\0') + "\x28\0\0\0\xFB\xFF\xFF\xFF\x03\0\0\0"s,
         {"image/bmp", "bmp"}},
        {"BMP of the most negative height",
         "BM"s + std::string(12, '\0') + "\x28\0\0\0\x05\0\0\0\0\0\0\x80"s,
         {"image/bmp", "bmp"}},
        {"WebP VP8 without a key frame's start code",
         "RIFF\x24\0\0\0WEBPVP8 \x18\0\0\0\0\0\0\0\0\0\x05\0\x03\0"s,
         {"image/webp", "webp"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ExpectFactsOf(c.content, c.facts);
    }
}

}  // namespace
}  // namespace kestrune
