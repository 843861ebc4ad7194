#include "engine/surface.h"

#include <GL/gl.h>

#include <cmath>

#include "engine/frame_limits.h"
#include "engine/trig.h"

namespace zarvella {

namespace {

struct GridPos {
    int32_t row, column;
};

bool FinitePoint(const SurfaceGridRecord& g, GridPos p) {
    return std::isfinite(g.GridX[p.row][p.column]) && std::isfinite(g.GridY[p.row][p.column]) &&
           std::isfinite(g.GridZ[p.row][p.column]);
}

// Drivers differ on a NaN colour; draw it as 0 everywhere.
inline GLfloat Channel(double c) {
    return std::isnan(c) ? 0.0f : static_cast<GLfloat>(c);
}

void EmitVertex(const SurfaceGridRecord& g, GridPos p, GLfloat alpha) {
    const int32_t i = p.row, j = p.column;
    glColor4f(Channel(g.GridR[i][j]), Channel(g.GridG[i][j]), Channel(g.GridB[i][j]), alpha);
    glVertex3f(static_cast<GLfloat>(g.GridX[i][j]), static_cast<GLfloat>(g.GridY[i][j]),
               static_cast<GLfloat>(g.GridZ[i][j]));
}

// A triangle with a non-finite corner would be drawn differently by every
// driver, so it is left out.
void EmitTriangle(const SurfaceGridRecord& g, GridPos apex, GridPos left, GridPos right,
                  GLfloat baseAlpha) {
    if (!FinitePoint(g, apex) || !FinitePoint(g, left) || !FinitePoint(g, right)) return;
    EmitVertex(g, apex, 1.0f);
    EmitVertex(g, left, baseAlpha);
    EmitVertex(g, right, baseAlpha);
}

// Bands of rows 1 .. detail - 1. The band of row `detail` would join the
// outer row to row detail + 1, which this frame did not fill: it is either
// zeros (a band of zero-area triangles) or stale points from a larger Detail
// set earlier in the settings window, so it is not drawn.
void EmitBands(const SurfaceGridRecord& g, int32_t detail, GLfloat baseAlpha) {
    for (int32_t i = 1; i < detail; ++i) {
        for (int32_t j = 0; j <= 2 * i; ++j) {
            if (j < i) {
                EmitTriangle(g, {i, j}, {i + 1, j}, {i + 1, j + 1}, baseAlpha);
            } else if (j > i) {
                EmitTriangle(g, {i, j}, {i + 1, j + 1}, {i + 1, j + 2}, baseAlpha);
            }
        }
    }
}

}  // namespace

double NeighbourAlpha(int32_t brightness) {
    const double s = Sin(brightness / 10.0);
    return s * s;
}

void DrawSurface(const SaverSettingsRecord& settings, const SurfaceGridRecord& grid) {
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, static_cast<GLfloat>(settings.Size / 2.0 - 10.0));
    const int32_t segments = FrameSegments(settings);
    const int32_t detail = FrameDetail(settings);
    const GLfloat baseAlpha = static_cast<GLfloat>(NeighbourAlpha(settings.Brightness));
    for (int32_t copy = 0; copy <= segments; ++copy) {
        glPushMatrix();
        glRotatef(static_cast<GLfloat>(static_cast<double>(copy * 360) / (segments + 1)), 0.0f,
                  0.0f, 1.0f);
        glBegin(GL_TRIANGLES);
        EmitBands(grid, detail, baseAlpha);
        glEnd();
        glPopMatrix();
    }
    glPopMatrix();
}

}  // namespace zarvella
