// BodyBuilder: multipart bodies laid out the way browsers send them, written readably.
//
//   std::string body = BodyBuilder("--XyZ").Field("title", "Hello")
//                          .File("upload", "a.txt", "text/plain", "data").Close().Build();
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

class BodyBuilder {
public:
    explicit BodyBuilder(std::string boundaryLine = "--XyZ", std::string lineEnd = "\r\n")
        : boundary_(std::move(boundaryLine)), lineEnd_(std::move(lineEnd)) {}

    // A delimiter line, then a text field with its value.
    BodyBuilder& Field(std::string_view name, std::string_view value) {
        return Delimiter()
            .Line(Concat("Content-Disposition: form-data; name=\"", name, "\""))
            .Line("")
            .Line(value);
    }

    // A delimiter line, then a file input carrying content.
    BodyBuilder& File(std::string_view name, std::string_view fileName, std::string_view contentType,
                      std::string_view content) {
        return Delimiter()
            .Line(Concat("Content-Disposition: form-data; name=\"", name, "\"; filename=\"", fileName, "\""))
            .Line(Concat("Content-Type: ", contentType, ""))
            .Line("")
            .Line(content);
    }

    BodyBuilder& Delimiter() { return Line(boundary_); }
    BodyBuilder& Close() { return Line(boundary_ + "--"); }
    BodyBuilder& Line(std::string_view text) { return Raw(text).Raw(lineEnd_); }
    BodyBuilder& Raw(std::string_view bytes) {
        body_.append(bytes.data(), bytes.size());
        return *this;
    }

    const std::string& Build() const { return body_; }

private:
    static std::string Concat(std::string_view a, std::string_view b, std::string_view c,
                              std::string_view d = {}, std::string_view e = {}) {
        std::string text;
        for (std::string_view piece : {a, b, c, d, e}) text.append(piece.data(), piece.size());
        return text;
    }

    std::string boundary_;
    std::string lineEnd_;
    std::string body_;
};

}  // namespace kestrune
