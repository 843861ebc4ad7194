// -root on Wayland: the buffer at each scale, the animation's pace, and when
// an output draws.
#include <gtest/gtest.h>

#include "behaviour/layer_surfaces.h"

using namespace zarvella;

TEST(LayerSurfaces, TheBufferIsTheConfiguredSizeAtTheOutputsScale) {
    using S = OutputScaleRecord;
    const struct {
        int32_t width, height;
        S scale;
        LayerBufferRecord buffer;  // width, height, buffer scale, viewport, logical size
    } rows[] = {
        {1280, 720, {}, {1280, 720, 1, false, 1280, 720}},
        {1280, 720, {2, 0, false, 0, 0}, {2560, 1440, 2, false, 1280, 720}},
        {853, 480, {2, 180, true, 1280, 853}, {1280, 720, 1, true, 853, 480}},    // 1.5
        {1097, 617, {2, 140, true, 0, 0}, {1280, 720, 1, true, 1097, 617}},       // 1.1666
        {640, 360, {1, 240, true, 0, 0}, {1280, 720, 2, false, 640, 360}},        // whole: 2
        {853, 480, {2, 180, false, 0, 0}, {1706, 960, 2, false, 853, 480}},       // no viewporter
        {1024, 576, {2, 0, true, 1280, 1024}, {1024, 576, 1, false, 1024, 576}},  // 1.25 -> 1
        {853, 480, {2, 0, false, 1280, 853}, {1706, 960, 2, false, 853, 480}},    // 1.5 -> 2
        {0, 0, {1, 0, false, 0, 0}, {}},  // no size yet: nothing to draw
        {1280, 720, {0, 0, false, 0, 0}, {1280, 720, 1, false, 1280, 720}},  // bad scale: 1
    };
    for (const auto& r : rows)
        EXPECT_EQ(LayerBufferFor(r.width, r.height, r.scale), r.buffer)
            << r.width << "x" << r.height << " at " << r.scale.fractional120;
    // Left to us (0 x 0), the surface is the output's logical size.
    EXPECT_EQ(LayerBufferFor(0, 0, {2, 0, false, 0, 0}, 800, 600),
              (LayerBufferRecord{1600, 1200, 2, false, 800, 600}));
    EXPECT_EQ(OutputViewport({1706, 960, 2, false, 853, 480}), (PixelRect{0, 0, 1706, 960}));
}

TEST(LayerSurfaces, TheAnimationStepsOncePerIntervalAndNeverCatchesUp) {
    const int64_t interval = LayerFrameIntervalUs(40999);  // as the X11 timer: whole ms
    ASSERT_EQ(interval, 40000);
    FramePaceRecord pace;
    // now (ms), steps, frame after, wait (ms) with an output waiting
    const struct {
        int64_t nowMs;
        bool steps;
        uint64_t frame;
        int waitMs;
    } rows[] = {
        {1000, true, 1, 40}, {1016, false, 1, 24}, {1040, true, 2, 40},
        {1090, true, 3, 30}, {1100, false, 3, 20}, {1120, true, 4, 40},  // kept on the beat
        {9000, true, 5, 40}, {9030, false, 5, 10}, {9040, true, 6, 40},  // a gap: one step
    };
    for (const auto& r : rows) {
        EXPECT_EQ(TakeStep(pace, r.nowMs * 1000, interval), r.steps) << r.nowMs;
        EXPECT_EQ(pace.frame, r.frame) << r.nowMs;
        EXPECT_EQ(LayerPollTimeoutMs(pace, r.nowMs * 1000, interval, true), r.waitMs) << r.nowMs;
    }
    EXPECT_EQ(LayerPollTimeoutMs(pace, 9040000, interval, false), -1);  // all off: wait for events
}

TEST(LayerSurfaces, AnOutputDrawsEachFrameOnceWhenItsLastFrameWasShown) {
    const struct {
        LayerOutputRecord output;  // configured, frame pending, drawn, shown frame
        bool draws;
    } rows[] = {
        {{false, false, false, 0}, false},  // no configure yet
        {{true, false, false, 0}, true},
        {{true, false, true, 7}, false},  // this frame is on it
        {{true, false, true, 6}, true},
        {{true, true, true, 6}, false},          // off or covered: no frame callback yet
        {{true, false, false, 7}, true},         // a new buffer
        {{true, false, false, 0, true}, false},  // 0x0: nothing to draw, so none to wait for
    };
    for (const auto& r : rows) EXPECT_EQ(OutputDrawsNow(r.output, 7), r.draws);
    EXPECT_TRUE(RemakeClosedSurface({true, true, true, 6}));  // closed once it showed the picture
    EXPECT_FALSE(RemakeClosedSurface({true, false, false, 0}));
}

TEST(LayerSurfaces, AConnectionThatCannotCarryTheSurfacesSaysWhy) {
    const struct {
        LayerConnectionFacts facts;  // WAYLAND_SOCKET, socket, answered, compositor, layer shell
        const char* error;
    } rows[] = {
        {{"5", true, true, true, true}, ""},
        {{"5", false, false, false, false},
         "zarvella: WAYLAND_SOCKET=5 is not a Wayland connection: descriptor 5 is not a socket"},
        {{"5", true, false, false, false},
         "zarvella: the Wayland connection (WAYLAND_SOCKET=5) ended before the compositor "
         "answered"},
        {{nullptr, true, true, true, false},
         "zarvella: this Wayland compositor offers no layer shell (wlr-layer-shell-unstable-v1), "
         "so -root has no background to draw on"},
    };
    for (const auto& r : rows) EXPECT_EQ(LayerConnectionError(r.facts), r.error);
}

// A saver of ours over -root: asked once a second, nothing drawn while it shows.
TEST(LayerSurfaces, NothingIsDrawnUnderASaverOfOursAskedOnceASecond) {
    SaverCoverRecord cover;
    int asked = 0;
    const struct {
        int64_t atUs;
        bool shows, covered;
        int asked, waitMs;
    } rows[] = {
        {0, true, true, 1, 1000},           {500'000, false, true, 1, 500},
        {1'000'000, false, false, 2, 1000}, {1'999'999, true, false, 2, 1},
        {2'000'000, true, true, 3, 1000},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(CoveredBySaver(cover, r.atUs,
                                 [&] {
                                     ++asked;
                                     return r.shows;
                                 }),
                  r.covered);
        EXPECT_EQ(asked, r.asked) << r.atUs;
        EXPECT_EQ(SaverCheckWaitMs(cover, r.atUs), r.waitMs) << r.atUs;
    }
}
