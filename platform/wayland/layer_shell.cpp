#include "platform/wayland/layer_shell.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/frame_rate.h"
#include "engine/render.h"
#include "platform/posix/ending_signals.h"
#include "platform/wayland/output_surface.h"
#include "startup/launch.h"

namespace zarvella::wayland_shell {

namespace {

int64_t NowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The shell's state: the compositor's globals, one surface per output, and
// the one picture they all show.
struct LayerShell {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    Globals globals;
    std::vector<std::unique_ptr<OutputSurface>> outputs;
    PictureRecord picture;
    FramePaceRecord pace;
    int64_t intervalUs = 0;
    bool showFrameRate = false;
    FrameRateRecord frameRate;  // -fps: steps counted, the rate on every output
    std::function<bool()> saverShows;
    SaverCoverRecord saverCover;
};

template <typename T>
T* Bind(wl_registry* registry, uint32_t name, const wl_interface& interface, uint32_t offered,
        uint32_t wanted) {
    return static_cast<T*>(
        wl_registry_bind(registry, name, &interface, offered < wanted ? offered : wanted));
}

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t version) {
    LayerShell& shell = *static_cast<LayerShell*>(data);
    Globals& g = shell.globals;
    const std::string_view is = interface;
    if (is == wl_compositor_interface.name && version >= 3) {
        g.compositor = Bind<wl_compositor>(registry, name, wl_compositor_interface, version, 4);
    } else if (is == zwlr_layer_shell_v1_interface.name) {
        g.layerShell =
            Bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface, version, 3);
    } else if (is == zxdg_output_manager_v1_interface.name) {
        g.xdgOutputs = Bind<zxdg_output_manager_v1>(registry, name,
                                                    zxdg_output_manager_v1_interface, version, 3);
        for (auto& output : shell.outputs) output->WatchLogicalSize();
    } else if (is == wp_fractional_scale_manager_v1_interface.name) {
        g.fractionalScales = Bind<wp_fractional_scale_manager_v1>(
            registry, name, wp_fractional_scale_manager_v1_interface, version, 1);
    } else if (is == wp_presentation_interface.name) {
        g.presentation =
            Bind<wp_presentation>(registry, name, wp_presentation_interface, version, 1);
    } else if (is == wp_viewporter_interface.name) {
        g.viewporter = Bind<wp_viewporter>(registry, name, wp_viewporter_interface, version, 1);
    } else if (is == wl_output_interface.name && version >= 2) {
        shell.outputs.push_back(std::make_unique<OutputSurface>(
            g, Bind<wl_output>(registry, name, wl_output_interface, version, 3), name));
    }
}

void OnGlobalRemove(void* data, wl_registry*, uint32_t name) {
    auto& outputs = static_cast<LayerShell*>(data)->outputs;
    std::erase_if(outputs, [name](const auto& output) { return output->Name() == name; });
}

const wl_registry_listener kRegistryEvents = {.global = OnGlobal, .global_remove = OnGlobalRemove};

bool HasExtension(const char* list, std::string_view name) {
    for (std::string_view rest = list ? list : ""; !rest.empty();) {
        const size_t space = rest.find(' ');
        if (rest.substr(0, space) == name) return true;
        rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
    }
    return false;
}

// The EGL display of this connection, asked for as a Wayland one: EGL 1.5's
// eglGetPlatformDisplay, else the EXT extension's, else eglGetDisplay, which
// has to guess the platform from the pointer. Both entry points are looked
// up, so an older libEGL still loads.
EGLDisplay WaylandEglDisplay(wl_display* display) {
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (HasExtension(client, "EGL_KHR_platform_wayland")) {
        if (const auto get = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYPROC>(
                eglGetProcAddress("eglGetPlatformDisplay")))
            return get(EGL_PLATFORM_WAYLAND_KHR, display, nullptr);
    }
    if (HasExtension(client, "EGL_EXT_platform_wayland")) {
        if (const auto get = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
                eglGetProcAddress("eglGetPlatformDisplayEXT")))
            return get(EGL_PLATFORM_WAYLAND_EXT, display, nullptr);
    }
    return eglGetDisplay(reinterpret_cast<EGLNativeDisplayType>(display));
}

bool StartEgl(Globals& g, wl_display* display) {
    g.egl = WaylandEglDisplay(display);
    if (g.egl == EGL_NO_DISPLAY || !eglInitialize(g.egl, nullptr, nullptr) ||
        !eglBindAPI(EGL_OPENGL_API))
        return false;
    const EGLint attributes[] = {EGL_SURFACE_TYPE,
                                 EGL_WINDOW_BIT,
                                 EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT,
                                 EGL_RED_SIZE,
                                 kPictureSurface.colourBits,
                                 EGL_GREEN_SIZE,
                                 kPictureSurface.colourBits,
                                 EGL_BLUE_SIZE,
                                 kPictureSurface.colourBits,
                                 EGL_ALPHA_SIZE,
                                 kPictureSurface.alphaBits,
                                 EGL_DEPTH_SIZE,
                                 kPictureSurface.depthBits,
                                 EGL_STENCIL_SIZE,
                                 kPictureSurface.stencilBits,
                                 EGL_NONE};
    EGLint count = 0;
    return eglChooseConfig(g.egl, attributes, &g.eglConfig, 1, &count) && count == 1;
}

// One pass of the loop: surfaces the compositor closed are made again; the
// animation steps when it is due and an output can show it; every output
// ready for this frame draws it.
bool DrawReady(LayerShell& shell) {
    const int64_t now = NowUs();
    if (shell.saverShows && CoveredBySaver(shell.saverCover, now, shell.saverShows)) return true;
    bool anyReady = false;
    for (const auto& output : shell.outputs) {
        output->RemakeClosedSurface();
        anyReady = anyReady || output->Ready(now);
    }
    if (anyReady && TakeStep(shell.pace, now, shell.intervalUs)) {
        AdvancePicture(shell.picture);
        if (shell.showFrameRate) CountFrame(shell.frameRate, now / 1e6);
    }
    for (const auto& output : shell.outputs)
        if (!output->Draw(shell.picture, shell.pace.frame,
                          shell.showFrameRate ? &shell.frameRate : nullptr, now))
            return false;
    return true;
}

// The wait for the display: until the next step when an output can show it,
// else until the next probe of an output nobody sees, else until an event.
int PollTimeoutMs(const LayerShell& shell) {
    const int64_t now = NowUs();
    bool waits = false;
    int probe = -1;
    for (const auto& output : shell.outputs) {
        waits = waits || output->Ready(now);
        probe = SoonerWaitMs(probe, output->ProbeWaitMs(now));
    }
    const int wait =
        SoonerWaitMs(LayerPollTimeoutMs(shell.pace, now, shell.intervalUs, waits), probe);
    if (!shell.saverShows) return wait;
    const int check = SaverCheckWaitMs(shell.saverCover, now);
    return shell.saverCover.covered ? check : SoonerWaitMs(wait, check);
}

bool Ending() {
    return posix::EndingSignalled();
}

// The connection ended: by a signal, or the compositor, or the lock
// screen's host, closed it (0), or it ended us for a protocol error (1).
int ConnectionEnd(wl_display* d) {
    if (Ending() || wl_display_get_error(d) != EPROTO) return 0;
    std::fprintf(stderr, "zarvella: the Wayland compositor reported a protocol error\n");
    return 1;
}

// Until a signal (0) or the connection's end.
int RunLoop(LayerShell& shell) {
    wl_display* d = shell.display;
    bool flushed = true;
    while (!Ending()) {
        // While the socket takes no more, nothing is drawn: it would only
        // add requests that cannot be sent.
        if (flushed && !DrawReady(shell)) return Ending() ? 0 : 1;
        while (wl_display_prepare_read(d) != 0)
            if (wl_display_dispatch_pending(d) < 0) return ConnectionEnd(d);
        flushed = wl_display_flush(d) >= 0;
        if (!flushed && errno != EAGAIN) {
            wl_display_cancel_read(d);
            return ConnectionEnd(d);
        }
        // EAGAIN: the rest goes when the socket is writable again.
        pollfd fd = {wl_display_get_fd(d), static_cast<short>(flushed ? POLLIN : POLLIN | POLLOUT),
                     0};
        const int timeout = flushed ? PollTimeoutMs(shell) : -1;
        const bool polled = poll(&fd, 1, timeout) >= 0;
        const int pollError = errno;
        if (polled && (fd.revents & POLLIN)) {
            wl_display_read_events(d);
        } else {
            wl_display_cancel_read(d);
        }
        if (!polled && pollError != EINTR) return 1;
        if (wl_display_dispatch_pending(d) < 0 || (fd.revents & (POLLHUP | POLLERR)))
            return ConnectionEnd(d);
    }
    return 0;
}

}  // namespace

int RunLayerSurfaces(const HackOptions& hack, std::function<bool()> saverShows) {
    posix::CatchEndingSignals();
    // libwayland unsets WAYLAND_SOCKET once it takes the descriptor.
    const char* socketVariable = std::getenv("WAYLAND_SOCKET");
    const std::string handed = socketVariable ? socketVariable : "";
    LayerConnectionFacts facts;
    facts.waylandSocket = socketVariable ? handed.c_str() : nullptr;

    auto shell = std::make_unique<LayerShell>();  // the picture's grid is large
    shell->saverShows = std::move(saverShows);
    shell->display = wl_display_connect(nullptr);  // WAYLAND_SOCKET, else WAYLAND_DISPLAY
    if (!shell->display) {
        if (Ending()) return 0;
        const std::string error =
            WaylandConnectError(std::getenv("WAYLAND_DISPLAY"), facts.waylandSocket);
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const int connectionFd = wl_display_get_fd(shell->display);
    posix::WakeOnEndingSignal(connectionFd);
    struct stat connection = {};
    facts.socket = fstat(connectionFd, &connection) == 0 && S_ISSOCK(connection.st_mode);
    if (facts.socket && !Ending()) {
        shell->registry = wl_display_get_registry(shell->display);
        wl_registry_add_listener(shell->registry, &kRegistryEvents, shell.get());
        facts.answered = wl_display_roundtrip(shell->display) >= 0;
        facts.compositor = shell->globals.compositor != nullptr;
        facts.layerShell = shell->globals.layerShell != nullptr;
    }
    int code = 1;
    const std::string error = LayerConnectionError(facts);
    if (Ending()) {
        code = 0;
    } else if (!error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
    } else if (!StartEgl(shell->globals, shell->display)) {
        if (Ending())
            code = 0;
        else
            std::fprintf(stderr, "zarvella: no OpenGL through EGL on this Wayland display (0x%x)\n",
                         static_cast<unsigned>(eglGetError()));
    } else {
        StartLayerPicture(shell->picture, hack.settings);
        shell->intervalUs = LayerFrameIntervalUs(hack.delayMicroseconds);
        shell->showFrameRate = hack.showFrameRate;
        code = RunLoop(*shell);
    }
    shell->outputs.clear();
    Globals& g = shell->globals;
    if (g.egl != EGL_NO_DISPLAY) eglTerminate(g.egl);
    if (g.layerShell) {
        if (zwlr_layer_shell_v1_get_version(g.layerShell) >= 3)
            zwlr_layer_shell_v1_destroy(g.layerShell);
        else
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(g.layerShell));
    }
    if (g.xdgOutputs) zxdg_output_manager_v1_destroy(g.xdgOutputs);
    if (g.fractionalScales) wp_fractional_scale_manager_v1_destroy(g.fractionalScales);
    if (g.viewporter) wp_viewporter_destroy(g.viewporter);
    if (g.presentation) wp_presentation_destroy(g.presentation);
    if (g.compositor) wl_compositor_destroy(g.compositor);
    if (shell->registry) wl_registry_destroy(shell->registry);
    posix::WakeOnEndingSignal(-1);  // a signal from now on finds no connection to shut
    wl_display_disconnect(shell->display);
    return code;
}

}  // namespace zarvella::wayland_shell
