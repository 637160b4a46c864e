// Fuzz target: the whole input is a request body, checked on one road that the input
// picks (bits of a hash of it): intake in memory, where every script-facing read of the
// object must also answer what a plain walk of the list gives; or the parser over a body
// file read through a window so small that lines and delimiters straddle its moves. The
// code page is picked too: the double-byte one when the body holds a lead byte and the
// hash says so, else the single-byte one (without a lead byte both read a body alike).
// Whole and once more cut short, and with lines and names held to a few characters where
// the input says so, the body must give exactly what the reference parser makes of it,
// and each file it lists the same type, image size and safe name through the parse's
// window as alone.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "fakes/dbcs_code_page.h"
#include "fuzz_check.h"
#include "members/file_type.h"
#include "members/image_size.h"
#include "members/safe_name.h"
#include "members/target_path.h"
#include "multipart/body_text.h"
#include "support/parse_outcome.h"
#include "support/reference_parser.h"
#include "support/upload_fixture.h"
#include "upload_checks.h"

namespace {

using namespace kestrune;
using namespace kestrune::fuzz;
using kestrune::testing::Upload;

// What the file members tell of a listed file: the same through the parse's window as
// from a copy of exactly the file's bytes (so nothing outside the file counts, and a read
// past it is caught), an image size with both sides or neither; and a safe name that is
// a name SaveFile takes, and safe already.
void CheckFileFacts(BodyWindow& window, const TFileRecord& file, const CodePage& codePage) {
    const auto offset = static_cast<std::size_t>(file.DataStart);
    const auto size = static_cast<std::size_t>(file.DataSize);
    const std::unique_ptr<char[]> copy(new char[size]);
    window.CopyOut(offset, size, copy.get());
    BodyWindow alone(std::string_view(copy.get(), size));
    const DetectedFileType type = DetectFileType(window, offset, size);
    const DetectedFileType aloneType = DetectFileType(alone, 0, size);
    FUZZ_CHECK(type.Type == aloneType.Type && type.Extension == aloneType.Extension,
               "the type differs with the bytes around the file");
    const ImageSize image = ReadImageSize(window, offset, size);
    const ImageSize aloneImage = ReadImageSize(alone, 0, size);
    FUZZ_CHECK(image.Width == aloneImage.Width && image.Height == aloneImage.Height,
               "the image size differs with the bytes around the file");
    FUZZ_CHECK((image.Width > 0) == (image.Height > 0), "an image size with one side");
    const std::string safe = SafeFilename(file.FileNameText, codePage);
    FUZZ_CHECK(safe.empty() || IsAcceptableTarget(safe, codePage), "a safe name is no target SaveFile takes");
    FUZZ_CHECK(SafeFilename(safe, codePage) == safe, "a safe name is made safe once more");
}

// Intake of the fixture's body (body), and what must hold of the object afterwards.
void CheckBody(Upload& fixture, std::string_view body) {
    fixture.object.SetBodyFileThreshold(INT64_MAX);
    const TTessock& upload = fixture.Receive();
    FUZZ_CHECK(fixture.host.Output().empty(), "a message was written for a body that was read whole");
    FUZZ_CHECK(upload.Body().View() == body, "the buffered body differs from the one sent");
    CheckObject(upload, fixture.codePage, true);
    CheckAgainstReference(upload, ReferenceParse(body, fixture.codePage));
    FUZZ_CHECK(fixture.files.Calls().empty(), "reading touched the file system");
}

// The parser over window, which holds body, holding lines and names of up to held
// characters: exactly what the reference parser makes of the body, as
// CheckAgainstReference holds an object to it.
void CheckParse(BodyWindow& window, std::string_view body, const CodePage& codePage, std::size_t held) {
    const WindowText source(window);
    TStringList fields(codePage, TestLongName(codePage, held));
    fields.SetTextSource(&source);
    TBodyParts found;
    ParseMultipart(
        window, [] { return true; }, fields, found, held);
    const ParseOutcome reference = ReferenceParse(body, codePage);
    FUZZ_CHECK(static_cast<std::size_t>(fields.Count()) == reference.lines.size(),
               "the parse lists other parts");
    for (std::int32_t i = 0; i < fields.Count(); ++i)
        FUZZ_CHECK(fields.Line(i) == reference.lines[static_cast<std::size_t>(i)], "a list line differs");
    FUZZ_CHECK(found.Files.empty() == reference.fileData.empty(), "the parse keeps another file");
    FUZZ_CHECK(found.Files.size() == reference.files.size(), "the parse lists other files");
    for (std::size_t i = 0; i < found.Files.size(); ++i) {
        const TFileRecord listed = DescribeFilePart(window, found.Files[i], codePage);
        const FileOutcome& expected = reference.files[i];
        FUZZ_CHECK(static_cast<std::size_t>(listed.DataStart) == expected.offset &&
                       static_cast<std::size_t>(listed.DataSize) == expected.data.size() &&
                       listed.FieldNameText == expected.field && listed.FileNameText == expected.name &&
                       listed.FileExtText == expected.ext && listed.BaseNameText == expected.base &&
                       listed.ContentTypeText == expected.type,
                   "the parse lists another file");
        CheckFileFacts(window, listed, codePage);
    }
}

// The same through a body file read through a window of capacity bytes, for the whole
// body and for its first cut bytes, which the same file holds.
void CheckWindowed(std::string_view body, std::size_t cut, const CodePage& codePage, std::size_t capacity,
                   std::size_t held) {
    kestrune::testing::FakeFileSystem files;
    std::unique_ptr<BodyFile> file = files.CreateBodyFile();
    file->Append(body.data(), body.size());
    for (const std::size_t size : {body.size(), cut}) {
        const auto stored = static_cast<std::int64_t>(size);
        BodyWindow window(*file, stored, stored, capacity);
        CheckParse(window, body.substr(0, size), codePage, held);
    }
}

// The same in memory, in a copy of exactly body's size, so that a read past its end is
// caught.
void CheckInMemory(std::string_view body, const CodePage& codePage, std::size_t held) {
    const std::unique_ptr<char[]> copy(new char[body.size()]);
    std::copy(body.begin(), body.end(), copy.get());
    BodyWindow window(std::string_view(copy.get(), body.size()));
    CheckParse(window, window.Memory(), codePage, held);
}

bool HasLeadByte(std::string_view body, const CodePage& codePage) {
    for (const char byte : body) {
        if (codePage.IsLeadByte(static_cast<unsigned char>(byte))) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const DbcsCodePage doubleByte;
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    // One hash of the input picks the code page (bit 0), the road (bit 1) and the cut.
    std::size_t hash = 0;
    for (unsigned char byte : body) hash = hash * 31 + byte;
    const std::string_view cut = body.substr(0, size > 1 ? (hash >> 2) % size : size);
    // Lines and names longer than the parser holds take their own road: the input picks
    // a limit of a few characters, or the real one.
    const std::size_t held = (hash >> 40) % 8 != 0 ? kHeldLine : 1 + (hash >> 43) % 24;
    OnRoads((hash & 1) != 0 && HasLeadByte(body, doubleByte), [&](bool dbcs) {
        if (dbcs && !HasLeadByte(body, doubleByte)) return;
        const CodePage& codePage =
            dbcs ? static_cast<const CodePage&>(doubleByte) : kestrune::testing::SingleByte();
        OnRoads((hash & 2) != 0 && size > 0, [&](bool bodyFile) {
            if (bodyFile) {
                if (size > 0) CheckWindowed(body, cut.size(), codePage, 1 + data[size - 1] % 61, held);
                return;
            }
            Upload whole{std::string(body), codePage};
            CheckBody(whole, body);
            if (size > 1) CheckInMemory(cut, codePage, held);
        });
    });
    return 0;
}
