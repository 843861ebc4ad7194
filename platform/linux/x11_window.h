// Foreign X windows: the preview's parent and XScreenSaver's window belong
// to other programs, so we ask the X server directly whether they still exist.
#pragma once

namespace zarvella::linux_shell {

struct ForeignWindow {
    bool exists = false;
    int width = 0;
    int height = 0;
};

// On a connection of our own, with X errors caught: a window that is gone (or
// never was) gives exists == false instead of ending the process.
ForeignWindow QueryForeignWindow(unsigned long id);

unsigned long RootWindowId();

}  // namespace zarvella::linux_shell
