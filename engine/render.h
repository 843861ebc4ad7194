// GL state for the three drawing windows, and the frame: advancing a
// picture, drawing it, and the routine the windows' timers and paints call.
#pragma once

#include "state/picture_record.h"
#include "state/window_records.h"

namespace zarvella {

enum class GlVariant { Settings, FullScreen, Preview };

// The surface every window's context asks for, on every platform: 8 bits of
// red, green and blue; no alpha, so that the picture's translucency never
// lets the desktop through; a 16-bit depth buffer; no stencil; double-buffered.
struct GlSurfaceFormat {
    int colourBits, alphaBits, depthBits, stencilBits;
};
inline constexpr GlSurfaceFormat kPictureSurface{8, 0, 16, 0};

struct GlViewport {
    int x, y, width, height;
};

// Projection, viewport (when given: the settings window's picture), depth
// test, blending, light 0. Run once, right after the context has been made
// current.
void SetupGL(GlVariant variant, const GlViewport* viewport = nullptr);

// The context's viewport alone, as when its window changed size.
void SetViewport(const GlViewport& viewport);

// The platform's buffer swap.
using SwapFunction = void (*)();
// Drawn after the picture, before the swap: the frame rate (DrawFrameRate).
using OverlayFunction = void (*)(FrameRateRecord& meter);

// What a window adds to each frame of its picture, after it: the overlay,
// then the swap. By default neither, and then the frame's calls are the
// picture's alone.
struct FrameHooks {
    OverlayFunction overlay = nullptr;
    FrameRateRecord frameRate;    // the overlay's meter
    SwapFunction swap = nullptr;  // none where the toolkit swaps after painting
};

// A picture's start, once its settings are in: the generator seeded from the
// clock, the animation seeded, then the random picture chosen when Random is
// on (its draw comes after the animation's, as it always did:
// docs/compatibility.md).
void StartPicture(PictureRecord& picture);

// The animation one frame on: AdvancePhases, then BuildSurfaceGrid. Once per
// tick, however many surfaces show the picture.
void AdvancePicture(PictureRecord& picture);

// The advanced picture into the record's viewports: DrawSurface in each of
// them, so every monitor shows the same frame. With one viewport (or none)
// the surface goes into the viewport as it stands, unless setOnNextFrame
// asks for that one once (it is then cleared).
void DrawPicture(PictureRecord& picture);

// The advanced picture once into `viewport` (glViewport, then DrawSurface):
// for a surface of its own, such as one output of several.
void DrawPictureIn(const PictureRecord& picture, const PixelRect& viewport);

// One output's frame of a picture advanced once for every output: clear,
// then DrawPictureIn over the output's whole buffer (device pixels).
void DrawOutputFrame(const PictureRecord& picture, const PixelRect& buffer);

// A window's frame, as its timer or paint asks for it: clear, AdvancePicture,
// DrawPicture, the hooks' overlay, their swap.
void RenderFrame(PictureRecord& picture, FrameHooks& hooks);

}  // namespace zarvella
