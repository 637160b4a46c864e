// The text of a body range as a value reads: its bytes with every CR dropped and every LF
// as CR LF, a piece at a time through a body window. WindowText serves it to the
// form-field list (base/field_text.h) for the ranges the parser keeps instead of copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "base/field_text.h"
#include "multipart/body_window.h"

namespace kestrune {

// TextSource::Visit over body.
void VisitBodyText(BodyWindow& body, std::int64_t start, std::int64_t end, std::size_t skip, std::size_t length,
                   const std::function<bool(std::string_view)>& visit);

// A TextSource over a body window, which must outlive it.
class WindowText final : public TextSource {
public:
    explicit WindowText(BodyWindow& body) : body_(body) {}

    void Visit(std::int64_t start, std::int64_t end, std::size_t skip, std::size_t length,
               const std::function<bool(std::string_view)>& visit) const override {
        VisitBodyText(body_, start, end, skip, length, visit);
    }

private:
    BodyWindow& body_;
};

}  // namespace kestrune
