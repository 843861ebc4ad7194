#!/usr/bin/env bash
# End-to-end tests of the Windows screen saver under Wine, on a virtual X
# display: builds the win32 and win64 presets, the setup program and the
# portable zip (scripts/package-windows) and the test helpers, starts its own
# Xvfb, runs every case of cases.sh, install_cases.sh and display_cases.sh
# (lib.sh holds their shared helpers) in a fresh Wine
# prefix (64-bit, or 32-bit where the case's list line says win32), prints one
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

for tool in wine wineserver wineboot Xvfb xdotool import convert objdump i686-w64-mingw32-gcc-win32 makensis; do
  command -v "$tool" >/dev/null || { echo "FAIL setup: $tool is missing (scripts/install-deps installs it)"; echo "0 passed, 1 failed"; exit 1; }
done

# ---- build ------------------------------------------------------------------

build_log=$(mktemp)
if ! "$root/scripts/package-windows" >"$build_log" 2>&1; then
  cat "$build_log"
  rm -f "$build_log"
  echo "FAIL build"
  echo "0 passed, 1 failed"
  exit 1
fi
rm -f "$build_log"
export SCR32="$root/build/win32/Zarvella.scr"
export SCR64="$root/build/win64/Zarvella.scr"
VERSION=$(sed -n 's/^project(Zarvella VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
export VERSION
export SETUP="$root/build/package/Zarvella-Setup-$VERSION.exe"
export PORTABLE_ZIP="$root/build/package/Zarvella-$VERSION-portable.zip"

export HELPERS="$root/build/wine-tests"
mkdir -p "$HELPERS"
if ! i686-w64-mingw32-gcc-win32 -O1 -Wall -Wextra -mconsole -o "$HELPERS/probe.exe" "$here/helpers/probe.c" \
    -lcomctl32 -lgdi32 -lversion -luxtheme -static-libgcc ||
  ! i686-w64-mingw32-gcc-win32 -O1 -Wall -Wextra -shared -Wl,--kill-at -o "$HELPERS/PASSWORD.CPL" \
    "$here/helpers/password_cpl.c" -static-libgcc ||
  ! i686-w64-mingw32-gcc-win32 -O1 -Wall -Wextra -mconsole -o "$HELPERS/display_probe.exe" \
    "$here/helpers/display_probe.c" -lgdi32 -static-libgcc; then
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
  if [ -d "$work/template32" ]; then WINEPREFIX="$work/template32" wineserver -k 2>/dev/null; fi
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

new_prefix() {  # new_prefix DIR [TEMPLATE]
  local template=${2:-$work/template}
  mkdir -p "$1"
  tar -C "$template" --exclude=./drive_c/windows/system32 --exclude=./drive_c/windows/syswow64 -cf - . |
    tar -C "$1" -xf -
  cp -al "$template/drive_c/windows/system32" "$1/drive_c/windows/"
  # A 32-bit prefix has no syswow64.
  [ ! -d "$template/drive_c/windows/syswow64" ] || cp -al "$template/drive_c/windows/syswow64" "$1/drive_c/windows/"
}

# The 32-bit template, made when the first case asks for it (about 10 s).
template32_ready() {
  [ -e "$work/template32.ok" ] && return 0
  local started
  started=$(date +%s)
  WINEARCH=win32 WINEPREFIX="$work/template32" wineboot -i >"$work/wineboot32.log" 2>&1 &&
    WINEPREFIX="$work/template32" wineserver -w || return 1
  touch "$work/template32.ok"
  echo "(32-bit prefix made in $(($(date +%s) - started))s)"
}

# ---- cases ------------------------------------------------------------------

# "FILE NAME [win32]" per case.
mapfile -t listing < <(
  bash "$here/cases.sh" --list | sed 's/^/cases.sh /'
  bash "$here/install_cases.sh" --list | sed 's/^/install_cases.sh /'
  bash "$here/display_cases.sh" --list | sed 's/^/display_cases.sh /'
)
if [ $# -gt 0 ]; then cases=("$@"); else mapfile -t cases < <(printf '%s\n' "${listing[@]}" | cut -d' ' -f2); fi
[ -n "${SHOTS:-}" ] && mkdir -p "$SHOTS" && export SHOTS="$(cd "$SHOTS" && pwd)"

passed=0
failed=0
for name in "${cases[@]}"; do
  read -r file _ arch < <(printf '%s\n' "${listing[@]}" | awk -v n="$name" '$2 == n' | head -1)
  file=${file:-cases.sh}  # an unknown name fails there
  arch=${arch:-win64}
  case_dir="$work/case-$name"
  mkdir -p "$case_dir"
  current_prefix="$case_dir/prefix"
  if [ "$arch" = win32 ]; then
    if ! template32_ready; then
      cat "$work/wineboot32.log"
      echo "FAIL $name (32-bit wineboot)"
      failed=$((failed + 1))
      continue
    fi
    new_prefix "$current_prefix" "$work/template32"
  else
    new_prefix "$current_prefix"
  fi
  started=$(date +%s)
  if CASE_DIR="$case_dir" WINEARCH="$arch" WINEPREFIX="$current_prefix" timeout 180 bash "$here/$file" "$name" >"$case_dir/log" 2>&1; then
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
