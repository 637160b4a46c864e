#include "multipart/part_headers.h"

namespace kestrune {

PartNames ParsePartNames(std::string_view firstHeaderLine) {
    PartNames names;
    std::size_t name = firstHeaderLine.find(kNameParameter);
    if (name == std::string_view::npos) return names;
    std::string_view rest = firstHeaderLine.substr(name + kNameParameter.size());
    std::size_t quote = rest.find('"');
    if (quote != std::string_view::npos) {
        names.fieldName = rest.substr(0, quote);
        rest.remove_prefix(quote + 1);
    }
    std::size_t fileName = rest.find(kFileNameParameter);
    if (fileName == std::string_view::npos) return names;
    rest.remove_prefix(fileName + kFileNameParameter.size());
    quote = rest.find('"');
    if (quote != std::string_view::npos) {
        names.fileName = rest.substr(0, quote);
        names.hasFileName = true;
    }
    return names;
}

bool IsFilePartHeader(std::string_view secondHeaderLine) {
    return secondHeaderLine.find(kContentType) != std::string_view::npos;
}

std::string_view ContentTypeOf(std::string_view secondHeaderLine) {
    std::size_t found = secondHeaderLine.find(kContentType);
    if (found == std::string_view::npos) return {};
    std::size_t start = found + kContentType.size() + 1;
    if (start >= secondHeaderLine.size()) return {};
    return secondHeaderLine.substr(start);
}

}  // namespace kestrune
