// The settings window's controls: their layout, how stored values reach them,
// and what their handlers do. The platform shells only draw.
#pragma once

#include <array>
#include <cstdint>

#include "settings/settings.h"
#include "settings/settings_table.h"

namespace zarvella {

inline constexpr int kSettingsWindowWidth = 400;  // client and outer, set in OnCreate
inline constexpr int kSettingsWindowHeight = 430;
inline constexpr int kSettingsTimerMs = 40;
inline constexpr const char* kSettingsTitle = "Zarvella Settings";
// The project's home page (ZARVELLA_HOMEPAGE, set in CMake). Until there is
// one, Our Site opens the licence the program comes under, a page that exists
// and says what the user may do with it.
inline constexpr const char* kProductSite =
    ZARVELLA_HOMEPAGE[0] != '\0' ? ZARVELLA_HOMEPAGE : "https://opensource.org/license/mit";

inline constexpr ControlRect kSaveButtonRect{11, 380, 105, 17};
inline constexpr const char* kSaveButtonCaption = "Save Settings";
inline constexpr ControlRect kSiteButtonRect{144, 380, 105, 17};
inline constexpr const char* kSiteButtonCaption = "Our Site";

// The controls: first one per row of the settings table, in its order, then
// the two buttons.
enum class ControlId {
    SpeedSlider,
    BrightnessSlider,
    SizeSlider,
    SegmentsSlider,
    DetailSlider,
    PictureSlider,
    RandomCheckBox,
    SaveButton,
    SiteButton
};
static_assert(static_cast<int>(ControlId::RandomCheckBox) == kRandomPictureRow);

// Keyboard order of the controls.
inline constexpr std::array<ControlId, 9> kTabOrder = {
    ControlId::SpeedSlider,      ControlId::SaveButton,    ControlId::SiteButton,
    ControlId::BrightnessSlider, ControlId::SizeSlider,    ControlId::SegmentsSlider,
    ControlId::DetailSlider,     ControlId::PictureSlider, ControlId::RandomCheckBox};

// The control's row of the settings table; -1 for a button.
constexpr int SettingRow(ControlId id) {
    return id < ControlId::SaveButton ? static_cast<int>(id) : -1;
}

// What the settings window's platform side does for the rules below.
class SettingsWindowHost {
  public:
    virtual ~SettingsWindowHost() = default;
    // A control is addressed by its row of the settings table. Setting a
    // position must not raise the change handler: the rules decide which
    // handlers run.
    virtual int SliderPosition(int row) = 0;
    virtual void SetSliderPosition(int row, int position) = 0;
    virtual void SetCheckBox(int row, bool checked) = 0;
    // 400x430 client then outer size, centred by CentredOrigin.
    virtual void SizeAndCentre() = 0;
    // Pixel format, context, SetupGL(Settings variant). May fail silently.
    virtual void AttachContext() = 0;
};

// A slider's change handler: its position becomes its row's setting.
void SliderChange(int row, int position);
// A check box's click handler.
void CheckBoxClick(int row, bool checked);

// Put SaverPicture.settings into the controls: a clamped value that differs from the
// slider's position moves it and runs its change handler.
void PutSettingsIntoControls(SettingsWindowHost& host);

}  // namespace zarvella
