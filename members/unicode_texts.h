// The file texts of the Unicode road: the part's header values as sent, decoded to UTF-8,
// then split by UTF-8's rules. Decoding first is what keeps the split right: a byte of a
// UTF-8 character is never a lead byte of the system's code page that hides a dot or a
// separator, and the characters of any other code page are whole by then.
#pragma once

#include <string_view>

#include "base/file_record.h"
#include "host/code_page.h"
#include "multipart/multipart_parser.h"

namespace kestrune {

// DescribeFilePart's record with every text decoded from bodyPage and split by utf8Page.
TFileRecord DescribeFilePartUtf8(std::string_view body, const TFilePart& part, const CodePage& bodyPage,
                                 const CodePage& utf8Page);

}  // namespace kestrune
