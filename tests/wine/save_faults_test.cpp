// SaveFile when things go wrong on the disk or race on it: many threads saving onto one
// name, a full drive, targets that may not be replaced, names and paths at the length
// limits. Each case checks what is on the disk afterwards, byte for byte, not only the
// result.
#include <gtest/gtest.h>
#include <sddl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "com_test_support.h"
#include "tests/support/body_builder.h"

namespace kestrune::test {
namespace {

constexpr const wchar_t* kPermissionsMessage = L"Error saving file. Check the user permissions.";

// A new empty folder, removed with everything in it at the end of the scope.
class Folder {
public:
    explicit Folder(std::wstring path) : path_(std::move(path)) {
        if (path_.back() != L'\\') path_ += L'\\';
        created_ = CreateDirectoryW(path_.c_str(), nullptr) != FALSE;
    }
    static Folder InTemp(const wchar_t* name) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        return Folder(std::wstring(temp) + name + std::to_wstring(GetCurrentProcessId()) + L"-" +
                      std::to_wstring(GetTickCount()));
    }
    Folder(Folder&& other) noexcept
        : path_(std::move(other.path_)), created_(std::exchange(other.created_, false)) {}
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder() {
        if (!created_) return;
        for (const std::wstring& name : List()) {
            SetFileAttributesW((path_ + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW((path_ + name).c_str());
        }
        if (created_) RemoveDirectoryW(path_.c_str());
    }

    bool Created() const { return created_; }
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + name; }

    // The names in the folder, sorted.
    std::vector<std::wstring> List() const { return NamesMatching(path_ + L"*"); }

private:
    std::wstring path_;
    bool created_ = false;
};

std::string ReadWhole(const std::wstring& path) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<unreadable>";
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

bool WriteWhole(const std::wstring& path, const std::string& bytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    return CloseHandle(file) && ok;
}

// Contents that differ from every other seed's in their first bytes and throughout.
std::string Content(int seed, std::size_t size) {
    std::string bytes = "content " + std::to_string(seed) + "\n";
    bytes.resize(size);
    for (std::size_t i = 20; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + seed * 7) & 0xFF);
    return bytes;
}

// One object holding a received file, ready to save it.
struct Saver {
    ComPtr<ITessock> tessock;

    Saver(const std::string& content, LONG mode) {
        tessock = CreateTessockOver(
            BodyBuilder().File("upload", "up.bin", "application/octet-stream", content).Close().Build());
        if (tessock) tessock->put_OverwriteMode(mode);
    }

    // Saves to target; the error object's description is taken into error.
    HRESULT Save(const std::wstring& target, std::wstring* error = nullptr) {
        if (!tessock) return E_POINTER;
        const HRESULT hr = tessock->SaveFile(UniqueBstr(SysAllocString(target.c_str())).Get());
        ComPtr<IErrorInfo> info = TakeErrorInfo();
        if (error) *error = info ? Description(info.Get()) : L"";
        return hr;
    }

    std::wstring NewName() {
        UniqueBstr name;
        tessock->get_NewName(name.Out());
        return Wide(name.Get());
    }
};

// Threads that each save their own content onto one target, released together.
struct Race {
    static constexpr int kThreads = 32;
    static constexpr std::size_t kSize = 96 * 1024;

    Race(LONG mode_, std::wstring target_) : mode(mode_), target(std::move(target_)) {}

    LONG mode;
    std::wstring target;
    HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HRESULT results[kThreads] = {};
    std::wstring newNames[kThreads];

    struct Runner {
        Race* race;
        int index;
    };

    static DWORD WINAPI Run(void* parameter) {
        const Runner& runner = *static_cast<Runner*>(parameter);
        Race& race = *runner.race;
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            Saver saver(Content(runner.index, kSize), race.mode);
            WaitForSingleObject(race.start, INFINITE);
            race.results[runner.index] = saver.Save(race.target);
            if (saver.tessock) race.newNames[runner.index] = saver.NewName();
        }
        CoUninitialize();
        return 0;
    }

    void RunAll() {
        HANDLE threads[kThreads];
        Runner runners[kThreads];
        for (int i = 0; i < kThreads; ++i) {
            runners[i] = {this, i};
            threads[i] = CreateThread(nullptr, 0, Run, &runners[i], 0, nullptr);
        }
        Sleep(50);  // lets every thread parse its body and wait at the start line
        SetEvent(start);
        WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
        for (HANDLE thread : threads) CloseHandle(thread);
        CloseHandle(start);
    }
};

TEST(SaveRace, NumberingGivesEveryThreadItsOwnIntactFile) {
    const Folder folder = Folder::InTemp(L"kestrune-race2-");
    ASSERT_TRUE(folder.Created());
    Race race{2, folder / L"same.bin"};
    race.RunAll();

    std::set<std::wstring> expected = {L"same.bin"};
    for (int n = 1; n < Race::kThreads; ++n) expected.insert(L"same~" + std::to_wstring(n) + L".bin");
    const std::vector<std::wstring> listed = folder.List();
    EXPECT_EQ(expected, std::set<std::wstring>(listed.begin(), listed.end()))
        << "the lowest free numbers, no gaps, nothing else left";
    std::set<std::wstring> names;
    for (int i = 0; i < Race::kThreads; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(S_OK, race.results[i]);
        names.insert(race.newNames[i]);
        EXPECT_EQ(Content(i, Race::kSize), ReadWhole(folder / race.newNames[i]))
            << "the file NewName reports";
    }
    EXPECT_EQ(expected, names) << "every thread reported a different name";
    std::printf("figures: mode 2 race: %d threads, %zu files saved, all intact\n", Race::kThreads,
                listed.size());
}

TEST(SaveRace, KeepingNeverReplacesAFileThatAppearedMeanwhile) {
    const Folder folder = Folder::InTemp(L"kestrune-race1-");
    ASSERT_TRUE(folder.Created());
    Race race{1, folder / L"same.bin"};
    race.RunAll();

    for (int i = 0; i < Race::kThreads; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(S_OK, race.results[i]) << "keeping an existing file is a success";
    }
    ASSERT_EQ(std::vector<std::wstring>{L"same.bin"}, folder.List());
    const std::string saved = ReadWhole(folder / L"same.bin");
    int winners = 0;
    for (int i = 0; i < Race::kThreads; ++i) winners += saved == Content(i, Race::kSize) ? 1 : 0;
    EXPECT_EQ(1, winners) << "exactly one thread's content, whole (" << saved.size() << " bytes)";
    std::printf("figures: mode 1 race: %d threads, 1 file saved, intact\n", Race::kThreads);
}

struct FaultCase {
    const char* label;
    LONG mode;
    bool existing;  // a target with other contents is there before the save
};

// The drive named by KESTRUNE_FULL_DISK (a Windows folder on a small file system) cannot
// take a file larger than its free space.
TEST(SaveOnAFullDisk, FailsAndLeavesNothingBehind) {
    const char* drive = std::getenv("KESTRUNE_FULL_DISK");
    if (drive == nullptr || *drive == '\0') {
        GTEST_SKIP() << "KESTRUNE_FULL_DISK is not set: no small drive to fill (the suite script maps one)";
    }
    const Folder folder(std::wstring(drive, drive + std::strlen(drive)) + L"kestrune-full");
    ASSERT_TRUE(folder.Created()) << "cannot create a folder on KESTRUNE_FULL_DISK";
    ULARGE_INTEGER free{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(folder.Path().c_str(), &free, nullptr, nullptr));
    if (free.QuadPart > (64u << 20)) GTEST_SKIP() << "KESTRUNE_FULL_DISK has more than 64 MiB free";
    const std::string kept = Content(-1, 64 * 1024);
    const std::string tooLarge = Content(-2, static_cast<std::size_t>(free.QuadPart) + 512 * 1024);

    const FaultCase cases[] = {
        {"replace an existing file", 0, true}, {"replace, nothing there", 0, false},
        {"keep, nothing there", 1, false},     {"number beside an existing file", 2, true},
        {"number, nothing there", 2, false},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.label);
        const std::wstring target = folder / L"target.bin";
        if (c.existing) {
            ASSERT_TRUE(WriteWhole(target, kept));
        }
        std::wstring error;
        EXPECT_EQ(E_UNEXPECTED, Saver(tooLarge, c.mode).Save(target, &error));
        EXPECT_EQ(kPermissionsMessage, error);
        const std::vector<std::wstring> expected =
            c.existing ? std::vector<std::wstring>{L"target.bin"} : std::vector<std::wstring>{};
        EXPECT_EQ(expected, folder.List()) << "no partial or temporary file";
        if (c.existing) {
            EXPECT_TRUE(ReadWhole(target) == kept) << "the existing file is byte for byte intact";
        }
        // The space the failed save took is free again: a file that fits is saved.
        EXPECT_EQ(S_OK, Saver(kept, 0).Save(target, &error));
        EXPECT_TRUE(ReadWhole(target) == kept);
        DeleteFileW(target.c_str());
    }
}

// Mode 0 onto a target Windows will not open with create-always, or that another handle
// holds.
TEST(SaveOntoAProtectedTarget, FailsAndLeavesTheTargetUnchanged) {
    const Folder folder = Folder::InTemp(L"kestrune-protected-");
    const std::wstring target = folder / L"target.bin";
    ASSERT_TRUE(folder.Created());
    const std::string original = Content(-3, 4096);
    struct Case {
        const char* label;
        DWORD attributes;
        bool heldOpen;
    };
    const Case cases[] = {
        {"read-only", FILE_ATTRIBUTE_READONLY, false},
        {"hidden", FILE_ATTRIBUTE_HIDDEN, false},
        {"system", FILE_ATTRIBUTE_SYSTEM, false},
        {"hidden and system", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false},
        {"held open without sharing", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(WriteWhole(target, original));
        if (c.attributes != 0) SetFileAttributesW(target.c_str(), c.attributes);
        const DWORD attributes = GetFileAttributesW(target.c_str());
        HANDLE holder = INVALID_HANDLE_VALUE;
        if (c.heldOpen) {
            holder = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, holder);
        }
        std::wstring error;
        EXPECT_EQ(E_UNEXPECTED, Saver(Content(-4, 8192), 0).Save(target, &error));
        EXPECT_EQ(kPermissionsMessage, error);
        if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
        EXPECT_EQ(std::vector<std::wstring>{L"target.bin"}, folder.List()) << "no temporary file left";
        EXPECT_TRUE(ReadWhole(target) == original) << "the target is unchanged";
        EXPECT_EQ(attributes, GetFileAttributesW(target.c_str())) << "its attributes too";
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(target.c_str());
    }
}

// The DACL of the file at path in SDDL; empty when it cannot be read.
std::wstring AccessListOf(const std::wstring& path) {
    DWORD needed = 0;
    GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    std::vector<unsigned char> descriptor(needed);
    if (needed == 0 ||
        !GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed)) {
        return L"";
    }
    wchar_t* text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1,
                                                              DACL_SECURITY_INFORMATION, &text, nullptr)) {
        return L"";
    }
    std::wstring dacl = text;
    LocalFree(text);
    return dacl;
}

bool SetAccessList(const std::wstring& path, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    const bool set = SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor) != FALSE;
    LocalFree(descriptor);
    return set;
}

FILETIME CreationTimeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftCreationTime;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// Replacing puts new contents into the file that is there, as far as anyone looking at
// it can tell: the access list stays, and so do the creation time and attributes where
// the platform holds them (Wine keeps neither a creation time of its own nor these
// attributes, so there only the access list is checked).
TEST(SaveOntoAnExistingFile, KeepsItsAccessListCreationTimeAndAttributes) {
    const Folder folder = Folder::InTemp(L"kestrune-identity-");
    ASSERT_TRUE(folder.Created());
    const std::wstring target = folder / L"target.bin";
    const std::wstring fresh = folder / L"fresh.bin";
    ASSERT_TRUE(WriteWhole(target, "old") && WriteWhole(fresh, "fresh"));
    ASSERT_TRUE(SetAccessList(target, L"D:P(A;;FA;;;WD)(A;;FA;;;SY)"));
    const std::wstring accessList = AccessListOf(target);
    ASSERT_NE(AccessListOf(fresh), accessList) << "a new file would not have this access list";
    DeleteFileW(fresh.c_str());

    const FILETIME created{0x12345600, 0x01c00000};
    const HANDLE file =
        CreateFileW(target.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    SetFileTime(file, &created, nullptr, nullptr);
    CloseHandle(file);
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    const bool holdsTime = SameTime(created, CreationTimeOf(target));
    const bool holdsAttribute =
        (GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_NOT_CONTENT_INDEXED) != 0;

    const std::string content = Content(5, 4096);
    EXPECT_EQ(S_OK, Saver(content, 0).Save(target));
    EXPECT_TRUE(ReadWhole(target) == content);
    EXPECT_EQ(std::vector<std::wstring>{L"target.bin"}, folder.List());
    EXPECT_EQ(accessList, AccessListOf(target));
    if (holdsTime) {
        EXPECT_TRUE(SameTime(created, CreationTimeOf(target))) << "the creation time stays";
    }
    if (holdsAttribute) {
        EXPECT_NE(0u, GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    }
    std::printf("figures: replacing checked to keep the access list%s%s\n",
                holdsTime ? ", creation time" : "", holdsAttribute ? ", attributes" : "");
}

// The path in the form that takes any length, for setting up and checking.
std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

// A folder whose path is exactly the given number of characters, nested under the
// temporary folder; removed with its files at the end of the scope.
class DeepFolder {
public:
    explicit DeepFolder(std::size_t length) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        std::wstring path = std::wstring(temp) + L"kestrune-deep-" + std::to_wstring(GetCurrentProcessId()) +
                            L"-" + std::to_wstring(GetTickCount());
        while (CreateDirectoryW(Long(path).c_str(), nullptr)) {
            levels_.push_back(path);
            if (path.size() == length) return;
            const std::size_t left = length - path.size();
            if (left < 2) break;
            const std::size_t name = left > 101 ? std::min<std::size_t>(100, left - 3) : left - 1;
            path += L"\\" + std::wstring(name, static_cast<wchar_t>(L'a' + levels_.size()));
        }
        ADD_FAILURE() << "cannot make a folder of " << length << " characters";
    }
    DeepFolder(const DeepFolder&) = delete;
    DeepFolder& operator=(const DeepFolder&) = delete;
    ~DeepFolder() {
        for (const std::wstring& name : List()) DeleteFileW(Long(Path() + L"\\" + name).c_str());
        for (auto level = levels_.rbegin(); level != levels_.rend(); ++level)
            RemoveDirectoryW(Long(*level).c_str());
    }

    std::wstring Path() const { return levels_.empty() ? std::wstring() : levels_.back(); }

    std::vector<std::wstring> List() const {
        return levels_.empty() ? std::vector<std::wstring>() : NamesMatching(Long(Path() + L"\\*"));
    }

private:
    std::vector<std::wstring> levels_;
};

// Every path that keeping can create, replacing can create and replace, though its
// temporary file's name (16 characters) is longer than the target's (7 to 15 here).
TEST(SaveAtTheLengthLimits, ReplacingSavesEveryPathThatKeepingCan) {
    const DeepFolder folder(247);
    ASSERT_EQ(247u, folder.Path().size());
    std::size_t longest = 0;
    for (std::size_t length = 255; length <= 263; ++length) {
        SCOPED_TRACE(std::to_string(length) + " characters");
        const std::wstring target = folder.Path() + L"\\" + std::wstring(length - 248, L'p');
        const bool keepingCreates = Saver(Content(1, 100), 1).Save(target) == S_OK;
        if (keepingCreates) longest = length;
        DeleteFileW(Long(target).c_str());

        std::wstring error;
        EXPECT_EQ(keepingCreates ? S_OK : E_UNEXPECTED, Saver(Content(2, 100), 0).Save(target, &error))
            << "nothing there";
        if (keepingCreates) {
            EXPECT_TRUE(ReadWhole(Long(target)) == Content(2, 100));
            EXPECT_EQ(S_OK, Saver(Content(3, 100), 0).Save(target)) << "replacing";
            EXPECT_TRUE(ReadWhole(Long(target)) == Content(3, 100));
        } else {
            EXPECT_EQ(kPermissionsMessage, error);
            EXPECT_EQ(E_UNEXPECTED, Saver(Content(2, 100), 2).Save(target));
        }
        EXPECT_EQ(keepingCreates ? 1u : 0u, folder.List().size()) << "no temporary file left";
        DeleteFileW(Long(target).c_str());
    }
    EXPECT_GE(longest, 259u) << "the platform's limit lies inside the lengths tried";
    EXPECT_LT(longest, 263u) << "the platform's limit lies inside the lengths tried";
    std::printf("figures: longest full path saved by modes 0 and 1: %zu characters\n", longest);
}

// Names of 250 to 255 characters, the most a name may have, in the root of C:, the one
// folder short enough to hold them; one of 256 fails in every mode and leaves nothing.
TEST(SaveAtTheLengthLimits, NamesUpToTheLongestSaveInEveryMode) {
    const std::wstring prefix = L"k" + std::to_wstring(GetCurrentProcessId()) + L"-";
    const auto leftovers = [] {
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW(L"C:\\~kst*.tmp", &found);
        if (search == INVALID_HANDLE_VALUE) return false;
        FindClose(search);
        return true;
    };
    for (const std::size_t length : {250u, 253u, 255u, 256u}) {
        const std::wstring target =
            L"C:\\" + prefix + std::wstring(length - prefix.size() - 4, L'n') + L".bin";
        const bool fits = length <= 255;
        for (const LONG mode : {0, 1, 2}) {
            for (const bool existing : {false, true}) {
                if (existing && (mode == 2 || !fits)) continue;  // a numbered name is longer
                SCOPED_TRACE(std::to_string(length) + " characters, mode " + std::to_string(mode) +
                             (existing ? ", existing" : ", nothing there"));
                if (existing) {
                    ASSERT_TRUE(WriteWhole(Long(target), "old"));
                }
                std::wstring error;
                const HRESULT hr = Saver(Content(4, 200), mode).Save(target, &error);
                if (fits) {
                    EXPECT_EQ(S_OK, hr);
                    EXPECT_TRUE(ReadWhole(Long(target)) == (existing && mode == 1 ? "old" : Content(4, 200)));
                } else {
                    EXPECT_EQ(E_UNEXPECTED, hr);
                    EXPECT_EQ(kPermissionsMessage, error);
                    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Long(target).c_str()));
                }
                EXPECT_FALSE(leftovers()) << "no temporary file left";
                DeleteFileW(Long(target).c_str());
            }
        }
    }
}

}  // namespace
}  // namespace kestrune::test
