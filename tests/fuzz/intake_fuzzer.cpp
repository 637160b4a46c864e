// Fuzz target: request intake against a host that misbehaves as the input says. The
// first 8 bytes are the host's plan, the rest is the body:
//   0     total: low 3 bits 0-3 the body's size, 4 zero, 5 negative, 6 larger, 7 smaller
//   1, 2  operands of the total; a larger total is larger by byte 1 + byte 2, or, from
//         byte 1 = 0xF0 on, 102401 + (byte 1 - 0xF0) * 1024 + byte 2: a second pass.
//         That costs a 100 KB body, so it is kept rare, and under the size at which the
//         sanitizer maps every allocation afresh; read_request_test has a third pass.
//   3     most bytes one pass delivers: low 7 bits, times 512 when the top bit is set
//   4     IsClientConnected answers false from this call on (0: never)
//   5, 6  the host call that fails: byte 5 plus the low 4 bits of byte 6 times 256
//         (0: none); bit 4 of byte 6: every call after it fails as well; bit 5 of
//         byte 6: the body goes to a body file (else it stays in memory); bit 6 of
//         byte 6: the Upload class's intake, Receive, with the limits of the
//         kLimitBytes bytes after the plan (limits_checks.h), which the body follows
//   7     save: mode (value % 3), bit 6 the double-byte code page, bit 7 a failing write
// Intake may fail only where it must (the first fetch, TotalBytes, the message itself);
// the message is written at most once, and never by Receive; and the object answers
// every read afterwards.
// Either road of the body is held to the same rules and the same reference, so that one
// run of a plan checks one road.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "base/exceptions.h"
#include "fakes/dbcs_code_page.h"
#include "fuzz_check.h"
#include "limits_checks.h"
#include "support/reference_parser.h"
#include "support/upload_fixture.h"
#include "upload_checks.h"

namespace {

using namespace kestrune;
using namespace kestrune::fuzz;
using kestrune::testing::FakeFileSystem;
using kestrune::testing::HostCall;
using kestrune::testing::HostCallRecord;
using kestrune::testing::ScriptedHost;
using kestrune::testing::Upload;

constexpr std::size_t kPlanBytes = 8;
constexpr std::string_view kReadError = "Error reading uploaded file or form data.";

std::int32_t TotalFrom(const unsigned char* plan, std::size_t bodySize) {
    const auto size = static_cast<std::int32_t>(bodySize);
    switch (plan[0] & 7) {
        case 4:
            return 0;
        case 5:
            return plan[1] == 255 ? INT32_MIN : -(plan[1] + 1);
        case 6:
            return plan[1] < 0xF0 ? size + plan[1] + plan[2] : 102401 + (plan[1] - 0xF0) * 1024 + plan[2];
        case 7:
            return static_cast<std::int32_t>(std::int64_t{size} * plan[1] / 256);
        default:
            return size;
    }
}

// Scripts the host as the plan says; returns the total it claims.
std::int32_t Script(ScriptedHost& host, const unsigned char* plan, std::size_t bodySize) {
    const std::int32_t total = TotalFrom(plan, bodySize);
    host.SetTotalBytes(total);
    host.SetPassCap((plan[3] & 0x7F) * ((plan[3] & 0x80) != 0 ? 512 : 1));
    host.DisconnectAtCheck(plan[4]);
    host.FailAtCall(plan[5] + (plan[6] & 0x0F) * 256, (plan[6] & 0x10) != 0);
    return total;
}

bool AllZero(std::string_view bytes) {
    static const char kZeros[4096] = {};
    for (std::size_t at = 0; at < bytes.size(); at += sizeof kZeros) {
        const std::size_t size = std::min(bytes.size() - at, sizeof kZeros);
        if (std::memcmp(bytes.data() + at, kZeros, size) != 0) return false;
    }
    return true;
}

int FirstFailure(const ScriptedHost& host) {
    const auto& calls = host.Records();
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].failed) return static_cast<int>(i);
    }
    return -1;
}

int FailedCalls(const ScriptedHost& host) {
    int failed = 0;
    for (const HostCallRecord& call : host.Records()) failed += call.failed ? 1 : 0;
    return failed;
}

void CheckBuffer(const std::string& body, const ScriptedHost& host, std::int32_t total) {
    FUZZ_CHECK(body.size() == static_cast<std::size_t>(total), "the body is not sized to TotalBytes");
    const std::string_view delivered = host.Delivered();
    FUZZ_CHECK(body.substr(0, delivered.size()) == delivered, "the body is not the delivered bytes in order");
    FUZZ_CHECK(AllZero(body.substr(delivered.size())), "bytes no pass delivered are not zero");
}

// The one message: written once exactly when something in the guarded stretch failed,
// and only a failure to write it may escape. Receive writes none, so nothing escapes it.
void CheckMessage(const ScriptedHost& host, bool threw, int firstFailure, bool quiet) {
    const auto& calls = host.Records();
    const int writeCalls = host.Count(HostCall::Write);
    if (quiet) {
        FUZZ_CHECK(!threw && writeCalls == 0, "Receive wrote to the page, or failed after TotalBytes");
        return;
    }
    FUZZ_CHECK(writeCalls <= 1, "the message was written more than once");
    if (firstFailure < 0) {
        FUZZ_CHECK(!threw && writeCalls == 0, "a message without a failure");
    } else if (threw) {
        const HostCallRecord& last = calls.back();
        FUZZ_CHECK(last.failed && (last.kind == HostCall::FetchResponse || last.kind == HostCall::Write) &&
                       FailedCalls(host) >= 2,
                   "a failure in the guarded stretch escaped intake");
    } else {
        FUZZ_CHECK(writeCalls == 1 && host.Output() == kReadError, "the one message was not written");
        FUZZ_CHECK(calls.back().kind == HostCall::Write, "intake went on after writing the message");
    }
}

// What was parsed: nothing when the client left before the last pass, everything when
// nothing went wrong, and a part of everything when parsing was cut short.
// With limits, the parts are held to them instead of to the reference.
void CheckParsed(const TTessock& upload, const std::string& body, const ScriptedHost& host, int firstFailure,
                 int expectedPasses, const CodePage& codePage, const IntakeLimits* limits) {
    const int readsBeforeDisconnect = host.ReadsBeforeDisconnect();
    if (readsBeforeDisconnect >= 0 && readsBeforeDisconnect < expectedPasses && firstFailure < 0) {
        FUZZ_CHECK(host.Count(HostCall::BinaryRead) == readsBeforeDisconnect, "a pass after the client left");
        FUZZ_CHECK(upload.FormVariableCount() == 0 && upload.FileSize() == 0 && upload.RejectedCount() == 0,
                   "a body whose client left was parsed");
        return;
    }
    if (limits != nullptr) {
        CheckLimits(upload, *limits, codePage, firstFailure < 0 && readsBeforeDisconnect < 0);
        return;
    }
    const ParseOutcome reference = ReferenceParse(body, codePage);
    if (firstFailure < 0 && readsBeforeDisconnect < 0) {
        CheckAgainstReference(upload, reference);
        return;
    }
    FUZZ_CHECK(static_cast<std::size_t>(upload.FormVariableCount()) <= reference.lines.size(),
               "an interrupted parse recorded more parts than a whole one");
    CheckFileAgainstReference(upload, reference);
}

// A body over MaxBodyBytes: refused on TotalBytes, with nothing read.
void CheckRefusedBody(const TTessock& upload, const ScriptedHost& host) {
    const ReadStatus& read = upload.Read();
    FUZZ_CHECK(host.Records().size() == 2, "a body over MaxBodyBytes was read");
    FUZZ_CHECK(
        read.Error == ReadError::TooLarge && read.BytesReceived == 0 && !read.Complete && !read.BodyInFile,
        "a body over MaxBodyBytes is not reported as such");
    FUZZ_CHECK(upload.OpenBody(BodyWindow::kLineCapacity).Size() == 0 && upload.FieldList().Count() == 0 &&
                   upload.FileCount() == 0 && upload.RejectedCount() == 0,
               "a body over MaxBodyBytes left parts");
}

// limits: those of the Upload class's intake (Receive); null for Initialize's.
void CheckIntake(const TTessock& upload, const ScriptedHost& host, std::int32_t total, bool threw,
                 const CodePage& codePage, const IntakeLimits* limits) {
    const auto& calls = host.Records();
    const int firstFailure = FirstFailure(host);
    FUZZ_CHECK(!calls.empty() && calls[0].kind == HostCall::FetchRequest, "intake starts elsewhere");
    // Before the guarded stretch: the first fetch and TotalBytes fail the creation.
    if (firstFailure == 0 || firstFailure == 1) {
        FUZZ_CHECK(threw, "a failing TotalBytes did not fail the creation");
        FUZZ_CHECK(calls.size() == static_cast<std::size_t>(firstFailure) + 1,
                   "intake went on after TotalBytes failed");
        return;
    }
    FUZZ_CHECK(calls.size() >= 2 && calls[1].kind == HostCall::TotalBytes,
               "TotalBytes is not the first call");
    if (total < 1) {
        FUZZ_CHECK(!threw && calls.size() == 2, "an empty request went on past TotalBytes");
        return;
    }
    if (limits != nullptr && limits->MaxBodyBytes > 0 && total > limits->MaxBodyBytes) {
        FUZZ_CHECK(!threw, "a body over MaxBodyBytes failed the read");
        CheckRefusedBody(upload, host);
        return;
    }
    // A body file that holds no part is closed when intake ends, and reads as empty.
    const std::string body = BodyOf(upload);
    const bool givenUp = body.empty() && upload.FieldList().Count() == 0 && upload.FileCount() == 0;
    FUZZ_CHECK(!givenUp || !upload.BodyInFile(), "an empty body file is kept");
    if (!givenUp) CheckBuffer(body, host, total);
    const int expectedPasses =
        static_cast<int>((std::int64_t{total} + ScriptedHost::kPassSize - 1) / ScriptedHost::kPassSize);
    FUZZ_CHECK(host.Count(HostCall::BinaryRead) <= expectedPasses, "more passes than TotalBytes calls for");
    CheckMessage(host, threw, firstFailure, limits != nullptr);
    CheckParsed(upload, body, host, firstFailure, expectedPasses, codePage, limits);
}

void ExpectSaveError(TTessock& upload, std::string_view path, std::string_view message) {
    try {
        upload.SaveFile(path);
    } catch (const EUploadError& error) {
        FUZZ_CHECK(error.Message() == message, "SaveFile failed with another message");
        return;
    }
    FUZZ_CHECK(false, "SaveFile succeeded where it must fail");
}

// Two saves of the upload, the second onto the first; with a failing write the
// second must fail (or, keeping the existing file, do nothing) and change no file.
void CheckSaves(TTessock& upload, FakeFileSystem& files, unsigned char how) {
    const int mode = how % 3;
    upload.SetOverwriteMode(mode);
    const std::string bytes(upload.FileContent());
    if (bytes.empty()) {
        ExpectSaveError(upload, "up/f.bin", "Error. No file received.");
        FUZZ_CHECK(files.Files().empty(), "a save without a file touched the file system");
        return;
    }
    upload.SaveFile("up/f.bin");
    FUZZ_CHECK(files.Files().size() == 1 && files.Files().at("up/f.bin") == bytes,
               "the saved file is not the upload");
    FUZZ_CHECK(mode != 2 || upload.NewName() == "f.bin", "NewName after a save under the name given");
    const auto before = files.Files();
    const bool failing = (how & 0x80) != 0;
    files.ShortWrite(failing);
    if (failing && mode != 1) {
        ExpectSaveError(upload, "up/f.bin", "Error saving file. Check the user permissions.");
        FUZZ_CHECK(files.Files() == before, "a failed save changed the files");
    } else {
        upload.SaveFile("up/f.bin");
        if (mode == 2) {
            FUZZ_CHECK(files.Files().size() == 2 && files.Files().at("up/f~1.bin") == bytes,
                       "the numbered save is not the upload");
            FUZZ_CHECK(upload.NewName() == "f~1.bin", "NewName after a numbered save");
        } else {
            FUZZ_CHECK(files.Files() == before, "replacing or keeping left other files than the target");
        }
    }
}

// One run of the plan, with the body in memory or in a body file; limits for Receive,
// null for Initialize.
void CheckPlan(const unsigned char* plan, const IntakeLimits* limits, std::string_view body,
               const CodePage& codePage, bool bodyFile) {
    // A file left open is reported when the fixture goes, as a broken invariant.
    Upload fixture{std::string(body), codePage};
    fixture.object.SetBodyFileThreshold(bodyFile ? 0 : INT64_MAX);
    const std::int32_t total = Script(fixture.host, plan, body.size());
    if (limits != nullptr) fixture.object.SetLimits(*limits);
    bool threw = false;
    try {
        if (limits != nullptr)
            fixture.object.Receive();
        else
            fixture.Receive();
    } catch (const EOleException& error) {
        FUZZ_CHECK(error.Source() == "ScriptedHost", "intake failed with an error of its own");
        threw = true;
    }
    CheckIntake(fixture.object, fixture.host, total, threw, codePage, limits);
    if (limits != nullptr) {
        const std::size_t calls = fixture.host.Records().size();
        fixture.object.Receive();
        FUZZ_CHECK(fixture.host.Records().size() == calls, "a second Receive called the host");
    }
    CheckObject(fixture.object, codePage, true);
    CheckSaves(fixture.object, fixture.files, plan[7]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const CodePage& singleByte = kestrune::testing::SingleByte();
    static const DbcsCodePage doubleByte;
    unsigned char plan[kPlanBytes + kLimitBytes] = {};
    const bool upload = size > 6 && (data[6] & 0x40) != 0;
    const std::size_t planBytes = upload ? kPlanBytes + kLimitBytes : kPlanBytes;
    const std::size_t planSize = size < planBytes ? size : planBytes;
    for (std::size_t i = 0; i < planSize; ++i) plan[i] = data[i];
    const std::string_view body(reinterpret_cast<const char*>(data) + planSize, size - planSize);
    const CodePage& codePage = (plan[7] & 0x40) != 0 ? static_cast<const CodePage&>(doubleByte) : singleByte;
    const IntakeLimits limits = LimitsFrom(plan + kPlanBytes);
    const IntakeLimits* receive = upload ? &limits : nullptr;
    OnRoads((plan[6] & 0x20) != 0,
            [&](bool bodyFile) { CheckPlan(plan, receive, body, codePage, bodyFile); });
    return 0;
}
