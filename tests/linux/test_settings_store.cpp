// The Linux settings store's POSIX side on real files: what reading finds,
// renaming, the atomic write; the rules over it are tests/test_settings_file.cpp.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/linux/settings_store.h"
#include "settings/settings.h"

using namespace zarvella;
using namespace zarvella::linux_shell;

namespace {

struct RecordedErrors : ErrorSink {
    std::vector<std::string> texts;
    void ShowError(const std::string& text) override { texts.push_back(text); }
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

const std::string kDefaults =
    "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Zarvella]\r\n"
    "\"Fast\"=dword:0000000a\r\n\"Bright\"=dword:00000009\r\n\"Size\"=dword:00000007\r\n"
    "\"Satiation\"=dword:00000005\r\n\"Color\"=dword:0000000a\r\n\"Alpha\"=dword:00000001\r\n"
    "\"Rands\"=dword:00000000\r\n\r\n";

class FileStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/zarvella-store-XXXXXX";
        root_ = mkdtemp(pattern);
        folder_ = root_ + "/zarvella";
        path_ = folder_ + "/settings.reg";
    }
    void TearDown() override { std::system(("rm -rf '" + root_ + "'").c_str()); }

    void Store(const std::string& text) {
        mkdir(folder_.c_str(), 0700);
        WriteFile(path_, text);
    }

    std::string root_, folder_, path_;
    RecordedErrors errors_;
};

}  // namespace

// The store as the saver ships it: a first run makes the folder and writes the
// defaults' bytes, with the umask's mode and no temporary file left.
TEST_F(FileStoreTest, FirstRunWritesTheDefaultsAsTheUmaskSays) {
    const mode_t saved = umask(027);
    FileSettingsStore store(path_, errors_);
    EXPECT_TRUE(LoadSettings(store, errors_).Complete());
    umask(saved);
    EXPECT_EQ(ReadFile(path_), kDefaults);
    EXPECT_TRUE(errors_.texts.empty());
    EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"settings.reg"});
    struct stat info;
    ASSERT_EQ(stat(path_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    ASSERT_EQ(stat(folder_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
}

TEST(SettingsPath, FollowsXdgConfigHome) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string savedValue = saved ? saved : "";
    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    setenv("XDG_CONFIG_HOME", "/some/where", 1);
    EXPECT_EQ(DefaultSettingsPath(), "/some/where/zarvella/settings.reg");
    setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored, as the XDG rules say
    setenv("HOME", "/home/tester", 1);
    EXPECT_EQ(DefaultSettingsPath(), "/home/tester/.config/zarvella/settings.reg");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(DefaultSettingsPath(), "/home/tester/.config/zarvella/settings.reg");
    if (saved) setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
    if (home) setenv("HOME", savedHome.c_str(), 1);
}

namespace {

// What lies at a path, without following a link: its type and, for a file,
// its bytes; for a link, where it points.
std::string Describe(const std::string& path) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) return "nothing";
    if (S_ISLNK(info.st_mode)) {
        char target[4096];
        const ssize_t n = readlink(path.c_str(), target, sizeof target);
        return "link to " + std::string(target, n > 0 ? static_cast<size_t>(n) : 0);
    }
    if (S_ISDIR(info.st_mode)) return "folder";
    if (S_ISFIFO(info.st_mode)) return "pipe";
    if ((info.st_mode & 0777) == 0) return "mode 000";
    return "file of " + std::to_string(info.st_size) + " bytes: " + ReadFile(path).substr(0, 40);
}

}  // namespace

// Whatever lies where the file belongs and cannot be read: reading says why
// without waiting or filling the memory, Look says what it is, and a rename
// moves it as it is (a link stays a link).
TEST_F(FileStoreTest, WhatCannotBeReadIsToldAndRenamedAsItIs) {
    const std::string big = "REGEDIT4\n" + std::string(kMaxSettingsFileBytes, ';');
    struct Case {
        const char* what;
        std::function<void(const std::string&)> make;
        const char* reason;
        PathKind kind;
    } const cases[] = {
        {"folder", [](const std::string& p) { mkdir(p.c_str(), 0700); }, "a folder",
         PathKind::Folder},
        {"mode 000",
         [](const std::string& p) {
             WriteFile(p, kDefaults);
             chmod(p.c_str(), 0);
         },
         "Permission denied", PathKind::ReadOnlyFile},
        {"link loop", [](const std::string& p) { symlink("settings.reg", p.c_str()); },
         "symbolic links", PathKind::Nothing},
        {"/dev/zero", [](const std::string& p) { symlink("/dev/zero", p.c_str()); },
         "not a regular file", PathKind::Other},
        {"/dev/urandom", [](const std::string& p) { symlink("/dev/urandom", p.c_str()); },
         "not a regular file", PathKind::Other},
        {"pipe", [](const std::string& p) { mkfifo(p.c_str(), 0600); }, "not a regular file",
         PathKind::Other},
        {"over 1 MiB", [&big](const std::string& p) { WriteFile(p, big); }, "larger than 1 MiB",
         PathKind::File},
    };
    PosixSettingsFiles files;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (std::string(c.what) == "mode 000" && geteuid() == 0) continue;  // root reads it
        TearDown();
        SetUp();
        mkdir(folder_.c_str(), 0700);
        c.make(path_);
        const std::string before = Describe(path_);
        const SettingsFileRead read = files.Read(path_);
        EXPECT_EQ(read.kind, SettingsFileRead::Kind::Unreadable);
        EXPECT_NE(read.problem.find(c.reason), std::string::npos) << read.problem;
        EXPECT_EQ(files.Look(path_), c.kind);
        EXPECT_TRUE(files.Taken(path_));
        EXPECT_FALSE(files.Taken(path_ + ".damaged"));
        ASSERT_TRUE(files.Rename(path_, path_ + ".damaged"));
        EXPECT_EQ(Describe(path_ + ".damaged"), before);
        EXPECT_EQ(files.Read(path_).kind, SettingsFileRead::Kind::Missing);
    }
}

// The size limit: a file just within it is read, one byte more is not.
TEST_F(FileStoreTest, TheSizeLimitIsExact) {
    std::string within = kDefaults;
    within += std::string(kMaxSettingsFileBytes - within.size() - 1, ';') + "\n";
    Store(within);
    std::string content, problem;
    EXPECT_EQ(ReadRegularFile(path_, content, problem), ReadOutcome::Read);
    EXPECT_EQ(content, within);
    Store(within + ";");
    EXPECT_EQ(ReadRegularFile(path_, content, problem), ReadOutcome::Failed);
    EXPECT_EQ(problem, "it is larger than 1 MiB");
}

// An existing file keeps its mode; one behind symbolic links (a dotfile
// manager's) is replaced where it is, the links kept.
TEST_F(FileStoreTest, TheAtomicWriteKeepsModeAndLinks) {
    const std::string dotfiles = root_ + "/dotfiles", target = dotfiles + "/zarvella.reg";
    mkdir(dotfiles.c_str(), 0700);
    mkdir(folder_.c_str(), 0700);
    WriteFile(target, kDefaults);
    chmod(target.c_str(), 0640);
    symlink("../dotfiles/zarvella.reg", (folder_ + "/middle").c_str());  // relative
    symlink((folder_ + "/middle").c_str(), path_.c_str());               // absolute
    ASSERT_TRUE(WriteFileAtomically(path_, "new"));
    EXPECT_EQ(Describe(path_), "link to " + folder_ + "/middle");
    EXPECT_EQ(Describe(folder_ + "/middle"), "link to ../dotfiles/zarvella.reg");
    EXPECT_EQ(ReadFile(target), "new");
    struct stat info;
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(FolderEntries(dotfiles), std::vector<std::string>{"zarvella.reg"});
}

// A write that cannot be done leaves what was there and no temporary file: a
// read-only file (even for root), a folder in the file's place, a file in the
// folder's place.
TEST_F(FileStoreTest, AFailedWriteLeavesEverythingAsItWas) {
    PosixSettingsFiles files;
    Store(kDefaults);
    chmod(path_.c_str(), 0444);
    EXPECT_EQ(files.Look(path_), PathKind::ReadOnlyFile);
    EXPECT_FALSE(files.WriteAtomically(path_, "new"));
    EXPECT_EQ(ReadFile(path_), kDefaults);
    unlink(path_.c_str());
    mkdir(path_.c_str(), 0700);
    WriteFile(path_ + "/x", "");
    EXPECT_FALSE(files.WriteAtomically(path_, "new"));
    EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"settings.reg"});
    const std::string blocked = root_ + "/file/settings.reg";
    WriteFile(root_ + "/file", "not a folder");
    EXPECT_EQ(files.Look(root_ + "/file"), PathKind::File);
    EXPECT_EQ(files.Read(blocked).kind, SettingsFileRead::Kind::Missing);
    errno = 0;
    EXPECT_FALSE(files.WriteAtomically(blocked, "new"));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_EQ(ReadFile(root_ + "/file"), "not a folder");
}
