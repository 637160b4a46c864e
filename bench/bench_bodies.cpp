#include "bench/bench_bodies.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace kestrune::bench {
namespace {

std::uint64_t SplitMix64(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Prose with the dashes real text carries: hyphenated words, " -- " asides and
// "-----" rules, so the delimiter scan meets many one- and two-byte partial matches.
constexpr std::size_t kTextBlockSize = 64 * 1024;

std::string MakeTextBlock() {
    static const char* const words[] = {
        "the", "upload", "of",         "a",    "file", "form", "and",    "to",   "page",  "server",
        "in",  "is",     "well-known", "text", "data", "line", "with",   "by",   "field", "value",
        "--",  "e-mail", "name",       "for",  "size", "on",   "report", "sent", "one",   "part"};
    constexpr std::size_t wordCount = sizeof(words) / sizeof(words[0]);
    std::string block;
    block.reserve(kTextBlockSize + 128);
    std::uint64_t state = 42;
    std::size_t lineLength = 0;
    while (block.size() < kTextBlockSize) {
        state = SplitMix64(state);
        if (state % 97 == 0) {
            block += "\r\n-----------------------------\r\n";
            lineLength = 0;
            continue;
        }
        const char* word = words[(state >> 8) % wordCount];
        block += word;
        lineLength += std::strlen(word) + 1;
        if (lineLength > 72) {
            block += (state >> 20) % 3 == 0 ? ".\r\n" : "\r\n";
            lineLength = 0;
        } else {
            block += ' ';
        }
    }
    block.resize(kTextBlockSize);
    return block;
}

const std::string& TextBlock() {
    static const std::string block = MakeTextBlock();
    return block;
}

}  // namespace

const char* ContentName(Content content) { return content == Content::Random ? "random" : "text"; }

SingleFileBody::SingleFileBody(Content content, std::uint64_t size) : content_(content), size_(size) {
    head_ = std::string(kDelimiter) +
            "\r\nContent-Disposition: form-data; name=\"upload\"; filename=\"data.bin\"\r\n"
            "Content-Type: application/octet-stream\r\n\r\n";
    tail_ = "\r\n" + std::string(kDelimiter) + "--\r\n";
    if (size_ < head_.size() + tail_.size()) throw std::invalid_argument("body too small");
}

void SingleFileBody::ReadContent(std::uint64_t offset, std::size_t count, char* destination) const {
    if (content_ == Content::Text) {
        const std::string& block = TextBlock();
        while (count > 0) {
            const std::size_t at = static_cast<std::size_t>(offset % block.size());
            const std::size_t n = std::min(count, block.size() - at);
            std::memcpy(destination, block.data() + at, n);
            destination += n;
            offset += n;
            count -= n;
        }
        return;
    }
    // Each 8-byte word of content is the hash of its index, so any stretch can be made
    // without making what precedes it.
    while (count > 0) {
        const std::uint64_t word = SplitMix64(offset / 8);
        const std::size_t at = static_cast<std::size_t>(offset % 8);
        const std::size_t n = std::min<std::size_t>(count, 8 - at);
        std::memcpy(destination, reinterpret_cast<const char*>(&word) + at, n);
        destination += n;
        offset += n;
        count -= n;
    }
}

void SingleFileBody::Read(std::uint64_t offset, std::size_t count, char* destination) const {
    const std::uint64_t contentEnd = head_.size() + ContentSize();
    while (count > 0) {
        std::size_t n;
        if (offset < head_.size()) {
            n = std::min<std::size_t>(count, head_.size() - offset);
            std::memcpy(destination, head_.data() + offset, n);
        } else if (offset < contentEnd) {
            n = static_cast<std::size_t>(std::min<std::uint64_t>(count, contentEnd - offset));
            ReadContent(offset - head_.size(), n, destination);
        } else {
            n = count;
            std::memcpy(destination, tail_.data() + (offset - contentEnd), n);
        }
        destination += n;
        offset += n;
        count -= n;
    }
}

std::string SingleFileBody::Materialize() const {
    std::string body(static_cast<std::size_t>(size_), '\0');
    Read(0, body.size(), body.data());
    return body;
}

std::string FieldName(int index) {
    char name[16];
    std::snprintf(name, sizeof name, "field%06d", index);
    return name;
}

std::string FieldsBody(int count) {
    std::string body;
    body.reserve(static_cast<std::size_t>(count) * 110 + 64);
    char value[16];
    for (int i = 0; i < count; ++i) {
        std::snprintf(value, sizeof value, "value%06d", i);
        body += kDelimiter;
        body += "\r\nContent-Disposition: form-data; name=\"";
        body += FieldName(i);
        body += "\"\r\n\r\n";
        body += value;
        body += "\r\n";
    }
    body += kDelimiter;
    body += "--\r\n";
    return body;
}

std::string SmallFilesBody(int count, std::size_t fileSize) {
    const std::string& text = TextBlock();
    std::string body;
    body.reserve(static_cast<std::size_t>(count) * (fileSize + 180) + 64);
    char headers[160];
    for (int i = 0; i < count; ++i) {
        std::snprintf(headers, sizeof headers,
                      "\r\nContent-Disposition: form-data; name=\"file%04d\"; "
                      "filename=\"small%04d.txt\"\r\nContent-Type: text/plain\r\n\r\n",
                      i, i);
        body += kDelimiter;
        body += headers;
        const std::size_t at = (static_cast<std::size_t>(i) * 4099) % (text.size() - fileSize);
        body.append(text, at, fileSize);
        body += "\r\n";
    }
    body += kDelimiter;
    body += "--\r\n";
    return body;
}

ShapedBody::ShapedBody(const std::string& shape, std::uint64_t size) {
    const std::string part = "--XyZ\r\nContent-Disposition: form-data; name=\"";
    const std::string end = "\r\n--XyZ--\r\n";
    pattern_ = "x";
    if (shape == "first-line") {
        head_ = "--";
        tail_ = "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nvalue\r\n";
        fields_ = 0;
    } else if (shape == "header-line") {
        head_ = part + "a\"; ";
        tail_ = "\r\n\r\nvalue" + end;
    } else if (shape == "short-lines") {
        head_ = part + "a\"\r\n\r\n";
        pattern_ = "a short line\r\n";
        tail_ = "last" + end;
    } else if (shape == "one-line") {
        head_ = part + "a\"\r\n\r\n";
        tail_ = end;
    } else if (shape == "file-name") {
        head_ = part + "f\"; filename=\"";
        tail_ = ".txt\"\r\nContent-Type: text/plain\r\n\r\nDATA" + end;
    } else if (shape == "field-name") {
        head_ = part;
        tail_ = "\"\r\n\r\nvalue" + end;
    } else {
        return;
    }
    bulk_ = (size - std::min<std::uint64_t>(size, head_.size() + tail_.size())) / pattern_.size() *
            pattern_.size();
}

void ShapedBody::Read(std::uint64_t offset, std::size_t count, char* destination) const {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t at = offset + i;
        if (at < head_.size()) {
            destination[i] = head_[at];
        } else if (at < head_.size() + bulk_) {
            destination[i] = pattern_[(at - head_.size()) % pattern_.size()];
        } else {
            destination[i] = tail_[at - head_.size() - bulk_];
        }
    }
}

}  // namespace kestrune::bench
