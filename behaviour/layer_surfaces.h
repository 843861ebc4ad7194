// -root on Wayland: the picture as every output's background layer surface.
// Which surface each output gets, the buffer's size at the output's scale,
// and when the animation steps and an output draws. The Wayland shell asks
// these rules and only carries out the protocol calls.
#pragma once

#include <cstdint>
#include <string>

#include "state/picture_record.h"

namespace zarvella {

// The layer surface of every output: on the background layer, anchored to
// all four edges with no size of its own (so the compositor gives it the
// whole output), covering panels' zones too (-1), and taking no keyboard.
struct LayerSurfaceRequest {
    uint32_t layer;
    uint32_t anchor;  // top 1 | bottom 2 | left 4 | right 8
    uint32_t width, height;
    int32_t exclusiveZone;
    uint32_t keyboard;
};
inline constexpr LayerSurfaceRequest kBackgroundSurface = {0, 1 | 2 | 4 | 8, 0, 0, -1, 0};
// The layer surface's namespace, which compositors' rules can match.
inline constexpr const char* kLayerNamespace = "zarvella";

// What the compositor says about an output's scale. fractional120: the
// preferred scale in 120ths (wp_fractional_scale_v1), 0 until it comes or
// when the compositor has no such protocol. modeLong and logicalLong: the
// longer side of the output's mode (device pixels) and of its logical size
// (zxdg_output_v1), 0 when unknown.
struct OutputScaleRecord {
    int32_t integer = 1;  // wl_output.scale
    int32_t fractional120 = 0;
    bool viewporter = false;
    int32_t modeLong = 0;
    int32_t logicalLong = 0;
};

// The buffer an output's surface draws: width x height device pixels. With
// a viewport its destination is the logical size and the buffer scale 1;
// otherwise the surface's buffer scale is bufferScale.
struct LayerBufferRecord {
    int32_t width = 0, height = 0;
    int32_t bufferScale = 1;
    bool viewport = false;
    int32_t logicalWidth = 0, logicalHeight = 0;
    bool operator==(const LayerBufferRecord&) const = default;
};

// The scale an output is drawn at when no fractional buffer can be used:
// a whole fractional scale as it is, else the nearest whole number to the
// fractional scale, or to mode / logical size, or the output's own integer
// scale; at least 1.
int32_t NearestIntegerScale(const OutputScaleRecord& scale);

// The buffer for a surface configured at width x height (logical pixels):
// the configured size times the output's scale, exactly. A fractional scale
// with a viewporter draws round(logical * scale / 120) pixels shown at the
// logical size; a whole one, or no viewporter, uses the buffer scale. A
// size of 0 (the compositor leaves it to us) is the output's logical size
// given. Empty (0 x 0) when there is still nothing to draw into.
LayerBufferRecord LayerBufferFor(int32_t width, int32_t height, const OutputScaleRecord& scale,
                                 int32_t outputLogicalWidth = 0, int32_t outputLogicalHeight = 0);

// The picture's viewport on one output's buffer: the core's rule for one
// monitor (the whole monitor, so the picture is whole and centred).
PixelRect OutputViewport(const LayerBufferRecord& buffer);

// ---- pace -------------------------------------------------------------------

// The animation steps once per frame interval, whatever the outputs'
// refresh rates, and only while an output is ready to show it; after a gap
// (every output off or covered) it goes on from the frame it had, without
// catching up.
struct FramePaceRecord {
    bool started = false;
    int64_t lastStepUs = 0;
    uint64_t frame = 0;  // steps taken
};

// The frame interval of -delay (HackOptions::delayMicroseconds), the same as
// the X11 hack's timer.
int64_t LayerFrameIntervalUs(int32_t delayMicroseconds);

// True when the animation steps now (the caller advances the picture once);
// then pace.frame counts it.
bool TakeStep(FramePaceRecord& pace, int64_t nowUs, int64_t intervalUs);

// One output's surface, as the loop sees it.
struct LayerOutputRecord {
    bool configured = false;    // a configure was acknowledged
    bool framePending = false;  // a frame callback is out (the output shows, or is off)
    bool drawn = false;         // showing a frame of the current buffer
    uint64_t shownFrame = 0;
    bool empty = false;  // its buffer is 0 x 0 (LayerBufferFor)
};

// The output can show the next frame: configured, with a buffer to draw
// into, its last frame shown. Only such an output makes the animation step
// or the loop wait for the step; one without a buffer waits for events.
bool OutputReady(const LayerOutputRecord& output);

// The output draws now: ready, and this frame (or this buffer) not drawn on
// it yet. Then it asks for a frame callback.
bool OutputDrawsNow(const LayerOutputRecord& output, uint64_t frame);

// The compositor closed the output's surface (zwlr_layer_surface_v1.closed).
// One that had shown the picture is made again at once, so the output is
// not left blank until it next changes; one closed before it showed
// anything is refused on this output, and waits for the output's next
// change rather than being made and closed without end.
bool RemakeClosedSurface(const LayerOutputRecord& closed);

// How long the loop may wait for the display: until the next step when an
// output waits for it, else until an event (-1).
int LayerPollTimeoutMs(const FramePaceRecord& pace, int64_t nowUs, int64_t intervalUs,
                       bool anOutputWaits);

// A full-screen saver of ours on the same display covers every output, and
// some compositors (KWin 5.27) go on asking a covered background for frames
// without telling any frame's fate: while the saver shows, nothing is drawn.
// The shell asks once a second whether it shows.
inline constexpr int64_t kSaverCheckUs = 1'000'000;
struct SaverCoverRecord {
    bool covered = false;
    int64_t nextCheckUs = 0;
};
// Asks `saverShows` when a check is due; true while the saver covers us.
template <typename SaverShows>
bool CoveredBySaver(SaverCoverRecord& cover, int64_t nowUs, SaverShows&& saverShows) {
    if (nowUs >= cover.nextCheckUs) {
        cover.covered = saverShows();
        cover.nextCheckUs = nowUs + kSaverCheckUs;
    }
    return cover.covered;
}
// How long the loop may wait before the next check.
int SaverCheckWaitMs(const SaverCoverRecord& cover, int64_t nowUs);

// ---- start ------------------------------------------------------------------

// What the shell learnt while connecting, before EGL starts.
struct LayerConnectionFacts {
    const char* waylandSocket = nullptr;  // WAYLAND_SOCKET as given (null when unset)
    bool socket = true;                   // the connection's descriptor is a socket
    bool answered = true;                 // the first roundtrip came back
    bool compositor = true;               // wl_compositor, version 3 or later
    bool layerShell = true;               // zwlr_layer_shell_v1
};

// The line to print (then exit with code 1) when the connection cannot
// carry the layer surfaces; empty when it can. A descriptor that is no
// socket (a file or a pipe in WAYLAND_SOCKET) is not a Wayland connection,
// whatever it holds.
std::string LayerConnectionError(const LayerConnectionFacts& facts);

// The settings a layer surface draws (HackSettings), the picture's generator
// and animation seeded, the random picture chosen, as the hack starts.
void StartLayerPicture(PictureRecord& picture, const SaverSettingsRecord& settings);

}  // namespace zarvella
