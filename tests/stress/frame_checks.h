// Checks shared by the soak test and the fuzz targets: poison for the grid
// cells a frame must leave alone, and what one frame's GL stream must satisfy.
#pragma once

#include <cstdint>
#include <cstring>

#include "counting_gl.h"
#include "engine/animation.h"

namespace stress {

// Cells [row][column] that a frame with this Detail neither writes nor reads:
// rows above the walk, and the columns past a row's last point.
inline bool OutsideWalk(int32_t detail, int row, int column) {
    if (detail < 0) return true;
    return row > detail || column > 2 * row;
}

using GridArray = double[zarvella::kGridRows][zarvella::kGridCols];

struct GridArrays {
    GridArray* each[6];
    explicit GridArrays(zarvella::SurfaceGridRecord& g)
        : each{&g.GridX, &g.GridY, &g.GridZ, &g.GridR, &g.GridG, &g.GridB} {}
};

// First column of a row that lies outside the walk (kGridCols: none).
inline int FirstOutsideColumn(int32_t detail, int row) {
    for (int j = 0; j < zarvella::kGridCols; ++j)
        if (OutsideWalk(detail, row, j)) return j;
    return zarvella::kGridCols;
}

struct PoisonRow {
    double cells[zarvella::kGridCols];
    PoisonRow() {
        for (double& c : cells) c = kPoison;
    }
};
inline const PoisonRow kPoisonRow;

// Whole row tails at a time: quick enough to run before every fuzz input.
inline void PoisonOutsideWalk(zarvella::SurfaceGridRecord& grid, int32_t detail) {
    for (int i = 0; i < zarvella::kGridRows; ++i) {
        const int first = FirstOutsideColumn(detail, i);
        const size_t bytes = sizeof(double) * static_cast<size_t>(zarvella::kGridCols - first);
        for (GridArray* a : GridArrays(grid).each)
            std::memcpy(&(*a)[i][first], kPoisonRow.cells, bytes);
    }
}

// Compares bit patterns, so a NaN or a -0 written over the poison counts too.
// Returns the number of rows (per array) with a changed cell.
inline int PoisonedCellsChanged(zarvella::SurfaceGridRecord& grid, int32_t detail) {
    int changed = 0;
    for (int i = 0; i < zarvella::kGridRows; ++i) {
        const int first = FirstOutsideColumn(detail, i);
        const size_t bytes = sizeof(double) * static_cast<size_t>(zarvella::kGridCols - first);
        for (GridArray* a : GridArrays(grid).each)
            if (std::memcmp(&(*a)[i][first], kPoisonRow.cells, bytes) != 0) ++changed;
    }
    return changed;
}

inline int ExpectedCopies(const zarvella::SaverSettingsRecord& settings) {
    const int32_t segments = zarvella::FrameSegments(settings);
    return segments < 0 ? 0 : segments + 1;
}

// Everything one RenderFrame's stream must satisfy (counts reset before it).
// Returns a short reason, or nullptr for a sound frame. Does not allocate.
inline const char* FrameFault(const zarvella::SaverSettingsRecord& settings) {
    const uint64_t copies = static_cast<uint64_t>(ExpectedCopies(settings));
    const int32_t detail = zarvella::FrameDetail(settings);
    const uint64_t triangles = Gl.vertices / 3;
    const uint64_t bandTriangles = detail > 1 ? static_cast<uint64_t>(detail) * (detail - 1) : 0;
    if (Gl.calls > kMaxCallsPerFrame) return "more calls than the slider-top frame";
    if (triangles > kMaxTrianglesPerFrame) return "more triangles than the slider-top frame";
    if (triangles > copies * bandTriangles) return "more triangles than the bands hold";
    if (Gl.clears != 1) return "not exactly one clear";
    if (Gl.pushes != Gl.pops || Gl.depth != 0 || Gl.popUnderflows != 0)
        return "pushes and pops unbalanced";
    if (Gl.maxDepth > 2) return "matrix stack deeper than two";
    if (Gl.translates != 1) return "not exactly one translation";
    if (Gl.begins != copies || Gl.ends != Gl.begins) return "wrong number of copies";
    if (Gl.rotates != copies) return "wrong number of turns";
    if (Gl.nestedBegins || Gl.strayEnds || Gl.strayVertices) return "vertex outside glBegin/glEnd";
    if (Gl.brokenTriangles || Gl.colourWithoutVertex || Gl.colours != Gl.vertices)
        return "broken triangle";
    if (Gl.nonFiniteVertices) return "non-finite vertex sent";
    if (Gl.nanColours) return "NaN colour sent";
    if (Gl.poisonSeen) return "poisoned cell drawn";
    return nullptr;
}

}  // namespace stress
