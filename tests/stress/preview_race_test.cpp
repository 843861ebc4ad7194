// The preview's two threads racing for real: PreviewThread shows the window,
// stores the fixed settings and asks for repaints while the main thread paints
// as fast as it can, as the never-validated window makes it do. Built with
// ThreadSanitizer (scripts/test-sanitizers) these tests prove the shared
// values race-free; in every build they check the protocol's outcome.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "behaviour/preview_window.h"
#include "counting_gl.h"
#include "engine/animation.h"
#include "engine/random.h"
#include "settings/settings.h"

using namespace zarvella;
using stress::Gl;

namespace {

// The platform side of the preview thread, as a fast stand-in: the sleeps are
// short so a test sees many rounds, and every call is counted.
class RacingHost : public PreviewHost {
  public:
    std::atomic<int> shows{0};
    std::atomic<int> invalidates{0};
    std::atomic<int> sleeps{0};
    std::atomic<int> wrongSleeps{0};
    std::atomic<int> destroys{0};
    std::atomic<bool> showedBeforeSettings{false};

    void ShowAndUpdate() override {
        showedBeforeSettings.store(!PreviewSettingsStored());
        ++shows;
    }
    void Invalidate() override { ++invalidates; }
    void Sleep(int milliseconds) override {
        if (milliseconds != kPreviewRepaintMs) ++wrongSleeps;
        ++sleeps;
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    void PostDestroy() override { ++destroys; }
};

class PreviewRace : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProcessState();
        SeedRandomWith(1u);
        SaverPicture.animation = SeedAnimationState();
    }
    void TearDown() override { ResetProcessState(); }
};

// Frames painted while the preview thread starts: none uses the zero start
// values, every drawn frame is the preview's (six copies of Detail 10), and a
// close request ends the thread, which posts exactly one destroy.
TEST_F(PreviewRace, PaintsOnlyWithTheFixedSettingsAndEndsOnCloseRequest) {
    for (int round = 0; round < 25; ++round) {
        SetUp();
        RacingHost host;
        std::thread previewThread([&host] { PreviewThread(host); });

        int paints = 0, drawn = 0, wrongFrames = 0;
        bool closeAsked = false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (host.destroys.load() == 0 && std::chrono::steady_clock::now() < deadline) {
            stress::ResetGlCounts();
            PreviewPaint();
            ++paints;
            if (Gl.clears == 0) {
                // Nothing at all before the settings are in place.
                if (Gl.calls != 0) ++wrongFrames;
                continue;
            }
            ++drawn;
            const bool previewFrame = SaverPicture.settings.Detail == 10 &&
                                      SaverPicture.settings.Segments == 5 && Gl.begins == 6 &&
                                      Gl.ends == 6 && Gl.pushes == Gl.pops &&
                                      Gl.vertices <= 6u * 9u * 10u * 3u && Gl.depth == 0;
            if (!previewFrame) ++wrongFrames;
            // A refused password check changes nothing; an accepted one closes.
            if (drawn == 40) PreviewKeyDown(false);
            if (drawn == 80 && !closeAsked) {
                PreviewKeyDown(true);
                closeAsked = true;
            }
        }
        previewThread.join();

        ASSERT_TRUE(closeAsked) << "round " << round << ": only " << drawn << " frames drawn";
        EXPECT_EQ(wrongFrames, 0) << "round " << round;
        EXPECT_EQ(host.destroys.load(), 1) << "round " << round;
        EXPECT_EQ(host.shows.load(), 1);
        EXPECT_TRUE(host.showedBeforeSettings.load())
            << "settings stored before the window was shown";
        EXPECT_EQ(host.wrongSleeps.load(), 0);
        EXPECT_EQ(host.invalidates.load(), host.sleeps.load());
        EXPECT_GE(SaverPicture.settings.PictureKind, 1);
        EXPECT_LE(SaverPicture.settings.PictureKind, 9);
        EXPECT_EQ(SaverPicture.settings.Speed, 1);
        EXPECT_EQ(SaverPicture.settings.Brightness, 5);
        EXPECT_EQ(SaverPicture.settings.Size, 7);
        EXPECT_GT(paints, drawn - 1);
    }
}

// The one generator is drawn from by both threads (the preview thread seeds it
// and picks the kind while the main thread's frames draw new drifts): every
// draw stays in range and none is lost or torn.
TEST_F(PreviewRace, GeneratorSharedByBothThreadsStaysInRangeAndLosesNoDraw) {
    constexpr int kDraws = 200000;
    SeedRandomWith(7u);
    std::atomic<int> outOfRange{0};
    auto drawMany = [&outOfRange](int32_t n) {
        for (int i = 0; i < kDraws; ++i) {
            const int32_t r = RandomInt(n);
            if (r < 0 || r >= n) ++outOfRange;
        }
    };
    std::thread other([&] { drawMany(9); });
    drawMany(1000);
    other.join();
    EXPECT_EQ(outOfRange.load(), 0);

    // Both threads' draws together advanced the state exactly 2 * kDraws steps.
    uint32_t expected = 7u;
    for (int i = 0; i < 2 * kDraws; ++i) expected = expected * 134775813u + 1u;
    EXPECT_EQ(RandomState(), expected);
}

// Reseeding from the clock on one thread while the other draws: nothing torn,
// the state afterwards is a value the generator can reach from the seed.
TEST_F(PreviewRace, ReseedingWhileTheMainThreadDrawsIsRaceFree) {
    std::atomic<bool> stop{false};
    std::atomic<int> outOfRange{0};
    std::thread previewSide([&] {
        while (!stop.load()) {
            SeedRandom();
            if (const int32_t kind = RandomInt(9) + 1; kind < 1 || kind > 9) ++outOfRange;
        }
    });
    for (int f = 0; f < 2000; ++f) {
        SaverPicture.animation.Drift1 = SaverPicture.animation.Drift2 =
            SaverPicture.animation.Drift3 = 0;
        SaverPicture.animation = AdvancePhases(
            SaverPicture.animation, SaverPicture.settings.Speed);  // draws three new drifts
        if (std::abs(SaverPicture.animation.Drift1) > 0.01) ++outOfRange;
    }
    stop.store(true);
    previewSide.join();
    EXPECT_EQ(outOfRange.load(), 0);
}

}  // namespace
