// SaveFile through the in-memory file system: faults at every step of a save.
#include <gtest/gtest.h>

#include "support/upload_fixture.h"
#include "support/expect_throw_msg.h"

namespace kestrune::testing {
namespace {

const std::string kSaveError = "Error saving file. Check the user permissions.";

bool IsTemporary(const std::string& path, const std::string& target) {
    return path.rfind(target + ".kestrune-", 0) == 0 && path.size() > 4 &&
           path.compare(path.size() - 4, 4, ".tmp") == 0;
}

TEST(SaveFileFaults, ReplaceGoesThroughATemporaryFileBesideTheTarget) {
    Upload upload(FileBody("a.txt", "new"));
    upload.Receive();
    upload.files.AddFile("d/t.txt", "old");
    upload.object.SaveFile("d/t.txt");
    const auto& calls = upload.files.Calls();
    ASSERT_EQ(4u, calls.size());
    const std::string temporary = calls[0].substr(10, calls[0].size() - 11);
    EXPECT_TRUE(IsTemporary(temporary, "d/t.txt")) << temporary;
    EXPECT_EQ((std::vector<std::string>{"CreateNew(" + temporary + ")", "Write(" + temporary + ",3)",
                                        "Close(" + temporary + ")", "Replace(" + temporary + ",d/t.txt)"}),
              calls);
    EXPECT_EQ((std::map<std::string, std::string>{{"d/t.txt", "new"}}), upload.files.Files());
}

// Whatever step fails, the old target keeps its bytes and nothing else is left behind.
TEST(SaveFileFaults, AFailingStepLeavesNoPartialFileAndTheOldTargetIntact) {
    struct Case {
        const char* label;
        void (*inject)(FakeFileSystem&);
    };
    const std::vector<Case> cases = {
        {"create fails", [](FakeFileSystem& f) { f.FailCreate([](const std::string&) { return true; }); }},
        {"short write", [](FakeFileSystem& f) { f.ShortWrite(); }},
        {"close fails", [](FakeFileSystem& f) { f.FailClose(); }},
        {"replace fails", [](FakeFileSystem& f) { f.FailReplace(); }},
    };
    for (const auto& c : cases) {
        for (const int mode : {0, 1, 2}) {
            SCOPED_TRACE(std::string(c.label) + ", mode " + std::to_string(mode));
            Upload upload(FileBody("a.txt", "new contents"));
            upload.Receive();
            upload.object.SetOverwriteMode(mode);
            upload.files.AddFile("t.txt", "old");
            c.inject(upload.files);
            const bool replaceOnly = std::string(c.label) == "replace fails";
            if (mode != 0 && replaceOnly) continue;  // only replacing uses Replace
            if (mode == 1) {
                upload.object.SaveFile("t.txt");  // kept, nothing written
                EXPECT_THROW_MSG(upload.object.SaveFile("u.txt"), EUploadError, kSaveError);
            } else {
                EXPECT_THROW_MSG(upload.object.SaveFile("t.txt"), EUploadError, kSaveError);
            }
            EXPECT_EQ((std::map<std::string, std::string>{{"t.txt", "old"}}), upload.files.Files());
            EXPECT_EQ("", upload.object.NewName());
        }
    }
}

TEST(SaveFileFaults, AFileAppearingBeforeTheCreateIsNeverReplaced) {
    Upload keep(FileBody("a.txt", "mine"));
    keep.Receive();
    keep.object.SetOverwriteMode(1);
    keep.files.AppearBeforeCreate([](const std::string& path) { return path == "t.txt"; });
    keep.object.SaveFile("t.txt");
    EXPECT_EQ((std::map<std::string, std::string>{{"t.txt", "intruder"}}), keep.files.Files());

    Upload number(FileBody("a.txt", "mine"));
    number.Receive();
    number.object.SetOverwriteMode(2);
    number.files.AppearBeforeCreate(
        [](const std::string& path) { return path == "t.txt" || path == "t~1.txt"; });
    number.object.SaveFile("t.txt");
    EXPECT_EQ("t~2.txt", number.object.NewName());
    EXPECT_EQ((std::map<std::string, std::string>{
                  {"t.txt", "intruder"}, {"t~1.txt", "intruder"}, {"t~2.txt", "mine"}}),
              number.files.Files());
    // After a refused create, a second look tells a file that appeared from a directory.
    EXPECT_EQ(
        (std::vector<std::string>{"IsFile(t.txt)", "CreateNew(t.txt)", "IsFile(t.txt)", "IsFile(t~1.txt)",
                                  "CreateNew(t~1.txt)", "IsFile(t~1.txt)", "IsFile(t~2.txt)",
                                  "CreateNew(t~2.txt)", "Write(t~2.txt,4)", "Close(t~2.txt)"}),
        number.files.Calls());
}

TEST(SaveFileFaults, ATemporaryNameTakenMeanwhileIsSkipped) {
    Upload upload(FileBody("a.txt", "mine"));
    upload.Receive();
    int appeared = 0;
    upload.files.AppearBeforeCreate(
        [&appeared](const std::string& path) { return path != "t.txt" && appeared++ == 0; });
    upload.object.SaveFile("t.txt");
    ASSERT_EQ(2u, upload.files.Files().size());
    EXPECT_EQ("mine", upload.files.Files().at("t.txt"));
}

TEST(SaveFileFaults, NumberingEndsAtACandidateThatCannotBeCreated) {
    Upload upload(FileBody("a.txt", "mine"));
    upload.Receive();
    upload.object.SetOverwriteMode(2);
    upload.object.SetOverwriteChr("*");
    upload.files.AddFile("p.jpg", "old");
    upload.files.FailCreate([](const std::string& path) { return path.find('*') != std::string::npos; });
    EXPECT_THROW_MSG(upload.object.SaveFile("p.jpg"), EUploadError, kSaveError);

    upload.object.SetOverwriteChr("~");
    upload.object.SaveFile("p.jpg");
    EXPECT_EQ("p~1.jpg", upload.object.NewName());
    upload.files.ShortWrite();
    EXPECT_THROW_MSG(upload.object.SaveFile("p.jpg"), EUploadError, kSaveError);
    EXPECT_EQ("p~1.jpg", upload.object.NewName());  // only a successful save names
    EXPECT_FALSE(upload.files.Has("p~2.jpg"));

    // A directory counts as absent but cannot be created onto.
    upload.files.ShortWrite(false);
    upload.files.AddDirectory("dir.jpg");
    for (const int mode : {1, 2}) {
        upload.object.SetOverwriteMode(mode);
        EXPECT_THROW_MSG(upload.object.SaveFile("dir.jpg"), EUploadError, kSaveError);
    }
    // Candidates are checked like targets: "x/CO" + "M" + "1" names a device.
    upload.object.SetOverwriteMode(2);
    upload.object.SetOverwriteChr("M");
    upload.files.AddFile("x/CO", "old");
    EXPECT_THROW_MSG(upload.object.SaveFile("x/CO"), EUploadError, kSaveError);
}

}  // namespace
}  // namespace kestrune::testing
