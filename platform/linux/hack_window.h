// The XScreenSaver hack's X11 windows, one type for each of its targets: a
// window of its own, another program's window, the root. XScreenSaver, or
// closing its own window, ends it; input never does.
#pragma once

#include <QAbstractNativeEventFilter>
#include <memory>

#include "behaviour/desktop_cover.h"
#include "platform/linux/picture_window.h"
#include "startup/options.h"

namespace zarvella::linux_shell {

// -window: a window like any other, framed, resizable, centred.
class HackOwnWindow : public PictureWindow {
    Q_OBJECT
  public:
    explicit HackOwnWindow(const HackOptions& hack);
};

// XSCREENSAVER_WINDOW, -window-id: a child of that window, its size, ended
// with it; input stays with it.
class HackInWindow : public PictureWindow {
    Q_OBJECT
  public:
    HackInWindow(const HackOptions& hack, unsigned long host);
};

// -root without XScreenSaver: the desktop's background over every monitor,
// unmanaged and kept below every other window, deaf to keys and the mouse.
class HackOnRoot : public PictureWindow, private CoverHost {
    Q_OBJECT
  public:
    explicit HackOnRoot(const HackOptions& hack);
    ~HackOnRoot() override;

  private:
    // CoverHost: back below when raised (kBottomPlan), nothing to focus
    void TakeFocus() override {}
    void Restack() override;
    void RestackIn(int ms) override;

    CoverRecord bottom_;
    std::unique_ptr<QAbstractNativeEventFilter> raised_;  // tells when it was raised
};

// The hack's window for its target; `window` is the given window's id or the root's.
std::unique_ptr<PictureWindow> MakeHackWindow(const HackOptions& hack, unsigned long window);

// The hack, with its settings drawn (HackSettings): its target checked
// (HackTargetError said on stderr, exit code 1), its window made and shown,
// then Qt's loop; the process's exit code. After the application object.
int RunHack(const HackOptions& hack);

}  // namespace zarvella::linux_shell
