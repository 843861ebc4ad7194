#include "startup/display_choice.h"

#include <charconv>

#include "behaviour/layer_surfaces.h"

namespace zarvella {

namespace {

bool NeedsNoDisplay(const LaunchPlan& plan) {
    switch (plan.kind) {
        case LaunchKind::Hack:
            return false;
        case LaunchKind::Mode:
            return plan.mode == SaverMode::ChangePassword;
        default:
            return true;
    }
}

// The platform Qt tries first: QT_QPA_PLATFORM is a list ("wayland;xcb"),
// each entry a name with options after a colon.
std::string FirstQtPlatform(const std::string& value) {
    return value.substr(0, value.find_first_of(";:"));
}

struct WaylandAnswer {
    bool set = false;     // the environment names a Wayland display or connection
    bool usable = false;  // and it answers
    bool dropSocket = false;
    std::string why;  // when set and not usable
};

WaylandAnswer AskWayland(const SessionEnvironment& env, DisplayProbes& probes) {
    WaylandAnswer answer;
    answer.set = !env.wayland.empty() || !env.waylandSocket.empty();
    if (!env.waylandSocket.empty()) {
        const std::string& text = env.waylandSocket;
        int fd = -1;
        const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), fd);
        const bool number = fault == std::errc() && end == text.data() + text.size() && fd >= 0;
        const Descriptor kind = number ? probes.Kind(fd) : Descriptor::NotOpen;
        if (kind == Descriptor::Socket) {
            answer.usable = true;
            return answer;
        }
        if (kind == Descriptor::Other) {
            LayerConnectionFacts facts;  // the line -root itself would print
            facts.waylandSocket = text.c_str();
            facts.socket = false;
            answer.why = LayerConnectionError(facts);
            return answer;
        }
        // Nothing open by that number: a leftover of the process that
        // started us. WAYLAND_DISPLAY, if any, is the session's display.
        answer.dropSocket = true;
        answer.why = "zarvella: cannot use the Wayland connection WAYLAND_SOCKET=" + text;
    }
    if (env.wayland.empty()) return answer;
    // A relative WAYLAND_DISPLAY names a socket in XDG_RUNTIME_DIR.
    const std::string display = "zarvella: cannot connect to the Wayland display '" + env.wayland;
    if (env.wayland[0] != '/' && env.runtimeDir.empty()) {
        answer.why = display + "': XDG_RUNTIME_DIR is not set";
        return answer;
    }
    answer.usable = probes.WaylandOpens();
    answer.why = display + "'";
    return answer;
}

DisplayPlan Refuse(DisplayPlan plan, std::string why) {
    plan.system = WindowSystem::None;
    plan.error = std::move(why);
    return plan;
}

}  // namespace

DisplayPlan PlanDisplay(const LaunchPlan& plan, const SessionEnvironment& env,
                        DisplayProbes& probes) {
    DisplayPlan out;
    if (NeedsNoDisplay(plan)) return out;
    const bool settingsWindow = plan.kind == LaunchKind::Mode && plan.mode == SaverMode::Settings;
    out.glProblemEnds = !settingsWindow;
    const std::string xOnly = XOnlyForm(plan);
    const std::string userPlatform = FirstQtPlatform(env.qtPlatform);
    const bool userWayland = userPlatform.starts_with("wayland");
    const bool userX = userPlatform == "xcb";
    if (!xOnly.empty() && userWayland)
        return Refuse(out, "zarvella: " + xOnly +
                               " draws into an X window, and QT_QPA_PLATFORM is '" +
                               env.qtPlatform + "'");

    WaylandAnswer wayland;
    wayland.set = !env.wayland.empty() || !env.waylandSocket.empty();
    if (xOnly.empty() && !userX) {
        wayland = AskWayland(env, probes);
        out.dropWaylandSocket = wayland.dropSocket;
        if (wayland.usable) {
            out.system = WindowSystem::Wayland;
            out.layerSurfaces =
                plan.kind == LaunchKind::Hack && plan.hack.target == HackTarget::RootWindow;
            out.qtPlatform = env.qtPlatform.empty() ? "wayland" : "";
            return out;
        }
        if (userWayland)
            return Refuse(out, wayland.set ? wayland.why
                                           : "zarvella: QT_QPA_PLATFORM is '" + env.qtPlatform +
                                                 "', and WAYLAND_DISPLAY is not set");
    }
    // The display that works: X, where the Wayland display is dead too.
    if (!env.display.empty() && probes.XOpens()) {
        out.system = WindowSystem::X11;
        out.qtPlatform = env.qtPlatform.empty() ? "xcb" : "";
        out.devicePixels = !settingsWindow && !(plan.kind == LaunchKind::Hack &&
                                                plan.hack.target == HackTarget::OwnWindow);
        return out;
    }
    if (env.display.empty() && wayland.set && !xOnly.empty())
        return Refuse(out, "zarvella: " + xOnly +
                               " draws into an X window, and DISPLAY is not set in this Wayland "
                               "session (no Xwayland)");
    if (env.display.empty() && wayland.set && !userX) return Refuse(out, wayland.why);
    if (env.display.empty())
        return Refuse(out, "zarvella: cannot open display: DISPLAY is not set");
    return Refuse(out, "zarvella: cannot open display '" + env.display + "'");
}

}  // namespace zarvella
