// The engine's GL call stream, recorded by the stand-in GL functions.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "behaviour/monitors.h"
#include "behaviour/settings_window.h"
#include "engine/animation.h"
#include "engine/frame_rate.h"
#include "engine/render.h"
#include "engine/surface.h"
#include "settings/settings.h"
#include "tests/fakes/fakes.h"
#include "tests/gl/gl_recorder.h"

using namespace zarvella;
using glrec::Call;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

class GlStream : public ::testing::Test {
  protected:
    void SetUp() override {
        glrec::Clear();
        picture.settings = kDefaultSettings;
        picture.animation = {0.4, 0.8, -0.6, 0.001, -0.002, 0.003};
    }
    PictureRecord picture;
    FrameHooks hooks;
};

// A frame's picture without the clear: the phases on, then every viewport.
void AdvanceAndDraw(PictureRecord& picture) {
    AdvancePicture(picture);
    DrawPicture(picture);
}

// Each point's coordinates and colours name its position: x = 1000 i + j.
void FillLabelledGrid(SurfaceGridRecord& g) {
    for (int i = 0; i < kGridRows; ++i)
        for (int j = 0; j < kGridCols; ++j) {
            g.GridX[i][j] = 1000 * i + j;
            g.GridY[i][j] = -i;
            g.GridZ[i][j] = 0.5 * j;
            g.GridR[i][j] = i / 64.0;
            g.GridG[i][j] = j / 128.0;
            g.GridB[i][j] = 0.25;
        }
}

struct Pos {
    int i, j;
    bool operator==(const Pos&) const = default;
};

Pos PosOf(const glrec::Vertex& v) {
    const int x = static_cast<int>(v.x);
    return {x / 1000, x % 1000};
}

// The triangles of one copy as the table of the drawing pass gives them,
// bands of rows 1 to detail - 1.
std::vector<Pos> ExpectedCorners(int detail) {
    std::vector<Pos> corners;
    for (int i = 1; i < detail; ++i)
        for (int j = 0; j <= 2 * i; ++j) {
            if (j < i) corners.insert(corners.end(), {{i, j}, {i + 1, j}, {i + 1, j + 1}});
            if (j > i) corners.insert(corners.end(), {{i, j}, {i + 1, j + 1}, {i + 1, j + 2}});
        }
    return corners;
}

std::vector<double> ArgsOf(const std::string& name) {
    std::vector<double> values;
    for (const Call& c : glrec::Calls())
        if (c.name == name) values.push_back(c.args[0]);
    return values;
}

}  // namespace

TEST_F(GlStream, DetailTwoDrawsExactlyTheTwoTrianglesOfRowOne) {
    picture.settings.Detail = 2;
    picture.settings.Segments = 0;
    FillLabelledGrid(picture.grid);
    DrawSurface(picture.settings, picture.grid);
    const float a = static_cast<float>(std::sin(0.9) * std::sin(0.9));
    const Pos corners[6] = {{1, 0}, {2, 0}, {2, 1}, {1, 2}, {2, 3}, {2, 4}};
    std::vector<Call> expected = {{"glPushMatrix", {}},
                                  {"glTranslatef", {0, 0, -6.5}},
                                  {"glPushMatrix", {}},
                                  {"glRotatef", {0, 0, 0, 1}},
                                  {"glBegin", {GL_TRIANGLES}}};
    for (int k = 0; k < 6; ++k) {
        const auto [i, j] = corners[k];
        expected.push_back({"glColor4f", {i / 64.0, j / 128.0, 0.25, k % 3 == 0 ? 1.0f : a}});
        expected.push_back({"glVertex3f", {1000.0 * i + j, -1.0 * i, 0.5 * j}});
    }
    expected.insert(expected.end(), {{"glEnd", {}}, {"glPopMatrix", {}}, {"glPopMatrix", {}}});
    const std::vector<Call>& got = glrec::Calls();
    ASSERT_EQ(got.size(), expected.size());
    for (size_t k = 0; k < got.size(); ++k) {
        EXPECT_EQ(got[k].name, expected[k].name) << k;
        EXPECT_EQ(got[k].args, expected[k].args) << k << " " << got[k].name;
    }
}

TEST_F(GlStream, EveryCopyFollowsTheTriangleTableRowByRow) {
    for (int detail : {1, 3, 10, 30}) {
        glrec::Clear();
        picture.settings.Detail = detail;
        FillLabelledGrid(picture.grid);
        DrawSurface(picture.settings, picture.grid);
        const auto copies = glrec::Copies();
        ASSERT_EQ(copies.size(), 6u);
        const std::vector<Pos> expected = ExpectedCorners(detail);
        EXPECT_EQ(expected.size(), 3u * (detail - 1) * detail);
        for (const glrec::Copy& copy : copies) {
            ASSERT_EQ(copy.vertices.size(), expected.size()) << detail;
            for (size_t k = 0; k < expected.size(); ++k) {
                const Pos p = PosOf(copy.vertices[k]);
                ASSERT_EQ(p, expected[k]) << "detail " << detail << " vertex " << k;
                ASSERT_EQ(copy.vertices[k].r, static_cast<float>(p.i / 64.0));  // its own colour
                ASSERT_EQ(copy.vertices[k].g, static_cast<float>(p.j / 128.0));
                ASSERT_EQ(copy.vertices[k].a,
                          k % 3 == 0
                              ? 1.0f
                              : static_cast<float>(NeighbourAlpha(picture.settings.Brightness)));
            }
        }
    }
}

TEST_F(GlStream, TranslationFollowsSizeAndCopiesTurnByEqualShares) {
    for (int size : {7, 0, 10, 13, -4}) {
        glrec::Clear();
        picture.settings.Size = size;
        DrawSurface(picture.settings, picture.grid);
        ASSERT_EQ(glrec::Count("glTranslatef"), 1u);
        const Call& t = glrec::Calls()[1];
        EXPECT_EQ(t.args, (std::vector<double>{0, 0, size / 2.0 - 10}));
    }
    glrec::Clear();
    DrawSurface(picture.settings, picture.grid);
    EXPECT_EQ(ArgsOf("glRotatef"), (std::vector<double>{0, 60, 120, 180, 240, 300}));
    for (const Call& c : glrec::Calls()) {
        if (c.name == "glRotatef") {
            EXPECT_EQ(std::vector<double>(c.args.begin() + 1, c.args.end()),
                      (std::vector<double>{0, 0, 1}));
        }
    }

    picture.settings.Segments = 10;
    glrec::Clear();
    DrawSurface(picture.settings, picture.grid);
    const auto angles = ArgsOf("glRotatef");
    ASSERT_EQ(angles.size(), 11u);
    for (int k = 0; k < 11; ++k) EXPECT_EQ(angles[k], static_cast<float>(k * 360 / 11.0));

    picture.settings.Segments = 0;
    glrec::Clear();
    DrawSurface(picture.settings, picture.grid);
    EXPECT_EQ(ArgsOf("glRotatef"), std::vector<double>{0});
}

TEST_F(GlStream, NegativeSegmentsDrawNoCopyButStillPushTranslateAndPop) {
    for (int32_t segments : {-1, -2, std::numeric_limits<int32_t>::min()}) {
        glrec::Clear();
        picture.settings.Segments = segments;
        DrawSurface(picture.settings, picture.grid);
        const auto& calls = glrec::Calls();
        ASSERT_EQ(calls.size(), 3u);
        EXPECT_EQ(calls[0].name, "glPushMatrix");
        EXPECT_EQ(calls[1].name, "glTranslatef");
        EXPECT_EQ(calls[2].name, "glPopMatrix");
    }
}

TEST_F(GlStream, SmallOrNegativeDetailGivesEmptyTriangleLists) {
    for (int32_t detail : {1, 0, -1, std::numeric_limits<int32_t>::min()}) {
        glrec::Clear();
        picture.settings.Detail = detail;
        AdvanceAndDraw(picture);
        EXPECT_EQ(glrec::Count("glBegin"), 6u);
        EXPECT_EQ(glrec::Count("glEnd"), 6u);
        EXPECT_EQ(glrec::Count("glVertex3f"), 0u);
    }
}

TEST_F(GlStream, StoredValuesBeyondTheSlidersAreDrawnAsTheirTopValues) {
    picture.settings.Segments = 1000000;
    picture.settings.Detail = std::numeric_limits<int32_t>::max();
    picture.settings.PictureKind = 3;
    AdvanceAndDraw(picture);
    EXPECT_EQ(glrec::Count("glRotatef"), 11u);
    EXPECT_EQ(glrec::Count("glVertex3f"), 11u * 870 * 3);
    EXPECT_EQ(picture.settings.Segments, 1000000);
    EXPECT_EQ(picture.settings.Detail, std::numeric_limits<int32_t>::max());

    glrec::Clear();
    picture.settings.Segments = 10;
    picture.settings.Detail = 30;
    AdvanceAndDraw(picture);
    EXPECT_EQ(glrec::Count("glVertex3f"), 11u * 870 * 3);
}

TEST_F(GlStream, ApexIsOpaqueAndBaseAlphaIsSineOfBrightnessTenthsSquared) {
    const struct {
        int brightness;
        double alpha;
    } cases[] = {{9, 0.6136}, {15, 0.995}, {5, 0.2298}, {1, 0.00997}, {0, 0.0}};
    for (const auto& c : cases) {
        glrec::Clear();
        picture.settings.Brightness = c.brightness;
        picture.settings.PictureKind = 4;
        AdvanceAndDraw(picture);
        const auto copies = glrec::Copies();
        ASSERT_FALSE(copies.front().vertices.empty());
        for (const glrec::Copy& copy : copies)
            for (size_t k = 0; k < copy.vertices.size(); ++k) {
                if (k % 3 == 0) {
                    ASSERT_EQ(copy.vertices[k].a, 1.0f);
                } else {
                    ASSERT_NEAR(copy.vertices[k].a, c.alpha, 5e-5) << c.brightness;
                }
            }
    }
}

TEST_F(GlStream, NaNColoursAreSentAsZeroAndNonFiniteTrianglesLeftOut) {
    picture.settings.Detail = 3;
    picture.settings.Segments = 0;
    FillLabelledGrid(picture.grid);
    picture.grid.GridG[1][2] = kNaN;
    picture.grid.GridX[2][1] = kNaN;  // a corner of (1,0) and the apex of (2,1)
    picture.grid.GridZ[3][6] = std::numeric_limits<double>::infinity();  // the last of (2,4)
    DrawSurface(picture.settings, picture.grid);
    const auto copies = glrec::Copies();
    ASSERT_EQ(copies.size(), 1u);
    std::vector<Pos> expected = ExpectedCorners(3);
    std::vector<Pos> kept;
    for (size_t k = 0; k < expected.size(); k += 3) {
        const bool bad = expected[k + 1] == Pos{2, 1} || expected[k + 2] == Pos{2, 1} ||
                         expected[k] == Pos{2, 1} || expected[k + 2] == Pos{3, 6};
        if (!bad) kept.insert(kept.end(), expected.begin() + k, expected.begin() + k + 3);
    }
    EXPECT_EQ(kept.size(), expected.size() - 9);
    ASSERT_EQ(copies[0].vertices.size(), kept.size());
    bool sawZeroGreen = false;
    for (size_t k = 0; k < kept.size(); ++k) {
        const glrec::Vertex& v = copies[0].vertices[k];
        EXPECT_EQ(PosOf(v), kept[k]);
        EXPECT_FALSE(std::isnan(v.r) || std::isnan(v.g) || std::isnan(v.b));
        if (kept[k] == Pos{1, 2}) {
            EXPECT_EQ(v.g, 0.0f);
            EXPECT_EQ(v.r, static_cast<float>(1 / 64.0));
            sawZeroGreen = true;
        }
    }
    EXPECT_TRUE(sawZeroGreen);
}

TEST_F(GlStream, ZeroPhase1InKindOneLeavesEveryTriangleOut) {
    picture.settings.Speed = 0;
    picture.settings.PictureKind = 1;
    picture.animation.Phase1 = 0.0;
    for (int frame = 0; frame < 3; ++frame) AdvanceAndDraw(picture);
    EXPECT_EQ(glrec::Count("glBegin"), 18u);
    EXPECT_EQ(glrec::Count("glEnd"), 18u);
    EXPECT_EQ(glrec::Count("glVertex3f"), 0u);
}

TEST_F(GlStream, PushesAndPopsBalanceOverManyFrames) {
    for (int kind = 1; kind <= 10; ++kind) {
        picture.settings.PictureKind = kind;
        for (int frame = 0; frame < 5; ++frame) AdvanceAndDraw(picture);
    }
    const glrec::Nesting n = glrec::MatrixNesting();
    EXPECT_FALSE(n.underflow);
    EXPECT_EQ(n.final, 0);
    EXPECT_EQ(n.deepest, 2);
    EXPECT_EQ(glrec::Count("glPushMatrix"), 50u * 7);
}

TEST_F(GlStream, DefaultFrameOfEveryKindHasSixEqualCopiesOfNinetyTriangles) {
    for (int kind = 1; kind <= 10; ++kind) {
        glrec::Clear();
        picture.settings.PictureKind = kind;
        AdvanceAndDraw(picture);
        const auto copies = glrec::Copies();
        ASSERT_EQ(copies.size(), 6u);
        for (const glrec::Copy& copy : copies)
            ASSERT_EQ(copy.vertices.size(), 270u) << kind;  // every point finite here
        // All copies send the same triangles; only the rotation differs.
        for (const glrec::Copy& copy : copies)
            for (size_t k = 0; k < copy.vertices.size(); ++k) {
                const glrec::Vertex &v = copy.vertices[k], &first = copies[0].vertices[k];
                ASSERT_TRUE(v.x == first.x && v.y == first.y && v.z == first.z && v.r == first.r &&
                            v.g == first.g && v.b == first.b && v.a == first.a);
            }
    }
}

TEST_F(GlStream, SetupSendsTheVariantsExactSequence) {
    const std::vector<double> frustum = {-0.1, 0.1, -0.1, 0.1, 0.3, 25.0};
    const auto sequence = [&](bool viewport, std::vector<double> light) {
        std::vector<Call> calls = {{"glMatrixMode", {GL_PROJECTION}}};
        if (viewport) calls.push_back({"glViewport", {0, 100, 400, 300}});
        const float ambient = 0.3f;
        calls.insert(
            calls.end(),
            {{"glFrustum", frustum},
             {"glMatrixMode", {GL_MODELVIEW}},
             {"glEnable", {GL_DEPTH_TEST}},
             {"glEnable", {GL_COLOR_MATERIAL}},
             {"glEnable", {GL_BLEND}},
             {"glBlendFunc", {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}},
             {"glEnable", {GL_LIGHTING}},
             {"glLightfv", {GL_LIGHT0, GL_POSITION, light[0], light[1], light[2], light[3]}},
             {"glLightfv", {GL_LIGHT0, GL_AMBIENT, ambient, ambient, ambient, ambient}},
             {"glEnable", {GL_LIGHT0}}});
        return calls;
    };
    const struct {
        GlVariant variant;
        std::vector<Call> expected;
    } cases[] = {{GlVariant::Settings, sequence(true, {-8, 8, -16, 0})},
                 {GlVariant::FullScreen, sequence(false, {-8, 8, -16, 0})},
                 {GlVariant::Preview, sequence(false, {-5, 5, 5, 0})}};
    for (const auto& c : cases) {
        glrec::Clear();
        fakes::SetupWindowContext(c.variant, 400, 430);
        const auto& got = glrec::Calls();
        ASSERT_EQ(got.size(), c.expected.size());
        for (size_t k = 0; k < got.size(); ++k) {
            EXPECT_EQ(got[k].name, c.expected[k].name) << k;
            EXPECT_EQ(got[k].args, c.expected[k].args) << k << " " << got[k].name;
        }
    }
}

TEST_F(GlStream, RenderFrameClearsDrawsAndSwapsLast) {
    hooks.swap = [] { glrec::Mark("swap"); };
    RenderFrame(picture, hooks);
    RenderFrame(picture, hooks);
    const auto& calls = glrec::Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().name, "glClear");
    EXPECT_EQ(calls.front().args, std::vector<double>{16640});
    EXPECT_EQ(calls.back().name, "swap");
    EXPECT_EQ(glrec::Count("glClear"), 2u);
    EXPECT_EQ(glrec::Count("swap"), 2u);
    const size_t half = calls.size() / 2;
    EXPECT_EQ(calls[half - 1].name, "swap");
    EXPECT_EQ(calls[half].name, "glClear");
    EXPECT_EQ(calls[half - 2].name, "glPopMatrix");
    EXPECT_EQ(calls[1].name, "glPushMatrix");

    hooks.swap = nullptr;  // the toolkit swaps: nothing after the picture
    glrec::Clear();
    RenderFrame(picture, hooks);
    EXPECT_EQ(glrec::Calls().back().name, "glPopMatrix");
}

TEST_F(GlStream, FrameRateOverlayComesAfterThePictureRestoresItsStateAndPrecedesTheSwap) {
    hooks.swap = [] { glrec::Mark("swap"); };
    PictureRecord same = picture;
    RenderFrame(picture, hooks);
    const std::vector<Call> plain = glrec::Calls();

    glrec::Clear();
    hooks.overlay = DrawFrameRate;
    RenderFrame(same, hooks);
    const auto& calls = glrec::Calls();

    // The picture's calls are the plain frame's, call for call; the overlay
    // follows them and the swap comes last.
    ASSERT_GT(calls.size(), plain.size());
    for (size_t k = 0; k + 1 < plain.size(); ++k) {
        ASSERT_EQ(calls[k].name, plain[k].name) << k;
        ASSERT_EQ(calls[k].args, plain[k].args) << k;
    }
    EXPECT_EQ(calls[plain.size() - 1].name, "glGetIntegerv");
    EXPECT_EQ(calls.back().name, "swap");
    EXPECT_EQ(glrec::Count("glPushAttrib"), 1u);
    EXPECT_EQ(calls[calls.size() - 2].name, "glPopAttrib");
    EXPECT_EQ(calls[calls.size() - 3].name, "glMatrixMode");
    EXPECT_EQ(calls[calls.size() - 3].args, std::vector<double>{GL_MODELVIEW});
    const auto nesting = glrec::MatrixNesting();
    EXPECT_EQ(nesting.final, 0);
    EXPECT_FALSE(nesting.underflow);
    std::vector<double> ortho;
    for (const Call& c : calls)
        if (c.name == "glOrtho") ortho = c.args;
    EXPECT_EQ(ortho, (std::vector<double>{0, 640, 0, 480, -1, 1}));
}

namespace {
std::vector<Call> OneFrame(PictureRecord& picture, FrameHooks& hooks) {
    glrec::Clear();
    RenderFrame(picture, hooks);
    return glrec::Calls();
}
bool SameCalls(const std::vector<Call>& a, const std::vector<Call>& b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (a[k].name != b[k].name || a[k].args != b[k].args) return false;
    return true;
}
}  // namespace

TEST_F(GlStream, OneMonitorFramesAreTheSingleWindowsAndSeveralShareOneFrame) {
    hooks.swap = [] { glrec::Mark("swap"); };
    const AnimationStateRecord start = picture.animation;
    const std::vector<Call> plain = OneFrame(picture, hooks);  // no layout at all
    const AnimationStateRecord once = picture.animation;

    picture.animation = start;
    const PixelRect one[] = {{0, 0, 1280, 1024}};
    picture.viewports = ViewportsFor(LayoutDesktop(one, 1), false);
    EXPECT_TRUE(SameCalls(OneFrame(picture, hooks), plain));
    EXPECT_EQ(glrec::Count("glViewport"), 0u);

    picture.animation = start;
    const PixelRect two[] = {{0, 0, 1280, 1024}, {-1920, -100, 1920, 1080}};
    picture.viewports = ViewportsFor(LayoutDesktop(two, 2), false);
    const std::vector<Call> both = OneFrame(picture, hooks);
    EXPECT_EQ(picture.animation.Phase1, once.Phase1);  // the phases advanced once
    EXPECT_EQ(picture.animation.Phase3, once.Phase3);
    EXPECT_EQ(glrec::Count("glClear"), 1u);
    EXPECT_EQ(glrec::Count("swap"), 1u);
    std::vector<size_t> at;
    for (size_t k = 0; k < both.size(); ++k)
        if (both[k].name == "glViewport") at.push_back(k);
    ASSERT_EQ(at.size(), 2u);
    EXPECT_EQ(both[at[0]].args, (std::vector<double>{1920, 0, 1280, 1024}));
    EXPECT_EQ(both[at[1]].args, (std::vector<double>{0, 44, 1920, 1080}));
    // Each monitor gets the single window's surface calls: the same frame.
    const std::vector<Call> surface(plain.begin() + 1, plain.end() - 1);
    EXPECT_TRUE(SameCalls({both.begin() + at[0] + 1, both.begin() + at[1]}, surface));
    EXPECT_TRUE(SameCalls({both.begin() + at[1] + 1, both.end() - 1}, surface));

    // After a change to one monitor, the first frame sets its viewport once.
    picture.viewports = ViewportsFor(LayoutDesktop(one, 1), true);
    OneFrame(picture, hooks);
    ASSERT_EQ(glrec::Count("glViewport"), 1u);
    EXPECT_EQ(glrec::Calls()[1].args, (std::vector<double>{0, 0, 1280, 1024}));
    OneFrame(picture, hooks);
    EXPECT_EQ(glrec::Count("glViewport"), 0u);
}

// Two windows' pictures in one process, their frames interleaved: each
// picture's calls are the ones it makes alone, and one advanced picture drawn
// on two surfaces sends the same surface to each.
TEST_F(GlStream, TwoPicturesSideBySideEachDrawAsTheyWouldAlone) {
    PictureRecord other = picture;
    other.settings.PictureKind = 7;
    other.settings.Segments = 2;
    other.animation = {-0.3, 1.1, 0.2, 0, 0.004, -0.001};  // a zero drift: a draw of its own
    other.random.state = 99;
    picture.animation.Drift2 = 0;
    picture.random.state = 7;
    const auto framesAlone = [&hooks = hooks](PictureRecord alone) {
        std::vector<std::vector<Call>> frames;
        for (int f = 0; f < 3; ++f) frames.push_back(OneFrame(alone, hooks));
        return frames;
    };
    const auto first = framesAlone(picture), second = framesAlone(other);
    for (int f = 0; f < 3; ++f) {
        EXPECT_TRUE(SameCalls(OneFrame(picture, hooks), first[f])) << f;
        EXPECT_TRUE(SameCalls(OneFrame(other, hooks), second[f])) << f;
        EXPECT_FALSE(SameCalls(first[f], second[f]));
    }
    EXPECT_NE(picture.random.state, other.random.state);

    glrec::Clear();
    DrawPictureIn(other, {0, 0, 640, 480});
    DrawPictureIn(other, {640, 0, 800, 600});
    const std::vector<Call> both = glrec::Calls();
    const size_t half = both.size() / 2;
    EXPECT_EQ(both[half].args, (std::vector<double>{640, 0, 800, 600}));
    EXPECT_TRUE(
        SameCalls({both.begin() + 1, both.begin() + half}, {both.begin() + half + 1, both.end()}));
}

TEST_F(GlStream, SettingsViewportScalesWithTheDpi) {
    const struct {
        int dpi, outerWidth, outerHeight;
        std::vector<double> viewport;
    } cases[] = {{96, 400, 430, {0, 100, 400, 300}},
                 {144, 600, 645, {0, 150, 600, 450}},
                 {192, 800, 860, {0, 200, 800, 600}}};
    for (const auto& c : cases) {
        glrec::Clear();
        fakes::SetupWindowContext(GlVariant::Settings, c.outerWidth, c.outerHeight, c.dpi);
        EXPECT_EQ(glrec::Calls()[1].args, c.viewport) << c.dpi;
        glrec::Clear();
        SettingsDpiChanged(c.outerWidth, c.outerHeight, c.dpi);
        ASSERT_EQ(glrec::Calls().size(), 1u);
        EXPECT_EQ(glrec::Calls()[0].args, c.viewport) << c.dpi;
    }
}
