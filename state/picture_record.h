// The picture as one object, as a screen-saver hack keeps its state: its
// settings, animation, grid, walk, random generator and viewports. Each
// window that draws owns one and hands it to the engine; nothing here is
// shared between windows. Plain data only, so every part of the core can
// include it without depending on another part.
#pragma once

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

// 51 rows of up to 101 points: room for the largest Detail the settings
// window offers (30) and more; kept at this size (docs/compatibility.md).
inline constexpr int kGridRows = 51;
inline constexpr int kGridCols = 101;

struct AnimationStateRecord {
    double Phase1 = 0, Phase2 = 0, Phase3 = 0;
    double Drift1 = 0, Drift2 = 0, Drift3 = 0;
};

// Zero at start: rows a frame does not fill are drawn as they stand.
struct SurfaceGridRecord {
    double GridX[kGridRows][kGridCols] = {};
    double GridY[kGridRows][kGridCols] = {};
    double GridZ[kGridRows][kGridCols] = {};
    double GridR[kGridRows][kGridCols] = {};
    double GridG[kGridRows][kGridCols] = {};
    double GridB[kGridRows][kGridCols] = {};
};

// The walk over the grid's angles: where the last grid build stopped.
struct WalkRecord {
    double AngleU = 0;
    double AngleV = 0;
};

// The picture's pseudo-random generator (engine/random): its 32-bit state.
struct RandomRecord {
    uint32_t state = 0;
};

// A rectangle in device pixels: a monitor on the desktop (left of or above
// the primary monitor it has negative coordinates), or a viewport in a
// window (origin at the window's lower-left corner, as GL counts).
struct PixelRect {
    int32_t x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PixelRect&) const = default;
};

inline constexpr int kMaxMonitors = 16;

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

// init is StartPicture (the settings window seeds in its own order), advance is
// AdvancePicture, draw is DrawPicture or DrawPictureIn (engine/render),
// reshape sets the viewports. Loading and the settings window write its
// settings (a frame reads them at every use, so a slider changes the very
// next frame).
struct PictureRecord {
    SaverSettingsRecord settings;
    AnimationStateRecord animation;
    SurfaceGridRecord grid;
    WalkRecord walk;
    RandomRecord random;
    MonitorViewportsRecord viewports;
};

}  // namespace zarvella
