// The settings file's rules (settings/settings_file) over files in memory:
// what loading says, what each save writes, moves aside or refuses.
#include <gtest/gtest.h>

#include <cstdio>

#include "fakes/fake_settings_files.h"
#include "fakes/fakes.h"
#include "settings/settings_file.h"

using namespace zarvella;
using zarvella::fakes::FakeSettingsFiles;
using Entry = FakeSettingsFiles::Entry;

namespace {

const std::string kFolder = "/c/zarvella", kPath = kFolder + "/settings.reg";
const std::string kKey = "[HKEY_CURRENT_USER\\Software\\Zarvella]";

// The values after Fast as a save writes them, each line ended by `nl`;
// Values: all seven, with Fast = `fast`; Fresh: the bytes of a save into no file.
std::string AfterFast(const std::string& nl) {
    std::string text;
    for (const char* value :
         {"\"Bright\"=dword:00000009", "\"Size\"=dword:00000007", "\"Satiation\"=dword:00000005",
          "\"Color\"=dword:0000000a", "\"Alpha\"=dword:00000001", "\"Rands\"=dword:00000000"})
        text += value + nl;
    return text;
}
std::string Values(int fast, const std::string& nl) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", fast);
    return "\"Fast\"=dword:" + std::string(hex) + nl + AfterFast(nl);
}
std::string Fresh(int fast) {
    return "REGEDIT4\r\n\r\n" + kKey + "\r\n" + Values(fast, "\r\n") + "\r\n";
}

std::string StoredWith(const std::string& color) {
    return "REGEDIT4\n\n" + kKey + "\n\"Fast\"=dword:00000010\n\"Bright\"=dword:00000009\n" +
           "\"Size\"=dword:00000007\n\"Satiation\"=dword:00000005\n\"Color\"=" + color +
           "\n\"Alpha\"=dword:00000001\n\"Rands\"=dword:00000000\n";
}

const std::string kDamaged = "REGEDIT4\n\"x\"=1\n";
const std::string kUnreadable = "The settings file '" + kPath + "' cannot be read: ";
const std::string kLeft = ". It has been left as it is.";
const std::string kDamagedSaid = kUnreadable + "line 2: a value must follow a [key] line" + kLeft;
const std::string kFailed = "Failed to set data for 'Fast'";
const std::string kWrite = "write " + kPath, kAside = "rename " + kPath + " > " + kPath;
std::string KeptBeside(const std::string& what, const std::string& kept) {
    return what + ". It has been kept as '" + kept + "', and the settings were saved in '" + kPath +
           "'.";
}
const std::string kCouldNot = "The settings file '" + kPath + "' could not be read";

// What lies at each path afterwards: a file's bytes, or what it is.
std::map<std::string, std::string> Shown(const FakeSettingsFiles& files) {
    std::map<std::string, std::string> shown;
    for (const auto& [path, e] : files.entries)
        shown[path] = e.kind == PathKind::Folder         ? "folder"
                      : e.kind == PathKind::Other        ? "other"
                      : e.kind == PathKind::ReadOnlyFile ? "read-only " + e.text
                                                         : e.text;
    return shown;
}

}  // namespace

// Steps on one store: C a create, L load, S a save, U the user's "Save
// Settings" (both with Fast 42), F a load by a fresh store. Each step shows
// as a load's Fast ("!": a value could not be read) or a create's or save's
// +/-. No files `after`: all as they were.
TEST(SettingsFile, LoadsSavesAndKeepsWhatItCannotRead) {
    auto file = [](const std::string& text) { return Entry{PathKind::File, text, ""}; };
    auto readOnly = [](const std::string& text) { return Entry{PathKind::ReadOnlyFile, text, ""}; };
    const Entry folder{PathKind::Folder, "", ""}, other{PathKind::Other, "", ""};
    const std::string damagedBeside = KeptBeside(kCouldNot, kPath + ".damaged");
    const std::string byHand = "REGEDIT4\n\n; by hand\n" + kKey + "\n\"Fast\"=dword:00000001\n";
    struct Row {
        const char* what;
        std::map<std::string, Entry> files;
        const char *steps, *outcome;
        std::vector<std::string> messages, log;
        std::map<std::string, std::string> after;
        bool diskFull = false, renameFails = false;
    } const rows[] = {
        // clang-format off
        {"nothing there: the first run writes the key, then the defaults", {}, "L", "L10", {},
         {kWrite, kWrite}, {{kPath, Fresh(10)}}},
        {"a create writes the key at once", {}, "C", "C+", {}, {kWrite},
         {{kPath, "REGEDIT4\r\n\r\n" + kKey + "\r\n\r\n"}}},
        {"another key only: the first run adds ours, theirs kept, in the file's line ends",
         {{kPath, file("REGEDIT4\n[A]\n")}}, "L", "L10", {}, {kWrite, kWrite},
         {{kPath, "REGEDIT4\n[A]\n\n" + kKey + "\n" + Values(10, "\n") + "\n"}}},
        {"an empty file holds no key", {{kPath, {}}}, "L", "L10", {}, {kWrite, kWrite},
         {{kPath, Fresh(10)}}},
        {"stored values load as they are, nothing written",
         {{kPath, file(StoredWith("dword:00000028"))}}, "L", "L16", {}, {}, {}},
        {"a string is an invalid data type", {{kPath, file(StoredWith("\"40\""))}}, "L", "L16!",
         {"Invalid data type for 'Color'"}, {}, {}},
        {"a missing value fails to get data", {{kPath, file(byHand)}}, "L", "L1!",
         {"Failed to get data for 'Bright'"}, {}, {}},
        {"a save keeps every other line and rewrites only our values",
         {{kPath, file(byHand + "\"Note\"=\"keep\"\n")}}, "S", "S+", {}, {kWrite},
         {{kPath, "REGEDIT4\n\n; by hand\n" + kKey + "\n\"Fast\"=dword:0000002a\n\"Note\"=\"keep\"\n" +
                      AfterFast("\n")}}},
        {"damaged: said once, kept by the first run and a save, moved aside by the user's",
         {{kPath, file(kDamaged)}}, "L S U F", "L10 S- U+ F42",
         {kDamagedSaid, kFailed, damagedBeside}, {kAside + ".damaged", kWrite},
         {{kPath, Fresh(42)}, {kPath + ".damaged", kDamaged}}},
        {"a folder in its place", {{kPath, folder}}, "L S U F", "L10 S- U+ F42",
         {kUnreadable + "it is a folder" + kLeft, kFailed, damagedBeside},
         {kAside + ".damaged", kWrite}, {{kPath, Fresh(42)}, {kPath + ".damaged", "folder"}}},
        {"not a regular file (a pipe, a device)", {{kPath, other}}, "L U", "L10 U+",
         {kUnreadable + "it is not a regular file" + kLeft, damagedBeside},
         {kAside + ".damaged", kWrite}, {{kPath, Fresh(42)}, {kPath + ".damaged", "other"}}},
        {"unreadable, and .damaged taken: the next free name",
         {{kPath, {PathKind::File, "x", "Input/output error"}}, {kPath + ".damaged", file("older")}},
         "U", "U+",
         {kUnreadable + "Input/output error" + kLeft, KeptBeside(kCouldNot, kPath + ".damaged-2")},
         {kAside + ".damaged-2", kWrite},
         {{kPath, Fresh(42)}, {kPath + ".damaged", "older"}, {kPath + ".damaged-2", "x"}}},
        {"read-only: the user's save refuses it", {{kPath, readOnly(kDamaged)}}, "U", "U-",
         {kDamagedSaid, kFailed}, {}, {}},
        {"read-only and whole: refused as well", {{kPath, readOnly(Fresh(10))}}, "U", "U-",
         {kFailed}, {kWrite}, {}},
        {"no permission at all (mode 000) is read-only too",
         {{kPath, {PathKind::ReadOnlyFile, "", "Permission denied"}}}, "U", "U-",
         {kUnreadable + "Permission denied" + kLeft, kFailed}, {}, {}},
        {"a file where the folder belongs: silent at first, kept beside by the user's save",
         {{kFolder, file("mine")}}, "L U F", "L10 U+ F42",
         {KeptBeside("'" + kFolder + "' was a file where the settings folder belongs",
                     kFolder + ".damaged")},
         {kWrite, kWrite, "rename " + kFolder + " > " + kFolder + ".damaged", kWrite},
         {{kPath, Fresh(42)}, {kFolder + ".damaged", "mine"}}},
        {"a full disk: both saves fail and say so, the file as it was",
         {{kPath, file(Fresh(10))}}, "S U", "S- U-", {kFailed, kFailed}, {kWrite, kWrite}, {},
         true},
        {"the damaged file cannot be moved: the save fails, nothing written",
         {{kPath, file(kDamaged)}}, "U", "U-", {kDamagedSaid, kFailed}, {}, {}, false, true},
        // clang-format on
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FakeSettingsFiles files;
        files.entries = row.files;
        files.renameFails = row.renameFails;
        if (row.diskFull) files.failingWrites.insert(kPath);
        fakes::RecordingErrors errors;
        SettingsFile store(kPath, files, errors);
        SaverSettingsRecord mine = kDefaultSettings;
        mine.Speed = 42;
        std::string outcome;
        for (const char* step = row.steps; *step; ++step) {
            if (*step == ' ') continue;
            if (!outcome.empty()) outcome += ' ';
            outcome += *step;
            if (*step == 'C') {
                outcome += store.OpenKey(true) ? "+" : "-";
                store.CloseKey();
            } else if (*step == 'L' || *step == 'F') {
                SettingsFile fresh(kPath, files, errors);
                const LoadedSettings loaded = LoadSettings(*step == 'L' ? store : fresh, errors);
                outcome += std::to_string(loaded.settings.Speed) + (loaded.Complete() ? "" : "!");
            } else {
                const bool saved = *step == 'U' ? SaveSettingsForUser(mine, store, errors)
                                                : SaveSettings(mine, store, errors);
                outcome += saved ? "+" : "-";
            }
        }
        EXPECT_EQ(outcome, row.outcome);
        EXPECT_EQ(errors.messages, row.messages);
        EXPECT_EQ(files.log, row.log);
        FakeSettingsFiles before;
        before.entries = row.files;
        EXPECT_EQ(Shown(files), row.after.empty() ? Shown(before) : row.after);
    }
}

// What RegQueryValueEx with a 4-byte buffer gives for each stored form.
TEST(SettingsFile, ValuesReadAsTheRegistryGivesThem) {
    struct Row {
        const char* stored;
        ReadResult result;
        uint32_t value;
    } const rows[] = {
        {"dword:0000010a", ReadResult::Ok, 0x10a},
        {"hex(4):0a,01,00,00", ReadResult::Ok, 0x10a},
        {"hex(4):07", ReadResult::Ok, 7},
        {"\"40\"", ReadResult::OtherType, 0},
        {"hex:01", ReadResult::OtherType, 0},
        {"\"1234\"", ReadResult::Missing, 0},
        {"hex:01,02,03,04,05", ReadResult::Missing, 0},
        {"hex(b):01,00,00,00,00,00,00,00", ReadResult::Missing, 0},
        {"-", ReadResult::Missing, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        FakeSettingsFiles files;
        files.entries[kPath].text = "REGEDIT4\n" + kKey + "\n\"V\"=" + row.stored + "\n";
        fakes::RecordingErrors errors;
        SettingsFile store(kPath, files, errors);
        ASSERT_TRUE(store.OpenKey(false));
        uint32_t value = 0;
        EXPECT_EQ(store.ReadValue("V", value), row.result);
        EXPECT_EQ(value, row.value);
        EXPECT_EQ(store.ReadValue("None", value), ReadResult::Missing);
        store.CloseKey();
        EXPECT_TRUE(errors.messages.empty());
    }
}
