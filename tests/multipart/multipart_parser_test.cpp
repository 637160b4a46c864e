#include "multipart/body_text.h"
#include "multipart/multipart_parser.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fakes/dbcs_code_page.h"
#include "host/posix/single_byte_code_page.h"
#include "support/body_builder.h"
#include "support/parse_outcome.h"
#include "support/reference_parser.h"

namespace kestrune {
namespace {

using namespace std::string_literals;
using B = BodyBuilder;

const std::string kCd = "Content-Disposition: form-data; ";

struct ParseCase {
    const char* label;
    std::string body;
    std::vector<std::string> lines;
    std::string file{};
    std::string name{};
    std::string ext{};
    std::string base{};
    std::string type{};
    // Every file as "field=data"; when not given, the list holds the file above alone.
    std::vector<std::string> files{};
};

std::string Pdf() { return "%PDF-1.4\r\n\x00\xff\r\n-- binary --\r\n%%EOF"s; }

// Edge cases, worked out by hand; the boundary line is '--XyZ' unless the case says.
const std::vector<ParseCase>& Cases() {
    // One case a line.
    // clang-format off
    static const std::vector<ParseCase> cases = {
        {"empty body", "", {}},
        {"text field and file", B().Field("title", "Hello").File("upload", "C:\\docs\\report.final.pdf", "application/pdf", Pdf()).Close().Build(), {"title=Hello", "upload=C:\\docs\\report.final.pdf"}, Pdf(), "report.final.pdf", "pdf", "report.final", "application/pdf"},
        {"no file chosen", B().File("upload", "", "application/octet-stream", "").Close().Build(), {"upload="}},
        {"no file chosen, name listed", B().Field("upload", "x").File("upload", "", "application/octet-stream", "").Close().Build(), {"upload=x, "}},
        {"empty file, then one with content", B().File("upload", "empty.txt", "text/plain", "").File("second", "b.txt", "text/plain", "B").Close().Build(), {"upload=empty.txt", "second=b.txt"}, "B", "b.txt", "txt", "b", "text/plain"},
        {"two files, same name", B().File("f", "a.txt", "text/plain", "AAA").File("f", "b.txt", "text/plain", "BBB").Close().Build(), {"f=a.txt", "f=b.txt"}, "AAA", "a.txt", "txt", "a", "text/plain", {"f=AAA", "f=BBB"}},
        {"several files: empty input, zero bytes and a field skipped", B().File("a", "1.txt", "text/plain", "1").File("b", "", "application/octet-stream", "").File("c", "zero.txt", "text/plain", "").Field("t", "v").File("D", "2.bin", "x/y", "\r\n2\r\n").File("a", "3.txt", "text/plain", "3").Close().Build(), {"a=1.txt", "b=", "c=zero.txt", "t=v", "D=2.bin", "a=3.txt"}, "1", "1.txt", "txt", "1", "text/plain", {"a=1", "D=\r\n2\r\n", "a=3"}},
        {"file without its closing delimiter is not listed", B().File("a", "1.txt", "text/plain", "1").Build() + "--XyZ\r\n" + kCd + "name=\"b\"; filename=\"2.txt\"\r\nContent-Type: text/plain\r\n\r\nDATA\r\n", {"a=1.txt", "b=2.txt"}, "1", "1.txt", "txt", "1", "text/plain", {"a=1"}},
        {"value over two lines", B().Field("v", "line1\r\nline2").Close().Build(), {"v=line1\r\nline2"}},
        {"value ending in a line break", B().Field("a", "a\r\n").Close().Build(), {"a=a\r\n"}},
        {"bare LF inside a value joins with CR LF", B().Field("v", "line1\nline2").Close().Build(), {"v=line1\r\nline2"}},
        {"lone CR in a value is lost", B().Field("v", "li\rne").Close().Build(), {"v=line"}},
        {"empty text field", B().Field("note", "").Close().Build(), {"note="}},
        {"other second header", B().Delimiter().Line(kCd + "name=\"t\"").Line("Content-Transfer-Encoding: 8bit").Line("").Line("text").Close().Build(), {"t=\r\ntext"}},
        {"names merge ignoring case", B().Field("Color", "red").Field("color", "blue").Close().Build(), {"color=red, blue"}},
        {"three values merge", B().Field("a", "1").Field("a", "2").Field("a", "3").Close().Build(), {"a=1, 2, 3"}},
        {"merge stays in place", B().Field("x", "0").Field("Color", "red").Field("y", "1").Field("color", "blue").Close().Build(), {"x=0", "color=red, blue", "y=1"}},
        {"file entry, then field of that name", B().File("f", "a.txt", "text/plain", "A").Field("F", "v").Close().Build(), {"F=a.txt, v"}, "A", "a.txt", "txt", "a", "text/plain"},
        {"field, then file entry of that name", B().Field("f", "v").File("f", "a.txt", "text/plain", "A").Close().Build(), {"f=v", "f=a.txt"}, "A", "a.txt", "txt", "a", "text/plain"},
        {"equals in field names", B().Field("a=b", "v").Field("a=b", "w").Close().Build(), {"a=b=v", "a=b=w"}},
        {"no closing delimiter: last value line dropped", "--XyZ\r\n" + kCd + "name=\"x\"\r\n\r\none\r\ntwo", {"x=one"}},
        {"no closing delimiter: third header line at the end", B().Field("a", "1").Build() + "--XyZ\r\n" + kCd + "name=\"x\"\r\n\r\nv", {"a=1"}},
        {"no closing delimiter: file not stored", "--XyZ\r\n" + kCd + "name=\"f\"; filename=\"a.txt\"\r\nContent-Type: text/plain\r\n\r\nDATA\r\n", {"f=a.txt"}},
        {"body ends in the header lines", "--XyZ\r\n" + kCd + "name=\"x\"\r\n", {}},
        {"body ends after two header lines", "--XyZ\r\n" + kCd + "name=\"x\"\r\n\r\n", {}},
        {"closing delimiter and one more line", B().Field("v", "v").Close().Line("").Build(), {"v=v\r\n--XyZ--"}},
        {"header lines in another order", B().Delimiter().Line(kCd.substr(0, kCd.size() - 2)).Line("").Line("v0").Delimiter().Line("Content-Type: text/plain").Line(kCd + "name=\"x\"").Line("").Line("content").Close().Build(), {"=v0, \r\ncontent"}},
        {"text field with a type is a file", B().Delimiter().Line(kCd + "name=\"note\"").Line("Content-Type: text/plain; charset=UTF-8").Line("").Line("hello").Close().Build(), {"note="}, "hello", "", "", "", "text/plain; charset=UTF-8"},
        {"type line in lower case is no file", B().Delimiter().Line(kCd + "name=\"f\"; filename=\"a.txt\"").Line("content-type: text/plain").Line("").Line("DATA").Close().Build(), {"f=a.txt"}},
        {"Content-Type: and a blank only", B().File("f", "a.png", "", "P").Close().Build(), {"f=a.png"}, "P", "a.png", "png", "a", ""},
        {"Content-Type:image/png loses a byte", B().Delimiter().Line(kCd + "name=\"f\"; filename=\"a.png\"").Line("Content-Type:image/png").Line("").Line("P").Close().Build(), {"f=a.png"}, "P", "a.png", "png", "a", "mage/png"},
        {"two blanks after Content-Type:", B().File("f", "a.png", " image/png", "P").Close().Build(), {"f=a.png"}, "P", "a.png", "png", "a", " image/png"},
        {"Content-Type: alone", B().Delimiter().Line(kCd + "name=\"f\"; filename=\"a.png\"").Line("Content-Type:").Line("").Line("P").Close().Build(), {"f=a.png"}, "P", "a.png", "png", "a", ""},
        {"more header lines after the type", B().Delimiter().Line(kCd + "name=\"f\"; filename=\"a.gz\"").Line("Content-Type: application/gzip").Line("Content-Transfer-Encoding: binary").Line("X-More: 1").Line("").Line("GZ").Close().Build(), {"f=a.gz"}, "GZ", "a.gz", "gz", "a", "application/gzip"},
        {"slash separates the file name", B().File("f", "photos/cat.jpg", "image/jpeg", "J").Close().Build(), {"f=photos/cat.jpg"}, "J", "cat.jpg", "jpg", "cat", "image/jpeg"},
        {"climbing out of the folder", B().File("f", "../../x.asp", "text/plain", "<%").Close().Build(), {"f=../../x.asp"}, "<%", "x.asp", "asp", "x", "text/plain"},
        {"dot file", B().File("f", ".htaccess", "text/plain", "D").Close().Build(), {"f=.htaccess"}, "D", ".htaccess", "htaccess", "", "text/plain"},
        {"trailing dot", B().File("f", "readme.", "text/plain", "R").Close().Build(), {"f=readme."}, "R", "readme.", "", "readme.", "text/plain"},
        {"no extension", B().File("f", "noext", "text/plain", "N").Close().Build(), {"f=noext"}, "N", "noext", "", "noext", "text/plain"},
        {"drive letter", B().File("f", "D:report.txt", "text/plain", "T").Close().Build(), {"f=D:report.txt"}, "T", "report.txt", "txt", "report", "text/plain"},
        {"bare LF body loses the file's last byte", B("--XyZ", "\n").Field("t", "v").File("f", "a.txt", "text/plain", "DATA").Close().Build(), {"t=v", "f=a.txt"}, "DAT", "a.txt", "txt", "a", "text/plain"},
        {"boundary line less its last byte stays in the file", B().File("f", "a.bin", "application/octet-stream", "ab--Xycd\r\n--Xy").Close().Build(), {"f=a.bin"}, "ab--Xycd\r\n--Xy", "a.bin", "bin", "a", "application/octet-stream"},
        {"whole boundary line in the content cuts the file", B().File("f", "a.bin", "application/octet-stream", "abcd--XyZef").Close().Build(), {"f=a.bin"}, "ab", "a.bin", "bin", "a", "application/octet-stream"},
        {"cut content read on as lines, a part inside", B().File("f", "a.bin", "x/y", "AB\r\n--XyZ\r\n" + kCd + "name=\"in\"\r\n\r\nval").Close().Build(), {"f=a.bin", "in=val"}, "AB", "a.bin", "bin", "a", "x/y"},
        {"delimiter right after the blank line", B().File("f", "a.txt", "t/t", "").Close().Build(), {"f=a.txt"}},
        {"one-byte content", B().File("f", "a.txt", "t/t", "1").Close().Build(), {"f=a.txt"}, "1", "a.txt", "txt", "a", "t/t"},
        {"preamble is the boundary line and the first delimiter", "preamble\r\n" + B().Field("t", "v").Close().Build(), {"=\r\nv"}},
        {"empty first line: every empty line is a delimiter", "\r\n" + B().Field("t", "v").File("f", "a.txt", "t/t", "DATA").Close().Build(), {"=\r\nv\r\n--XyZ\r\n" + kCd + "name=\"f\"; filename=\"a.txt\"\r\nContent-Type: t/t"}},
        {"one-byte boundary line never ends a file", B("-").File("f", "a", "x/y", "DATA").Close().Build(), {"f=a"}},
        {"filename parameter first", B().Delimiter().Line(kCd + "filename=\"a.txt\"; name=\"f\"").Line("Content-Type: t/t").Line("").Line("D").Close().Build(), {"a.txt="}, "D", "", "", "", "t/t"},
        {"name without closing quote", B().Delimiter().Line(kCd + "name=\"f; filename=\"a.txt\"").Line("").Line("v").Close().Build(), {"f; filename==v"}},
        {"filename without closing quote", B().Delimiter().Line(kCd + "name=\"f\"; filename=\"a.txt").Line("Content-Type: t/t").Line("").Line("D").Close().Build(), {"f="}, "D", "", "", "", "t/t"},
        {"no name parameter", B().Delimiter().Line(kCd + "id=\"f\"").Line("").Line("v").Close().Build(), {"=v"}},
        {"longer parameter ending in name", B().Delimiter().Line(kCd + "myname=\"m\"; name=\"f\"").Line("").Line("v").Close().Build(), {"m=v"}},
        {"quotes and blanks kept", B().Field(" a b ", " v ").Close().Build(), {" a b = v "}},
        {"closing delimiter only", "--XyZ--\r\n", {}},
        {"delimiter line only", "--XyZ\r\n", {}},
    };
    // clang-format on
    return cases;
}

// The client checks and the file's offset come from the parse: the reference holds them.
ParseOutcome Expected(const ParseCase& c, const ParseOutcome& parsed) {
    ParseOutcome expected;
    expected.lines = c.lines;
    expected.fileData = c.file;
    expected.fileName = c.name;
    expected.fileExt = c.ext;
    expected.baseName = c.base;
    expected.contentType = c.type;
    expected.clientChecks = parsed.clientChecks;
    expected.fileOffset = parsed.fileOffset;
    expected.files = parsed.files;
    return expected;
}

// The list as the case writes it: "field=data" each, or the data alone where the case
// gives only the file.
std::vector<std::string> FilesOf(const ParseCase& c, const ParseOutcome& parsed) {
    std::vector<std::string> files;
    for (const FileOutcome& file : parsed.files)
        files.push_back(c.files.empty() ? file.data : file.field + "=" + file.data);
    return files;
}

std::vector<std::string> ExpectedFiles(const ParseCase& c) {
    if (!c.files.empty()) return c.files;
    return c.file.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.file};
}

TEST(MultipartParserTest, EdgeCases) {
    SingleByteCodePage singleByte;
    DbcsCodePage dbcs;
    for (const ParseCase& c : Cases()) {
        SCOPED_TRACE(c.label);
        ParseOutcome outcome = ParseWithParser(c.body, singleByte);
        EXPECT_EQ(Expected(c, outcome), outcome);
        EXPECT_EQ(ExpectedFiles(c), FilesOf(c, outcome));
        EXPECT_EQ(outcome, ParseWithParser(c.body, dbcs));
        EXPECT_EQ(outcome, ReferenceParse(c.body, singleByte));
    }
}

TEST(MultipartParserTest, FileBytesAreASliceOfTheBody) {
    const std::string body = B().File("f", "a.txt", "t/t", "DATA").Close().Build();
    SingleByteCodePage codePage;
    TStringList fields(codePage);
    BodyWindow window(body);
    WindowText source(window);
    fields.SetTextSource(&source);
    TBodyParts found;
    ParseMultipart(
        window, [] { return true; }, fields, found);
    ASSERT_EQ(1u, found.Files.size());
    const TFileRecord file = DescribeFilePart(window, found.Files[0], codePage);
    EXPECT_EQ(body.data() + body.find("DATA"), file.FileData.data());
    EXPECT_EQ(4u, file.FileData.size());
}

TEST(MultipartParserTest, DbcsFileNames) {
    // 0x95 0x5C is one character whose second byte is "\": it must not split the name.
    const std::string name = "C:\\\x95\x5C\\\x83\x5C.txt";
    const std::string body = B().File("f", name, "t/t", "D").Close().Build();
    DbcsCodePage dbcs;
    ParseOutcome outcome = ParseWithParser(body, dbcs);
    EXPECT_EQ(std::vector<std::string>{"f=" + name}, outcome.lines);
    EXPECT_EQ("\x83\x5C.txt", outcome.fileName);
    EXPECT_EQ("txt", outcome.fileExt);
    EXPECT_EQ("\x83\x5C", outcome.baseName);
    SingleByteCodePage singleByte;
    EXPECT_EQ(".txt", ParseWithParser(body, singleByte).fileName);
}

TEST(MultipartParserTest, DbcsFieldNamesMergeByCharacter) {
    // Full-width 'a' and 'A' are one name in the DBCS code page; a trail byte that looks
    // like 'a' is not the same as one that looks like 'A'.
    const std::string body = B().Field("\x82\x81", "1")
                                 .Field("\x82\x60", "2")
                                 .Field(
                                     "\x81"
                                     "a",
                                     "3")
                                 .Field(
                                     "\x81"
                                     "A",
                                     "4")
                                 .Close()
                                 .Build();
    DbcsCodePage dbcs;
    EXPECT_EQ((std::vector<std::string>{"\x82\x60=1, 2",
                                        "\x81"
                                        "a=3",
                                        "\x81"
                                        "A=4"}),
              ParseWithParser(body, dbcs).lines);
    SingleByteCodePage singleByte;
    EXPECT_EQ((std::vector<std::string>{"\x82\x81=1", "\x82\x60=2",
                                        "\x81"
                                        "A=3, 4"}),
              ParseWithParser(body, singleByte).lines);
}

}  // namespace
}  // namespace kestrune
