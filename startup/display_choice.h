// Which display a process uses: X11, Wayland, or none with the one line why.
// One decision over the environment's facts, read once, and the answers of
// the probes it asks, each only when its answer may be used (asking GNOME's
// X display starts Xwayland).
#pragma once

#include <string>

#include "behaviour/desktop_cover.h"
#include "startup/launch.h"

namespace zarvella {

// The environment as the process found it; empty when unset.
struct SessionEnvironment {
    std::string display;        // DISPLAY
    std::string wayland;        // WAYLAND_DISPLAY
    std::string waylandSocket;  // WAYLAND_SOCKET: a connection a host handed over
    std::string runtimeDir;     // XDG_RUNTIME_DIR: where WAYLAND_DISPLAY's socket lies
    std::string qtPlatform;     // QT_QPA_PLATFORM: the user's own choice of Qt's platform
};

// What a descriptor number refers to in this process.
enum class Descriptor { NotOpen, Socket, Other };

// The shell's questions. Each is asked at most once, and only when the
// decision needs its answer.
class DisplayProbes {
  public:
    virtual ~DisplayProbes() = default;
    virtual bool XOpens() = 0;            // DISPLAY opens
    virtual bool WaylandOpens() = 0;      // WAYLAND_DISPLAY's socket accepts a connection
    virtual Descriptor Kind(int fd) = 0;  // what WAYLAND_SOCKET's number refers to
};

struct DisplayPlan {
    WindowSystem system = WindowSystem::None;
    // -root drawn as every output's background layer (Wayland has no root window).
    bool layerSurfaces = false;
    // WAYLAND_SOCKET names no open descriptor (left over from another
    // process): unset it, or libwayland would try it before WAYLAND_DISPLAY.
    bool dropWaylandSocket = false;
    // The value for QT_QPA_PLATFORM, or empty to keep the user's.
    std::string qtPlatform;
    // Windows over X11's monitors or inside another X window are placed in
    // device pixels (the toolkit's scaling off); the settings window and the
    // hack's own window keep the desktop's scale, and on Wayland the
    // compositor scales every window.
    bool devicePixels = false;
    // No GL context ends the process with a line; the settings window
    // shows its controls and says why in a message instead.
    bool glProblemEnds = true;
    std::string error;  // the line to print, then exit with code 1
};

DisplayPlan PlanDisplay(const LaunchPlan& plan, const SessionEnvironment& env,
                        DisplayProbes& probes);

}  // namespace zarvella
