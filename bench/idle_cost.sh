#!/usr/bin/env bash
# What a waiting `zarvella --idle` costs: CPU seconds per second (user +
# system, all threads, from /proc/PID/stat), wake-ups per second (voluntary
# context switches) and memory (VmRSS at the end, VmHWM the peak) over
# SECONDS (30), with TIME far away so that no saver starts. Two sessions: an
# Xvfb display with a session bus (MIT-SCREEN-SAVER, the freedesktop
# inhibitors served) and a headless sway 1.7 (org_kde_kwin_idle); and on X11
# the costliest wait: idle, with an inhibitor held, asked each second.
#
#   bench/idle_cost.sh [SECONDS] [ZARVELLA]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
zarvella=$(readlink -f "${2:-$root/build/linux/zarvella}")
work=$(mktemp -d /tmp/zarvella-idle-cost.XXXXXX)
chmod 755 "$work"
. "$root/tests/linux/x_lib.sh"
. "$root/tests/wayland/sway_lib.sh"
idle=""
xvfb_pid=""
cleanup() { stop_pid "$idle"; stop_case_processes; stop_pid "$xvfb_pid"; rm -rf "$work"; }
trap cleanup EXIT

status() { awk -v k="$2:" '$1 == k {print $2}' "/proc/$1/status"; }
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# measure WHAT PID: one table row over $seconds
measure() {
  local t0 w0 t1 w1
  # Started once it answers nothing more than its start-up: a second in.
  wait_until 5 alive "$2" && sleep 1
  t0=$(ticks "$2") w0=$(status "$2" voluntary_ctxt_switches)
  sleep "$seconds"  # the measuring window itself
  alive "$2" || { echo "idle_cost: --idle ended early: $(cat "$work/idle.log")" >&2; exit 1; }
  t1=$(ticks "$2") w1=$(status "$2" voluntary_ctxt_switches)
  awk -v what="$1" -v t=$((t1 - t0)) -v w=$((w1 - w0)) -v s="$seconds" -v hz="$(getconf CLK_TCK)" \
    -v rss="$(status "$2" VmRSS)" -v hwm="$(status "$2" VmHWM)" \
    'BEGIN {printf "| %s | %.4f | %.2f | %.1f | %.1f |\n", what, t / hz / s, w / s, rss / 1024, hwm / 1024}'
}

echo "| --idle 10m waiting, $seconds s | CPU s/s | wake-ups/s | RSS MiB | peak RSS MiB |"
echo "|---|---:|---:|---:|---:|"

unset WAYLAND_DISPLAY WAYLAND_SOCKET
start_display 1280x1024x24 || exit 1
dbus-daemon --session --nofork --print-address=1 >"$work/bus" 2>/dev/null &
helper_pids+=("$!")
DBUS_SESSION_BUS_ADDRESS=$(wait_until 10 first_line "$work/bus") || exit 1
export DBUS_SESSION_BUS_ADDRESS
"$zarvella" --idle 10m >"$work/idle.log" 2>&1 &
idle=$!
measure "X11 (Xvfb, MIT-SCREEN-SAVER, inhibitors served on the bus)" "$idle"
stop_pid "$idle"
# Idle, but a player holds the saver off: asked once a second. The time
# counts from the key, and the player holds it well before.
xdotool key shift
"$zarvella" --idle 3s >"$work/idle.log" 2>&1 &
idle=$!
wait_until 10 gdbus call --session -d org.freedesktop.ScreenSaver -o /ScreenSaver \
  -m org.freedesktop.ScreenSaver.GetActive >/dev/null 2>&1
/usr/bin/python3 -c 'import dbus, time
dbus.SessionBus().get_object("org.freedesktop.ScreenSaver", "/ScreenSaver").Inhibit(
    "bench", "held", dbus_interface="org.freedesktop.ScreenSaver")
time.sleep(3600)' &
helper_pids+=("$!")
measure "X11, --idle 3s, idle with an inhibitor held" "$idle"
[ -z "$(grep -l "^PPid:[[:space:]]*$idle\$" /proc/[0-9]*/status 2>/dev/null)" ] ||
  echo "idle_cost: a saver started although held off" >&2
stop_pid "$idle"
stop_case_processes

unset DBUS_SESSION_BUS_ADDRESS
start_sway || exit 1
env -u DISPLAY HOME="$sway_dir" XDG_RUNTIME_DIR="$sway_dir" WAYLAND_DISPLAY=wayland-1 \
  "${as_sway[@]}" "$zarvella" --idle 10m >"$work/idle.log" 2>&1 &
idle=$!
measure "sway 1.7 (org_kde_kwin_idle)" "$idle"
