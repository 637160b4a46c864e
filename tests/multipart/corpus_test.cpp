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

// What a corpus body parses to, one builder call per case; what is not set is empty.
struct Known {
    explicit Known(const char* path) : body(path) {}
    Known& Lines(std::vector<std::string> expected) {
        lines = std::move(expected);
        return *this;
    }
    // The stored file: its size, first bytes and last bytes.
    Known& File(std::size_t size, std::string start, std::string end) {
        fileSize = size;
        fileStart = std::move(start);
        fileEnd = std::move(end);
        return *this;
    }
    Known& Name(std::string fileName, std::string ext, std::string base) {
        name = std::move(fileName);
        fileExt = std::move(ext);
        baseName = std::move(base);
        return *this;
    }
    Known& Type(std::string contentType) {
        type = std::move(contentType);
        return *this;
    }

    const char* body;
    std::vector<std::string> lines;
    std::size_t fileSize = 0;
    std::string fileStart, fileEnd, name, fileExt, baseName, type;
};

const std::string kPlain = "I am a plain text file";
const std::string kGif = "R0lGODlhAQABAJH/AP///wAAAMDAwAAAACH5BAEAAAIALAAAAAABAAEAAAICVAEAOw==";

TEST(CorpusTest, KnownOutcomes) {
    const Known cases[] = {
        // filename before name: the name search hits inside filename="..."
        Known("misc/boundary-substring-json.body")
            .Lines({"plain.txt="})
            .File(24, kPlain + "\r\n", kPlain + "\r\n")
            .Type("text/plain"),
        Known("no-filename/filename-name.body")
            .Lines({"plain.txt="})
            .File(24, kPlain + "\r\n", kPlain + "\r\n")
            .Type("text/plain"),
        Known("no-filename/generic.body")
            .Lines({"upload="})
            .File(23, kPlain + "\n", kPlain + "\n")
            .Type("text/plain"),
        // empty first line: every empty line is a delimiter
        Known("preamble/crlf.body").Lines({"=Content-Type: text/plain"}),
        // the preamble is the boundary line and, once, the delimiter of a headerless part
        Known("preamble/preamble.body").Lines({"=Content-Type: text/plain\r\n\r\n" + kPlain + "\r\n"}),
        Known("misc/empty.body"),
        Known("misc/empty-multipart2.body"),
        Known("workarounds/missing-hyphens1.body")
            .Lines({"upload=plain.txt"})
            .File(31, "I am a simple", "text file\r\n")
            .Name("plain.txt", "txt", "plain")
            .Type("text/plain"),
        Known("encoding/plain.txt.body")
            .Lines({"file=plain.txt"})
            .File(23, kPlain + "\n", kPlain + "\n")
            .Name("plain.txt", "txt", "plain")
            .Type("text/plain"),
        Known("encoding/blank.gif.body")
            .Lines({"file=blank.gif"})
            .File(68, kGif, kGif)
            .Name("blank.gif", "gif", "blank")
            .Type("image/gif"),
        Known("encoding/beta-sticker-1.png.body")
            .Lines({"sticker=beta-sticker-1.png"})
            .File(2216, "iVBORw0KGgo", "RU5ErkJggg==")
            .Name("beta-sticker-1.png", "png", "beta-sticker-1")
            .Type("image/png"),
        // the quote inside the file name ends it; the content is empty, so no file
        Known("special-chars-in-filename/xp-ie-7.body").Lines({"title=Weird filename", "upload= ? % * | "}),
        Known("special-chars-in-filename/osx-firefox-3.6.body")
            .Lines({"title=Weird filename", "upload=: \\ ? % * | "})
            .File(36, "I am a text", "funky name!\n")
            .Name(" ? % * | ", "", " ? % * | ")
            .Type("text/plain"),
        // bare LF everywhere: the file loses its last byte
        Known("special-chars-in-filename/line-separator.body")
            .Lines({"title=Weird filename", "upload=\xE2\x80\xA8.txt"})
            .File(35, "I am a text", "funky name!")
            .Name("\xE2\x80\xA8.txt", "txt", "\xE2\x80\xA8")
            .Type("text/plain"),
    };
    SingleByteCodePage singleByte;
    DbcsCodePage dbcs;
    for (const Known& c : cases) {
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
            EXPECT_EQ(c.fileExt, outcome.fileExt);
            EXPECT_EQ(c.baseName, outcome.baseName);
            EXPECT_EQ(c.type, outcome.contentType);
        }
    }
}

}  // namespace
}  // namespace kestrune
