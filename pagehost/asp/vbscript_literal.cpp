#include "pagehost/asp/vbscript_literal.h"

namespace kestrune {
namespace {

// VBScript's parser recurses on "&": keep each statement's chain of pieces short.
constexpr int kMaxPieces = 48;

class StatementBuilder {
public:
    void AddTextByte(char c) {
        if (!inRun_) {
            Separate();
            expression_ += '"';
            inRun_ = true;
        }
        expression_ += c;
        if (c == '"') expression_ += '"';
        ++bytes_;
    }

    void AddPiece(const std::string& piece, std::size_t bytes) {
        CloseRun();
        Separate();
        expression_ += piece;
        bytes_ += bytes;
    }

    bool Full(std::size_t limit) const { return bytes_ >= limit || pieces_ >= kMaxPieces; }
    bool Empty() const { return expression_.empty(); }

    std::string Take() {
        CloseRun();
        std::string statement = "Response.Write " + expression_;
        expression_.clear();
        bytes_ = 0;
        pieces_ = 0;
        return statement;
    }

private:
    void CloseRun() {
        if (!inRun_) return;
        expression_ += '"';
        inRun_ = false;
    }

    void Separate() {
        if (!expression_.empty()) expression_ += " & ";
        ++pieces_;
    }

    std::string expression_;
    std::size_t bytes_ = 0;
    int pieces_ = 0;
    bool inRun_ = false;
};

bool IsControl(unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7F; }

// True when a cut before position i cannot fall inside a multi-byte character.
bool SafeCut(std::string_view text, std::size_t i) {
    if (i < 2) return i == 0;
    auto prev = static_cast<unsigned char>(text[i - 1]);
    auto before = static_cast<unsigned char>(text[i - 2]);
    return prev < 0x80 && before < 0x80;
}

}  // namespace

std::vector<LiteralStatement> LiteralToStatements(std::string_view literal, std::size_t statementBytes) {
    std::vector<LiteralStatement> statements;
    StatementBuilder builder;
    int lineBreaks = 0;
    int statementStart = 0;
    auto flush = [&] {
        if (builder.Empty()) return;
        statements.push_back(LiteralStatement{builder.Take(), statementStart});
    };

    std::size_t i = 0;
    while (i < literal.size()) {
        if (builder.Full(statementBytes) && SafeCut(literal, i)) flush();
        if (builder.Empty()) statementStart = lineBreaks;
        auto c = static_cast<unsigned char>(literal[i]);
        if (c == '\r' && i + 1 < literal.size() && literal[i + 1] == '\n') {
            builder.AddPiece("vbCrLf", 2);
            ++lineBreaks;
            i += 2;
            continue;
        }
        if (c == '\r' || c == '\n') {
            builder.AddPiece(c == '\r' ? "vbCr" : "vbLf", 1);
            ++lineBreaks;
        } else if (IsControl(c)) {
            builder.AddPiece("Chr(" + std::to_string(c) + ")", 1);
        } else {
            builder.AddTextByte(static_cast<char>(c));
        }
        ++i;
    }
    flush();
    return statements;
}

}  // namespace kestrune
