// Foreign X windows: the preview's parent and XScreenSaver's window belong
// to other programs, so we ask the X server directly whether they still exist.
#pragma once

#include <functional>

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

// A window manager runs on the display's default screen: it owns the
// screen's WM_Sn selection, or names its window in _NET_SUPPORTING_WM_CHECK.
bool WindowManagerRuns();

// The root window of the display's default screen.
unsigned long RootWindowId();

// Ends the process (exit code 0) once the window no longer exists, checked
// every 100 ms on a thread of its own, so it works even while the main
// thread is busy in a frame for a window that has just lost its parent.
void EndWithForeignWindow(unsigned long id);

// The same for a window and our own window inside it (0: none), whichever
// goes first; `resized` (if set) gets the first window's new size, called on
// the watching thread.
void EndWithWindows(unsigned long id, unsigned long own,
                    std::function<void(int width, int height)> resized);

}  // namespace zarvella::linux_shell
