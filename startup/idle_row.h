// The Linux settings window's row that turns --idle on: its state from what
// the shell found (the autostart entry, the idle source, the host), its
// layout below the window's own, and the window's size with it. The
// shell only gathers the facts and carries out a tick (idle_control).
#pragma once

#include <string>
#include <string_view>

#include "behaviour/monitors.h"
#include "startup/idle.h"

namespace zarvella {

inline constexpr int kIdleRowMinMinutes = 1;
inline constexpr int kIdleRowMaxMinutes = kMaxIdleSeconds / 60;

// What an autostart entry at IdleAutostartPath runs.
struct IdleEntryRun {
    enum class Kind { Ours, OursOff, Foreign } kind = Kind::Foreign;
    int seconds = kDefaultIdleSeconds;  // its TIME (Ours, OursOff)
};
// Ours: its Exec is `zarvella --idle [TIME]` (any path to a program named
// zarvella, one dash or two), as --enable-idle writes it or a user by hand;
// OursOff: the same, turned off for this user (Hidden=true, or
// X-GNOME-Autostart-enabled=false as GNOME's startup tools write it).
IdleEntryRun ReadIdleEntry(std::string_view text);

// Who sets the wait on this desktop.
enum class SaverHost {
    None,          // nobody: the row is the way
    XScreenSaver,  // its daemon runs on the display: its own dialog
    Mate           // mate-screensaver runs: MATE's screensaver preferences
};

struct IdleRowFacts {
    SaverHost host = SaverHost::None;
    std::string entryPath;  // IdleAutostartPath's; empty: no folder known
    enum class Entry { Missing, Read, Unreadable } entry = Entry::Missing;
    std::string entryText;  // Read: its text; Unreadable: the line why
    IdleSourceChoice choice;
    bool sessionBus = true;
    std::string fault;  // the last change's failure, in one line; empty: none
};

struct IdleRowState {
    bool shown = false;
    bool enabled = false;
    bool checked = false;
    int minutes = kDefaultIdleSeconds / 60;
    std::string line;  // under the row: what it does here, or why it cannot
};
IdleRowState DecideIdleRow(const IdleRowFacts& facts);

// ---- its place: the window's 400x430 layout grows by the row below it
inline constexpr int kIdleRowHeight = 30;
inline constexpr ControlRect kIdleCheckRect{10, 402, 190, 17};
inline constexpr ControlRect kIdleMinutesRect{202, 401, 50, 19};
inline constexpr ControlRect kIdleCaptionRect{257, 402, 140, 17};
inline constexpr ControlRect kIdleLineRect{10, 423, 380, 32};
inline constexpr const char* kIdleCheckCaption = "Start Zarvella by itself after";
inline constexpr const char* kIdleMinutesCaption = "minutes without input";

// The layout's size with the row (when shown) below the window's own.
PixelSize SettingsLayoutWithIdleRow(bool shown);
// SettingsClientSize's rule for that layout: scaled down as a whole to fit
// `available` less the frame (kUntoldFrame when it is 0x0).
PixelSize SettingsClientSizeWithIdleRow(PixelSize available, PixelSize frame, bool shown);

}  // namespace zarvella
