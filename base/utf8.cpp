#include "base/utf8.h"

namespace kestrune {

std::size_t Utf8SequenceLength(std::string_view text, std::size_t* subpart) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(0);
    *subpart = 1;
    if (first < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte (Table 3-7)
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        if (first == 0xE0) low = 0xA0;
        if (first == 0xED) high = 0x9F;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        if (first == 0xF0) low = 0x90;
        if (first == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (i >= text.size()) return 0;
        const unsigned char next = byte(i);
        const bool fits = i == 1 ? (next >= low && next <= high) : (next >= 0x80 && next <= 0xBF);
        if (!fits) return 0;
        *subpart = i + 1;
    }
    return length;
}

std::string WellFormedUtf8(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t subpart = 1;
        const std::size_t length = Utf8SequenceLength(text.substr(i), &subpart);
        if (length > 0) {
            result.append(text.substr(i, length));
            i += length;
        } else {
            result.append(kUtf8Replacement);
            i += subpart;
        }
    }
    return result;
}

void AppendUtf8(std::string& text, char32_t scalar) {
    const auto put = [&](char32_t bits) { text.push_back(static_cast<char>(bits)); };
    if (scalar < 0x80) {
        put(scalar);
    } else if (scalar < 0x800) {
        put(0xC0 | (scalar >> 6));
        put(0x80 | (scalar & 0x3F));
    } else if (scalar < 0x10000) {
        put(0xE0 | (scalar >> 12));
        put(0x80 | ((scalar >> 6) & 0x3F));
        put(0x80 | (scalar & 0x3F));
    } else {
        put(0xF0 | (scalar >> 18));
        put(0x80 | ((scalar >> 12) & 0x3F));
        put(0x80 | ((scalar >> 6) & 0x3F));
        put(0x80 | (scalar & 0x3F));
    }
}

char32_t NextScalar(std::string_view text, std::size_t* at) {
    const auto byte = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(text[i]));
    };
    const char32_t first = byte(*at);
    const std::size_t length = first < 0x80 ? 1 : first < 0xE0 ? 2 : first < 0xF0 ? 3 : 4;
    char32_t scalar = length == 1 ? first : first & (0x3F >> (length - 1));
    for (std::size_t i = 1; i < length && *at + i < text.size(); ++i)
        scalar = (scalar << 6) | (byte(*at + i) & 0x3F);
    *at += length;
    return scalar;
}

}  // namespace kestrune
