#!/usr/bin/env bash
# --idle under GNOME's compositor (mutter: org.gnome.Mutter.IdleMonitor) and
# KDE Plasma's (KWin: ext_idle_notifier_v1), headless (desktop_lib.sh), one
# case each: keys keep the saver away, idleness brings it on every output, a key
# ends it, it comes back, SIGTERM ends both.
#   run_idle_e2e.sh ZARVELLA KWIN_TOOL
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../linux/x_lib.sh"
source "$here/../linux/idle_case.sh"  # idle_cycle
source "$here/desktop_lib.sh"
[ $# -ge 2 ] || { echo "usage: $0 ZARVELLA KWIN_TOOL" >&2; exit 2; }
zarvella=$(readlink -f "$1") kwin_tool=$(readlink -f "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvella-idle.XXXXXX")
chmod 755 "$work"
trap 'stop_case_processes; [ "$failed" -eq 0 ] && rm -rf "$work" || echo "run_idle_e2e: logs in $work"' EXIT
trap 'exit 130' INT TERM

# all_drawn: the saver's picture covers every output (desktop_lib.sh's full_screen)
all_drawn() {
  local o
  for o in "${desktop_outputs[@]}"; do full_screen "$o" "$work/idle-$o.ppm" || return 1; done
}

# case_idle_desktop LIB: under the compositor of LIB (gnome_lib.sh, kwin_lib.sh)
case_idle_desktop() {
  source "$here/$1"
  start_desktop || { check "the compositor starts" false; return; }
  start_saver_in_desktop --idle 3s
  idle_cycle "send_key $(key_code KEY_LEFTSHIFT)" all_drawn "send_key $(key_code KEY_ESC)"
}

run_case "mutter (org.gnome.Mutter.IdleMonitor): keys keep it away, idle brings it on both monitors, a key ends it, it comes back, SIGTERM ends both" \
  case_idle_desktop gnome_lib.sh
run_case "KWin (ext_idle_notifier_v1): keys keep it away, idle brings it on both outputs, a key ends it, it comes back, SIGTERM ends both" \
  case_idle_desktop kwin_lib.sh
summary
