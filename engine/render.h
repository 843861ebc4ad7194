// GL state for the three drawing windows, and the frame routine.
#pragma once

namespace zarvella {

enum class GlVariant { Settings, FullScreen, Preview };

// Projection, viewport (settings window only), depth test, blending, light 0.
// Run once, right after the context has been made current. The outer size is
// the window's, frame included; only the settings variant uses it.
void SetupGL(GlVariant variant, int outerWidth = 0, int outerHeight = 0);

// The platform's buffer swap; none where the toolkit swaps after painting.
using SwapFunction = void (*)();
void SetBufferSwap(SwapFunction swap);

// Clear, DrawPicture, swap.
void RenderFrame();

}  // namespace zarvella
