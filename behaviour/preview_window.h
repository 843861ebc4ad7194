// The preview's two threads: the main thread draws on every paint; the
// preview thread shows the window, stores the fixed settings, asks for a
// repaint every 40 ms and ends the loop once a close is requested.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "behaviour/visibility.h"
#include "behaviour/window_handle.h"
#include "state/process_state.h"

namespace zarvella {

inline constexpr int kPreviewRepaintMs = 40;
inline constexpr const char* kPreviewWindowTitle = "MySaver";
// Size of the stand-alone window when there is no parent to take it from.
inline constexpr int kStandAloneWidth = 320;
inline constexpr int kStandAloneHeight = 240;

class PreviewHost {
  public:
    virtual ~PreviewHost() = default;
    // Show the window and have it painted at once.
    virtual void ShowAndUpdate() = 0;
    // Mark the whole window for repainting, without erasing.
    virtual void Invalidate() = 0;
    virtual void Sleep(int milliseconds) = 0;
    // Post the destroy message that ends the main thread's loop.
    virtual void PostDestroy() = 0;
    // The window, or the parent it was made in, no longer exists: the
    // parent's process was killed, which sends no message at all.
    virtual bool WindowGone() { return false; }
    // What can be told of the window's sight, asked before each repaint
    // request: a preview nobody can see is not repainted.
    virtual SightFacts Sight() { return {}; }
};

// The preview's fixed settings: Speed 1, Brightness 5, Size 7, Segments 5,
// Detail 10, PictureKind 1 to 9 at random.
void StorePreviewSettings();

// True once the preview thread has stored the fixed settings. The main
// thread draws only after that, so no frame sees the zero start values and
// the settings are never read while being written.
bool PreviewSettingsStored();

// The body of the preview thread; it also ends when the window is gone.
// While the window cannot be seen it asks for no repaint, so the picture
// stays at its frame until it can be seen again.
void PreviewThread(PreviewHost& host);

// WM_PAINT on the main thread: a frame, once the settings are in place.
void PreviewPaint();

// A key on the stand-alone window: the password check's answer.
void PreviewKeyDown(bool passwordAccepted);

// With Alt held a key is a system key: the preview passes it on.
bool PreviewTakesKey(bool altHeld);

// Where the preview draws, from the handle on the command line.
struct PreviewStart {
    enum class Kind { EndAtOnce, Child, StandAlone, Refuse };
    Kind kind = Kind::StandAlone;
    uint32_t parent = 0;
    int width = kStandAloneWidth, height = kStandAloneHeight;
    std::string error;  // Refuse: the line for stderr; the exit code is 1
};

struct AreaSize {
    int width = 0, height = 0;
};

// What the platform tells of a parent window.
class PreviewParentHost {
  public:
    virtual ~PreviewParentHost() = default;
    // The size the child takes, or none when the handle names no window.
    virtual std::optional<AreaSize> ParentArea(uint32_t parent) = 0;
    // The root (desktop) window: a handle that names no dialog's area.
    virtual bool IsDesktop(uint32_t window) = 0;
    // Whether an existing window can be drawn into (Windows: always).
    virtual DrawTarget Target(uint32_t) { return {}; }
};

// No handle (or 0): the stand-alone window. A handle that names no window,
// or the desktop (a preview the size of the screen that nothing would end):
// nothing to draw into, and nothing would ever end us, so end at once.
// A window that exists but cannot be drawn into (InputOnly, another
// screen): refused, with what is wrong. Otherwise a child of the parent's size.
PreviewStart DecidePreviewStart(std::string_view secondArgument, PreviewParentHost& host);

// Once the window exists: the generator seeded, then the animation.
void SeedPreviewPicture();

}  // namespace zarvella
