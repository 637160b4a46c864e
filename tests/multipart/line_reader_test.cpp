#include "multipart/line_reader.h"

#include <string>

#include <gtest/gtest.h>

#include "fakes/fake_file_system.h"

namespace kestrune {
namespace {

using namespace std::string_literals;

struct LineCase {
    const char* label;
    std::string body;
    std::int32_t start;
    std::string line;
    std::int32_t count;
};

TEST(ReadLineTest, Table) {
    const LineCase cases[] = {
        {"CR LF ends the line", "abc\r\ndef", 0, "abc", 5},
        {"last line without LF runs to the end", "abc\r\ndef", 5, "def", 3},
        {"bare LF", "abc\ndef", 0, "abc", 4},
        {"every CR dropped", "a\rb\r\r\nc", 0, "ab", 6},
        {"lone CR neither ends nor stays", "a\rb\n", 0, "ab", 4},
        {"CR LF alone", "\r\n", 0, "", 2},
        {"LF alone", "\n", 0, "", 1},
        {"CR CR", "\r\r", 0, "", 2},
        {"start at the size", "abc", 3, "", 0},
        {"start past the size", "abc", 10, "", 0},
        {"empty body", "", 0, "", 0},
        {"NUL stays", "a\0b\r\n"s, 0, "a\0b"s, 5},
        {"start inside a line", "abc\r\ndef", 1, "bc", 4},
        {"start at the LF", "abc\r\ndef", 4, "", 1},
        {"start at the CR", "abc\r\ndef", 3, "", 2},
        {"CR at the end", "ab\r", 0, "ab", 3},
        {"high bytes stay", "\xff\x80\x0d\x0a", 0, "\xff\x80", 4},
    };
    testing::FakeFileSystem files;
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.label);
        std::string line = "stale";
        BodyWindow memory(c.body);
        EXPECT_EQ(c.count, ReadLine(memory, c.start, line));
        EXPECT_EQ(c.line, line);
        // The same from a body file through windows that a line straddles.
        const std::unique_ptr<BodyFile> file = files.CreateBodyFile();
        file->Append(c.body.data(), c.body.size());
        const auto size = static_cast<std::int64_t>(c.body.size());
        for (const std::size_t capacity : {1, 2, 3, 64}) {
            SCOPED_TRACE(capacity);
            BodyWindow window(*file, size, size, capacity);
            line = "stale";
            EXPECT_EQ(c.count, ReadLine(window, c.start, line));
            EXPECT_EQ(c.line, line);
        }
    }
}

// Comparing a line with a known one needs only one character more than that line: the
// rest of a line of any length is passed over, not kept.
TEST(ReadLineTest, KeepsNoMoreThanAsked) {
    const struct {
        const char* label;
        std::string body;
        std::size_t keep;
        std::string line;
        std::int32_t count;
    } cases[] = {
        {"long line", "abcdef\r\nx", 3, "abc", 8},
        {"CRs are not kept, so not counted", "a\rb\rcdef\n", 2, "ab", 9},
        {"keep 1 tells empty from not", "\r\r\n", 1, "", 3},
        {"shorter than keep", "ab\n", 5, "ab", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        BodyWindow window(c.body);
        std::string line;
        EXPECT_EQ(c.count, ReadLine(window, 0, line, c.keep));
        EXPECT_EQ(c.line, line);
    }
}

TEST(ReadLineTest, LinesFollowEachOtherToTheEnd) {
    const std::string text = "one\r\ntwo\nthree\r\r\n\nfour";
    BodyWindow body(text);
    const char* expected[] = {"one", "two", "three", "", "four"};
    std::int32_t offset = 0;
    std::string line;
    for (const char* text : expected) {
        SCOPED_TRACE(text);
        std::int32_t count = ReadLine(body, offset, line);
        EXPECT_EQ(text, line);
        ASSERT_GT(count, 0);
        offset += count;
    }
    EXPECT_EQ(static_cast<std::int32_t>(text.size()), offset);
    EXPECT_EQ(0, ReadLine(body, offset, line));
}

}  // namespace
}  // namespace kestrune
