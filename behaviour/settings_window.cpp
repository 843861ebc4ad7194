#include "settings/settings_window.h"

#include <algorithm>

namespace zarvella {

void SliderChange(int row, int position) {
    if (row < 0 || row >= kSliderCount) return;
    SetSettingValue(kSettingsTable[static_cast<size_t>(row)], SaverPicture.settings, position);
}

void CheckBoxClick(int row, bool checked) {
    if (row != kRandomPictureRow) return;
    SetSettingValue(kSettingsTable[kRandomPictureRow], SaverPicture.settings, checked ? 1 : 0);
}

void PutSettingsIntoControls(SettingsWindowHost& host) {
    for (int row = 0; row < kSliderCount; ++row) {
        const SettingInfo& info = kSettingsTable[static_cast<size_t>(row)];
        const int clamped =
            std::clamp(SettingValue(info, SaverPicture.settings), info.min, info.max);
        // A slider only notifies when it actually moves.
        if (clamped != host.SliderPosition(row)) {
            host.SetSliderPosition(row, clamped);
            SliderChange(row, clamped);
        }
    }
    if (SaverPicture.settings.RandomPicture) {
        host.SetCheckBox(kRandomPictureRow, true);
        CheckBoxClick(kRandomPictureRow, true);
    }
}

}  // namespace zarvella
