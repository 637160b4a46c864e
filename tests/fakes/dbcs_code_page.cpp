#include "fakes/dbcs_code_page.h"

#include "base/ascii.h"
#include "fakes/breach.h"

namespace kestrune {
namespace {

constexpr unsigned char kFullWidthPrefix = 0x82;
constexpr unsigned char kFullWidthUpperA = 0x60;
constexpr unsigned char kFullWidthLowerA = 0x81;
constexpr unsigned char kFullWidthLowerZ = 0x9A;

}  // namespace

bool DbcsCodePage::IsLeadByte(unsigned char byte) const {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool DbcsCodePage::NamesEqual(std::string_view a, std::string_view b) const {
    return NameKey(a) == NameKey(b);
}

std::string DbcsCodePage::NameKey(std::string_view name) const {
    std::string key(name);
    std::size_t i = 0;
    while (i < key.size()) {
        unsigned char byte = static_cast<unsigned char>(key[i]);
        if (IsLeadByte(byte) && i + 1 < key.size()) {
            unsigned char trail = static_cast<unsigned char>(key[i + 1]);
            if (byte == kFullWidthPrefix && trail >= kFullWidthLowerA && trail <= kFullWidthLowerZ) {
                key[i + 1] = static_cast<char>(trail - kFullWidthLowerA + kFullWidthUpperA);
            }
            i += 2;
        } else {
            key[i] = AsciiUpper(key[i]);
            ++i;
        }
    }
    return key;
}

std::string DbcsCodePage::OrdinalNameKey(std::string_view utf8) const {
    testing::ReportBreach("DbcsCodePage::OrdinalNameKey");
    return std::string(utf8);
}

std::string DbcsCodePage::ToUtf8(std::string_view text) const {
    testing::ReportBreach("DbcsCodePage::ToUtf8");
    return std::string(text);
}

std::string DbcsCodePage::FromUtf8(std::string_view utf8) const {
    testing::ReportBreach("DbcsCodePage::FromUtf8");
    return std::string(utf8);
}

}  // namespace kestrune
