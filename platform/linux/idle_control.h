// --idle turned on and off from outside it: --enable-idle, --disable-idle and
// the settings window's row (startup/idle_row.h). Each change returns its
// fault as one line, empty when it went well.
#pragma once

#include <string>

#include "startup/idle_row.h"

namespace zarvella::linux_shell {

// What the row is decided from, the last change's fault aside.
IdleRowFacts GatherIdleRowFacts();
// The entry's facts alone read anew, after a change.
void ReadIdleEntryFacts(IdleRowFacts& row);

// The autostart entry of `--idle TIME`, written at `path` (IdleAutostartPath's).
std::string WriteIdleEntry(int seconds, std::string& path);
// That entry removed (none there is no fault).
std::string RemoveIdleEntry(std::string& path);

// The row's tick: the entry written, this session's --idle started anew with it.
std::string TurnIdleOn(int seconds);
// The row's untick: the entry removed, this session's --idle ended.
std::string TurnIdleOff();

}  // namespace zarvella::linux_shell
