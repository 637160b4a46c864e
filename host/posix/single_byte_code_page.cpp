#include "host/posix/single_byte_code_page.h"

#include "base/ascii.h"

namespace kestrune {

bool SingleByteCodePage::IsLeadByte(unsigned char) const { return false; }

bool SingleByteCodePage::NamesEqual(std::string_view a, std::string_view b) const {
    return EqualsNoCase(a, b);
}

std::string SingleByteCodePage::NameKey(std::string_view name) const { return AsciiUpperCase(name); }

}  // namespace kestrune
