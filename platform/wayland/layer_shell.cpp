#include "platform/wayland/layer_shell.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/frame_rate.h"
#include "engine/render.h"
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

bool StartEgl(Globals& g, wl_display* display) {
    g.egl = eglGetDisplay(reinterpret_cast<EGLNativeDisplayType>(display));
    if (g.egl == EGL_NO_DISPLAY || !eglInitialize(g.egl, nullptr, nullptr) ||
        !eglBindAPI(EGL_OPENGL_API))
        return false;
    // Opaque (no alpha), so the translucent triangles never show the desktop.
    const EGLint attributes[] = {EGL_SURFACE_TYPE,
                                 EGL_WINDOW_BIT,
                                 EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT,
                                 EGL_RED_SIZE,
                                 8,
                                 EGL_GREEN_SIZE,
                                 8,
                                 EGL_BLUE_SIZE,
                                 8,
                                 EGL_ALPHA_SIZE,
                                 0,
                                 EGL_DEPTH_SIZE,
                                 16,
                                 EGL_NONE};
    EGLint count = 0;
    return eglChooseConfig(g.egl, attributes, &g.eglConfig, 1, &count) && count == 1;
}

// One pass of the loop: the animation steps when it is due and an output
// can show it; every output ready for this frame draws it.
bool DrawReady(LayerShell& shell) {
    bool anyReady = false;
    for (const auto& output : shell.outputs)
        anyReady = anyReady || (output->State().configured && !output->State().framePending);
    if (anyReady && TakeStep(shell.pace, NowUs(), shell.intervalUs)) {
        AdvancePicture(shell.picture);
        if (shell.showFrameRate) CountFrame(shell.frameRate, NowUs() / 1e6);
    }
    for (const auto& output : shell.outputs)
        if (!output->Draw(shell.picture, shell.pace.frame,
                          shell.showFrameRate ? &shell.frameRate : nullptr))
            return false;
    return true;
}

bool AnOutputWaits(const LayerShell& shell) {
    for (const auto& output : shell.outputs)
        if (output->State().configured && !output->State().framePending) return true;
    return false;
}

// The ending signals, read from a descriptor beside the display's. Blocked
// before EGL starts threads, so every thread leaves them to the loop.
int SignalDescriptor() {
    sigset_t ending;
    sigemptyset(&ending);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&ending, s);
    if (sigprocmask(SIG_BLOCK, &ending, nullptr) != 0) return -1;
    return signalfd(-1, &ending, SFD_CLOEXEC | SFD_NONBLOCK);
}

// The connection ended: the compositor, or the lock screen's host, closed
// it (0), or it ended us for a protocol error (1).
int ConnectionEnd(wl_display* d) {
    if (wl_display_get_error(d) != EPROTO) return 0;
    std::fprintf(stderr, "zarvella: the Wayland compositor reported a protocol error\n");
    return 1;
}

// Until a signal (0) or the connection's end.
int RunLoop(LayerShell& shell, int signals) {
    wl_display* d = shell.display;
    while (true) {
        if (!DrawReady(shell)) return 1;
        while (wl_display_prepare_read(d) != 0)
            if (wl_display_dispatch_pending(d) < 0) return ConnectionEnd(d);
        wl_display_flush(d);
        pollfd fds[2] = {{wl_display_get_fd(d), POLLIN, 0}, {signals, POLLIN, 0}};
        const int timeout =
            LayerPollTimeoutMs(shell.pace, NowUs(), shell.intervalUs, AnOutputWaits(shell));
        const bool polled = poll(fds, 2, timeout) >= 0;
        if (polled && (fds[0].revents & POLLIN)) {
            wl_display_read_events(d);
        } else {
            wl_display_cancel_read(d);
        }
        if (!polled && errno != EINTR) return 1;
        if (wl_display_dispatch_pending(d) < 0 || (fds[0].revents & (POLLHUP | POLLERR)))
            return ConnectionEnd(d);
        if (fds[1].revents & POLLIN) return 0;
    }
}

}  // namespace

int RunLayerSurfaces(const HackOptions& hack) {
    const int signals = SignalDescriptor();
    auto shell = std::make_unique<LayerShell>();   // the picture's grid is large
    shell->display = wl_display_connect(nullptr);  // WAYLAND_SOCKET, else WAYLAND_DISPLAY
    if (!shell->display) {
        const std::string error =
            WaylandConnectError(std::getenv("WAYLAND_DISPLAY"), std::getenv("WAYLAND_SOCKET"));
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    shell->registry = wl_display_get_registry(shell->display);
    wl_registry_add_listener(shell->registry, &kRegistryEvents, shell.get());
    wl_display_roundtrip(shell->display);
    int code = 1;
    if (!shell->globals.compositor || !shell->globals.layerShell) {
        std::fprintf(stderr,
                     "zarvella: this Wayland compositor offers no layer shell "
                     "(wlr-layer-shell-unstable-v1), so -root has no background to draw on\n");
    } else if (!StartEgl(shell->globals, shell->display)) {
        std::fprintf(stderr, "zarvella: no OpenGL through EGL on this Wayland display (0x%x)\n",
                     static_cast<unsigned>(eglGetError()));
    } else {
        StartLayerPicture(shell->picture, hack.settings);
        shell->intervalUs = LayerFrameIntervalUs(hack);
        shell->showFrameRate = hack.showFrameRate;
        code = RunLoop(*shell, signals);
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
    if (g.compositor) wl_compositor_destroy(g.compositor);
    wl_registry_destroy(shell->registry);
    wl_display_disconnect(shell->display);
    if (signals >= 0) close(signals);
    return code;
}

}  // namespace zarvella::wayland_shell
