#include "behaviour/hack.h"

#include "engine/animation.h"
#include "engine/frame_rate.h"
#include "engine/picture.h"
#include "engine/random.h"
#include "engine/render.h"

namespace zarvella {

int HackFrameIntervalMs(int32_t delayMicroseconds) {
    return delayMicroseconds / 1000;
}

void StartHack(FullScreenHost& host, const SaverSettingsRecord& settings, bool showFrameRate) {
    SaverPicture.settings = settings;
    SizeToDesktop(host);
    host.AttachContext();
    SeedRandom();
    SaverPicture.animation = SeedAnimationState();
    ChooseRandomPicture(
        SaverPicture.settings);  // takes the draws after the animation's, as the saver does
    SetFrameOverlay(showFrameRate ? DrawFrameRate : nullptr);
}

}  // namespace zarvella
