#include <random>

#include <gtest/gtest.h>

#include "fakes/dbcs_code_page.h"
#include "members/form_collection.h"
#include "support/body_builder.h"
#include "support/upload_fixture.h"
#include "support/expect_throw_msg.h"
#include "support/reference_parser.h"

namespace kestrune::testing {
namespace {

using namespace std::string_literals;

TEST(FormFields, ByName) {
    struct Case {
        std::vector<std::string> lines;
        std::string query, expected;
    };
    const std::vector<Case> cases = {
        {{}, "anything", ""},
        {{"Title=A", "colour=B"}, "title", "A"},
        {{"Title=A", "colour=B"}, "TITLE", "A"},
        {{"Title=A", "colour=B"}, "Colour", "B"},
        {{"Title=A", "colour=B"}, "size", ""},
        {{"\xE9t\xE9=1"}, "\xC9T\xC9", ""},  // non-ASCII letters match exactly only
        {{"\xE9t\xE9=1"}, "\xE9T\xE9", "1"},
        {{"a=1", "A=2"}, "a", "1"},  // the first line of the name decides the value
        {{"a=1", "A=2"}, "A", "1"},
        {{"x=1=2"}, "x", "1=2"},
        {{"x=1=2"}, "x=1", ""},  // no name holds "="
        {{"=v"}, "", "v"},
        {{"k=v"}, "", ""},
        {{"x\0y=v"s}, "x", ""},  // a NUL before "=": the line has no name
        {{"x\0y=v"s, "=w"}, "", "w"},
        {{"ab=1", "AB=2", "aB=3"}, "Ab", "1"},
        {{"name=C:\\dir\\f.txt"}, "NAME", "C:\\dir\\f.txt"},
        {{"zip=1", "Apt=2"}, "ZIP", "1"},  // both ends of the ASCII letters fold
        {{"zip=1", "Apt=2"}, "aPT", "2"},
        {{"@=1", "`=2", "[=3", "{=4"}, "`", "2"},  // the bytes beside them do not
        {{"@=1", "`=2", "[=3", "{=4"}, "{", "4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("query [" + c.query + "] over " + std::to_string(c.lines.size()) + " lines");
        Upload upload(LinesBody(c.lines));
        upload.Receive();
        ASSERT_EQ(static_cast<std::int32_t>(c.lines.size()), upload.object.FormVariableCount());
        EXPECT_EQ(c.expected, upload.object.FormVariable(c.query));
    }
}

TEST(FormFields, ByIndex) {
    Upload empty(LinesBody({}));
    empty.Receive();
    EXPECT_EQ(0, empty.object.FormVariableCount());
    EXPECT_THROW_MSG(empty.object.FormVariableByIndex(0), EUploadError, "Index out of range.");
    EXPECT_THROW_MSG(empty.object.FormVariableByIndex(-1), EListError, "List index out of bounds (-1)");

    Upload three(LinesBody({"a=1", "b=2", "c=3=4"}));
    three.Receive();
    struct Case {
        std::int32_t index;
        std::string expected;
    };
    for (const auto& c : std::vector<Case>{{0, "1"}, {1, "2"}, {2, "3=4"}}) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(c.expected, three.object.FormVariableByIndex(c.index));
    }
    EXPECT_THROW_MSG(three.object.FormVariableByIndex(3), EUploadError, "Index out of range.");
    EXPECT_THROW_MSG(three.object.FormVariableByIndex(INT32_MAX), EUploadError, "Index out of range.");
    EXPECT_THROW_MSG(three.object.FormVariableByIndex(-1), EListError, "List index out of bounds (-1)");
    EXPECT_THROW_MSG(three.object.FormVariableByIndex(INT32_MIN), EListError,
                     "List index out of bounds (-2147483648)");

    Upload repeated(LinesBody({"a=1", "A=2"}));
    repeated.Receive();
    EXPECT_EQ("1", repeated.object.FormVariableByIndex(1));  // by the line's name, not its text
}

template <typename CodePageType>
void CompareWithWalk(const std::vector<std::string>& atoms, unsigned seed) {
    std::mt19937 random(seed);
    for (int round = 0; round < 40; ++round) {
        std::vector<std::string> lines;
        std::vector<std::string> names;
        const int count = static_cast<int>(random() % 12);
        for (int i = 0; i < count; ++i) {
            std::string name;
            for (int k = static_cast<int>(random() % 3); k > 0; --k) name += atoms[random() % atoms.size()];
            names.push_back(name);
            lines.push_back(name + "=v" + std::to_string(i));
        }
        const CodePageType codePage{};
        Upload upload(LinesBody(lines), codePage);
        upload.Receive();
        ReferenceReads walk(lines, codePage);
        SCOPED_TRACE("seed " + std::to_string(seed) + " round " + std::to_string(round));
        ASSERT_EQ(count, upload.object.FormVariableCount());
        names.insert(names.end(), atoms.begin(), atoms.end());
        names.push_back("");
        for (const auto& query : names) {
            EXPECT_EQ(walk.FormVariable(query), upload.object.FormVariable(query)) << "[" << query << "]";
        }
        for (std::int32_t i = 0; i < count; ++i)
            EXPECT_EQ(walk.FormVariableByIndex(i).text, upload.object.FormVariableByIndex(i));
    }
}

TEST(FormFields, EqualTheWalkOverEveryLine) {
    CompareWithWalk<SingleByteCodePage>({"a", "A", "b", "=", std::string(1, '\0'), "\xE9", "\xC9", " "}, 1);
    // Full-width A/a (0x82 0x60 / 0x82 0x81) fold only under the double-byte code page;
    // 0x82 0x3D carries a "=" as its trail byte.
    CompareWithWalk<DbcsCodePage>({"a", "A", "\x82\x60", "\x82\x81", "\x82=", "=", "x"}, 2);
}

// The Form collection: text fields only, each name's values apart, as a page lists them.
TEST(FormFields, FormKeepsEveryNameAndEachOfItsValues) {
    const std::string big(70000, 'v');  // longer than a line the parser holds
    const std::string body = BodyBuilder()
                                 .Field("item", "a, b")
                                 .File("upload", "f.txt", "text/plain", "data")
                                 .Field("ITEM", "c")
                                 .File("empty", "", "application/octet-stream", "")
                                 .Field("note", "x\ny")
                                 .Delimiter()  // a text field sent with a type, as some clients do
                                 .Line("Content-Disposition: form-data; name=\"json\"")
                                 .Line("Content-Type: application/json")
                                 .Line("")
                                 .Line("{\"a\":\r1}")
                                 .Field("", "anonymous")
                                 .Field("big", big)
                                 .Delimiter()  // a file name without a type is a file still
                                 .Line("Content-Disposition: form-data; name=\"bare\"; filename=\"b.txt\"")
                                 .Line("")
                                 .Line("b")
                                 .Close()
                                 .Build();
    Upload upload(body);
    const FormCollection& form = upload.Receive().Form();
    struct Case {
        std::string key;
        std::vector<std::string> values;
    };
    const std::vector<Case> cases = {
        {"item", {"a, b", "c"}}, {"note", {"x\r\ny"}}, {"json", {"{\"a\":\r1}"}},
        {"", {"anonymous"}},     {"big", {big}},
    };
    ASSERT_EQ(static_cast<std::int32_t>(cases.size()), form.Count());
    for (std::int32_t i = 0; i < form.Count(); ++i) {
        const Case& c = cases[static_cast<std::size_t>(i)];
        SCOPED_TRACE("[" + c.key + "]");
        EXPECT_EQ(c.key, form.Key(i));
        EXPECT_EQ(i, form.IndexOf(c.key));
        ASSERT_EQ(static_cast<std::int32_t>(c.values.size()), form.ValueCount(i));
        for (std::int32_t v = 0; v < form.ValueCount(i); ++v)
            EXPECT_EQ(c.values[static_cast<std::size_t>(v)], form.Value(i, v));
    }
    EXPECT_EQ("a, b, c", form.Joined(0));
    for (const char* absent : {"upload", "empty", "bare", "items", "ite"})
        EXPECT_EQ(-1, form.IndexOf(absent));
    EXPECT_EQ(0, form.IndexOf("Item"));

    // Names group by the list's comparison, and are found by FormVariable's: ASCII case
    // folds, and other letters match any spelling that was sent.
    const DbcsCodePage dbcs;
    Upload wide(BodyBuilder().Field("\x82\x60", "1").Field("\x82\x81", "2").Close().Build(), dbcs);
    const FormCollection& folded = wide.Receive().Form();
    ASSERT_EQ(1, folded.Count());
    EXPECT_EQ("\x82\x60", folded.Key(0));
    EXPECT_EQ(0, folded.IndexOf("\x82\x81"));
    EXPECT_EQ("1, 2", folded.Joined(0));

    // On the Unicode road names and values are decoded from the body's code page.
    Upload decoded(BodyBuilder().Field("\xE9t\xE9", "\xE0").Field("\xE9T\xE9", "b").Close().Build());
    decoded.Receive().SetTextRules(TextRules(65001, std::make_shared<SingleByteCodePage>(), SingleByte()));
    const FormCollection& utf8 = decoded.object.Form();
    ASSERT_EQ(1, utf8.Count());
    EXPECT_EQ("\xC3\xA9t\xC3\xA9", utf8.Key(0));
    EXPECT_EQ("\xC3\xA0, b", utf8.Joined(0));
    EXPECT_EQ(0, utf8.IndexOf("\xC3\xA9T\xC3\xA9"));
}

}  // namespace
}  // namespace kestrune::testing
