#include "settings/settings_window.h"

#include <algorithm>

#include "engine/animation.h"
#include "engine/random.h"

namespace zarvella {

const std::array<TrackBarInfo, 6> kTrackBars = {{
    {"Speed", {10, 309, 45, 20}, {3, 327, 120, 10}, 0, 100, 1, &SaverSettingsRecord::Speed},
    {"Brightness",
     {10, 342, 70, 20},
     {3, 359, 120, 10},
     1,
     15,
     1,
     &SaverSettingsRecord::Brightness},
    {"Size", {143, 309, 32, 20}, {136, 327, 120, 10}, 0, 10, 5, &SaverSettingsRecord::Size},
    {"Segment", {143, 342, 61, 20}, {136, 359, 120, 10}, 0, 10, 1, &SaverSettingsRecord::Segments},
    {"Detailed", {277, 309, 57, 20}, {270, 327, 120, 10}, 1, 30, 1, &SaverSettingsRecord::Detail},
    {"Pictures",
     {277, 342, 55, 20},
     {270, 359, 120, 10},
     1,
     10,
     1,
     &SaverSettingsRecord::PictureKind},
}};

void TrackBarChange(int track, int position) {
    if (track < 1 || track > 6) return;
    SaverSettings.*kTrackBars[track - 1].setting = position;
}

void CheckBox1Click(bool checked) {
    SaverSettings.RandomPicture = checked;
}

void PutSettingsIntoControls(SettingsWindowHost& host) {
    for (int track = 1; track <= 6; ++track) {
        const TrackBarInfo& info = kTrackBars[track - 1];
        const int clamped = std::clamp<int32_t>(SaverSettings.*info.setting, info.min, info.max);
        // A slider only notifies when it actually moves.
        if (clamped != host.TrackBarPosition(track)) {
            host.SetTrackBarPosition(track, clamped);
            TrackBarChange(track, clamped);
        }
    }
    if (SaverSettings.RandomPicture) {
        host.SetCheckBox(true);
        CheckBox1Click(true);
    }
}

bool SettingsFormCreate(SettingsWindowHost& host, SettingsStore& store, ErrorSink& errors) {
    if (!LoadSettings(store, errors)) return false;
    SeedRandom();
    ChooseRandomPicture();
    PutSettingsIntoControls(host);
    host.SizeAndCentre();
    host.AttachContext();
    SeedAnimationState();
    return true;
}

int CentredOrigin(int screenExtent, int clientExtent) {
    const int twice = screenExtent - clientExtent;
    int half = twice / 2;
    // Banker's rounding of an odd difference: x.5 goes to the even neighbour.
    if (twice % 2 != 0) {
        const int other = twice > 0 ? half + 1 : half - 1;
        if (other % 2 == 0) half = other;
    }
    return half;
}

}  // namespace zarvella
