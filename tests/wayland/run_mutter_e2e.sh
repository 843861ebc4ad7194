#!/usr/bin/env bash
# The saver under GNOME's compositor, mutter, headless (mutter_lib.sh), in one
# case: its own windows (check_saver_windows), and -root's one-line refusal.
#   run_mutter_e2e.sh ZARVELLA SOLID_WINDOW
set -uo pipefail
here=$(dirname "$0")
source "$here/../linux/x_lib.sh"
source "$here/desktop_lib.sh"
source "$here/mutter_lib.sh"
[ $# -ge 2 ] || { echo "usage: $0 ZARVELLA SOLID_WINDOW" >&2; exit 2; }
zarvella=$(readlink -f "$1") solid_window=$(readlink -f "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvella-mutter.XXXXXX")
chmod 755 "$work"
trap 'stop_case_processes; [ "$failed" -eq 0 ] && rm -rf "$work" || echo "run_mutter_e2e: logs in $work"' EXIT
trap 'exit 130' INT TERM

case_mutter() {
  start_desktop || { check "mutter starts" false; return; }
  solid_background
  check_saver_windows
  start_saver_in_desktop -root
  expect_exit 10 "-root without a layer shell ends" 1
  local got want="zarvella: this Wayland compositor offers no layer shell (wlr-layer-shell-unstable-v1), so -root has no background to draw on"
  got=$(tail -n1 "$work/saver.log")
  check "-root: one line: $want (got '$got')" [ "$got" = "$want" ]
  [ ${#case_failures[@]} -eq 0 ] || mutter_answers || mutter_stalled=1
}

# mutter on llvmpipe now and then stops answering for good while a client maps
# its windows: its main thread waits inside Mesa's upload of a buffer, and
# nothing reaches it any more (not our keys, not its own D-Bus methods). Such
# a run tells nothing of the saver, so it is run once more on a fresh
# compositor; a failure while mutter still answers counts at once.
mutter_answers() {
  timeout 5 "${desk[@]}" dbus-send --session --print-reply --dest=org.gnome.Mutter.DisplayConfig \
    /org/gnome/Mutter/DisplayConfig org.gnome.Mutter.DisplayConfig.GetCurrentState >/dev/null 2>&1
}

name="mutter: /s on both monitors, a key ends it; /c opaque; /p; -root refused"
mutter_stalled=0
run_case "$name" case_mutter
if [ "$mutter_stalled" = 1 ]; then
  echo "mutter itself stopped answering: the case once more, on a fresh compositor"
  failed=$((failed - 1)) failed_names=()
  mutter_stalled=0
  run_case "$name (again)" case_mutter
fi
summary
