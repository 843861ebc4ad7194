#include "settings/settings.h"

namespace zarvella {

namespace {

std::string WithName(const char* format, const char* name) {
    std::string text(format);
    text.replace(text.find("%s"), 2, name);
    return text;
}

// Empty when the value was read, else the text for what went wrong.
std::string ReadOne(SettingsStore& store, const char* name, uint32_t& value) {
    switch (store.ReadValue(name, value)) {
        case ReadResult::Ok:
            return {};
        case ReadResult::Missing:
            return FailedToGetData(name);
        case ReadResult::OtherType:
            return InvalidDataType(name);
    }
    return FailedToGetData(name);
}

// Reads in stored order and stops at the first value that cannot be read.
// The values read before it keep their new contents; it and the rest get
// their defaults.
void ReadAll(SettingsStore& store, LoadedSettings& loaded) {
    for (size_t i = 0; i < kSettingsTable.size(); ++i) {
        uint32_t value = 0;
        loaded.readError = ReadOne(store, kSettingsTable[i].storedName, value);
        if (!loaded.Complete()) {
            for (size_t rest = i; rest < kSettingsTable.size(); ++rest) {
                const SettingInfo& info = kSettingsTable[rest];
                SetSettingValue(info, loaded.settings, info.defaultValue);
            }
            return;
        }
        SetSettingValue(kSettingsTable[i], loaded.settings, static_cast<int32_t>(value));
    }
}

bool WriteAll(const SaverSettingsRecord& settings, SettingsStore& store, ErrorSink& errors) {
    for (const SettingInfo& info : kSettingsTable) {
        const int32_t value = SettingValue(info, settings);
        if (!store.WriteValue(info.storedName, static_cast<uint32_t>(value))) {
            errors.ShowError(FailedToSetData(info.storedName));
            return false;
        }
    }
    // Nothing of the seven reached the store, starting with the first.
    if (!store.FlushKey()) {
        errors.ShowError(FailedToSetData(kSettingsTable[0].storedName));
        return false;
    }
    return true;
}

bool IsFirstRun(const SaverSettingsRecord& settings) {
    // The six numbers all zero; the check box does not count
    // (docs/compatibility.md).
    for (const SettingInfo& info : kSettingsTable) {
        if (info.number && settings.*info.number != 0) return false;
    }
    return true;
}

}  // namespace

std::string FailedToGetData(const char* name) {
    return WithName("Failed to get data for '%s'", name);
}
std::string InvalidDataType(const char* name) {
    return WithName("Invalid data type for '%s'", name);
}
std::string FailedToSetData(const char* name) {
    return WithName("Failed to set data for '%s'", name);
}

// A missing key reads as all zero: a first run.
LoadedSettings LoadSettings(SettingsStore& store, ErrorSink& errors) {
    LoadedSettings loaded;
    if (store.OpenKey(false)) {
        ReadAll(store, loaded);
        if (!loaded.Complete()) errors.ShowError(loaded.readError);
        store.CloseKey();
        if (!loaded.Complete()) return loaded;
    }
    if (IsFirstRun(loaded.settings)) {
        loaded.settings = kDefaultSettings;
        // A key that cannot be created leaves the defaults in memory, silently.
        // A value that cannot be written is reported, but the defaults are
        // sound, so the window goes on with them.
        if (store.OpenKey(true)) {
            WriteAll(loaded.settings, store, errors);
            store.CloseKey();
        }
    }
    return loaded;
}

bool SaveSettings(const SaverSettingsRecord& settings, SettingsStore& store, ErrorSink& errors) {
    // An explicit save that goes nowhere must say so.
    if (!store.OpenKey(true)) {
        errors.ShowError(FailedToSetData(kSettingsTable[0].storedName));
        return false;
    }
    const bool written = WriteAll(settings, store, errors);
    store.CloseKey();
    return written;
}

bool SaveSettingsForUser(const SaverSettingsRecord& settings, SettingsStore& store,
                         ErrorSink& errors) {
    store.SetUserSave(true);
    const bool saved = SaveSettings(settings, store, errors);
    store.SetUserSave(false);
    return saved;
}

}  // namespace zarvella
