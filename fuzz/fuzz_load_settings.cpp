// LoadSettings and SaveSettings over a store whose every answer comes from the
// fuzzer: whether the key opens or can be created, each value's type (a
// 32-bit number, missing or too long, another type) and contents, and whether
// each write succeeds. The outcome is checked against a plain model of the
// rules; then the loaded values are drawn as the full-screen saver uses them,
// put into the settings window's sliders and drawn again, on the counting GL,
// with the grid cells outside the walk poisoned.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "counting_gl.h"
#include "engine/animation.h"
#include "engine/fpu.h"
#include "engine/random.h"
#include "engine/render.h"
#include "frame_checks.h"
#include "settings/settings.h"
#include "settings/settings_window.h"
#include "shell/settings_form.h"

using namespace zarvella;

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "settings: %s %s\n", what, detail.c_str());
    std::abort();
}

void Require(bool ok, const char* what, const std::string& detail = {}) {
    if (!ok) Fail(what, detail);
}

struct StoredValue {
    ReadResult result;
    uint32_t value;
};

// Everything the store will answer, decided up front from the input.
struct Script {
    bool keyOpens;    // OpenKey(false)
    bool keyCreates;  // OpenKey(true)
    std::array<StoredValue, 7> values;
    std::array<bool, 7> writeFails;
};

class ScriptedStore : public SettingsStore {
  public:
    explicit ScriptedStore(const Script& s) : script(s) {}
    bool OpenKey(bool create) override {
        Require(!open, "key opened twice");
        open = create ? script.keyCreates : script.keyOpens;
        calls.push_back(create ? "open+create" : "open");
        return open;
    }
    ReadResult ReadValue(const char* name, uint32_t& value) override {
        Require(open, "read with the key closed");
        calls.push_back(std::string("read ") + name);
        const int i = Index(name);
        const StoredValue& v = script.values[i];
        // The value is only filled for a 32-bit number; otherwise it is garbage
        // the loader must not use.
        value = v.result == ReadResult::Ok ? v.value : 0xDEADBEEFu;
        return v.result;
    }
    bool WriteValue(const char* name, uint32_t value) override {
        Require(open, "write with the key closed");
        calls.push_back(std::string("write ") + name + "=" + std::to_string(value));
        return !script.writeFails[Index(name)];
    }
    void CloseKey() override {
        Require(open, "close without an open key");
        open = false;
        calls.push_back("close");
    }
    static int Index(const char* name) {
        for (int i = 0; i < 7; ++i)
            if (std::strcmp(name, kSettingsTable[i].storedName) == 0) return i;
        Fail("unknown value name", name);
    }

    const Script& script;
    bool open = false;
    std::vector<std::string> calls;
};

class CapturedErrors : public ErrorSink {
  public:
    void ShowError(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

std::string Join(const std::vector<std::string>& v) {
    std::string s;
    for (const std::string& x : v) s += x + "; ";
    return s;
}

int32_t SaverSettingsRecord::*const kFields[6] = {
    &SaverSettingsRecord::Speed,  &SaverSettingsRecord::Brightness,
    &SaverSettingsRecord::Size,   &SaverSettingsRecord::Segments,
    &SaverSettingsRecord::Detail, &SaverSettingsRecord::PictureKind};

struct Expected {
    bool result;
    SaverSettingsRecord settings;
    std::vector<std::string> calls;
    std::vector<std::string> errors;
};

void ModelWrites(const Script& s, const SaverSettingsRecord& r, Expected& e) {
    for (int i = 0; i < 7; ++i) {
        const uint32_t v =
            i < 6 ? static_cast<uint32_t>(r.*kFields[i]) : (r.RandomPicture ? 1u : 0u);
        e.calls.push_back(std::string("write ") + kSettingsTable[i].storedName + "=" +
                          std::to_string(v));
        if (s.writeFails[i]) {
            e.errors.push_back(FailedToSetData(kSettingsTable[i].storedName));
            return;
        }
    }
}

// The loading rules, written out plainly.
Expected ModelLoad(const Script& s, const SaverSettingsRecord& before) {
    Expected e{true, before, {}, {}};
    e.calls.push_back("open");
    if (s.keyOpens) {
        for (int i = 0; i < 7; ++i) {
            e.calls.push_back(std::string("read ") + kSettingsTable[i].storedName);
            const StoredValue& v = s.values[i];
            if (v.result != ReadResult::Ok) {
                e.errors.push_back(v.result == ReadResult::Missing
                                       ? FailedToGetData(kSettingsTable[i].storedName)
                                       : InvalidDataType(kSettingsTable[i].storedName));
                e.calls.push_back("close");
                e.result = false;
                // This value and the ones after it keep their first-run values.
                const int32_t defaults[7] = {10, 9, 7, 5, 10, 1, 0};
                for (int k = i; k < 7; ++k) {
                    if (k < 6)
                        e.settings.*kFields[k] = defaults[k];
                    else
                        e.settings.RandomPicture = false;
                }
                return e;
            }
            if (i < 6)
                e.settings.*kFields[i] = static_cast<int32_t>(v.value);
            else
                e.settings.RandomPicture = v.value != 0;
        }
        e.calls.push_back("close");
    }
    const SaverSettingsRecord& r = e.settings;
    if (r.Speed == 0 && r.Brightness == 0 && r.Size == 0 && r.Segments == 0 && r.Detail == 0 &&
        r.PictureKind == 0) {
        e.settings = kDefaultSettings;
        e.calls.push_back("open+create");
        if (s.keyCreates) {
            ModelWrites(s, e.settings, e);
            e.calls.push_back("close");
        }
    }
    return e;
}

bool SameSettings(const SaverSettingsRecord& a, const SaverSettingsRecord& b) {
    for (auto f : kFields)
        if (a.*f != b.*f) return false;
    return a.RandomPicture == b.RandomPicture;
}

std::string Show(const SaverSettingsRecord& r) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "{%d %d %d %d %d %d %d}", r.Speed, r.Brightness, r.Size,
                  r.Segments, r.Detail, r.PictureKind, r.RandomPicture ? 1 : 0);
    return buf;
}

// The settings window's platform side: sliders that only move when told.
class FakeSettingsWindow : public SettingsWindowHost {
  public:
    FakeSettingsWindow() {
        for (int t = 0; t < 6; ++t) positions[t] = kSettingsTable[t].layoutPosition;
    }
    int TrackBarPosition(int track) override { return positions[Track(track)]; }
    void SetTrackBarPosition(int track, int position) override {
        const SettingInfo& info = kSettingsTable[Track(track)];
        Require(position >= info.min && position <= info.max, "slider set outside its range");
        positions[Track(track)] = position;
    }
    void SetCheckBox(bool checked) override { checkBox = checked; }
    void SizeAndCentre() override { ++sized; }
    void AttachContext() override {
        SetupWindowGL(GlVariant::Settings, kSettingsWindowWidth, kSettingsWindowHeight);
    }
    static int Track(int track) {
        Require(track >= 1 && track <= 6, "slider number out of range");
        return track - 1;
    }
    int positions[6];
    bool checkBox = false;
    int sized = 0;
};

void DrawFrames(int count) {
    const SaverSettingsRecord kept = SaverSettings;
    ResetProcessState();
    SaverSettings = kept;
    const int32_t detail = FrameDetail();
    stress::PoisonOutsideWalk(detail);
    SeedAnimationState();
    for (int f = 0; f < count; ++f) {
        stress::ResetGlCounts();
        RenderFrame();
        if (const char* fault = stress::FrameFault())
            Fail("unsound frame:", std::string(fault) + " " + Show(SaverSettings));
    }
    Require(stress::PoisonedCellsChanged(detail) == 0, "frame wrote outside the walk",
            Show(SaverSettings));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool masked = (MaskFloatingPointExceptions(), true);
    (void)masked;
    FuzzedDataProvider in(data, size);

    Script script{};
    script.keyOpens = in.ConsumeBool();
    script.keyCreates = in.ConsumeBool();
    for (int i = 0; i < 7; ++i) {
        const uint8_t kind = in.ConsumeIntegral<uint8_t>();
        script.values[i].result = kind % 8 == 6   ? ReadResult::Missing
                                  : kind % 8 == 7 ? ReadResult::OtherType
                                                  : ReadResult::Ok;
        // Mostly small numbers around the sliders, sometimes anything at all.
        script.values[i].value =
            (kind & 0x80) ? in.ConsumeIntegral<uint32_t>()
                          : static_cast<uint32_t>(in.ConsumeIntegralInRange<int32_t>(-3, 60));
        script.writeFails[i] = (kind & 0x48) == 0x48;
    }
    // The record usually starts at zero, as at process start.
    SaverSettingsRecord before{};
    if (in.ConsumeBool()) {
        for (auto f : kFields) before.*f = in.ConsumeIntegral<int32_t>();
        before.RandomPicture = in.ConsumeBool();
    }

    // Loading.
    SaverSettings = before;
    ScriptedStore store(script);
    CapturedErrors errors;
    const bool loaded = LoadSettings(store, errors);
    const Expected want = ModelLoad(script, before);
    Require(!store.open, "key left open after loading");
    Require(loaded == want.result, "LoadSettings result");
    Require(store.calls == want.calls, "store calls",
            "got: " + Join(store.calls) + " want: " + Join(want.calls));
    Require(errors.shown == want.errors, "messages",
            "got: " + Join(errors.shown) + " want: " + Join(want.errors));
    Require(SameSettings(SaverSettings, want.settings), "settings",
            "got " + Show(SaverSettings) + " want " + Show(want.settings));
    if (loaded && script.keyOpens) {
        // On success all seven values were read, in stored order.
        int reads = 0;
        for (const std::string& c : store.calls) reads += c.rfind("read ", 0) == 0;
        Require(reads == 7, "not all seven values read");
    }

    // Saving writes all seven in order, and reports the first failure by name.
    {
        ScriptedStore saveStore(script);
        CapturedErrors saveErrors;
        const bool saved = SaveSettings(saveStore, saveErrors);
        Expected w{true, SaverSettings, {"open+create"}, {}};
        if (script.keyCreates) {
            ModelWrites(script, SaverSettings, w);
            w.calls.push_back("close");
        } else {
            w.errors.push_back(FailedToSetData("Fast"));
        }
        Require(!saveStore.open, "key left open after saving");
        Require(saveStore.calls == w.calls, "save calls",
                Join(saveStore.calls) + " want " + Join(w.calls));
        Require(saveErrors.shown == w.errors, "save messages", Join(saveErrors.shown));
        Require(saved == (script.keyCreates && w.errors.empty()), "SaveSettings result");
    }

    // The full-screen saver draws the values as loaded (defaults for what could
    // not be read), after the random pick.
    SeedRandomWith(static_cast<uint32_t>(size) * 2654435761u);
    const int32_t storedKind = SaverSettings.PictureKind;
    ChooseRandomPicture();
    if (SaverSettings.RandomPicture) {
        Require(SaverSettings.PictureKind >= 1 && SaverSettings.PictureKind <= 9,
                "random kind outside 1..9");
    } else {
        Require(SaverSettings.PictureKind == storedKind, "kind changed without Random");
    }
    DrawFrames(1);

    // The settings window puts them into its sliders; the picture then uses
    // what the rules leave in the settings.
    const SaverSettingsRecord loadedSettings = SaverSettings;
    FakeSettingsWindow window;
    PutSettingsIntoControls(window);
    for (int t = 0; t < 6; ++t) {
        const SettingInfo& info = kSettingsTable[t];
        const int32_t stored = SettingValue(info, loadedSettings);
        const int32_t clamped = stored < info.min   ? info.min
                                : stored > info.max ? info.max
                                                    : stored;
        Require(window.positions[t] == clamped, "slider does not show the clamped value",
                info.label);
        // A value that had to move the slider is written back; one that left
        // it at its layout position stays as stored.
        const int32_t now = SettingValue(info, SaverSettings);
        Require(now == (clamped == info.layoutPosition ? stored : clamped),
                "setting after the sliders", info.label);
    }
    Require(window.checkBox == loadedSettings.RandomPicture, "check box");
    SetupWindowGL(GlVariant::Settings, kSettingsWindowWidth, kSettingsWindowHeight);
    DrawFrames(1);
    return 0;
}
