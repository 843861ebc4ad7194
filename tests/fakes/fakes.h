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

#include "engine/animation.h"
#include "engine/random.h"
#include "settings/settings.h"
#include "settings/settings_window.h"
#include "shell/fullscreen.h"
#include "shell/password.h"
#include "shell/preview.h"
#include "state/process_state.h"

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
    int positions[7] = {};
    bool checkBox = false;
    std::vector<std::string> log;

    FakeSettingsHost() {
        for (int t = 1; t <= 6; ++t) positions[t] = kSettingsTable[t - 1].layoutPosition;
    }
    int TrackBarPosition(int track) override { return positions[track]; }
    void SetTrackBarPosition(int track, int position) override {
        positions[track] = position;
        log.push_back("TrackBar" + std::to_string(track) + "=" + std::to_string(position));
    }
    void SetCheckBox(bool checked) override {
        checkBox = checked;
        log.push_back(checked ? "CheckBox1=on" : "CheckBox1=off");
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
    bool keyOpens = true;
    std::optional<std::vector<uint8_t>> storedValue;  // the value's raw bytes; none: missing
    LibraryHandle libraryHandle = 0x10000000;
    bool functionFound = true;
    int32_t verifyResult = 1;
    uint8_t bufferOnQuery[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    int cursorCount = 0;
    int openKeys = 0;
    std::vector<std::string> log;
    WindowHandle owner = 0;
    std::string passwordName;

    static std::vector<uint8_t> Dword(uint32_t v) {
        std::vector<uint8_t> b(4);
        std::memcpy(b.data(), &v, 4);
        return b;
    }
    static std::vector<uint8_t> Text(const std::string& s) {  // with its terminating zero
        return std::vector<uint8_t>(s.c_str(), s.c_str() + s.size() + 1);
    }

    bool OpenDesktopKey() override {
        log.push_back("openkey");
        if (keyOpens) ++openKeys;
        return keyOpens;
    }
    bool QueryUsePassword(uint8_t (&buffer)[4]) override {
        log.push_back("query");
        std::memcpy(bufferOnQuery, buffer, 4);
        if (!storedValue) return false;
        // A value that does not fit may leave part of itself behind.
        std::memcpy(buffer, storedValue->data(), std::min<size_t>(4, storedValue->size()));
        return storedValue->size() <= 4;
    }
    void CloseDesktopKey() override {
        log.push_back("closekey");
        --openKeys;
    }
    LibraryHandle LoadLibrary(const char* name) override {
        log.push_back(std::string("load ") + name);
        return libraryHandle;
    }
    ProcAddress GetProcAddress(LibraryHandle library, const char* name) override {
        log.push_back(std::string("find ") + name +
                      (library == libraryHandle ? "" : " (bad handle)"));
        return functionFound ? reinterpret_cast<ProcAddress>(this) : nullptr;
    }
    void FreeLibrary(LibraryHandle library) override {
        log.push_back(library == libraryHandle ? "free" : "free (bad handle)");
    }
    void ShowCursor(bool show) override {
        cursorCount += show ? 1 : -1;
        log.push_back(show ? "showcursor" : "hidecursor");
    }
    int32_t CallVerify(ProcAddress function, WindowHandle ownerWindow) override {
        log.push_back(function == this ? "verify" : "verify (bad function)");
        owner = ownerWindow;
        return verifyResult;
    }
    void CallChange(ProcAddress function, const char* name, WindowHandle ownerWindow) override {
        log.push_back(function == this ? "change" : "change (bad function)");
        passwordName = name;
        owner = ownerWindow;
    }
};

// Logs the thread's calls; `onSleep` runs inside each pause.
class FakePreviewHost : public PreviewHost {
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
};

}  // namespace zarvella::fakes
