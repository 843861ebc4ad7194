// The Linux settings store under the core's load/save rules, on real files.
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

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
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

std::string StoredWith(const std::string& color) {
    return "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Zarvella]\n\"Fast\"=dword:00000010\n"
           "\"Bright\"=dword:00000009\n\"Size\"=dword:00000007\n\"Satiation\"=dword:00000005\n"
           "\"Color\"=" +
           color + "\n\"Alpha\"=dword:00000001\n\"Rands\"=dword:00000000\n";
}

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

    // LoadSettings into settings_; false when a value could not be read.
    bool Load(SettingsStore& store) {
        const LoadedSettings loaded = LoadSettings(store, errors_);
        settings_ = loaded.settings;
        return loaded.Complete();
    }

    std::string root_, folder_, path_;
    RecordedErrors errors_;
    SaverSettingsRecord settings_;
};

}  // namespace

TEST_F(FileStoreTest, OpenWithoutCreateFailsWhenFileOrKeyIsMissing) {
    FileSettingsStore store(path_, errors_);
    EXPECT_FALSE(store.OpenKey(false));
    EXPECT_FALSE(Exists(folder_));
    Store("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Other]\n");
    EXPECT_FALSE(store.OpenKey(false));
    EXPECT_TRUE(errors_.texts.empty());
}

TEST_F(FileStoreTest, FirstRunWritesTheSevenDefaults) {
    FileSettingsStore store(path_, errors_);
    ASSERT_TRUE(Load(store));
    EXPECT_EQ(ReadFile(path_), kDefaults);
    EXPECT_EQ(settings_.Speed, 10);
    EXPECT_TRUE(errors_.texts.empty());
    EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"settings.reg"});
}

TEST_F(FileStoreTest, OpenWithCreateMakesTheFileAtOnce) {
    FileSettingsStore store(path_, errors_);
    ASSERT_TRUE(store.OpenKey(true));
    EXPECT_EQ(ReadFile(path_), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Zarvella]\r\n\r\n");
    uint32_t value = 0;
    EXPECT_EQ(store.ReadValue("Fast", value), ReadResult::Missing);
    store.CloseKey();
}

TEST_F(FileStoreTest, StoredValuesLoadAsTheyAre) {
    Store(StoredWith("dword:00000028"));
    FileSettingsStore store(path_, errors_);
    ASSERT_TRUE(Load(store));
    EXPECT_EQ(settings_.Speed, 16);
    EXPECT_EQ(settings_.Detail, 40);
    EXPECT_EQ(ReadFile(path_), StoredWith("dword:00000028"));  // nothing written
}

TEST_F(FileStoreTest, ValueTypesFollowTheRegistry) {
    Store(
        "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Zarvella]\n\"S3\"=\"40\"\n\"S5\"=\"1234\"\n"
        "\"B1\"=hex:01\n\"B5\"=hex:01,02,03,04,05\n\"D\"=hex(4):0a,01,00,00\n"
        "\"D2\"=hex(4):07\n\"Q\"=hex(b):01,00,00,00,00,00,00,00\n\"Del\"=-\n");
    FileSettingsStore store(path_, errors_);
    ASSERT_TRUE(store.OpenKey(false));
    uint32_t v = 0;
    EXPECT_EQ(store.ReadValue("S3", v), ReadResult::OtherType);
    EXPECT_EQ(store.ReadValue("S5", v), ReadResult::Missing);
    EXPECT_EQ(store.ReadValue("B1", v), ReadResult::OtherType);
    EXPECT_EQ(store.ReadValue("B5", v), ReadResult::Missing);
    EXPECT_EQ(store.ReadValue("Q", v), ReadResult::Missing);
    EXPECT_EQ(store.ReadValue("Del", v), ReadResult::Missing);
    EXPECT_EQ(store.ReadValue("None", v), ReadResult::Missing);
    ASSERT_EQ(store.ReadValue("D", v), ReadResult::Ok);
    EXPECT_EQ(v, 0x10au);
    ASSERT_EQ(store.ReadValue("D2", v), ReadResult::Ok);
    EXPECT_EQ(v, 7u);
    store.CloseKey();
}

TEST_F(FileStoreTest, AStringColorIsAnInvalidDataType) {
    Store(StoredWith("\"40\""));
    FileSettingsStore store(path_, errors_);
    EXPECT_FALSE(Load(store));
    EXPECT_EQ(errors_.texts, std::vector<std::string>{"Invalid data type for 'Color'"});
}

TEST_F(FileStoreTest, AMissingValueFailsToGetData) {
    Store("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Zarvella]\n\"Fast\"=dword:1\n");
    FileSettingsStore store(path_, errors_);
    EXPECT_FALSE(Load(store));
    EXPECT_EQ(errors_.texts, std::vector<std::string>{"Failed to get data for 'Bright'"});
}

TEST_F(FileStoreTest, ADamagedFileIsReportedOnceAndNeverOverwritten) {
    const std::string damaged =
        "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Zarvella]\n\"Fast\"=dword:zz\n";
    Store(damaged);
    FileSettingsStore store(path_, errors_);
    EXPECT_TRUE(Load(store));  // defaults in memory, like a key that cannot be made
    EXPECT_EQ(settings_.Speed, 10);
    ASSERT_EQ(errors_.texts.size(), 1u);
    EXPECT_NE(errors_.texts[0].find(path_), std::string::npos);
    EXPECT_NE(errors_.texts[0].find("line 3"), std::string::npos);
    EXPECT_FALSE(store.OpenKey(true));
    EXPECT_FALSE(SaveSettings(settings_, store, errors_));
    EXPECT_EQ(ReadFile(path_), damaged);
    EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"settings.reg"});
}

TEST_F(FileStoreTest, SavingKeepsOtherLinesAndRewritesOnlyOurValues) {
    Store(
        "REGEDIT4\n\n; written by hand\n[HKEY_CURRENT_USER\\Software\\Zarvella]\n"
        "\"Fast\"=dword:00000001\n\"Note\"=\"keep me\"\n\n[HKEY_CURRENT_USER\\Software\\Else]\n"
        "\"Fast\"=dword:00000063\n");
    FileSettingsStore store(path_, errors_);
    settings_ = kDefaultSettings;
    ASSERT_TRUE(SaveSettings(settings_, store, errors_));
    EXPECT_EQ(ReadFile(path_),
              "REGEDIT4\n\n; written by hand\n[HKEY_CURRENT_USER\\Software\\Zarvella]\n"
              "\"Fast\"=dword:0000000a\n\"Note\"=\"keep me\"\n\"Bright\"=dword:00000009\n"
              "\"Size\"=dword:00000007\n\"Satiation\"=dword:00000005\n\"Color\"=dword:0000000a\n"
              "\"Alpha\"=dword:00000001\n\"Rands\"=dword:00000000\n\n"
              "[HKEY_CURRENT_USER\\Software\\Else]\n\"Fast\"=dword:00000063\n");
}

TEST_F(FileStoreTest, AFailedWriteReportsAndLeavesNoTemporaryFile) {
    FileSettingsStore store(path_, errors_);
    ASSERT_TRUE(store.OpenKey(true));
    // The file turns into a folder: the rename over it must fail.
    unlink(path_.c_str());
    mkdir(path_.c_str(), 0700);
    EXPECT_TRUE(store.WriteValue("Fast", 1));  // kept until the flush
    EXPECT_FALSE(store.FlushKey());
    store.CloseKey();
    EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"settings.reg"});

    settings_ = kDefaultSettings;
    rmdir(path_.c_str());
    FileSettingsStore blocked(root_ + "/file/settings.reg", errors_);
    WriteFile(root_ + "/file", "not a folder");
    EXPECT_FALSE(blocked.OpenKey(true));
    EXPECT_FALSE(SaveSettings(settings_, blocked, errors_));  // said, never silent
    EXPECT_EQ(errors_.texts, std::vector<std::string>{"Failed to set data for 'Fast'"});
}

TEST_F(FileStoreTest, WriteValueFailureShowsFailedToSetData) {
    // The key opens; then the file becomes a non-empty folder, so every
    // atomic write's rename fails (this holds even for root).
    Store("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Zarvella]\n");
    struct FailingAfterOpen : FileSettingsStore {
        using FileSettingsStore::FileSettingsStore;
        bool OpenKey(bool create) override {
            const bool opened = FileSettingsStore::OpenKey(create);
            std::system(
                ("rm -rf '" + Path() + "' && mkdir '" + Path() + "' && touch '" + Path() + "/x'")
                    .c_str());
            return opened;
        }
    } store(path_, errors_);
    settings_ = kDefaultSettings;
    EXPECT_FALSE(SaveSettings(settings_, store, errors_));
    EXPECT_EQ(errors_.texts, std::vector<std::string>{"Failed to set data for 'Fast'"});
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

TEST_F(FileStoreTest, AnExistingFileKeepsItsPermissions) {
    Store(kDefaults);
    chmod(path_.c_str(), 0640);
    FileSettingsStore store(path_, errors_);
    settings_ = kDefaultSettings;
    settings_.Speed = 50;
    ASSERT_TRUE(SaveSettings(settings_, store, errors_));
    struct stat info;
    ASSERT_EQ(stat(path_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_NE(ReadFile(path_).find("\"Fast\"=dword:00000032"), std::string::npos);
}

TEST_F(FileStoreTest, ANewFileFollowsTheUmask) {
    const mode_t saved = umask(027);
    FileSettingsStore store(path_, errors_);
    EXPECT_TRUE(Load(store));
    umask(saved);
    struct stat info;
    ASSERT_EQ(stat(path_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
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

// Whatever lies where the file belongs and cannot be read: reported at start
// (the defaults are used), kept by the first run and by a plain save, and
// moved aside by a save the user asked for, which says where it went.
TEST_F(FileStoreTest, AFileThatCannotBeReadIsKeptAndOnlyAUserSaveMovesItAside) {
    const std::string big = "REGEDIT4\n" + std::string(kMaxSettingsFileBytes, ';');
    struct Case {
        const char* what;
        std::function<void(const std::string&)> make;
        const char* reason;
    } const cases[] = {
        {"damaged", [](const std::string& p) { WriteFile(p, "REGEDIT4\n\"x\"=1\n"); }, "line 2"},
        {"folder", [](const std::string& p) { mkdir(p.c_str(), 0700); }, "a folder"},
        {"mode 000",
         [](const std::string& p) {
             WriteFile(p, kDefaults);
             chmod(p.c_str(), 0);
         },
         "Permission denied"},
        {"link loop", [](const std::string& p) { symlink("settings.reg", p.c_str()); },
         "symbolic links"},
        {"/dev/zero", [](const std::string& p) { symlink("/dev/zero", p.c_str()); },
         "not a regular file"},
        {"/dev/urandom", [](const std::string& p) { symlink("/dev/urandom", p.c_str()); },
         "not a regular file"},
        {"pipe", [](const std::string& p) { mkfifo(p.c_str(), 0600); }, "not a regular file"},
        {"over 1 MiB", [&big](const std::string& p) { WriteFile(p, big); }, "larger than 1 MiB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (std::string(c.what) == "mode 000" && geteuid() == 0) continue;  // root reads it
        TearDown();
        SetUp();
        errors_.texts.clear();
        mkdir(folder_.c_str(), 0700);
        c.make(path_);
        const std::string before = Describe(path_);

        FileSettingsStore store(path_, errors_);
        ASSERT_TRUE(Load(store));
        EXPECT_EQ(settings_.Speed, kDefaultSettings.Speed);
        ASSERT_EQ(errors_.texts.size(), 1u);
        EXPECT_NE(errors_.texts[0].find("'" + path_ + "'"), std::string::npos) << errors_.texts[0];
        EXPECT_NE(errors_.texts[0].find(c.reason), std::string::npos) << errors_.texts[0];
        EXPECT_FALSE(SaveSettings(settings_, store, errors_));
        EXPECT_EQ(errors_.texts.empty() ? "" : errors_.texts.back(),
                  "Failed to set data for 'Fast'");
        EXPECT_EQ(Describe(path_), before);

        store.SetUserSave(true);
        settings_.Speed = 42;
        EXPECT_TRUE(SaveSettings(settings_, store, errors_));
        ASSERT_EQ(errors_.texts.size(), 3u);
        EXPECT_NE(errors_.texts[2].find("kept as '" + path_ + ".damaged'"), std::string::npos)
            << errors_.texts[2];
        EXPECT_EQ(Describe(path_ + ".damaged"), before);
        EXPECT_NE(ReadFile(path_).find("\"Fast\"=dword:0000002a"), std::string::npos);
        settings_ = {};
        FileSettingsStore again(path_, errors_);
        EXPECT_TRUE(Load(again));
        EXPECT_EQ(settings_.Speed, 42);
        EXPECT_EQ(errors_.texts.size(), 3u);
    }
}

// A file where the settings folder belongs: the first run is silent (as a key
// that cannot be created); a user save keeps it beside and makes the folder.
// An empty file holds no values and takes the defaults at the first run.
TEST_F(FileStoreTest, AFileInPlaceOfTheFolderAndAnEmptyFileDoNotTrapTheUser) {
    WriteFile(folder_, "mine");
    FileSettingsStore store(path_, errors_);
    ASSERT_TRUE(Load(store));
    EXPECT_TRUE(errors_.texts.empty());
    store.SetUserSave(true);
    ASSERT_TRUE(SaveSettings(settings_, store, errors_));
    ASSERT_EQ(errors_.texts.size(), 1u);
    EXPECT_NE(errors_.texts[0].find("kept as '" + folder_ + ".damaged'"), std::string::npos);
    EXPECT_EQ(ReadFile(folder_ + ".damaged"), "mine");
    EXPECT_EQ(ReadFile(path_), kDefaults);

    // A second damaged file does not take the first one's name.
    WriteFile(path_, "junk");
    WriteFile(path_ + ".damaged", "older");
    ASSERT_TRUE(SaveSettings(settings_, store, errors_));
    EXPECT_EQ(ReadFile(path_ + ".damaged"), "older");
    EXPECT_EQ(ReadFile(path_ + ".damaged-2"), "junk");

    WriteFile(path_, "");
    FileSettingsStore fresh(path_, errors_);
    errors_.texts.clear();
    settings_ = {};
    ASSERT_TRUE(Load(fresh));
    EXPECT_TRUE(errors_.texts.empty());
    EXPECT_EQ(ReadFile(path_), kDefaults);
}

// A file behind symbolic links (a dotfile manager's) is read through them and
// saved in place: the links stay links, the file they end at gets the values.
TEST_F(FileStoreTest, SavingThroughSymbolicLinksKeepsThem) {
    const std::string dotfiles = root_ + "/dotfiles";
    mkdir(dotfiles.c_str(), 0700);
    mkdir(folder_.c_str(), 0700);
    WriteFile(dotfiles + "/zarvella.reg", StoredWith("dword:00000028"));
    chmod((dotfiles + "/zarvella.reg").c_str(), 0600);
    symlink("../dotfiles/zarvella.reg", (folder_ + "/middle").c_str());  // relative
    symlink((folder_ + "/middle").c_str(), path_.c_str());               // absolute
    FileSettingsStore store(path_, errors_);
    ASSERT_TRUE(Load(store));
    EXPECT_EQ(settings_.Detail, 40);
    settings_.Detail = 12;
    for (bool userSave : {false, true}) {
        store.SetUserSave(userSave);
        ASSERT_TRUE(SaveSettings(settings_, store, errors_));
    }
    EXPECT_TRUE(errors_.texts.empty());
    EXPECT_EQ(Describe(path_), "link to " + folder_ + "/middle");
    EXPECT_EQ(Describe(folder_ + "/middle"), "link to ../dotfiles/zarvella.reg");
    EXPECT_EQ(ReadFile(dotfiles + "/zarvella.reg"), StoredWith("dword:0000000c"));
    struct stat info;
    ASSERT_EQ(stat(path_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(FolderEntries(dotfiles), std::vector<std::string>{"zarvella.reg"});
    EXPECT_EQ(FolderEntries(folder_).size(), 2u);
}

// The size limit: a file just within it loads, one byte more does not.
TEST_F(FileStoreTest, TheSizeLimitIsExact) {
    std::string within = StoredWith("dword:00000005");
    within += std::string(kMaxSettingsFileBytes - within.size() - 1, ';') + "\n";
    Store(within);
    FileSettingsStore store(path_, errors_);
    ASSERT_TRUE(Load(store));
    EXPECT_EQ(settings_.Detail, 5);
    EXPECT_TRUE(errors_.texts.empty());
    Store(within + ";");
    EXPECT_TRUE(Load(store));
    EXPECT_EQ(errors_.texts.size(), 1u);
}

// A read-only file (even for root) is the user's "do not change": Save
// Settings says it failed and leaves it, damaged or not.
TEST_F(FileStoreTest, SaveSettingsRefusesAReadOnlyFile) {
    for (const std::string& stored : {kDefaults, std::string("REGEDIT4\n\"Fast\"=dword:zz\n")}) {
        Store(stored);
        chmod(path_.c_str(), 0444);
        errors_.texts.clear();
        FileSettingsStore store(path_, errors_);
        settings_ = kDefaultSettings;
        settings_.Speed = 3;
        EXPECT_FALSE(SaveSettingsForUser(settings_, store, errors_));
        EXPECT_EQ(errors_.texts.empty() ? "" : errors_.texts.back(),
                  "Failed to set data for 'Fast'");
        EXPECT_EQ(ReadFile(path_), stored);
        EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"settings.reg"});
        unlink(path_.c_str());
    }
}
