#!/usr/bin/env bash
# What a second monitor costs: the native saver (zarvella /s, Release, first-run
# defaults) on one 1280x1024 monitor and on two side by side (one 2560x1024
# Xvfb screen divided by xrandr --setmonitor), SECONDS (20) each, one after
# the other in one run, under /usr/bin/time -v (CPU = user + system of the
# process and its threads, llvmpipe's included; frames = glXSwapBuffers
# counted by the preloaded counter); and the engine's instructions per frame
# for one and two monitors from callgrind on a do-nothing GL.
#
#   bench/saver_monitors.sh [SECONDS]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
perf="$root/build/perf"
work=$(mktemp -d /tmp/zarvella-monitors.XXXXXX)
mkdir -p "$perf"
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
die() { echo "saver_monitors: $*" >&2; exit 1; }

echo "saver_monitors: building (Release) into $perf" >&2
cmake -S "$root/bench/saver_cpu" -B "$perf" -DCMAKE_BUILD_TYPE=Release >"$work/b1.log" 2>&1 &&
  cmake --build "$perf" -j 2 >>"$work/b1.log" 2>&1 || { tail -20 "$work/b1.log"; die "helpers did not build"; }
cmake -S "$root" -B "$perf/linux" -DCMAKE_BUILD_TYPE=Release -DZARVELLA_TESTS=OFF -DZARVELLA_BENCH=OFF \
  >"$work/b2.log" 2>&1 && cmake --build "$perf/linux" --target zarvella -j 2 >>"$work/b2.log" 2>&1 ||
  { tail -20 "$work/b2.log"; die "the Linux saver did not build"; }

start_xvfb() {  # start_xvfb WxH: a free display from :81 on; DISPLAY points at it
  local n pid
  for n in $(seq 81 99); do
    { [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; } && continue
    Xvfb ":$n" -screen 0 "$1x24" -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    pid=$!
    for _ in $(seq 50); do DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    if [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$pid" ]; then
      pids+=("$pid")
      export DISPLAY=":$n"
      return 0
    fi
    kill "$pid" 2>/dev/null
  done
  die "no Xvfb on :81-:99"
}

rows=()
measure() {  # measure NAME: zarvella /s on the current display
  local tlog="$work/$1.time" count="$work/$1.swaps" user sys frames
  echo "saver_monitors: $1 for ${seconds}s" >&2
  XDG_CONFIG_HOME="$work/config" SWAP_COUNT_FILE="$count" /usr/bin/time -v -o "$tlog" \
    timeout -s TERM "$seconds" env LD_PRELOAD="$perf/swap_counter.so" "$perf/linux/zarvella" /s \
    >/dev/null 2>&1
  user=$(sed -n 's/.*User time (seconds): //p' "$tlog")
  sys=$(sed -n 's/.*System time (seconds): //p' "$tlog")
  read -r frames _ <"$count" 2>/dev/null || frames=0
  rows+=("$1|$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')|$frames")
}

start_xvfb 1280x1024
measure "one monitor, 1280x1024"
start_xvfb 2560x1024
xrandr --setmonitor left 1280/339x1024/271+0+0 screen >/dev/null &&
  xrandr --setmonitor right 1280/339x1024/271+1280+0 none >/dev/null || die "xrandr --setmonitor failed"
measure "two monitors, 2 x 1280x1024"

echo "saver_monitors: callgrind" >&2
declare -A ipf draw
for m in 1 2; do
  for n in 10 60; do
    valgrind --tool=callgrind --callgrind-out-file="$work/cg-$m-$n" "$perf/frame_loop" default "$n" "$m" \
      >/dev/null 2>&1 || die "callgrind failed"
  done
  a=$(sed -n 's/^totals: //p' "$work/cg-$m-10" | awk '{print $1}')
  b=$(sed -n 's/^totals: //p' "$work/cg-$m-60" | awk '{print $1}')
  ipf[$m]=$(((b - a) / 50))
  da=$(callgrind_annotate --inclusive=yes "$work/cg-$m-10" 2>/dev/null | awk '/zarvella::DrawSurface\(\)/ { gsub(",", "", $1); print $1; exit }')
  db=$(callgrind_annotate --inclusive=yes "$work/cg-$m-60" 2>/dev/null | awk '/zarvella::DrawSurface\(\)/ { gsub(",", "", $1); print $1; exit }')
  draw[$m]=$(((${db:-0} - ${da:-0}) / 50))
done

{
  echo "Machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores; Mesa llvmpipe; ${seconds} s per run;" \
    "load average at the end $(cut -d' ' -f1-3 /proc/loadavg)."
  echo
  echo "| zarvella /s, defaults | CPU s | CPU s/s | frames/s | CPU ms/frame |"
  echo "|---|---:|---:|---:|---:|"
  for r in "${rows[@]}"; do
    IFS='|' read -r n c f <<<"$r"
    awk -v n="$n" -v c="$c" -v f="$f" -v s="$seconds" 'BEGIN {
      printf "| %s | %.2f | %.3f | %.1f | %s |\n", n, c, c / s, f / s, (f > 0 ? sprintf("%.2f", c * 1000 / f) : "-") }'
  done
  IFS='|' read -r _ c1 _ <<<"${rows[0]}"
  IFS='|' read -r _ c2 _ <<<"${rows[1]}"
  echo
  echo "Two monitors cost $(awk -v a="$c1" -v b="$c2" 'BEGIN { printf "%.2f", b / a }') times one."
  echo
  echo "| RenderFrame on a do-nothing GL (callgrind) | instructions per frame | of which DrawSurface | the rest (phases, grid) |"
  echo "|---|---:|---:|---:|"
  for m in 1 2; do
    echo "| $m monitor(s) | ${ipf[$m]} | ${draw[$m]} | $((ipf[$m] - draw[$m])) |"
  done
} | tee "$perf/monitors.md"
