#include "members/unicode_fields.h"

#include <utility>

namespace kestrune {

UnicodeFields::UnicodeFields(BodyWindow& body, const TBodyParts& parts, const TextRules& rules,
                             const TextSource& source)
    : rules_(rules), source_(source) {
    const CodePage& utf8 = rules.Texts();
    const auto decoded = [&](TFieldText text) {
        return text.IsHeld() ? TFieldText(rules.FromBody(text.held)) : text;
    };
    for (const TFieldPart& part : parts.Fields) {
        TPartNames names = ReadPartNames(body, part.FirstHeaderLine);
        std::string key = utf8.OrdinalNameKey(rules.FromBody(names.FieldName));
        const bool named = names.FileName.Size() != 0;
        TFieldText value = decoded(named         ? std::move(names.FileName)
                                   : part.IsFile ? TFieldText()
                                                 : PartValue(body, part));
        const auto index = static_cast<std::int32_t>(entries_.size());
        const auto [found, added] = entryByKey_.try_emplace(std::move(key), index);
        if (!named && !added) {
            entries_[static_cast<std::size_t>(found->second)].push_back(std::move(value));
            continue;
        }
        entries_.emplace_back().push_back(std::move(value));
    }
    for (std::size_t i = 0; i < parts.Files.size(); ++i) {
        const TPartNames names = ReadPartNames(body, parts.Files[i].FirstHeaderLine);
        fileByKey_.try_emplace(utf8.OrdinalNameKey(rules.FromBody(names.FieldName)),
                               static_cast<std::int32_t>(i));
    }
}

std::string UnicodeFields::ValueAt(std::int32_t index) const {
    const Entry& entry = entries_[static_cast<std::size_t>(index)];
    if (entry.size() == 1 && entry[0].IsHeld()) return entry[0].held;
    std::string value;
    for (const TFieldText& each : entry) {
        if (&each != &entry.front()) value += ", ";
        value += each.IsHeld() ? each.held : rules_.FromBody(TextOf(each, &source_));
    }
    return value;
}

std::string UnicodeFields::Value(std::string_view name) const {
    const auto found = entryByKey_.find(rules_.Texts().OrdinalNameKey(name));
    return found == entryByKey_.end() ? std::string() : ValueAt(found->second);
}

std::int32_t UnicodeFields::FileIndexOf(std::string_view name) const {
    const auto found = fileByKey_.find(rules_.Texts().OrdinalNameKey(name));
    return found == fileByKey_.end() ? -1 : found->second;
}

}  // namespace kestrune
