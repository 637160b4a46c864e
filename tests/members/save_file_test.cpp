// SaveFile against a real temporary directory.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include <gtest/gtest.h>

#include "host/posix/posix_file_system.h"
#include "support/upload_fixture.h"
#include "support/expect_throw_msg.h"

namespace kestrune::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const std::string kSaveError = "Error saving file. Check the user permissions.";
const std::string kContent = "new bytes\r\n\x00\xff"s;

class SaveFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrune-save-XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(pattern));
        dir_ = pattern;
        upload_.Receive();
    }
    void TearDown() override {
        for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
        }
        fs::remove_all(dir_);
    }
    std::string At(const std::string& name) const { return dir_ + "/" + name; }
    void Put(const std::string& name, const std::string& content) const {
        std::ofstream(At(name), std::ios::binary) << content;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(At(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) names.insert(entry.path().filename());
        return names;
    }

    std::string dir_;
    PosixFileSystem disk_;
    Upload upload_{FileBody("photo.jpg", kContent), SingleByte(), &disk_};
};

TEST_F(SaveFileOnDisk, ReplaceWritesAndReplacesWithoutLeftovers) {
    ASSERT_EQ(kContent, upload_.object.FileContent());
    upload_.object.SaveFile(At("a.bin"));
    Put("b.bin", "old contents, longer than the new ones");
    upload_.object.SaveFile(At("b.bin"));
    EXPECT_EQ(kContent, Read("a.bin"));
    EXPECT_EQ(kContent, Read("b.bin"));
    EXPECT_EQ((std::set<std::string>{"a.bin", "b.bin"}), Names());
    EXPECT_EQ("", upload_.object.NewName());
}

TEST_F(SaveFileOnDisk, ReplaceKeepsThePermissionsOfTheReplacedFile) {
    Put("p.bin", "old");
    ::chmod(At("p.bin").c_str(), 0604);
    upload_.object.SaveFile(At("p.bin"));
    EXPECT_EQ(kContent, Read("p.bin"));
    EXPECT_EQ(fs::perms(0604), fs::status(At("p.bin")).permissions());
}

// A name of 255 bytes is the most Linux allows, as 255 units are on Windows: every mode
// saves one, replacing included, and a longer one fails in every mode leaving nothing.
TEST_F(SaveFileOnDisk, NamesUpToTheLongestSaveInEveryMode) {
    struct Case {
        std::size_t length;
        bool fits;
    };
    for (const Case c : {Case{250, true}, Case{255, true}, Case{256, false}}) {
        const std::string name = std::string(c.length - 4, 'n') + ".bin";
        for (const int mode : {0, 1, 2}) {
            for (const bool existing : {false, true}) {
                if (mode == 2 && existing) continue;  // a numbered name is longer
                SCOPED_TRACE(std::to_string(c.length) + " bytes, mode " + std::to_string(mode) +
                             (existing ? ", existing" : ", absent"));
                fs::remove_all(dir_);
                fs::create_directory(dir_);
                if (existing && c.fits) Put(name, "old");
                upload_.object.SetOverwriteMode(mode);
                if (!c.fits) {
                    EXPECT_THROW_MSG(upload_.object.SaveFile(At(name)), EUploadError, kSaveError);
                    EXPECT_TRUE(fs::is_empty(dir_));
                    continue;
                }
                upload_.object.SaveFile(At(name));
                EXPECT_EQ(existing && mode == 1 ? "old" : kContent, Read(name));
                EXPECT_EQ(1u, Names().size()) << "no temporary file left";
            }
        }
    }
}

TEST_F(SaveFileOnDisk, KeepLeavesAnExistingFile) {
    upload_.object.SetOverwriteMode(1);
    Put("old.bin", "old");
    upload_.object.SaveFile(At("old.bin"));
    upload_.object.SaveFile(At("new.bin"));
    EXPECT_EQ("old", Read("old.bin"));
    EXPECT_EQ(kContent, Read("new.bin"));
    EXPECT_EQ("", upload_.object.NewName());
}

TEST_F(SaveFileOnDisk, NumberedNames) {
    struct Case {
        const char* label;
        std::vector<std::string> present;
        std::string marker, target, saved;
    };
    const std::vector<Case> cases = {
        {"absent", {}, "~", "photo.jpg", "photo.jpg"},
        {"present", {"photo.jpg"}, "~", "photo.jpg", "photo~1.jpg"},
        {"next", {"photo.jpg", "photo~1.jpg"}, "~", "photo.jpg", "photo~2.jpg"},
        {"lowest free", {"photo.jpg", "photo~2.jpg"}, "~", "photo.jpg", "photo~1.jpg"},
        {"underscore", {"photo.jpg"}, "_", "photo.jpg", "photo_1.jpg"},
        {"empty marker", {"photo.jpg"}, "", "photo.jpg", "photo1.jpg"},
        {"no extension", {"my.dir/README"}, "~", "my.dir/README", "README~1"},
        {"two dots", {"a.tar.gz"}, "~", "a.tar.gz", "a.tar~1.gz"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all(dir_);
        fs::create_directories(At("my.dir"));
        for (const auto& name : c.present) Put(name, "present");
        upload_.object.SetOverwriteMode(2);
        upload_.object.SetOverwriteChr(c.marker);
        upload_.object.SaveFile(At(c.target));
        EXPECT_EQ(c.saved, upload_.object.NewName());
        const std::string folder = c.target.find('/') == std::string::npos ? "" : "my.dir/";
        EXPECT_EQ(kContent, Read(folder + c.saved));
        for (const auto& name : c.present) EXPECT_EQ("present", Read(name));
    }
    fs::remove_all(dir_);
    fs::create_directory(dir_);
    Put("photo.jpg", "present");
    upload_.object.SetOverwriteChr("~");
    upload_.object.SaveFile(At("photo.jpg"));
    EXPECT_EQ("photo~1.jpg", upload_.object.NewName());
    upload_.object.SaveFile(At("photo.jpg"));
    EXPECT_EQ("photo~2.jpg", upload_.object.NewName());
    upload_.object.SetOverwriteMode(0);
    upload_.object.SaveFile(At("other.jpg"));
    EXPECT_EQ("photo~2.jpg", upload_.object.NewName());
}

// Catches a list that saves the first file's bytes for every file, a NewName shared
// between files, and positions that fail unlike FormVariableByIndex's.
TEST_F(SaveFileOnDisk, EveryListedFileSavesItsOwnBytesWithItsOwnNewName) {
    const std::string body =
        "--XyZ\r\nContent-Disposition: form-data; name=\"a\"; filename=\"x.txt\"\r\n"
        "Content-Type: text/plain\r\n\r\nfirst\r\n"
        "--XyZ\r\nContent-Disposition: form-data; name=\"B\"; filename=\"y.txt\"\r\n"
        "Content-Type: text/plain\r\n\r\nsecond\r\n--XyZ--\r\n";
    Upload two(body, SingleByte(), &disk_);
    TTessock& object = two.Receive();
    ASSERT_EQ(2, object.FileCount());
    EXPECT_EQ(1, object.FileIndexOf("b"));
    EXPECT_EQ(-1, object.FileIndexOf("c"));
    object.SetOverwriteMode(2);
    object.SaveFileAt(0, At("same.txt"));
    object.SaveFileAt(1, At("same.txt"));
    EXPECT_EQ("first", Read("same.txt"));
    EXPECT_EQ("second", Read("same~1.txt"));
    EXPECT_EQ("same.txt", object.NewNameAt(0));
    EXPECT_EQ("same~1.txt", object.NewNameAt(1));
    EXPECT_EQ("same.txt", object.NewName());  // the first file's
    EXPECT_THROW_MSG(object.SaveFileAt(2, At("z.txt")), EUploadError, "Index out of range.");
    EXPECT_THROW_MSG(object.FileAt(-1), EListError, "List index out of bounds (-1)");
}

TEST_F(SaveFileOnDisk, RefusedTargetsFailInEveryModeAndWriteNothing) {
    fs::create_directory(At("folder"));
    Put("readonly.txt", "keep me");
    ::chmod(At("readonly.txt").c_str(), 0444);
    struct Case {
        const char* label;
        std::string path;
        std::vector<int> modes;
        SystemError error;  // LastSaveError, as Windows numbers it
    };
    const std::vector<Case> cases = {
        {"directory", At("folder"), {0, 1, 2}, kFileExists},
        {"missing directory", At("nowhere/x.txt"), {0, 1, 2}, kPathNotFound},
        {"read-only target", At("readonly.txt"), {0}, kAccessDenied},
        {"NUL in the path", At("evil.asp\0.jpg"s), {0, 1, 2}, kInvalidName},
        {"device name", At("con"), {0, 1, 2}, kInvalidName},
        {"device name with extension", At("Con.txt"), {0, 1, 2}, kInvalidName},
        {"device name, blank before the dot", At("LPT3 .log"), {0, 1, 2}, kInvalidName},
        {"trailing dot", At("x.txt."), {0, 1, 2}, kInvalidName},
        {"trailing blank", At("x.txt "), {0, 1, 2}, kInvalidName},
        {"empty file name", At("folder/"), {0, 1, 2}, kInvalidName},
        {"empty path", "", {0, 1, 2}, kInvalidName},
        {"name too long", At(std::string(300, 'n')), {0, 1, 2}, kNameTooLong},
    };
    const std::set<std::string> before = Names();
    for (const auto& c : cases) {
        for (const int mode : c.modes) {
            SCOPED_TRACE(std::string(c.label) + ", mode " + std::to_string(mode));
            upload_.object.SetOverwriteMode(mode);
            EXPECT_THROW_MSG(upload_.object.SaveFile(c.path), EUploadError, kSaveError);
            EXPECT_EQ(c.error, upload_.object.LastSaveError());
        }
    }
    EXPECT_EQ(before, Names());
    EXPECT_EQ("keep me", Read("readonly.txt"));
    EXPECT_TRUE(fs::is_empty(At("folder")));
    EXPECT_EQ("", upload_.object.NewName());
}

TEST_F(SaveFileOnDisk, ReadOnlyTargetIsKeptOrNumbered) {
    Put("ro.txt", "keep me");
    ::chmod(At("ro.txt").c_str(), 0444);
    upload_.object.SetOverwriteMode(1);
    upload_.object.SaveFile(At("ro.txt"));
    upload_.object.SetOverwriteMode(2);
    upload_.object.SaveFile(At("ro.txt"));
    EXPECT_EQ("ro~1.txt", upload_.object.NewName());
    EXPECT_EQ("keep me", Read("ro.txt"));
}

TEST_F(SaveFileOnDisk, NoFileReceived) {
    Put("there.txt", "x");
    for (const auto& body : {LinesBody({"a=b"}), FileBody("empty.txt", "")}) {
        Upload empty(body);
        empty.Receive();
        for (const int mode : {0, 1, 2}) {
            SCOPED_TRACE(mode);
            empty.object.SetOverwriteMode(mode);
            EXPECT_THROW_MSG(empty.object.SaveFile(At("there.txt")), EUploadError,
                             "Error. No file received.");
            EXPECT_THROW_MSG(empty.object.SaveFile("\0"s), EUploadError, "Error. No file received.");
        }
    }
    EXPECT_EQ((std::set<std::string>{"there.txt"}), Names());
}

// SaveToFolder's rules over a real folder: catches a file stored under the browser's
// name rather than its safe one, an extension judged on the raw name, a replaced file,
// a random name without the extension (or with its case), a refusal that writes
// anyway, and a NewName or LastSaveError left from the save before.
TEST_F(SaveFileOnDisk, SaveToFolderStoresUnderASafeOrRandomNameAndNeverReplaces) {
    struct Case {
        const char* label;
        std::string fileName, allowed;
        int naming;
        std::string present;  // a file put there first
        std::string saved;    // the name used, "" when refused; "?" for random digits
        std::string suffix;   // what follows the random digits
        std::string message;  // the error raised, "" for none
        SystemError error;
    };
    const std::vector<Case> cases = {
        {"safe name", "Photo.JPG", "", 0, "", "Photo.JPG", "", "", kNoError},
        {"taken name numbered", "Photo.JPG", "", 0, "Photo.JPG", "Photo~1.JPG", "", "", kNoError},
        {"IIS trick made harmless", "x.asp;.jpg", "jpg;png", 0, "", "x.asp_.jpg", "", "", kNoError},
        {"trailing dot dropped before judging", "page.asp.", "", 0, "", "", "", "File type not allowed.",
         kAccessDenied},
        {"refused by default", "shell.ASPX", "", 0, "", "", "", "File type not allowed.", kAccessDenied},
        {"not on the allow list", "photo.gif", " .JPG , png ", 0, "", "", "", "File type not allowed.",
         kAccessDenied},
        {"allow list without case", "photo.PNG", "jpg;png", 0, "", "photo.PNG", "", "", kNoError},
        {"no extension with a list", "README", "txt", 0, "", "", "", "File type not allowed.", kAccessDenied},
        {"random keeps the extension in lower case", "Photo.JPG", "", 1, "", "?", ".jpg", "", kNoError},
        {"nothing safe left: random, no extension", " ... ", "", 0, "", "?", "", "", kNoError},
        {"unknown naming", "Photo.JPG", "", 2, "", "", "", "Naming not supported.", kNoError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all(dir_);
        fs::create_directory(dir_);
        if (!c.present.empty()) Put(c.present, "present");
        Upload upload(FileBody(c.fileName, kContent), SingleByte(), &disk_);
        TTessock& object = upload.Receive();
        object.SetOverwriteMode(0);  // replacing is never SaveToFolder's way
        std::string saved;
        if (c.message.empty()) {
            saved = object.SaveToFolderAt(0, dir_ + "/", true, c.allowed, c.naming);
        } else {
            EXPECT_THROW_MSG(object.SaveToFolderAt(0, dir_ + "/", true, c.allowed, c.naming), EUploadError,
                             c.message);
        }
        EXPECT_EQ(c.error, object.LastSaveErrorAt(0));
        EXPECT_EQ(saved, object.NewNameAt(0));
        if (c.saved == "?") {
            ASSERT_EQ(kRandomNameDigits + c.suffix.size(), saved.size());
            EXPECT_EQ(std::string::npos,
                      saved.substr(0, kRandomNameDigits).find_first_not_of("0123456789abcdef"));
            EXPECT_EQ(c.suffix, saved.substr(kRandomNameDigits));
        } else {
            EXPECT_EQ(c.saved, saved);
        }
        std::set<std::string> names;
        if (!c.present.empty()) names.insert(c.present);
        if (!saved.empty()) names.insert(saved);
        EXPECT_EQ(names, Names());
        if (!saved.empty()) {
            EXPECT_EQ(kContent, Read(saved));
        }
        if (!c.present.empty()) {
            EXPECT_EQ("present", Read(c.present));
        }
    }
    // No folder fails as a missing one does in SaveFile.
    EXPECT_THROW_MSG(upload_.object.SaveToFolderAt(0, "", true, "", 0), EUploadError, kSaveError);
    EXPECT_EQ(kPathNotFound, upload_.object.LastSaveErrorAt(0));
}

}  // namespace
}  // namespace kestrune::testing
