// Animation state, surface grid and the grid walk: the first two stages of a frame.
#pragma once

#include <cstdint>

namespace zarvella {

inline constexpr int kGridRows = 51;
inline constexpr int kGridCols = 101;

// The highest Detail and Segments a frame uses. Stored values beyond the
// sliders are kept in the settings but drawn as the slider's top value, so the
// walk stays inside the grid and a frame's cost stays bounded.
inline constexpr int32_t kMaxFrameDetail = 30;
inline constexpr int32_t kMaxFrameSegments = 10;

inline constexpr double kHalfPi = 1.5707963267948966;   // nearest double to pi/2
inline constexpr double kSixthPi = 0.5235987755982989;  // nearest double to pi/6
inline constexpr double kPi = 3.141592653589793;

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

struct WalkRecord {
    int32_t RowIndex = 0;
    int32_t ColIndex = 0;
    double AngleU = 0;
    double AngleV = 0;
};

extern AnimationStateRecord AnimationState;
extern SurfaceGridRecord SurfaceGrid;
extern WalkRecord Walk;

// Back to the process-start state (all zero). For tests.
void ResetEngineState();

// Detail and Segments as a frame uses them (see the limits above).
int32_t FrameDetail();
int32_t FrameSegments();

void SeedAnimationState();
void AdvancePhases();
void BuildSurfaceGrid();

// One frame's picture: AdvancePhases, BuildSurfaceGrid, DrawSurface.
void DrawPicture();

}  // namespace zarvella
