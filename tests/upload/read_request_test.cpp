#include <map>

#include <gtest/gtest.h>

#include "support/expect_throw_msg.h"
#include "support/upload_fixture.h"
#include "upload/upload_state.h"

namespace kestrune::testing {
namespace {

const std::string kMessage = "Error reading uploaded file or form data.";
const std::string kWrite = "Write(" + kMessage + ")";

std::vector<std::string> Calls(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}
const std::vector<std::string> kTotal = {"FetchRequest", "TotalBytes"};
const std::vector<std::string> kCheck = {"FetchResponse", "IsClientConnected"};
std::vector<std::string> Pass(std::int32_t count) {
    return {"FetchResponse", "IsClientConnected", "FetchRequest",
            "BinaryRead(" + std::to_string(count) + ")"};
}

// A body of n bytes without LF: the parser takes it all as the boundary line, reads one
// line, finds no part headers after it and stops after a single client check.
std::string Filler(std::size_t n) {
    std::string body(n, 'x');
    for (std::size_t i = 0; i < n; ++i) body[i] = static_cast<char>('a' + i % 26);
    return body;
}

TEST(ReadRequest, PassesFollowFromTheTotalAlone) {
    struct Case {
        const char* label;
        std::int32_t total;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases = {
        {"zero", 0, kTotal},
        {"negative", -7, kTotal},
        {"one byte", 1, Calls({kTotal, Pass(1), kCheck})},
        {"one full pass", 102400, Calls({kTotal, Pass(102400), kCheck})},
        {"one byte over", 102401, Calls({kTotal, Pass(102400), Pass(1), kCheck})},
        {"three passes", 250000, Calls({kTotal, Pass(102400), Pass(102400), Pass(45200), kCheck})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Upload upload(Filler(c.total > 0 ? c.total : 0));
        upload.host.SetTotalBytes(c.total);
        upload.object.Initialize();
        EXPECT_EQ(c.calls, upload.host.Calls());
        EXPECT_EQ("", upload.host.Output());
        EXPECT_EQ(std::max(c.total, 0), upload.object.Body().Size());
        EXPECT_EQ(std::max(c.total, 0), upload.object.Read().BytesReceived);
        EXPECT_EQ(ReadError::NotMultipart, upload.object.Read().Error);  // no boundary line
    }
}

TEST(ReadRequest, ShortDeliveriesKeepPassesOffsetsAndSize) {
    const std::string body = Filler(250000);
    Upload upload(body);
    upload.host.SetDelivery(1, 1000);
    upload.host.SetDelivery(2, 0);
    upload.host.ReportAt(2, -5);      // lying hosts: below zero counts as nothing,
    upload.host.ReportAt(3, 999999);  // more than asked counts as what was asked
    upload.object.Initialize();
    EXPECT_EQ(Calls({kTotal, Pass(102400), Pass(102400), Pass(45200), kCheck}), upload.host.Calls());
    const std::string_view got = upload.object.Body().View();
    ASSERT_EQ(250000u, got.size());
    EXPECT_EQ(body.substr(0, 46200), got.substr(0, 46200));
    EXPECT_EQ(std::string(250000 - 46200, '\0'), got.substr(46200));
    EXPECT_EQ(46200, upload.object.Read().BytesReceived);
}

TEST(ReadRequest, ClientGoneBeforeAPassEndsQuietlyWithNothingParsed) {
    const std::string body = MultipartBody({{"a", "1"}}, "f.txt", Filler(240000));
    struct Case {
        const char* label;
        int check;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases = {
        {"before pass 1", 1, Calls({kTotal, kCheck})},
        {"before pass 2", 2, Calls({kTotal, Pass(102400), kCheck})},
        {"before pass 3", 3, Calls({kTotal, Pass(102400), Pass(102400), kCheck})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Upload upload(body);
        upload.host.DisconnectAtCheck(c.check);
        upload.object.Initialize();
        EXPECT_EQ(c.calls, upload.host.Calls());
        EXPECT_EQ("", upload.host.Output());
        EXPECT_TRUE(StateOf(upload.object).Empty()) << StateOf(upload.object);
        EXPECT_EQ(0, upload.object.FormVariableCount());
        EXPECT_EQ(ReadError::ClientGone, upload.object.Read().Error);
        EXPECT_FALSE(upload.object.Read().Complete);
    }
}

// Every host call of a complete intake fails once, in turn. Failures of the first fetch
// and TotalBytes fail the creation; every later one is reported on the page exactly once.
TEST(ReadRequest, AFailingHostCallAtEachPosition) {
    const std::string body = MultipartBody({{"title", "Hello"}, {"note", "n"}}, "a.txt", Filler(150000));
    Upload reference(body);
    reference.object.Initialize();
    const std::vector<std::string> calls = reference.host.Calls();
    const std::map<std::string, HostCall> kinds = {{"FetchRequest", HostCall::FetchRequest},
                                                   {"FetchResponse", HostCall::FetchResponse},
                                                   {"TotalBytes", HostCall::TotalBytes},
                                                   {"IsClientConnected", HostCall::IsClientConnected}};
    std::map<std::string, int> seen;
    for (std::size_t position = 0; position < calls.size(); ++position) {
        const std::string name = calls[position].substr(0, calls[position].find('('));
        const HostCall kind = name == "BinaryRead" ? HostCall::BinaryRead : kinds.at(name);
        const int occurrence = ++seen[name];
        SCOPED_TRACE(calls[position] + " #" + std::to_string(occurrence));
        Upload upload(body);
        upload.host.FailAt(kind, occurrence, static_cast<HResult>(0x80070005u), "Access is denied");
        if (position < 2) {
            EXPECT_THROW_MSG(upload.object.Initialize(), EOleException, "Access is denied");
            EXPECT_EQ("", upload.host.Output());
            continue;
        }
        upload.object.Initialize();
        EXPECT_EQ(kMessage, upload.host.Output());
        EXPECT_EQ(ReadError::HostFailed, upload.object.Read().Error);
        std::vector<std::string> expected(calls.begin(), calls.begin() + position + 1);
        expected.insert(expected.end(), {"FetchResponse", kWrite});
        EXPECT_EQ(expected, upload.host.Calls());
        EXPECT_NO_THROW(upload.object.FormVariable("title"));
    }
}

TEST(ReadRequest, AFailingReportFailsTheCreation) {
    struct Case {
        const char* label;
        HostCall call;
        int occurrence;
    };
    const std::vector<Case> cases = {
        {"the message's fetch", HostCall::FetchResponse, 2},
        {"the message's write", HostCall::Write, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Upload upload(Filler(10));
        upload.host.FailAt(HostCall::BinaryRead, 1, static_cast<HResult>(0x80004005u), "first");
        upload.host.FailAt(c.call, c.occurrence, static_cast<HResult>(0x8007000Eu), "second");
        EXPECT_THROW_MSG(upload.object.Initialize(), EOleException, "second");
        EXPECT_EQ("", upload.host.Output());
    }
}

// A parse that throws at its k-th client check keeps what a disconnect there keeps.
TEST(ReadRequest, AParseThatThrowsKeepsWhatItHadFilled) {
    const std::string body = MultipartBody({{"a", "1"}, {"b", "2"}, {"c", "3"}}, "f.bin", "abc");
    Upload whole(body);
    whole.object.Initialize();
    const int checks = whole.host.Count(HostCall::IsClientConnected);
    ASSERT_GT(checks, 4);
    for (int check = 2; check <= checks; ++check) {
        SCOPED_TRACE("check " + std::to_string(check));
        Upload failing(body);
        failing.host.FailAt(HostCall::IsClientConnected, check);
        failing.object.Initialize();
        Upload leaving(body);
        leaving.host.DisconnectAtCheck(check);
        leaving.object.Initialize();
        EXPECT_EQ(kMessage, failing.host.Output());
        EXPECT_EQ("", leaving.host.Output());
        EXPECT_EQ(StateOf(leaving.object), StateOf(failing.object));
        EXPECT_EQ(ReadError::HostFailed, failing.object.Read().Error);
        EXPECT_EQ(ReadError::ClientGone, leaving.object.Read().Error);
    }
    EXPECT_EQ((std::vector<std::string>{"a=1", "b=2", "c=3", "upload=f.bin"}), StateOf(whole.object).Lines);
}

// Whatever the body file does, the page gets what the memory road gives: a file that
// cannot be made or written sends intake on in memory with every byte; one that cannot
// be read back gives the read error, and a save from it fails cleanly.
TEST(ReadRequest, ABodyFileThatFailsChangesNothingThePageSees) {
    const std::string body = MultipartBody({{"title", "Hello"}, {"note", "n"}}, "a.txt", Filler(250000));
    Upload inMemory(body);
    inMemory.object.SetBodyFileThreshold(INT64_MAX);
    inMemory.object.Initialize();
    ASSERT_EQ(inMemory.host.Count(HostCall::BinaryRead), 3);
    struct Case {
        const char* label;
        bool failCreate;
        int failAppend, failRead;  // the k-th call fails (0: none)
        bool inFile;               // the body stays in the file (closed at once when unread)
        bool readError;            // intake ends with the read error
        bool wentToFile;           // the passes left the body in the file
    };
    const std::vector<Case> cases = {
        {"no fault", false, 0, 0, true, false, true},
        {"create fails", true, 0, 0, false, false, false},
        {"first append fails", false, 1, 0, false, false, false},
        {"middle append fails", false, 2, 0, false, false, false},
        {"last append fails", false, 3, 0, false, false, false},
        {"reading back after a failed append fails", false, 3, 1, false, true, false},
        {"the parser's first read fails", false, 0, 1, false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Upload upload(body);
        upload.object.SetBodyFileThreshold(0);
        upload.files.FailBodyFileCreate(c.failCreate);
        upload.files.FailBodyFileAppend(c.failAppend);
        upload.files.FailBodyFileRead(c.failRead);
        upload.object.Initialize();
        EXPECT_EQ(c.inFile, upload.object.BodyInFile());
        EXPECT_EQ(c.wentToFile, upload.object.Read().BodyInFile);
        EXPECT_EQ(c.readError ? ReadError::NotHeld : ReadError::None, upload.object.Read().Error);
        if (c.readError) {
            EXPECT_EQ(kMessage, upload.host.Output());
            EXPECT_TRUE(StateOf(upload.object).Empty()) << StateOf(upload.object);
            continue;
        }
        EXPECT_EQ(inMemory.host.Calls(), upload.host.Calls());
        EXPECT_EQ(StateOf(inMemory.object), StateOf(upload.object));
        upload.object.SaveFile("saved.txt");
        EXPECT_EQ(Filler(250000), upload.files.Files().at("saved.txt"));
    }
}

// Reads of the file after intake: one that fails raises the read error, and a save
// that fails midway leaves nothing of what it created and the old file intact.
TEST(ReadRequest, AFailingReadOfTheBodyFileAfterIntake) {
    const std::string body = MultipartBody({{"title", "Hello"}}, "a.txt", Filler(3u << 20));
    for (const Overwrite mode : {Overwrite::Replace, Overwrite::Keep, Overwrite::Number}) {
        SCOPED_TRACE(static_cast<int>(mode));
        Upload upload(body);
        upload.object.SetBodyFileThreshold(0);
        upload.object.Initialize();
        ASSERT_TRUE(upload.object.BodyInFile());
        upload.files.AddFile("old.txt", "old");
        upload.files.FailBodyFileRead(2);  // the save's second window
        upload.object.SetOverwriteMode(static_cast<std::int32_t>(mode));
        if (mode == Overwrite::Keep) {
            EXPECT_THROW_MSG(upload.object.SaveFile("new.txt"), EUploadError,
                             "Error saving file. Check the user permissions.");
        } else {
            EXPECT_THROW_MSG(upload.object.SaveFile("old.txt"), EUploadError,
                             "Error saving file. Check the user permissions.");
        }
        EXPECT_EQ((std::map<std::string, std::string>{{"old.txt", "old"}}), upload.files.Files());
        std::string bytes(static_cast<std::size_t>(upload.object.FileSize()), '\0');
        EXPECT_THROW_MSG(upload.object.CopyFileBytes(upload.object.FileRecord(), bytes.data()), EUploadError,
                         kMessage);
    }
}

// Whether the whole body came, closing delimiter and all, and why not.
TEST(ReadRequest, ReadStatusSaysWhetherTheBodyCameWhole) {
    const std::string whole = MultipartBody({{"a", "1"}}, "f.txt", "data");
    const std::string longLine = "--" + std::string(70000, 'b');  // longer than a held line
    const std::string longBody = longLine + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n";
    struct Case {
        const char* label;
        std::string body;
        ReadError error;
    };
    const std::vector<Case> cases = {
        {"whole", whole, ReadError::None},
        {"with an epilogue", whole + "epilogue\r\n--XyZ\r\n", ReadError::None},
        {"closing without a line end", whole.substr(0, whole.size() - 2), ReadError::None},
        {"closing with padding",
         "--XyZ\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n--XyZ-- \t\r\n", ReadError::None},
        {"a form with nothing in it", "--XyZ--\r\n", ReadError::None},
        {"closing after a value", MultipartBody({{"a", "1"}}), ReadError::None},
        {"long boundary, closed", longBody + longLine + "--\r\n", ReadError::None},
        {"cut in the closing delimiter", whole.substr(0, whole.size() - 4), ReadError::Unfinished},
        {"cut in the file", whole.substr(0, whole.size() - 12), ReadError::Unfinished},
        {"no closing delimiter", whole.substr(0, whole.size() - 9), ReadError::Unfinished},
        {"long boundary, cut", longBody + longLine + "-\r\n", ReadError::Unfinished},
        {"url-encoded", "a=1&b=2", ReadError::NotMultipart},
        {"only dashes", "--\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n----\r\n",
         ReadError::NotMultipart},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Upload upload(c.body);
        upload.Receive();
        EXPECT_EQ(c.error, upload.object.Read().Error);
        EXPECT_EQ(c.error == ReadError::None, upload.object.Read().Complete);
        EXPECT_EQ(static_cast<std::int32_t>(c.body.size()), upload.object.Read().BytesReceived);
        EXPECT_EQ("", upload.host.Output());
    }
    Upload shortened(whole);
    shortened.host.SetDelivery(1, 10);  // a host that delivers less than TotalBytes
    shortened.Receive();
    EXPECT_EQ(ReadError::Unfinished, shortened.object.Read().Error);
    EXPECT_EQ(10, shortened.object.Read().BytesReceived);
}

TEST(Tessock, DefaultsAndSettings) {
    Upload upload("");
    upload.object.SetOverwriteMode(2);
    upload.object.SetOverwriteChr("_");
    upload.object.Initialize();
    EXPECT_EQ(0, upload.object.OverwriteMode());
    EXPECT_EQ("~", upload.object.OverwriteChr());
    EXPECT_EQ("", upload.object.NewName());
    EXPECT_TRUE(StateOf(upload.object).Empty());
    const std::vector<std::pair<std::int32_t, std::int32_t>> modes = {
        {0, 0}, {1, 1}, {2, 2}, {3, 0}, {5, 0}, {-1, 0}, {256 + 1, 0}, {INT32_MIN, 0}};
    for (const auto& [written, read] : modes) {
        SCOPED_TRACE(written);
        upload.object.SetOverwriteMode(written);
        EXPECT_EQ(read, upload.object.OverwriteMode());
    }
    EXPECT_EQ(0u, TTessock::Version().rfind("Kestrune 1.1.0.0", 0));
    EXPECT_EQ(&TTessock::Version(), &TTessock::Version());
}

}  // namespace
}  // namespace kestrune::testing
