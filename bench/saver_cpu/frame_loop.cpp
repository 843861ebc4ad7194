// One RenderFrame loop for callgrind: the engine's own work per frame (phase
// drift, grid walk, colour pass, the triangle stream) with the GL calls going
// to empty functions (noop_gl.c), so the figure is free of Mesa and of timing
// noise.
//
//   frame_loop default|top FRAMES [MONITORS]
//
// MONITORS (1 or 2): the frame drawn on that many 1280x1024 monitors side by
// side, as the full-screen window draws it.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "behaviour/monitors.h"
#include "engine/animation.h"
#include "engine/fpu.h"
#include "engine/random.h"
#include "engine/render.h"
#include "settings/settings.h"

using namespace zarvella;

int main(int argc, char** argv) {
    const bool top = argc > 1 && std::strcmp(argv[1], "top") == 0;
    const int frames = argc > 2 ? std::atoi(argv[2]) : 100;
    const int monitors = argc > 3 && std::atoi(argv[3]) == 2 ? 2 : 1;
    MaskFloatingPointExceptions();
    // The sliders' first-run defaults, or every slider at its top.
    static PictureRecord picture;
    picture.settings = top ? SaverSettingsRecord{100, 15, 10, 10, 30, 10, false} : kDefaultSettings;
    picture.random.state = 20261207u;
    SetupGL(GlVariant::FullScreen);
    const PixelRect desk[] = {{0, 0, 1280, 1024}, {1280, 0, 1280, 1024}};
    picture.viewports = ViewportsFor(LayoutDesktop(desk, monitors), false);
    picture.animation = SeedAnimationState(picture.random);
    FrameHooks hooks;
    for (int f = 0; f < frames; ++f) RenderFrame(picture, hooks);
    std::printf("%d frames\n", frames);
    return 0;
}
