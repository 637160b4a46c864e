// Fuzz target: the whole input is a request body. It goes through intake and the parser
// under the single-byte and (when it holds a lead byte) the double-byte code page, and
// once more cut short; each time the object must hold exactly what the reference parser
// makes of it, and (for the whole body) every script-facing read must answer what a
// plain walk of the list gives.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fakes/dbcs_code_page.h"
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
    const TTessock& upload = fixture.Receive();
    FUZZ_CHECK(fixture.host.Output().empty(), "a message was written for a body that was read whole");
    FUZZ_CHECK(upload.Body().View() == body, "the buffered body differs from the one sent");
    if (reads != Reads::None) CheckObject(upload, codePage, reads == Reads::AlsoOutside);
    CheckAgainstReference(upload, ReferenceParse(body, codePage));
    FUZZ_CHECK(fixture.files.Calls().empty(), "reading touched the file system");
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
