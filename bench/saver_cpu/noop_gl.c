/* The GL functions the engine calls, doing nothing, so that callgrind counts
 * the engine's own instructions only. */
#include <GL/gl.h>

void glClear(GLbitfield mask) {
    (void)mask;
}
void glMatrixMode(GLenum mode) {
    (void)mode;
}
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    (void)x, (void)y, (void)w, (void)h;
}
void glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    (void)l, (void)r, (void)b, (void)t, (void)n, (void)f;
}
void glEnable(GLenum cap) {
    (void)cap;
}
void glBlendFunc(GLenum s, GLenum d) {
    (void)s, (void)d;
}
void glLightfv(GLenum light, GLenum name, const GLfloat* params) {
    (void)light, (void)name, (void)params;
}
void glPushMatrix(void) {}
void glPopMatrix(void) {}
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    (void)x, (void)y, (void)z;
}
void glRotatef(GLfloat a, GLfloat x, GLfloat y, GLfloat z) {
    (void)a, (void)x, (void)y, (void)z;
}
void glBegin(GLenum mode) {
    (void)mode;
}
void glEnd(void) {}
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    (void)r, (void)g, (void)b, (void)a;
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    (void)x, (void)y, (void)z;
}
