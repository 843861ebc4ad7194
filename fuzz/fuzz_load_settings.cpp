// LoadSettings and SaveSettings over a store whose every answer comes from the
// fuzzer: whether the key opens or can be created, each value's type (a
// 32-bit number, missing or too long, another type) and contents, and whether
// each write succeeds. The outcome is checked against a plain model of the
// rules. Drawing what was loaded is fuzz_draw_settings' part: a frame costs a
// thousand times what the rules do.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "settings/settings.h"

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
                // It and the values after it hold their defaults.
                for (int rest = i; rest < 6; ++rest)
                    e.settings.*kFields[rest] = kDefaultSettings.*kFields[rest];
                e.settings.RandomPicture = kDefaultSettings.RandomPicture;
                e.calls.push_back("close");
                e.result = false;
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
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
            w.errors.push_back(FailedToSetData(kSettingsTable[0].storedName));  // said, not silent
        }
        Require(!saveStore.open, "key left open after saving");
        Require(saveStore.calls == w.calls, "save calls",
                Join(saveStore.calls) + " want " + Join(w.calls));
        Require(saveErrors.shown == w.errors, "save messages", Join(saveErrors.shown));
        Require(saved == (script.keyCreates && w.errors.empty()), "SaveSettings result");
    }

    return 0;
}
