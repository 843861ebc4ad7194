// The preview: the main thread draws on every paint; the repaints' side
// shows the window, stores the fixed settings, asks for a repaint every 40 ms
// and ends the preview once a close is requested. On Windows that side is the
// preview thread; on Linux a timer of the main thread. Both sides reach the
// preview window's picture; the handshake in the preview's own record keeps
// two threads from touching it at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "behaviour/visibility.h"
#include "behaviour/window_handle.h"
#include "engine/render.h"
#include "state/picture_record.h"

namespace zarvella {

inline constexpr int kPreviewRepaintMs = 40;
// The preview window's title, as it always was (docs/compatibility.md).
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
    // Post the destroy message that ends the main thread's loop.
    virtual void PostDestroy() = 0;
    // The window, or the parent it was made in, no longer exists: the
    // parent's process was killed, which sends no message at all.
    virtual bool WindowGone() { return false; }
    // What can be told of the window's sight, asked before each repaint
    // request: a preview nobody can see is not repainted.
    virtual SightFacts Sight() { return {}; }
};

// What a preview window keeps: its picture, and the handshake between the
// side that paints and the side that asks for repaints. On Windows these are
// two threads (the window procedure and the preview thread), which both reach
// the record through the window object, hence the atomics; each preview
// window owns one.
struct PreviewRecord {
    PictureRecord picture;
    // The fixed settings are stored (release), so the painting side may draw (acquire).
    std::atomic<bool> settingsReady{false};
    // A key on the stand-alone preview asked it to close.
    std::atomic<bool> closeRequested{false};
};

// A preview thread's host: it also pauses the thread between repaints.
class PreviewLoopHost : public PreviewHost {
  public:
    virtual void Sleep(int milliseconds) = 0;
};

// The preview's fixed settings: Speed 1, Brightness 5, Size 7, Segments 5,
// Detail 10, PictureKind 1 to 9 at random.
void StorePreviewSettings(PreviewRecord& preview);

// True once the preview thread has stored the fixed settings. The main
// thread draws only after that, so no frame sees the zero start values and
// the settings are never read while being written.
bool PreviewSettingsStored(const PreviewRecord& preview);

// The repaints' start: the generator seeded, the window shown, the fixed
// settings stored, the first repaint asked for.
void StartPreviewRepaints(PreviewHost& host, PreviewRecord& preview);

// Every 40 ms after the start: the next repaint, unless the window cannot be
// seen (then the picture stays at its frame); or, once a close was requested
// or the window is gone, the destroy message, and false.
bool NextPreviewRepaint(PreviewHost& host, const PreviewRecord& preview);

// The body of the preview thread: the start, then a repaint every 40 ms.
void PreviewThread(PreviewLoopHost& host, PreviewRecord& preview);

// WM_PAINT on the main thread: a frame, once the settings are in place.
void PreviewPaint(PreviewRecord& preview, FrameHooks& hooks);

// A key on the stand-alone window: the password check's answer.
void PreviewKeyDown(PreviewRecord& preview, bool passwordAccepted);

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
void SeedPreviewPicture(PictureRecord& picture);

}  // namespace zarvella
