// The Linux settings store: one REGEDIT4 file per user, written atomically.
// Plain C++ and POSIX, no Qt, so the tests and fuzzers use it as it ships.
#pragma once

#include <string>
#include <string_view>

#include "settings/reg_file.h"
#include "settings/settings.h"

namespace zarvella::linux_shell {

// The key the values live under, as a registry export names it.
inline constexpr const char* kSettingsKey = "HKEY_CURRENT_USER\\Software\\Zarvella";
inline constexpr const char* kSettingsFileName = "settings.reg";
// Far above any real settings file (a few hundred bytes); a larger file, or
// anything that is not a regular file, is not read at all.
inline constexpr size_t kMaxSettingsFileBytes = 1 << 20;

enum class ReadOutcome { Read, Missing, Folder, Failed };

// Only a regular file is read, and only up to kMaxSettingsFileBytes: a link
// to /dev/zero, a named pipe or a huge file must neither hang nor fill the
// memory. Missing: nothing there (or a file where a folder of the path
// belongs); otherwise `problem` says what is wrong.
ReadOutcome ReadRegularFile(const std::string& path, std::string& content, std::string& problem);

// $XDG_CONFIG_HOME/zarvella/settings.reg, or ~/.config/zarvella/settings.reg
// when the variable is unset, empty or not an absolute path.
std::string DefaultSettingsPath();

// Writes a temporary file next to `path`, flushes it to disk and renames it
// over `path`, creating missing folders first. When `path` is a symbolic link
// (as dotfile managers make it) the file it points to is replaced and the link
// kept. An existing file keeps its owner, group and mode; when its owner
// cannot be kept (only root may give a file away) nothing is written (a
// group that is not ours is the one thing a user's own write lets go). A
// read-only file (no write permission) is refused: the user's way of keeping
// it as it is. On any failure the old file is untouched, the temporary file is
// removed, errno says why and the result is false.
bool WriteFileAtomically(const std::string& path, std::string_view content);

// Renames whatever is at `path` (a file, a folder, a link: not what a link
// points to) to `path`.damaged, or .damaged-2, -3, ... when that is taken.
// Returns the new name, or empty when the rename failed.
std::string MoveAside(const std::string& path);

// The text that reports a file that cannot be parsed.
std::string DamagedFileMessage(const std::string& path, int line, const std::string& error);

class FileSettingsStore : public SettingsStore {
  public:
    // Damaged or unreadable files are reported to `errors`, once per content.
    FileSettingsStore(std::string path, ErrorSink& errors);

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
    ErrorSink& errors_;
    bool userSave_ = false;
    bool open_ = false;
    bool changed_ = false;
    bool replaceUnreadable_ = false;
    regfile::RegDocument document_;
    bool reported_ = false;
    std::string reportedContent_;
};

}  // namespace zarvella::linux_shell
