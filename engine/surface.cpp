#include "engine/surface.h"

#include <GL/gl.h>

#include <cmath>

#include "engine/animation.h"
#include "engine/live_settings.h"
#include "engine/trig.h"

namespace zarvella {

namespace {

struct GridPos {
    int32_t row, column;
};

bool FinitePoint(GridPos p) {
    const SurfaceGridRecord& g = SurfaceGrid;
    return std::isfinite(g.GridX[p.row][p.column]) && std::isfinite(g.GridY[p.row][p.column]) &&
           std::isfinite(g.GridZ[p.row][p.column]);
}

// Drivers differ on a NaN colour; draw it as 0 everywhere.
inline GLfloat Channel(double c) {
    return std::isnan(c) ? 0.0f : static_cast<GLfloat>(c);
}

void EmitVertex(GridPos p, GLfloat alpha) {
    const SurfaceGridRecord& g = SurfaceGrid;
    const int32_t i = p.row, j = p.column;
    glColor4f(Channel(g.GridR[i][j]), Channel(g.GridG[i][j]), Channel(g.GridB[i][j]), alpha);
    glVertex3f(static_cast<GLfloat>(g.GridX[i][j]), static_cast<GLfloat>(g.GridY[i][j]),
               static_cast<GLfloat>(g.GridZ[i][j]));
}

// A triangle with a non-finite corner would be drawn differently by every
// driver, so it is left out.
void EmitTriangle(GridPos apex, GridPos left, GridPos right, GLfloat baseAlpha) {
    if (!FinitePoint(apex) || !FinitePoint(left) || !FinitePoint(right)) return;
    EmitVertex(apex, 1.0f);
    EmitVertex(left, baseAlpha);
    EmitVertex(right, baseAlpha);
}

// Bands of rows 1 .. detail - 1. The band of row `detail` would join the
// outer row to row detail + 1, which this frame did not fill: it is either
// zeros (a band of zero-area triangles) or stale points from a larger Detail
// set earlier in the settings window, so it is not drawn.
void EmitBands(int32_t detail, GLfloat baseAlpha) {
    WalkRecord& w = Walk;
    for (w.RowIndex = 1; w.RowIndex < detail; ++w.RowIndex) {
        const int32_t i = w.RowIndex;
        for (w.ColIndex = 0; w.ColIndex <= 2 * i; ++w.ColIndex) {
            const int32_t j = w.ColIndex;
            if (j < i) {
                EmitTriangle({i, j}, {i + 1, j}, {i + 1, j + 1}, baseAlpha);
            } else if (j > i) {
                EmitTriangle({i, j}, {i + 1, j + 1}, {i + 1, j + 2}, baseAlpha);
            }
        }
    }
}

}  // namespace

double NeighbourAlpha() {
    const double s = Sin(LiveSettings().Brightness / 10.0);
    return s * s;
}

void DrawSurface() {
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, static_cast<GLfloat>(SaverSettings.Size / 2.0 - 10.0));
    const int32_t segments = FrameSegments();
    const int32_t detail = FrameDetail();
    const GLfloat baseAlpha = static_cast<GLfloat>(NeighbourAlpha());
    for (CopyIndex = 0; CopyIndex <= segments; ++CopyIndex) {
        glPushMatrix();
        glRotatef(static_cast<GLfloat>(static_cast<double>(CopyIndex * 360) / (segments + 1)), 0.0f,
                  0.0f, 1.0f);
        glBegin(GL_TRIANGLES);
        EmitBands(detail, baseAlpha);
        glEnd();
        glPopMatrix();
    }
    glPopMatrix();
}

void DrawSurfaceOnEachMonitor() {
    MonitorViewportsRecord& v = MonitorViewports;
    const bool setViewport = v.count > 1 || (v.count == 1 && v.setOnNextFrame);
    v.setOnNextFrame = false;
    if (!setViewport) {
        DrawSurface();
        return;
    }
    for (int k = 0; k < v.count; ++k) {
        glViewport(v.each[k].x, v.each[k].y, v.each[k].width, v.each[k].height);
        DrawSurface();
    }
}

}  // namespace zarvella
