// Runs the built kestrune-parse and compares its whole output.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include <gtest/gtest.h>

#include "kestrune_parse/json_report.h"

namespace kestrune::tools {
namespace {

struct Outcome {
    int status;
    std::string out, err;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class KestruneParse : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrune-parse-XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(pattern));
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& content) {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    Outcome Execute(const std::string& arguments) {
        const std::string command = std::string("'") + KESTRUNE_PARSE_EXE + "' " + arguments + " >'" + dir_ +
                                    "/out' 2>'" + dir_ + "/err'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(dir_ + "/out"), Slurp(dir_ + "/err")};
    }

    std::string dir_;
};

TEST_F(KestruneParse, PrintsTheWholeReport) {
    const std::string body =
        "--XyZ\r\nContent-Disposition: form-data; name=\"Title\"\r\n\r\n"
        "Hello \"world\" \\ tab\there caf\xE9\r\n"
        "--XyZ\r\nContent-Disposition: form-data; name=\"title\"\r\n\r\nagain\r\n"
        "--XyZ\r\nContent-Disposition: form-data; name=\"upload\"; "
        "filename=\"C:\\docs\\report.final.pdf\"\r\n"
        "Content-Type: application/pdf\r\n\r\nabc\r\n"
        "--XyZ\r\nContent-Disposition: form-data; name=\"a=b\"\r\n\r\nv\r\n"
        "--XyZ--\r\n";
    const std::string expected = R"({
  "form_fields": [
    "title=Hello \"world\" \\ tab\u0009here café, again",
    "upload=C:\\docs\\report.final.pdf",
    "a=b=v"
  ],
  "file": {
    "name": "report.final.pdf",
    "ext": "pdf",
    "base": "report.final",
    "content_type": "application/pdf",
    "size": 3,
    "sha256": "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"
  },
  "form_variable": {
    "title": "Hello \"world\" \\ tab\u0009here café, again",
    "upload": "C:\\docs\\report.final.pdf",
    "a": "b=v"
  },
  "by_index": [
    "Hello \"world\" \\ tab\u0009here café, again",
    "C:\\docs\\report.final.pdf",
    "b=v"
  ]
}
)";
    const Outcome run = Execute("'" + Write("body", body) + "'");
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(expected, run.out);
    EXPECT_EQ("", run.err);
}

TEST_F(KestruneParse, AnEmptyBody) {
    const Outcome run = Execute("'" + Write("empty", "") + "'");
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(R"({
  "form_fields": [],
  "file": {
    "name": "",
    "ext": "",
    "base": "",
    "content_type": "",
    "size": 0,
    "sha256": "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"
  },
  "form_variable": {},
  "by_index": []
}
)",
              run.out);
}

TEST_F(KestruneParse, BadFilesAndUsage) {
    struct Case {
        const char* label;
        std::string arguments, err;
    };
    const std::vector<Case> cases = {
        {"missing file", "'" + dir_ + "/missing'",
         "kestrune-parse: cannot open '" + dir_ + "/missing': No such file or directory\n"},
        {"directory", "'" + dir_ + "'", "kestrune-parse: cannot read '" + dir_ + "': Is a directory\n"},
        {"no argument", "", "usage:"},
        {"two files", "a b", "usage:"},
        {"unknown option", "--fast x", "usage:"},
        {"bad count", "--repeat 0 x", "usage:"},
        {"count not a number", "--repeat 3x x", "usage:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const Outcome run = Execute(c.arguments);
        EXPECT_EQ(2, run.status);
        EXPECT_EQ("", run.out);
        EXPECT_EQ(0u, run.err.rfind(c.err, 0)) << run.err;
    }
}

TEST_F(KestruneParse, RepeatPrintsSecondsPerParse) {
    const Outcome run = Execute("--repeat 3 '" + Write("body", "--a\r\n--a--\r\n") + "'");
    EXPECT_EQ(0, run.status);
    EXPECT_TRUE(std::regex_match(run.out, std::regex("[0-9]+\\.[0-9]{6}\n"))) << run.out;
    const Outcome help = Execute("--help");
    EXPECT_EQ(0, help.status);
    EXPECT_NE(std::string::npos, help.out.find("two spaces"));
}

TEST(JsonString, LatinOneBytes) {
    struct Case {
        std::string text, json;
    };
    const std::vector<Case> cases = {
        {"", "\"\""},
        {"a\"b\\c/", "\"a\\\"b\\\\c/\""},
        {std::string("\0\x01\x1f\x20\x7f", 5), "\"\\u0000\\u0001\\u001f \x7f\""},
        {"\r\n", "\"\\u000d\\u000a\""},
        {"\x80\xA9\xFF", "\"\xC2\x80\xC2\xA9\xC3\xBF\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        EXPECT_EQ(c.json, JsonString(c.text));
    }
}

}  // namespace
}  // namespace kestrune::tools
