// The text of a body range as a value reads: its bytes with every CR dropped and every LF
// as CR LF, a piece at a time through a body window. WindowText serves it to the
// form-field list (base/field_text.h) for the ranges the parser keeps instead of copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "base/field_text.h"
#include "multipart/body_window.h"

namespace kestrune {

// TextSource::Visit over body.
void VisitBodyText(BodyWindow& body, std::int64_t start, std::int64_t end, std::size_t skip,
                   std::size_t length, const std::function<bool(std::string_view)>& visit);

// TextSource::Open over body, through a window of the reader's own.
std::unique_ptr<TextReader> OpenBodyText(const BodyWindow& body, std::int64_t start, std::int64_t end,
                                         std::size_t skip);

// A TextSource over a body window, which must outlive it.
class WindowText final : public TextSource {
public:
    explicit WindowText(BodyWindow& body) : body_(body) {}

    void Visit(std::int64_t start, std::int64_t end, std::size_t skip, std::size_t length,
               const std::function<bool(std::string_view)>& visit) const override {
        VisitBodyText(body_, start, end, skip, length, visit);
    }

    std::unique_ptr<TextReader> Open(std::int64_t start, std::int64_t end, std::size_t skip) const override {
        return OpenBodyText(body_, start, end, skip);
    }

private:
    BodyWindow& body_;
};

}  // namespace kestrune
