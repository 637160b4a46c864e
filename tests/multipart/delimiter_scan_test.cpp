#include "multipart/delimiter_scan.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fakes/dbcs_code_page.h"
#include "fakes/fake_file_system.h"
#include "host/posix/single_byte_code_page.h"
#include "support/body_builder.h"
#include "support/guarded_buffer.h"
#include "support/parse_outcome.h"
#include "support/reference_parser.h"

namespace kestrune {
namespace {

constexpr std::size_t kNotFound = std::string_view::npos;

struct ScanCase {
    const char* label;
    std::string content;
    std::string boundary;
    std::size_t start;
    std::size_t found;
};

TEST(DelimiterScanTest, Table) {
    const ScanCase cases[] = {
        {"at the start", "--XyZ", "--XyZ", 0, 0},
        {"after a byte", "a--XyZ", "--XyZ", 0, 1},
        {"failing byte is not retried", "---XyZ", "--XyZ", 0, kNotFound},
        {"four dashes", "----XyZ", "--XyZ", 0, kNotFound},
        {"five dashes", "-----XyZ", "--XyZ", 0, 3},
        {"runs out in a partial match", "ab--Xy", "--XyZ", 0, kNotFound},
        {"last byte wrong, then the real one", "--XyA--XyZ", "--XyZ", 0, 5},
        {"broken by a dash", "--X--XyZ", "--XyZ", 0, kNotFound},
        {"broken by a dash, then a clean start", "--X---XyZ", "--XyZ", 0, 4},
        {"boundary line less its last byte", "--Xy\r\n", "--XyZ", 0, kNotFound},
        {"start skips a match", "--XyZ--XyZ", "--XyZ", 1, 5},
        {"start at the end", "--XyZ", "--XyZ", 5, kNotFound},
        {"start past the end", "--XyZ", "--XyZ", 9, kNotFound},
        {"empty content", "", "--XyZ", 0, kNotFound},
        {"two-byte boundary", "xab", "ab", 0, 1},
        {"two-byte boundary, repeated first byte", "aab", "ab", 0, kNotFound},
        {"one-byte boundary never matches", "---", "-", 0, kNotFound},
        {"empty boundary never matches", "abc", "", 0, kNotFound},
        {"boundary longer than content", "--X", "--XyZ", 0, kNotFound},
        {"match at the very end", "xxxx--XyZ", "--XyZ", 0, 4},
        {"NUL bytes", std::string("\0--XyZ", 6), "--XyZ", 0, 1},
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(c.label);
        GuardedBuffer content(c.content);
        BodyWindow memory(content.View());
        EXPECT_EQ(c.found, ScanForDelimiter(memory, c.start, c.boundary));
        long reference = ReferenceScan(c.content, static_cast<long>(c.start), c.boundary);
        EXPECT_EQ(c.found, reference < 0 ? kNotFound : static_cast<std::size_t>(reference));
    }
}

// Content made of boundary prefixes and near misses, so that every position sees one.
std::string RandomContent(std::mt19937& random, const std::vector<std::string>& pieces, int maxPieces) {
    std::string content;
    int count = std::uniform_int_distribution<int>(0, maxPieces)(random);
    for (int i = 0; i < count; ++i) content += pieces[random() % pieces.size()];
    return content;
}

TEST(DelimiterScanTest, MatchesTheByteAutomatonEverywhere) {
    const std::vector<std::string> boundaries = {"--XyZ", "ab", "aa", "--", "-a-a-b"};
    for (const std::string& boundary : boundaries) {
        SCOPED_TRACE(boundary);
        std::vector<std::string> pieces = {"\r\n", "x", "-", "a"};
        for (std::size_t i = 1; i <= boundary.size(); ++i) pieces.push_back(boundary.substr(0, i));
        std::mt19937 random(7);
        testing::FakeFileSystem files;
        for (int round = 0; round < 400; ++round) {
            std::string content = RandomContent(random, pieces, 16);
            GuardedBuffer guarded(content);
            BodyWindow memory(guarded.View());
            // The same content in a body file, through windows that a match straddles.
            const std::unique_ptr<BodyFile> file = files.CreateBodyFile();
            file->Append(content.data(), content.size());
            const auto size = static_cast<std::int64_t>(content.size());
            BodyWindow window(*file, size, size, static_cast<std::size_t>(1 + round % 7));
            for (std::size_t start = 0; start <= content.size(); ++start) {
                long reference = ReferenceScan(content, static_cast<long>(start), boundary);
                const std::size_t expected = reference < 0 ? kNotFound : static_cast<std::size_t>(reference);
                ASSERT_EQ(expected, ScanForDelimiter(memory, start, boundary))
                    << "content '" << content << "' start " << start;
                ASSERT_EQ(expected, ScanForDelimiter(window, start, boundary))
                    << "windowed, content '" << content << "' start " << start;
            }
        }
    }
}

TEST(DelimiterScanTest, ParserKeepsTheAutomatonsFileAndFields) {
    const std::vector<std::string> pieces = {"-", "--", "--X", "--Xy", "--XyZ", "\r\n", "a", "\n", "\r"};
    SingleByteCodePage singleByte;
    DbcsCodePage dbcs;
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
        std::string content = RandomContent(random, pieces, 12);
        BodyBuilder body;
        body.Field("before", "x").File("f", "a.bin", "application/octet-stream", content);
        if (round % 3 != 0) body.Field("after", "y");
        if (round % 4 != 0) body.Close();
        const CodePage& codePage = round % 2 == 0 ? static_cast<const CodePage&>(singleByte) : dbcs;
        ParseOutcome expected = ReferenceParse(body.Build(), codePage);
        ASSERT_EQ(expected, ParseWithParser(body.Build(), codePage)) << "content '" << content << "'";
    }
}

}  // namespace
}  // namespace kestrune
