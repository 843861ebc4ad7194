// Drawing the filled grid: Segments + 1 turned copies of translucent teeth.
#pragma once

#include <cstdint>

namespace zarvella {

// Number of the copy being drawn; process-wide like the walk counters.
extern int32_t CopyIndex;

void ResetSurfaceState();

// Alpha of every triangle's two base vertices: Sin(Brightness / 10)^2.
double NeighbourAlpha();

// Third stage of DrawPicture. Issues matrix operations and GL_TRIANGLES.
void DrawSurface();

}  // namespace zarvella
