// Temporary: the engine's frame split into its step and its draw, over
// today's engine, until engine/render offers them itself.
#pragma once

#include <GL/gl.h>

#include "engine/animation.h"
#include "engine/surface.h"
#include "state/process_state.h"

namespace zarvella {

inline void AdvancePicture(PictureRecord& picture) {
    picture.animation = AdvancePhases(picture.animation, picture.settings.Speed);
    picture.walk = BuildSurfaceGrid(picture.settings, picture.animation, picture.grid);
}

inline void DrawPictureIn(const PictureRecord& picture, const PixelRect& viewport) {
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
    DrawSurface(picture.settings, picture.grid);
}

}  // namespace zarvella
