#include "pagehost/asp/server_encoders.h"

#include "base/utf8.h"

namespace kestrune {
namespace {

void AppendAscii(std::u16string& out, std::string_view text) {
    for (char c : text) out += static_cast<char16_t>(c);
}

bool IsAlnum(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

}  // namespace

std::u16string HtmlEncode(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        switch (c) {
            case u'<':
                AppendAscii(out, "&lt;");
                break;
            case u'>':
                AppendAscii(out, "&gt;");
                break;
            case u'&':
                AppendAscii(out, "&amp;");
                break;
            case u'"':
                AppendAscii(out, "&quot;");
                break;
            default:
                if (c >= 160 && c <= 255) {
                    AppendAscii(out, "&#" + std::to_string(static_cast<int>(c)) + ";");
                } else {
                    out += c;
                }
        }
    }
    return out;
}

std::string UrlEncode(std::u16string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (IsAlnum(c)) {
            out += static_cast<char>(c);
            continue;
        }
        if (c == u' ') {
            out += '+';
            continue;
        }
        char32_t code = c;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            code = 0xFFFD;
        }
        std::string bytes;
        AppendUtf8(bytes, code);
        for (char byte : bytes) {
            auto value = static_cast<unsigned char>(byte);
            out += '%';
            out += kHex[value >> 4];
            out += kHex[value & 0xF];
        }
    }
    return out;
}

}  // namespace kestrune
