// UnicodeFields: the form fields as the Unicode road lists them, derived from the parts
// the parser found rather than from the system road's list. Each part's own name and
// value are decoded from the body's code page, so no lead byte can swallow the "=" that
// ends a name. Names that are equal with letter case ignored, and nothing else, merge as
// the system road merges: the first keeps its place and later values follow after ", ";
// a file part with a file name always has an entry of its own. Lookups go through an
// index, so each costs the same at 10 fields or 100,000.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "multipart/body_window.h"
#include "multipart/multipart_parser.h"
#include "upload/text_rules.h"

namespace kestrune {

class UnicodeFields {
public:
    // rules must be a Unicode road's.
    UnicodeFields(BodyWindow& body, const std::vector<TFieldPart>& parts, const std::vector<TFilePart>& files,
                  const TextRules& rules);

    std::int32_t Count() const { return static_cast<std::int32_t>(values_.size()); }
    // The value of the entry at index, which must be within 0..Count-1.
    const std::string& ValueAt(std::int32_t index) const { return values_[static_cast<std::size_t>(index)]; }
    // The value of the entry named name; empty when there is none.
    std::string Value(std::string_view name) const;
    // Position of the first file whose field name equals name; -1 when there is none.
    std::int32_t FileIndexOf(std::string_view name) const;

private:
    const CodePage& utf8_;
    std::vector<std::string> values_;
    std::unordered_map<std::string, std::int32_t> entryByKey_;
    std::unordered_map<std::string, std::int32_t> fileByKey_;
};

}  // namespace kestrune
