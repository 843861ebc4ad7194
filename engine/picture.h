// The ten formula sets ("pictures") that place a grid point in space.
#pragma once

#include <cstdint>

#include "state/picture_record.h"

namespace zarvella {

struct PicturePoint {
    double x, y, z;
};

struct PictureInputs {
    double U, V;        // AngleU, AngleV
    double P1, P2, P3;  // Phase1..Phase3
};

// Evaluates set `kind` (1 to 10). False, and `out` untouched, for any other kind.
bool EvaluatePicture(int32_t kind, const PictureInputs& in, PicturePoint& out);

// Writes GridX/GridY/GridZ[row][column] of `grid` from the walk's angles and
// the phases by set `kind`; writes nothing for a kind outside 1 to 10.
void ComputePicturePoint(int32_t kind, const PictureInputs& in, SurfaceGridRecord& grid,
                         int32_t row, int32_t column);

// With RandomPicture on, PictureKind becomes 1 to 9 (never 10: kept, see
// docs/compatibility.md), from the
// picture's random generator: every window that starts the picture asks it once.
void ChooseRandomPicture(SaverSettingsRecord& settings, RandomRecord& random);

}  // namespace zarvella
