#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/frame_rate.h"

using namespace zarvella;

namespace {
// Frames every 40 ms from `start`, the last one closing the second.
std::vector<double> OneSecondAt25(double start) {
    std::vector<double> ticks;
    for (int i = 0; i <= 25; ++i) ticks.push_back(start + i * 0.04);
    return ticks;
}
std::vector<double> Then(std::vector<double> ticks, std::vector<double> more) {
    ticks.insert(ticks.end(), more.begin(), more.end());
    return ticks;
}
}  // namespace

TEST(FrameRate, CountsTheFramesOfEachCompletedSecond) {
    const struct {
        const char* what;
        std::vector<double> ticks;
        double rate;
    } cases[] = {
        {"no frame yet", {}, 0},
        {"within the first second", {0, 0.04, 0.5, 0.99}, 0},
        {"25 frames, then the one that closes the second", OneSecondAt25(0), 25},
        {"from the first frame, however late", OneSecondAt25(5000.5), 25},
        {"3 frames in the next second", Then(OneSecondAt25(0), {1.3, 1.6, 2.0}), 3},
        {"the rate holds until the next second ends", Then(OneSecondAt25(0), {1.3, 1.6}), 25},
        {"a frame every 2.5 s", {10, 12.5, 15}, 0.4},
    };
    for (const auto& c : cases) {
        FrameRateRecord meter;
        for (double t : c.ticks) CountFrame(meter, t);
        EXPECT_NEAR(meter.rate, c.rate, 1e-9) << c.what;
    }
}

// Locales with a decimal comma, built from the system's sources.
TEST(FrameRate, TextIsTheSameInEveryLocale) {
    const std::string built = testing::TempDir() + "locales",
                      saved = std::setlocale(LC_ALL, nullptr);
    setenv("LOCPATH", built.c_str(), 1);
    for (const std::string name : {"de_DE", "tr_TR"}) {
        std::system(("mkdir -p " + built + " && localedef -i " + name + " -f UTF-8 " + built + "/" +
                     name + ".UTF-8 2>/dev/null")
                        .c_str());
        ASSERT_TRUE(std::setlocale(LC_ALL, (name + ".UTF-8").c_str())) << name;
        EXPECT_EQ(FrameRateText(25), "FPS: 25.0") << name;
        EXPECT_EQ(FrameRateText(59.96), "FPS: 60.0") << name;
        EXPECT_EQ(FrameRateText(0.25), "FPS: 0.3") << name;  // halves up
        EXPECT_EQ(FrameRateText(NAN), "FPS: 0.0") << name;
    }
    std::setlocale(LC_ALL, saved.c_str());
    unsetenv("LOCPATH");
}
