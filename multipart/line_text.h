// Long lines without copies: the text of a body line (every CR dropped, as ReadLine gives
// it) read, searched and compared a piece at a time through a body window, so that a line
// of any length costs a bounded buffer. The parser holds short lines whole and takes this
// road only for lines longer than it holds.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "multipart/body_window.h"

namespace kestrune {

// Reads the text of one line from its start on, in order.
class LineCursor {
public:
    // The line whose first byte is at start in body and whose text is length bytes long.
    LineCursor(BodyWindow& body, std::size_t start, std::size_t length)
        : body_(body), raw_(start), length_(length) {}

    // Appends up to count more bytes of the text to out; returns how many it appended.
    std::size_t Read(std::size_t count, std::string& out) { return Take(count, &out); }
    // Moves on by up to count bytes of the text; returns how many.
    std::size_t Skip(std::size_t count) { return Take(count, nullptr); }
    // The offset in the text of the next byte.
    std::size_t Position() const { return text_; }
    // The body offset of the next byte's stretch (a CR ahead of it is stepped over first).
    std::size_t BodyOffset() const { return raw_; }

private:
    std::size_t Take(std::size_t count, std::string* out);

    BodyWindow& body_;
    std::size_t raw_;
    std::size_t text_ = 0;
    std::size_t length_;
};

// The offset in the line's text of the first occurrence of pattern at or after from, or
// npos: what std::string::find gives on the whole text.
std::size_t FindInLine(BodyWindow& body, std::size_t start, std::size_t length, std::string_view pattern,
                       std::size_t from);

// True when the texts of two lines of equal length are equal from offset from on; a and b
// may be the same window, yet the comparison reads through windows of its own.
bool LineTextsEqual(const BodyWindow& body, std::size_t startA, std::size_t startB, std::size_t length,
                    std::size_t from);

}  // namespace kestrune
