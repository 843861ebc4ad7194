// GNOME's shell opens its Activities overview at every login, and a window
// that maps while it is open becomes a thumbnail inside it, under the top
// bar and the dash, where the first key closes the overview instead of
// reaching us. The full-screen saver closes it before it maps.
#pragma once

namespace zarvella::linux_shell {

// Closes GNOME's overview when its shell runs on the session bus; nothing
// elsewhere (no bus, another desktop, an answer that does not come).
void CloseShellOverview();

}  // namespace zarvella::linux_shell
