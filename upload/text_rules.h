// TextRules: how an upload object's texts read and are read, as its CodePage setting says.
// The one value that decides the body's code page, the comparison of names on the
// Unicode road and the encoding of paths; the object holds one and changes it whole.
//
// By default (CodePage 0) every text is in the system's code page, exactly as the body
// holds it. Any other setting decodes what leaves (field names and values, file names,
// content types) from that code page to UTF-8, and what comes in (names, paths,
// OverwriteChr) is UTF-8.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "host/code_page.h"
#include "host/file_system.h"

namespace kestrune {

class TextRules {
public:
    // CodePage 0: the system's code page, which must outlive the rules.
    explicit TextRules(const CodePage& system) : texts_(&system) {}

    // CodePage number: the body in body, the texts within by utf8's rules (which must
    // outlive the rules).
    TextRules(std::int32_t number, std::shared_ptr<const CodePage> body, const CodePage& utf8)
        : number_(number), body_(std::move(body)), texts_(&utf8) {}

    std::int32_t Number() const { return number_; }
    bool IsUnicode() const { return body_ != nullptr; }

    // The rules of the texts within: how paths and names split and what a device name is.
    const CodePage& Texts() const { return *texts_; }

    // The body's code page; on the Unicode road only.
    const CodePage& Body() const { return *body_; }

    // Bytes of the body as a text of these rules.
    std::string FromBody(std::string_view bytes) const {
        return body_ ? body_->ToUtf8(bytes) : std::string(bytes);
    }

    // A text of these rules as a path the file system reads.
    FilePath Path(std::string text) const {
        return {std::move(text), IsUnicode() ? PathEncoding::Utf8 : PathEncoding::System};
    }

private:
    std::int32_t number_ = 0;
    std::shared_ptr<const CodePage> body_;
    const CodePage* texts_;
};

}  // namespace kestrune
