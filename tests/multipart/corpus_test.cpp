// Real browser bodies: each parses without a crash and as the reference does; for a few,
// the outcome worked out by hand from their bytes.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fakes/dbcs_code_page.h"
#include "host/posix/single_byte_code_page.h"
#include "support/parse_outcome.h"
#include "support/reference_parser.h"

namespace kestrune {
namespace {

const std::filesystem::path kCorpus = KESTRUNE_CORPUS_DIR;

std::string ReadBody(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(CorpusTest, EveryBodyParsesAsTheReferenceDoes) {
    SingleByteCodePage singleByte;
    DbcsCodePage dbcs;
    int bodies = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kCorpus)) {
        if (entry.path().extension() != ".body") continue;
        SCOPED_TRACE(entry.path().string());
        ++bodies;
        const std::string body = ReadBody(entry.path());
        for (const CodePage* codePage :
             {static_cast<const CodePage*>(&singleByte), static_cast<const CodePage*>(&dbcs)}) {
            ParseOutcome outcome = ParseWithParser(body, *codePage);
            EXPECT_EQ(ReferenceParse(body, *codePage), outcome);
            EXPECT_LE(outcome.fileData.size(), body.size());
        }
    }
    EXPECT_GE(bodies, 20);
}

struct CorpusCase {
    const char* body;
    std::vector<std::string> lines;
    std::string fileStart;  // the file's first bytes
    std::string fileEnd;    // and its last
    std::size_t fileSize;
    std::string name;
    std::string ext;
    std::string base;
    std::string type;
};

const std::string kPlain = "I am a plain text file";
const std::string kGif = "R0lGODlhAQABAJH/AP///wAAAMDAwAAAACH5BAEAAAIALAAAAAABAAEAAAICVAEAOw==";

TEST(CorpusTest, KnownOutcomes) {
    const CorpusCase cases[] = {
        // filename before name: the name search hits inside filename="..."
        {"misc/boundary-substring-json.body",
         {"plain.txt="},
         kPlain + "\r\n",
         kPlain + "\r\n",
         24,
         "",
         "",
         "",
         "text/plain"},
        {"no-filename/filename-name.body",
         {"plain.txt="},
         kPlain + "\r\n",
         kPlain + "\r\n",
         24,
         "",
         "",
         "",
         "text/plain"},
        {"no-filename/generic.body", {"upload="}, kPlain + "\n", kPlain + "\n", 23, "", "", "", "text/plain"},
        // empty first line: every empty line is a delimiter
        {"preamble/crlf.body", {"=Content-Type: text/plain"}, "", "", 0, "", "", "", ""},
        // the preamble is the boundary line and, once, the delimiter of a headerless part
        {"preamble/preamble.body",
         {"=Content-Type: text/plain\r\n\r\n" + kPlain + "\r\n"},
         "",
         "",
         0,
         "",
         "",
         "",
         ""},
        {"misc/empty.body", {}, "", "", 0, "", "", "", ""},
        {"misc/empty-multipart2.body", {}, "", "", 0, "", "", "", ""},
        {"workarounds/missing-hyphens1.body",
         {"upload=plain.txt"},
         "I am a simple",
         "text file\r\n",
         31,
         "plain.txt",
         "txt",
         "plain",
         "text/plain"},
        {"encoding/plain.txt.body",
         {"file=plain.txt"},
         kPlain + "\n",
         kPlain + "\n",
         23,
         "plain.txt",
         "txt",
         "plain",
         "text/plain"},
        {"encoding/blank.gif.body",
         {"file=blank.gif"},
         kGif,
         kGif,
         68,
         "blank.gif",
         "gif",
         "blank",
         "image/gif"},
        {"encoding/beta-sticker-1.png.body",
         {"sticker=beta-sticker-1.png"},
         "iVBORw0KGgo",
         "RU5ErkJggg==",
         2216,
         "beta-sticker-1.png",
         "png",
         "beta-sticker-1",
         "image/png"},
        // the quote inside the file name ends it; the content is empty, so no file
        {"special-chars-in-filename/xp-ie-7.body",
         {"title=Weird filename", "upload= ? % * | "},
         "",
         "",
         0,
         "",
         "",
         "",
         ""},
        {"special-chars-in-filename/osx-firefox-3.6.body",
         {"title=Weird filename", "upload=: \\ ? % * | "},
         "I am a text",
         "funky name!\n",
         36,
         " ? % * | ",
         "",
         " ? % * | ",
         "text/plain"},
        // bare LF everywhere: the file loses its last byte
        {"special-chars-in-filename/line-separator.body",
         {"title=Weird filename", "upload=\xE2\x80\xA8.txt"},
         "I am a text",
         "funky name!",
         35,
         "\xE2\x80\xA8.txt",
         "txt",
         "\xE2\x80\xA8",
         "text/plain"},
    };
    SingleByteCodePage singleByte;
    DbcsCodePage dbcs;
    for (const CorpusCase& c : cases) {
        SCOPED_TRACE(c.body);
        const std::string body = ReadBody(kCorpus / "formidable" / c.body);
        for (const CodePage* codePage :
             {static_cast<const CodePage*>(&singleByte), static_cast<const CodePage*>(&dbcs)}) {
            ParseOutcome outcome = ParseWithParser(body, *codePage);
            EXPECT_EQ(c.lines, outcome.lines);
            EXPECT_EQ(c.fileSize, outcome.fileData.size());
            EXPECT_EQ(c.fileStart, outcome.fileData.substr(0, c.fileStart.size()));
            EXPECT_EQ(c.fileEnd,
                      outcome.fileData.substr(outcome.fileData.size() -
                                              std::min(outcome.fileData.size(), c.fileEnd.size())));
            EXPECT_EQ(c.name, outcome.fileName);
            EXPECT_EQ(c.ext, outcome.fileExt);
            EXPECT_EQ(c.base, outcome.baseName);
            EXPECT_EQ(c.type, outcome.contentType);
        }
    }
}

}  // namespace
}  // namespace kestrune
