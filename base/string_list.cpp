// How the indexes work: firstByKey_ answers IndexOfName, and a Replace never moves a
// line, so only a Replace that changes a line's key (the caller broke the contract)
// needs a rebuild. lastByUpperName_ plus previousSameUpper_ form one chain per ASCII
// upper-cased name, newest line first; appends push onto the front, and a rewrite that
// changes the upper-cased spelling unlinks the line from one chain and links it into
// another at its place by index.
#include "base/string_list.h"

#include <cstring>
#include <utility>

#include "base/exceptions.h"

namespace kestrune {

TStringList::TStringList(const NameCollation& collation) : collation_(collation) {
    for (int byte = 0; byte < 256; ++byte) {
        leadBytes_[byte] = collation_.IsLeadByte(static_cast<unsigned char>(byte));
        anyLeadByte_ = anyLeadByte_ || leadBytes_[byte];
    }
}

TStringList::LineName TStringList::NameOf(std::string_view line) const {
    const LineName none{std::string_view(), false};
    if (!anyLeadByte_) {
        const void* equals = std::memchr(line.data(), '=', line.size());
        if (equals == nullptr) return none;
        std::size_t length = static_cast<std::size_t>(static_cast<const char*>(equals) - line.data());
        if (std::memchr(line.data(), '\0', length) != nullptr) return none;
        return {line.substr(0, length), true};
    }
    std::size_t i = 0;
    while (i < line.size()) {
        unsigned char byte = static_cast<unsigned char>(line[i]);
        if (byte == 0) return none;
        if (byte == '=') return {line.substr(0, i), true};
        if (leadBytes_[byte]) {
            // The trail byte is swallowed, but a NUL still ends the text.
            if (i + 1 < line.size() && line[i + 1] == '\0') return none;
            i += 2;
        } else {
            ++i;
        }
    }
    return none;
}

void TStringList::RaiseBoundsError(std::int32_t index) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TStringList::CheckIndex(std::int32_t index) const {
    if (index < 0 || index >= Count()) RaiseBoundsError(index);
}

const std::string& TStringList::Line(std::int32_t index) const {
    CheckIndex(index);
    return lines_[static_cast<std::size_t>(index)];
}

std::string_view TStringList::Name(std::int32_t index) const { return NameOf(Line(index)).text; }

std::int32_t TStringList::IndexOfName(std::string_view name) const {
    auto found = firstByKey_.find(collation_.NameKey(name));
    return found == firstByKey_.end() ? -1 : found->second;
}

std::string TStringList::Value(std::string_view name) const {
    std::int32_t index = IndexOfName(name);
    if (index < 0) return std::string();
    const std::string& line = lines_[static_cast<std::size_t>(index)];
    if (line.size() <= name.size()) return std::string();
    return line.substr(name.size() + 1);
}

std::int32_t TStringList::LastIndexOfAsciiUpperName(std::string_view upperName) const {
    auto found = lastByUpperName_.find(std::string(upperName));
    return found == lastByUpperName_.end() ? -1 : found->second;
}

void TStringList::LinkUpperName(std::int32_t index, const std::string& upperName) {
    auto& previous = previousSameUpper_;
    auto head = lastByUpperName_.find(upperName);
    if (head == lastByUpperName_.end()) {
        previous[index] = -1;
        lastByUpperName_.emplace(upperName, index);
    } else if (head->second < index) {
        previous[index] = head->second;
        head->second = index;
    } else {
        std::int32_t later = head->second;
        while (previous[later] > index) later = previous[later];
        previous[index] = previous[later];
        previous[later] = index;
    }
}

void TStringList::UnlinkUpperName(std::int32_t index, const std::string& upperName) {
    auto& previous = previousSameUpper_;
    auto head = lastByUpperName_.find(upperName);
    if (head->second == index) {
        if (previous[index] < 0) {
            lastByUpperName_.erase(head);
        } else {
            head->second = previous[index];
        }
    } else {
        std::int32_t later = head->second;
        while (previous[later] != index) later = previous[later];
        previous[later] = previous[index];
    }
    previous[index] = -1;
}

void TStringList::Append(std::string line) {
    const auto index = Count();
    lines_.push_back(std::move(line));
    try {
        previousSameUpper_.push_back(-1);
        LineName name = NameOf(lines_.back());
        if (name.hasEquals) firstByKey_.try_emplace(collation_.NameKey(name.text), index);
        LinkUpperName(index, AsciiUpperCase(name.text));
    } catch (...) {
        lines_.pop_back();
        previousSameUpper_.resize(lines_.size());
        RebuildKeyIndex();
        throw;
    }
}

TStringList::IndexedName TStringList::IndexedNameOf(std::string_view line) const {
    LineName name = NameOf(line);
    return {AsciiUpperCase(name.text), name.hasEquals,
            name.hasEquals ? collation_.NameKey(name.text) : std::string()};
}

void TStringList::Reindex(std::int32_t index, const IndexedName& before) {
    IndexedName after = IndexedNameOf(lines_[static_cast<std::size_t>(index)]);
    if (after.upper != before.upper) {
        UnlinkUpperName(index, before.upper);
        LinkUpperName(index, after.upper);
    }
    // Only a change that breaks the caller's promise moves a line between keys.
    if (after.hasEquals != before.hasEquals || after.key != before.key) RebuildKeyIndex();
}

void TStringList::Replace(std::int32_t index, std::string line) {
    CheckIndex(index);
    std::string& current = lines_[static_cast<std::size_t>(index)];
    IndexedName before = IndexedNameOf(current);
    current = std::move(line);
    Reindex(index, before);
}

void TStringList::MergeValue(std::int32_t index, std::string_view name, std::string_view value) {
    CheckIndex(index);
    std::string& line = lines_[static_cast<std::size_t>(index)];
    if (line.size() <= name.size() || line[name.size()] != '=') {
        std::string merged(name);
        merged += '=';
        if (line.size() > name.size()) merged.append(line, name.size() + 1, std::string::npos);
        merged += ", ";
        merged += value;
        Replace(index, std::move(merged));
        return;
    }
    IndexedName before = IndexedNameOf(line);
    line.replace(0, name.size(), name);
    line += ", ";
    line += value;
    Reindex(index, before);
}

void TStringList::RebuildKeyIndex() {
    firstByKey_.clear();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        LineName name = NameOf(lines_[i]);
        if (name.hasEquals)
            firstByKey_.try_emplace(collation_.NameKey(name.text), static_cast<std::int32_t>(i));
    }
}

}  // namespace kestrune
