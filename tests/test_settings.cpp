#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "behaviour/preview_window.h"
#include "behaviour/settings_window.h"
#include "behaviour/window_place.h"
#include "engine/picture.h"
#include "engine/random.h"
#include "settings/settings.h"
#include "tests/fakes/fakes.h"

using namespace zarvella;
using fakes::MemoryStore;
using fakes::RecordingErrors;
using Strings = std::vector<std::string>;

namespace {

class Settings : public ::testing::Test {
  protected:
    // LoadSettings into `s`; false when a value could not be read.
    bool Load() {
        const LoadedSettings loaded = LoadSettings(store, errors);
        s = loaded.settings;
        return loaded.Complete();
    }
    MemoryStore store;
    RecordingErrors errors;
    SaverSettingsRecord s;
    RandomRecord random;
};

const Strings kDefaultWrites = {"Fast=10",  "Bright=9", "Size=7", "Satiation=5",
                                "Color=10", "Alpha=1",  "Rands=0"};

void ExpectDefaults(const SaverSettingsRecord& s) {
    EXPECT_EQ(s.Speed, 10);
    EXPECT_EQ(s.Brightness, 9);
    EXPECT_EQ(s.Size, 7);
    EXPECT_EQ(s.Segments, 5);
    EXPECT_EQ(s.Detail, 10);
    EXPECT_EQ(s.PictureKind, 1);
    EXPECT_FALSE(s.RandomPicture);
}

}  // namespace

TEST_F(Settings, FirstRunOnAMissingKeyWritesTheDefaultsInOrder) {
    ASSERT_TRUE(Load());
    ExpectDefaults(s);
    EXPECT_EQ(store.log.front(), "open");
    EXPECT_EQ(store.log[1], "create");
    EXPECT_EQ(store.Writes(), kDefaultWrites);
    EXPECT_EQ(store.log.back(), "close");
    EXPECT_EQ(store.openHandles, 0);
    EXPECT_TRUE(errors.messages.empty());
}

TEST_F(Settings, SixZeroIntegersAreAFirstRunWhateverRandsHolds) {
    store.SetAll(0, 0, 0, 0, 0, 0, 1);
    ASSERT_TRUE(Load());
    ExpectDefaults(s);
    EXPECT_EQ(store.Writes(), kDefaultWrites);
    EXPECT_EQ(store.values["Rands"].data, 0u);
    EXPECT_EQ(store.openHandles, 0);
}

TEST_F(Settings, StoredValuesAreLoadedAsTheyAreWithoutWriting) {
    store.SetAll(0xFFFFFFFBu, 0, 40, 99, 40, 3, 2);  // one non-zero integer: no first run
    ASSERT_TRUE(Load());
    EXPECT_EQ(s.Speed, -5);
    EXPECT_EQ(s.Brightness, 0);
    EXPECT_EQ(s.Size, 40);
    EXPECT_EQ(s.Segments, 99);
    EXPECT_EQ(s.Detail, 40);
    EXPECT_EQ(s.PictureKind, 3);
    EXPECT_TRUE(s.RandomPicture);  // any non-zero value means on
    EXPECT_EQ(store.log, (Strings{"open", "read Fast", "read Bright", "read Size", "read Satiation",
                                  "read Color", "read Alpha", "read Rands", "close"}));
    EXPECT_TRUE(errors.messages.empty());
}

TEST_F(Settings, LoadStopsAtTheFirstUnreadableValueWhichAndTheRestKeepTheirDefaults) {
    const struct {
        MemoryStore::Kind kind;
        const char* format;
    } failures[] = {{MemoryStore::Kind::TooLong, "Failed to get data for '%s'"},
                    {MemoryStore::Kind::OtherType, "Invalid data type for '%s'"}};
    for (const auto& failure : failures) {
        for (int bad = 0; bad < 8; ++bad) {  // 7: the value is missing altogether
            const int index = bad % 7;
            store = MemoryStore();
            errors.messages.clear();
            store.SetAll(11, 12, 13, 14, 15, 16, 1);
            if (bad == 7)
                store.values.erase("Fast");
            else
                store.values[kSettingsTable[index].storedName].kind = failure.kind;
            const SaverSettingsRecord before{77, 77, 77, 77, 77, 77, false};
            s = before;

            EXPECT_FALSE(Load());
            const std::string name = kSettingsTable[index].storedName;
            std::string expected = bad == 7 ? "Failed to get data for '%s'" : failure.format;
            expected.replace(expected.find("%s"), 2, name);
            EXPECT_EQ(errors.messages, Strings{expected});
            for (int k = 0; k < 7; ++k) {
                const SettingInfo& info = kSettingsTable[k];
                EXPECT_EQ(SettingValue(info, s),
                          k < index ? 11 + k - (k == 6 ? 16 : 0) : info.defaultValue)
                    << name << " " << k;
            }
            EXPECT_TRUE(store.Writes().empty());
            EXPECT_EQ(store.log.back(), "close");
            EXPECT_EQ(store.openHandles, 0);

            // A save then stores what was read and the defaults, never a 0
            // nobody chose.
            ASSERT_TRUE(SaveSettings(s, store, errors));
            for (int k = 0; k < 7; ++k)
                EXPECT_EQ(store.values[kSettingsTable[k].storedName].data,
                          static_cast<uint32_t>(SettingValue(kSettingsTable[k], s)));
        }
    }
}

TEST_F(Settings, AKeyThatCannotBeCreatedLeavesTheDefaultsSilently) {
    store.canCreate = false;
    EXPECT_TRUE(Load());
    ExpectDefaults(s);
    EXPECT_TRUE(store.Writes().empty());
    EXPECT_TRUE(errors.messages.empty());
    EXPECT_EQ(store.openHandles, 0);
}

TEST_F(Settings, AFailedFirstRunWriteIsReportedButTheDefaultsAreUsed) {
    store.failingWrites = {"Size"};
    EXPECT_TRUE(Load());
    ExpectDefaults(s);
    EXPECT_EQ(errors.messages, Strings{"Failed to set data for 'Size'"});
    EXPECT_EQ(store.log.back(), "close");
    EXPECT_EQ(store.openHandles, 0);
}

TEST_F(Settings, SaveWritesAllSevenValuesEvenWhenOneChanged) {
    store.SetAll(10, 9, 7, 5, 10, 1, 0);
    ASSERT_TRUE(Load());
    s.Detail = 30;
    s.RandomPicture = true;
    store.log.clear();
    EXPECT_TRUE(SaveSettings(s, store, errors));
    EXPECT_EQ(store.log, (Strings{"create", "write Fast=10", "write Bright=9", "write Size=7",
                                  "write Satiation=5", "write Color=30", "write Alpha=1",
                                  "write Rands=1", "flush", "close"}));
    s.Speed = -5;
    store.log.clear();
    EXPECT_TRUE(SaveSettings(s, store, errors));
    EXPECT_EQ(store.Writes().front(), "Fast=4294967291");
    EXPECT_TRUE(errors.messages.empty());

    MemoryStore fresh;  // a missing key is created
    EXPECT_TRUE(SaveSettings(s, fresh, errors));
    EXPECT_EQ(fresh.Writes().size(), 7u);
    EXPECT_EQ(fresh.openHandles, 0);

    // "Save Settings" is the same save, told to the store as the user's own.
    store.log.clear();
    EXPECT_TRUE(SaveSettingsForUser(s, store, errors));
    EXPECT_EQ(store.log.front(), "user save");
    EXPECT_EQ(store.log.size(), 12u);
    EXPECT_EQ(store.log[store.log.size() - 2], "close");
    EXPECT_EQ(store.log.back(), "user save ends");
}

TEST_F(Settings, EverySaveFailureIsReported) {
    s = kDefaultSettings;
    store.failingWrites = {"Rands"};
    EXPECT_FALSE(SaveSettings(s, store, errors));
    EXPECT_EQ(errors.messages, Strings{"Failed to set data for 'Rands'"});
    EXPECT_EQ(store.openHandles, 0);

    // A store that keeps the values until the flush stored none of them.
    MemoryStore buffered;
    buffered.flushFails = true;
    errors.messages.clear();
    EXPECT_FALSE(SaveSettings(s, buffered, errors));
    EXPECT_EQ(errors.messages, Strings{"Failed to set data for 'Fast'"});
    EXPECT_EQ(buffered.log.back(), "close");

    MemoryStore locked;
    locked.canCreate = false;
    errors.messages.clear();
    EXPECT_FALSE(SaveSettings(s, locked, errors));
    EXPECT_EQ(errors.messages, Strings{"Failed to set data for 'Fast'"});
    EXPECT_TRUE(locked.Writes().empty());
}

TEST_F(Settings, RandomPictureIsOneToNineAndNeverTen) {
    std::set<int32_t> seen;
    for (uint32_t seed = 0; seed < 20000; ++seed) {
        s.PictureKind = 10;
        s.RandomPicture = true;
        random.state = seed * 4321u;
        ChooseRandomPicture(s, random);
        fakes::ReferenceRandom r{seed * 4321u};
        ASSERT_EQ(s.PictureKind, r.Next(9) + 1);
        seen.insert(s.PictureKind);
    }
    EXPECT_EQ(seen, (std::set<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}));

    s.PictureKind = 3;
    s.RandomPicture = false;
    random.state = 42;
    ChooseRandomPicture(s, random);
    EXPECT_EQ(s.PictureKind, 3);
    EXPECT_EQ(random.state, 42u);  // no draw
}
