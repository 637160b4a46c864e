// Receive, the Upload class's intake, as the host sees it: what it asks for, what it
// writes to the page (nothing), and when it reads at all.
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

// MaxBodyBytes is judged on TotalBytes before anything else: above it, no pass, no
// buffer and no body file (the threshold 0 would otherwise make one).
TEST(Receive, MaxBodyBytesRefusesABodyBeforeAnyRead) {
    const std::string body = BodyBuilder().File("f", "a.txt", "text/plain", "data").Close().Build();
    const auto size = static_cast<std::int32_t>(body.size());
    struct Case {
        const char* label;
        std::int32_t maxBodyBytes;
        bool refused;
    };
    const std::vector<Case> cases = {
        {"a byte below the body", size - 1, true},
        {"the body's size", size, false},
        {"no limit", 0, false},
        {"below zero: no limit", -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Upload upload(body);
        upload.object.SetBodyFileThreshold(0);
        IntakeLimits limits;
        limits.MaxBodyBytes = c.maxBodyBytes;
        upload.object.SetLimits(limits);
        upload.object.Receive();
        const ReadStatus& read = upload.object.Read();
        EXPECT_EQ("", upload.host.Output());
        if (!c.refused) {
            EXPECT_EQ(ReadError::None, read.Error);
            EXPECT_EQ(1, upload.object.FileCount());
            continue;
        }
        EXPECT_EQ((std::vector<std::string>{"FetchRequest", "TotalBytes"}), upload.host.Calls());
        EXPECT_EQ(ReadError::TooLarge, read.Error);
        EXPECT_EQ(0, read.BytesReceived);
        EXPECT_FALSE(read.Complete);
        EXPECT_FALSE(read.BodyInFile);
        EXPECT_EQ(0, upload.files.BodyFilesOpen());
        EXPECT_EQ(0, upload.object.Body().Size());
        EXPECT_EQ(0, upload.object.FormVariableCount());
        EXPECT_EQ(0, upload.object.FileCount());
    }
}

// Receive reads once, writes nothing to the page whatever fails, leaves the settings the
// page made before it, and freezes the limits; what fails before the read propagates.
TEST(Receive, ReadsOnceAndQuietly) {
    const std::string body = BodyBuilder().Field("a", "1").Close().Build();
    {
        SCOPED_TRACE("a failing pass");
        Upload upload(body);
        upload.host.FailAt(HostCall::BinaryRead, 1);
        EXPECT_NO_THROW(upload.object.Receive());
        EXPECT_EQ(ReadError::HostFailed, upload.object.Read().Error);
        EXPECT_EQ(0, upload.host.Count(HostCall::Write));
        EXPECT_EQ(1, upload.host.Count(HostCall::FetchResponse));  // the client check, no message
    }
    {
        SCOPED_TRACE("a second Receive, and one after Initialize");
        Upload upload(body);
        upload.object.Receive();
        const std::size_t calls = upload.host.Calls().size();
        upload.object.Receive();
        EXPECT_EQ(calls, upload.host.Calls().size());
        EXPECT_EQ("1", upload.object.FormVariable("a"));
        Upload created(body);
        created.object.Initialize();
        const std::size_t creation = created.host.Calls().size();
        created.object.Receive();
        EXPECT_EQ(creation, created.host.Calls().size());
        EXPECT_TRUE(created.object.Received());
        EXPECT_THROW_MSG(created.object.SetLimits(IntakeLimits()), EUploadError, kLimitsAfterReadMessage);
    }
    {
        SCOPED_TRACE("the settings made before Receive, and the limits after it");
        Upload upload(body);
        upload.object.SetOverwriteMode(2);
        upload.object.SetOverwriteChr("#");
        IntakeLimits limits;
        limits.MaxBodyBytes = 1;
        upload.object.SetLimits(limits);
        EXPECT_FALSE(upload.object.Received());
        upload.object.Receive();
        EXPECT_EQ(2, upload.object.OverwriteMode());
        EXPECT_EQ("#", upload.object.OverwriteChr());
        EXPECT_EQ(1, upload.object.Limits().MaxBodyBytes);
        EXPECT_THROW_MSG(upload.object.SetLimits(IntakeLimits()), EUploadError, kLimitsAfterReadMessage);
        EXPECT_EQ(1, upload.object.Limits().MaxBodyBytes);
    }
    {
        SCOPED_TRACE("a failing TotalBytes");
        Upload upload(body);
        upload.host.FailAt(HostCall::TotalBytes, 1, static_cast<HResult>(0x80070005u), "Access is denied");
        EXPECT_THROW_MSG(upload.object.Receive(), EOleException, "Access is denied");
        EXPECT_EQ("", upload.host.Output());
        // The read counts as made: it is not tried again.
        EXPECT_TRUE(upload.object.Received());
        EXPECT_NO_THROW(upload.object.Receive());
        EXPECT_EQ(2u, upload.host.Calls().size());
    }
}

}  // namespace
}  // namespace kestrune::testing
