#include "behaviour/hack.h"

#include "engine/frame_rate.h"
#include "engine/render.h"

namespace zarvella {

int HackFrameIntervalMs(int32_t delayMicroseconds) {
    return delayMicroseconds / 1000;
}

void StartHack(FullScreenHost& host, FullScreenRecord& window, const SaverSettingsRecord& settings,
               bool showFrameRate) {
    PictureRecord& picture = window.picture;
    picture.settings = settings;
    SizeToDesktop(host, window);
    host.AttachContext();
    StartPicture(picture);
    window.frame.overlay = showFrameRate ? DrawFrameRate : nullptr;
}

}  // namespace zarvella
