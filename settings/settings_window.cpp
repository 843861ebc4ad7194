#include "settings/settings_window.h"

#include <algorithm>

namespace zarvella {

void TrackBarChange(int track, int position) {
    if (track < 1 || track > kTrackBarCount) return;
    SetSettingValue(TrackBarSetting(track), SaverPicture.settings, position);
}

void CheckBox1Click(bool checked) {
    SaverPicture.settings.RandomPicture = checked;
}

void PutSettingsIntoControls(SettingsWindowHost& host) {
    for (int track = 1; track <= kTrackBarCount; ++track) {
        const SettingInfo& info = TrackBarSetting(track);
        const int clamped =
            std::clamp(SettingValue(info, SaverPicture.settings), info.min, info.max);
        // A slider only notifies when it actually moves.
        if (clamped != host.TrackBarPosition(track)) {
            host.SetTrackBarPosition(track, clamped);
            TrackBarChange(track, clamped);
        }
    }
    if (SaverPicture.settings.RandomPicture) {
        host.SetCheckBox(true);
        CheckBox1Click(true);
    }
}

}  // namespace zarvella
