// Fuzz target: the whole input is a request body. It goes through intake and the parser
// under the single-byte and the double-byte code page, and once more cut short; each
// time the object must hold exactly what the plain model makes of the body, and every
// script-facing read must answer what a plain walk of the list gives.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fakes/dbcs_code_page.h"
#include "fuzz_check.h"
#include "fuzz_host.h"
#include "host/posix/single_byte_code_page.h"
#include "memory_file_system.h"
#include "reference_model.h"
#include "upload_checks.h"
#include "upload/tessock.h"

namespace {

using namespace kestrune;
using namespace kestrune::fuzz;

void CheckBody(std::string_view body, const CodePage& codePage) {
    HostPlan plan;
    plan.total = static_cast<std::int32_t>(body.size());
    FuzzHost host(body, plan);
    MemoryFileSystem files;
    TTessock upload(host, codePage, files);
    upload.Initialize();
    FUZZ_CHECK(host.Writes().empty(), "a message was written for a body that was read whole");
    FUZZ_CHECK(upload.Body().View() == body, "the buffered body differs from the one sent");
    CheckObject(upload, codePage);
    CheckAgainstModel(upload, ModelParse(body, codePage));
    FUZZ_CHECK(files.Files().empty(), "reading touched the file system");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const SingleByteCodePage singleByte;
    static const DbcsCodePage doubleByte;
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    CheckBody(body, singleByte);
    CheckBody(body, doubleByte);
    if (size > 1) {
        // A cut at an offset that the input itself picks: any prefix of a body is a body.
        std::size_t cut = 0;
        for (unsigned char byte : body) cut = cut * 31 + byte;
        CheckBody(body.substr(0, cut % size), singleByte);
    }
    return 0;
}
