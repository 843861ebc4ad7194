#!/usr/bin/env bash
# End to end under a headless sway (two outputs, the second at scale 1.5, no
# Xwayland, a black background): `zarvella -root` as every output's
# background layer surface.
#
#   run_e2e.sh ZARVELLA
#
# One case: both outputs show the picture at their full size; the protocol
# log has a layer surface and no toplevel window and no seat; an output
# disabled keeps it running and, enabled again, shows the picture again;
# SIGTERM ends it within a second with exit code 0.
set -uo pipefail
here=$(dirname "$0")
source "$here/../linux/x_lib.sh"
source "$here/sway_lib.sh"

[ $# -ge 1 ] || { echo "usage: $0 ZARVELLA" >&2; exit 2; }
zarvella=$(readlink -f "$1")
for program in sway swaymsg grim convert identify setpriv; do
  command -v "$program" >/dev/null || { echo "run_e2e: $program is missing" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/zarvella-wayland.XXXXXX")
chmod 755 "$work"
saver_pid=""
cleanup() {
  stop_case_processes
  if [ "$failed" -eq 0 ]; then rm -rf "$work"; else echo "run_e2e: logs and shots kept in $work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

output_active() {  # output_active OUTPUT true|false: sway reports it so
  swaymsg_ -t get_outputs -r | tr -d ' \n' | grep -q "\"name\":\"$1\",[^}]*\"active\":$2"
}
log_has() { grep -q "$1" "$work/saver.log"; }

case_layer_surfaces() {
  start_sway || { check "sway starts" false; return; }
  # As in_sway, spelt out so that $! is the program.
  env -u DISPLAY HOME="$sway_dir" XDG_RUNTIME_DIR="$sway_dir" WAYLAND_DISPLAY=wayland-1 \
    WAYLAND_DEBUG=client "${as_sway[@]}" "$zarvella" -root -detail 30 >"$work/saver.log" 2>&1 &
  saver_pid=$!

  local o
  for o in "${sway_outputs[@]}"; do
    expect_output_lit 20 "$o" "$work/$o.png" 0.05
    check "$o's shot is 1280x720 (got $(shot_size "$work/$o.png"))" [ "$(shot_size "$work/$o.png")" = 1280x720 ]
  done
  check "the protocol log has a layer surface" log_has 'zwlr_layer_shell_v1@[0-9]*\.get_layer_surface'
  check "no toplevel window" ! log_has 'xdg_toplevel\|xdg_wm_base@'
  check "no seat (it takes no input)" ! log_has 'bind(.*"wl_seat"'

  swaymsg_ output HEADLESS-2 disable >/dev/null
  expect 10 "HEADLESS-2 goes off" output_active HEADLESS-2 false
  expect 10 "its surface goes with it" log_has 'zwlr_layer_surface_v1@[0-9]*\.closed\|global_remove'
  expect_output_lit 10 HEADLESS-1 "$work/after-off.png" 0.05
  check "it keeps running with an output off" running
  swaymsg_ output HEADLESS-2 enable >/dev/null
  expect_output_lit 20 HEADLESS-2 "$work/again.png" 0.05

  kill -TERM "$saver_pid"
  expect_exit 1 "SIGTERM ends it"
}

run_case "-root on Wayland: every output's background layer, following outputs" case_layer_surfaces
summary
