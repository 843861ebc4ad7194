// The Linux settings store: the core's settings file (settings/settings_file)
// on POSIX files. Plain C++ and POSIX, no Qt, so the tests and fuzzers use it
// as it ships.
#pragma once

#include <string>
#include <string_view>

#include "platform/linux/atomic_file.h"
#include "settings/settings_file.h"

namespace zarvella::linux_shell {

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

// The settings file's seam on the real file system.
class PosixSettingsFiles : public SettingsFiles {
  public:
    SettingsFileRead Read(const std::string& path) override;
    bool WriteAtomically(const std::string& path, std::string_view text) override {
        return WriteFileAtomically(path, text);
    }
    bool Rename(const std::string& from, const std::string& to) override;
    bool Taken(const std::string& path) override;
    PathKind Look(const std::string& path) override;
};

class FileSettingsStore : public SettingsFile {
  public:
    // Damaged or unreadable files are reported to `errors`, once per content.
    FileSettingsStore(std::string path, ErrorSink& errors);
};

}  // namespace zarvella::linux_shell
