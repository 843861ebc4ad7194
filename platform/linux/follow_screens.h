// What every window that covers the screens follows, on X11 and Wayland alike.
#pragma once

#include <QObject>
#include <functional>

namespace zarvella::linux_shell {

// Calls `changed` whenever a screen is added, removed (once it is gone),
// moved or resized, or another becomes the primary one, while `owner` lives.
void FollowScreens(QObject& owner, std::function<void()> changed);

}  // namespace zarvella::linux_shell
