#include "settings/settings.h"

namespace zarvella {

namespace {

std::string WithName(const char* format, const char* name) {
    std::string text(format);
    text.replace(text.find("%s"), 2, name);
    return text;
}

bool ReadOne(SettingsStore& store, ErrorSink& errors, const char* name, uint32_t& value) {
    switch (store.ReadValue(name, value)) {
        case ReadResult::Ok:
            return true;
        case ReadResult::Missing:
            errors.ShowError(FailedToGetData(name));
            return false;
        case ReadResult::OtherType:
            errors.ShowError(InvalidDataType(name));
            return false;
    }
    return false;
}

// Reads in stored order and stops at the first value that cannot be read.
// The values read before it keep their new contents; it and the rest get
// their defaults.
bool ReadAll(SettingsStore& store, ErrorSink& errors) {
    for (size_t i = 0; i < kSettingsTable.size(); ++i) {
        uint32_t value = 0;
        if (!ReadOne(store, errors, kSettingsTable[i].storedName, value)) {
            for (size_t rest = i; rest < kSettingsTable.size(); ++rest) {
                const SettingInfo& info = kSettingsTable[rest];
                SetSettingValue(info, SaverPicture.settings, info.defaultValue);
            }
            return false;
        }
        SetSettingValue(kSettingsTable[i], SaverPicture.settings, static_cast<int32_t>(value));
    }
    return true;
}

bool WriteAll(SettingsStore& store, ErrorSink& errors) {
    for (const SettingInfo& info : kSettingsTable) {
        const int32_t value = SettingValue(info, SaverPicture.settings);
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

bool IsFirstRun() {
    // The six numbers all zero; the check box does not count.
    for (const SettingInfo& info : kSettingsTable) {
        if (info.number && SaverPicture.settings.*info.number != 0) return false;
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

bool LoadSettings(SettingsStore& store, ErrorSink& errors) {
    if (store.OpenKey(false)) {
        const bool read = ReadAll(store, errors);
        store.CloseKey();
        if (!read) return false;
    }
    if (IsFirstRun()) {
        SaverPicture.settings = kDefaultSettings;
        // A key that cannot be created leaves the defaults in memory, silently.
        // A value that cannot be written is reported, but the defaults are
        // sound, so the window goes on with them.
        if (store.OpenKey(true)) {
            WriteAll(store, errors);
            store.CloseKey();
        }
    }
    return true;
}

bool SaveSettings(SettingsStore& store, ErrorSink& errors) {
    // An explicit save that goes nowhere must say so.
    if (!store.OpenKey(true)) {
        errors.ShowError(FailedToSetData(kSettingsTable[0].storedName));
        return false;
    }
    const bool written = WriteAll(store, errors);
    store.CloseKey();
    return written;
}

bool SaveSettingsForUser(SettingsStore& store, ErrorSink& errors) {
    store.SetUserSave(true);
    const bool saved = SaveSettings(store, errors);
    store.SetUserSave(false);
    return saved;
}

}  // namespace zarvella
