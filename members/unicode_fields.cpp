#include "members/unicode_fields.h"

#include <utility>

namespace kestrune {

UnicodeFields::UnicodeFields(BodyWindow& body, const std::vector<TFieldPart>& parts,
                             const std::vector<TFilePart>& files, const TextRules& rules)
    : utf8_(rules.Texts()) {
    for (const TFieldPart& part : parts) {
        const TPartNames names = ReadPartNames(body, part.FirstHeaderLine);
        std::string key = utf8_.OrdinalNameKey(rules.FromBody(names.FieldName));
        const bool named = !names.FileName.empty();
        std::string value = rules.FromBody(named         ? names.FileName
                                           : part.IsFile ? std::string()
                                                         : PartValue(body, part));
        const auto index = static_cast<std::int32_t>(values_.size());
        if (!named) {
            const auto [found, added] = entryByKey_.try_emplace(std::move(key), index);
            if (!added) {
                std::string& merged = values_[static_cast<std::size_t>(found->second)];
                merged += ", ";
                merged += value;
                continue;
            }
        } else {
            entryByKey_.try_emplace(std::move(key), index);
        }
        values_.push_back(std::move(value));
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const TPartNames names = ReadPartNames(body, files[i].FirstHeaderLine);
        fileByKey_.try_emplace(utf8_.OrdinalNameKey(rules.FromBody(names.FieldName)),
                               static_cast<std::int32_t>(i));
    }
}

std::string UnicodeFields::Value(std::string_view name) const {
    const auto found = entryByKey_.find(utf8_.OrdinalNameKey(name));
    return found == entryByKey_.end() ? std::string() : ValueAt(found->second);
}

std::int32_t UnicodeFields::FileIndexOf(std::string_view name) const {
    const auto found = fileByKey_.find(utf8_.OrdinalNameKey(name));
    return found == fileByKey_.end() ? -1 : found->second;
}

}  // namespace kestrune
