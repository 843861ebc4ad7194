#!/usr/bin/env bash
# `zarvella -root` under a headless sway (sway_lib.sh), as a lock screen's
# host runs it (globals_filter.py), in one case: both outputs show the
# picture, the scaled one in buffers of its exact size; a layer surface, no
# toplevel, no seat; a rescaled and an added output show it, and a closed
# surface is made again; SIGTERM ends it. Then bad connections, as rows.
#   run_e2e.sh ZARVELLA
set -uo pipefail
here=$(dirname "$0")
source "$here/../linux/x_lib.sh"
source "$here/sway_lib.sh"

[ $# -ge 1 ] || { echo "usage: $0 ZARVELLA" >&2; exit 2; }
zarvella=$(readlink -f "$1")
for program in sway swaymsg grim convert identify setpriv /usr/bin/python3; do
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

log_has() { grep -q "$1" "$work/saver.log"; }
lacks() { ! log_has "$1"; }
# After the last output scale of 1 (HEADLESS-2's new one): buffer scale 1 and
# new buffers of 1280x720 (HEADLESS-1's are made once, at the start).
rescaled() {
  tac "$work/saver.log" | sed '/wl_output@[0-9]*\.scale(1)/q' >"$work/since-rescale.log"
  grep -q 'set_buffer_scale(1)' "$work/since-rescale.log" &&
    grep -q 'create_buffer(.*, 1280, 720,' "$work/since-rescale.log"
}

made_again() { sed -n '/zwlr_layer_surface_v1@[0-9]*\.closed()/,$p' "$work/saver.log" | grep -q get_layer_surface; }

case_layer_surfaces() {
  start_sway || { check "sway starts" false; return; }
  stop_swaybg
  # As a lock screen's host runs it: the connection in WAYLAND_SOCKET, only
  # the host's globals offered (and the outputs), no WAYLAND_DISPLAY.
  env -u DISPLAY HOME="$sway_dir" XDG_RUNTIME_DIR="$sway_dir" WAYLAND_DEBUG=client \
    "${as_sway[@]}" /usr/bin/python3 "$here/globals_filter.py" "$sway_dir/wayland-1" \
    "$zarvella" -root -detail 30 >"$work/saver.log" 2>&1 &
  saver_pid=$!  # the filter, which passes SIGTERM on and ends with the program's code

  local o
  for o in "${sway_outputs[@]}"; do
    expect 20 "$o shows the picture" output_shows_picture "$o" "$work/$o.png"
    check "$o's shot is 1280x720 (got $(shot_size "$work/$o.png"))" [ "$(shot_size "$work/$o.png")" = 1280x720 ]
  done
  check "the protocol log has a layer surface" log_has 'zwlr_layer_shell_v1@[0-9]*\.get_layer_surface'
  check "no toplevel window" lacks 'xdg_toplevel\|xdg_wm_base@'
  check "no seat (it takes no input)" lacks 'bind(.*"wl_seat"'
  check "the compositor's other globals were not offered" lacks 'global(.*"wp_viewporter"'

  # This sway cannot turn a headless output off ("Failed to commit output"),
  # so the outputs change as it can change them: one rescaled, one added.
  check "HEADLESS-2 (853x480 at 1.5) gets 1706x960 buffers" log_has 'create_buffer(.*, 1706, 960,'
  swaymsg_ output HEADLESS-2 scale 1 >/dev/null
  expect 10 "rescaled to 1, it gets 1280x720 buffers at buffer scale 1" rescaled
  expect 20 "HEADLESS-2 shows it at scale 1" output_shows_picture HEADLESS-2 "$work/rescaled.png"
  swaymsg_ create_output >/dev/null
  expect 20 "an added output shows it" output_shows_picture HEADLESS-3 "$work/added.png"
  check "it keeps running" running

  kill -USR1 "$saver_pid"  # the host closes a surface: no output changes
  expect 10 "a closed surface is made again at once" made_again
  for o in "${sway_outputs[@]}" HEADLESS-3; do
    expect 20 "$o shows the picture after a close" output_shows_picture "$o" "$work/re-$o.png"
  done

  kill -TERM "$saver_pid"
  expect_exit 1 "SIGTERM ends it"
}

# case_connection HOW [SIGNAL]: a host's socket silent from the start, or after
# one answer (inside eglInitialize), until SIGNAL ends it quietly with code 0;
# a pipe or a file in WAYLAND_SOCKET, named in one line, with code 1.
case_connection() {
  local how=$1 signal=${2:-} log="$work/$1.log"
  case $how in
    silent-after-*)
      start_sway || { check "sway starts" false; return; }
      env -u DISPLAY HOME="$sway_dir" XDG_RUNTIME_DIR="$sway_dir" "${as_sway[@]}" /usr/bin/python3 \
        "$here/globals_filter.py" --silent-after "${how#silent-after-}" "$sway_dir/asked" \
        "$sway_dir/wayland-1" "$zarvella" -root >"$log" 2>&1 & ;;
    pipe) : | env -u DISPLAY HOME="$work" WAYLAND_SOCKET=0 "$zarvella" -root >"$log" 2>&1 & ;;
    file) env -u DISPLAY HOME="$work" WAYLAND_SOCKET=3 "$zarvella" -root >"$log" 2>&1 3<"$0" & ;;
  esac
  saver_pid=$!
  if [ -n "$signal" ]; then
    expect 10 "it asks the compositor" [ -s "$sway_dir/asked" ]
    check "it waits for the answer" running
    kill -"$signal" "$saver_pid"
    expect_exit 2 "SIG$signal ends it at once"
    check "quietly (got: $(cat "$log"))" [ ! -s "$log" ]
  else
    expect_exit 5 "it ends" 1
    local said='zarvella: WAYLAND_SOCKET=[03] is not a Wayland connection: descriptor [03] is not a socket'
    check "one line: no Wayland connection (got: $(cat "$log"))" [ "$(grep -cx "$said" "$log") $(wc -l <"$log")" = "1 1" ]
  fi
}

run_case "-root on Wayland: every output's background layer, following outputs" case_layer_surfaces
run_case "-root on Wayland: a host's socket that never answers, SIGINT" case_connection silent-after-0 INT
run_case "-root on Wayland: a compositor silent after its first answer, SIGTERM" case_connection silent-after-1 TERM
run_case "-root on Wayland: a pipe in WAYLAND_SOCKET" case_connection pipe
run_case "-root on Wayland: a file in WAYLAND_SOCKET" case_connection file
summary
