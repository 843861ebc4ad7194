// GL state for the three drawing windows, and the frame: the picture's
// draw and the routine the windows' timers and paints call.
#pragma once

#include "state/process_state.h"

namespace zarvella {

enum class GlVariant { Settings, FullScreen, Preview };

struct GlViewport {
    int x, y, width, height;
};

// Projection, viewport (when given: the settings window's picture), depth
// test, blending, light 0. Run once, right after the context has been made
// current.
void SetupGL(GlVariant variant, const GlViewport* viewport = nullptr);

// The context's viewport alone, as when its window changed size.
void SetViewport(const GlViewport& viewport);

// The platform's buffer swap; none where the toolkit swaps after painting.
using SwapFunction = void (*)();
void SetBufferSwap(SwapFunction swap);

// Drawn after the picture, before the swap (the frame rate); none by default,
// and then the frame's calls are the picture's alone.
using OverlayFunction = void (*)();
void SetFrameOverlay(OverlayFunction overlay);

// One frame of `picture`: AdvancePhases, BuildSurfaceGrid, then DrawSurface
// in each of its viewports, so every monitor shows the same frame.
void DrawPicture(PictureRecord& picture);

// A window's frame, as its timer or paint asks for it: clear, DrawPicture of
// SaverPicture, overlay, swap.
void RenderFrame();

}  // namespace zarvella
