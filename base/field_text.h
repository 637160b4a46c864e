// TFieldText: a text of the form-field list. A short text is held whole; a long one holds
// its start and goes on as pieces, each a range of the request body (read through a
// TextSource, so that the list never copies it) or a stretch a merge held between them.
// Reading a text costs that text; slicing and appending read nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrune {

// How much of a long text is read or compared at a time: large enough that the per-piece
// work is nothing, small enough to cost nothing beside the windows it comes through.
inline constexpr std::size_t kTextPiece = 64 * 1024;

// Reads the text of a body range: its bytes with every CR dropped and every LF as CR LF,
// which is how the parser reads the lines of a value (a header line has no LF).
class TextReader {
public:
    virtual ~TextReader() = default;
    // Appends up to count more characters to out; returns how many (0 at the end).
    virtual std::size_t Read(std::size_t count, std::string& out) = 0;
};

class TextSource {
public:
    virtual ~TextSource() = default;

    // Calls visit with the text of the range start, end, from its character skip on and
    // at most length characters, in order, until visit returns false.
    virtual void Visit(std::int64_t start, std::int64_t end, std::size_t skip, std::size_t length,
                       const std::function<bool(std::string_view)>& visit) const = 0;

    // A reader of the same text from character skip on, to the range's end.
    virtual std::unique_ptr<TextReader> Open(std::int64_t start, std::int64_t end,
                                             std::size_t skip) const = 0;
};

struct TTextPiece {
    std::string held;        // a held stretch, where the range is empty
    std::int64_t start = 0;  // the body range
    std::int64_t end = 0;
    std::size_t skip = 0;    // characters of the range's text ahead of the piece
    std::size_t length = 0;  // characters of the piece

    bool IsHeld() const { return start == end; }
};

struct TFieldText {
    TFieldText() = default;
    TFieldText(std::string text) : held(std::move(text)) {}  // NOLINT: a held text converts
    TFieldText(const char* text) : held(text) {}             // NOLINT

    std::string held;
    std::vector<TTextPiece> pieces;

    std::size_t Size() const;
    bool IsHeld() const { return pieces.empty(); }
};

// Calls visit with the text from character from on, in order, until visit returns false.
void VisitText(const TFieldText& text, const TextSource* source, std::size_t from,
               const std::function<bool(std::string_view)>& visit);

// The whole text, from character from on.
std::string TextOf(const TFieldText& text, const TextSource* source, std::size_t from = 0);

// The text from character from on (at most its size), without reading it.
TFieldText TextFrom(const TFieldText& text, std::size_t from);

// Reads a text from character from on, a piece at a time, wherever its pieces are.
class FieldTextReader {
public:
    FieldTextReader(const TFieldText& text, const TextSource* source, std::size_t from);
    // Appends up to count more characters to out; returns how many (0 at the end).
    std::size_t Read(std::size_t count, std::string& out);

private:
    const TFieldText& text_;
    const TextSource* source_;
    std::size_t piece_ = 0;   // the next piece; text_.pieces.size() + 1 while in held
    std::size_t offset_ = 0;  // characters of the current held stretch already read
    std::size_t left_ = 0;    // characters of the current range piece still to read
    std::unique_ptr<TextReader> range_;
};

// Appends more, without reading it.
void AppendHeld(TFieldText& text, std::string_view more);
void AppendText(TFieldText& text, const TFieldText& more);

}  // namespace kestrune
