#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "behaviour/fullscreen_window.h"
#include "behaviour/monitors.h"
#include "tests/fakes/fakes.h"

using namespace zarvella;
using Monitors = std::vector<PixelRect>;
using Viewports = std::vector<PixelRect>;
using Strings = std::vector<std::string>;

namespace {

Viewports ListOf(const MonitorViewportsRecord& list) {
    return {list.each, list.each + list.count};
}

class Desktop : public ::testing::Test {
  protected:
    void SetUp() override { store.SetAll(10, 9, 7, 5, 10, 10, 0); }
    FullScreenRecord window;
    fakes::FakeFullScreenHost host;
    fakes::MemoryStore store;
    fakes::RecordingErrors errors;
};

}  // namespace

TEST(Monitors, WindowHoldsEveryMonitorAndEachSeesItsWholePicture) {
    const struct {
        const char* name;
        Monitors monitors;
        PixelRect window;
        Viewports viewports;  // GL's lower-left origin
    } cases[] = {
        {"one", {{0, 0, 1280, 1024}}, {0, 0, 1280, 1024}, {{0, 0, 1280, 1024}}},
        {"side by side",
         {{0, 0, 1280, 1024}, {1280, 0, 1280, 1024}},
         {0, 0, 2560, 1024},
         {{0, 0, 1280, 1024}, {1280, 0, 1280, 1024}}},
        {"left of and above the primary",
         {{0, 0, 1280, 1024}, {-1920, -100, 1920, 1080}},
         {-1920, -100, 3200, 1124},
         {{1920, 0, 1280, 1024}, {0, 44, 1920, 1080}}},
        {"below, narrower",
         {{0, 0, 1920, 1080}, {320, 1080, 1280, 1024}},
         {0, 0, 1920, 2104},
         {{0, 1024, 1920, 1080}, {320, 0, 1280, 1024}}},
        {"no area left out",
         {{0, 0, 0, 768}, {0, 0, 800, -1}, {0, 0, 800, 600}},
         {0, 0, 800, 600},
         {{0, 0, 800, 600}}},
        {"none", {}, {}, {}},
    };
    for (const auto& c : cases) {
        const DesktopLayoutRecord layout = LayoutDesktop(c.monitors.data(), int(c.monitors.size()));
        EXPECT_EQ(layout.window, c.window) << c.name;
        EXPECT_EQ(ListOf(ViewportsFor(layout, false)), c.viewports) << c.name;
    }
}

TEST(Monitors, BeyondTheLimitTheWindowStillCoversEveryMonitor) {
    Monitors row;
    for (int k = 0; k < kMaxMonitors + 4; ++k) row.push_back({k * 100, 0, 100, 50});
    const DesktopLayoutRecord layout = LayoutDesktop(row.data(), int(row.size()));
    EXPECT_EQ(layout.count, kMaxMonitors);
    EXPECT_EQ(layout.window, (PixelRect{0, 0, (kMaxMonitors + 4) * 100, 50}));
    constexpr int32_t lo = std::numeric_limits<int32_t>::min(),
                      hi = std::numeric_limits<int32_t>::max();
    const PixelRect far[] = {{lo, lo, 10, 10}, {hi - 10, hi - 10, 10, 10}};
    EXPECT_EQ(LayoutDesktop(far, 2).window, (PixelRect{lo, lo, hi, hi}));  // saturated
}

TEST_F(Desktop, StartCoversEveryMonitorAndChangesKeepThemCovered) {
    host.monitors = {{0, 0, 1280, 1024}, {1280, 0, 1280, 1024}};
    ASSERT_TRUE(StartFullScreen(host, window, store, errors));
    EXPECT_EQ(host.window, (PixelRect{0, 0, 2560, 1024}));
    EXPECT_EQ(window.picture.viewports.count, 2);
    EXPECT_FALSE(window.picture.viewports.setOnNextFrame);  // the context is made after the sizing

    const struct {
        const char* name;
        Monitors monitors;
        bool changed;
        PixelRect window;
    } changes[] = {
        {"nothing changed", {{0, 0, 1280, 1024}, {1280, 0, 1280, 1024}}, false, {0, 0, 2560, 1024}},
        {"one removed", {{0, 0, 1280, 1024}}, true, {0, 0, 1280, 1024}},
        {"resolution changed", {{0, 0, 1600, 1200}}, true, {0, 0, 1600, 1200}},
        {"none reported for a moment", {}, false, {0, 0, 1600, 1200}},
        {"added on the left",
         {{0, 0, 1600, 1200}, {-1280, 0, 1280, 1024}},
         true,
         {-1280, 0, 2880, 1200}},
    };
    for (const auto& c : changes) {
        host.monitors = c.monitors;
        host.log.clear();
        EXPECT_EQ(FullScreenDisplayChange(host, window), c.changed) << c.name;
        EXPECT_EQ(host.window, c.window) << c.name;
        EXPECT_EQ(host.log, (c.changed ? Strings{"size", "cursorpos"} : Strings{})) << c.name;
        if (c.changed) {
            EXPECT_TRUE(window.picture.viewports.setOnNextFrame) << c.name;
        }
    }
    EXPECT_EQ(ListOf(window.picture.viewports),
              (Viewports{{1280, 0, 1600, 1200}, {0, 176, 1280, 1024}}));
}

TEST_F(Desktop, ACursorMovedByChangedMonitorsIsNoMovementOfTheMouse) {
    host.monitors = {{0, 0, 1280, 1024}, {-1280, 0, 1280, 1024}};
    host.cursor = {-1000, 500};
    ASSERT_TRUE(StartFullScreen(host, window, store, errors));
    host.monitors = {{0, 0, 1280, 1024}};  // the left one removed; the cursor put on the primary
    host.cursor = {640, 512};
    EXPECT_FALSE(FullScreenMouseMove(host, window));
    EXPECT_EQ(host.window, (PixelRect{0, 0, 1280, 1024}));
    EXPECT_EQ(window.startCursorPos.x, 640);
    host.monitors = {{0, 0, 1600, 1200}};  // the notice: same rule
    host.cursor = {800, 600};
    EXPECT_TRUE(FullScreenDisplayChange(host, window));
    EXPECT_EQ(window.startCursorPos.y, 600);
    host.cursor = {811, 600};  // a real movement still ends it
    EXPECT_TRUE(FullScreenMouseMove(host, window));
    EXPECT_EQ(host.passwordChecks, 1);
}

TEST_F(Desktop, TheThresholdHoldsLeftOfAndAboveThePrimaryMonitor) {
    const ScreenPoint starts[] = {{-5, -5}, {-1900, 300}};
    for (const ScreenPoint start : starts) {
        window = {};
        host = {};
        host.monitors = {{0, 0, 1280, 1024}, {-1920, -100, 1920, 1080}};
        host.cursor = start;
        ASSERT_TRUE(StartFullScreen(host, window, store, errors));
        const struct {
            int dx, dy;
            bool ends;
        } moves[] = {{10, 10, false}, {-10, -10, false}, {10, -10, false},
                     {-11, 0, true},  {0, -11, true},    {11, 0, true}};
        for (const auto& m : moves) {
            host.cursor = {start.x + m.dx, start.y + m.dy};
            EXPECT_EQ(FullScreenMouseMove(host, window), m.ends)
                << start.x << "," << start.y << " " << m.dx;
            if (m.ends) host.terminated = false;
        }
        EXPECT_EQ(host.passwordChecks, 3);
    }
}

TEST(Dpi, ScalesAsMulDivDoes) {
    constexpr int32_t hi = std::numeric_limits<int32_t>::max(),
                      lo = std::numeric_limits<int32_t>::min();
    const struct {
        int32_t value, dpi, expected;
    } cases[] = {{100, 96, 100}, {100, 144, 150}, {13, 144, 20}, {-13, 144, -20}, {1, 144, 2},
                 {-1, 144, -2},  {1, 120, 1},     {3, 120, 4},   {430, 192, 860}, {17, 168, 30},
                 {100, 0, 100},  {100, -5, 100},  {hi, 192, hi}, {lo, 192, lo},   {0, 192, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(ScaleForDpi(c.value, c.dpi), c.expected) << c.value << "@" << c.dpi;
}

TEST(Dpi, TheSettingsLayoutScalesAndEveryControlStaysInside) {
    std::vector<ControlRect> controls = {kSaveButtonRect, kSiteButtonRect};
    for (const SettingInfo& s : kSettingsTable) {
        controls.push_back(s.rect);
        if (s.control == SettingControl::Slider) controls.push_back(s.labelRect);
    }
    for (int dpi : {96, 120, 144, 192, 240}) {
        const int width = ScaleForDpi(kSettingsWindowWidth, dpi);
        const int height = ScaleForDpi(kSettingsWindowHeight, dpi);
        for (const ControlRect& c : controls) {
            const ControlRect s = ScaleForDpi(c, dpi);
            if (dpi == 96) {
                EXPECT_TRUE(s.left == c.left && s.top == c.top && s.width == c.width &&
                            s.height == c.height);
            }
            EXPECT_GE(s.left, 0) << dpi;
            EXPECT_LE(s.left + s.width, width) << dpi;
            EXPECT_LE(s.top + s.height, height) << dpi;
            EXPECT_GE(s.height, c.height * dpi / 96) << dpi;  // text grows with the control
        }
    }
}

TEST(Monitors, ThePrimaryComesFirstAndTheOthersKeepTheirOrder) {
    const PixelRect a{0, 0, 1, 1}, b{1, 0, 1, 1}, c{2, 0, 1, 1};
    for (auto [primary, expected] : {std::pair<size_t, Monitors>{2, {c, a, b}},
                                     {1, {b, a, c}},
                                     {0, {a, b, c}},
                                     {3, {a, b, c}}}) {
        Monitors listed{a, b, c};
        PutPrimaryFirst(listed, primary);
        EXPECT_EQ(listed, expected) << primary;
    }
}

// Rows: size, available, fitted. Then the settings window with its frame
// (0x0: not told) and its controls at the fitted size.
TEST(Fit, ScaledDownToTheAvailableAreaKeepingItsProportions) {
    const PixelSize rows[][3] = {
        {{400, 430}, {1280, 720}, {400, 430}}, {{400, 430}, {400, 430}, {400, 430}},
        {{400, 430}, {632, 330}, {306, 330}},  {{400, 430}, {200, 1000}, {200, 215}},
        {{400, 430}, {0, 360}, {400, 430}},    {{1000, 1}, {10, 10}, {10, 1}}};
    for (const auto& r : rows)
        EXPECT_EQ(FitWithin(r[0], r[1]), r[2]) << r[1].width << "x" << r[1].height;
    EXPECT_EQ(SettingsClientSize({640, 360}, {}), (PixelSize{279, 300}));
    EXPECT_EQ(SettingsClientSize({640, 360}, {4, 26}), (PixelSize{310, 334}));
    EXPECT_EQ(SettingsClientSize({1920, 1080}, {}), (PixelSize{400, 430}));
    const ControlRect save = ScaleToSize(kSaveButtonRect, {400, 430}, {306, 330});
    EXPECT_TRUE(save.left == 8 && save.top == 292 && save.width == 80 && save.height == 13);
}

// The Windows window: rows of work area and DPI, its outer size; then where
// the Save button and the picture go, and where the window opens.
TEST(Fit, TheWindowsSettingsWindowFitsTheWorkAreaByTheSameRule) {
    const struct {
        PixelSize work;
        int dpi;
        PixelSize outer;
    } rows[] = {
        {{1024, 600}, 144, {558, 600}},
        {{1280, 1024}, 144, {600, 645}},
        {{1024, 600}, 96, {400, 430}},
        {{800, 480}, 192, {446, 480}},
    };
    for (const auto& r : rows) EXPECT_EQ(SettingsOuterSize(r.work, r.dpi), r.outer) << r.dpi;
    const auto rect = [](ControlRect c) { return PixelRect{c.left, c.top, c.width, c.height}; };
    EXPECT_EQ(rect(SettingsPlaced(kSaveButtonRect, {600, 645}, 144)),
              (PixelRect{17, 570, 158, 26}));
    EXPECT_EQ(rect(SettingsPlaced(kSaveButtonRect, {558, 600}, 144)),
              (PixelRect{15, 530, 146, 24}));
    const GlViewport picture = SettingsPictureViewport(558, 600, 144);
    EXPECT_TRUE(picture.y == 140 && picture.width == 558 && picture.height == 418) << picture.y;
    // Rows: centred x, y, outer width, height, work area x, y, width, height; the origin.
    const int32_t places[][10] = {
        {239, 22, 558, 600, 0, 0, 1024, 600, 239, 0},
        {239, 22, 558, 540, 0, 40, 1024, 560, 239, 40},
        {440, 297, 400, 430, 0, 0, 1280, 1024, 440, 297},  // where it always opened
        {100, 100, 2000, 900, 0, 0, 1280, 1024, 0, 100},
    };
    for (const auto& p : places) {
        const ScreenPoint at = SettingsOrigin({p[0], p[1]}, {p[2], p[3]}, {p[4], p[5], p[6], p[7]});
        EXPECT_TRUE(at.x == p[8] && at.y == p[9]) << at.x << "," << at.y;
    }
}
