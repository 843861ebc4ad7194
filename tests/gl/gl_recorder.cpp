#include "tests/gl/gl_recorder.h"

#include <GL/gl.h>

#include <algorithm>

namespace glrec {

namespace {
std::vector<Call> recorded;

void Add(const char* name, std::initializer_list<double> args) {
    recorded.push_back({name, args});
}
}  // namespace

std::vector<Call>& Calls() {
    return recorded;
}
void Clear() {
    recorded.clear();
}
void Mark(const std::string& name) {
    recorded.push_back({name, {}});
}
size_t Count(const std::string& name) {
    return static_cast<size_t>(std::count_if(recorded.begin(), recorded.end(),
                                             [&](const Call& c) { return c.name == name; }));
}

std::vector<Copy> Copies() {
    std::vector<Copy> copies;
    float angle = 0;
    float colour[4] = {};
    bool inside = false;
    for (const Call& c : recorded) {
        if (c.name == "glRotatef") angle = static_cast<float>(c.args[0]);
        if (c.name == "glBegin") {
            copies.push_back({angle, {}});
            inside = true;
        }
        if (c.name == "glEnd") inside = false;
        if (c.name == "glColor4f")
            for (int k = 0; k < 4; ++k) colour[k] = static_cast<float>(c.args[k]);
        if (c.name == "glVertex3f" && inside) {
            copies.back().vertices.push_back(
                {colour[0], colour[1], colour[2], colour[3], static_cast<float>(c.args[0]),
                 static_cast<float>(c.args[1]), static_cast<float>(c.args[2])});
        }
    }
    return copies;
}

Nesting MatrixNesting() {
    Nesting n;
    for (const Call& c : recorded) {
        if (c.name == "glPushMatrix") n.deepest = std::max(n.deepest, ++n.final);
        if (c.name == "glPopMatrix" && --n.final < 0) n.underflow = true;
    }
    return n;
}

}  // namespace glrec

using glrec::Add;

extern "C" {
void glBegin(GLenum mode) {
    Add("glBegin", {double(mode)});
}
void glEnd() {
    Add("glEnd", {});
}
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    Add("glColor4f", {r, g, b, a});
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    Add("glVertex3f", {x, y, z});
}
void glPushMatrix() {
    Add("glPushMatrix", {});
}
void glPopMatrix() {
    Add("glPopMatrix", {});
}
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    Add("glTranslatef", {x, y, z});
}
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    Add("glRotatef", {angle, x, y, z});
}
void glClear(GLbitfield mask) {
    Add("glClear", {double(mask)});
}
void glMatrixMode(GLenum mode) {
    Add("glMatrixMode", {double(mode)});
}
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    Add("glViewport", {double(x), double(y), double(w), double(h)});
}
void glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    Add("glFrustum", {l, r, b, t, n, f});
}
void glEnable(GLenum cap) {
    Add("glEnable", {double(cap)});
}
void glDisable(GLenum cap) {
    Add("glDisable", {double(cap)});
}
void glBlendFunc(GLenum s, GLenum d) {
    Add("glBlendFunc", {double(s), double(d)});
}
void glLightfv(GLenum light, GLenum pname, const GLfloat* p) {
    Add("glLightfv", {double(light), double(pname), p[0], p[1], p[2], p[3]});
}
}

// The frame-rate overlay's own calls.
extern "C" {
void glPushAttrib(GLbitfield mask) {
    Add("glPushAttrib", {double(mask)});
}
void glPopAttrib() {
    Add("glPopAttrib", {});
}
void glLoadIdentity() {
    Add("glLoadIdentity", {});
}
void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    Add("glOrtho", {l, r, b, t, n, f});
}
void glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    Add("glColor3f", {r, g, b});
}
void glVertex2f(GLfloat x, GLfloat y) {
    Add("glVertex2f", {x, y});
}
// A 640 by 480 viewport, the only query the engine makes.
void glGetIntegerv(GLenum pname, GLint* values) {
    Add("glGetIntegerv", {double(pname)});
    if (pname == GL_VIEWPORT) {
        values[0] = values[1] = 0;
        values[2] = 640;
        values[3] = 480;
    }
}
}
