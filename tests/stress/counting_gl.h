// A do-nothing OpenGL that counts what the engine sends it, linked in place of
// libGL so thousands of frames run in seconds. It also checks the shape of the
// stream as it goes: matrix depth, vertices only inside glBegin/glEnd, whole
// triangles, and no value that equals the poison written into unused parts of
// the grid (a read outside the walked area would hand it over).
#pragma once

#include <cstdint>

namespace stress {

struct GlCounts {
    uint64_t calls = 0;  // every GL entry point
    uint64_t clears = 0;
    uint64_t pushes = 0;
    uint64_t pops = 0;
    uint64_t translates = 0;
    uint64_t rotates = 0;
    uint64_t begins = 0;
    uint64_t ends = 0;
    uint64_t colours = 0;
    uint64_t vertices = 0;
    uint64_t setup = 0;  // matrix mode, viewport, frustum, enable, blend, light
    // Faults in the stream; all stay zero for a sound frame.
    uint64_t popUnderflows = 0;        // pop with nothing pushed
    uint64_t nestedBegins = 0;         // glBegin inside glBegin
    uint64_t strayEnds = 0;            // glEnd without glBegin
    uint64_t strayVertices = 0;        // colour/vertex outside glBegin/glEnd
    uint64_t brokenTriangles = 0;      // glEnd after a vertex count not a multiple of 3
    uint64_t colourWithoutVertex = 0;  // two colours in a row, or a vertex without its colour
    uint64_t nonFiniteVertices = 0;
    uint64_t nanColours = 0;
    uint64_t poisonSeen = 0;  // a value equal to the grid's poison
    int depth = 0;            // model-view pushes minus pops
    int maxDepth = 0;
};

extern GlCounts Gl;

void ResetGlCounts();

// The value written into grid cells the walk must never touch. Finite and
// exactly representable as a float, so it survives the cast to GLfloat, and
// far above anything a formula or the colour pass yields.
inline constexpr double kPoison = 7340033.0;

// Per-frame upper bound at the top of the sliders (Segments 10, Detail 30):
// 11 copies of (30 - 1) * 30 triangles, six calls each, five calls around each
// copy, three around the figure and the clear.
inline constexpr uint64_t kMaxCopies = 11;
inline constexpr uint64_t kMaxTrianglesPerCopy = (30 - 1) * 30;
inline constexpr uint64_t kMaxTrianglesPerFrame = kMaxCopies * kMaxTrianglesPerCopy;
inline constexpr uint64_t kMaxCallsPerFrame = kMaxTrianglesPerFrame * 6 + kMaxCopies * 5 + 3 + 1;

}  // namespace stress
