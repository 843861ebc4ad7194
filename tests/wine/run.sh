#!/usr/bin/env bash
# End-to-end tests of the Windows screen saver under Wine, on a virtual X
# display: builds the win32 and win64 presets and the test helpers, starts its
# own Xvfb, runs every case of cases.sh in a fresh Wine prefix, prints one
# PASS/FAIL line per case and "N passed, N failed", and exits non-zero on any
# failure. The display has no Composite extension: with it, Wine lays a
# window's GL picture over that window's child controls (the settings window's
# sliders and buttons), where Windows keeps them visible.
#
#   tests/wine/run.sh [CASE...]      all cases, or the named ones
#   SHOTS=DIR tests/wine/run.sh      also keeps the screenshots for the docs
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cd "$root"
exec </dev/null

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

for tool in wine wineserver wineboot Xvfb xdotool import convert objdump i686-w64-mingw32-gcc-win32; do
  command -v "$tool" >/dev/null || { echo "FAIL setup: $tool is missing (scripts/install-deps installs it)"; echo "0 passed, 1 failed"; exit 1; }
done

# ---- build ------------------------------------------------------------------

build_log=$(mktemp)
if ! { cmake --preset win32 && cmake --build --preset win32 && cmake --preset win64 && cmake --build --preset win64; } >"$build_log" 2>&1; then
  cat "$build_log"
  rm -f "$build_log"
  echo "FAIL build"
  echo "0 passed, 1 failed"
  exit 1
fi
rm -f "$build_log"
export SCR32="$root/build/win32/Zarvella.scr"
export SCR64="$root/build/win64/Zarvella.scr"

export HELPERS="$root/build/wine-tests"
mkdir -p "$HELPERS"
if ! i686-w64-mingw32-gcc-win32 -O1 -Wall -Wextra -mconsole -o "$HELPERS/probe.exe" "$here/helpers/probe.c" \
    -lcomctl32 -lgdi32 -lversion -static-libgcc ||
  ! i686-w64-mingw32-gcc-win32 -O1 -Wall -Wextra -shared -Wl,--kill-at -o "$HELPERS/PASSWORD.CPL" \
    "$here/helpers/password_cpl.c" -static-libgcc; then
  echo "FAIL helpers"
  echo "0 passed, 1 failed"
  exit 1
fi

# ---- display and prefixes ---------------------------------------------------

work=$(mktemp -d "${TMPDIR:-/tmp}/zarvella-wine.XXXXXX")
xvfb_pid=""
current_prefix=""

cleanup() {
  if [ -n "$current_prefix" ]; then WINEPREFIX="$current_prefix" wineserver -k 2>/dev/null; fi
  if [ -d "$work/template" ]; then WINEPREFIX="$work/template" wineserver -k 2>/dev/null; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

display=""
for n in $(seq 51 99); do
  { [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; } && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -extension Composite >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  # Ours only when the lock names our server (another run may have been first).
  ours() {
    kill -0 "$xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ] &&
      [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$xvfb_pid" ]
  }
  for _ in $(seq 1 50); do
    ours && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if ours; then display=":$n"; break; fi
  kill "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
done
[ -n "$display" ] || { cat "$work/xvfb.log"; echo "FAIL setup: no Xvfb display"; echo "0 passed, 1 failed"; exit 1; }
export DISPLAY=$display

# One initialised prefix; each case gets a copy. The two DLL folders are hard
# links: nothing here writes to them, and copying them would cost a gigabyte.
if ! WINEPREFIX="$work/template" wineboot -i >"$work/wineboot.log" 2>&1 ||
  ! WINEPREFIX="$work/template" wineserver -w; then
  cat "$work/wineboot.log"
  echo "FAIL setup: wineboot"
  echo "0 passed, 1 failed"
  exit 1
fi

new_prefix() {  # new_prefix DIR
  mkdir -p "$1"
  tar -C "$work/template" --exclude=./drive_c/windows/system32 --exclude=./drive_c/windows/syswow64 -cf - . |
    tar -C "$1" -xf -
  cp -al "$work/template/drive_c/windows/system32" "$work/template/drive_c/windows/syswow64" "$1/drive_c/windows/"
}

# ---- cases ------------------------------------------------------------------

if [ $# -gt 0 ]; then cases=("$@"); else mapfile -t cases < <(bash "$here/cases.sh" --list); fi
[ -n "${SHOTS:-}" ] && mkdir -p "$SHOTS" && export SHOTS="$(cd "$SHOTS" && pwd)"

passed=0
failed=0
for name in "${cases[@]}"; do
  case_dir="$work/case-$name"
  mkdir -p "$case_dir"
  current_prefix="$case_dir/prefix"
  new_prefix "$current_prefix"
  started=$(date +%s)
  if CASE_DIR="$case_dir" WINEPREFIX="$current_prefix" timeout 180 bash "$here/cases.sh" "$name" >"$case_dir/log" 2>&1; then
    echo "PASS $name ($(($(date +%s) - started))s)"; [ -n "${WINE_TESTS_VERBOSE:-}" ] && sed "s/^/  /" "$case_dir/log"
    passed=$((passed + 1))
  else
    echo "FAIL $name ($(($(date +%s) - started))s)"
    sed 's/^/  /' "$case_dir/log"
    failed=$((failed + 1))
  fi
  WINEPREFIX="$current_prefix" wineserver -k 2>/dev/null
  WINEPREFIX="$current_prefix" wineserver -w 2>/dev/null
  current_prefix=""
  rm -rf "$case_dir"
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
