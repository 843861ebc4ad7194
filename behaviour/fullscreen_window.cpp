#include "behaviour/fullscreen_window.h"

#include <cstdlib>

#include "behaviour/monitors.h"
#include "engine/animation.h"
#include "engine/picture.h"
#include "engine/random.h"

namespace zarvella {

namespace {
void WithdrawSaverNotice(FullScreenHost& host) {
    if (!SaverNoticeGiven) return;
    SaverNoticeGiven = false;
    host.SetSaverRunning(false);
}

// Where the system tells no position, the next one seen is the start.
void TakeCursorStart(FullScreenHost& host) {
    StartCursorKnown = host.KnowsCursor();
    if (StartCursorKnown) StartCursorPos = host.CursorPos();
}
}  // namespace

std::string GlStartError(const std::string& why) {
    return "OpenGL could not be started: " + (why.empty() ? std::string("no reason given") : why);
}

bool StartFullScreen(FullScreenHost& host, SettingsStore& store, ErrorSink& errors) {
    const bool loaded = LoadSettings(store, errors);
    SizeToDesktop(host);
    host.AttachContext();
    if (const std::string why = host.ContextFailure(); !why.empty()) {
        errors.ShowError(GlStartError(why));
        host.Terminate();  // before the notice is given or the cursor hidden
        return loaded;
    }
    SeedRandom();
    SaverPicture.animation = SeedAnimationState();
    ChooseRandomPicture(SaverPicture.settings);  // takes the draws after the animation's
    TakeCursorStart(host);
    host.SetSaverRunning(true);
    SaverNoticeGiven = true;
    host.ShowCursor(false);
    return loaded;
}

namespace {
bool ApplyLayout(FullScreenHost& host, bool setOnNextFrame) {
    const std::vector<PixelRect> monitors = host.Monitors();
    const DesktopLayoutRecord layout =
        LayoutDesktop(monitors.data(), static_cast<int>(monitors.size()));
    if (layout.count == 0 || layout == CurrentLayout) return false;
    CurrentLayout = layout;
    host.PlaceWindow(layout.window);
    SaverPicture.viewports = ViewportsFor(layout, setOnNextFrame);
    return true;
}
}  // namespace

void SizeToDesktop(FullScreenHost& host) {
    ApplyLayout(host, false);
}

// Monitors that come, go or move shift the cursor's coordinates (and may
// put the cursor elsewhere) without the mouse moving: the start is taken anew.
bool FullScreenDisplayChange(FullScreenHost& host) {
    if (!ApplyLayout(host, true)) return false;
    TakeCursorStart(host);
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
bool FullScreenMouseMove(FullScreenHost& host) {
    if (!StartCursorKnown) {
        StartCursorPos = host.CursorPos();
        StartCursorKnown = true;
        return false;
    }
    if (!MovedBeyondThreshold(StartCursorPos, host.CursorPos())) return false;
    if (FullScreenDisplayChange(host)) return false;
    return RunEndingSteps(host);
}

bool FullScreenKeyDown(FullScreenHost& host) {
    return RunEndingSteps(host);
}

bool RunEndingSteps(FullScreenHost& host) {
    if (!host.VerifySaverPassword()) return false;
    host.ShowCursor(true);
    host.HideWindow();
    WithdrawSaverNotice(host);
    host.Terminate();
    return true;
}

void FullScreenWindowEnded(FullScreenHost& host) {
    WithdrawSaverNotice(host);
}

}  // namespace zarvella
