#include "base/string_list.h"

#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "fakes/dbcs_code_page.h"
#include "host/posix/single_byte_code_page.h"
#include "support/expect_throw_msg.h"

namespace kestrune {
namespace {

using namespace std::string_literals;

// The plain list walk that the indexes must agree with.
class ReferenceList {
public:
    explicit ReferenceList(const CodePage& codePage) : codePage_(codePage) {}

    std::optional<std::string> NameOf(const std::string& line) const {
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\0') return std::nullopt;
            if (line[i] == '=') return line.substr(0, i);
            if (codePage_.IsLeadByte(static_cast<unsigned char>(line[i]))) {
                if (i + 1 < line.size() && line[i + 1] == '\0') return std::nullopt;
                ++i;
            }
        }
        return std::nullopt;
    }

    std::int32_t IndexOfName(const std::string& name) const {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            auto lineName = NameOf(lines[i]);
            if (lineName && codePage_.NamesEqual(*lineName, name)) return static_cast<std::int32_t>(i);
        }
        return -1;
    }

    std::string Value(const std::string& name) const {
        std::int32_t index = IndexOfName(name);
        if (index < 0 || lines[index].size() < name.size() + 1) return "";
        return lines[index].substr(name.size() + 1);
    }

    std::int32_t LastIndexOfAsciiUpperName(const std::string& upperName) const {
        for (std::size_t i = lines.size(); i-- > 0;) {
            if (AsciiUpperCase(NameOf(lines[i]).value_or("")) == upperName)
                return static_cast<std::int32_t>(i);
        }
        return -1;
    }

    std::vector<std::string> lines;

private:
    const CodePage& codePage_;
};

struct NameCase {
    const char* label;
    std::string line;
    std::optional<std::string> singleByteName;
    std::optional<std::string> dbcsName;
};

TEST(StringListTest, NameIsTheTextBeforeTheFirstEqualsSign) {
    const NameCase cases[] = {
        {"plain", "a=1", "a"s, "a"s},
        {"empty name", "=v", ""s, ""s},
        {"no equals", "novalue", std::nullopt, std::nullopt},
        {"empty line", "", std::nullopt, std::nullopt},
        {"second equals in value", "x=1=2", "x"s, "x"s},
        {"NUL before equals", "a\0b=c"s, std::nullopt, std::nullopt},
        {"NUL first", "\0=x"s, std::nullopt, std::nullopt},
        {"NUL in value", "ab=\0c"s, "ab"s, "ab"s},
        {"equals as trail byte", "\x81=b=c", "\x81"s, "\x81=b"s},
        {"only equals is a trail byte", "x\x81=", "x\x81"s, std::nullopt},
        {"NUL after lead byte", "\x81\0=x"s, std::nullopt, std::nullopt},
        {"full-width letter", "\x82\x60=v", "\x82\x60"s, "\x82\x60"s},
        {"trail byte 0x5C", "\x95\x5C=v", "\x95\x5C"s, "\x95\x5C"s},
    };
    SingleByteCodePage singleByte;
    DbcsCodePage dbcs;
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.label);
        for (const auto& [codePage, expected] :
             {std::pair<const CodePage*, std::optional<std::string>>{&singleByte, c.singleByteName},
              {&dbcs, c.dbcsName}}) {
            TStringList list(*codePage);
            list.Append("first");
            list.Append(c.line);
            EXPECT_EQ(expected.value_or(""), list.Name(1));
            EXPECT_EQ(expected ? 1 : -1, list.IndexOfName(expected.value_or("")));
            EXPECT_EQ(1, list.LastIndexOfAsciiUpperName(AsciiUpperCase(expected.value_or(""))));
        }
    }
}

TEST(StringListTest, LookupsByName) {
    SingleByteCodePage codePage;
    TStringList list(codePage);
    for (const char* line : {"Title=A", "colour=B", "x=1=2", "=v", "a=1", "A=2", "lonely", "\xE9=e"})
        list.Append(line);
    struct {
        const char* label;
        std::string name;
        std::int32_t index;
        std::string value;
    } const cases[] = {
        {"other case", "title", 0, "A"},
        {"upper case", "TITLE", 0, "A"},
        {"exact", "colour", 1, "B"},
        {"missing", "size", -1, ""},
        {"value keeps later equals", "x", 2, "1=2"},
        {"empty name", "", 3, "v"},
        {"first of repeated name wins", "A", 4, "1"},
        {"name with equals never found", "x=1", -1, ""},
        {"line without equals not found", "lonely", -1, ""},
        {"accented case differs", "\xC9", -1, ""},
        {"accented same", "\xE9", 7, "e"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.index, list.IndexOfName(c.name));
        EXPECT_EQ(c.value, list.Value(c.name));
    }
    EXPECT_EQ(5, list.LastIndexOfAsciiUpperName("A"));
    EXPECT_EQ(6, list.LastIndexOfAsciiUpperName(""));
    EXPECT_EQ(-1, list.LastIndexOfAsciiUpperName("a"));
    EXPECT_EQ(-1, list.LastIndexOfAsciiUpperName("LONELY"));
}

TEST(StringListTest, BadIndexesThrowTheListBoundsError) {
    SingleByteCodePage codePage;
    TStringList list(codePage);
    EXPECT_THROW_MSG(list.Line(0), EListError, "List index out of bounds (0)");
    list.Append("a=1");
    list.Append("b=2");
    EXPECT_THROW_MSG(list.Line(-1), EListError, "List index out of bounds (-1)");
    EXPECT_THROW_MSG(list.Line(2), EListError, "List index out of bounds (2)");
    EXPECT_THROW_MSG(list.Name(-2147483647 - 1), EListError, "List index out of bounds (-2147483648)");
    EXPECT_THROW_MSG(list.Name(7), EListError, "List index out of bounds (7)");
    EXPECT_THROW_MSG(list.Replace(2, "b=3"), EListError, "List index out of bounds (2)");
    EXPECT_EQ("b=2", list.Line(1));
}

TEST(StringListTest, ReplaceKeepsThePositionAndTheIndexes) {
    DbcsCodePage codePage;
    TStringList list(codePage);
    list.Append("Color=red");
    list.Append("b=1");
    list.Append("COLOR=x");
    list.Replace(0, "color=red, blue");
    EXPECT_EQ("color=red, blue", list.Line(0));
    EXPECT_EQ(0, list.IndexOfName("cOlOr"));
    EXPECT_EQ(2, list.LastIndexOfAsciiUpperName("COLOR"));

    // Full-width letters fold in the list comparison but not in ASCII upper-casing, so
    // this merge changes the line's upper-cased name.
    list.Append("\x82\x81=1");
    list.Append(
        "\x82\x81"
        "b=2");
    list.Replace(3, "\x82\x60=1, 2");
    EXPECT_EQ(3, list.IndexOfName("\x82\x81"));
    EXPECT_EQ(-1, list.LastIndexOfAsciiUpperName("\x82\x81"));
    EXPECT_EQ(3, list.LastIndexOfAsciiUpperName("\x82\x60"));
}

TEST(StringListTest, MergeValueAppendsToTheFirstValue) {
    SingleByteCodePage codePage;
    struct {
        const char* label;
        std::string line;
        std::string name;
        std::string value;
        std::string merged;
    } const cases[] = {
        {"respelled name", "Color=red", "color", "blue", "color=red, blue"},
        {"empty values", "a=", "A", "", "A=, "},
        {"empty name", "=v0", "", "\r\nx", "=v0, \r\nx"},
        {"value with equals", "x=1=2", "X", "3", "X=1=2, 3"},
        {"name longer than the line", "ab", "abc", "v", "abc=, v"},
        {"no equals where the name ends", "ab=1", "a", "v", "a==1, v"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TStringList list(codePage);
        list.Append("first=0");
        list.Append(c.line);
        list.MergeValue(1, c.name, c.value);
        EXPECT_EQ(c.merged, list.Line(1));
        EXPECT_EQ("first=0", list.Line(0));
    }
    TStringList list(codePage);
    EXPECT_THROW_MSG(list.MergeValue(0, "a", "v"), EListError, "List index out of bounds (0)");
}

// Random lists built from pieces that stress the name rules under both code pages.
class StringListAgainstWalk : public ::testing::TestWithParam<bool> {
protected:
    const std::vector<std::string> pieces_ = {"a",
                                              "A",
                                              "b",
                                              "B",
                                              "\xE9",
                                              "\xC9",
                                              "\x82\x60",
                                              "\x82\x81",
                                              "\x81"
                                              "a",
                                              "\x81"
                                              "A",
                                              "\x81",
                                              "\0"s,
                                              "=",
                                              "\x95\x5C"};

    std::string RandomText(std::mt19937& random, int maxPieces) {
        std::string text;
        int count = std::uniform_int_distribution<int>(0, maxPieces)(random);
        for (int i = 0; i < count; ++i) text += pieces_[random() % pieces_.size()];
        return text;
    }

    std::string RandomLine(std::mt19937& random) {
        std::string line = RandomText(random, 3);
        if (random() % 5 != 0) line += "=" + RandomText(random, 2);
        return line;
    }

    // Another spelling of name under the list comparison (flips case where it folds).
    static std::string Respell(const std::string& name, const CodePage& codePage, std::mt19937& random) {
        std::string text = name;
        for (std::size_t i = 0; i < text.size(); ++i) {
            unsigned char byte = static_cast<unsigned char>(text[i]);
            if (codePage.IsLeadByte(byte) && i + 1 < text.size()) {
                unsigned char trail = static_cast<unsigned char>(text[i + 1]);
                if (byte == 0x82 && random() % 2 == 0) {
                    if (trail >= 0x60 && trail <= 0x79)
                        text[i + 1] = static_cast<char>(trail + 0x21);
                    else if (trail >= 0x81 && trail <= 0x9A)
                        text[i + 1] = static_cast<char>(trail - 0x21);
                }
                ++i;
            } else if ((byte | 0x20) >= 'a' && (byte | 0x20) <= 'z' && random() % 2 == 0) {
                text[i] = static_cast<char>(byte ^ 0x20);
            }
        }
        return text;
    }
};

TEST_P(StringListAgainstWalk, IndexesGiveTheResultsOfAWalk) {
    SingleByteCodePage singleByte;
    DbcsCodePage dbcs;
    const CodePage& codePage = GetParam() ? static_cast<const CodePage&>(dbcs) : singleByte;
    for (unsigned seed = 1; seed <= 25; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        TStringList list(codePage);
        ReferenceList reference(codePage);
        for (int step = 0; step < 120; ++step) {
            int choice = static_cast<int>(random() % 10);
            if (choice < 7 || reference.lines.empty()) {
                std::string line = RandomLine(random);
                list.Append(line);
                reference.lines.push_back(line);
            } else {
                auto index = static_cast<std::int32_t>(random() % reference.lines.size());
                std::string line;
                auto name = reference.NameOf(reference.lines[index]);
                std::string& current = reference.lines[index];
                if (choice == 7 && name) {
                    line = Respell(*name, codePage, random) + "=" + RandomText(random, 2);
                    list.Replace(index, line);
                    current = line;
                } else if (choice == 8) {
                    // Normally a respelling; sometimes any text, which the list must cope with.
                    std::string mergeName =
                        name && random() % 4 != 0 ? Respell(*name, codePage, random) : RandomText(random, 2);
                    std::string value = RandomText(random, 2);
                    list.MergeValue(index, mergeName, value);
                    std::string earlier =
                        current.size() > mergeName.size() ? current.substr(mergeName.size() + 1) : "";
                    current = mergeName + "=" + earlier + ", " + value;
                } else {
                    line = RandomLine(random);  // not a merge: the indexes must cope anyway
                    list.Replace(index, line);
                    current = line;
                }
            }
            ASSERT_EQ(static_cast<std::int32_t>(reference.lines.size()), list.Count());
            std::vector<std::string> queries;
            for (int q = 0; q < 6; ++q) queries.push_back(RandomText(random, 3));
            for (std::size_t i = reference.lines.size() > 8 ? reference.lines.size() - 8 : 0;
                 i < reference.lines.size(); ++i) {
                queries.push_back(reference.NameOf(reference.lines[i]).value_or(""));
            }
            for (const std::string& query : queries) {
                ASSERT_EQ(reference.IndexOfName(query), list.IndexOfName(query)) << "step " << step;
                ASSERT_EQ(reference.Value(query), list.Value(query)) << "step " << step;
                std::string upper = AsciiUpperCase(query);
                ASSERT_EQ(reference.LastIndexOfAsciiUpperName(upper), list.LastIndexOfAsciiUpperName(upper))
                    << "step " << step;
            }
        }
        for (std::size_t i = 0; i < reference.lines.size(); ++i) {
            auto index = static_cast<std::int32_t>(i);
            ASSERT_EQ(reference.lines[i], list.Line(index));
            ASSERT_EQ(reference.NameOf(reference.lines[i]).value_or(""), list.Name(index));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(CodePages, StringListAgainstWalk, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Dbcs" : "SingleByte"; });

}  // namespace
}  // namespace kestrune
