// The two pieces of a part's header lines that the parser reads: the name and filename
// parameters of the first line, and the media type after "Content-Type:" in the second.
// Fixed byte searches only, no unquoting: browsers put name before filename and quote
// both, and that is all this format relies on.
#pragma once

#include <string_view>

namespace kestrune {

inline constexpr std::string_view kNameParameter = "name=\"";
inline constexpr std::string_view kFileNameParameter = "filename=\"";
inline constexpr std::string_view kContentType = "Content-Type:";

struct PartNames {
    std::string_view fieldName;
    std::string_view fileName;
    bool hasFileName = false;  // a filename parameter, empty or not, with its closing quote
};

// The bytes between the quotes after name=" and, further on, after filename="; views
// into firstHeaderLine, empty where a parameter or its closing quote is missing.
PartNames ParsePartNames(std::string_view firstHeaderLine);

// True when the second header line holds "Content-Type:" (exact case, anywhere).
bool IsFilePartHeader(std::string_view secondHeaderLine);

// The text after "Content-Type:" and one more byte, which is the blank a browser puts
// there (whatever that byte is); empty when the line ends before it.
std::string_view ContentTypeOf(std::string_view secondHeaderLine);

}  // namespace kestrune
