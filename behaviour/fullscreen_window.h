// The full-screen saver's rules: its set-up, the movement threshold and the
// ending steps. The full-screen window on each platform turns its events into these calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/render.h"
#include "settings/settings.h"
#include "state/window_records.h"

namespace zarvella {

inline constexpr int kFullScreenTimerMs = 40;
inline constexpr int kMovementThreshold = 10;  // pixels, on either axis
inline constexpr int kFullScreenLayoutWidth = 400;
inline constexpr int kFullScreenLayoutHeight = 300;

// No GL context: said on stderr, or in a message box by the settings window
// (which stays usable, without its picture), with the platform's reason.
// The full-screen saver and the preview have nothing else to show: they
// end with kGlStartFailedExitCode. The settings window keeps its controls
// without a picture, so Save Settings still works.
std::string GlStartError(const std::string& why);
inline constexpr int kGlStartFailedExitCode = 1;

class FullScreenHost {
  public:
    virtual ~FullScreenHost() = default;
    // Every monitor of the desktop, in device pixels (the primary one first).
    virtual std::vector<PixelRect> Monitors() = 0;
    // Border-less window at this rectangle of the desktop, device pixels.
    virtual void PlaceWindow(const PixelRect& rect) = 0;
    // Pixel format, context, SetupGL(FullScreen).
    virtual void AttachContext() = 0;
    // Why AttachContext made no context; empty when it made one.
    virtual std::string ContextFailure() { return {}; }
    // The pointer on the desktop; where the system tells none (KnowsCursor
    // false), the last position one of the saver's windows saw.
    virtual ScreenPoint CursorPos() = 0;
    virtual bool KnowsCursor() { return true; }
    virtual void ShowCursor(bool show) = 0;
    // The system's "a screen saver runs" notice (none on some platforms).
    virtual void SetSaverRunning(bool running) = 0;
    virtual bool VerifySaverPassword() = 0;
    virtual void HideWindow() = 0;
    virtual void Terminate() = 0;
};

// What the full-screen window (and the hack, which is that window) keeps
// between its events: its picture and frame hooks, the cursor's position
// when it was created (screen coordinates), its monitors, and whether the
// system's "a screen saver runs" notice is in force (given at the start,
// withdrawn once whichever way the window goes).
struct FullScreenRecord {
    PictureRecord picture;
    FrameHooks frame;
    ScreenPoint startCursorPos;
    // startCursorPos holds a position: where the system tells none, it is
    // the first one a window of the saver sees.
    bool startCursorKnown = false;
    DesktopLayoutRecord layout;
    bool saverNoticeGiven = false;
};

// The windows the full-screen picture is drawn in on X11, one type each in
// the shell, and what each one follows.
enum class PictureRole {
    Saver,          // the full-screen saver
    HackOwnWindow,  // the hack in a window of its own (-window)
    HackInWindow,   // the hack inside another program's window (XScreenSaver, -window-id)
    HackOnRoot,     // -root by hand: the desktop's background
};
enum class Stacking { Managed, KeptOnTop, KeptAtBottom };
struct RoleRules {
    bool screens = false;     // covers every monitor, and follows them as they change
    bool hostWindow = false;  // the window it lies in: takes its size, ends when it goes
    Stacking stacking = Stacking::Managed;
    bool inputEnds = false;   // a key, or a move past the threshold, ends it
    bool takesInput = false;  // otherwise input goes through it, to what lies below
    bool operator==(const RoleRules&) const = default;
};
RoleRules RulesFor(PictureRole role);

// A frame tick where the saver has one window per output (Wayland): the
// picture advances once if at least one window is shown, and each shown
// window then draws that same frame. With none shown nothing moves, so a
// window shown again goes on from the frame it left. True when the shown
// windows are to draw.
bool AdvanceForShownOutputs(FullScreenRecord& window, int shownOutputs);

// The full-screen window's OnCreate. A value that cannot be read is shown and keeps its
// default; the screen is covered all the same, and the start position is
// taken after the message. False when a value could not be read. Without a
// GL context the failure is shown and the saver ends (GlStartError,
// kGlStartFailedExitCode).
bool StartFullScreen(FullScreenHost& host, FullScreenRecord& window, SettingsStore& store,
                     ErrorSink& errors);

// Covers every monitor: the window over them all, the picture on each.
// OnCreate's sizing step; with no monitor reported the window keeps its
// size. The context is made after it, so its own viewport fits the window.
void SizeToDesktop(FullScreenHost& host, FullScreenRecord& window);

// The monitors changed (added, removed, resized, moved, another DPI): the
// saver keeps covering every one, and takes the cursor's start position anew.
// True when the layout changed; the next frame then sets its viewports anew.
bool FullScreenDisplayChange(FullScreenHost& host, FullScreenRecord& window);

// More than the threshold away from the start on at least one axis.
bool MovedBeyondThreshold(ScreenPoint start, ScreenPoint now);

// OnMouseMove: reads the cursor and ends the saver past the threshold,
// unless the monitors changed (FullScreenDisplayChange). Where the system
// tells no pointer position, the first one seen is the start.
// OnKeyDown: ends the saver. Both return true when the saver ended.
bool FullScreenMouseMove(FullScreenHost& host, FullScreenRecord& window);
bool FullScreenKeyDown(FullScreenHost& host, FullScreenRecord& window);

// Password check, then cursor back, window hidden, notice withdrawn,
// application terminated. A refused check changes nothing.
bool RunEndingSteps(FullScreenHost& host, FullScreenRecord& window);

// The window goes, whatever the reason (closed by the system, the session
// ending, destroyed): the notice is withdrawn if it is still in force, so no
// end leaves the system believing a saver runs. Safe to call more than once.
void FullScreenWindowEnded(FullScreenHost& host, FullScreenRecord& window);

}  // namespace zarvella
