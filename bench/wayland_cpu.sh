#!/usr/bin/env bash
# What `zarvella -root` costs on Wayland, measured from outside: CPU seconds
# (user + system from /proc, llvmpipe's threads included) over SECONDS (10)
# under a headless sway with two 1280x720 outputs (one at scale 1.5), first
# while the compositor runs (both outputs drawn at the -delay pace), then
# while it is stopped (SIGSTOP): no frame callback comes, as for an output
# that is off or covered, and nothing should be drawn.
#
#   bench/wayland_cpu.sh [SECONDS] [ZARVELLA]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-10}
zarvella=$(readlink -f "${2:-$root/build/linux/zarvella}")
work=$(mktemp -d /tmp/zarvella-wayland-cpu.XXXXXX)
chmod 755 "$work"
. "$root/tests/linux/x_lib.sh"
. "$root/tests/wayland/sway_lib.sh"
saver=""
cleanup() { [ -n "${sway_pid:-}" ] && kill -CONT "$sway_pid" 2>/dev/null; stop_pid "$saver"; stop_case_processes; rm -rf "$work"; }
trap cleanup EXIT

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
cpu_seconds() {  # cpu_seconds PID: CPU seconds PID uses in the next $seconds
  local before after
  before=$(cpu_ticks "$1")
  sleep "$seconds"  # the measuring window itself
  after=$(cpu_ticks "$1")
  awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" 'BEGIN {printf "%.2f", t / hz}'
}

start_sway && stop_swaybg || { echo "wayland_cpu: sway did not start" >&2; exit 1; }
env -u DISPLAY HOME="$sway_dir" XDG_RUNTIME_DIR="$sway_dir" WAYLAND_DISPLAY=wayland-1 \
  "${as_sway[@]}" "$zarvella" -root >"$work/saver.log" 2>&1 &
saver=$!
wait_until 20 output_shows_picture HEADLESS-2 "$work/shot.png" || { echo "wayland_cpu: no picture" >&2; exit 1; }
drawing=$(cpu_seconds "$saver")
kill -STOP "$sway_pid"
idle=$(cpu_seconds "$saver")
kill -CONT "$sway_pid"
echo "| zarvella -root, two outputs, $seconds s | CPU seconds |"
echo "|---|---|"
echo "| both outputs drawn (default -delay 40000) | $drawing |"
echo "| no frame callbacks (compositor stopped) | $idle |"
