// SaveFile through the in-memory file system: faults at every step of a save.
#include <gtest/gtest.h>

#include "support/upload_fixture.h"
#include "upload/upload_state.h"
#include "support/expect_throw_msg.h"

namespace kestrune::testing {
namespace {

using namespace std::string_literals;

const std::string kSaveError = "Error saving file. Check the user permissions.";

// A name of one fixed length in the target's folder, whatever the target's name.
bool IsTemporary(const std::string& path, const std::string& folder) {
    return path.size() == folder.size() + 16 && path.compare(0, folder.size() + 4, folder + "~kst") == 0 &&
           path.compare(path.size() - 4, 4, ".tmp") == 0;
}

TEST(SaveFileFaults, ReplaceGoesThroughATemporaryFileBesideTheTarget) {
    struct Case {
        std::string target, folder;
    };
    const Case cases[] = {{"d/t.txt", "d/"},
                          {"C:\\up\\t.txt", "C:\\up\\"},
                          {"C:t.txt", "C:"},
                          {"t.txt", ""},
                          {"d/e\\f:g", "d/e\\f:"},
                          {"d/n" + std::string(250, 'x'), "d/"},
                          {"\\\\server\\share\\dir\\a.txt", "\\\\server\\share\\dir\\"},
                          {"\\\\?\\C:\\dir\\a.txt", "\\\\?\\C:\\dir\\"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        Upload upload(FileBody("a.txt", "new"));
        upload.Receive();
        upload.files.AddFile(c.target, "old");
        upload.object.SaveFile(c.target);
        const auto& calls = upload.files.Calls();
        ASSERT_EQ(5u, calls.size());
        const std::string temporary = calls[1].substr(10, calls[1].size() - 11);
        EXPECT_TRUE(IsTemporary(temporary, c.folder)) << temporary;
        EXPECT_EQ((std::vector<std::string>{"IsFile(" + c.target + ")", "CreateNew(" + temporary + ")",
                                            "Write(" + temporary + ",3)", "Close(" + temporary + ")",
                                            "Replace(" + temporary + "," + c.target + ")"}),
                  calls);
        EXPECT_EQ((std::map<std::string, std::string>{{c.target, "new"}}), upload.files.Files());
    }
}

// Where nothing is, replacing creates the target itself, as keeping does: a target that
// keeping can create never fails for want of room for a temporary name. A file that
// appears just before is replaced all the same.
TEST(SaveFileFaults, ReplaceCreatesAnAbsentTargetInPlace) {
    Upload upload(FileBody("a.txt", "new"));
    upload.Receive();
    upload.object.SaveFile("d/t.txt");
    EXPECT_EQ((std::vector<std::string>{"IsFile(d/t.txt)", "CreateNew(d/t.txt)", "Write(d/t.txt,3)",
                                        "Close(d/t.txt)"}),
              upload.files.Calls());
    EXPECT_EQ((std::map<std::string, std::string>{{"d/t.txt", "new"}}), upload.files.Files());

    Upload raced(FileBody("a.txt", "new"));
    raced.Receive();
    raced.files.AppearBeforeCreate([](const std::string& path) { return path == "t.txt"; });
    raced.object.SaveFile("t.txt");
    EXPECT_EQ((std::map<std::string, std::string>{{"t.txt", "new"}}), raced.files.Files());
}

// Whatever step fails, the old target keeps its bytes and nothing else is left behind, on
// a share and behind a long-path prefix as in the current folder.
TEST(SaveFileFaults, AFailingStepLeavesNoPartialFileAndTheOldTargetIntact) {
    struct Case {
        const char* label;
        void (*inject)(FakeFileSystem&);
        SystemError error;  // what LastSaveError says: the failing call's own reason
    };
    const std::vector<Case> cases = {
        {"create fails", [](FakeFileSystem& f) { f.FailCreate([](const std::string&) { return true; }); },
         kPathNotFound},
        {"short write", [](FakeFileSystem& f) { f.ShortWrite(); }, kDiskFull},
        {"close fails", [](FakeFileSystem& f) { f.FailClose(); }, kSharingViolation},
        {"replace fails", [](FakeFileSystem& f) { f.FailReplace(); }, kAccessDenied},
    };
    for (const auto& c : cases) {
        for (const std::string folder : {"", "\\\\server\\share\\dir\\", "\\\\?\\C:\\dir\\"}) {
            for (const int mode : {0, 1, 2}) {
                SCOPED_TRACE(std::string(c.label) + ", mode " + std::to_string(mode) + ", in [" + folder +
                             "]");
                const std::string target = folder + "t.txt";
                Upload upload(FileBody("a.txt", "new contents"));
                upload.Receive();
                upload.object.SetOverwriteMode(mode);
                upload.files.AddFile(target, "old");
                c.inject(upload.files);
                const bool replaceOnly = std::string(c.label) == "replace fails";
                if (mode != 0 && replaceOnly) continue;  // only replacing uses Replace
                if (mode == 1) {
                    upload.object.SaveFile(target);  // kept, nothing written
                    EXPECT_EQ(kNoError, upload.object.LastSaveError());
                } else {
                    EXPECT_THROW_MSG(upload.object.SaveFile(target), EUploadError, kSaveError);
                    EXPECT_EQ(c.error, upload.object.LastSaveError());
                }
                // Where nothing is, every mode creates the target itself.
                if (!replaceOnly) {
                    EXPECT_THROW_MSG(upload.object.SaveFileAt(0, folder + "u.txt"), EUploadError, kSaveError);
                    EXPECT_EQ(c.error, upload.object.LastSaveErrorAt(0));
                }
                EXPECT_EQ((std::map<std::string, std::string>{{target, "old"}}), upload.files.Files());
                EXPECT_EQ("", upload.object.NewName());
            }
        }
    }
}

// A target refused before any call gets the code Windows gives such a name; each object
// keeps its own last reason, and a save that works clears it.
TEST(SaveFileFaults, LastSaveErrorOfRefusalsAndOfEachObject) {
    Upload upload(FileBody("a.txt", "new"));
    upload.Receive();
    struct Case {
        std::string target;
        bool exact;
        SystemError error;
    };
    const std::vector<Case> cases = {
        {"d/con.txt", true, kInvalidName}, {"d/t.", true, kInvalidName}, {"d/t\0.txt"s, true, kInvalidName},
        {"d/t?.txt", false, kInvalidName},  // the page's name lost a character on the way in
        {"d/t.txt", true, kNoError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        if (c.error != kNoError) {
            EXPECT_THROW_MSG(upload.object.SaveFile(c.target, c.exact), EUploadError, kSaveError);
        } else {
            upload.object.SaveFile(c.target, c.exact);
        }
        EXPECT_EQ(c.error, upload.object.LastSaveError());
        EXPECT_EQ(kNoError, upload.object.LastSaveErrorAt(0));  // the file's own saves only
    }
    EXPECT_THROW_MSG(upload.object.SaveFileAt(0, "d/aux"), EUploadError, kSaveError);
    EXPECT_EQ(kInvalidName, upload.object.LastSaveErrorAt(0));
    EXPECT_EQ(kNoError, upload.object.LastSaveError());

    Upload none(MultipartBody({{"a", "1"}}));
    none.Receive();
    EXPECT_THROW_MSG(none.object.SaveFile("d/t.txt"), EUploadError, "Error. No file received.");
    EXPECT_EQ(kFileNotFound, none.object.LastSaveError());

    // Without the system's random name, a random save writes nothing under another.
    upload.files.FailRandomName();
    EXPECT_THROW_MSG(upload.object.SaveToFolderAt(0, "d", true, "", 1), EUploadError, kSaveError);
    EXPECT_EQ(kAccessDenied, upload.object.LastSaveErrorAt(0));
    EXPECT_EQ((std::map<std::string, std::string>{{"d/t.txt", "new"}}), upload.files.Files());
}

TEST(SaveFileFaults, AFileAppearingBeforeTheCreateIsNeverReplaced) {
    Upload keep(FileBody("a.txt", "mine"));
    keep.Receive();
    keep.object.SetOverwriteMode(1);
    keep.files.AppearBeforeCreate([](const std::string& path) { return path == "t.txt"; });
    keep.object.SaveFile("t.txt");
    EXPECT_EQ((std::map<std::string, std::string>{{"t.txt", "intruder"}}), keep.files.Files());

    // Numbering keeps the folder, on a share and behind a long-path prefix too.
    for (const std::string d : {"", "\\\\server\\share\\dir\\", "\\\\?\\C:\\dir\\"}) {
        SCOPED_TRACE("[" + d + "]");
        Upload number(FileBody("a.txt", "mine"));
        number.Receive();
        number.object.SetOverwriteMode(2);
        number.files.AppearBeforeCreate(
            [&d](const std::string& path) { return path == d + "t.txt" || path == d + "t~1.txt"; });
        number.object.SaveFile(d + "t.txt");
        EXPECT_EQ("t~2.txt", number.object.NewName());
        EXPECT_EQ((std::map<std::string, std::string>{
                      {d + "t.txt", "intruder"}, {d + "t~1.txt", "intruder"}, {d + "t~2.txt", "mine"}}),
                  number.files.Files());
        // After a refused create, a second look tells a file that appeared from a directory.
        EXPECT_EQ((std::vector<std::string>{"IsFile(" + d + "t.txt)", "CreateNew(" + d + "t.txt)",
                                            "IsFile(" + d + "t.txt)", "IsFile(" + d + "t~1.txt)",
                                            "CreateNew(" + d + "t~1.txt)", "IsFile(" + d + "t~1.txt)",
                                            "IsFile(" + d + "t~2.txt)", "CreateNew(" + d + "t~2.txt)",
                                            "Write(" + d + "t~2.txt,4)", "Close(" + d + "t~2.txt)"}),
                  number.files.Calls());
    }
}

TEST(SaveFileFaults, ATemporaryNameTakenMeanwhileIsSkipped) {
    Upload upload(FileBody("a.txt", "mine"));
    upload.Receive();
    upload.files.AddFile("t.txt", "old");
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
