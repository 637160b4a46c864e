#include "multipart/delimiter_scan.h"

#include <cstring>

#include "base/field_text.h"
#include <optional>
#include <string>

#include "multipart/line_text.h"

namespace kestrune {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// The automaton over one window. matched carries a partial match (its first byte at
// candidate) from the window before and on to the next; returns the match's offset or npos.
class DelimiterAutomaton {
public:
    explicit DelimiterAutomaton(std::string_view boundaryLine) : line_(boundaryLine) {}

    std::size_t Feed(std::string_view window, std::size_t windowStart) {
        const char* data = window.data();
        const std::size_t size = window.size();
        std::size_t i = 0;
        while (i < size) {
            if (matched_ == 0) {
                const void* found = std::memchr(data + i, line_[0], size - i);
                if (found == nullptr) return npos;
                const auto first = static_cast<std::size_t>(static_cast<const char*>(found) - data);
                candidate_ = windowStart + first;
                if (size - first >= line_.size()) {
                    // The whole line fits: compare at once, and on a mismatch go on after
                    // the byte that broke the match.
                    if (std::memcmp(data + first + 1, line_.data() + 1, line_.size() - 1) == 0)
                        return candidate_;
                    std::size_t length = 1;
                    while (data[first + length] == line_[length]) ++length;
                    i = first + length + 1;
                    continue;
                }
                matched_ = 1;
                i = first + 1;
            }
            while (i < size && matched_ < line_.size()) {
                if (data[i++] != line_[matched_]) {
                    matched_ = 0;
                    break;
                }
                ++matched_;
            }
            if (matched_ == line_.size()) return candidate_;
        }
        return npos;
    }

private:
    std::string_view line_;
    std::size_t matched_ = 0;
    std::size_t candidate_ = 0;
};

// The characters of a long boundary line by position, in the order the automaton asks
// for them: the held ones at once, the rest read on from the line, from the held ones'
// end again whenever a match starts over.
class LongBoundary {
public:
    LongBoundary(const BodyWindow& body, std::string_view held, std::size_t length)
        : window_(body.Another(BodyWindow::kPieceCapacity)), held_(held), length_(length) {}

    std::size_t Size() const { return length_; }

    char At(std::size_t position) {
        if (position < held_.size()) return held_[position];
        if (position == held_.size() || !rest_) {
            rest_.emplace(window_, 0, length_);
            rest_->Skip(held_.size());
            text_.clear();
            textStart_ = held_.size();
        }
        while (position >= textStart_ + text_.size()) {
            textStart_ += text_.size();
            text_.clear();
            rest_->Read(kTextPiece, text_);
        }
        return text_[position - textStart_];
    }

private:
    BodyWindow window_;
    std::string_view held_;
    std::size_t length_;
    std::optional<LineCursor> rest_;
    std::string text_;
    std::size_t textStart_ = 0;
};

}  // namespace

std::size_t ScanForLongDelimiter(BodyWindow& body, std::size_t start, std::string_view held,
                                 std::size_t length) {
    // The automaton of ScanForDelimiter, a byte at a time past the first.
    LongBoundary line(body, held, length);
    std::size_t matched = 0;
    std::size_t candidate = 0;
    for (std::size_t position = start; position < body.Size();) {
        const std::string_view window = body.At(position);
        for (std::size_t i = 0; i < window.size(); ++i) {
            if (matched == 0) {
                const void* found = std::memchr(window.data() + i, held[0], window.size() - i);
                if (found == nullptr) break;
                i = static_cast<std::size_t>(static_cast<const char*>(found) - window.data());
                candidate = position + i;
                matched = 1;
            } else if (window[i] == line.At(matched)) {
                ++matched;
            } else {
                matched = 0;
                continue;
            }
            if (matched == line.Size()) return candidate;
        }
        position += window.size();
    }
    return npos;
}

std::size_t ScanForDelimiter(BodyWindow& body, std::size_t start, std::string_view boundaryLine) {
    if (boundaryLine.size() < 2) return npos;
    DelimiterAutomaton automaton(boundaryLine);
    for (std::size_t position = start; position < body.Size();) {
        const std::string_view window = body.At(position);
        const std::size_t found = automaton.Feed(window, position);
        if (found != npos) return found;
        position += window.size();
    }
    return npos;
}

}  // namespace kestrune
