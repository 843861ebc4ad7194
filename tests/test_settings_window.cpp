#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "behaviour/preview_window.h"
#include "behaviour/settings_window.h"
#include "behaviour/window_place.h"
#include "engine/animation.h"
#include "tests/fakes/fakes.h"

using namespace zarvella;
using Strings = std::vector<std::string>;

namespace {

class SettingsWindow : public ::testing::Test {
  protected:
    PictureRecord picture;
    fakes::FakeSettingsHost host;
    fakes::MemoryStore store;
    fakes::RecordingErrors errors;
    SaverSettingsRecord& s = picture.settings;
};

}  // namespace

TEST_F(SettingsWindow, StoredValuesAreClampedAndOnlyMovedSlidersRunTheirHandlers) {
    s = {-5, 0, 5, 11, 40, 0, false};
    PutSettingsIntoControls(host, s);
    EXPECT_EQ(host.log, (Strings{"speed=0", "segments=10", "detail=30"}));
    EXPECT_EQ(s.Speed, 0);       // below the minimum, slider moved from 1: handler ran
    EXPECT_EQ(s.Brightness, 0);  // below the minimum 1 = layout position: slider not moved
    EXPECT_EQ(host.positions[1], 1);
    EXPECT_EQ(s.Size, 5);  // equals the layout position: no handler
    EXPECT_EQ(s.Segments, 10);
    EXPECT_EQ(s.Detail, 30);
    EXPECT_EQ(s.PictureKind, 0);
    EXPECT_EQ(host.positions[5], 1);
    EXPECT_FALSE(host.checkBox);

    fakes::FakeSettingsHost other;
    s = {50, 15, -3, 0, 1, 11, true};
    PutSettingsIntoControls(other, s);
    EXPECT_EQ(other.log, (Strings{"speed=50", "brightness=15", "size=0", "segments=0", "kind=10",
                                  "random=on"}));
    EXPECT_EQ(s.Size, 0);
    EXPECT_EQ(s.PictureKind, 10);
    EXPECT_EQ(s.Speed, 50);
    EXPECT_TRUE(s.RandomPicture);
    EXPECT_TRUE(other.checkBox);
}

TEST_F(SettingsWindow, HandlersCopyPositionsIntoTheirSettings) {
    int32_t SaverSettingsRecord::*fields[6] = {
        &SaverSettingsRecord::Speed,  &SaverSettingsRecord::Brightness,
        &SaverSettingsRecord::Size,   &SaverSettingsRecord::Segments,
        &SaverSettingsRecord::Detail, &SaverSettingsRecord::PictureKind};
    for (int row = 0; row < 6; ++row) {
        s = {};
        SliderChange(s, row, 8 + row);
        for (int k = 0; k < 6; ++k) EXPECT_EQ(s.*fields[k], k == row ? 8 + row : 0);
    }
    s = {};
    SliderChange(s, -1, 5);
    SliderChange(s, 6, 5);
    EXPECT_EQ(s.Speed, 0);
    EXPECT_EQ(s.PictureKind, 0);

    s.PictureKind = 4;
    CheckBoxClick(s, kRandomPictureRow, true);
    EXPECT_TRUE(s.RandomPicture);
    EXPECT_EQ(s.PictureKind, 4);  // the random choice waits for the next start
    CheckBoxClick(s, kRandomPictureRow, false);
    EXPECT_FALSE(s.RandomPicture);
}

TEST_F(SettingsWindow, StartLoadsPicksFillsSizesAttachesAndSeeds) {
    store.SetAll(10, 9, 7, 5, 40, 10, 1);
    ASSERT_TRUE(StartSettingsWindow(host, picture, store, errors));
    EXPECT_GE(s.PictureKind, 1);
    EXPECT_LE(s.PictureKind, 9);
    EXPECT_EQ(s.Detail, 30);
    EXPECT_EQ(host.positions[5], s.PictureKind);
    ASSERT_GE(host.log.size(), 4u);
    EXPECT_EQ(host.log[host.log.size() - 3], "random=on");
    EXPECT_EQ(host.log[host.log.size() - 2], "size");
    EXPECT_EQ(host.log.back(), "context");

    // Save Settings afterwards stores the clamped 30.
    fakes::MemoryStore saved;
    ASSERT_TRUE(SaveSettings(s, saved, errors));
    EXPECT_EQ(saved.values["Color"].data, 30u);
    EXPECT_TRUE(errors.messages.empty());

    // Without a context the failure is shown; the controls are filled all the same.
    host.log.clear();
    host.contextFailure = "wglCreateContext failed";
    ASSERT_TRUE(StartSettingsWindow(host, picture, store, errors));
    EXPECT_EQ(errors.messages, Strings{"OpenGL could not be started: wglCreateContext failed"});
    EXPECT_EQ(host.log.back(), "context");
}

TEST_F(SettingsWindow, AfterALoadErrorTheSlidersShowWhatASaveWouldStore) {
    store.SetAll(40, 9, 7, 5, 10, 1, 0);
    store.values["Color"].kind = fakes::MemoryStore::Kind::OtherType;  // "Color"="40"
    EXPECT_FALSE(StartSettingsWindow(host, picture, store, errors));
    EXPECT_EQ(errors.messages, Strings{"Invalid data type for 'Color'"});
    EXPECT_EQ(host.positions[0], 40);
    EXPECT_EQ(host.positions[4], kDefaultSettings.Detail);
    EXPECT_EQ(host.positions[5], kDefaultSettings.PictureKind);
    EXPECT_EQ(host.log.back(), "context");
    EXPECT_NE(picture.animation.Drift1, 0.0);

    ASSERT_TRUE(SaveSettings(s, store, errors));
    EXPECT_EQ(store.values["Color"].data, 10u);
    EXPECT_EQ(store.values["Alpha"].data, 1u);
}

TEST(SettingsKeys, OnlyEscEndsTheWindowAndThePreviewPassesAltKeysOn) {
    EXPECT_TRUE(SettingsKeyEndsWindow(SaverKey::Escape));
    EXPECT_FALSE(SettingsKeyEndsWindow(SaverKey::Other));
    EXPECT_TRUE(PreviewTakesKey(false));
    EXPECT_FALSE(PreviewTakesKey(true));
}

TEST(SettingsOwner, AHandleOfAnExistingWindowElseNone) {
    const auto windowExists = [](uint32_t handle) { return handle == 4711 || handle == 16; };
    EXPECT_EQ(DecideSettingsOwner("4711", windowExists), 4711u);
    EXPECT_EQ(DecideSettingsOwner("$10", windowExists), 16u);
    for (const char* none : {"", "4712", "0", "12ab", " "}) {
        EXPECT_EQ(DecideSettingsOwner(none, windowExists), 0u) << '"' << none << '"';
    }
}

TEST_F(SettingsWindow, CentredOriginRoundsHalvesToEven) {
    EXPECT_EQ(CentredOrigin(1280, 400), 440);
    EXPECT_EQ(CentredOrigin(1025, 400), 312);  // 312.5
    EXPECT_EQ(CentredOrigin(1027, 400), 314);  // 313.5
    EXPECT_EQ(CentredOrigin(1366, 400), 483);
    EXPECT_EQ(CentredOrigin(400, 400), 0);
    EXPECT_EQ(CentredOrigin(399, 400), 0);   // -0.5
    EXPECT_EQ(CentredOrigin(397, 400), -2);  // -1.5
    EXPECT_EQ(CentredOrigin(395, 400), -2);  // -2.5
}
