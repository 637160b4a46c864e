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

namespace {

// Finds a line's name a piece at a time: the text before the first "=", where no NUL
// comes first; in a double-byte code page the search steps over the second byte of a
// character, and a NUL there ends the text too.
class NameScan {
public:
    NameScan(const std::array<bool, 256>& leadBytes, bool anyLeadByte)
        : leadBytes_(leadBytes), anyLeadByte_(anyLeadByte) {}

    // False once the name is decided.
    bool Feed(std::string_view part) {
        if (!anyLeadByte_) return FeedSingleByte(part);
        std::size_t i = 0;
        if (pendingTrail_) {
            pendingTrail_ = false;
            if (part[0] == '\0') return Decide(false);
            i = 1;
        }
        while (i < part.size()) {
            const auto byte = static_cast<unsigned char>(part[i]);
            if (byte == 0) return Decide(false);
            if (byte == '=') return Decide(true, seen_ + i);
            if (!leadBytes_[byte]) {
                ++i;
                continue;
            }
            if (i + 1 == part.size()) {
                pendingTrail_ = true;  // the trail byte opens the next piece
                ++i;
            } else {
                if (part[i + 1] == '\0') return Decide(false);
                i += 2;
            }
        }
        seen_ += part.size();
        return true;
    }

    bool HasEquals() const { return hasEquals_; }
    std::size_t Length() const { return length_; }

private:
    bool FeedSingleByte(std::string_view part) {
        const void* equals = std::memchr(part.data(), '=', part.size());
        const std::size_t stop =
            equals == nullptr ? part.size()
                              : static_cast<std::size_t>(static_cast<const char*>(equals) - part.data());
        if (std::memchr(part.data(), '\0', stop) != nullptr) return Decide(false);
        if (equals != nullptr) return Decide(true, seen_ + stop);
        seen_ += part.size();
        return true;
    }

    bool Decide(bool hasEquals, std::size_t length = 0) {
        hasEquals_ = hasEquals;
        length_ = hasEquals ? length : 0;
        return false;
    }

    const std::array<bool, 256>& leadBytes_;
    bool anyLeadByte_;
    std::size_t seen_ = 0;
    bool pendingTrail_ = false;
    bool hasEquals_ = false;
    std::size_t length_ = 0;
};

}  // namespace

TStringList::LineName TStringList::NameOf(const TFieldText& line) const {
    NameScan scan(leadBytes_, anyLeadByte_);
    if (line.IsHeld()) {
        scan.Feed(line.held);
    } else {
        VisitText(line, source_, 0, [&](std::string_view part) { return scan.Feed(part); });
    }
    return {scan.Length(), scan.HasEquals()};
}

std::string_view TStringList::NameText(const TFieldText& line, const LineName& name,
                                       std::string& storage) const {
    if (name.length <= line.held.size()) return std::string_view(line.held).substr(0, name.length);
    storage.clear();
    VisitText(line, source_, 0, [&](std::string_view part) {
        storage.append(part.substr(0, name.length - storage.size()));
        return storage.size() < name.length;
    });
    return storage;
}

char TStringList::CharAt(const TFieldText& line, std::size_t at) const {
    if (at < line.held.size()) return line.held[at];
    char found = '\0';
    VisitText(line, source_, at, [&](std::string_view part) {
        found = part[0];
        return false;
    });
    return found;
}

void TStringList::RaiseBoundsError(std::int32_t index) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TStringList::CheckIndex(std::int32_t index) const {
    if (index < 0 || index >= Count()) RaiseBoundsError(index);
}

std::string TStringList::Line(std::int32_t index) const {
    CheckIndex(index);
    return TextOf(lines_[static_cast<std::size_t>(index)], source_);
}

std::string TStringList::Name(std::int32_t index) const {
    CheckIndex(index);
    const TFieldText& line = lines_[static_cast<std::size_t>(index)];
    std::string storage;
    return std::string(NameText(line, NameOf(line), storage));
}

std::string TStringList::ValueOfNameAt(std::int32_t index) const {
    CheckIndex(index);
    const TFieldText& line = lines_[static_cast<std::size_t>(index)];
    std::string storage;
    return Value(NameText(line, NameOf(line), storage));
}

std::int32_t TStringList::IndexOfName(std::string_view name) const {
    auto found = firstByKey_.find(collation_.NameKey(name));
    return found == firstByKey_.end() ? -1 : found->second;
}

std::string TStringList::Value(std::string_view name) const {
    std::int32_t index = IndexOfName(name);
    if (index < 0) return std::string();
    const TFieldText& line = lines_[static_cast<std::size_t>(index)];
    if (line.Size() <= name.size()) return std::string();
    return TextOf(line, source_, name.size() + 1);
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

void TStringList::Append(TFieldText line) {
    const auto index = Count();
    lines_.push_back(std::move(line));
    try {
        previousSameUpper_.push_back(-1);
        const IndexedName name = IndexedNameOf(lines_.back());
        if (name.hasEquals) firstByKey_.try_emplace(name.key, index);
        LinkUpperName(index, name.upper);
    } catch (...) {
        lines_.pop_back();
        previousSameUpper_.resize(lines_.size());
        RebuildKeyIndex();
        throw;
    }
}

TStringList::IndexedName TStringList::IndexedNameOf(const TFieldText& line) const {
    const LineName name = NameOf(line);
    std::string storage;
    const std::string_view text = NameText(line, name, storage);
    return {AsciiUpperCase(text), name.hasEquals, name.hasEquals ? collation_.NameKey(text) : std::string()};
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

void TStringList::Replace(std::int32_t index, TFieldText line) {
    CheckIndex(index);
    TFieldText& current = lines_[static_cast<std::size_t>(index)];
    IndexedName before = IndexedNameOf(current);
    current = std::move(line);
    Reindex(index, before);
}

void TStringList::MergeValue(std::int32_t index, std::string_view name, const TFieldText& value) {
    CheckIndex(index);
    TFieldText& line = lines_[static_cast<std::size_t>(index)];
    const std::size_t size = line.Size();
    if (size <= name.size() || CharAt(line, name.size()) != '=') {
        TFieldText merged(std::string(name) + "=");
        if (size > name.size()) AppendText(merged, TextFrom(line, name.size() + 1));
        AppendHeld(merged, ", ");
        AppendText(merged, value);
        Replace(index, std::move(merged));
        return;
    }
    IndexedName before = IndexedNameOf(line);
    if (name.size() <= line.held.size()) {
        line.held.replace(0, name.size(), name);
    } else {
        TFieldText renamed{std::string(name)};
        AppendText(renamed, TextFrom(line, name.size()));
        line = std::move(renamed);
    }
    AppendHeld(line, ", ");
    AppendText(line, value);
    Reindex(index, before);
}

void TStringList::RebuildKeyIndex() {
    firstByKey_.clear();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const IndexedName name = IndexedNameOf(lines_[i]);
        if (name.hasEquals) firstByKey_.try_emplace(name.key, static_cast<std::int32_t>(i));
    }
}

}  // namespace kestrune
