#include "pagehost/asp/page_translator.h"

#include <stdexcept>
#include <vector>

#include "pagehost/asp/include_path.h"
#include "pagehost/asp/jscript_literal.h"
#include "pagehost/asp/vbscript_literal.h"

namespace kestrune {
namespace {

constexpr std::string_view kBlockOpen = "<%";
constexpr std::string_view kBlockClose = "%>";
constexpr std::string_view kCommentOpen = "<!--";

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, std::size_t pos, std::string_view word) {
    if (pos > text.size() || text.size() - pos < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (LowerAscii(text[pos + i]) != word[i]) return false;
    }
    return true;
}

// Site files live on a case-insensitive file system.
bool SamePathNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

// CR LF, lone CR and lone LF each end one line, in the page and in the program alike.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

int CountLineBreaks(std::string_view text) { return static_cast<int>(SplitLines(text).size()) - 1; }

struct IncludeDirective {
    IncludeKind kind = IncludeKind::kFile;
    std::string target;
    std::size_t length = 0;  // bytes from "<!--" through "-->"
};

// Matches <!-- #include file="x" --> at pos (which holds "<!--"). Returns nullopt for
// an ordinary comment; throws std::invalid_argument for a malformed #include.
std::optional<IncludeDirective> MatchInclude(std::string_view text, std::size_t pos) {
    std::size_t i = pos + kCommentOpen.size();
    auto skipSpace = [&] {
        while (i < text.size() && IsSpace(text[i])) ++i;
    };
    skipSpace();
    if (!StartsWithNoCase(text, i, "#include")) return std::nullopt;
    i += 8;
    skipSpace();
    IncludeDirective directive;
    if (StartsWithNoCase(text, i, "virtual")) {
        directive.kind = IncludeKind::kVirtual;
        i += 7;
    } else if (StartsWithNoCase(text, i, "file")) {
        i += 4;
    } else {
        throw std::invalid_argument("#include needs file=\"...\" or virtual=\"...\"");
    }
    skipSpace();
    if (i >= text.size() || text[i] != '=') throw std::invalid_argument("#include is missing '='");
    ++i;
    skipSpace();
    if (i >= text.size() || text[i] != '"')
        throw std::invalid_argument("#include path must be in double quotes");
    std::size_t close = text.find('"', i + 1);
    if (close == std::string_view::npos) throw std::invalid_argument("#include path has no closing quote");
    directive.target = std::string(text.substr(i + 1, close - i - 1));
    i = close + 1;
    skipSpace();
    if (text.substr(i, 3) != "-->") throw std::invalid_argument("#include is not closed with -->");
    directive.length = i + 3 - pos;
    return directive;
}

// "Option Explicit" opening a block, followed by the end, a space, ':' or a comment.
// On success [at, end) covers the two words.
bool StartsWithOptionExplicit(std::string_view code, std::size_t& at, std::size_t& end) {
    at = 0;
    while (at < code.size() && IsSpace(code[at])) ++at;
    if (!StartsWithNoCase(code, at, "option")) return false;
    std::size_t i = at + 6;
    if (i >= code.size() || (code[i] != ' ' && code[i] != '\t')) return false;
    while (i < code.size() && (code[i] == ' ' || code[i] == '\t')) ++i;
    if (!StartsWithNoCase(code, i, "explicit")) return false;
    end = i + 8;
    return end == code.size() || IsSpace(code[end]) || code[end] == ':' || code[end] == '\'';
}

// The language decides how literal text is written, so it must be known before the
// first literal, which may come before the directive. A bad directive is reported when
// the translation reaches it.
ScriptLanguage FindPageLanguage(std::string_view page) {
    std::size_t open = page.find(kBlockOpen);
    if (open == std::string_view::npos || page.substr(open + kBlockOpen.size(), 1) != "@")
        return ScriptLanguage::kVBScript;
    std::size_t start = open + kBlockOpen.size() + 1;
    std::size_t close = page.find(kBlockClose, start);
    if (close == std::string_view::npos) return ScriptLanguage::kVBScript;
    try {
        return ParsePageDirective(page.substr(start, close - start)).language;
    } catch (const std::invalid_argument&) {
        return ScriptLanguage::kVBScript;
    }
}

class PageTranslator {
public:
    explicit PageTranslator(const IncludeLoader& loader) : loader_(loader) {
        Emit("", -1, 0);  // line 1: the Option Explicit slot
    }

    TranslatedPage Run(std::string_view page, const std::string& sitePath) {
        stack_.push_back(sitePath);
        language_ = FindPageLanguage(page);
        TranslateFile(page, sitePath);
        if (optionExplicit_) result_.program.insert(0, "Option Explicit");
        return std::move(result_);
    }

private:
    void Emit(std::string_view line, int file, int sourceLine) {
        result_.program.append(line);
        result_.program.append("\r\n");
        result_.lines.AddLine(file, sourceLine);
    }

    void EmitLines(std::string_view text, int file, int firstLine) {
        int line = firstLine;
        for (std::string_view piece : SplitLines(text)) Emit(piece, file, line++);
    }

    void EmitLiteral(std::string_view literal, int file, int firstLine) {
        std::vector<LiteralStatement> statements = language_ == ScriptLanguage::kJScript
                                                       ? LiteralToJScriptStatements(literal)
                                                       : LiteralToStatements(literal);
        for (const LiteralStatement& statement : statements)
            Emit(statement.text, file, firstLine + statement.lineOffset);
    }

    void TranslateFile(std::string_view text, const std::string& sitePath);
    std::size_t Block(std::string_view text, std::size_t open, const std::string& sitePath, int file,
                      int line);
    void Code(std::string content, int file, int line);
    void Directive(std::string_view content, const std::string& sitePath, int line);
    void Include(const IncludeDirective& include, const std::string& sitePath, int line);

    const IncludeLoader& loader_;
    TranslatedPage result_;
    std::vector<std::string> stack_;  // site paths being translated, outermost first
    ScriptLanguage language_ = ScriptLanguage::kVBScript;
    bool optionExplicit_ = false;
    bool codeSeen_ = false;
    bool directiveSeen_ = false;
};

void PageTranslator::TranslateFile(std::string_view text, const std::string& sitePath) {
    int file = result_.lines.FileIndex(sitePath);
    std::size_t literalStart = 0;
    std::size_t search = 0;
    int line = 1;  // source line at literalStart
    while (true) {
        std::size_t open = text.find('<', search);
        if (open == std::string_view::npos) break;
        bool block = text.substr(open, 2) == kBlockOpen;
        bool comment = !block && text.substr(open, 4) == kCommentOpen;
        search = open + 1;
        if (!block && !comment) continue;
        std::optional<IncludeDirective> include;
        if (comment) {
            try {
                include = MatchInclude(text, open);
            } catch (const std::invalid_argument& e) {
                throw EPageError(e.what(), sitePath,
                                 line + CountLineBreaks(text.substr(literalStart, open - literalStart)));
            }
            if (!include) continue;
        }
        std::string_view literal = text.substr(literalStart, open - literalStart);
        EmitLiteral(literal, file, line);
        line += CountLineBreaks(literal);
        std::size_t end = include ? open + include->length : Block(text, open, sitePath, file, line);
        if (include) Include(*include, sitePath, line);
        line += CountLineBreaks(text.substr(open, end - open));
        literalStart = search = end;
    }
    EmitLiteral(text.substr(literalStart), file, line);
}

// Handles the block opening at open; returns the offset just past its "%>".
std::size_t PageTranslator::Block(std::string_view text, std::size_t open, const std::string& sitePath,
                                  int file, int line) {
    std::size_t start = open + kBlockOpen.size();
    std::size_t close = text.find(kBlockClose, start);
    if (close == std::string_view::npos)
        throw EPageError("script block is not closed with %>", sitePath, line);
    std::string content(text.substr(start, close - start));
    if (!content.empty() && content[0] == '@') {
        Directive(std::string_view(content).substr(1), sitePath, line);
    } else if (!content.empty() && content[0] == '=') {
        if (language_ == ScriptLanguage::kJScript)
            EmitLines("Response.Write(" + content.substr(1) + ");", file, line);
        else
            EmitLines("Response.Write (" + content.substr(1) + ")", file, line);
    } else {
        Code(std::move(content), file, line);
    }
    return close + kBlockClose.size();
}

void PageTranslator::Code(std::string content, int file, int line) {
    std::size_t at = 0;
    std::size_t end = 0;
    if (!codeSeen_ && language_ == ScriptLanguage::kVBScript && StartsWithOptionExplicit(content, at, end)) {
        // Blank the words out in place so the block keeps its line layout.
        content.replace(at, end - at, end - at, ' ');
        optionExplicit_ = true;
        result_.lines.SetLine(1, file, line + CountLineBreaks(std::string_view(content).substr(0, at)));
    }
    codeSeen_ = true;
    EmitLines(content, file, line);
}

void PageTranslator::Directive(std::string_view content, const std::string& sitePath, int line) {
    if (stack_.size() > 1)
        throw EPageError("a page directive is not allowed in an include file", sitePath, line);
    if (codeSeen_ || directiveSeen_)
        throw EPageError("the page directive must come before any other script block", sitePath, line);
    directiveSeen_ = true;
    try {
        result_.directive = ParsePageDirective(content);
    } catch (const std::invalid_argument& e) {
        throw EPageError(e.what(), sitePath, line);
    }
    result_.directive.line = line;
}

void PageTranslator::Include(const IncludeDirective& include, const std::string& sitePath, int line) {
    std::string target;
    try {
        target = ResolveIncludePath(sitePath, include.kind, include.target);
    } catch (const std::invalid_argument& e) {
        throw EPageError(std::string(e.what()) + ": \"" + include.target + "\"", sitePath, line);
    }
    for (const std::string& open : stack_) {
        if (!SamePathNoCase(open, target)) continue;
        std::string chain;
        for (const std::string& path : stack_) chain += path + " -> ";
        throw EPageError("include cycle: " + chain + target, sitePath, line);
    }
    if (static_cast<int>(stack_.size()) > kMaxIncludeDepth)
        throw EPageError("includes nest deeper than " + std::to_string(kMaxIncludeDepth) + " levels",
                         sitePath, line);
    std::optional<std::string> text = loader_(target);
    if (!text) throw EPageError("include file not found: " + target, sitePath, line);
    stack_.push_back(target);
    TranslateFile(*text, target);
    stack_.pop_back();
}

}  // namespace

TranslatedPage TranslatePage(std::string_view page, const std::string& sitePath,
                             const IncludeLoader& loader) {
    return PageTranslator(loader).Run(page, sitePath);
}

}  // namespace kestrune
