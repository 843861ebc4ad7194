#!/usr/bin/env bash
# The saver as a native Wayland client, each case in a headless sway of its own
# (sway_lib.sh). run_windows_e2e.sh ZARVELLA (ZARVELLA_E2E_ONLY=TEXT: only those cases)
set -uo pipefail
source "$(dirname "$0")/../linux/x_lib.sh"
source "$(dirname "$0")/sway_lib.sh"
source "$(dirname "$0")/../linux/idle_case.sh"  # saver_child and its kin
source "$(dirname "$0")/../linux/idle_row_case.sh"
[ $# -ge 1 ] || { echo "usage: $0 ZARVELLA" >&2; exit 2; }
zarvella=$(readlink -f "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvella-wayland.XXXXXX")
chmod 755 "$work"  # the compositor's user works below it
trap 'stop_case_processes; [ "$failed" -eq 0 ] && rm -rf "$work" || echo "run_e2e: logs in $work"' EXIT
trap 'exit 130' INT TERM

# fresh ARGS...: a new sway (with $sway_config's lines) and settings folder,
# the saver started with ARGS
fresh() {
  config=$(mktemp -d "$work/config.XXXXXX")
  start_sway "${sway_config:-}" && start_saver_in_sway "$@"
}

# /s: a full-screen window on each output, whose 1280x720 pixels are lit on
# both halves (a viewport short of the buffer leaves the right dark); a key ends it.
case_fullscreen() {
  fresh /s || { check "sway starts" false; return; }
  expect_output 15 "a full-screen window on each output" \
    "$(printf '1280x720+0+0 1 HEADLESS-1\n853x480+1280+0 1 HEADLESS-2')" sway_windows Zarvella
  local o
  for o in "${sway_outputs[@]}"; do
    expect_output_lit 15 "$o" "$work/$o.png" 0.02
    check "$o: 1280x720 (got $(shot_size "$work/$o.png"))" [ "$(shot_size "$work/$o.png")" = 1280x720 ]
    check "$o: the picture reaches the right half" lit_above "$work/$o.png" 640x720+640+0 0.01
  done
  in_sway wtype -s 1500 -k Escape
  expect_exit 10 "/s: Escape ends it"
}

# case_window TITLE PICTURE-SHARE SWAY-LINE ARGS...: over a magenta desktop
# (and SWAY-LINE's outputs) its picture (the top PICTURE-SHARE of the window)
# drawn, not one pixel of the window the desktop's, and the whole window, its
# title bar too, inside its output.
case_window() {
  local title=$1 share=$2 w h x y scale; shift 2
  sway_config="output * bg #ff00ff solid_color
$1" fresh "${@:2}" || { check "sway starts" false; return; }
  expect 15 "\"$title\" shows" sway_windows_named "$title"
  IFS='x+ ' read -r w h x y _ < <(sway_windows "$title")
  scale=$(output_scale HEADLESS-1)
  local whole picture
  whole=$(to_device "${w}x${h}+$x+$y" "$scale")
  picture=$(to_device "${w}x$(awk -v h="$h" -v s="$share" 'BEGIN {print int(h * s)}')+$x+$y" "$scale")
  check "$title: its picture is drawn" wait_until 15 output_region_lit HEADLESS-1 \
    "$work/${title// /_}.png" "$picture" 0.02
  local desktop
  desktop=$(colour_share "$work/${title// /_}.png" "$whole" '#ff00ff')
  check "$title: opaque ($desktop of it shows the desktop)" below "$desktop" 0.0001
  check "$title: wholly inside its output ($(sway_windows "$title"))" sway_window_inside "$title"
  stop_saver
}

case_x_only() {  # an X-only form without Xwayland: one line, exit code 1
  fresh /p 12 && expect_exit 10 "/p 12 ends" 1
  local got want="zarvella: /p ID draws into an X window, and DISPLAY is not set in this Wayland session (no Xwayland)"
  got=$(tail -n1 "$work/saver.log")
  check "one line: $want (got '$got')" [ "$got" = "$want" ]
}

# --idle by sway 1.7's org_kde_kwin_idle: input keeps the saver away, idleness
# brings it on both outputs, a key ends it, it comes back, SIGTERM ends both.
both_outputs_covered() {
  output_is "$(printf '1280x720+0+0 1 HEADLESS-1\n853x480+1280+0 1 HEADLESS-2')" sway_windows Zarvella
}
case_idle() {
  fresh --idle 3s || { check "sway starts" false; return; }
  expect 10 "--idle holds its lock" lock_held "$sway_dir/zarvella-idle.wayland-1.lock"
  refusal "a second --idle" "zarvella: --idle already runs in this session" -u DISPLAY \
    HOME="$sway_dir" XDG_RUNTIME_DIR="$sway_dir" WAYLAND_DISPLAY=wayland-1 "${as_sway[@]}"
  idle_cycle "in_sway wtype -k Shift_L" sway_drawn "in_sway wtype -s 500 -k Escape"
  # A player's Inhibit on the session bus holds it off here too: --idle serves the name.
  local saved_bus=${DBUS_SESSION_BUS_ADDRESS:-}
  start_bus && start_saver_in_sway --idle 3s || check "a session bus and --idle start" false
  check "--idle serves the inhibitors on sway" wait_until 10 output_is "(false,)" screensaver_call GetActive
  hold_inhibitor || check "a player holds an inhibitor" false
  in_sway wtype -k Shift_L
  check "held: no saver after twice the time" sway_held_off "${EPOCHREALTIME/./}" 6000
  exec 7>&-  # the player quits
  expect 10 "the player's leaving: the saver starts" saver_started
  stop_saver
  export DBUS_SESSION_BUS_ADDRESS=$saved_bus
}
# sway_held_off SINCE MS: MS have passed since the last input (SINCE, in
# microseconds: nobody else types here), and --idle, answering after that,
# has started no saver
sway_held_off() {
  wait_until 30 past "$1" "$2" && wait_until 5 output_is "(false,)" screensaver_call GetActive &&
    ! saver_started
}
past() { (( ${EPOCHREALTIME/./} - $1 >= $2 * 1000 )); }
lock_held() { [ -e "$1" ] && ! flock -n "$1" true; }
# --idle's saver under swaylock: what the user types into the lock is input,
# so the saver ends, and the lock holds
case_idle_swaylock() {
  fresh --idle 3s || { check "sway starts" false; return; }
  expect 30 "idle: the saver on both outputs" sway_drawn
  local child locker
  child=$(saver_child)
  in_sway swaylock -c 224466 >>"$work/swaylock.log" 2>&1 &
  locker=$!
  helper_pids+=("$locker")
  expect 10 "swaylock locks the session" output_is "srgb(34,68,102)" lock_colour
  in_sway wtype -k a
  expect 6 "a key typed into swaylock ends the saver" ended "$child"
  check "swaylock still holds the session" alive "$locker"
  check "--idle runs on" running
  stop_saver
}
lock_colour() { output_shot HEADLESS-1 "$work/lock.png" && convert "$work/lock.png" -format '%[pixel:p{10,10}]' info:; }
sway_drawn() { both_outputs_covered && output_lit HEADLESS-2 "$work/idle.png" 0.02; }

run_case "/s: every output covered full screen, a key ends it" case_fullscreen
run_case "/c: the settings window, opaque, fits a 640x360 output at scale 2" \
  case_window "Zarvella Settings" 0.67 "output HEADLESS-1 scale 2" /c
run_case "/p: the stand-alone preview, opaque"                 case_window MySaver 1 "" /p
run_case "-window: the hack's window, opaque"                  case_window Zarvella 1 "" -window
run_case "/p ID without Xwayland: one line, exit code 1"       case_x_only
run_case "--idle (org_kde_kwin_idle): input keeps it away, idle covers both outputs, a key ends it, it comes back, SIGTERM ends both; a player's inhibitor holds it off" case_idle
run_case "/c's --idle row: ticked, the entry runs --idle 1m and it runs; unticked, both gone" case_settings_idle_row_sway
run_case "--idle under swaylock: a key typed into the lock ends the saver, the lock holds" case_idle_swaylock
summary
