// What the process keeps between events, in one place: the picture every
// window draws (its settings, animation, grid, walk and viewports), and what
// the full-screen window and the preview remember. These are what the shells
// and the hosts' callbacks (a paint, a timer, the preview thread) share; a
// frame's own working values are locals of the engine. One instance each,
// zero at start; ResetProcessState puts all of it back. Plain data only, so
// every part of the core can include it without depending on another part.
#pragma once

#include <atomic>
#include <cstdint>

namespace zarvella {

struct SaverSettingsRecord {
    int32_t Speed = 0;
    int32_t Brightness = 0;
    int32_t Size = 0;
    int32_t Segments = 0;
    int32_t Detail = 0;
    int32_t PictureKind = 0;
    bool RandomPicture = false;
};

inline constexpr int kGridRows = 51;
inline constexpr int kGridCols = 101;

struct AnimationStateRecord {
    double Phase1 = 0, Phase2 = 0, Phase3 = 0;
    double Drift1 = 0, Drift2 = 0, Drift3 = 0;
};

struct SurfaceGridRecord {
    double GridX[kGridRows][kGridCols];
    double GridY[kGridRows][kGridCols];
    double GridZ[kGridRows][kGridCols];
    double GridR[kGridRows][kGridCols];
    double GridG[kGridRows][kGridCols];
    double GridB[kGridRows][kGridCols];
};

// The walk over the grid's angles: where the last grid build stopped.
struct WalkRecord {
    double AngleU = 0;
    double AngleV = 0;
};

// The frame rate shown with -fps: the second being counted, and the rate of
// the last completed one.
struct FrameRateRecord {
    bool started = false;
    double windowStart = 0;  // seconds of a steady clock
    int32_t frames = 0;
    double rate = 0;
};

struct ScreenPoint {
    int32_t x = 0, y = 0;
};

// A rectangle in device pixels: a monitor on the desktop (left of or above
// the primary monitor it has negative coordinates), or a viewport in a
// window (origin at the window's lower-left corner, as GL counts).
struct PixelRect {
    int32_t x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PixelRect&) const = default;
};

inline constexpr int kMaxMonitors = 16;

// The monitors the full-screen window covers, and the window: the smallest
// rectangle holding them all. count 0: no monitor known yet.
struct DesktopLayoutRecord {
    PixelRect window;
    int32_t count = 0;
    PixelRect monitors[kMaxMonitors];
    bool operator==(const DesktopLayoutRecord&) const = default;
};

// Where a frame draws the surface: once in each viewport, one per monitor.
// With one (or none) the frame draws into the viewport as it stands, so a
// window that is one monitor costs no viewport call; setOnNextFrame sets that
// one viewport once, after the window changed size.
struct MonitorViewportsRecord {
    int32_t count = 0;
    PixelRect each[kMaxMonitors];
    bool setOnNextFrame = false;
    bool operator==(const MonitorViewportsRecord&) const = default;
};

// The picture as one object, as a hack keeps its state: init is
// SeedAnimationState, draw is DrawPicture, reshape sets the viewports.
struct PictureRecord {
    SaverSettingsRecord settings;
    AnimationStateRecord animation;
    SurfaceGridRecord grid;
    WalkRecord walk;
    MonitorViewportsRecord viewports;
};

// The one picture the process draws. Loading and the settings window write
// its settings (a frame reads them at every use, so a slider changes the very
// next frame); the full-screen window its viewports; RenderFrame draws it.
extern PictureRecord SaverPicture;
extern FrameRateRecord FrameRate;
// Cursor position when the full-screen window was created, screen coordinates.
extern ScreenPoint StartCursorPos;
// StartCursorPos holds a position: where the system tells none, it is the
// first one a window of the saver sees.
extern bool StartCursorKnown;
// The full-screen window's monitors.
extern DesktopLayoutRecord CurrentLayout;
// The system's "a screen saver runs" notice is in force (given by the
// full-screen window, withdrawn once whichever way the window goes).
extern bool SaverNoticeGiven;
// The preview: a close asked for from the key handler, and whether the
// preview thread has stored its fixed settings (both threads read these).
extern std::atomic<bool> CloseRequested;
extern std::atomic<bool> PreviewSettingsReady;
// The random generator's state. The preview thread seeds and draws while the
// main thread may draw too, so it is atomic and every draw is one
// read-modify-write.
extern std::atomic<uint32_t> RandomGeneratorState;

// Every value above back to zero, and the random generator's state too.
void ResetProcessState();

}  // namespace zarvella
