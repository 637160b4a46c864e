// Request sizes a client or a broken host can claim: nothing to read, a negative size,
// and one whose buffer memory cannot give (failing_allocation.cpp makes sure of that).
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "support/body_builder.h"
#include "support/expect_throw_msg.h"
#include "support/upload_fixture.h"

namespace kestrune::testing {
namespace {

constexpr const char* kReadError = "Error reading uploaded file or form data.";

struct ClaimedSize {
    const char* label;
    std::int32_t total;
    std::vector<std::string> calls;
    std::string output;
};

TEST(IntakeLimits, ClaimedSizesEndCleanlyAndLeaveAUsableObject) {
    const std::string body = BodyBuilder().File("f", "a.txt", "text/plain", "data").Close().Build();
    const std::vector<ClaimedSize> cases = {
        {"TotalBytes 0", 0, {"FetchRequest", "TotalBytes"}, ""},
        {"TotalBytes -1", -1, {"FetchRequest", "TotalBytes"}, ""},
        {"TotalBytes 2,147,483,647: memory cannot be had",
         INT32_MAX,
         {"FetchRequest", "TotalBytes", "FetchResponse", std::string("Write(") + kReadError + ")"},
         kReadError},
    };
    for (const ClaimedSize& claim : cases) {
        SCOPED_TRACE(claim.label);
        Upload upload(body);
        upload.object.SetBodyFileThreshold(INT64_MAX);  // the memory road's limit is the point
        upload.host.SetTotalBytes(claim.total);
        ASSERT_NO_THROW(upload.Receive());
        TTessock& object = upload.object;
        EXPECT_EQ(upload.host.Calls(), claim.calls);
        EXPECT_EQ(upload.host.Output(), claim.output);
        EXPECT_EQ(object.FormVariableCount(), 0);
        EXPECT_EQ(object.FormVariable("f"), "");
        EXPECT_THROW_MSG(object.FormVariableByIndex(0), EUploadError, "Index out of range.");
        EXPECT_THROW_MSG(object.FormVariableByIndex(-1), EListError, "List index out of bounds (-1)");
        EXPECT_EQ(object.FileSize(), 0);
        EXPECT_EQ(object.Filename(), "");
        EXPECT_THROW_MSG(object.SaveFile("up/a.txt"), EUploadError, "Error. No file received.");
        EXPECT_TRUE(upload.files.Files().empty());
    }
}

// A file part of over 1 GiB with no CR LF and no delimiter after it, in a body file: the
// parser reads its content on as one line, which it only compares with the boundary line.
// Kept whole, that line would be a string larger than any allocation here may be, and
// intake would end with the read error. The bytes past the head are the zeros of a
// client that announced more than it sent, so the test writes no gigabyte anywhere.
TEST(IntakeLimits, AGigabyteLineOfABodyFileCostsNoGigabyte) {
    const std::string head =
        "--XyZ\r\nContent-Disposition: form-data; name=\"f\"; filename=\"a.bin\"\r\n"
        "Content-Type: application/octet-stream\r\n\r\n";
    Upload upload(head);
    upload.object.SetBodyFileThreshold(0);
    upload.host.SetTotalBytes((1 << 30) + (64 << 20));
    upload.Receive();
    EXPECT_TRUE(upload.object.BodyInFile());
    EXPECT_EQ(upload.host.Output(), "");
    EXPECT_EQ(upload.object.FormVariable("f"), "a.bin");
    EXPECT_EQ(upload.object.FileSize(), 0);
}

}  // namespace
}  // namespace kestrune::testing
