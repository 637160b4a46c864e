// Every class of hostile or broken body a page can be sent, each with the exact outcome
// the parsing rules give it: what the form-field list holds, what file is kept, what
// the reads answer, and that intake wrote nothing to the page.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "fakes/dbcs_code_page.h"
#include "host/posix/single_byte_code_page.h"
#include "support/body_builder.h"
#include "support/upload_fixture.h"

namespace kestrune::testing {
namespace {

const SingleByteCodePage kSingleByte;
const DbcsCodePage kDoubleByte;

struct Expected {
    std::vector<std::string> lines;
    std::string fileData, fileName, fileExt, baseName, contentType;
    std::vector<std::pair<std::string, std::string>> byName;  // FormVariable(name) == value
};

struct BadInput {
    std::string label;
    std::function<std::string()> body;
    Expected expected;
    const CodePage* codePage = &kSingleByte;
};

std::string S(const char* bytes, std::size_t size) { return std::string(bytes, size); }

std::string Repeat(const std::string& piece, int times) {
    std::string text;
    text.reserve(piece.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

std::string FileBody(const std::string& fileName, const std::string& content = "data",
                     const std::string& lineEnd = "\r\n") {
    return BodyBuilder("--XyZ", lineEnd).File("f", fileName, "text/plain", content).Close().Build();
}

Expected FileOutcome(const std::string& sent, std::string name, std::string ext, std::string base,
                     std::string content = "data") {
    return {{"f=" + sent},
            std::move(content),
            std::move(name),
            std::move(ext),
            std::move(base),
            "text/plain",
            {}};
}

std::vector<BadInput> Volume() {
    std::vector<std::string> distinct, files;
    for (int i = 0; i < 100000; ++i) distinct.push_back("f" + std::to_string(i) + "=");
    for (int i = 0; i < 10000; ++i) files.push_back("upload=f" + std::to_string(i) + ".txt");
    const std::string longName(1 << 20, 'n');
    return {
        {"100,000 empty fields of distinct names",
         [] {
             BodyBuilder body;
             for (int i = 0; i < 100000; ++i) body.Field("f" + std::to_string(i), "");
             return body.Close().Build();
         },
         {distinct, "", "", "", "", "", {{"f0", ""}, {"F99999", ""}, {"f100000", ""}}}},
        {"100,000 empty fields of one name, merged into one line",
         [] {
             BodyBuilder body;
             for (int i = 0; i < 100000; ++i) body.Field(i % 2 == 0 ? "e" : "E", "");
             return body.Close().Build();
         },
         {{"E=" + Repeat(", ", 99999)}, "", "", "", "", "", {{"e", Repeat(", ", 99999)}}}},
        {"10,000 one-byte files",
         [] {
             BodyBuilder body;
             for (int i = 0; i < 10000; ++i)
                 body.File("upload", "f" + std::to_string(i) + ".txt", "text/plain", "x");
             return body.Close().Build();
         },
         {files, "x", "f0.txt", "txt", "f0", "text/plain", {{"upload", "f0.txt"}}}},
        {"a 1 MiB header line",
         [longName] { return BodyBuilder().Field(longName, "v").Close().Build(); },
         {{longName + "=v"}, "", "", "", "", "", {{longName, "v"}}}},
        {"a 50 MiB line with no LF ending a field",
         [] {
             return BodyBuilder()
                 .Delimiter()
                 .Line("Content-Disposition: form-data; name=\"a\"")
                 .Line("")
                 .Line("first")
                 .Raw(std::string(50 << 20, 'x'))
                 .Build();
         },
         {{"a=first"}, "", "", "", "", "", {{"a", "first"}}}},
        {"a 50 MiB file with no delimiter after it",
         [] {
             return BodyBuilder()
                 .File("f", "big.bin", "application/octet-stream", std::string(50 << 20, 'x'))
                 .Build();
         },
         {{"f=big.bin"}, "", "", "", "", "", {}}},
        {"a 50 MiB body of one line", [] { return std::string(50 << 20, '-'); }, {}},
    };
}

std::vector<BadInput> Framing() {
    const std::string form =
        BodyBuilder().Field("title", "Hello").File("upload", "a.txt", "text/plain", "abc").Close().Build();
    const Expected formOutcome{
        {"title=Hello", "upload=a.txt"}, "abc", "a.txt", "txt", "a", "text/plain", {{"TITLE", "Hello"}}};
    return {
        {"bare LF line ends: the file loses its last byte",
         [] {
             return BodyBuilder("--XyZ", "\n")
                 .Field("title", "Hello")
                 .File("upload", "a.txt", "text/plain", "abc")
                 .Close()
                 .Build();
         },
         {{"title=Hello", "upload=a.txt"}, "ab", "a.txt", "txt", "a", "text/plain", {}}},
        {"bare LF inside a value becomes CR LF",
         [] { return BodyBuilder("--XyZ", "\n").Field("m", "l1\nl2").Close().Build(); },
         {{"m=l1\r\nl2"}, "", "", "", "", "", {{"m", "l1\r\nl2"}}}},
        {"a preamble is taken as the boundary line",
         [] { return "This is a preamble.\r\n" + BodyBuilder().Field("a", "1").Close().Build(); },
         {{"=\r\n1"}, "", "", "", "", "", {{"", "\r\n1"}}}},
        {"epilogue junk is passed over", [form] { return form + "epilogue\r\njunk\r\n"; }, formOutcome},
        {"an empty first line makes every empty line a delimiter",
         [] { return "\r\n" + BodyBuilder().File("f", "a.txt", "text/plain", "abc").Close().Build(); },
         {{"=Content-Type: text/plain"}, "", "", "", "", "", {{"", "Content-Type: text/plain"}}}},
        {"missing closing delimiter cuts the last value",
         [] { return BodyBuilder().Field("a", "one\r\ntwo").Build(); },
         {{"a=one"}, "", "", "", "", "", {}}},
        {"missing closing delimiter drops the last file",
         [] { return BodyBuilder().Field("a", "1").File("f", "a.txt", "text/plain", "data").Build(); },
         {{"a=1", "f=a.txt"}, "", "", "", "", "", {}}},
        {"body cut inside the part headers",
         [] { return std::string("--XyZ\r\nContent-Disposition: form-data; name=\"a\"\r\n"); },
         {}},
    };
}

std::vector<BadInput> Names() {
    return {
        {"NUL in a name hides the line's \"=\"",
         [] { return BodyBuilder().Field(S("a\0b", 3), "v").Close().Build(); },
         {{S("a\0b=v", 5)}, "", "", "", "", "", {{S("a\0b", 3), ""}, {"a", ""}, {"", ""}}}},
        {"NUL in a value is kept",
         [] { return BodyBuilder().Field("n", S("v\0w", 3)).Close().Build(); },
         {{S("n=v\0w", 5)}, "", "", "", "", "", {{"n", S("v\0w", 3)}}}},
        {"NUL in a file name is kept", [] { return FileBody(S("evil.asp\0.jpg", 13)); },
         FileOutcome(S("evil.asp\0.jpg", 13), S("evil.asp\0.jpg", 13), "jpg", S("evil.asp\0", 9))},
        {"a raw quote ends the file name",
         [] { return FileBody("a\"b.txt"); },
         {{"f=a"}, "data", "a", "", "a", "text/plain", {}}},
        {"%22 is not decoded", [] { return FileBody("a%22b.txt"); },
         FileOutcome("a%22b.txt", "a%22b.txt", "txt", "a%22b")},
        {"a name holding \"=\" is found only by its first piece",
         [] { return BodyBuilder().Field("a=b", "v").Field("a=b", "w").Close().Build(); },
         {{"a=b=v", "a=b=w"}, "", "", "", "", "", {{"a=b", ""}, {"A", "b=v"}}}},
        {"slashes, backslashes and colons leave only the last component",
         [] { return FileBody("../../x.asp"); }, FileOutcome("../../x.asp", "x.asp", "asp", "x")},
        {"a drive and a stream name", [] { return FileBody("C:\\x.asp:.jpg"); },
         FileOutcome("C:\\x.asp:.jpg", ".jpg", "jpg", "")},
        {"trail byte 0x5C is no separator under the double-byte code page",
         [] { return FileBody("dir\\\x95\x5c.txt"); },
         FileOutcome("dir\\\x95\x5c.txt", "\x95\x5c.txt", "txt", "\x95\x5c"), &kDoubleByte},
        {"the same bytes under the single-byte code page", [] { return FileBody("dir\\\x95\x5c.txt"); },
         FileOutcome("dir\\\x95\x5c.txt", ".txt", "txt", "")},
        {"trail byte 0x3D is no \"=\" in a double-byte name",
         [] { return BodyBuilder().Field("\x81=", "v").Close().Build(); },
         {{"\x81==v"}, "", "", "", "", "", {{"\x81=", "v"}}},
         &kDoubleByte},
        {"the same name under the single-byte code page",
         [] { return BodyBuilder().Field("\x81=", "v").Close().Build(); },
         {{"\x81==v"}, "", "", "", "", "", {{"\x81=", ""}, {"\x81", "=v"}}}},
    };
}

// The delimiter after a file straddles the end of the first 102400-byte pass at each
// offset from "\r\n" through the end of "--XyZ--".
std::vector<BadInput> SplitDelimiters() {
    const std::string head =
        "--XyZ\r\nContent-Disposition: form-data; name=\"f\"; filename=\"a.bin\"\r\n"
        "Content-Type: application/octet-stream\r\n\r\n";
    std::vector<BadInput> cases;
    for (int before = 0; before <= 9; ++before) {
        std::string content(102400 - head.size() - static_cast<std::size_t>(before), 'c');
        content[0] = '-';  // a near miss at the start as well
        cases.push_back({"delimiter split after its first " + std::to_string(before) + " bytes",
                         [head, content] { return head + content + "\r\n--XyZ--\r\n"; },
                         {{"f=a.bin"}, content, "a.bin", "bin", "a", "application/octet-stream", {}}});
    }
    return cases;
}

void ExpectLines(const TStringList& list, const std::vector<std::string>& expected) {
    ASSERT_EQ(static_cast<std::size_t>(list.Count()), expected.size());
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        if (list.Line(i) != expected[static_cast<std::size_t>(i)]) {
            ADD_FAILURE() << "line " << i << " differs";
            return;
        }
    }
}

TEST(BadInput, EachClassHasItsExactOutcome) {
    std::vector<BadInput> cases;
    for (auto group : {Volume, Framing, Names, SplitDelimiters}) {
        for (BadInput& input : group()) cases.push_back(std::move(input));
    }
    // Both roads of the body: memory, and a body file read through the parser's window.
    for (const auto& [road, threshold] : {std::pair{"memory", INT64_MAX}, std::pair{"body file", INT64_C(0)}})
        for (const BadInput& input : cases) {
            SCOPED_TRACE(std::string(road) + " / " + input.label);
            Upload upload(input.body(), *input.codePage);
            upload.object.SetBodyFileThreshold(threshold);
            const TTessock& object = upload.Receive();
            const Expected& expected = input.expected;
            EXPECT_EQ(upload.host.Output(), "");
            ExpectLines(object.FieldList(), expected.lines);
            EXPECT_EQ(object.FormVariableCount(), static_cast<std::int32_t>(expected.lines.size()));
            EXPECT_TRUE(object.FileContent() == expected.fileData) << object.FileSize() << " bytes";
            EXPECT_EQ(object.Filename(), expected.fileName);
            EXPECT_EQ(object.FileExtension(), expected.fileExt);
            EXPECT_EQ(object.FileNameNoExtension(), expected.baseName);
            EXPECT_EQ(object.ContentType(), expected.contentType);
            for (const auto& [name, value] : expected.byName) {
                EXPECT_EQ(object.FormVariable(name), value)
                    << "FormVariable of a " << name.size() << "-byte name";
            }
            EXPECT_EQ(upload.files.Calls(), threshold == 0 ? std::vector<std::string>{"CreateBodyFile()"}
                                                           : std::vector<std::string>{});
        }
}

}  // namespace
}  // namespace kestrune::testing
