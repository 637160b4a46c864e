// TStringList: the form-field list. An ordered, never sorted list of narrow lines of the
// form name=value, with lookups by name under the code page's list name comparison
// (base/name_collation.h). A long line keeps its value as ranges of the request body
// (base/field_text.h), read through the list's TextSource when it is read.
//
// The name of a line is the text before its first "="; the search for "=" steps over
// double-byte characters and stops at a NUL byte, so a line with a NUL before any "="
// has no "=" at all (its name is empty, and lookups by name pass it over).
// Lookups use indexes kept beside the lines, so recording a part and reading a field
// cost the same however many lines there are; results equal those of walking the list.
//
// A name of over kLongName characters is long: the indexes key it by its start (whole
// characters up to kLongName) and the length of the rest, and two long names are equal
// when their starts are under the list name comparison and their rests are with ASCII
// case ignored. So no index holds a copy of a long name, and a short name never equals
// a long one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/ascii.h"
#include "base/field_text.h"
#include "base/name_collation.h"

namespace kestrune {

class TStringList {
public:
    static constexpr std::size_t kLongName = 64 * 1024;

    // longName, for tests, changes kLongName.
    explicit TStringList(const NameCollation& collation, std::size_t longName = kLongName);

    // Where the body ranges of long lines are read; must outlive every read of them.
    void SetTextSource(const TextSource* source) { source_ = source; }

    std::int32_t Count() const { return static_cast<std::int32_t>(lines_.size()); }

    // The line at index; throws EListError "List index out of bounds (%d)" outside 0..Count-1.
    std::string Line(std::int32_t index) const;

    // Throws the bounds error of Line for index.
    [[noreturn]] static void RaiseBoundsError(std::int32_t index);

    // The name of the line at index (empty when it has no "="); same bounds error as Line.
    std::string Name(std::int32_t index) const;

    // Value(Name(index)), without a copy of the name.
    std::string ValueOfNameAt(std::int32_t index) const;

    // Index of the first line that has an "=" and whose name equals name under the list
    // name comparison; -1 when there is none.
    std::int32_t IndexOfName(std::string_view name) const;
    // The same for a name that may be long (a range of the body).
    std::int32_t IndexOfNameText(const TFieldText& name) const;

    // The found line's text after its first (name.size() + 1) bytes; empty when not found.
    std::string Value(std::string_view name) const;

    // Index of the last line whose name, upper-cased by ASCII rules, equals upperName
    // byte for byte (lines without "=" count with the empty name); -1 when there is none.
    std::int32_t LastIndexOfAsciiUpperName(std::string_view upperName) const;

    void Append(TFieldText line);

    // Replaces the line at index; the new line's name must equal the old one's under the
    // list name comparison (a merge of values).
    void Replace(std::int32_t index, TFieldText line);

    // The merge of a repeated field: the line at index becomes name, "=", its text after
    // its first (name.size() + 1) bytes, ", ", value. name must equal the line's name under
    // the list name comparison. Done in place where the lengths allow, so repeating one
    // name many times costs time in proportion to the values, not to the line.
    void MergeValue(std::int32_t index, const TFieldText& name, const TFieldText& value);

private:
    struct LineName {
        std::size_t length;  // of the name, the text before the "="
        bool hasEquals;
    };
    // What the indexes know of a line.
    struct IndexedName {
        std::string upper;
        bool hasEquals;
        std::string key;
        bool isLong = false;
    };
    // The start of a long name: its keys, and where its rest begins.
    struct LongName {
        std::string key;
        std::string upper;
        std::size_t cut;
    };
    // The first length characters of text, a long name.
    LongName LongNameOf(const TFieldText& text, std::size_t length) const;
    bool RestsEqual(const TFieldText& a, std::size_t cutA, const TFieldText& b, std::size_t cutB,
                    std::size_t rest) const;
    std::int32_t IndexOfLongName(const TFieldText& name, std::size_t length) const;
    void IndexLongName(std::int32_t index, const IndexedName& name);
    LineName NameOf(const TFieldText& line) const;
    // The name's text: a view into line where it is held, else read into storage.
    std::string_view NameText(const TFieldText& line, const LineName& name, std::string& storage) const;
    char CharAt(const TFieldText& line, std::size_t at) const;
    IndexedName IndexedNameOf(const TFieldText& line) const;
    void Reindex(std::int32_t index, const IndexedName& before);
    void CheckIndex(std::int32_t index) const;
    void LinkUpperName(std::int32_t index, const std::string& upperName);
    void UnlinkUpperName(std::int32_t index, const std::string& upperName);
    void RebuildKeyIndex();

    const NameCollation& collation_;
    const std::size_t longName_;
    const TextSource* source_ = nullptr;
    std::array<bool, 256> leadBytes_{};
    bool anyLeadByte_ = false;
    std::vector<TFieldText> lines_;
    // Name key (NameCollation::NameKey) -> first line with that name; lines with "=" only.
    std::unordered_map<std::string, std::int32_t> firstByKey_;
    // The same for long names: their key -> the first line of each name that has it.
    std::unordered_map<std::string, std::vector<std::int32_t>> firstByLongKey_;
    // ASCII upper-cased name -> last line with that name; every line.
    std::unordered_map<std::string, std::int32_t> lastByUpperName_;
    // Per line: the previous line with the same ASCII upper-cased name, or -1. Chains the
    // lines of one upper name from lastByUpperName_ downwards, so a Replace that changes a
    // line's upper name (possible where the list comparison folds non-ASCII case) can
    // move the line between chains without walking the list.
    std::vector<std::int32_t> previousSameUpper_;
};

}  // namespace kestrune
