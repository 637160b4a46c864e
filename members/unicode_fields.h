// UnicodeFields: the form fields as the Unicode road lists them, derived from the parts
// the parser found rather than from the system road's list. Each part's own name and
// value are decoded from the body's code page, so no lead byte can swallow the "=" that
// ends a name. Names that are equal with letter case ignored, and nothing else, merge as
// the system road merges: the first keeps its place and later values follow after ", ";
// a file part with a file name always has an entry of its own. Lookups go through an
// index, so each costs the same at 10 fields or 100,000. A long value stays in the body
// and is decoded when it is read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/field_text.h"
#include "multipart/body_window.h"
#include "multipart/multipart_parser.h"
#include "upload/text_rules.h"

namespace kestrune {

class UnicodeFields {
public:
    // rules must be a Unicode road's; source reads body (both must outlive the list).
    UnicodeFields(BodyWindow& body, const TBodyParts& parts, const TextRules& rules,
                  const TextSource& source);

    std::int32_t Count() const { return static_cast<std::int32_t>(entries_.size()); }
    // The value of the entry at index, which must be within 0..Count-1.
    std::string ValueAt(std::int32_t index) const;
    // The value of the entry named name; empty when there is none.
    std::string Value(std::string_view name) const;
    // Position of the first file whose field name equals name; -1 when there is none.
    std::int32_t FileIndexOf(std::string_view name) const;

private:
    // The values of an entry, in body order: held ones decoded, body ranges as they are.
    using Entry = std::vector<TFieldText>;

    const TextRules& rules_;
    const TextSource& source_;
    std::vector<Entry> entries_;
    std::unordered_map<std::string, std::int32_t> entryByKey_;
    std::unordered_map<std::string, std::int32_t> fileByKey_;
};

}  // namespace kestrune
