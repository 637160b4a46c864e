// How the indexes work: firstByKey_ answers IndexOfName, and a Replace never moves a
// line, so only a Replace that changes a line's key (the caller broke the contract)
// needs a rebuild. lastByUpperName_ plus previousSameUpper_ form one chain per ASCII
// upper-cased name, newest line first; appends push onto the front, and a rewrite that
// changes the upper-cased spelling unlinks the line from one chain and links it into
// another at its place by index.
#include "base/string_list.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "base/exceptions.h"

namespace kestrune {

TStringList::TStringList(const NameCollation& collation, std::size_t longName)
    : collation_(collation), longName_(longName) {
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
    const LineName name = NameOf(line);
    if (name.length <= longName_) {
        std::string storage;
        return Value(NameText(line, name, storage));
    }
    const std::int32_t found = IndexOfLongName(line, name.length);
    if (found < 0) return std::string();
    const TFieldText& value = lines_[static_cast<std::size_t>(found)];
    return value.Size() <= name.length ? std::string() : TextOf(value, source_, name.length + 1);
}

std::int32_t TStringList::IndexOfName(std::string_view name) const {
    if (name.size() > longName_) return IndexOfLongName(TFieldText(std::string(name)), name.size());
    auto found = firstByKey_.find(collation_.NameKey(name));
    return found == firstByKey_.end() ? -1 : found->second;
}

std::int32_t TStringList::IndexOfNameText(const TFieldText& name) const {
    if (name.IsHeld()) return IndexOfName(std::string_view(name.held));
    const std::size_t length = name.Size();
    if (length > longName_) return IndexOfLongName(name, length);
    return IndexOfName(std::string_view(TextOf(name, source_)));
}

TStringList::LongName TStringList::LongNameOf(const TFieldText& text, std::size_t length) const {
    std::string start;
    FieldTextReader(text, source_, 0).Read(longName_ + 1, start);
    // Whole characters: a lead byte at the cut goes with the rest.
    std::size_t cut = 0;
    while (cut < longName_) {
        const std::size_t step = anyLeadByte_ && leadBytes_[static_cast<unsigned char>(start[cut])] ? 2 : 1;
        if (cut + step > longName_) break;
        cut += step;
    }
    start.resize(cut);
    const std::string rest = std::string(1, '\0') + std::to_string(length - cut);
    return {collation_.NameKey(start) + rest, AsciiUpperCase(start) + rest, cut};
}

bool TStringList::RestsEqual(const TFieldText& a, std::size_t cutA, const TFieldText& b, std::size_t cutB,
                             std::size_t rest) const {
    FieldTextReader readerA(a, source_, cutA), readerB(b, source_, cutB);
    std::string pieceA, pieceB;
    for (std::size_t left = rest; left > 0;) {
        pieceA.clear();
        pieceB.clear();
        const std::size_t n = readerA.Read(std::min(left, kTextPiece), pieceA);
        if (n == 0 || readerB.Read(n, pieceB) != n || !EqualsNoCase(pieceA, pieceB)) return false;
        left -= n;
    }
    return true;
}

std::int32_t TStringList::IndexOfLongName(const TFieldText& name, std::size_t length) const {
    const LongName start = LongNameOf(name, length);
    const auto found = firstByLongKey_.find(start.key);
    if (found == firstByLongKey_.end()) return -1;
    for (const std::int32_t candidate : found->second) {
        const TFieldText& line = lines_[static_cast<std::size_t>(candidate)];
        const std::size_t cut = LongNameOf(line, NameOf(line).length).cut;
        if (RestsEqual(name, start.cut, line, cut, length - start.cut)) return candidate;
    }
    return -1;
}

void TStringList::IndexLongName(std::int32_t index, const IndexedName& name) {
    const TFieldText& line = lines_[static_cast<std::size_t>(index)];
    if (IndexOfLongName(line, NameOf(line).length) >= 0) return;  // a line of that name came first
    firstByLongKey_[name.key].push_back(index);
}

std::string TStringList::Value(std::string_view name) const {
    std::int32_t index = IndexOfName(name);
    if (index < 0) return std::string();
    const TFieldText& line = lines_[static_cast<std::size_t>(index)];
    if (line.Size() <= name.size()) return std::string();
    return TextOf(line, source_, name.size() + 1);
}

std::int32_t TStringList::LastIndexOfAsciiUpperName(std::string_view upperName) const {
    if (upperName.size() <= longName_) {
        auto found = lastByUpperName_.find(std::string(upperName));
        return found == lastByUpperName_.end() ? -1 : found->second;
    }
    const TFieldText query{std::string(upperName)};
    const LongName start = LongNameOf(query, upperName.size());
    const auto found = lastByUpperName_.find(start.upper);
    for (std::int32_t candidate = found == lastByUpperName_.end() ? -1 : found->second; candidate >= 0;
         candidate = previousSameUpper_[static_cast<std::size_t>(candidate)]) {
        const TFieldText& line = lines_[static_cast<std::size_t>(candidate)];
        const std::size_t cut = LongNameOf(line, NameOf(line).length).cut;
        if (RestsEqual(query, start.cut, line, cut, upperName.size() - start.cut)) return candidate;
    }
    return -1;
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
        if (name.hasEquals && name.isLong) {
            IndexLongName(index, name);
        } else if (name.hasEquals) {
            firstByKey_.try_emplace(name.key, index);
        }
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
    if (name.length > longName_) {
        LongName start = LongNameOf(line, name.length);
        return {std::move(start.upper), name.hasEquals, std::move(start.key), true};
    }
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

void TStringList::MergeValue(std::int32_t index, const TFieldText& name, const TFieldText& value) {
    CheckIndex(index);
    TFieldText& line = lines_[static_cast<std::size_t>(index)];
    const std::size_t size = line.Size();
    const std::size_t nameSize = name.Size();
    if (size <= nameSize || CharAt(line, nameSize) != '=') {
        TFieldText merged = name;
        AppendHeld(merged, "=");
        if (size > nameSize) AppendText(merged, TextFrom(line, nameSize + 1));
        AppendHeld(merged, ", ");
        AppendText(merged, value);
        Replace(index, std::move(merged));
        return;
    }
    IndexedName before = IndexedNameOf(line);
    if (name.IsHeld() && nameSize <= line.held.size()) {
        line.held.replace(0, nameSize, name.held);
    } else {
        TFieldText renamed = name;
        AppendText(renamed, TextFrom(line, nameSize));
        line = std::move(renamed);
    }
    AppendHeld(line, ", ");
    AppendText(line, value);
    Reindex(index, before);
}

void TStringList::RebuildKeyIndex() {
    firstByKey_.clear();
    firstByLongKey_.clear();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const IndexedName name = IndexedNameOf(lines_[i]);
        if (name.hasEquals && name.isLong) {
            IndexLongName(static_cast<std::int32_t>(i), name);
        } else if (name.hasEquals) {
            firstByKey_.try_emplace(name.key, static_cast<std::int32_t>(i));
        }
    }
}

}  // namespace kestrune
