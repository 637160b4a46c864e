// Fuzz target: the whole input is a request body. It goes through intake and the parser
// under the single-byte and (when it holds a lead byte) the double-byte code page, and
// once more cut short; each time the object must hold exactly what the reference parser
// makes of it, and (for the whole body) every script-facing read must answer what a
// plain walk of the list gives. The whole body goes through the body-file road too, read
// through a window so small that lines and delimiters straddle its moves, and must give
// exactly the same.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "fakes/dbcs_code_page.h"
#include "multipart/body_text.h"
#include "fuzz_check.h"
#include "support/reference_parser.h"
#include "support/upload_fixture.h"
#include "upload_checks.h"

namespace {

using namespace kestrune;
using namespace kestrune::fuzz;
using kestrune::testing::Upload;

// Which of the script-facing reads a pass checks: the reads of the whole body check
// the list, a cut body's would only repeat them.
enum class Reads { None, InRange, AlsoOutside };

void CheckBody(std::string_view body, const CodePage& codePage, Reads reads) {
    Upload fixture{std::string(body), codePage};
    fixture.object.SetBodyFileThreshold(INT64_MAX);
    const TTessock& upload = fixture.Receive();
    FUZZ_CHECK(fixture.host.Output().empty(), "a message was written for a body that was read whole");
    FUZZ_CHECK(upload.Body().View() == body, "the buffered body differs from the one sent");
    if (reads != Reads::None) CheckObject(upload, codePage, reads == Reads::AlsoOutside);
    CheckAgainstReference(upload, ReferenceParse(body, codePage));
    FUZZ_CHECK(fixture.files.Calls().empty(), "reading touched the file system");
}

struct Parsed {
    Parsed(const CodePage& codePage, BodyWindow& body) : source(body), fields(codePage) {
        fields.SetTextSource(&source);
    }
    WindowText source;
    TStringList fields;
    TBodyParts found;
};

bool SameParts(const TBodyParts& a, const TBodyParts& b) {
    if (a.Files.size() != b.Files.size() || a.Fields.size() != b.Fields.size()) return false;
    for (std::size_t i = 0; i < a.Files.size(); ++i) {
        const TFilePart &x = a.Files[i], &y = b.Files[i];
        if (x.DataStart != y.DataStart || x.DataSize != y.DataSize ||
            x.FirstHeaderLine != y.FirstHeaderLine || x.SecondHeaderLine != y.SecondHeaderLine)
            return false;
    }
    for (std::size_t i = 0; i < a.Fields.size(); ++i) {
        const TFieldPart &x = a.Fields[i], &y = b.Fields[i];
        if (x.FirstHeaderLine != y.FirstHeaderLine || x.ValueStart != y.ValueStart ||
            x.ValueEnd != y.ValueEnd || x.IsFile != y.IsFile)
            return false;
    }
    return true;
}

void CheckWindowed(std::string_view body, const CodePage& codePage, std::size_t capacity) {
    BodyWindow memory(body);
    Parsed inMemory(codePage, memory);
    ParseMultipart(
        memory, [] { return true; }, inMemory.fields, inMemory.found);
    kestrune::testing::FakeFileSystem files;
    std::unique_ptr<BodyFile> file = files.CreateBodyFile();
    file->Append(body.data(), body.size());
    const auto size = static_cast<std::int64_t>(body.size());
    BodyWindow window(*file, size, size, capacity);
    Parsed windowed(codePage, window);
    ParseMultipart(
        window, [] { return true; }, windowed.fields, windowed.found);
    FUZZ_CHECK(windowed.fields.Count() == inMemory.fields.Count(), "the windowed parse lists other parts");
    for (std::int32_t i = 0; i < windowed.fields.Count(); ++i)
        FUZZ_CHECK(windowed.fields.Line(i) == inMemory.fields.Line(i), "a windowed list line differs");
    FUZZ_CHECK(SameParts(windowed.found, inMemory.found), "the windowed parse lists other parts");
    for (std::size_t i = 0; i < inMemory.found.Fields.size(); ++i)
        FUZZ_CHECK(TextOf(PartValue(window, windowed.found.Fields[i]), &windowed.source) ==
                       TextOf(PartValue(memory, inMemory.found.Fields[i]), &inMemory.source),
                   "a windowed part reads another value");
    if (inMemory.found.Files.empty()) return;
    const TFileRecord a = DescribeFilePart(window, windowed.found.Files[0], codePage);
    const TFileRecord b = DescribeFilePart(memory, inMemory.found.Files[0], codePage);
    FUZZ_CHECK(a.FileNameText == b.FileNameText && a.ContentTypeText == b.ContentTypeText &&
                   a.FieldNameText == b.FieldNameText,
               "the windowed parse describes another file");
}

bool HasLeadByte(std::string_view body, const CodePage& codePage) {
    for (const char byte : body) {
        if (codePage.IsLeadByte(static_cast<unsigned char>(byte))) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const CodePage& singleByte = kestrune::testing::SingleByte();
    static const DbcsCodePage doubleByte;
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    CheckBody(body, singleByte, Reads::AlsoOutside);
    if (size > 0) CheckWindowed(body, singleByte, 1 + data[size - 1] % 61);
    // Without a lead byte both code pages read a body alike, and the second pass would
    // repeat the first.
    if (HasLeadByte(body, doubleByte)) CheckBody(body, doubleByte, Reads::InRange);
    if (size > 1) {
        // A cut at an offset that the input itself picks: any prefix of a body is a body.
        std::size_t cut = 0;
        for (unsigned char byte : body) cut = cut * 31 + byte;
        CheckBody(body.substr(0, cut % size), singleByte, Reads::None);
    }
    return 0;
}
