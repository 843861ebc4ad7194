#include "shell/settings_form.h"

#include "engine/animation.h"
#include "engine/random.h"
#include "shell/monitors.h"
#include "shell/window_handle.h"

namespace zarvella {

GlViewport SettingsPictureViewport(int outerWidth, int outerHeight, int dpi) {
    const int strip = ScaleForDpi(kControlStripHeight, dpi);
    return {0, strip, outerWidth, outerHeight - strip - ScaleForDpi(kSettingsFrameExtra, dpi)};
}

void SetupWindowGL(GlVariant variant, int outerWidth, int outerHeight, int dpi) {
    const GlViewport picture = SettingsPictureViewport(outerWidth, outerHeight, dpi);
    SetupGL(variant, variant == GlVariant::Settings ? &picture : nullptr);
}

void SettingsDpiChanged(int outerWidth, int outerHeight, int dpi) {
    SetViewport(SettingsPictureViewport(outerWidth, outerHeight, dpi));
}

std::string GlStartFailedText(std::string_view why) {
    return "OpenGL could not be started: " + std::string(why);
}

void ChooseRandomPicture() {
    if (SaverSettings.RandomPicture) SaverSettings.PictureKind = RandomInt(9) + 1;
}

uint32_t DecideSettingsOwner(std::string_view settingsOwner,
                             bool (*windowExists)(uint32_t handle)) {
    const uint32_t owner = ParseWindowHandle(settingsOwner);
    return owner != 0 && windowExists(owner) ? owner : 0;
}

bool SettingsFormCreate(SettingsWindowHost& host, SettingsStore& store, ErrorSink& errors) {
    const bool loaded = LoadSettings(store, errors);
    SeedRandom();
    ChooseRandomPicture();
    PutSettingsIntoControls(host);
    host.SizeAndCentre();
    host.AttachContext();
    if (const std::string why = host.ContextFailure(); !why.empty()) {
        errors.ShowError(GlStartFailedText(why));
    }
    SeedAnimationState();
    return loaded;
}

bool SettingsKeyEndsWindow(SaverKey key) {
    return key == SaverKey::Escape;
}

}  // namespace zarvella
