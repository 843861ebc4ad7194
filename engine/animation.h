// Animation state, surface grid and the grid walk: the first two stages of a frame.
#pragma once

#include <cstdint>

#include "state/process_state.h"

namespace zarvella {

inline constexpr int32_t kMaxFrameDetail = 30;
inline constexpr int32_t kMaxFrameSegments = 10;

inline constexpr double kHalfPi = 1.5707963267948966;   // nearest double to pi/2
inline constexpr double kSixthPi = 0.5235987755982989;  // nearest double to pi/6
inline constexpr double kPi = 3.141592653589793;

// Detail and Segments as a frame uses them (see the limits above).
int32_t FrameDetail();
int32_t FrameSegments();

void SeedAnimationState();
void AdvancePhases();
void BuildSurfaceGrid();

// One frame's picture: AdvancePhases, BuildSurfaceGrid, then DrawSurface on
// each monitor (engine/surface.h): every monitor shows the same frame.
void DrawPicture();

}  // namespace zarvella
