#include "behaviour/layer_surfaces.h"

#include <algorithm>
#include <string>

#include "behaviour/hack.h"
#include "behaviour/monitors.h"
#include "engine/render.h"

namespace zarvella {

namespace {

// round(a / b) with halves away from zero, for a >= 0 and b > 0, as the
// fractional-scale protocol rounds.
int64_t RoundedDivide(int64_t a, int64_t b) {
    return (a + b / 2) / b;
}

}  // namespace

int32_t NearestIntegerScale(const OutputScaleRecord& scale) {
    int64_t nearest = scale.integer;
    if (scale.fractional120 > 0)
        nearest = RoundedDivide(scale.fractional120, 120);
    else if (scale.modeLong > 0 && scale.logicalLong > 0)
        nearest = RoundedDivide(scale.modeLong, scale.logicalLong);
    return static_cast<int32_t>(std::clamp<int64_t>(nearest, 1, 32));
}

LayerBufferRecord LayerBufferFor(int32_t width, int32_t height, const OutputScaleRecord& scale,
                                 int32_t outputLogicalWidth, int32_t outputLogicalHeight) {
    LayerBufferRecord buffer;
    // The compositor's numbers are not trusted to fit a buffer.
    constexpr int32_t kLargest = 1 << 15;
    buffer.logicalWidth = std::clamp(width > 0 ? width : outputLogicalWidth, 0, kLargest);
    buffer.logicalHeight = std::clamp(height > 0 ? height : outputLogicalHeight, 0, kLargest);
    if (buffer.logicalWidth == 0 || buffer.logicalHeight == 0) return {};
    const int64_t f = scale.fractional120;
    if (f > 0 && f % 120 != 0 && scale.viewporter) {
        buffer.viewport = true;
        buffer.width = static_cast<int32_t>(RoundedDivide(buffer.logicalWidth * f, 120));
        buffer.height = static_cast<int32_t>(RoundedDivide(buffer.logicalHeight * f, 120));
        return buffer;
    }
    buffer.bufferScale = NearestIntegerScale(scale);
    buffer.width = buffer.logicalWidth * buffer.bufferScale;
    buffer.height = buffer.logicalHeight * buffer.bufferScale;
    return buffer;
}

PixelRect OutputViewport(const LayerBufferRecord& buffer) {
    const PixelRect output = {0, 0, buffer.width, buffer.height};
    const MonitorViewportsRecord v = ViewportsFor(LayoutDesktop(&output, 1), true);
    return v.count == 1 ? v.each[0] : PixelRect{};
}

int64_t LayerFrameIntervalUs(int32_t delayMicroseconds) {
    return int64_t{HackFrameIntervalMs(delayMicroseconds)} * 1000;
}

bool TakeStep(FramePaceRecord& pace, int64_t nowUs, int64_t intervalUs) {
    if (pace.started) {
        const int64_t since = nowUs - pace.lastStepUs;
        if (since < intervalUs) return false;
        // Keep the pace exact while it is kept up; after a gap go on from now.
        pace.lastStepUs = since < 2 * intervalUs ? pace.lastStepUs + intervalUs : nowUs;
    } else {
        pace.started = true;
        pace.lastStepUs = nowUs;
    }
    ++pace.frame;
    return true;
}

bool OutputReady(const LayerOutputRecord& output) {
    return output.configured && !output.empty && !output.framePending;
}

bool OutputDrawsNow(const LayerOutputRecord& output, uint64_t frame) {
    return OutputReady(output) && (!output.drawn || output.shownFrame != frame);
}

bool RemakeClosedSurface(const LayerOutputRecord& closed) {
    return closed.shownFrame > 0;
}

int LayerPollTimeoutMs(const FramePaceRecord& pace, int64_t nowUs, int64_t intervalUs,
                       bool anOutputWaits) {
    if (!anOutputWaits) return -1;
    if (!pace.started) return 0;
    const int64_t left = pace.lastStepUs + intervalUs - nowUs;
    return left <= 0 ? 0 : static_cast<int>(std::min<int64_t>((left + 999) / 1000, 1000000));
}

std::string LayerConnectionError(const LayerConnectionFacts& facts) {
    const bool handed = facts.waylandSocket && *facts.waylandSocket;
    const std::string given =
        handed ? std::string(" (WAYLAND_SOCKET=") + facts.waylandSocket + ")" : std::string();
    if (!facts.socket)
        return handed ? std::string("zarvella: WAYLAND_SOCKET=") + facts.waylandSocket +
                            " is not a Wayland connection: descriptor " + facts.waylandSocket +
                            " is not a socket"
                      : "zarvella: the Wayland display's descriptor is not a socket";
    if (!facts.answered)
        return "zarvella: the Wayland connection" + given + " ended before the compositor answered";
    if (!facts.compositor || !facts.layerShell)
        return "zarvella: this Wayland compositor offers no layer shell "
               "(wlr-layer-shell-unstable-v1), so -root has no background to draw on";
    return "";
}

void StartLayerPicture(PictureRecord& picture, const SaverSettingsRecord& settings) {
    picture.settings = settings;
    StartPicture(picture);
}

int SaverCheckWaitMs(const SaverCoverRecord& cover, int64_t nowUs) {
    const int64_t left = cover.nextCheckUs - nowUs;
    return left <= 0 ? 0 : static_cast<int>((left + 999) / 1000);
}

}  // namespace zarvella
