// Test doubles for the core's seams: an in-memory settings store, a recording
// error sink, and fake window hosts and password system that log their calls.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "behaviour/fullscreen_window.h"
#include "behaviour/password.h"
#include "behaviour/preview_window.h"
#include "behaviour/settings_window.h"
#include "behaviour/visibility.h"
#include "engine/animation.h"
#include "engine/random.h"
#include "settings/settings.h"
#include "startup/xscreensaver_list.h"
#include "state/picture_record.h"

namespace zarvella::fakes {

// The generator's formula, kept apart from the core so tests can predict draws.
struct ReferenceRandom {
    uint32_t state;
    int32_t Next(int32_t n) {
        state = state * 134775813u + 1u;
        return static_cast<int32_t>((uint64_t{state} * static_cast<uint32_t>(n)) >> 32);
    }
    double Drift() {
        const double up = Next(1000) / 100000.0;
        return up - Next(1000) / 100000.0;
    }
};

// One key of 32-bit values; every call is logged ("open", "create", "read X",
// "write X=v", "close").
class MemoryStore : public SettingsStore {
  public:
    enum class Kind { Dword, OtherType, TooLong };
    struct Value {
        Kind kind;
        uint32_t data;
    };

    std::map<std::string, Value> values;
    bool keyExists = false;
    bool canCreate = true;
    std::set<std::string> failingWrites;
    bool flushFails = false;
    std::vector<std::string> log;
    int openHandles = 0;

    void SetAll(uint32_t fast, uint32_t bright, uint32_t size, uint32_t satiation, uint32_t color,
                uint32_t alpha, uint32_t rands) {
        keyExists = true;
        const uint32_t data[7] = {fast, bright, size, satiation, color, alpha, rands};
        for (int k = 0; k < 7; ++k) values[kSettingsTable[k].storedName] = {Kind::Dword, data[k]};
    }
    std::vector<std::string> Writes() const {
        std::vector<std::string> w;
        for (const std::string& e : log)
            if (e.rfind("write ", 0) == 0) w.push_back(e.substr(6));
        return w;
    }

    bool OpenKey(bool create) override {
        log.push_back(create ? "create" : "open");
        if (!keyExists && !(create && canCreate)) return false;
        keyExists = true;
        ++openHandles;
        return true;
    }
    ReadResult ReadValue(const char* name, uint32_t& value) override {
        log.push_back(std::string("read ") + name);
        const auto it = values.find(name);
        if (it == values.end() || it->second.kind == Kind::TooLong) return ReadResult::Missing;
        if (it->second.kind == Kind::OtherType) return ReadResult::OtherType;
        value = it->second.data;
        return ReadResult::Ok;
    }
    bool WriteValue(const char* name, uint32_t value) override {
        log.push_back(std::string("write ") + name + "=" + std::to_string(value));
        if (failingWrites.count(name)) return false;
        values[name] = {Kind::Dword, value};
        return true;
    }
    bool FlushKey() override {
        log.push_back("flush");
        return !flushFails;
    }
    void CloseKey() override {
        log.push_back("close");
        --openHandles;
    }
    void SetUserSave(bool on) override { log.push_back(on ? "user save" : "user save ends"); }
};

class RecordingErrors : public ErrorSink {
  public:
    std::vector<std::string> messages;
    void ShowError(const std::string& text) override { messages.push_back(text); }
};

class FakeSettingsHost : public SettingsWindowHost {
  public:
    int positions[6] = {};  // by row
    bool checkBox = false;
    std::vector<std::string> log;  // "option=value"

    FakeSettingsHost() {
        for (int row = 0; row < 6; ++row) positions[row] = kSettingsTable[row].layoutPosition;
    }
    int SliderPosition(int row) override { return positions[row]; }
    void SetSliderPosition(int row, int position) override {
        positions[row] = position;
        log.push_back(std::string(kSettingsTable[row].option) + "=" + std::to_string(position));
    }
    void SetCheckBox(int row, bool checked) override {
        checkBox = checked;
        log.push_back(std::string(kSettingsTable[row].option) + (checked ? "=on" : "=off"));
    }
    void SizeAndCentre() override { log.push_back("size"); }
    void AttachContext() override { log.push_back("context"); }
    std::string contextFailure;
    std::string ContextFailure() override { return contextFailure; }
};

// Keeps the system's view: a cursor counter, the saver notice, the window.
class FakeFullScreenHost : public FullScreenHost {
  public:
    ScreenPoint cursor{};
    bool passwordAnswer = true;
    int cursorCount = 0;  // like the system's display counter: visible at >= 0
    bool saverRunning = false, hidden = false, terminated = false;
    int passwordChecks = 0;
    std::vector<std::string> log;
    std::vector<PixelRect> monitors{{0, 0, 1280, 1024}};
    PixelRect window{};  // where PlaceWindow put it

    std::vector<PixelRect> Monitors() override { return monitors; }
    void PlaceWindow(const PixelRect& rect) override {
        window = rect;
        log.push_back("size");
    }
    void AttachContext() override { log.push_back("context"); }
    std::string contextFailure;
    std::string ContextFailure() override { return contextFailure; }
    ScreenPoint CursorPos() override {
        log.push_back("cursorpos");
        return cursor;
    }
    bool knowsCursor = true;
    bool KnowsCursor() override { return knowsCursor; }
    void ShowCursor(bool show) override {
        cursorCount += show ? 1 : -1;
        log.push_back(show ? "showcursor" : "hidecursor");
    }
    void SetSaverRunning(bool running) override {
        saverRunning = running;
        log.push_back(running ? "announce" : "withdraw");
    }
    bool VerifySaverPassword() override {
        ++passwordChecks;
        log.push_back("password");
        return passwordAnswer;
    }
    void HideWindow() override {
        hidden = true;
        log.push_back("hide");
    }
    void Terminate() override {
        terminated = true;
        log.push_back("terminate");
    }
};

class FakePasswordSystem : public PasswordSystem {
  public:
    bool inUse = false;
    PasswordAnswer answer = PasswordAnswer::Accepted;
    std::vector<std::string> log;

    bool IsPasswordInUse() override {
        log.push_back("in use?");
        return inUse;
    }
    PasswordAnswer VerifyBeforeEnding(WindowHandle owner) override {
        log.push_back("verify " + std::to_string(owner));
        return answer;
    }
    void ChangePassword(WindowHandle owner) override {
        log.push_back("change " + std::to_string(owner));
    }
};

// Logs the thread's calls; `onSleep` runs inside each pause.
class FakePreviewHost : public PreviewLoopHost {
  public:
    std::vector<std::string> log;
    std::function<void(int)> onShow, onInvalidate, onSleep;
    int sleeps = 0;

    void ShowAndUpdate() override {
        log.push_back("show");
        if (onShow) onShow(0);
    }
    void Invalidate() override {
        log.push_back("invalidate");
        if (onInvalidate) onInvalidate(0);
    }
    void Sleep(int milliseconds) override {
        log.push_back("sleep " + std::to_string(milliseconds));
        ++sleeps;
        if (onSleep) onSleep(sleeps);
    }
    void PostDestroy() override { log.push_back("destroy"); }
    bool gone = false;
    bool WindowGone() override { return gone; }
    SightFacts sight;
    SightFacts Sight() override { return sight; }
};

// A window's timer: whether it runs, and its starts and stops.
class FakeFrameClock : public FrameClock {
  public:
    bool running = true;
    std::string log;  // "start", "stop" and whatever the test adds, blank-separated
    void Log(const char* entry) { log += (log.empty() ? "" : " ") + std::string(entry); }
    void StartFrames() override { Log("start"), running = true; }
    void StopFrames() override { Log("stop"), running = false; }
};

// Windows by handle, with their sizes; any other handle names no window.
class FakeParentHost : public PreviewParentHost {
  public:
    std::map<uint32_t, AreaSize> windows;
    uint32_t desktop = 0;
    std::vector<uint32_t> asked;
    std::optional<AreaSize> ParentArea(uint32_t parent) override {
        asked.push_back(parent);
        const auto it = windows.find(parent);
        if (it == windows.end()) return std::nullopt;
        return it->second;
    }
    bool IsDesktop(uint32_t window) override { return window == desktop; }
    std::map<uint32_t, DrawTarget> targets;  // the others can be drawn into
    DrawTarget Target(uint32_t window) override { return targets[window]; }
};

// What a shell's gl_context does for a new context of a window of this
// outer size: SetupGL, with the picture's viewport for the settings window.
inline void SetupWindowContext(GlVariant variant, int outerWidth, int outerHeight, int dpi = 96) {
    const GlViewport picture = SettingsPictureViewport(outerWidth, outerHeight, dpi);
    SetupGL(variant, variant == GlVariant::Settings ? &picture : nullptr);
}

// ~/.xscreensaver as `file`; writes answer `writeProblem`; calls logged ("read PATH").
class MemoryListFiles : public ListFileSystem {
  public:
    ListFileRead file;
    std::string writeProblem;
    std::vector<std::string> log;
    ListFileRead ReadListFile(const std::string& path) override {
        log.push_back("read " + path);
        return file;
    }
    std::string WriteListFile(const std::string& path, std::string_view) override {
        log.push_back("write " + path);
        return writeProblem;
    }
};

}  // namespace zarvella::fakes

#include "behaviour/desktop_cover.h"

namespace zarvella::fakes {

// Every call logged ("focus", "raise", "raise in N").
class FakeCoverHost : public CoverHost {
  public:
    std::vector<std::string> log;
    void TakeFocus() override { log.push_back("focus"); }
    void Restack() override { log.push_back("restack"); }
    void RestackIn(int ms) override { log.push_back("restack in " + std::to_string(ms)); }
};

}  // namespace zarvella::fakes
