#include "counting_gl.h"

#include <GL/gl.h>

#include <cmath>

namespace stress {

GlCounts Gl;

namespace {
int VerticesInList = 0;
bool InsideBegin = false;
bool ColourPending = false;

inline bool Poisoned(GLfloat v) {
    return v == static_cast<GLfloat>(kPoison);
}
}  // namespace

void ResetGlCounts() {
    Gl = {};
    VerticesInList = 0;
    InsideBegin = false;
    ColourPending = false;
}

}  // namespace stress

using stress::Gl;

extern "C" {

void glClear(GLbitfield) {
    ++Gl.calls;
    ++Gl.clears;
}

void glMatrixMode(GLenum) {
    ++Gl.calls, ++Gl.setup;
}
void glViewport(GLint, GLint, GLsizei, GLsizei) {
    ++Gl.calls, ++Gl.setup;
}
void glFrustum(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {
    ++Gl.calls, ++Gl.setup;
}
void glEnable(GLenum) {
    ++Gl.calls, ++Gl.setup;
}
void glDisable(GLenum) {
    ++Gl.calls, ++Gl.setup;
}
void glBlendFunc(GLenum, GLenum) {
    ++Gl.calls, ++Gl.setup;
}
void glLightfv(GLenum, GLenum, const GLfloat*) {
    ++Gl.calls, ++Gl.setup;
}
void glFinish() {
    ++Gl.calls;
}
void glFlush() {
    ++Gl.calls;
}

void glPushMatrix() {
    ++Gl.calls;
    ++Gl.pushes;
    if (++Gl.depth > Gl.maxDepth) Gl.maxDepth = Gl.depth;
}

void glPopMatrix() {
    ++Gl.calls;
    ++Gl.pops;
    if (Gl.depth == 0) {
        ++Gl.popUnderflows;
    } else {
        --Gl.depth;
    }
}

void glTranslatef(GLfloat, GLfloat, GLfloat) {
    ++Gl.calls;
    ++Gl.translates;
}

void glRotatef(GLfloat, GLfloat, GLfloat, GLfloat) {
    ++Gl.calls;
    ++Gl.rotates;
}

void glBegin(GLenum) {
    ++Gl.calls;
    ++Gl.begins;
    if (stress::InsideBegin) ++Gl.nestedBegins;
    stress::InsideBegin = true;
    stress::VerticesInList = 0;
}

void glEnd() {
    ++Gl.calls;
    ++Gl.ends;
    if (!stress::InsideBegin) ++Gl.strayEnds;
    if (stress::VerticesInList % 3 != 0 || stress::ColourPending) ++Gl.brokenTriangles;
    stress::InsideBegin = false;
    stress::ColourPending = false;
}

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    ++Gl.calls;
    ++Gl.colours;
    if (!stress::InsideBegin) ++Gl.strayVertices;
    if (stress::ColourPending) ++Gl.colourWithoutVertex;
    stress::ColourPending = true;
    if (std::isnan(r) || std::isnan(g) || std::isnan(b) || std::isnan(a)) ++Gl.nanColours;
    if (stress::Poisoned(r) || stress::Poisoned(g) || stress::Poisoned(b)) ++Gl.poisonSeen;
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    ++Gl.calls;
    ++Gl.vertices;
    if (!stress::InsideBegin) ++Gl.strayVertices;
    if (!stress::ColourPending) ++Gl.colourWithoutVertex;
    stress::ColourPending = false;
    ++stress::VerticesInList;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) ++Gl.nonFiniteVertices;
    if (stress::Poisoned(x) || stress::Poisoned(y) || stress::Poisoned(z)) ++Gl.poisonSeen;
}

}  // extern "C"
