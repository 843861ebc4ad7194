#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "behaviour/preview_window.h"
#include "engine/random.h"
#include "engine/render.h"
#include "settings/settings.h"
#include "tests/fakes/fakes.h"
#include "tests/gl/gl_recorder.h"

using namespace zarvella;
using Strings = std::vector<std::string>;

namespace {

class Preview : public ::testing::Test {
  protected:
    void SetUp() override {
        glrec::Clear();
        picture.animation = {0.4, 0.8, -0.6, 0.001, -0.002, 0.003};
    }
    void TearDown() override { glrec::Clear(); }
    fakes::FakePreviewHost host;
    PreviewRecord preview;
    PictureRecord& picture = preview.picture;
    FrameHooks hooks;
};

// A frame with the preview's settings: six copies at Size 7, 90 triangles each.
void ExpectPreviewFrames(size_t frames) {
    EXPECT_EQ(glrec::Count("glClear"), frames);
    EXPECT_EQ(glrec::Count("glRotatef"), 6 * frames);
    for (const glrec::Call& c : glrec::Calls()) {
        if (c.name == "glTranslatef") {
            ASSERT_EQ(c.args[2], -6.5);
        }
    }
    for (const glrec::Copy& copy : glrec::Copies()) ASSERT_EQ(copy.vertices.size(), 270u);
}

}  // namespace

TEST_F(Preview, FixedSettingsLeaveRandomPictureAlone) {
    picture.settings.RandomPicture = true;
    picture.random.state = 321;
    StorePreviewSettings(preview);
    fakes::ReferenceRandom r{321};
    const SaverSettingsRecord& s = picture.settings;
    EXPECT_EQ(s.Speed, 1);
    EXPECT_EQ(s.Brightness, 5);
    EXPECT_EQ(s.Size, 7);
    EXPECT_EQ(s.Segments, 5);
    EXPECT_EQ(s.Detail, 10);
    EXPECT_EQ(s.PictureKind, r.Next(9) + 1);
    EXPECT_TRUE(s.RandomPicture);
    EXPECT_TRUE(PreviewSettingsStored(preview));
}

TEST_F(Preview, ThreadShowsStoresThenAsksForRepaintsUntilCloseIsRequested) {
    bool storedAtShow = true;
    host.onShow = [&](int) {
        storedAtShow = PreviewSettingsStored(preview);
        PreviewPaint(preview, hooks);  // the painting that showing the window brings
    };
    host.onInvalidate = [&](int) { PreviewPaint(preview, hooks); };
    host.onSleep = [&](int n) {
        if (n == 2) PreviewKeyDown(preview, false);  // refused password: keep going
        if (n == 4) PreviewKeyDown(preview, true);
    };
    PreviewThread(host, preview);
    EXPECT_FALSE(storedAtShow);
    EXPECT_EQ(host.log, (Strings{"show", "invalidate", "sleep 40", "invalidate", "sleep 40",
                                 "invalidate", "sleep 40", "invalidate", "sleep 40", "destroy"}));
    ExpectPreviewFrames(4);  // none before the settings were stored
    EXPECT_GE(picture.settings.PictureKind, 1);
    EXPECT_LE(picture.settings.PictureKind, 9);
}

// The parent's process killed: no message comes, the window is simply gone.
TEST_F(Preview, ThreadEndsOnceTheWindowIsGone) {
    host.onSleep = [&](int n) { host.gone = n == 2; };
    PreviewThread(host, preview);
    EXPECT_EQ(host.log,
              (Strings{"show", "invalidate", "sleep 40", "invalidate", "sleep 40", "destroy"}));
}

TEST_F(Preview, TheLoopBodyRunsOnceWhenCloseIsAlreadyRequested) {
    PreviewKeyDown(preview, true);
    PreviewThread(host, preview);
    EXPECT_EQ(host.log, (Strings{"show", "invalidate", "sleep 40", "destroy"}));
}

TEST_F(Preview, PaintDrawsNothingBeforeTheSettingsAreStored) {
    PreviewPaint(preview, hooks);
    EXPECT_TRUE(glrec::Calls().empty());
    StorePreviewSettings(preview);
    PreviewPaint(preview, hooks);
    ExpectPreviewFrames(1);
}

// The real thread against frames on this thread: every frame drawn must see
// the fixed settings. Also the case for ThreadSanitizer.
TEST_F(Preview, ThreadRunsAlongsideMainThreadFrames) {
    std::atomic<int> invalidations{0};
    host.onInvalidate = [&](int) { invalidations.fetch_add(1); };
    host.onSleep = [](int) { std::this_thread::sleep_for(std::chrono::milliseconds(1)); };
    std::thread thread([&] { PreviewThread(host, preview); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    size_t frames = 0;
    int attempts = 0;
    while (frames < 20 && std::chrono::steady_clock::now() < deadline) {
        PreviewPaint(preview, hooks);
        ++attempts;
        frames = glrec::Count("glClear");
    }
    PreviewKeyDown(preview, true);
    thread.join();
    EXPECT_EQ(frames, 20u);
    EXPECT_GE(attempts, 20);
    EXPECT_GE(invalidations.load(), 1);
    EXPECT_EQ(host.log.back(), "destroy");
    ExpectPreviewFrames(frames);
}

TEST(PreviewStartRule, StandAloneChildOrEndAtOnce) {
    using Kind = PreviewStart::Kind;
    fakes::FakeParentHost host;
    host.windows[0x1234] = {152, 112};
    host.windows[0x1e3] = {1280, 1024};
    host.desktop = 0x1e3;  // a window of the screen's size, but no dialog's area
    host.windows[0x20] = host.windows[0x21] = {300, 200};
    host.targets[0x20].inputOnly = true;
    host.targets[0x21].otherScreen = true;
    const struct {
        const char* argument;
        Kind kind;
        int width, height;
        std::string error = "";
    } cases[] = {
        {"", Kind::StandAlone, kStandAloneWidth, kStandAloneHeight},
        {"0", Kind::StandAlone, kStandAloneWidth, kStandAloneHeight},
        {"junk", Kind::StandAlone, kStandAloneWidth, kStandAloneHeight},
        {"4660", Kind::Child, 152, 112},
        {"0x1234", Kind::Child, 152, 112},
        {"4661", Kind::EndAtOnce, kStandAloneWidth, kStandAloneHeight},
        {"0x1e3", Kind::EndAtOnce, kStandAloneWidth, kStandAloneHeight},
        {"0x20", Kind::Refuse, kStandAloneWidth, kStandAloneHeight,
         "zarvella: the X window 0x20 is an InputOnly window, which cannot be drawn into"},
        {"0x21", Kind::Refuse, kStandAloneWidth, kStandAloneHeight,
         "zarvella: the X window 0x21 is on another screen of the display than its default one"},
    };
    for (const auto& c : cases) {
        const PreviewStart start = DecidePreviewStart(c.argument, host);
        EXPECT_EQ(start.kind, c.kind) << c.argument;
        EXPECT_EQ(start.width, c.width) << c.argument;
        EXPECT_EQ(start.height, c.height) << c.argument;
        EXPECT_EQ(start.error, c.error) << c.argument;
    }
    EXPECT_EQ(host.asked, (std::vector<uint32_t>{0x1234, 0x1234, 0x1235, 0x20, 0x21}));
}
