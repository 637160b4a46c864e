#include "pagehost/asp/page_directive.h"

#include <stdexcept>

namespace kestrune {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

bool KnownName(const std::string& name) {
    return name == "LANGUAGE" || name == "CODEPAGE" || name == "LCID" || name == "ENABLESESSIONSTATE" ||
           name == "TRANSACTION";
}

class DirectiveScanner {
public:
    explicit DirectiveScanner(std::string_view text) : text_(text) {}

    bool AtEnd() {
        while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
        return pos_ >= text_.size();
    }

    std::string Name() {
        std::size_t start = pos_;
        while (pos_ < text_.size() && !IsSpace(text_[pos_]) && text_[pos_] != '=') ++pos_;
        return UpperAscii(text_.substr(start, pos_ - start));
    }

    std::string Value(const std::string& name) {
        if (AtEnd() || text_[pos_] != '=')
            throw std::invalid_argument("page directive attribute " + name + " has no value");
        ++pos_;
        if (AtEnd()) throw std::invalid_argument("page directive attribute " + name + " has no value");
        char quote = text_[pos_];
        if (quote == '"' || quote == '\'') {
            std::size_t close = text_.find(quote, pos_ + 1);
            if (close == std::string_view::npos)
                throw std::invalid_argument("page directive attribute " + name + " has an unclosed quote");
            std::string value(text_.substr(pos_ + 1, close - pos_ - 1));
            pos_ = close + 1;
            return value;
        }
        std::size_t start = pos_;
        while (pos_ < text_.size() && !IsSpace(text_[pos_])) ++pos_;
        return std::string(text_.substr(start, pos_ - start));
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

ScriptLanguage ParseLanguage(const std::string& value) {
    std::string upper = UpperAscii(value);
    if (upper == "VBSCRIPT") return ScriptLanguage::kVBScript;
    if (upper == "JSCRIPT" || upper == "JAVASCRIPT") return ScriptLanguage::kJScript;
    throw std::invalid_argument("page language " + value +
                                " is not supported: this host runs VBScript and JScript");
}

// Code pages are 16-bit numbers; a sign, a fraction or a name is a typing mistake.
unsigned ParseCodePage(const std::string& value) {
    unsigned number = 0;
    bool valid = !value.empty() && value.size() <= 5;
    for (char c : value) {
        if (c < '0' || c > '9') valid = false;
        if (valid) number = number * 10 + static_cast<unsigned>(c - '0');
    }
    if (!valid || number > 65535) throw std::invalid_argument("invalid code page " + value);
    return number;
}

}  // namespace

PageDirective ParsePageDirective(std::string_view text) {
    PageDirective directive;
    DirectiveScanner scanner(text);
    while (!scanner.AtEnd()) {
        std::string name = scanner.Name();
        if (name.empty()) throw std::invalid_argument("page directive has a value without a name");
        if (!KnownName(name)) throw std::invalid_argument("unknown page directive attribute " + name);
        std::string value = scanner.Value(name);
        if (!directive.attributes.emplace(name, value).second)
            throw std::invalid_argument("page directive repeats attribute " + name);
    }
    auto language = directive.attributes.find("LANGUAGE");
    if (language != directive.attributes.end()) directive.language = ParseLanguage(language->second);
    auto codePage = directive.attributes.find("CODEPAGE");
    if (codePage != directive.attributes.end()) directive.codePage = ParseCodePage(codePage->second);
    return directive;
}

}  // namespace kestrune
