// GL state for the three drawing windows, and the frame routine.
#pragma once

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

// Clear, DrawPicture (the surface drawn on each monitor), overlay, swap.
void RenderFrame();

}  // namespace zarvella
