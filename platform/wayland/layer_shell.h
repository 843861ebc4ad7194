// -root on Wayland: the picture on every output's background layer surface
// (wlr-layer-shell-unstable-v1), for a lock screen's host or as a
// wallpaper. Needs only wl_compositor and the layer shell (wl_shm for
// software GL, zxdg_output_manager_v1, the fractional-scale and viewporter
// protocols when offered); takes no input. Frame callbacks drive drawing;
// the animation keeps the hack's pace.
#pragma once

#include <functional>

#include "startup/options.h"

namespace zarvella::wayland_shell {

// Runs until SIGTERM, SIGINT or SIGHUP (at any moment, connecting too), or
// until the compositor closes the connection (exit code 0). Code 1, with
// the reason on standard error, when there is no Wayland display, the
// descriptor in WAYLAND_SOCKET is no socket, or there is no layer shell or
// no OpenGL. hack.settings are the ones to draw (HackSettings,
// startup/launch.h).
// `saverShows`: whether a full-screen saver of ours shows on this display
// (then nothing is drawn under it); none: never asked.
int RunLayerSurfaces(const HackOptions& hack, std::function<bool()> saverShows = {});

}  // namespace zarvella::wayland_shell
