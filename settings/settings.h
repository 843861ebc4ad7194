// The seven settings, their stored form, and loading/saving over a store.
#pragma once

#include <cstdint>
#include <string>

namespace zarvella {

struct SaverSettingsRecord {
    int32_t Speed = 0;
    int32_t Brightness = 0;
    int32_t Size = 0;
    int32_t Segments = 0;
    int32_t Detail = 0;
    int32_t PictureKind = 0;
    bool RandomPicture = false;
};

// Process-wide; zero at start, read by the picture engine at every use.
extern SaverSettingsRecord SaverSettings;

// Stored value names, in read/write order. The names are historical and do not
// match their meaning ("Color" holds Detail): they are the stored format.
inline constexpr const char* kValueFast = "Fast";
inline constexpr const char* kValueBright = "Bright";
inline constexpr const char* kValueSize = "Size";
inline constexpr const char* kValueSatiation = "Satiation";
inline constexpr const char* kValueColor = "Color";
inline constexpr const char* kValueAlpha = "Alpha";
inline constexpr const char* kValueRands = "Rands";
inline constexpr const char* kValueNames[7] = {
    kValueFast, kValueBright, kValueSize, kValueSatiation, kValueColor, kValueAlpha, kValueRands};

inline constexpr SaverSettingsRecord kDefaultSettings{10, 9, 7, 5, 10, 1, false};

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

// Fills SaverSettings; on first run writes the defaults. False when a value
// could not be read (the error has been shown; the caller stops its set-up).
bool LoadSettings(SettingsStore& store, ErrorSink& errors);

// Writes all seven values, creating the key when missing. False on a failure
// (shown, or silent when the key itself cannot be opened).
bool SaveSettings(SettingsStore& store, ErrorSink& errors);

// With RandomPicture on, PictureKind becomes 1 to 9 (never 10).
void ChooseRandomPicture();

}  // namespace zarvella
