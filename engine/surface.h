// Drawing the filled grid: Segments + 1 turned copies of translucent teeth.
#pragma once

#include <cstdint>

#include "state/process_state.h"

namespace zarvella {

// Alpha of every triangle's two base vertices: Sin(Brightness / 10)^2.
double NeighbourAlpha();

// Draws the grid once. Issues matrix operations and GL_TRIANGLES.
void DrawSurface();

// Third stage of DrawPicture: DrawSurface in each of MonitorViewports.
void DrawSurfaceOnEachMonitor();

}  // namespace zarvella
