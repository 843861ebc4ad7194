#!/usr/bin/env bash
# The saver under KDE Plasma's compositor, KWin, headless (kwin_lib.sh), in one
# case: -root on both outputs' background layer, the one at scale 1.5 in
# buffers of exactly its 1920x1080 device pixels; then the saver's own
# windows (check_saver_windows).
#   run_kwin_e2e.sh ZARVELLA SOLID_WINDOW KWIN_TOOL
set -uo pipefail
here=$(dirname "$0")
source "$here/../linux/x_lib.sh"
source "$here/desktop_lib.sh"
source "$here/kwin_lib.sh"
[ $# -ge 3 ] || { echo "usage: $0 ZARVELLA SOLID_WINDOW KWIN_TOOL" >&2; exit 2; }
zarvella=$(readlink -f "$1") solid_window=$(readlink -f "$2") kwin_tool=$(readlink -f "$3")
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvella-kwin.XXXXXX")
chmod 755 "$work"
trap 'stop_case_processes; [ "$failed" -eq 0 ] && rm -rf "$work" || echo "run_kwin_e2e: logs in $work"' EXIT
trap 'exit 130' INT TERM

log_has() { grep -q "$1" "$work/saver.log"; }

case_kwin() {
  start_desktop || { check "KWin starts" false; return; }
  start_saver_in_desktop WAYLAND_DEBUG=client -root
  expect 20 "-root: offered scale 1.5, it makes buffers of 1920x1080" scaled
  local o
  for o in "${desktop_outputs[@]}"; do
    expect 20 "-root: $o shows the picture" output_picture "$o" "$work/root-$o.png"
    check "$o's shot is 1920x1080 (got $(identify -format %wx%h "$work/root-$o.png"))" \
      [ "$(identify -format %wx%h "$work/root-$o.png")" = 1920x1080 ]
    check "-root: $o's picture reaches its right half" picture_lit "$work/root-$o.png" 960x1080+960+0
  done
  check "-root: a layer surface" log_has 'zwlr_layer_shell_v1@[0-9]*\.get_layer_surface'
  check "-root: 1920x1080 buffers shown as 1280x720" log_has 'set_destination(1280, 720)'
  check "-root: at scale 1.5, buffers of 1920x1080 alone" \
    [ -z "$(sed -n '/preferred_scale(180)/,$p' "$work/saver.log" | grep 'create_buffer(' | grep -v ', 1920, 1080,')" ]
  # /s over -root: KWin goes on asking the covered background for frames, and
  # -root draws none while a saver of ours shows, then draws again
  local root_pid=$saver_pid
  start_saver_in_desktop /s
  expect 20 "/s covers Virtual-0 over -root" full_screen Virtual-0 "$work/over-root.ppm"
  expect 10 "-root draws nothing under /s" root_still 1.5
  stop_saver
  saver_pid=$root_pid
  local n
  n=$(root_commits)
  expect 10 "-root draws again once /s ended" root_commits_beyond "$n"
  kill -TERM "$saver_pid"
  expect_exit 5 "-root: SIGTERM ends it"
  solid_background
  check_saver_windows
}
# -root's surface commits (its WAYLAND_DEBUG lines; /s logs none)
root_commits() { grep -c 'wl_surface@[0-9]*\.commit()' "$work/saver.log"; }
root_commits_beyond() { (($(root_commits) > $1)); }
# root_still SECONDS: no commit for that long (watched for a while)
root_still() { local n; n=$(root_commits); sleep "$1"; [ "$(root_commits)" = "$n" ]; }
output_picture() { output_shot "$1" "$2" && picture_lit "$2"; }
scaled() { sed -n '/preferred_scale(180)/,$p' "$work/saver.log" | grep -q 'create_buffer(.*, 1920, 1080,'; }

run_case "KWin: -root at scale 1.5 and 1, drawing nothing under /s; /s on both outputs, a key ends it; /c opaque; /p" case_kwin
summary
