// The seven settings, one row each: everything the program knows about a
// setting is here, and load, save, the first run, both settings windows and
// the command line are driven by this table.
#pragma once

#include <array>
#include <cstdint>

#include "state/picture_record.h"

namespace zarvella {

struct ControlRect {
    int left, top, width, height;
};

enum class SettingControl { Slider, CheckBox };

struct SettingInfo {
    const char* storedName;  // the stored value's name (see the table)
    const char* label;       // the caption in the settings window
    const char* option;      // the command-line option, without its dash
    SettingControl control;
    int32_t min, max;                      // the slider's range; 0 to 1 for the check box
    int32_t layoutPosition;                // the slider's position before a value is put in
    int32_t defaultValue;                  // what a first run stores
    int32_t SaverSettingsRecord::*number;  // a slider's field
    bool SaverSettingsRecord::*flag;       // the check box's field
    ControlRect labelRect;                 // the caption above a slider
    ControlRect rect;                      // the control
};

// In stored order, which is also the settings window's six sliders, then its
// check box. A control is addressed by its row.
//
// The stored names are historical and stay, since they are the stored format
// (the registry, the settings file, its exports) and renaming one would lose
// the user's value (docs/compatibility.md). Only some say what they hold:
//   "Fast"      the speed             "Bright"  the brightness
//   "Size"      the size              "Color"   the Detail (rows of the grid)
//   "Satiation" the segments (copies) "Alpha"   the picture (formula set 1 to 10)
//   "Rands"     a random picture at each start
//
// clang-format off
inline constexpr std::array<SettingInfo, 7> kSettingsTable = {{
  // stored       label         option        control                   min  max  layout  default  field                              flag                                 caption             control
    {"Fast",      "Speed",      "speed",      SettingControl::Slider,   0,   100, 1,      10,      &SaverSettingsRecord::Speed,       nullptr,                             {10, 309, 45, 20},  {3, 327, 120, 10}},
    {"Bright",    "Brightness", "brightness", SettingControl::Slider,   1,   15,  1,      9,       &SaverSettingsRecord::Brightness,  nullptr,                             {10, 342, 70, 20},  {3, 359, 120, 10}},
    {"Size",      "Size",       "size",       SettingControl::Slider,   0,   10,  5,      7,       &SaverSettingsRecord::Size,        nullptr,                             {143, 309, 32, 20}, {136, 327, 120, 10}},
    {"Satiation", "Segment",    "segments",   SettingControl::Slider,   0,   10,  1,      5,       &SaverSettingsRecord::Segments,    nullptr,                             {143, 342, 61, 20}, {136, 359, 120, 10}},
    {"Color",     "Detailed",   "detail",     SettingControl::Slider,   1,   30,  1,      10,      &SaverSettingsRecord::Detail,      nullptr,                             {277, 309, 57, 20}, {270, 327, 120, 10}},
    {"Alpha",     "Pictures",   "kind",       SettingControl::Slider,   1,   10,  1,      1,       &SaverSettingsRecord::PictureKind, nullptr,                             {277, 342, 55, 20}, {270, 359, 120, 10}},
    {"Rands",     "Random",     "random",     SettingControl::CheckBox, 0,   1,   0,      0,       nullptr,                           &SaverSettingsRecord::RandomPicture, {0, 0, 0, 0},       {10, 290, 375, 17}},
}};
// clang-format on

// The sliders are the table's first six rows; the check box, Random, is the last.
inline constexpr int kSliderCount = 6;
inline constexpr int kRandomPictureRow = 6;
static_assert(kSettingsTable[kRandomPictureRow].control == SettingControl::CheckBox);

// The setting's value in a record, a check box as 0 or 1.
constexpr int32_t SettingValue(const SettingInfo& info, const SaverSettingsRecord& record) {
    return info.number ? record.*info.number : (record.*info.flag ? 1 : 0);
}

// Sets it; a check box is on for any non-zero value.
constexpr void SetSettingValue(const SettingInfo& info, SaverSettingsRecord& record,
                               int32_t value) {
    if (info.number) {
        record.*info.number = value;
    } else {
        record.*info.flag = value != 0;
    }
}

constexpr SaverSettingsRecord DefaultsFromTable() {
    SaverSettingsRecord record;
    for (const SettingInfo& info : kSettingsTable) SetSettingValue(info, record, info.defaultValue);
    return record;
}

// What a first run stores.
inline constexpr SaverSettingsRecord kDefaultSettings = DefaultsFromTable();

}  // namespace zarvella
