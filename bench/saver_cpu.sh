#!/usr/bin/env bash
# The full-screen saver's cost on this machine, measured from outside with
# public tools, next to two OpenGL hacks of Debian's xscreensaver-gl:
#   - the native Linux saver (zarvella /s) and the 32-bit Zarvella.scr under
#     Wine, each at the first-run defaults and with every slider at its top,
#     and gflux and kaleidocycle with -root, one after the other on the same
#     1280x1024 Xvfb, SECONDS (30) each, under /usr/bin/time -v: CPU seconds
#     (user + system, the process and the threads it starts, llvmpipe's
#     included), peak RSS, frames shown (glXSwapBuffers counted by a preloaded
#     counter; under Wine, the wgl trace's SwapBuffers lines), time from start
#     to the first frame; and, as the toolkit's floor, a full-screen
#     QOpenGLWidget and a QOpenGLWindow that only clear, 25 times a second;
#   - the stand-alone preview (/p without a parent, 320x240), native and under
#     Wine, one after the other: both draw one frame per repaint request of
#     the preview thread, every 40 ms;
#   - what a second monitor costs: zarvella /s at the defaults on one
#     1280x1024 monitor and on two side by side (a 2560x1024 Xvfb screen
#     divided by xrandr --setmonitor);
#   - what the saver costs as a Wayland client while hidden: zarvella /s, /c
#     and /p, each under a headless sway with two outputs (one at scale 1.5),
#     CPU seconds per second from /proc (the process and its threads) while
#     shown, after `move scratchpad` hid both windows, and shown again;
#   - instructions per frame of one RenderFrame loop, from callgrind, with the
#     GL calls going to a do-nothing GL (the engine's own work, noise-free),
#     for one and for two monitors;
#   - what a window costs while nobody can see it: the hack in a host window
#     whose parent is unmapped, or which another window covers wholly, the
#     preview in an unmapped dialog and the settings window unmapped (as a
#     window manager unmaps a minimised one), natively, and the 32-bit preview
#     under Wine in a dialog that hides itself: CPU seconds per second of the
#     process (/proc/PID/stat, its threads included) and frames, over SECONDS
#     seen, then over SECONDS unseen, then whether it draws again.
# Prints a Markdown table (also kept in build/perf/results.md).
#
#   bench/saver_cpu.sh [SECONDS]
#   SAVER_CPU_PARTS="qt callgrind" bench/saver_cpu.sh   only some parts (runs, qt, preview,
#                                                       monitors, callgrind, unseen, hidden)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
parts=${SAVER_CPU_PARTS:-runs qt preview monitors callgrind unseen hidden}
load_start=$(cut -d' ' -f1-3 /proc/loadavg)
perf="$root/build/perf"
work=$(mktemp -d /tmp/zarvella-saver-cpu.XXXXXX)
mkdir -p "$perf"

# shellcheck source=../tests/linux/x_lib.sh
. "$root/tests/linux/x_lib.sh"   # start_display, stop_pid
xvfb_pid=""
cleanup() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null
  stop_pid "$xvfb_pid"
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
die() { echo "saver_cpu: $*" >&2; exit 1; }

# ------------------------------------------------------------ builds (Release)
echo "saver_cpu: building (Release) into $perf" >&2
cmake -S "$root/bench/saver_cpu" -B "$perf" -DCMAKE_BUILD_TYPE=Release >"$work/b1.log" 2>&1 &&
  cmake --build "$perf" -j "$(nproc)" >>"$work/b1.log" 2>&1 || { tail -20 "$work/b1.log"; die "helpers did not build"; }
cmake -S "$root" -B "$perf/linux" -DCMAKE_BUILD_TYPE=Release -DZARVELLA_TESTS=OFF -DZARVELLA_BENCH=OFF \
  >"$work/b2.log" 2>&1 && cmake --build "$perf/linux" --target zarvella -j "$(nproc)" >>"$work/b2.log" 2>&1 ||
  { tail -20 "$work/b2.log"; die "the Linux saver did not build"; }
linux_saver="$perf/linux/zarvella"
[ -x "$linux_saver" ] || die "the Linux saver is missing"
if [[ " $parts " == *" runs "* || " $parts " == *" preview "* || " $parts " == *" unseen "* ]]; then
  cmake --preset win32 -B "$perf/win32" -DCMAKE_BUILD_TYPE=Release >"$work/b3.log" 2>&1 &&
    cmake --build "$perf/win32" -j "$(nproc)" >>"$work/b3.log" 2>&1 || { tail -20 "$work/b3.log"; die "Zarvella.scr did not build"; }
  scr=$(find "$perf/win32" -iname 'zarvella.scr' | head -1)
  [ -n "$scr" ] || die "Zarvella.scr is missing"
fi
counter="$perf/swap_counter.so"

# ------------------------------------------------------------ display
start_display 1280x1024x24 || die "no virtual display"
display=$DISPLAY

# ------------------------------------------------------------ settings
# name: Fast Bright Size Satiation Color Alpha Rands
declare -A values=([default]="10 9 7 5 10 1 0" [top]="100 15 10 10 30 10 0")
names=(Fast Bright Size Satiation Color Alpha Rands)

linux_settings() {  # CONFIG_HOME default|top
  local dir="$1/zarvella" i=0 v
  mkdir -p "$dir"
  { printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Zarvella]\r\n'
    for v in ${values[$2]}; do printf '"%s"=dword:%08x\r\n' "${names[$i]}" "$v"; i=$((i + 1)); done
    printf '\r\n'; } >"$dir/settings.reg"
}

wine_settings() {  # default|top
  local i=0 v
  for v in ${values[$1]}; do
    wine reg add 'HKCU\Software\Zarvella' /v "${names[$i]}" /t REG_DWORD /d "$v" /f >/dev/null 2>&1 || return 1
    i=$((i + 1))
  done
}

# ------------------------------------------------------------ one measurement
rows=()

# measure NAME FRAMES_KIND COMMAND... ; FRAMES_KIND: swap (counter file) or wine (trace)
measure() {
  local name=$1 kind=$2; shift 2
  local tlog="$work/$name.time" count="$work/$name.swaps" trace="$work/$name.trace"
  local start_ns
  rm -f "$count"
  start_ns=$(date +%s%N)
  echo "saver_cpu: $name for ${seconds}s" >&2
  if [ "$kind" = swap ]; then
    SWAP_COUNT_FILE="$count" /usr/bin/time -v -o "$tlog" \
      timeout -s TERM "$seconds" env LD_PRELOAD="$counter" "$@" >/dev/null 2>"$trace"
  else
    # Wine's trace lines appear as they are written: stamp the first swap.
    : >"$trace"
    ( while ! grep -q 'wglSwapBuffers' "$trace" 2>/dev/null; do sleep 0.01; done
      date +%s%N >"$count" ) &
    local watcher=$!
    WINEDEBUG=trace+wgl /usr/bin/time -v -o "$tlog" \
      timeout -s TERM "$seconds" "$@" >/dev/null 2>"$trace"
    kill "$watcher" 2>/dev/null
    wait "$watcher" 2>/dev/null
  fi
  local user sys rss frames first cpu
  user=$(sed -n 's/.*User time (seconds): //p' "$tlog")
  sys=$(sed -n 's/.*System time (seconds): //p' "$tlog")
  rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$tlog")
  if [ "$kind" = swap ]; then
    read -r frames first <"$count" 2>/dev/null || { frames=0; first=0; }
    first=$(awk -v f="$first" -v s="$start_ns" 'BEGIN { if (f > 0) printf "%.2f", (f - s) / 1e9; else print "-" }')
  else
    frames=$(grep -c 'wglSwapBuffers' "$trace")
    first=$(cat "$count" 2>/dev/null || echo 0)
    first=$(awk -v f="$first" -v s="$start_ns" 'BEGIN { if (f > 0) printf "%.2f", (f - s) / 1e9; else print "-" }')
  fi
  cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
  rows+=("$name|$cpu|$frames|$rss|$first")
}

# ------------------------------------------------------------ runs
if [[ " $parts " == *" runs "* ]]; then
for level in default top; do
  config="$work/config-$level"
  linux_settings "$config" "$level"
  XDG_CONFIG_HOME="$config" HOME="$work" measure "linux-$level" swap "$linux_saver" /s
done

export WINEPREFIX="$work/wine" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
echo "saver_cpu: preparing a Wine prefix" >&2
wineboot -i >/dev/null 2>&1; wineserver -w
wineserver -p   # kept up between the runs; its own CPU is reported apart
ws_pid=$(pgrep -n -u "$(id -u)" -f '^/usr/lib/wine/wineserver|wineserver -p' | head -1)
for level in default top; do
  wine_settings "$level" || die "wine reg add failed"
  ws_before=$(awk '{print $14 + $15}' "/proc/$ws_pid/stat" 2>/dev/null || echo 0)
  measure "wine-$level" wine wine "$scr" /s
  ws_after=$(awk '{print $14 + $15}' "/proc/$ws_pid/stat" 2>/dev/null || echo 0)
  eval "ws_$level=$(awk -v a="$ws_before" -v b="$ws_after" -v t="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f", (b - a) / t }')"
done
wineserver -k 2>/dev/null
unset WINEPREFIX

hacks=/usr/libexec/xscreensaver
measure "gflux" swap "$hacks/gflux" -root
measure "kaleidocycle" swap "$hacks/kaleidocycle" -root
fi
if [[ " $parts " == *" preview "* ]]; then
  XDG_CONFIG_HOME="$work/config-preview" HOME="$work" measure "linux-preview" swap "$linux_saver" /p
  export WINEPREFIX="$work/wine" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
  [ -d "$WINEPREFIX" ] || { echo "saver_cpu: preparing a Wine prefix" >&2; wineboot -i >/dev/null 2>&1; wineserver -w; }
  measure "wine-preview" wine wine "$scr" /p
  wineserver -k 2>/dev/null
  unset WINEPREFIX
fi
if [[ " $parts " == *" qt "* ]] && [ -x "$perf/qt_empty_view" ]; then
  measure "qt-widget" swap "$perf/qt_empty_view" widget
  measure "qt-window" swap "$perf/qt_empty_view" window
fi

if [[ " $parts " == *" monitors "* ]]; then
  linux_settings "$work/config-monitors" default
  XDG_CONFIG_HOME="$work/config-monitors" HOME="$work" measure "monitors-1" swap "$linux_saver" /s
  stop_pid "$xvfb_pid"
  start_display 2560x1024x24 || die "no 2560x1024 virtual display"
  xrandr --setmonitor left 1280/339x1024/271+0+0 screen >/dev/null &&
    xrandr --setmonitor right 1280/339x1024/271+1280+0 none >/dev/null || die "xrandr --setmonitor failed"
  XDG_CONFIG_HOME="$work/config-monitors" HOME="$work" measure "monitors-2" swap "$linux_saver" /s
fi

# ------------------------------------------------------------ hidden on Wayland
# CPU s/s of a process (and its threads) over `seconds`, from /proc.
cpu_per_second() {
  local a b
  a=$(awk '{print $14 + $15}' "/proc/$1/stat") || return 1
  sleep "$seconds"
  b=$(awk '{print $14 + $15}' "/proc/$1/stat") || return 1
  awk -v a="$a" -v b="$b" -v t="$(getconf CLK_TCK)" -v s="$seconds" 'BEGIN { printf "%.4f", (b - a) / t / s }'
}
# No window of ours is on an output any more.
all_hidden() { [ "$(swaymsg_ -t get_tree | jq '[.. | objects | select(.app_id == "zarvella" and .visible)] | length')" = 0 ]; }
hidden_rows=()
if [[ " $parts " == *" hidden "* ]]; then
  # shellcheck source=../tests/wayland/sway_lib.sh
  . "$root/tests/wayland/sway_lib.sh"
  chmod 755 "$work"
  zarvella=$linux_saver
  config="$work/config-hidden"
  linux_settings "$config" default
  for mode in /s /c /p; do
    echo "saver_cpu: zarvella $mode under sway, shown, hidden, shown again (${seconds}s each)" >&2
    start_sway || die "sway did not start"
    start_saver_in_sway "$mode"
    wait_until 15 output_lit HEADLESS-1 "$work/hidden.png" 0.02 || die "zarvella $mode did not draw under sway"
    shown=$(cpu_per_second "$saver_pid")
    swaymsg_ '[app_id="zarvella"] move scratchpad' >/dev/null
    wait_until 10 all_hidden || die "the windows did not go to the scratchpad"
    hidden=$(cpu_per_second "$saver_pid")
    swaymsg_ '[app_id="zarvella"] scratchpad show' >/dev/null
    hidden_rows+=("| zarvella $mode | $shown | $hidden | $(cpu_per_second "$saver_pid") |")
    kill "$saver_pid" "$sway_pid" 2>/dev/null
    wait "$saver_pid" "$sway_pid" 2>/dev/null
  done
fi

# ------------------------------------------------------------ callgrind
# Instructions per frame: the difference between 60 and 10 frames, over 50,
# so start-up does not count; DrawSurface's share from the inclusive profile.
declare -A ipf draw
cg_frame_cost() {  # cg_frame_cost KEY LEVEL MONITORS
  local n a b da db
  for n in 10 60; do
    valgrind --tool=callgrind --callgrind-out-file="$work/cg-$1-$n" "$perf/frame_loop" "$2" "$n" "$3" \
      >/dev/null 2>&1 || die "callgrind failed"
  done
  a=$(sed -n 's/^totals: //p' "$work/cg-$1-10" | awk '{print $1}')
  b=$(sed -n 's/^totals: //p' "$work/cg-$1-60" | awk '{print $1}')
  ipf[$1]=$(( (b - a) / 50 ))
  da=$(callgrind_annotate --inclusive=yes "$work/cg-$1-10" 2>/dev/null | awk '/zarvella::DrawSurface\(/ { gsub(",", "", $1); print $1; exit }')
  db=$(callgrind_annotate --inclusive=yes "$work/cg-$1-60" 2>/dev/null | awk '/zarvella::DrawSurface\(/ { gsub(",", "", $1); print $1; exit }')
  draw[$1]=$(( (${db:-0} - ${da:-0}) / 50 ))
}
if [[ " $parts " == *" callgrind "* ]]; then
  echo "saver_cpu: callgrind" >&2
  cg_frame_cost default default 1
  cg_frame_cost top top 1
  cg_frame_cost two default 2
fi

# ------------------------------------------------------------ unseen
# unseen_row NAME FRAMES HIDE SHOW: the program ($unseen_pid) once it draws:
# SECONDS seen, HIDE, a second for the stop to arrive, SECONDS unseen, SHOW,
# then whether a frame comes within 10 s. FRAMES prints the frames so far.
unseen_rows=()
# ticks_of PID...: their CPU so far, in clock ticks
ticks_of() {
  local p
  for p in "$@"; do sed 's/.*) //' "/proc/$p/stat" 2>/dev/null; done | awk '{ t += $12 + $13 } END { print t + 0 }'
}
frames_of_counter() { local n=0; read -r n _ 2>/dev/null <"$work/unseen.swaps"; echo "${n:-0}"; }
frames_of_trace() { grep -c wglSwapBuffers "$work/unseen.trace" 2>/dev/null || echo 0; }
unseen_row() {
  local name=$1 frames=$2 hide=$3 show=$4 hz t0 t1 t2 t3 f0 f1 f2 f3 resumed=no end
  hz=$(getconf CLK_TCK)
  end=$((SECONDS + 30))
  until (($($frames) > 5)) || ((SECONDS > end)); do sleep 0.1; done
  echo "saver_cpu: $name, ${seconds}s seen and ${seconds}s unseen" >&2
  t0=$(ticks_of $unseen_pids) f0=$($frames)
  sleep "$seconds"
  t1=$(ticks_of $unseen_pids) f1=$($frames)
  eval "$hide" >/dev/null 2>&1
  sleep 1
  t2=$(ticks_of $unseen_pids) f2=$($frames)
  sleep "$seconds"
  t3=$(ticks_of $unseen_pids) f3=$($frames)
  eval "$show" >/dev/null 2>&1
  end=$((SECONDS + 10))
  until (($($frames) > f3)) || ((SECONDS > end)); do sleep 0.1; done
  (($($frames) > f3)) && resumed=yes
  unseen_rows+=("$(awk -v n="$name" -v s="$seconds" -v hz="$hz" -v a="$((t1 - t0))" -v b="$((t3 - t2))" \
    -v fa="$((f1 - f0))" -v fb="$((f3 - f2))" -v r="$resumed" 'BEGIN {
      printf "| %s | %.3f | %.1f | %.3f | %d | %s |", n, a / hz / s, fa / s, b / hz / s, fb, r }')")
  stop_pid "$unseen_pid"
  unseen_pids=""
}
if [[ " $parts " == *" unseen "* ]]; then
  stop_pid "$xvfb_pid"
  start_display 1280x1024x24 || die "no virtual display"
  tool="$perf/linux/tests/linux/x11_test_window"
  cmake -S "$root" -B "$perf/linux" -DZARVELLA_TESTS=ON >>"$work/b2.log" 2>&1 &&
    cmake --build "$perf/linux" --target x11_test_window -j "$(nproc)" >>"$work/b2.log" 2>&1 ||
    die "x11_test_window did not build"
  window() {  # window GEOMETRY [PARENT]: a mapped window; its id in $win, its process in $helper
    rm -f "$work/window.id"
    "$tool" create "$1" 808080 ${2:+"$2"} >"$work/window.id" 2>/dev/null &
    helper=$!
    local end=$((SECONDS + 10))
    until [ -s "$work/window.id" ] || ((SECONDS > end)); do sleep 0.1; done
    win=$(head -1 "$work/window.id")
  }
  linux_settings "$work/config-unseen" default
  run_counted() {  # run_counted ARGS...: the native saver, its frames counted
    rm -f "$work/unseen.swaps"
    XDG_CONFIG_HOME="$work/config-unseen" HOME="$work" SWAP_COUNT_FILE="$work/unseen.swaps" \
      LD_PRELOAD="$counter" "$linux_saver" "$@" >/dev/null 2>&1 &
    unseen_pid=$!
    unseen_pids=$unseen_pid
  }
  window 320x240+50+60 && top=$win top_pid=$helper
  window 300x220+10+10 "$top" && host=$win host_pid=$helper
  run_counted -window-id "$host"
  unseen_row "hack, host's parent unmapped" frames_of_counter "xdotool windowunmap $top" "xdotool windowmap $top"
  run_counted -window-id "$host"
  unseen_row "hack, host wholly covered" frames_of_counter \
    'window 400x300+0+0; cover_pid=$helper' 'stop_pid $cover_pid'
  run_counted /p "$host"
  unseen_row "preview, dialog unmapped" frames_of_counter "xdotool windowunmap $top" "xdotool windowmap $top"
  stop_pid "$host_pid"
  stop_pid "$top_pid"
  run_counted /c
  end=$((SECONDS + 10))
  until settings=$(xdotool search --name '^Zarvella Settings$' | head -1) && [ -n "$settings" ] ||
    ((SECONDS > end)); do sleep 0.1; done
  unseen_row "settings window unmapped" frames_of_counter "xdotool windowunmap $settings" \
    "xdotool windowmap $settings"

  export WINEPREFIX="$work/wine" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
  [ -d "$WINEPREFIX" ] || { echo "saver_cpu: preparing a Wine prefix" >&2; wineboot -i >/dev/null 2>&1; wineserver -w; }
  i686-w64-mingw32-gcc-win32 -O1 -mconsole -o "$perf/probe.exe" "$root/tests/wine/helpers/probe.c" \
    -lcomctl32 -lgdi32 -lversion -luxtheme -static-libgcc || die "probe.exe did not build"
  wine "$perf/probe.exe" parent 152 112 >"$work/area.id" 2>/dev/null &
  area_pid=$!
  end=$((SECONDS + 30))
  until area=$(head -1 "$work/area.id" 2>/dev/null | tr -d '\r') && [ -n "$area" ] || ((SECONDS > end)); do
    sleep 0.1
  done
  WINEDEBUG=trace+wgl wine "$scr" /p "$area" >/dev/null 2>"$work/unseen.trace" &
  unseen_pid=$!
  # The prefix's wineserver (its folder is named after the prefix's device
  # and inode) counts too: the preview asks it whether its dialog is shown.
  server_dir=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
  unseen_pids=$unseen_pid
  for p in $(pgrep -f '^/usr/lib/wine/wineserver'); do
    [ "$(basename "$(readlink "/proc/$p/cwd")")" = "$server_dir" ] && unseen_pids="$unseen_pid $p"
  done
  [ "$unseen_pids" != "$unseen_pid" ] || die "the prefix's wineserver was not found"
  unseen_row "Wine: preview, dialog hidden (with its wineserver)" frames_of_trace \
    "wine $perf/probe.exe show $area 0" "wine $perf/probe.exe show $area 1"
  stop_pid "$area_pid"
  wineserver -k 2>/dev/null
  unset WINEPREFIX
fi

# ------------------------------------------------------------ table
{
  echo "Machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores;" \
       "Mesa $(dpkg-query -W -f='${Version}\n' libgl1-mesa-dri 2>/dev/null | head -1) (llvmpipe); $(wine --version);" \
       "Xvfb 1280x1024x24 on $display; ${seconds} s per run;" \
       "load average at the start $load_start, at the end $(cut -d' ' -f1-3 /proc/loadavg)."
  echo
  if [ ${#rows[@]} -gt 0 ]; then
  echo "| program | settings | CPU s | CPU s/s | frames | frames/s | CPU ms/frame | peak RSS MiB | first frame s | CPU vs gflux | CPU vs kaleidocycle |"
  echo "|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
  declare -A cpu_of
  for r in "${rows[@]}"; do IFS='|' read -r n c f m s <<<"$r"; cpu_of[$n]=$c; done
  for r in "${rows[@]}"; do
    IFS='|' read -r n c f m s <<<"$r"
    case $n in
      linux-preview) prog="zarvella /p (stand-alone, Qt, native)"; set="the preview's" ;;
      wine-preview) prog="Zarvella.scr /p (stand-alone, 32-bit, Wine)"; set="the preview's" ;;
      linux-*) prog="zarvella /s (Qt, native)"; set=${n#linux-} ;;
      wine-*) prog="Zarvella.scr /s (32-bit, Wine)"; set=${n#wine-} ;;
      qt-widget) prog="QOpenGLWidget, full-screen, clear only"; set="25 frames/s" ;;
      qt-window) prog="QOpenGLWindow, full-screen, clear only"; set="25 frames/s" ;;
      monitors-1) prog="zarvella /s, one 1280x1024 monitor"; set="default" ;;
      monitors-2) prog="zarvella /s, two 1280x1024 monitors"; set="default" ;;
      *) prog="$n -root"; set="its defaults" ;;
    esac
    awk -v p="$prog" -v set="$set" -v c="$c" -v f="$f" -v m="$m" -v s="$seconds" -v first="$s" \
        -v g="${cpu_of[gflux]:-0}" -v k="${cpu_of[kaleidocycle]:-0}" 'BEGIN {
      printf "| %s | %s | %.2f | %.3f | %d | %.1f | %s | %.1f | %s | %s | %s |\n", p, set, c, c / s, f, f / s,
        (f > 0 ? sprintf("%.2f", c * 1000 / f) : "-"), m / 1024, first,
        (g > 0 ? sprintf("%.2f", c / g) : "-"), (k > 0 ? sprintf("%.2f", c / k) : "-") }'
  done
  echo
  [ -n "${ws_default:-}" ] && echo "wineserver's own CPU during the Wine runs: ${ws_default} s (default), ${ws_top:-?} s (top)."
  echo
  fi
  if [ ${#hidden_rows[@]} -gt 0 ]; then
    echo "| under headless sway, two 1280x720 outputs (one at scale 1.5), defaults | CPU s/s shown | hidden (\`move scratchpad\`) | shown again (\`scratchpad show\`) |"
    echo "|---|---:|---:|---:|"
    printf '%s\n' "${hidden_rows[@]}"
    echo
  fi
  if [ ${#unseen_rows[@]} -gt 0 ]; then
    echo "| window | seen: CPU s/s | seen: frames/s | unseen: CPU s/s | unseen: frames | draws again |"
    echo "|---|---:|---:|---:|---:|---|"
    printf '%s\n' "${unseen_rows[@]}"
    echo
  fi
  if [ -n "${ipf[default]:-}" ]; then
    echo "| RenderFrame loop on a do-nothing GL (callgrind) | instructions per frame | of which DrawSurface | of which the rest (drift, walk, colours) |"
    echo "|---|---:|---:|---:|"
    declare -A label=([default]="default settings (Detail 10, Segments 5, kind 1)"
      [top]="sliders' top (Detail 30, Segments 10, kind 10)" [two]="default settings, two monitors")
    for key in default top two; do
      echo "| ${label[$key]} | ${ipf[$key]} | ${draw[$key]} | $(( ipf[$key] - draw[$key] )) |"
    done
  fi
} | tee "$perf/results.md"
