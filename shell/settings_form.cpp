#include "shell/settings_form.h"

#include "engine/animation.h"
#include "engine/random.h"

namespace zarvella {

GlViewport SettingsPictureViewport(int outerWidth, int outerHeight) {
    return {0, kControlStripHeight, outerWidth,
            outerHeight - kControlStripHeight - kSettingsFrameExtra};
}

void SetupWindowGL(GlVariant variant, int outerWidth, int outerHeight) {
    const GlViewport picture = SettingsPictureViewport(outerWidth, outerHeight);
    SetupGL(variant, variant == GlVariant::Settings ? &picture : nullptr);
}

void ChooseRandomPicture() {
    if (SaverSettings.RandomPicture) SaverSettings.PictureKind = RandomInt(9) + 1;
}

bool SettingsFormCreate(SettingsWindowHost& host, SettingsStore& store, ErrorSink& errors) {
    const bool loaded = LoadSettings(store, errors);
    SeedRandom();
    ChooseRandomPicture();
    PutSettingsIntoControls(host);
    host.SizeAndCentre();
    host.AttachContext();
    SeedAnimationState();
    return loaded;
}

bool SettingsKeyEndsWindow(SaverKey key) {
    return key == SaverKey::Escape;
}

}  // namespace zarvella
