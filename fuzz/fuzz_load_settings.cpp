// LoadSettings and SaveSettings over a store whose every answer comes from the
// fuzzer: whether the key opens or can be created, each value's type (a
// 32-bit number, missing or too long, another type) and contents, and whether
// each write succeeds. The outcome is checked against a plain model of the
// rules. Drawing what was loaded is fuzz_draw_settings' part: a frame costs a
// thousand times what the rules do.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/settings.h"

using namespace zarvella;

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "settings: %s %s\n", what, detail.c_str());
    std::abort();
}

// The details are only put into words on a failure: every input allocating
// its log as strings cost most of the run's time.
template <typename Detail>
void Require(bool ok, const char* what, Detail detail) {
    if (!ok) Fail(what, detail());
}
void Require(bool ok, const char* what) {
    if (!ok) Fail(what);
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

// A store call: open, create, read or write value `index` (= `value`), close.
struct Call {
    enum Op : uint8_t { Open, Create, Read, Write, Close } op;
    int8_t index;
    uint32_t value;
    bool operator==(const Call&) const = default;
};

// Calls and messages in fixed storage, so a run allocates nothing of its own.
template <typename T, int N>
struct Log {
    std::array<T, N> items{};
    int count = 0;
    void Add(const T& item) {
        Require(count < N, "more entries than any load or save makes");
        items[count++] = item;
    }
    bool operator==(const Log& other) const {
        return count == other.count &&
               std::equal(items.begin(), items.begin() + count, other.items.begin());
    }
};
using CallLog = Log<Call, 24>;

std::string Show(const CallLog& log) {
    static const char* const kOps[] = {"open", "open+create", "read", "write", "close"};
    std::string s;
    for (int i = 0; i < log.count; ++i) {
        const Call& c = log.items[i];
        s += kOps[c.op];
        if (c.op == Call::Read || c.op == Call::Write)
            s += std::string(" ") + kSettingsTable[c.index].storedName;
        if (c.op == Call::Write) s += "=" + std::to_string(c.value);
        s += "; ";
    }
    return s;
}

// A message: which of the three texts, for which value.
struct Message {
    enum Kind : uint8_t { GetData, DataType, SetData } kind;
    int8_t index;
    bool operator==(const Message&) const = default;
};
using MessageLog = Log<Message, 4>;

// The 21 possible texts, made once; a shown text must be one of them.
const std::string& Text(Message m) {
    static const auto texts = [] {
        std::array<std::array<std::string, 7>, 3> t;
        for (int i = 0; i < 7; ++i) {
            t[Message::GetData][i] = FailedToGetData(kSettingsTable[i].storedName);
            t[Message::DataType][i] = InvalidDataType(kSettingsTable[i].storedName);
            t[Message::SetData][i] = FailedToSetData(kSettingsTable[i].storedName);
        }
        return t;
    }();
    return texts[m.kind][m.index];
}

std::string Show(const MessageLog& log) {
    std::string s;
    for (int i = 0; i < log.count; ++i) s += Text(log.items[i]) + "; ";
    return s;
}

int Index(const char* name) {
    for (int i = 0; i < 7; ++i)
        if (std::strcmp(name, kSettingsTable[i].storedName) == 0) return i;
    Fail("unknown value name", name);
}

class ScriptedStore : public SettingsStore {
  public:
    explicit ScriptedStore(const Script& s) : script(s) {}
    bool OpenKey(bool create) override {
        Require(!open, "key opened twice");
        open = create ? script.keyCreates : script.keyOpens;
        calls.Add({create ? Call::Create : Call::Open, -1, 0});
        return open;
    }
    ReadResult ReadValue(const char* name, uint32_t& value) override {
        Require(open, "read with the key closed");
        const int i = Index(name);
        calls.Add({Call::Read, static_cast<int8_t>(i), 0});
        const StoredValue& v = script.values[i];
        // The value is only filled for a 32-bit number; otherwise it is garbage
        // the loader must not use.
        value = v.result == ReadResult::Ok ? v.value : 0xDEADBEEFu;
        return v.result;
    }
    bool WriteValue(const char* name, uint32_t value) override {
        Require(open, "write with the key closed");
        const int i = Index(name);
        calls.Add({Call::Write, static_cast<int8_t>(i), value});
        return !script.writeFails[i];
    }
    void CloseKey() override {
        Require(open, "close without an open key");
        open = false;
        calls.Add({Call::Close, -1, 0});
    }

    const Script& script;
    bool open = false;
    CallLog calls;
};

class CapturedErrors : public ErrorSink {
  public:
    void ShowError(const std::string& text) override {
        for (int kind = 0; kind < 3; ++kind) {
            for (int i = 0; i < 7; ++i) {
                const Message m{static_cast<Message::Kind>(kind), static_cast<int8_t>(i)};
                if (text == Text(m)) return shown.Add(m);
            }
        }
        Fail("a message of no known wording:", text);
    }
    MessageLog shown;
};

int32_t SaverSettingsRecord::*const kFields[6] = {
    &SaverSettingsRecord::Speed,  &SaverSettingsRecord::Brightness,
    &SaverSettingsRecord::Size,   &SaverSettingsRecord::Segments,
    &SaverSettingsRecord::Detail, &SaverSettingsRecord::PictureKind};

struct Expected {
    bool result;
    SaverSettingsRecord settings;
    CallLog calls;
    MessageLog errors;
};

void ModelWrites(const Script& s, const SaverSettingsRecord& r, Expected& e) {
    for (int i = 0; i < 7; ++i) {
        const uint32_t v =
            i < 6 ? static_cast<uint32_t>(r.*kFields[i]) : (r.RandomPicture ? 1u : 0u);
        e.calls.Add({Call::Write, static_cast<int8_t>(i), v});
        if (s.writeFails[i]) {
            e.errors.Add({Message::SetData, static_cast<int8_t>(i)});
            return;
        }
    }
}

// The loading rules, written out plainly.
Expected ModelLoad(const Script& s) {
    Expected e{true, {}, {}, {}};
    e.calls.Add({Call::Open, -1, 0});
    if (s.keyOpens) {
        for (int i = 0; i < 7; ++i) {
            e.calls.Add({Call::Read, static_cast<int8_t>(i), 0});
            const StoredValue& v = s.values[i];
            if (v.result != ReadResult::Ok) {
                e.errors.Add(
                    {v.result == ReadResult::Missing ? Message::GetData : Message::DataType,
                     static_cast<int8_t>(i)});
                // It and the values after it hold their defaults.
                for (int rest = i; rest < 6; ++rest)
                    e.settings.*kFields[rest] = kDefaultSettings.*kFields[rest];
                e.settings.RandomPicture = kDefaultSettings.RandomPicture;
                e.calls.Add({Call::Close, -1, 0});
                e.result = false;
                return e;
            }
            if (i < 6)
                e.settings.*kFields[i] = static_cast<int32_t>(v.value);
            else
                e.settings.RandomPicture = v.value != 0;
        }
        e.calls.Add({Call::Close, -1, 0});
    }
    const SaverSettingsRecord& r = e.settings;
    if (r.Speed == 0 && r.Brightness == 0 && r.Size == 0 && r.Segments == 0 && r.Detail == 0 &&
        r.PictureKind == 0) {
        e.settings = kDefaultSettings;
        e.calls.Add({Call::Create, -1, 0});
        if (s.keyCreates) {
            ModelWrites(s, e.settings, e);
            e.calls.Add({Call::Close, -1, 0});
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
    // Loading.
    ScriptedStore store(script);
    CapturedErrors errors;
    const LoadedSettings read = LoadSettings(store, errors);
    const bool loaded = read.Complete();
    const Expected want = ModelLoad(script);
    Require(!store.open, "key left open after loading");
    Require(loaded == want.result, "LoadSettings result");
    Require(store.calls == want.calls, "store calls",
            [&] { return "got: " + Show(store.calls) + " want: " + Show(want.calls); });
    Require(errors.shown == want.errors, "messages",
            [&] { return "got: " + Show(errors.shown) + " want: " + Show(want.errors); });
    Require(SameSettings(read.settings, want.settings), "settings",
            [&] { return "got " + Show(read.settings) + " want " + Show(want.settings); });
    if (loaded && script.keyOpens) {
        // On success all seven values were read, in stored order.
        int reads = 0;
        for (int i = 0; i < store.calls.count; ++i) reads += store.calls.items[i].op == Call::Read;
        Require(reads == 7, "not all seven values read");
    }

    // Saving writes all seven in order, and reports the first failure by name.
    {
        ScriptedStore saveStore(script);
        CapturedErrors saveErrors;
        const bool saved = SaveSettings(read.settings, saveStore, saveErrors);
        Expected w{true, read.settings, {}, {}};
        w.calls.Add({Call::Create, -1, 0});
        if (script.keyCreates) {
            ModelWrites(script, read.settings, w);
            w.calls.Add({Call::Close, -1, 0});
        } else {
            w.errors.Add({Message::SetData, 0});  // said, not silent
        }
        Require(!saveStore.open, "key left open after saving");
        Require(saveStore.calls == w.calls, "save calls",
                [&] { return Show(saveStore.calls) + " want " + Show(w.calls); });
        Require(saveErrors.shown == w.errors, "save messages",
                [&] { return Show(saveErrors.shown); });
        Require(saved == (script.keyCreates && w.errors.count == 0), "SaveSettings result");
    }

    return 0;
}
