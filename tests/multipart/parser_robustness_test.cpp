// Bad and cut-short input, and the client going away: defined outcomes, never a crash.
#include "multipart/body_text.h"
#include "multipart/multipart_parser.h"

#include <random>
#include <stdexcept>
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

std::string SampleBody() {
    return BodyBuilder()
        .Field("title", "Hello")
        .File("upload", "C:\\docs\\report.final.pdf", "application/pdf", "%PDF\r\n--Xy\r\n\x01\x02")
        .Field("note", "two\r\nlines")
        .File("second", "b.txt", "text/plain", "B")
        .Close()
        .Build();
}

TEST(ParserRobustnessTest, BodyCutAtEveryOffset) {
    const std::string body = SampleBody();
    SingleByteCodePage codePage;
    for (std::size_t size = 0; size <= body.size(); ++size) {
        SCOPED_TRACE(size);
        const std::string_view cut(body.data(), size);
        ParseOutcome outcome = ParseWithParser(cut, codePage);
        ASSERT_LE(outcome.fileData.size(), size);
        if (outcome.fileData.empty()) {
            ASSERT_EQ("", outcome.fileName + outcome.fileExt + outcome.baseName + outcome.contentType);
        } else {
            ASSERT_EQ("report.final.pdf", outcome.fileName);
            ASSERT_EQ("pdf", outcome.fileExt);
            ASSERT_EQ("report.final", outcome.baseName);
            ASSERT_EQ("application/pdf", outcome.contentType);
        }
        ASSERT_EQ(ReferenceParse(cut, codePage), outcome);
    }
}

// Random bodies from a handful of meaningful lines and every kind of line end.
TEST(ParserRobustnessTest, RandomBodiesMatchTheReference) {
    const std::vector<std::string> lines = {
        "--XyZ",
        "--XyZ--",
        "--Xy",
        "",
        "",
        "value",
        "Content-Type: text/plain",
        "content-type: x",
        "Content-Disposition: form-data; name=\"a\"",
        "Content-Disposition: form-data; name=\"A\"",
        "Content-Disposition: form-data; name=\"f\"; filename=\"d\\\x95\x5C.txt\"",
        "Content-Disposition: form-data; name=\"f\"; filename=\"\"",
        "name=\"x=y\"",
        "--XyZ\r--XyZ",
        "Content-Disposition: form-data; na\rme=\"b\"; filename=\"e\r.txt\"",
        "xx--XyZ--Xy",
        "Content-Disposition: form-data; name=\"Colour\"",
        "Content-Disposition: form-data; name=\"COLOUR\"; filename=\"c.txt\"",
        "Content-Disposition: form-data; name=\"co\rlour\"",
        "Content-Disposition: form-data; name=\"Colony\""};
    const std::vector<std::string> ends = {"\r\n", "\r\n", "\n", "\r", ""};
    SingleByteCodePage singleByte;
    DbcsCodePage dbcs;
    // Names that merge, and names that share a start and a length but not the rest.
    const std::string merges = BodyBuilder()
                                   .Field("Colour", "1")
                                   .Field("Colony", "2")
                                   .Field("COLOUR", "3")
                                   .File("colony", "c.txt", "t/t", "C")
                                   .Field("coLONy", "4")
                                   .Close()
                                   .Build();
    std::mt19937 random(5);
    for (int round = 0; round < 4000; ++round) {
        std::string body = round < 8 ? merges : std::string();
        int count = std::uniform_int_distribution<int>(0, 14)(random);
        for (int i = 0; i < count && round >= 8; ++i)
            body += lines[random() % lines.size()] + ends[random() % ends.size()];
        const CodePage& codePage = round % 2 == 0 ? static_cast<const CodePage&>(singleByte) : dbcs;
        const ParseOutcome expected = ReferenceParse(body, codePage);
        ASSERT_EQ(expected, ParseWithParser(body, codePage)) << "body '" << body << "'";
        // Lines longer than the parser holds are read a piece at a time, to the same end.
        const std::size_t held = 1 + round % 7;
        ASSERT_EQ(expected, ParseWithParser(body, codePage, kAlwaysConnected, held))
            << "held " << held << ", body '" << body << "'";
    }
}

TEST(ParserRobustnessTest, DisconnectBeforeCycleKeepsWhatWasRecorded) {
    const std::string body =
        BodyBuilder().Field("a", "1").File("f", "x.txt", "t/t", "X").Field("b", "2").Close().Build();
    // Cycles: a; f (its scan leaves the read offset at the LF before the next delimiter);
    // that LF; b; the closing delimiter line.
    struct {
        int connectedChecks;
        std::vector<std::string> lines;
        bool fileStored;
        int clientChecks;
    } const cases[] = {
        {0, {}, false, 1},
        {1, {"a=1"}, false, 2},
        {2, {"a=1", "f=x.txt"}, true, 3},
        {3, {"a=1", "f=x.txt"}, true, 4},
        {4, {"a=1", "f=x.txt", "b=2"}, true, 5},
        {5, {"a=1", "f=x.txt", "b=2"}, true, 5},
        {kAlwaysConnected, {"a=1", "f=x.txt", "b=2"}, true, 5},
    };
    SingleByteCodePage codePage;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.connectedChecks);
        ParseOutcome outcome = ParseWithParser(body, codePage, c.connectedChecks);
        EXPECT_EQ(c.lines, outcome.lines);
        EXPECT_EQ(c.fileStored ? "X" : "", outcome.fileData);
        EXPECT_EQ(c.fileStored ? "x.txt" : "", outcome.fileName);
        EXPECT_EQ(c.clientChecks, outcome.clientChecks);
        EXPECT_EQ(ReferenceParse(body, codePage, c.connectedChecks), outcome);
    }
}

TEST(ParserRobustnessTest, ThrowingClientCheckPropagatesAndKeepsWhatWasRecorded) {
    struct HostFailure : std::runtime_error {
        using std::runtime_error::runtime_error;
    };
    const std::string body =
        BodyBuilder().Field("a", "1").File("f", "x.txt", "t/t", "X").Field("b", "2").Close().Build();
    SingleByteCodePage codePage;
    for (int failingCheck = 1; failingCheck <= 5; ++failingCheck) {
        SCOPED_TRACE(failingCheck);
        TStringList fields(codePage);
        BodyWindow window(body);
        WindowText source(window);
        fields.SetTextSource(&source);
        TBodyParts found;
        int checks = 0;
        auto isClientConnected = [&] {
            if (++checks == failingCheck) throw HostFailure("gone");
            return true;
        };
        EXPECT_THROW(ParseMultipart(window, isClientConnected, fields, found), HostFailure);
        ParseOutcome expected = ReferenceParse(body, codePage, failingCheck - 1);
        ASSERT_EQ(static_cast<std::int32_t>(expected.lines.size()), fields.Count());
        for (std::int32_t i = 0; i < fields.Count(); ++i) EXPECT_EQ(expected.lines[i], fields.Line(i));
        const TFileRecord file =
            found.Files.empty() ? TFileRecord() : DescribeFilePart(window, found.Files[0], codePage);
        EXPECT_EQ(expected.fileData, file.FileData);
        EXPECT_EQ(expected.fileName, file.FileNameText);
    }
}

TEST(ParserRobustnessTest, ManyFieldsStayInOrder) {
    BodyBuilder builder;
    for (int i = 0; i < 2000; ++i) builder.Field("f" + std::to_string(i % 1500), std::to_string(i));
    SingleByteCodePage codePage;
    const std::string body = builder.Close().Build();
    ParseOutcome outcome = ParseWithParser(body, codePage);
    ASSERT_EQ(1500u, outcome.lines.size());
    EXPECT_EQ("f0=0, 1500", outcome.lines[0]);
    EXPECT_EQ("f1499=1499", outcome.lines[1499]);
    EXPECT_EQ(ReferenceParse(body, codePage), outcome);
}

}  // namespace
}  // namespace kestrune
