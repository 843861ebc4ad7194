// Pixels, rendered by Mesa's offscreen renderer with the engine's own set-up.
#include <GL/osmesa.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "behaviour/monitors.h"
#include "behaviour/settings_window.h"
#include "engine/animation.h"
#include "engine/frame_rate.h"
#include "engine/random.h"
#include "engine/render.h"
#include "settings/settings.h"
#include "tests/fakes/fakes.h"

using namespace zarvella;

namespace {

struct Rgba {
    float r, g, b, a;
};

class Pixels : public ::testing::Test {
  protected:
    void TearDown() override {
        if (context_) OSMesaDestroyContext(context_);
    }

    // A fresh RGBA context with a 16-bit depth buffer, made current.
    void Open(int width, int height) {
        width_ = width;
        height_ = height;
        buffer_.assign(static_cast<size_t>(width) * height * 4, 0);
        context_ = OSMesaCreateContextExt(OSMESA_RGBA, 16, 0, 0, nullptr);
        ASSERT_NE(context_, nullptr);
        ASSERT_TRUE(OSMesaMakeCurrent(context_, buffer_.data(), GL_UNSIGNED_BYTE, width, height));
    }

    // Rows bottom-up, as GL numbers them.
    std::vector<Rgba> Read() {
        glFinish();
        std::vector<Rgba> pixels(static_cast<size_t>(width_) * height_);
        glReadPixels(0, 0, width_, height_, GL_RGBA, GL_FLOAT, pixels.data());
        return pixels;
    }
    Rgba At(const std::vector<Rgba>& pixels, int x, int y) { return pixels[y * width_ + x]; }
    static bool Black(const Rgba& p) { return p.r == 0 && p.g == 0 && p.b == 0; }

    PictureRecord picture;
    FrameHooks hooks;
    int width_ = 0, height_ = 0;
    std::vector<unsigned char> buffer_;
    OSMesaContext context_ = nullptr;
};

// One triangle around the viewing axis, 5 units in front of the eye.
void DrawTestTriangle(float scale) {
    glBegin(GL_TRIANGLES);
    glColor4f(0.8f, 0.4f, 0.2f, 0.5f);
    glVertex3f(-scale, -scale, -5);
    glVertex3f(scale, -scale, -5);
    glVertex3f(0, 1.5f * scale, -5);
    glEnd();
}

void ExpectColour(const Rgba& p, double r, double g, double b, double a, double tolerance) {
    EXPECT_NEAR(p.r, r, tolerance);
    EXPECT_NEAR(p.g, g, tolerance);
    EXPECT_NEAR(p.b, b, tolerance);
    EXPECT_NEAR(p.a, a, tolerance);
}

}  // namespace

TEST_F(Pixels, SettingsAndFullScreenShowHalfTheColourPreviewAboutOnePointZeroEightTimes) {
    const double front = 0.5 + 5 / std::sqrt(75.0);  // ambient plus the diffuse share
    const struct {
        GlVariant variant;
        double factor;
    } cases[] = {
        {GlVariant::Settings, 0.5}, {GlVariant::FullScreen, 0.5}, {GlVariant::Preview, front}};
    for (const auto& c : cases) {
        Open(400, 430);
        fakes::SetupWindowContext(c.variant, 400, 430);
        const int cx = 200, cy = c.variant == GlVariant::Settings ? 250 : 215;

        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_BLEND);  // the lit colour itself
        DrawTestTriangle(1.0f);
        ExpectColour(At(Read(), cx, cy), 0.8 * c.factor, 0.4 * c.factor, 0.2 * c.factor, 0.5,
                     1.5 / 255);

        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_BLEND);  // over black with alpha 0.5
        DrawTestTriangle(1.0f);
        const Rgba p = At(Read(), cx, cy);
        EXPECT_NEAR(p.r / 0.5, 0.8 * c.factor, 3.0 / 255);
        EXPECT_NEAR(p.g / 0.5, 0.4 * c.factor, 3.0 / 255);
        EXPECT_NEAR(p.b / 0.5, 0.2 * c.factor, 3.0 / 255);
        OSMesaDestroyContext(context_);
        context_ = nullptr;
    }
}

TEST_F(Pixels, SettingsViewportKeepsTheLowestHundredRowsFree) {
    Open(400, 430);
    fakes::SetupWindowContext(GlVariant::Settings, 400, 430);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_BLEND);
    DrawTestTriangle(100.0f);  // covers the whole view
    const auto pixels = Read();
    for (int y = 0; y < 430; ++y) {
        const bool inside = y >= 100 && y < 400;
        for (int x = 0; x < 400; x += 7)
            ASSERT_EQ(Black(At(pixels, x, y)), !inside) << x << "," << y;
        ASSERT_EQ(Black(At(pixels, 399, y)), !inside) << y;
    }
}

TEST_F(Pixels, DefaultFrameOfEveryKindDrawsAPicture) {
    for (int kind = 1; kind <= 10; ++kind) {
        Open(256, 256);
        SetupGL(GlVariant::FullScreen);
        picture.settings = kDefaultSettings;
        picture.settings.PictureKind = kind;
        picture.random.state = 1000u * kind;
        picture.animation = SeedAnimationState(picture.random);
        for (int frame = 0; frame < 3; ++frame) RenderFrame(picture, hooks);
        const auto pixels = Read();
        size_t lit = 0;
        std::set<uint32_t> colours;
        for (const Rgba& p : pixels) {
            if (Black(p)) continue;
            ++lit;
            colours.insert(static_cast<uint32_t>(p.r * 255) << 16 |
                           static_cast<uint32_t>(p.g * 255) << 8 |
                           static_cast<uint32_t>(p.b * 255));
        }
        RecordProperty("lit_kind_" + std::to_string(kind), static_cast<int>(lit));
        EXPECT_GE(lit, pixels.size() / 50) << "kind " << kind;
        EXPECT_LT(lit, pixels.size()) << "kind " << kind;
        EXPECT_GE(colours.size(), 50u) << "kind " << kind;
        OSMesaDestroyContext(context_);
        context_ = nullptr;
    }
}

TEST_F(Pixels, SettingsFrameStaysAboveTheControls) {
    Open(400, 430);
    fakes::SetupWindowContext(GlVariant::Settings, 400, 430);
    picture.settings = kDefaultSettings;
    picture.settings.Size = 10;  // closest to the eye: the largest picture
    picture.random.state = 77;
    picture.animation = SeedAnimationState(picture.random);
    RenderFrame(picture, hooks);
    const auto pixels = Read();
    size_t lit = 0;
    for (int y = 0; y < 430; ++y)
        for (int x = 0; x < 400; ++x) {
            if (Black(At(pixels, x, y))) continue;
            ASSERT_GE(y, 100);
            ASSERT_LT(y, 400);
            ++lit;
        }
    EXPECT_GT(lit, 1000u);
}

TEST_F(Pixels, FrameRateShowsInTheLowerLeftCornerAndLeavesTheNextFrameAsItWas) {
    // The same two frames, once with the rate drawn over the first.
    std::vector<Rgba> first[2], second[2];
    for (int overlay = 0; overlay < 2; ++overlay) {
        picture = {};
        hooks = {};
        Open(256, 256);
        SetupGL(GlVariant::FullScreen);
        picture.settings = kDefaultSettings;
        picture.random.state = 5;
        picture.animation = SeedAnimationState(picture.random);
        hooks.overlay = overlay ? DrawFrameRate : nullptr;
        RenderFrame(picture, hooks);
        first[overlay] = Read();
        hooks.overlay = nullptr;
        RenderFrame(picture, hooks);
        second[overlay] = Read();
        OSMesaDestroyContext(context_);
        context_ = nullptr;
    }
    // "FPS: 0.0" is 8 characters of 12 px over 14 px rows, 8 px from the corner.
    size_t white = 0, changedElsewhere = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const bool text = x >= 8 && x < 8 + 8 * 12 && y >= 8 && y < 8 + 14;
            const Rgba p = At(first[1], x, y);
            if (text && p.r == 1 && p.g == 1 && p.b == 1) ++white;
            const bool box = x >= 4 && x < 4 + 8 * 12 + 6 && y >= 4 && y < 4 + 22;
            const Rgba q = At(first[0], x, y);
            if (!box && (p.r != q.r || p.g != q.g || p.b != q.b)) ++changedElsewhere;
        }
    EXPECT_GT(white, 100u);
    EXPECT_EQ(changedElsewhere, 0u);
    ASSERT_EQ(second[0].size(), second[1].size());
    size_t differing = 0;
    for (size_t k = 0; k < second[0].size(); ++k) {
        const Rgba &a = second[0][k], &b = second[1][k];
        if (a.r != b.r || a.g != b.g || a.b != b.b || a.a != b.a) ++differing;
    }
    EXPECT_EQ(differing, 0u) << "the overlay left GL state behind";
}

TEST_F(Pixels, TwoMonitorsSideBySideShowTheSameWholeFrame) {
    Open(512, 200);
    SetupGL(GlVariant::FullScreen);
    picture.settings = kDefaultSettings;
    picture.random.state = 4242;
    picture.animation = SeedAnimationState(picture.random);
    const PixelRect two[] = {{0, 0, 256, 200}, {256, 0, 256, 200}};
    picture.viewports = ViewportsFor(LayoutDesktop(two, 2), false);
    RenderFrame(picture, hooks);
    const auto pixels = Read();
    size_t lit = 0, differing = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 256; ++x) {
            const Rgba a = At(pixels, x, y), b = At(pixels, x + 256, y);
            if (!Black(a)) ++lit;
            if (a.r != b.r || a.g != b.g || a.b != b.b) ++differing;
        }
    EXPECT_GT(lit, 256u * 200 / 50);
    // Only the rounding of a few edge pixels differs with the viewport's offset;
    // another frame would differ almost everywhere.
    EXPECT_LT(differing, lit / 200);
}
