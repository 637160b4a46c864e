#include "multipart/body_text.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace kestrune {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// Gathers the characters from skip on, at most length of them, and hands them on in
// pieces of about kTextPiece.
class TextGatherer {
public:
    TextGatherer(std::size_t skip, std::size_t length, const std::function<bool(std::string_view)>& visit)
        : skip_(skip), end_(skip + length), visit_(visit) {}

    // False once nothing more is wanted.
    bool Take(std::string_view run) {
        if (text_ + run.size() > skip_) {
            const std::size_t from = skip_ > text_ ? skip_ - text_ : 0;
            const std::size_t upto = std::min(run.size(), end_ - text_);
            buffer_.append(run.data() + from, upto - from);
        }
        text_ += run.size();
        if (text_ >= end_) {
            Flush();
            return false;
        }
        if (buffer_.size() >= kTextPiece) return Flush();
        return true;
    }

    bool Flush() {
        if (buffer_.empty() || stopped_) return !stopped_;
        stopped_ = !visit_(buffer_);
        buffer_.clear();
        return !stopped_;
    }

private:
    std::size_t skip_;
    std::size_t end_;
    std::size_t text_ = 0;
    std::string buffer_;
    bool stopped_ = false;
    const std::function<bool(std::string_view)>& visit_;
};

std::size_t Find(std::string_view window, char c, std::size_t from) {
    const void* found = std::memchr(window.data() + from, c, window.size() - from);
    return found == nullptr ? npos
                            : static_cast<std::size_t>(static_cast<const char*>(found) - window.data());
}

// A resumable reading of the same text: an LF read gives its CR now and owes the LF.
class BodyTextReader final : public TextReader {
public:
    BodyTextReader(const BodyWindow& body, std::int64_t start, std::int64_t end)
        : window_(body.Another(BodyWindow::kPieceCapacity)),
          raw_(static_cast<std::size_t>(start)),
          end_(static_cast<std::size_t>(end)) {}

    std::size_t Read(std::size_t count, std::string& out) override {
        std::size_t taken = 0;
        while (taken < count) {
            if (owedLf_) {
                out += '\n';
                owedLf_ = false;
                ++taken;
                continue;
            }
            if (raw_ >= end_) break;
            const std::string_view window = window_.At(raw_).substr(0, end_ - raw_);
            const std::size_t n = std::min(window.size(), count - taken);
            std::size_t run = 0;
            while (run < n && window[run] != '\r' && window[run] != '\n') ++run;
            out.append(window.data(), run);
            taken += run;
            raw_ += run;
            if (run == n) continue;
            ++raw_;
            if (window[run] == '\n') {
                out += '\r';
                ++taken;
                owedLf_ = true;
            }
        }
        return taken;
    }

private:
    BodyWindow window_;
    std::size_t raw_;
    std::size_t end_;
    bool owedLf_ = false;
};

}  // namespace

std::unique_ptr<TextReader> OpenBodyText(const BodyWindow& body, std::int64_t start, std::int64_t end,
                                         std::size_t skip) {
    auto reader = std::make_unique<BodyTextReader>(body, start, end);
    std::string skipped;
    for (std::size_t left = skip; left > 0;) {
        skipped.clear();
        const std::size_t n = reader->Read(std::min(left, kTextPiece), skipped);
        if (n == 0) break;
        left -= n;
    }
    return reader;
}

void VisitBodyText(BodyWindow& body, std::int64_t start, std::int64_t end, std::size_t skip,
                   std::size_t length, const std::function<bool(std::string_view)>& visit) {
    if (length == 0) return;
    TextGatherer text(skip, length, visit);
    for (auto position = static_cast<std::size_t>(start); position < static_cast<std::size_t>(end);) {
        const std::string_view window = body.At(position).substr(0, static_cast<std::size_t>(end) - position);
        // The next CR and LF are each looked for again only once passed, so a window of
        // many of one and few of the other costs one pass.
        std::size_t cr = Find(window, '\r', 0), lf = Find(window, '\n', 0);
        for (std::size_t i = 0; i < window.size();) {
            const std::size_t stop = std::min({cr, lf, window.size()});
            if (!text.Take(window.substr(i, stop - i))) return;
            if (stop == window.size()) break;
            if (stop == lf) {
                if (!text.Take("\r\n")) return;
                lf = Find(window, '\n', stop + 1);
            } else {
                cr = Find(window, '\r', stop + 1);
            }
            i = stop + 1;
        }
        position += window.size();
    }
    text.Flush();
}

}  // namespace kestrune
