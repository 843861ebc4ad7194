#include "behaviour/hack.h"

#include <cstdio>

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

std::string HackTargetError(const HackTargetFacts& facts) {
    if (facts.ownWindow) return "";
    if (!facts.exists) {
        char id[32];
        std::snprintf(id, sizeof id, "0x%lx", facts.window);
        return std::string("zarvella: the X window ") + id + " does not exist";
    }
    return UndrawableWindowError(static_cast<uint32_t>(facts.window), facts.drawn);
}

}  // namespace zarvella
