// A stand-in for the GL 1.1 functions the engine calls: linked in place of
// libGL, it records every call with its arguments.
#pragma once

#include <string>
#include <vector>

namespace glrec {

struct Call {
    std::string name;          // "glBegin", ...; "swap" for the swap marker
    std::vector<double> args;  // numbers in call order; glLightfv: light, pname, 4 floats
};

std::vector<Call>& Calls();
void Clear();
// Puts a marker into the stream (the tests' buffer swap).
void Mark(const std::string& name);
size_t Count(const std::string& name);

struct Vertex {
    float r, g, b, a;
    float x, y, z;
};
struct Copy {
    float angle;                   // glRotatef's angle
    std::vector<Vertex> vertices;  // between glBegin and glEnd, three per triangle
};
// The copies of the recorded stream, in order. Each colour/vertex pair is one Vertex.
std::vector<Copy> Copies();

// Deepest model-view nesting reached; false when a pop came without a push.
struct Nesting {
    int deepest = 0;
    int final = 0;
    bool underflow = false;
};
Nesting MatrixNesting();

}  // namespace glrec
