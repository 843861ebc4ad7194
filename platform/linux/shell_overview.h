// GNOME's shell, as the full-screen saver meets it on Wayland. It opens its
// Activities overview at every login, and a window that maps while it is open
// becomes a thumbnail inside it, under the top bar and the dash, where the
// first key closes the overview instead of reaching us: the saver closes it
// before it maps. And its lock shield covers the saver without hiding it
// from the compositor, which goes on asking for frames nobody sees: a saver
// the shield comes over ends, as one the user ends.
#pragma once

#include <QObject>
#include <functional>

namespace zarvella::linux_shell {

// Closes GNOME's overview when its shell runs on the session bus; nothing
// elsewhere (no bus, another desktop, an answer that does not come).
void CloseShellOverview();

// Calls `shielded` when GNOME's shield (org.gnome.ScreenSaver's
// ActiveChanged, from the shell or its helper) comes up, or is up already,
// for as long as `owner` lives; nothing without a session bus.
void OnShellShield(QObject& owner, std::function<void()> shielded);

}  // namespace zarvella::linux_shell
