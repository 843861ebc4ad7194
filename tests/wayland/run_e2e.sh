#!/usr/bin/env bash
# End-to-end tests of the saver as a native Wayland client: a headless sway
# with two outputs (HEADLESS-2 at scale 1.5) and no Xwayland, windows read
# from sway's tree, pixels from grim, keys typed by wtype.
#
#   run_e2e.sh ZARVELLA
#
# ZARVELLA_E2E_ONLY=TEXT runs only the cases whose names hold TEXT. Prints
# PASS/FAIL per case and "N passed, N failed"; exits non-zero on a failure.
set -uo pipefail
here=$(dirname "$0")
source "$here/../linux/x_lib.sh"
source "$here/sway_lib.sh"

[ $# -ge 1 ] || { echo "usage: $0 ZARVELLA" >&2; exit 2; }
zarvella=$(readlink -f "$1")
for program in sway swaymsg grim wtype jq convert identify; do
  command -v "$program" >/dev/null || { echo "run_e2e: $program is missing" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/zarvella-wayland.XXXXXX")
chmod 755 "$work"  # the compositor's user reads and writes below it
saver_pid=""
cleanup() {
  stop_case_processes
  if [ "$failed" -eq 0 ]; then rm -rf "$work"; else echo "run_e2e: logs and shots kept in $work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

new_config() { config=$(mktemp -d "$work/config.XXXXXX"); }

# The two outputs' shots: each 1280x720 device pixels, lit on both halves
# (a viewport short of the whole buffer would leave the right one dark).
both_outputs_lit() {
  local o
  for o in "${sway_outputs[@]}"; do
    expect_output_lit 15 "$o" "$work/$o.png" 0.02
    check "$o: the shot is 1280x720 (got $(shot_size "$work/$o.png"))" [ "$(shot_size "$work/$o.png")" = 1280x720 ]
    check "$o: the picture reaches the right half" lit_above "$work/$o.png" 640x720+640+0 0.01
  done
}

# case_fullscreen END...: /s covers both outputs with a full-screen window
# each (no title bar), the picture on both; END (a command) ends it. (The
# headless seat has no pointer, and Debian has no virtual-pointer tool for
# this sway: the pointer's threshold is the core's rule, tested there.)
case_fullscreen() {
  new_config
  start_sway || { check "sway starts" false; return; }
  start_saver_in_sway /s
  expect_output 15 "a full-screen window on each output" \
    "$(printf '1280x720+0+0 1 HEADLESS-1\n853x480+1280+0 1 HEADLESS-2')" sway_windows Zarvella
  both_outputs_lit
  "$@"
  expect_exit 10 "/s: $* ends it"
}
# case_window TITLE ARGS...: a window of its own with the picture in it.
case_window() {
  local title=$1 rect w h x y; shift
  new_config
  start_sway || { check "sway starts" false; return; }
  start_saver_in_sway "$@"
  expect 15 "\"$title\" shows" sway_windows "$title"
  rect=$(sway_windows "$title" | head -n1)
  IFS='x+ ' read -r w h x y _ <<<"$rect"
  # The picture's part of the window: the settings window's top 290 pixels.
  [ "$1" = /c ] && h=290
  check "$title: the picture is drawn in the window" \
    wait_until 15 output_region_lit HEADLESS-1 "$work/window.png" "${w}x${h}+$x+$y" 0.02
  stop_saver
}

# An X-only form with no Xwayland: one line, exit code 1.
case_x_only() {
  new_config
  start_sway || { check "sway starts" false; return; }
  start_saver_in_sway /p 12
  expect_exit 10 "/p 12 ends" 1
  local want="zarvella: /p ID draws into an X window, and DISPLAY is not set in this Wayland session (no Xwayland)"
  check "one line: $want (got '$(tail -n1 "$work/saver.log")')" [ "$(tail -n1 "$work/saver.log")" = "$want" ]
}

#        name                                                          function         ends with
run_case "/s: every output covered full screen, a key ends it"          case_fullscreen  in_sway wtype -s 1500 -k Escape
run_case "/c: the settings window with its picture"                     case_window "Zarvella Settings" /c
run_case "/p: the stand-alone preview with its picture"                 case_window MySaver /p
run_case "/p ID without Xwayland: one line, exit code 1"                case_x_only
summary
