// Foreign X windows: the preview's parent and XScreenSaver's window belong
// to other programs, so we ask the X server directly whether they still exist.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>

#include "behaviour/desktop_cover.h"

namespace zarvella::linux_shell {

struct ForeignWindow {
    bool exists = false;
    int width = 0;
    int height = 0;
    bool inputOnly = false;    // of class InputOnly: nothing can be drawn into it
    bool otherScreen = false;  // of another screen than the display's default one
};

// On an X connection of our own (xcb, so an error is an answer, not a
// process-wide handler's business): a window that is gone, or never was,
// gives exists == false. Safe from any thread.
ForeignWindow QueryForeignWindow(unsigned long id);

// True when the display (DISPLAY) can be opened at all.
bool DisplayOpens();

// The root window of the display's default screen.
unsigned long RootWindowId();

// The program's own connection (null when the display does not open), for
// requests of any thread. Its events are the watching thread's.
xcb_connection_t* OwnConnection();

// Selects `mask` on `window` (besides what was selected on it already) on
// the program's connection, and hands each structure or visibility event
// reported for it to `handler`, on the one thread that waits on that
// connection's events, until the handler returns false. False, and the
// handler is dropped, when there is no such window.
using XEventHandler = std::function<bool(const xcb_generic_event_t& event)>;
bool WatchXEvents(unsigned long window, uint32_t mask, XEventHandler handler);

// Ends the process (exit code 0) once the window no longer exists: its
// DestroyNotify, on the watching thread, so it works even while the main
// thread is busy in a frame for a window that has just lost its parent.
void EndWithForeignWindow(unsigned long id);

// The same for a window and our own window inside it (0: none), whichever
// goes first; `resized` (if set) gets the first window's new size, called on
// the watching thread.
void EndWithWindows(unsigned long id, unsigned long own,
                    std::function<void(int width, int height)> resized);

// Tells what comes above or beside our top-level window `own`: the root's
// substructure (other windows mapped, restacked, brought back to the root)
// and ours being covered. `changed` runs on the watching thread.
void WatchStacking(unsigned long own, std::function<void(StackChange change)> changed);

// Tells when the keyboard's focus leaves our top-level window `own` for
// another window (grabbed false), and when another client grabs the keyboard
// or the pointer away from it, or holds the keyboard as the focus comes to
// it (grabbed true: the focus or the pointer leaves it with the mode "grab",
// or the focus comes "while grabbed"). `lost` runs on the watching thread.
void WatchFocus(unsigned long own, std::function<void(bool grabbed)> lost);

// Gives the window the keyboard's focus at once, on the program's connection.
void FocusWindow(unsigned long id);

// Puts the window on top of (below) its siblings at once, on the program's
// connection (Qt's would keep the request until its loop next wakes).
void RaiseWindow(unsigned long id);
void LowerWindow(unsigned long id);

// The monitors' power (DPMS) on the program's connection: whether the server
// can power them down at all, and whether it has (standby, suspend or off).
bool DpmsCapable();
bool DpmsMonitorsOff();

}  // namespace zarvella::linux_shell
