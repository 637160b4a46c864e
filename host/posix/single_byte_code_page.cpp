#include "host/posix/single_byte_code_page.h"

#include "base/string_list.h"

namespace kestrune {
namespace {

char AsciiUpper(char byte) { return byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - 'a' + 'A') : byte; }

}  // namespace

bool SingleByteCodePage::IsLeadByte(unsigned char) const { return false; }

bool SingleByteCodePage::NamesEqual(std::string_view a, std::string_view b) const {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    }
    return true;
}

std::string SingleByteCodePage::NameKey(std::string_view name) const { return AsciiUpperCase(name); }

}  // namespace kestrune
