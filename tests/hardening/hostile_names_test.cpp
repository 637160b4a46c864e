// File names chosen by an attacker, saved the way the documentation tells pages to save:
// SaveFile(folder + "/" + Filename). Whatever the name, in every mode, the save lands in
// the folder under a plain name or is refused with the permissions message; nothing is
// ever written beside the folder or to a device.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "fakes/dbcs_code_page.h"
#include "host/posix/posix_file_system.h"
#include "host/posix/single_byte_code_page.h"
#include "support/body_builder.h"
#include "support/expect_throw_msg.h"
#include "support/upload_fixture.h"

namespace kestrune::testing {
namespace {

namespace fs = std::filesystem;

const SingleByteCodePage kSingleByte;
const DbcsCodePage kDoubleByte;
constexpr const char* kRefused = "";

struct HostileName {
    const char* label;
    std::string sent;
    std::string saved;  // the file that appears in the folder; empty: the save is refused
    const CodePage* codePage = &kSingleByte;
};

std::set<std::string> Listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

std::string Contents(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

class TemporaryParent {
public:
    TemporaryParent() {
        std::string pattern = (fs::temp_directory_path() / "kestrune-names-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
        fs::create_directory(path_ / "up");
    }
    ~TemporaryParent() { fs::remove_all(path_); }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

TEST(HostileNames, SavesStayInTheFolderOrAreRefused) {
    const std::vector<HostileName> cases = {
        {"parent folders with slashes", "../../x.asp", "x.asp"},
        {"parent folders with backslashes", "..\\..\\x.asp", "x.asp"},
        {"a drive", "C:\\x.asp", "x.asp"},
        {"an absolute path", "/etc/passwd", "passwd"},
        {"a stream name", "x.asp:.jpg", ".jpg"},
        {"a device name", "CON", kRefused},
        {"a device name in lower case with an extension", "nul.txt", kRefused},
        {"a numbered device name", "COM1", kRefused},
        {"a numbered device name with an extension", "LPT9.log", kRefused},
        {"a trailing dot", "x.asp.", kRefused},
        {"a trailing space", "x.asp ", kRefused},
        {"two dots", "..", kRefused},
        {"a NUL in the name", std::string("evil.asp\0.jpg", 13), kRefused},
        {"an empty name", "", kRefused},
        {"trail byte 0x5C under the double-byte code page", "\x95\x5c.txt", "\x95\x5c.txt", &kDoubleByte},
        {"a double-byte name ending in trail byte 0x5C", "a\\\x83\x5c", "\x83\x5c", &kDoubleByte},
        {"the same bytes under the single-byte code page", "\x95\x5c.txt", ".txt"},
    };
    int saves = 0;
    for (const HostileName& name : cases) {
        for (int mode = 0; mode <= 2; ++mode) {
            SCOPED_TRACE(std::string(name.label) + ", mode " + std::to_string(mode));
            TemporaryParent parent;
            const fs::path folder = parent.Path() / "up";
            PosixFileSystem files;
            const std::string body =
                BodyBuilder().File("f", name.sent, "application/octet-stream", "data").Close().Build();
            Upload upload(body, *name.codePage, &files);
            TTessock& object = upload.Receive();
            ASSERT_EQ(object.FileSize(), 4);
            object.SetOverwriteMode(mode);
            const std::string target = folder.string() + "/" + object.Filename();
            if (name.saved.empty()) {
                EXPECT_THROW_MSG(object.SaveFile(target), EUploadError,
                                 "Error saving file. Check the user permissions.");
                EXPECT_EQ(Listing(folder), std::set<std::string>{});
            } else {
                EXPECT_NO_THROW(object.SaveFile(target));
                EXPECT_EQ(Listing(folder), std::set<std::string>{name.saved});
                EXPECT_EQ(Contents(folder / name.saved), "data");
                EXPECT_EQ(object.NewName(), mode == 2 ? name.saved : "");
                ++saves;
            }
            EXPECT_EQ(Listing(parent.Path()), std::set<std::string>{"up"});
        }
    }
    EXPECT_EQ(saves, 24);
}

}  // namespace
}  // namespace kestrune::testing
