#include "multipart/line_text.h"

#include <algorithm>
#include <cstring>

#include "base/field_text.h"

namespace kestrune {

std::size_t LineCursor::Take(std::size_t count, std::string* out) {
    std::size_t taken = 0;
    while (taken < count && text_ < length_) {
        const std::string_view window = body_.At(raw_);
        if (window.front() == '\r') {
            ++raw_;
            continue;
        }
        const std::size_t want = std::min({count - taken, length_ - text_, window.size()});
        const void* cr = std::memchr(window.data(), '\r', want);
        const std::size_t run =
            cr == nullptr ? want : static_cast<std::size_t>(static_cast<const char*>(cr) - window.data());
        if (out != nullptr) out->append(window.data(), run);
        raw_ += run;
        text_ += run;
        taken += run;
    }
    return taken;
}

std::size_t FindInLine(BodyWindow& body, std::size_t start, std::size_t length, std::string_view pattern,
                       std::size_t from) {
    if (from > length || pattern.size() > length - from) return std::string::npos;
    LineCursor cursor(body, start, length);
    cursor.Skip(from);
    // Each search runs over the end of the one before, so that a match across two pieces is found.
    std::string text;
    std::size_t textStart = from;
    for (;;) {
        const std::size_t read = cursor.Read(kTextPiece, text);
        const std::size_t found = text.find(pattern);
        if (found != std::string::npos) return textStart + found;
        if (read == 0) return std::string::npos;
        const std::size_t keep = std::min(text.size(), pattern.size() - 1);
        textStart += text.size() - keep;
        text.erase(0, text.size() - keep);
    }
}

bool LineTextsEqual(const BodyWindow& body, std::size_t startA, std::size_t startB, std::size_t length,
                    std::size_t from) {
    BodyWindow windowA = body.Another(BodyWindow::kPieceCapacity);
    BodyWindow windowB = body.Another(BodyWindow::kPieceCapacity);
    LineCursor a(windowA, startA, length), b(windowB, startB, length);
    a.Skip(from);
    b.Skip(from);
    std::string textA, textB;
    for (;;) {
        textA.clear();
        textB.clear();
        if (a.Read(kTextPiece, textA) == 0) return true;
        b.Read(kTextPiece, textB);
        if (textA != textB) return false;
    }
}

}  // namespace kestrune
