// FormCollection: the text fields of a request as the Form collection reads them: every
// part without a filename parameter, in body order, under its name, with each name's
// values kept one by one as they came and never merged into one text.
//
// Names group and are found by the rule FormVariable keeps on the road:
// - System road: names group when equal under the system's list name comparison, as the
//   form-field list merges them; a name asked for matches a name sent in any mix of ASCII
//   letter case, other letters exactly (an index of every name sent, ASCII-upper-cased,
//   where the last name sent that matches decides, as it does for FormVariable).
// - Unicode road: names are decoded from the body's code page and group, and are found,
//   under ordinal comparison with letter case ignored (OrdinalNameKey).
// A value stays in the body as its range and is read, and decoded, when it is asked for.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/field_text.h"
#include "multipart/body_window.h"
#include "multipart/multipart_parser.h"
#include "upload/request_body.h"
#include "upload/text_rules.h"

namespace kestrune {

class FormCollection {
public:
    // The fields of parts, read through body; rules, source and stored (which hold the
    // same body) must outlive the collection.
    FormCollection(BodyWindow& body, const TBodyParts& parts, const TextRules& rules,
                   const TextSource& source, const RequestBody& stored);

    // Positions are 0-based here and must be in range: names 0..Count-1, a name's values
    // 0..ValueCount-1.
    std::int32_t Count() const { return static_cast<std::int32_t>(names_.size()); }
    // The name as it was sent first.
    const std::string& Key(std::int32_t name) const { return Name(name).key; }
    std::int32_t ValueCount(std::int32_t name) const {
        return static_cast<std::int32_t>(Name(name).values.size());
    }
    std::string Value(std::int32_t name, std::int32_t value) const;
    // Every value of the name, joined with ", ", as Request.Form gives a repeated name.
    std::string Joined(std::int32_t name) const;
    // The position of the name asked for; -1 when no field has it.
    std::int32_t IndexOf(std::string_view name) const;

private:
    // Each value is its part: a field's text (CR dropped, LF as CR LF, as the form-field
    // list reads it), or the raw content of a part sent with a Content-Type (IsFile).
    struct Entry {
        std::string key;
        std::vector<TFieldPart> values;
    };

    const Entry& Name(std::int32_t name) const { return names_[static_cast<std::size_t>(name)]; }
    std::string LookupKey(std::string_view name) const;

    const TextRules& rules_;
    const TextSource& source_;
    const RequestBody& stored_;
    std::vector<Entry> names_;
    std::unordered_map<std::string, std::int32_t> byKey_;
};

}  // namespace kestrune
