// The first two stages of a frame: the animation's phases move, then the
// walk fills the surface grid from them. Each takes what it reads and
// returns (or fills) what it makes.
#pragma once

#include <cstdint>

#include "engine/frame_limits.h"
#include "state/picture_record.h"

namespace zarvella {

inline constexpr double kHalfPi = 1.5707963267948966;   // nearest double to pi/2
inline constexpr double kSixthPi = 0.5235987755982989;  // nearest double to pi/6
inline constexpr double kPi = 3.141592653589793;

// A fresh animation: three phases, then three drifts, from the picture's
// random generator.
AnimationStateRecord SeedAnimationState(RandomRecord& random);

// The phases one frame on at `speed`; a zero drift is drawn anew first.
AnimationStateRecord AdvancePhases(AnimationStateRecord animation, int32_t speed,
                                   RandomRecord& random);

// Fills rows 0 .. FrameDetail of `grid` (points and colours) by the picture
// the settings select, at the animation's phases; returns the walk's angles
// where it stopped. Rows beyond, and every point when the picture is outside
// 1 to 10, keep what they held.
WalkRecord BuildSurfaceGrid(const SaverSettingsRecord& settings,
                            const AnimationStateRecord& animation, SurfaceGridRecord& grid);

}  // namespace zarvella
