#!/usr/bin/env bash
# The saver under GNOME's own shell, gnome-shell, headless (gnome_lib.sh), in
# one case: its own windows (check_saver_windows), starting while the
# login's overview is open; -root's one-line refusal; and the shell's lock
# screen, under which a saver is gone.
#   run_gnome_e2e.sh ZARVELLA SOLID_WINDOW
set -uo pipefail
here=$(dirname "$0")
source "$here/../linux/x_lib.sh"
source "$here/../linux/idle_case.sh"  # saver_child
source "$here/desktop_lib.sh"
source "$here/gnome_lib.sh"
[ $# -ge 2 ] || { echo "usage: $0 ZARVELLA SOLID_WINDOW" >&2; exit 2; }
zarvella=$(readlink -f "$1") solid_window=$(readlink -f "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvella-gnome.XXXXXX")
chmod 755 "$work"
trap 'stop_case_processes; [ "$failed" -eq 0 ] && rm -rf "$work" || echo "run_gnome_e2e: logs in $work"' EXIT
trap 'exit 130' INT TERM

case_gnome() {
  start_desktop || { check "gnome-shell starts" false; return; }
  check "gnome-shell opens its overview at the start, as at a login" \
    grep -q true <<<"$(shell_property OverviewActive)"
  solid_background
  check_saver_windows
  start_saver_in_desktop -root
  expect_exit 10 "-root without a layer shell ends" 1
  local got want="zarvella: this Wayland compositor offers no layer shell (wlr-layer-shell-unstable-v1), so -root has no background to draw on"
  got=$(tail -n1 "$work/saver.log")
  check "-root: one line: $want (got '$got')" [ "$got" = "$want" ]
  lock_under_idle
  [ ${#case_failures[@]} -eq 0 ] || gnome_answers || gnome_stalled=1
}

# --idle 3s shows its saver; the shell's lock ends it, and while the shield
# is up, no saver starts though the session stays idle, and a /s started
# by hand ends at once: nothing draws under the shield
lock_under_idle() {
  start_saver_in_desktop --idle 3s
  expect 30 "--idle: its saver on both monitors" all_drawn
  local child
  child=$(saver_child)
  lock_session
  expect 10 "the lock ends the saver" ended "$child"
  check "locked: no saver while the session is idle twice the time" held_under_lock
  check "--idle runs on under the lock" running
  stop_saver
  start_saver_in_desktop /s
  expect_exit 10 "/s started under the shield ends at once"
}
all_drawn() { local o; for o in "${desktop_outputs[@]}"; do full_screen "$o" "$work/idle-$o.ppm" || return 1; done; }
held_under_lock() { session_locked && wait_until 30 idle_for 6000 && ! saver_started; }
idle_for() {  # idle_for MS: the session's idle time (mutter's monitor) is at least MS
  local ms
  ms=$(in_desktop gdbus call --session -d org.gnome.Mutter.IdleMonitor -o /org/gnome/Mutter/IdleMonitor/Core \
    -m org.gnome.Mutter.IdleMonitor.GetIdletime 2>/dev/null | tr -dc 0-9)
  ((${ms:-0} >= $1))
}

# mutter on llvmpipe now and then stops answering for good while a client maps
# its windows: its main thread waits inside Mesa's upload of a buffer, and
# nothing reaches it any more (not our keys, not its own D-Bus methods). Such
# a run tells nothing of the saver, so it is run once more on a fresh
# compositor; a failure while the shell still answers counts at once.
gnome_answers() {
  timeout 5 "${desk[@]}" dbus-send --session --print-reply --dest=org.gnome.Mutter.DisplayConfig \
    /org/gnome/Mutter/DisplayConfig org.gnome.Mutter.DisplayConfig.GetCurrentState >/dev/null 2>&1
}

name="gnome-shell: /s over the login's overview on both monitors, a key ends it; /c opaque; /p; -root refused; its lock ends --idle's saver and holds it off"
gnome_stalled=0
run_case "$name" case_gnome
if [ "$gnome_stalled" = 1 ]; then
  echo "gnome-shell itself stopped answering: the case once more, on a fresh shell"
  failed=$((failed - 1)) failed_names=()
  gnome_stalled=0
  run_case "$name (again)" case_gnome
fi
summary
