// A window's sight on Linux: what Qt and the X server say about whether the
// window can be seen, reported to the core's WindowSight, which starts and
// stops the window's frame timer.
#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <memory>
#include <mutex>

#include "behaviour/visibility.h"

class QTimer;
class QWindow;

namespace zarvella::linux_shell {

class DpmsMonitor;

class SightWatcher : public QObject, private FrameClock {
  public:
    // window: a QWindow (full screen, preview) or a top-level QWidget (the
    // settings window, followed once it has its native window). timer: the
    // frame timer to start and stop; none for the preview, whose thread asks
    // Seen() instead. displayPower: also follow the monitors' DPMS power,
    // once a second, where the server has it.
    SightWatcher(QObject* window, QTimer* timer, bool displayPower);
    ~SightWatcher() override;
    // Whether frames run; from any thread.
    bool Seen() const { return seen_.load(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void StartFrames() override;
    void StopFrames() override;
    void Follow(QWindow* window);
    void FollowX11(QWindow* window);
    void FollowDisplayPower();

    QObject* target_;
    QPointer<QTimer> timer_;
    WindowSight sight_{*this};
    std::atomic<bool> seen_{true};
    QWindow* window_ = nullptr;
    bool followingX11_ = false;
    std::unique_ptr<DpmsMonitor> dpms_;
    // What the X watching thread reports through: cleared when this goes,
    // so a late report finds nobody to tell.
    struct Link {
        std::mutex lock;
        SightWatcher* watcher = nullptr;
    };
    std::shared_ptr<Link> link_;
};

}  // namespace zarvella::linux_shell
