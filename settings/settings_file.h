// The settings as one REGEDIT4 file per user (the Linux store): what is read,
// what is written when, what is kept beside and what is said, over the
// `SettingsFiles` seam. The Linux shell serves the seam with POSIX files, the
// tests with memory.
#pragma once

#include <string>
#include <string_view>

#include "settings/reg_file.h"
#include "settings/settings.h"

namespace zarvella {

// The key the values live under, as a registry export names it.
inline constexpr const char* kSettingsKey = "HKEY_CURRENT_USER\\Software\\Zarvella";

// What reading the settings file found.
struct SettingsFileRead {
    // Missing: nothing there (or a file where a folder of the path belongs).
    enum class Kind { Read, Missing, Unreadable } kind = Kind::Missing;
    std::string text;     // Read
    std::string problem;  // Unreadable: why ("Permission denied", "it is a folder")
};

// What lies at a path, links followed.
enum class PathKind { Nothing, Folder, File, ReadOnlyFile, Other };

// The files under the settings store: the Linux shell's, a fake in the tests.
class SettingsFiles {
  public:
    virtual ~SettingsFiles() = default;
    // Reads only a regular file of a sane size, and never waits for one.
    virtual SettingsFileRead Read(const std::string& path) = 0;
    // Replaces the file at once, or not at all (false, the old file as it
    // was); creates missing folders, refuses a read-only file.
    virtual bool WriteAtomically(const std::string& path, std::string_view text) = 0;
    // Renames whatever is at `from` (a link itself, not what it points to).
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    // Something is at `path` (a link not followed), or it cannot be told.
    virtual bool Taken(const std::string& path) = 0;
    virtual PathKind Look(const std::string& path) = 0;
};

// The text that reports a file that cannot be parsed.
std::string DamagedFileMessage(const std::string& path, int line, const std::string& error);

// Renames whatever is at `path` to `path`.damaged, or .damaged-2, -3, ... when
// that is taken. Returns the new name, or empty when the rename failed.
std::string MoveAside(SettingsFiles& files, const std::string& path);

class SettingsFile : public SettingsStore {
  public:
    // Damaged or unreadable files are reported to `errors`, once per content.
    SettingsFile(std::string path, SettingsFiles& files, ErrorSink& errors);

    // A save the user asked for ("Save Settings"). Its failures are always
    // reported, so it writes nothing before FlushKey, and it may replace a
    // file that cannot be read (or a file where the settings folder belongs)
    // after keeping it beside as NAME.damaged and saying so. Other writes (the
    // first run at start) never replace such a file.
    void SetUserSave(bool userSave) override { userSave_ = userSave; }

    // false: the file or the key is missing (create == false), or the file is
    // damaged or unreadable (never overwritten outside a user save), or it
    // could not be written. create == true writes the file with the key at
    // once, as RegCreateKeyEx creates the key (in a user save: at FlushKey).
    // An empty file holds no key.
    bool OpenKey(bool create) override;
    ReadResult ReadValue(const char* name, uint32_t& value) override;
    // Updates the value in memory; FlushKey writes them all at once.
    bool WriteValue(const char* name, uint32_t value) override;
    // Rewrites the whole file atomically with every value written since the
    // key was opened, so a save is all or nothing; false (and the file as it
    // was) when that fails.
    bool FlushKey() override;
    void CloseKey() override;

    const std::string& Path() const { return path_; }

  private:
    enum class LoadState { Loaded, Missing, Failed };
    LoadState Load();
    void Report(const std::string& content, const std::string& text);
    bool WriteUserSave(const std::string& content);

    std::string path_;
    SettingsFiles& files_;
    ErrorSink& errors_;
    bool userSave_ = false;
    bool open_ = false;
    bool changed_ = false;
    bool replaceUnreadable_ = false;
    regfile::RegDocument document_;
    bool reported_ = false;
    std::string reportedContent_;
};

}  // namespace zarvella
