// Drawing the filled grid: Segments + 1 turned copies of translucent teeth.
#pragma once

#include <cstdint>

#include "state/picture_record.h"

namespace zarvella {

// Alpha of every triangle's two base vertices: Sin(Brightness / 10)^2.
double NeighbourAlpha(int32_t brightness);

// Draws `grid` once, as the settings place and repeat it. Issues matrix
// operations and GL_TRIANGLES.
void DrawSurface(const SaverSettingsRecord& settings, const SurfaceGridRecord& grid);

}  // namespace zarvella
