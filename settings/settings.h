// The seven settings, their stored form, and loading/saving over a store.
#pragma once

#include <cstdint>
#include <string>

#include "settings/settings_table.h"
#include "state/picture_record.h"

namespace zarvella {

enum class ReadResult {
    Ok,         // a 32-bit value
    Missing,    // not there, or longer than four bytes
    OtherType,  // fits in four bytes but is not a 32-bit number
};

// One key holding seven 32-bit values (the registry on Windows, a file on Linux).
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual bool OpenKey(bool create) = 0;
    virtual ReadResult ReadValue(const char* name, uint32_t& value) = 0;
    virtual bool WriteValue(const char* name, uint32_t value) = 0;
    // Makes the values written since the key was opened last. A store that
    // keeps them until now (a file) stores all of them or none.
    virtual bool FlushKey() { return true; }
    virtual void CloseKey() = 0;
    // The saves from now on are (or are no longer) the user's own "Save
    // Settings". Such a save may replace what the store cannot read, after
    // keeping it (the Linux file keeps it beside as NAME.damaged); the first
    // run's write at start never may. The registry has nothing to replace.
    virtual void SetUserSave(bool) {}
};

// Where the registry errors go: a message box on every platform.
class ErrorSink {
  public:
    virtual ~ErrorSink() = default;
    virtual void ShowError(const std::string& text) = 0;
};

std::string FailedToGetData(const char* name);
std::string InvalidDataType(const char* name);
std::string FailedToSetData(const char* name);

// What LoadSettings read, and what went wrong.
struct LoadedSettings {
    SaverSettingsRecord settings;
    // The text shown for the first value that could not be read; empty when
    // every value was read (or a first run stored the defaults). That value
    // and the ones after it hold their defaults, so nothing nobody chose is
    // ever saved.
    std::string readError;
    bool Complete() const { return readError.empty(); }
};

// The stored settings; on first run (no key, or the six numbers all zero)
// the defaults, which it also writes.
LoadedSettings LoadSettings(SettingsStore& store, ErrorSink& errors);

// Writes all seven values of `settings`, creating the key when missing.
// False on a failure, which has been shown (a key that cannot be opened as
// the first value's).
bool SaveSettings(const SaverSettingsRecord& settings, SettingsStore& store, ErrorSink& errors);

// "Save Settings" (the save button): SaveSettings as the user's own save.
bool SaveSettingsForUser(const SaverSettingsRecord& settings, SettingsStore& store,
                         ErrorSink& errors);

}  // namespace zarvella
