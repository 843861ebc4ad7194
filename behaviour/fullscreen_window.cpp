#include "behaviour/fullscreen_window.h"

#include <cstdlib>

#include "behaviour/monitors.h"

namespace zarvella {

namespace {
void WithdrawSaverNotice(FullScreenHost& host, FullScreenRecord& window) {
    if (!window.saverNoticeGiven) return;
    window.saverNoticeGiven = false;
    host.SetSaverRunning(false);
}

// Where the system tells no position, the next one seen is the start.
void TakeCursorStart(FullScreenHost& host, FullScreenRecord& window) {
    window.startCursorKnown = host.KnowsCursor();
    if (window.startCursorKnown) window.startCursorPos = host.CursorPos();
}
}  // namespace

std::string GlStartError(const std::string& why) {
    return "OpenGL could not be started: " + (why.empty() ? std::string("no reason given") : why);
}

bool StartFullScreen(FullScreenHost& host, FullScreenRecord& window, SettingsStore& store,
                     ErrorSink& errors) {
    const LoadedSettings loaded = LoadSettings(store, errors);
    PictureRecord& picture = window.picture;
    picture.settings = loaded.settings;
    SizeToDesktop(host, window);
    host.AttachContext();
    if (const std::string why = host.ContextFailure(); !why.empty()) {
        errors.ShowError(GlStartError(why));
        host.Terminate();  // before the notice is given or the cursor hidden
        return loaded.Complete();
    }
    StartPicture(picture);
    TakeCursorStart(host, window);
    host.SetSaverRunning(true);
    window.saverNoticeGiven = true;
    host.ShowCursor(false);
    return loaded.Complete();
}

namespace {
bool ApplyLayout(FullScreenHost& host, FullScreenRecord& window, bool setOnNextFrame) {
    const std::vector<PixelRect> monitors = host.Monitors();
    const DesktopLayoutRecord layout =
        LayoutDesktop(monitors.data(), static_cast<int>(monitors.size()));
    if (layout.count == 0 || layout == window.layout) return false;
    window.layout = layout;
    host.PlaceWindow(layout.window);
    window.picture.viewports = ViewportsFor(layout, setOnNextFrame);
    return true;
}
}  // namespace

void SizeToDesktop(FullScreenHost& host, FullScreenRecord& window) {
    ApplyLayout(host, window, false);
}

// Monitors that come, go or move shift the cursor's coordinates (and may
// put the cursor elsewhere) without the mouse moving: the start is taken anew.
bool FullScreenDisplayChange(FullScreenHost& host, FullScreenRecord& window) {
    if (!ApplyLayout(host, window, true)) return false;
    TakeCursorStart(host, window);
    return true;
}

bool MovedBeyondThreshold(ScreenPoint start, ScreenPoint now) {
    // 64-bit differences: positions far apart must not overflow.
    const int64_t dx = static_cast<int64_t>(now.x) - start.x;
    const int64_t dy = static_cast<int64_t>(now.y) - start.y;
    return std::llabs(dx) > kMovementThreshold || std::llabs(dy) > kMovementThreshold;
}

// The notice of changed monitors may come after the cursor's jump, or not at
// all (Wine): a movement past the threshold first looks at the monitors.
bool FullScreenMouseMove(FullScreenHost& host, FullScreenRecord& window) {
    if (!window.startCursorKnown) {
        window.startCursorPos = host.CursorPos();
        window.startCursorKnown = true;
        return false;
    }
    if (!MovedBeyondThreshold(window.startCursorPos, host.CursorPos())) return false;
    if (FullScreenDisplayChange(host, window)) return false;
    return RunEndingSteps(host, window);
}

RoleRules RulesFor(PictureRole role) {
    switch (role) {
        case PictureRole::Saver:
            return {true, false, Stacking::KeptOnTop, true, true};
        case PictureRole::HackOwnWindow:
            return {false, false, Stacking::Managed, false, true};
        case PictureRole::HackInWindow:  // its host's input stays with the host
            return {false, true, Stacking::Managed, false, false};
        case PictureRole::HackOnRoot:  // never covers a program or takes its input
            return {true, false, Stacking::KeptAtBottom, false, false};
    }
    return {};
}

bool AdvanceForShownOutputs(FullScreenRecord& window, int shownOutputs) {
    if (shownOutputs <= 0) return false;
    AdvancePicture(window.picture);
    return true;
}

bool FullScreenKeyDown(FullScreenHost& host, FullScreenRecord& window) {
    return RunEndingSteps(host, window);
}

bool RunEndingSteps(FullScreenHost& host, FullScreenRecord& window) {
    if (!host.VerifySaverPassword()) return false;
    host.ShowCursor(true);
    host.HideWindow();
    WithdrawSaverNotice(host, window);
    host.Terminate();
    return true;
}

void FullScreenWindowEnded(FullScreenHost& host, FullScreenRecord& window) {
    WithdrawSaverNotice(host, window);
}

}  // namespace zarvella
