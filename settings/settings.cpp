#include "settings/settings.h"

#include "engine/random.h"

namespace zarvella {

SaverSettingsRecord SaverSettings;

namespace {

std::string WithName(const char* format, const char* name) {
    std::string text(format);
    text.replace(text.find("%s"), 2, name);
    return text;
}

struct IntegerSlot {
    const char* name;
    int32_t SaverSettingsRecord::*field;
};

constexpr IntegerSlot kIntegerSlots[6] = {
    {kValueFast, &SaverSettingsRecord::Speed},   {kValueBright, &SaverSettingsRecord::Brightness},
    {kValueSize, &SaverSettingsRecord::Size},    {kValueSatiation, &SaverSettingsRecord::Segments},
    {kValueColor, &SaverSettingsRecord::Detail}, {kValueAlpha, &SaverSettingsRecord::PictureKind},
};

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

// Reads in stored order and stops at the first value that cannot be read;
// the values read before it keep their new contents.
bool ReadAll(SettingsStore& store, ErrorSink& errors) {
    for (const IntegerSlot& slot : kIntegerSlots) {
        uint32_t value = 0;
        if (!ReadOne(store, errors, slot.name, value)) return false;
        SaverSettings.*slot.field = static_cast<int32_t>(value);
    }
    uint32_t rands = 0;
    if (!ReadOne(store, errors, kValueRands, rands)) return false;
    SaverSettings.RandomPicture = rands != 0;
    return true;
}

bool WriteAll(SettingsStore& store, ErrorSink& errors) {
    for (const IntegerSlot& slot : kIntegerSlots) {
        if (!store.WriteValue(slot.name, static_cast<uint32_t>(SaverSettings.*slot.field))) {
            errors.ShowError(FailedToSetData(slot.name));
            return false;
        }
    }
    if (!store.WriteValue(kValueRands, SaverSettings.RandomPicture ? 1u : 0u)) {
        errors.ShowError(FailedToSetData(kValueRands));
        return false;
    }
    // Nothing of the seven reached the store, starting with the first.
    if (!store.FlushKey()) {
        errors.ShowError(FailedToSetData(kIntegerSlots[0].name));
        return false;
    }
    return true;
}

bool IsFirstRun() {
    const SaverSettingsRecord& s = SaverSettings;
    return s.Speed == 0 && s.Brightness == 0 && s.Size == 0 && s.Detail == 0 && s.Segments == 0 &&
           s.PictureKind == 0;
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
        SaverSettings = kDefaultSettings;
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
    if (!store.OpenKey(true)) return false;
    const bool written = WriteAll(store, errors);
    store.CloseKey();
    return written;
}

void ChooseRandomPicture() {
    if (SaverSettings.RandomPicture) SaverSettings.PictureKind = RandomInt(9) + 1;
}

}  // namespace zarvella
