// The preview's two threads racing for real: PreviewThread shows the window,
// stores the fixed settings and asks for repaints while the main thread paints
// as fast as it can, as the never-validated window makes it do. Built with
// ThreadSanitizer (scripts/test-sanitizers) this test proves the hand-over of
// the picture (settings and random state) race-free; in every build it checks
// the protocol's outcome.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "behaviour/preview_window.h"
#include "counting_gl.h"
#include "engine/animation.h"
#include "settings/settings.h"

using namespace zarvella;
using stress::Gl;

namespace {

// The platform side of the preview thread, as a fast stand-in: the sleeps are
// short so a test sees many rounds, and every call is counted.
class RacingHost : public PreviewLoopHost {
  public:
    std::atomic<int> shows{0};
    std::atomic<int> invalidates{0};
    std::atomic<int> sleeps{0};
    std::atomic<int> wrongSleeps{0};
    std::atomic<int> destroys{0};
    std::atomic<bool> showedBeforeSettings{false};

    explicit RacingHost(const PreviewRecord& preview) : preview_(preview) {}
    void ShowAndUpdate() override {
        showedBeforeSettings.store(!PreviewSettingsStored(preview_));
        ++shows;
    }
    void Invalidate() override { ++invalidates; }
    void Sleep(int milliseconds) override {
        if (milliseconds != kPreviewRepaintMs) ++wrongSleeps;
        ++sleeps;
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    void PostDestroy() override { ++destroys; }

  private:
    const PreviewRecord& preview_;
};

class PreviewRace : public ::testing::Test {
  protected:
    void SetUp() override {
        preview.settingsReady.store(false);
        preview.closeRequested.store(false);
        picture = {};
        picture.random.state = 1u;
        picture.animation = SeedAnimationState(picture.random);
    }
    void TearDown() override { SetUp(); }
    PreviewRecord preview;
    PictureRecord& picture = preview.picture;
    FrameHooks hooks;
};

// Frames painted while the preview thread starts: none uses the zero start
// values, every drawn frame is the preview's (six copies of Detail 10), and a
// close request ends the thread, which posts exactly one destroy.
TEST_F(PreviewRace, PaintsOnlyWithTheFixedSettingsAndEndsOnCloseRequest) {
    for (int round = 0; round < 25; ++round) {
        SetUp();
        RacingHost host(preview);
        std::thread previewThread([this, &host] { PreviewThread(host, preview); });

        int paints = 0, drawn = 0, wrongFrames = 0;
        bool closeAsked = false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (host.destroys.load() == 0 && std::chrono::steady_clock::now() < deadline) {
            stress::ResetGlCounts();
            PreviewPaint(preview, hooks);
            ++paints;
            if (Gl.clears == 0) {
                // Nothing at all before the settings are in place.
                if (Gl.calls != 0) ++wrongFrames;
                continue;
            }
            ++drawn;
            const bool previewFrame = picture.settings.Detail == 10 &&
                                      picture.settings.Segments == 5 && Gl.begins == 6 &&
                                      Gl.ends == 6 && Gl.pushes == Gl.pops &&
                                      Gl.vertices <= 6u * 9u * 10u * 3u && Gl.depth == 0;
            if (!previewFrame) ++wrongFrames;
            // A refused password check changes nothing; an accepted one closes.
            if (drawn == 40) PreviewKeyDown(preview, false);
            if (drawn == 80 && !closeAsked) {
                PreviewKeyDown(preview, true);
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
        EXPECT_GE(picture.settings.PictureKind, 1);
        EXPECT_LE(picture.settings.PictureKind, 9);
        EXPECT_EQ(picture.settings.Speed, 1);
        EXPECT_EQ(picture.settings.Brightness, 5);
        EXPECT_EQ(picture.settings.Size, 7);
        EXPECT_GT(paints, drawn - 1);
    }
}

}  // namespace
