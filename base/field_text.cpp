#include "base/field_text.h"

#include <algorithm>
#include <utility>

namespace kestrune {

std::size_t TFieldText::Size() const {
    std::size_t size = held.size();
    for (const TTextPiece& piece : pieces) size += piece.length;
    return size;
}

void VisitText(const TFieldText& text, const TextSource* source, std::size_t from,
               const std::function<bool(std::string_view)>& visit) {
    if (from < text.held.size() && !visit(std::string_view(text.held).substr(from))) return;
    from = from > text.held.size() ? from - text.held.size() : 0;
    for (const TTextPiece& piece : text.pieces) {
        if (from >= piece.length) {
            from -= piece.length;
            continue;
        }
        if (piece.IsHeld()) {
            if (!visit(std::string_view(piece.held).substr(from))) return;
        } else {
            bool more = true;
            source->Visit(piece.start, piece.end, piece.skip + from, piece.length - from,
                          [&](std::string_view part) {
                              more = visit(part);
                              return more;
                          });
            if (!more) return;
        }
        from = 0;
    }
}

std::string TextOf(const TFieldText& text, const TextSource* source, std::size_t from) {
    std::string whole;
    if (text.IsHeld()) return from < text.held.size() ? text.held.substr(from) : whole;
    whole.reserve(text.Size() - std::min(from, text.Size()));
    VisitText(text, source, from, [&](std::string_view part) {
        whole.append(part);
        return true;
    });
    return whole;
}

FieldTextReader::FieldTextReader(const TFieldText& text, const TextSource* source, std::size_t from)
    : text_(text), source_(source) {
    // Held first (as the piece past the end), then the pieces in order.
    if (from < text.held.size()) {
        piece_ = text.pieces.size() + 1;
        offset_ = from;
        return;
    }
    from -= text.held.size();
    while (piece_ < text.pieces.size() && from >= text.pieces[piece_].length)
        from -= text.pieces[piece_++].length;
    offset_ = from;
}

std::size_t FieldTextReader::Read(std::size_t count, std::string& out) {
    std::size_t taken = 0;
    while (taken < count) {
        if (piece_ == text_.pieces.size() + 1) {  // in held
            const std::size_t n = std::min(count - taken, text_.held.size() - offset_);
            out.append(text_.held, offset_, n);
            taken += n;
            offset_ += n;
            if (offset_ < text_.held.size()) break;
            piece_ = 0;
            offset_ = 0;
            continue;
        }
        if (range_) {
            const std::size_t n = range_->Read(std::min(count - taken, left_), out);
            taken += n;
            left_ -= n;
            if (left_ > 0 && n > 0) continue;
            range_.reset();
            ++piece_;
            offset_ = 0;
            continue;
        }
        if (piece_ >= text_.pieces.size()) break;
        const TTextPiece& piece = text_.pieces[piece_];
        if (piece.IsHeld()) {
            const std::size_t n = std::min(count - taken, piece.held.size() - offset_);
            out.append(piece.held, offset_, n);
            taken += n;
            offset_ += n;
            if (offset_ < piece.held.size()) break;
            ++piece_;
            offset_ = 0;
        } else {
            range_ = source_->Open(piece.start, piece.end, piece.skip + offset_);
            left_ = piece.length - offset_;
        }
    }
    return taken;
}

TFieldText TextFrom(const TFieldText& text, std::size_t from) {
    TFieldText rest;
    if (from < text.held.size()) {
        rest.held = text.held.substr(from);
        from = 0;
    } else {
        from -= text.held.size();
    }
    for (const TTextPiece& piece : text.pieces) {
        if (from >= piece.length) {
            from -= piece.length;
            continue;
        }
        TTextPiece tail = piece;
        if (tail.IsHeld()) {
            tail.held.erase(0, from);
        } else {
            tail.skip += from;
        }
        tail.length -= from;
        from = 0;
        if (rest.pieces.empty() && rest.held.empty() && tail.IsHeld()) {
            rest.held = std::move(tail.held);
        } else {
            rest.pieces.push_back(std::move(tail));
        }
    }
    return rest;
}

void AppendHeld(TFieldText& text, std::string_view more) {
    if (more.empty()) return;
    if (text.pieces.empty()) {
        text.held.append(more);
    } else if (text.pieces.back().IsHeld()) {
        text.pieces.back().held.append(more);
        text.pieces.back().length += more.size();
    } else {
        TTextPiece piece;
        piece.held = std::string(more);
        piece.length = more.size();
        text.pieces.push_back(std::move(piece));
    }
}

void AppendText(TFieldText& text, const TFieldText& more) {
    AppendHeld(text, more.held);
    for (const TTextPiece& piece : more.pieces) {
        if (piece.IsHeld()) {
            AppendHeld(text, piece.held);
        } else {
            text.pieces.push_back(piece);
        }
    }
}

}  // namespace kestrune
