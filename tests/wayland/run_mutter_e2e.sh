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
}

run_case "mutter: /s on both monitors, a key ends it; /c opaque; /p; -root refused" case_mutter
summary
