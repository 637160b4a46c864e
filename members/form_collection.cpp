#include "members/form_collection.h"

#include <utility>

#include "base/ascii.h"

namespace kestrune {

FormCollection::FormCollection(BodyWindow& body, const TBodyParts& parts, const TextRules& rules,
                               const TextSource& source, const RequestBody& stored)
    : rules_(rules), source_(source), stored_(stored) {
    const CodePage& texts = rules.Texts();
    // On the system road a name groups by the list's comparison, which is not the one
    // it is found by; on the Unicode road the two are one.
    std::unordered_map<std::string, std::int32_t> byGroup;
    for (const TFieldPart& part : parts.Fields) {
        if (part.HasFileName) continue;
        std::string name = rules.FromBody(ReadPartNames(body, part.FirstHeaderLine).FieldName);
        std::string group = rules.IsUnicode() ? texts.OrdinalNameKey(name) : texts.NameKey(name);
        const auto [found, added] = byGroup.try_emplace(std::move(group), Count());
        if (added) names_.push_back({name, {}});
        // As in FormVariable, the last name sent that matches decides: under a double-byte
        // code page, names of different characters can match (a trail byte is upper-cased).
        if (!rules.IsUnicode()) byKey_.insert_or_assign(LookupKey(name), found->second);
        if (rules.IsUnicode() && added) byKey_.emplace(LookupKey(name), found->second);
        names_[static_cast<std::size_t>(found->second)].values.push_back(part);
    }
}

std::string FormCollection::LookupKey(std::string_view name) const {
    return rules_.IsUnicode() ? rules_.Texts().OrdinalNameKey(name) : AsciiUpperCase(name);
}

std::string FormCollection::Value(std::int32_t name, std::int32_t value) const {
    const TFieldPart& part = Name(name).values[static_cast<std::size_t>(value)];
    BodyWindow body = stored_.Open(BodyWindow::kLineCapacity);
    std::string bytes;
    if (part.IsFile) {
        bytes.resize(static_cast<std::size_t>(part.ValueSize));
        if (!bytes.empty())
            body.CopyOut(static_cast<std::size_t>(part.ValueStart), bytes.size(), bytes.data());
    } else {
        const TFieldText text = PartValue(body, part);
        bytes = text.IsHeld() ? text.held : TextOf(text, &source_);
    }
    return rules_.FromBody(bytes);
}

std::string FormCollection::Joined(std::int32_t name) const {
    std::string joined;
    for (std::int32_t i = 0; i < ValueCount(name); ++i) {
        if (i > 0) joined += ", ";
        joined += Value(name, i);
    }
    return joined;
}

std::int32_t FormCollection::IndexOf(std::string_view name) const {
    const auto found = byKey_.find(LookupKey(name));
    return found == byKey_.end() ? -1 : found->second;
}

}  // namespace kestrune
