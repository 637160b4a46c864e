#include "members/system_file_names.h"

#include "base/ascii.h"

namespace kestrune {

SystemFileNames::SystemFileNames(BodyWindow& body, const std::vector<TFilePart>& files,
                                 const CodePage& system) {
    keys_.reserve(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string name = ReadPartNames(body, files[i].FirstHeaderLine).FieldName;
        const auto index = static_cast<std::int32_t>(i);
        lastByUpperName_[AsciiUpperCase(name)] = index;
        keys_.push_back(system.NameKey(name));
        firstByKey_.try_emplace(keys_.back(), index);
    }
}

std::int32_t SystemFileNames::IndexOf(std::string_view name) const {
    const auto last = lastByUpperName_.find(AsciiUpperCase(name));
    if (last == lastByUpperName_.end()) return -1;
    return firstByKey_.at(keys_[static_cast<std::size_t>(last->second)]);
}

}  // namespace kestrune
