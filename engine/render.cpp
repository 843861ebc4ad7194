#include "engine/render.h"

#include <GL/gl.h>

#include "engine/animation.h"
#include "engine/picture.h"
#include "engine/random.h"
#include "engine/surface.h"

namespace zarvella {

namespace {
// The settings and full-screen windows are lit from beyond the scene, so only
// ambient light reaches the surface; the preview is lit from the viewer's side
// (docs/compatibility.md).
const GLfloat kLightBeyond[4] = {-8.0f, 8.0f, -16.0f, 0.0f};
const GLfloat kLightFront[4] = {-5.0f, 5.0f, 5.0f, 0.0f};
const GLfloat kAmbient[4] = {0.3f, 0.3f, 0.3f, 0.3f};
}  // namespace

void SetupGL(GlVariant variant, const GlViewport* viewport) {
    glMatrixMode(GL_PROJECTION);
    if (viewport) glViewport(viewport->x, viewport->y, viewport->width, viewport->height);
    glFrustum(-0.1, 0.1, -0.1, 0.1, 0.3, 25.0);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LIGHTING);
    glLightfv(GL_LIGHT0, GL_POSITION, variant == GlVariant::Preview ? kLightFront : kLightBeyond);
    glLightfv(GL_LIGHT0, GL_AMBIENT, kAmbient);
    glEnable(GL_LIGHT0);
}

void SetViewport(const GlViewport& viewport) {
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
}

// One frame, in the order it happens: the window's timer or paint calls
// RenderFrame, which moves the window's picture on (phases, grid), draws the
// surface in each of its viewports, then the overlay, and swaps.

void RenderFrame(PictureRecord& picture, FrameHooks& hooks) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    AdvancePicture(picture);
    DrawPicture(picture);
    if (hooks.overlay) hooks.overlay(hooks.frameRate);
    if (hooks.swap) hooks.swap();
}

void DrawOutputFrame(const PictureRecord& picture, const PixelRect& buffer) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawPictureIn(picture, buffer);
}

void StartPicture(PictureRecord& picture) {
    SeedRandom(picture.random);
    picture.animation = SeedAnimationState(picture.random);
    ChooseRandomPicture(picture.settings, picture.random);
}

void AdvancePicture(PictureRecord& picture) {
    picture.animation = AdvancePhases(picture.animation, picture.settings.Speed, picture.random);
    picture.walk = BuildSurfaceGrid(picture.settings, picture.animation, picture.grid);
}

void DrawPicture(PictureRecord& picture) {
    // With one viewport (or none) the surface goes into the viewport as it
    // stands, so a window that is one monitor costs no viewport call.
    MonitorViewportsRecord& v = picture.viewports;
    const bool setViewport = v.count > 1 || (v.count == 1 && v.setOnNextFrame);
    v.setOnNextFrame = false;
    if (!setViewport) {
        DrawSurface(picture.settings, picture.grid);
        return;
    }
    for (int k = 0; k < v.count; ++k) DrawPictureIn(picture, v.each[k]);
}

void DrawPictureIn(const PictureRecord& picture, const PixelRect& viewport) {
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
    DrawSurface(picture.settings, picture.grid);
}

}  // namespace zarvella
