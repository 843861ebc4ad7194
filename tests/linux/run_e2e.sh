#!/usr/bin/env bash
# End-to-end tests of the Linux saver on a virtual X display (Xvfb): real
# windows driven with xdotool, pixels checked in screenshots (ImageMagick).
#
#   run_e2e.sh ZARVELLA X11_TEST_WINDOW [--screenshots DIR]
#
# ZARVELLA is build/linux/zarvella; X11_TEST_WINDOW the tests' X11 tool
# (tests/linux/x11_test_window.cpp). XScreenSaver's settings page is read from
# ZARVELLA_XML, or from platform/linux/zarvella.xml beside the program. With
# --screenshots, the README's pictures (linux-fullscreen.png,
# linux-settings.png) are saved into DIR. ZARVELLA_E2E_ONLY=TEXT runs only the
# cases whose names hold TEXT.
# Every case gets its own empty XDG_CONFIG_HOME. Prints PASS/FAIL per case and
# "N passed, N failed"; exits non-zero on any failure. The display, the saver
# and every helper process are stopped on the way out, whatever happened.
set -uo pipefail
source "$(dirname "$0")/x_lib.sh"

if [ $# -lt 2 ]; then
  echo "usage: $0 ZARVELLA X11_TEST_WINDOW [--screenshots DIR]" >&2
  exit 2
fi
zarvella=$(readlink -f "$1")
tool=$(readlink -f "$2")
# XScreenSaver's settings page as built beside the program.
xml=${ZARVELLA_XML:-$(dirname "$zarvella")/platform/linux/zarvella.xml}
[ -f "$xml" ] || { echo "run_e2e: no $xml (set ZARVELLA_XML)" >&2; exit 2; }
shots_out=""
if [ "${3:-}" = "--screenshots" ] && [ -n "${4:-}" ]; then
  mkdir -p "$4" && shots_out=$(readlink -f "$4")
fi
for program in Xvfb xdotool import convert xwininfo xrandr; do
  command -v "$program" >/dev/null || { echo "run_e2e: $program is missing" >&2; exit 2; }
done

work=$(mktemp -d /tmp/zarvella-e2e.XXXXXX)
chmod 755 "$work"  # the XScreenSaver case's daemon may run as nobody
xvfb_pid=""
saver_pid=""
helper_pids=()
passed=0
failed=0
failed_names=()

stop_case_processes() {
  stop_pid "$saver_pid"
  saver_pid=""
  local pid
  for pid in "${helper_pids[@]}"; do stop_pid "$pid"; done
  helper_pids=()
}

cleanup() {
  stop_case_processes
  stop_pid "$xvfb_pid"
  if [ "$failed" -eq 0 ]; then rm -rf "$work"; else echo "run_e2e: logs and screenshots kept in $work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# ---- helpers (more in x_lib.sh) ----------------------------------------------------

new_config() {  # a fresh, empty XDG_CONFIG_HOME for one case
  config=$(mktemp -d "$work/config.XXXXXX")
  settings="$config/zarvella/settings.reg"
  messages="$work/messages.$(basename "$config")"
}

start_saver() {  # start_saver ARGS...: the saver in the background, env of this case
  XDG_CONFIG_HOME="$config" ZARVELLA_TEST_MESSAGE_LOG="$messages" \
    "$zarvella" "$@" >>"$work/saver.log" 2>&1 &
  saver_pid=$!
}

start_saver_env() {  # start_saver_env VAR=VALUE ARGS...
  local assignment=$1; shift
  env "$assignment" XDG_CONFIG_HOME="$config" ZARVELLA_TEST_MESSAGE_LOG="$messages" \
    "$zarvella" "$@" >>"$work/saver.log" 2>&1 &
  saver_pid=$!
}

# wait_exit SECONDS: true when the saver ended in time; its code in $exit_code
wait_exit() {
  local tenths=$(( $1 * 10 ))
  exit_code=""
  for _ in $(seq "$tenths"); do
    if ! kill -0 "$saver_pid" 2>/dev/null; then
      wait "$saver_pid"; exit_code=$?
      saver_pid=""
      return 0
    fi
    sleep 0.1
  done
  return 1
}

running() { [ -n "$saver_pid" ] && kill -0 "$saver_pid" 2>/dev/null; }

# find_window NAME [SECONDS]: the id of a visible window whose title is NAME
find_window() {
  local name=$1 tenths=$(( ${2:-10} * 10 )) id
  for _ in $(seq "$tenths"); do
    id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -n1)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  return 1
}

geometry_of() {  # "X Y W H" of a window, in root coordinates
  local info
  info=$(xwininfo -id "$1" 2>/dev/null) || return 1
  awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
       /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w, h}' <<<"$info"
}

shot() { import -window root "$1" 2>/dev/null; }

# lit FILE GEOMETRY: share of pixels brighter than 10 % grey in the region
lit() {
  convert "$1" -crop "$2" +repage -colorspace gray -threshold 10% -format '%[fx:mean]' info:
}
mean() { convert "$1" -crop "$2" +repage -format '%[fx:mean]' info:; }
# share of pixels of exactly the test parent's grey (#808080)
grey_share() {
  convert "$1" -crop "$2" +repage -fill white -fuzz 1% -opaque '#808080' -fill black +opaque white \
    -colorspace gray -format '%[fx:mean]' info:
}
changed_pixels() {  # changed_pixels A B GEOMETRY
  convert "$1" -crop "$3" +repage "$work/a.png" && convert "$2" -crop "$3" +repage "$work/b.png" &&
    compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 | awk '{print int($1)}'
}

make_parent() {  # make_parent GEOMETRY [input-only]: a grey top-level window; its id in $parent
  local out="$work/parent.$RANDOM"
  "$tool" create "$1" "${2:-808080}" >"$out" 2>>"$work/tool.log" &
  helper_pids+=($!)
  parent_pid=$!
  parent=""
  for _ in $(seq 50); do
    parent=$(head -n1 "$out" 2>/dev/null)
    [ -n "$parent" ] && return 0
    sleep 0.1
  done
  return 1
}

child_geometry() {  # WxH+X+Y of the first child of a window
  xwininfo -children -id "$1" 2>/dev/null |
    awk '/^ +0x[0-9a-f]+ / {for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+\+/) {print $i; exit}}'
}

child_id() {  # the id of the first child of a window
  xwininfo -children -id "$1" 2>/dev/null | awk '/^ +0x[0-9a-f]+ / {print $1; exit}'
}

takes_no_input() {  # takes_no_input WINDOW-ID: its input shape is empty
  local r
  r=$("$tool" input-rectangles "$1")
  if [ "$r" = unknown ]; then
    echo "     (input check skipped: no SHAPE on this display)"
    return 0
  fi
  [ "$r" = 0 ]
}

file_has() { tr -d '\r' <"$1" | grep -qxF "$2"; }

defaults_file() {
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Zarvella]\r\n'
  printf '"Fast"=dword:%08x\r\n"Bright"=dword:00000009\r\n"Size"=dword:00000007\r\n' "${1:-10}"
  printf '"Satiation"=dword:00000005\r\n"Color"=dword:%08x\r\n"Alpha"=dword:00000001\r\n' "${2:-10}"
  printf '"Rands"=dword:00000000\r\n\r\n'
}

stored_file() {  # stored_file COLOR-DATA: a hand-written file (LF line ends)
  mkdir -p "$config/zarvella"
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Zarvella]\n"Fast"=dword:0000000a\n"Bright"=dword:00000009\n"Size"=dword:00000007\n"Satiation"=dword:00000005\n"Color"=%s\n"Alpha"=dword:00000001\n"Rands"=dword:00000000\n' "$1" >"$settings"
}

focus() { xdotool windowfocus --sync "$1" >/dev/null 2>&1 || xdotool windowfocus "$1" >/dev/null 2>&1; sleep 0.2; }

run_case() {  # run_case NAME FUNCTION
  local name=$1 fn=$2
  [[ "$name" == *"${ZARVELLA_E2E_ONLY:-}"* ]] || return 0
  case_failures=()
  echo "---- $name" >>"$work/saver.log"
  "$fn"
  if running; then case_failures+=("the saver was still running at the end"); fi
  stop_case_processes
  if [ ${#case_failures[@]} -eq 0 ]; then
    echo "PASS $name"
    passed=$((passed + 1))
  else
    echo "FAIL $name"
    local f
    for f in "${case_failures[@]}"; do echo "     - $f"; done
    failed=$((failed + 1))
    failed_names+=("$name")
  fi
}

# ---- the settings window (/c) ---------------------------------------------------

case_settings_first_run() {
  new_config
  start_saver /c
  local wid g x y w h
  wid=$(find_window "Zarvella Settings") || { check "\"Zarvella Settings\" opens" false; return; }
  read -r x y w h < <(geometry_of "$wid")
  check "the window is 400x430 (got ${w}x${h})" [ "${w}x${h}" = 400x430 ]
  check "the settings file holds the seven defaults" cmp -s "$settings" <(defaults_file)
  check "no message was shown" [ ! -s "$messages" ]

  sleep 1
  shot "$work/settings1.png"; sleep 0.5; shot "$work/settings2.png"
  local picture="400x290+$x+$y" controls="400x120+$x+$((y + 310))"
  local l c1 c2
  l=$(lit "$work/settings1.png" "$picture")
  check "a picture is drawn in the top of the window (lit $l)" above "$l" 0.01
  c1=$(changed_pixels "$work/settings1.png" "$work/settings2.png" "$picture")
  check "the picture moves ($c1 pixels changed)" above "$c1" 50
  c2=$(changed_pixels "$work/settings1.png" "$work/settings2.png" "$controls")
  check "the picture stays above the controls ($c2 pixels changed below)" [ "$c2" = 0 ]
  l=$(lit "$work/settings1.png" "$controls")
  check "the controls are drawn below the picture (lit $l)" above "$l" 0.02
  if [ -n "$shots_out" ]; then
    convert "$work/settings1.png" -crop "${w}x${h}+$x+$y" +repage "$shots_out/linux-settings.png"
  fi

  # Speed has the focus first: one step right, then Tab to "Save Settings".
  focus "$wid"
  xdotool key Right; sleep 0.3
  check "moving a slider alone does not write the file" cmp -s "$settings" <(defaults_file)
  xdotool key Tab; sleep 0.2; xdotool key space; sleep 0.5
  check "\"Save Settings\" stores the moved slider (Fast 11)" cmp -s "$settings" <(defaults_file 11)
  xdotool key Escape
  if wait_exit 5; then
    check "Esc ends with exit code 0 (got $exit_code)" [ "$exit_code" = 0 ]
  else
    check "Esc ends the settings window" false
  fi
}

case_settings_close_without_saving() {
  new_config
  mkdir -p "$config/zarvella"
  defaults_file 11 >"$settings"
  cp "$settings" "$work/before.reg"
  start_saver /c
  local wid
  wid=$(find_window "Zarvella Settings") || { check "\"Zarvella Settings\" opens" false; return; }
  sleep 0.5
  focus "$wid"
  xdotool key Right Right Right; sleep 0.3
  "$tool" close "$wid"
  if wait_exit 5; then
    check "closing the window ends with exit code 0 (got $exit_code)" [ "$exit_code" = 0 ]
  else
    check "closing the window ends the program" false
  fi
  check "closing without saving leaves the file as it was" cmp -s "$settings" "$work/before.reg"
}

case_settings_keyboard_order() {
  new_config
  start_saver /c
  local wid
  wid=$(find_window "Zarvella Settings") || { check "\"Zarvella Settings\" opens" false; return; }
  sleep 0.5
  focus "$wid"
  # Order: Speed, Save Settings, Our Site, Brightness, Size, Segment, Detailed,
  # Pictures, Random. Three Tabs reach Brightness; five more reach Random.
  xdotool key Tab Tab Tab Right
  xdotool key Tab Tab Tab Tab Tab space
  sleep 0.3
  # Shift+Tab seven times goes back from Random to Save Settings.
  xdotool key shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space
  sleep 0.5
  check "Brightness moved with the keyboard is stored (10)" file_has "$settings" '"Bright"=dword:0000000a'
  check "Random ticked with the keyboard is stored" file_has "$settings" '"Rands"=dword:00000001'
  check "Speed is unchanged" file_has "$settings" '"Fast"=dword:0000000a'
  xdotool key Escape
  wait_exit 5 || check "Esc ends the settings window" false
}

case_settings_color_40() {
  new_config
  stored_file "dword:00000028"
  start_saver /c
  local wid x y w h
  wid=$(find_window "Zarvella Settings") || { check "\"Zarvella Settings\" opens" false; return; }
  read -r x y w h < <(geometry_of "$wid")
  sleep 1
  shot "$work/color40.png"
  # TrackBar5 (Detailed, 1 to 30) at 270,327: at 30 its thumb sits at the right end.
  local right left
  right=$(mean "$work/color40.png" "5x5+$((x + 384))+$((y + 328))")
  left=$(mean "$work/color40.png" "5x5+$((x + 271))+$((y + 328))")
  check "the Detailed slider shows 30 (thumb right $right, left $left)" above "$right" 0.6
  check "the Detailed slider's thumb is not at the left" below "$left" 0.6
  focus "$wid"
  xdotool key Tab; sleep 0.2; xdotool key space; sleep 0.5
  check "saving stores Color 30" file_has "$settings" '"Color"=dword:0000001e'
  check "saving keeps the other values" file_has "$settings" '"Fast"=dword:0000000a'
  check "no message was shown" [ ! -s "$messages" ]
  xdotool key Escape
  wait_exit 5 || check "Esc ends the settings window" false
}

# A message box titled "Zarvella" with TEXT (also in the test log); Return closes it.
expect_message() {
  local text=$1 box
  box=$(find_window "Zarvella" 10) || { check "a message box appears" false; return 1; }
  sleep 0.3
  check "the message reads: $text (log: $(tr '\n' '|' <"$messages" 2>/dev/null))" \
    grep -qF -- "$text" "$messages"
  check "exactly one message is shown" [ "$(wc -l <"$messages")" = 1 ]
  focus "$box"
  xdotool key Return
  return 0
}

case_settings_color_string() {
  new_config
  stored_file '"40"'
  cp "$settings" "$work/before.reg"
  start_saver /c
  expect_message "Invalid data type for 'Color'" || return
  local wid
  wid=$(find_window "Zarvella Settings") || { check "the settings window opens after the message" false; return; }
  focus "$wid"
  xdotool key Escape
  if wait_exit 5; then
    check "Esc ends with exit code 0 (got $exit_code)" [ "$exit_code" = 0 ]
  else
    check "Esc ends the settings window" false
  fi
  check "the file is left as it was" cmp -s "$settings" "$work/before.reg"
}

case_settings_damaged_file() {
  new_config
  mkdir -p "$config/zarvella"
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Zarvella]\r\n"Fast"=dword:0000000a\r\n"Bright"=dword:zz\r\n' >"$settings"
  cp "$settings" "$work/before.reg"
  start_saver /c
  expect_message "$settings" || return
  check "the message names line 5" grep -qF "line 5" "$messages"
  local wid box
  wid=$(find_window "Zarvella Settings") || { check "the settings window opens after the message" false; return; }
  focus "$wid"
  sleep 0.3
  check "the damaged file is left byte for byte until a save" cmp -s "$settings" "$work/before.reg"
  # "Save Settings" keeps it beside, saves a new file and says so.
  xdotool key Tab; sleep 0.2; xdotool key space
  if box=$(find_window "Zarvella" 5); then
    sleep 0.3
    check "the second message says where the old file went (log: $(tr '\n' '|' <"$messages"))" \
      grep -qF "kept as '$settings.damaged'" "$messages"
    focus "$box"
    xdotool key Return
  else
    check "Save Settings says where the damaged file went" false
  fi
  sleep 0.3
  focus "$wid"
  xdotool key Escape
  wait_exit 5 || check "Esc ends the settings window" false
  check "the damaged file is kept byte for byte as settings.reg.damaged" cmp -s "$settings.damaged" "$work/before.reg"
  check "the new file holds the seven values" cmp -s "$settings" <(defaults_file)
}

# ---- the full-screen saver (/s) -------------------------------------------------

start_fullscreen() {
  xdotool mousemove 640 512; sleep 0.2
  start_saver "$@"
  local wid x y w h
  wid=$(find_window "Zarvella") || { check "the full-screen window opens" false; return 1; }
  read -r x y w h < <(geometry_of "$wid")
  check "the window covers the screen (got ${w}x${h}+$x+$y)" [ "${w}x${h}+$x+$y" = 1280x1024+0+0 ]
  focus "$wid"
  sleep 0.8
}

case_fullscreen_picture() {
  new_config
  "$tool" create 1280x1024+0+0 808080 >/dev/null 2>>"$work/tool.log" &  # a grey desktop
  helper_pids+=($!)
  sleep 0.5
  start_fullscreen /s || return
  shot "$work/full1.png"; sleep 0.5; shot "$work/full2.png"
  local l g corner c
  l=$(lit "$work/full1.png" 1280x1024+0+0)
  check "a picture is drawn (lit $l)" above "$l" 0.02
  g=$(grey_share "$work/full1.png" 1280x1024+0+0)
  check "no grey desktop shows through ($g)" below "$g" 0.001
  corner=$(mean "$work/full1.png" 100x100+0+0)
  check "the picture lies on black (corner $corner)" below "$corner" 0.01
  c=$(changed_pixels "$work/full1.png" "$work/full2.png" 1280x1024+0+0)
  check "the picture moves ($c pixels changed)" above "$c" 100
  local cursor
  cursor=$("$tool" cursor)
  if [ "$cursor" = unknown ]; then
    echo "     (cursor check skipped: no XFixes on this display)"
  else
    check "the cursor is hidden (it is $cursor)" [ "$cursor" = blank ]
  fi
  check "the settings file was written on first run" cmp -s "$settings" <(defaults_file)
  [ -n "$shots_out" ] && cp "$work/full1.png" "$shots_out/linux-fullscreen.png"

  xdotool mousemove 650 522; sleep 0.8
  check "a move of 10 right and 10 down keeps it running" running
  xdotool mousemove 651 522
  if wait_exit 3; then
    check "11 to the right ends it with exit code 0 (got $exit_code)" [ "$exit_code" = 0 ]
  else
    check "11 to the right ends it" false
  fi
}

case_fullscreen_move_down() {
  new_config
  start_fullscreen /s || return
  xdotool mousemove 645 522; sleep 0.8
  check "a move of 5 right and 10 down keeps it running" running
  xdotool mousemove 640 523
  if wait_exit 3; then
    check "11 down ends it with exit code 0 (got $exit_code)" [ "$exit_code" = 0 ]
  else
    check "11 down ends it" false
  fi
}

case_fullscreen_key() {
  new_config
  start_fullscreen /s || return
  xdotool key x
  if wait_exit 3; then
    check "a key ends it with exit code 0 (got $exit_code)" [ "$exit_code" = 0 ]
  else
    check "a key ends it" false
  fi
}

case_fullscreen_shift() {
  new_config
  start_fullscreen /S || return
  xdotool key Shift_L
  wait_exit 3 || check "a lone Shift ends it" false
}

# ---- the preview (/p ID) --------------------------------------------------------

case_preview_child() {
  new_config
  make_parent 300x200+100+100 || { check "the test parent window appears" false; return; }
  start_saver /p "$parent"
  sleep 2
  local child
  child=$(child_geometry "$parent")
  check "a child of the parent's size appears (got '$child')" [ "$child" = "300x200+0+0" ]
  check "the child takes no input" takes_no_input "$(child_id "$parent")"
  shot "$work/preview.png"
  local l g
  l=$(lit "$work/preview.png" 300x200+100+100)
  check "the picture is drawn in the parent (lit $l)" above "$l" 0.01
  g=$(grey_share "$work/preview.png" 300x200+100+100)
  check "the parent's grey is covered ($g)" below "$g" 0.001
  check "the preview keeps running" running
  local destroyed
  destroyed=$(date +%s.%N)
  stop_pid "$parent_pid"   # closing its connection destroys the parent
  if wait_exit 2; then
    echo "     (ended $(awk -v a="$destroyed" -v b="$(date +%s.%N)" 'BEGIN {printf "%.1f", b - a}') s after the parent, code $exit_code)"
    check "it ends with exit code 0 (got $exit_code)" [ "$exit_code" = 0 ]
  else
    check "destroying the parent ends the process within two seconds" false
  fi
  check "no settings file is created" [ -z "$(ls -A "$config")" ]
}

# The preview's own window destroyed while its parent lives ends it too (as on
# Windows), and it follows the parent's size.
case_preview_own_window() {
  new_config
  make_parent 300x200+100+100 || { check "the test parent window appears" false; return; }
  start_saver /p "$parent"
  sleep 2
  "$tool" resize "$parent" 240x150
  sleep 0.6
  local child
  child=$(child_geometry "$parent")
  check "the child follows the parent's new size (got '$child')" [ "$child" = "240x150+0+0" ]
  "$tool" destroy "$(child_id "$parent")"
  if wait_exit 2; then
    check "it ends with exit code 0 (got $exit_code)" [ "$exit_code" = 0 ]
  else
    check "destroying the preview's own window ends the process within two seconds" false
  fi
  check "the parent lives on" kill -0 "$parent_pid"
}

case_preview_stand_alone() {
  new_config
  start_saver /p 0
  local wid x y w h
  wid=$(find_window "MySaver") || { check "the stand-alone window opens" false; return; }
  read -r x y w h < <(geometry_of "$wid")
  check "it is ${w}x${h}, expected 320x240" [ "${w}x${h}" = 320x240 ]
  sleep 1
  shot "$work/standalone.png"
  local l
  l=$(lit "$work/standalone.png" "${w}x${h}+$x+$y")
  check "the picture is drawn (lit $l)" above "$l" 0.01
  xdotool mousemove $((x + 100)) $((y + 100)); sleep 0.3; xdotool mousemove $((x + 200)) $((y + 150)); sleep 0.5
  check "mouse movement does not end it" running
  focus "$wid"
  xdotool key q
  if wait_exit 2; then
    check "a key ends it with exit code 0 (got $exit_code)" [ "$exit_code" = 0 ]
  else
    check "a key ends the stand-alone window" false
  fi
  check "no settings file is created" [ -z "$(ls -A "$config")" ]
}

case_preview_no_such_window() {
  new_config
  local id
  # A number that names no window, and the root window: no usable parent.
  for id in 0x7ffffff0 "$(xwininfo -root | awk '/Window id:/ {print $4}')"; do
    start_saver /p "$id"
    if wait_exit 2; then
      check "/p $id ends at once with exit code 0 (got $exit_code)" [ "$exit_code" = 0 ]
    else
      check "/p $id ends at once" false
    fi
  done
  check "no window was left (the root is no parent)" [ -z "$(xdotool search --onlyvisible --name '^MySaver$' 2>/dev/null)" ]
}

case_change_password() {
  new_config
  start_saver /a 4711
  if wait_exit 2; then
    check "/a ends at once with exit code 0 (got $exit_code)" [ "$exit_code" = 0 ]
  else
    check "/a ends at once" false
  fi
  check "no settings file is created" [ -z "$(ls -A "$config")" ]
}

# ---- XScreenSaver ----------------------------------------------------------------

expect_picture_in_parent() {  # after the saver started into $parent at 320x240+50+60
  sleep 2
  local child l g
  child=$(child_geometry "$parent")
  check "a child of the window's size appears (got '$child')" [ "$child" = "320x240+0+0" ]
  check "the child takes no input" takes_no_input "$(child_id "$parent")"
  shot "$work/xss.png"
  l=$(lit "$work/xss.png" 320x240+50+60)
  check "the picture appears in the window (lit $l)" above "$l" 0.01
  g=$(grey_share "$work/xss.png" 320x240+50+60)
  check "the window's grey is covered ($g)" below "$g" 0.001
  check "it writes no settings file (the options or their defaults)" [ -z "$(ls -A "$config")" ]
  xdotool mousemove 10 10; sleep 0.2; xdotool mousemove 600 600; xdotool key x; sleep 0.5
  check "input does not end it (XScreenSaver does)" running
}

case_xscreensaver_window_variable() {
  new_config
  make_parent 320x240+50+60 || { check "the test window appears" false; return; }
  start_saver_env "XSCREENSAVER_WINDOW=0x$(printf %x "$parent")" -root -xscreensaver
  expect_picture_in_parent
  kill "$saver_pid" 2>/dev/null   # as XScreenSaver stops a hack
  wait_exit 2 || check "it ends when XScreenSaver stops it" false
}

case_xscreensaver_window_id() {
  new_config
  make_parent 320x240+50+60 || { check "the test window appears" false; return; }
  start_saver -window-id "$parent" -xscreensaver
  expect_picture_in_parent
  stop_pid "$parent_pid"
  wait_exit 2 || check "it ends when its window is destroyed" false
}

# A hack never opens a window of its own, a message box least of all: it reads
# no settings file, so a damaged one changes nothing, and it draws with the
# defaults.
case_xscreensaver_damaged_file() {
  new_config
  mkdir -p "$config/zarvella"
  printf 'REGEDIT4\n"Fast"=dword:zz\n' >"$settings"
  make_parent 320x240+50+60 || { check "the test window appears" false; return; }
  XDG_CONFIG_HOME="$config" ZARVELLA_TEST_MESSAGE_LOG="$messages" XSCREENSAVER_WINDOW="$parent" \
    "$zarvella" -root -xscreensaver >/dev/null 2>"$work/hack.err" &
  saver_pid=$!
  sleep 2
  local child id others=""
  child=$(child_id "$parent")
  check "it draws in a child of XScreenSaver's window" [ -n "$child" ]
  for id in $(xdotool search --onlyvisible --name '^Zarvella$' 2>/dev/null); do
    [ "$(printf '0x%x' "$id")" = "$child" ] || others+=" $id"
  done
  check "no other window of its own appears (got:$others)" [ -z "$others" ]
  check "the file it never reads is left alone, unmentioned (stderr: $(head -c 300 "$work/hack.err"))" \
    [ "$(printf 'REGEDIT4\n"Fast"=dword:zz\n')" = "$(cat "$settings")" ] && ! grep -q "settings" "$work/hack.err"
  shot "$work/xss-damaged.png"
  local l
  l=$(lit "$work/xss-damaged.png" 320x240+50+60)
  check "the picture is drawn with the defaults (lit $l)" above "$l" 0.01
  stop_pid "$parent_pid"
  wait_exit 2 || check "it ends when its window is destroyed" false
}

# No display, or a window id that is garbage, 0, names no window or one that
# cannot be drawn into: what is wrong in the first line on stderr (a usage
# may follow), exit code 1.
case_no_display_or_window() {
  new_config
  make_parent 100x100+0+0 input-only || { check "the InputOnly window appears" false; return; }
  local run out code io
  io="the X window $(printf 0x%x "$parent") is an InputOnly window, which cannot be drawn into"
  for run in "env|-window-id $parent|$io" "env XSCREENSAVER_WINDOW=$parent|-root|$io" "env|/p $parent|$io" \
             "env -u DISPLAY|/s|cannot open display: DISPLAY is not set" \
             "env -u DISPLAY WAYLAND_DISPLAY=wayland-0|-window|needs an X display (Xwayland), and DISPLAY is not set in this Wayland session" \
             "env DISPLAY=:149|/c|cannot open display ':149'" \
             "env XSCREENSAVER_WINDOW=junk|-root|XSCREENSAVER_WINDOW holds \"junk\", not an X window id" \
             "env XSCREENSAVER_WINDOW=0|-root|XSCREENSAVER_WINDOW holds \"0\", not an X window id" \
             "env|-window-id 0|-window-id takes an X window id (decimal, or hexadecimal after 0x), not \"0\"" \
             "env|-window-id 0x7ffffff0|the X window 0x7ffffff0 does not exist"; do
    IFS='|' read -r -a part <<<"$run"
    out=$(XDG_CONFIG_HOME="$config" timeout 10 ${part[0]} "$zarvella" ${part[1]} 2>&1 >/dev/null)
    code=$?
    check "${part[1]} (${part[0]}): exit code 1 (got $code)" [ "$code" = 1 ]
    check "${part[1]} (${part[0]}): \"zarvella: ${part[2]}\" (got '$(head -1 <<<"$out")')" \
      [ "$(head -1 <<<"$out")" = "zarvella: ${part[2]}" ]
  done
}

# -root by hand: the desktop's background, below every other window, deaf to input.
root_lit() { shot "$work/root.png" && above "$(lit "$work/root.png" 800x900+420+60)" 0.01; }
case_root_by_hand() {
  new_config
  make_parent 320x240+50+60 || { check "the test window appears" false; return; }
  start_saver -root
  local wid g
  wid=$(find_window Zarvella) || { check "-root opens its window" false; return; }
  check "its window takes no input" takes_no_input "$wid"
  check "the picture is drawn on the desktop around the other window" await 5 root_lit
  g=$(grey_share "$work/root.png" 320x240+50+60)
  check "the other window stays uncovered ($g grey)" above "$g" 0.99
  stop_pid "$saver_pid"; saver_pid=""
}

# No OpenGL (no Mesa driver): one line saying so and why, exit code 1, no
# file written; the settings window says it in a box and still saves.
saved_fast_11() { cmp -s "$settings" <(defaults_file 11); }
one_gl_line() { [[ $1 == "zarvella: OpenGL could not be started: "?* && $1 != *$'\n'* ]]; }
case_no_opengl() {
  new_config
  make_parent 320x240+50+60 || { check "the test window appears" false; return; }
  local args out code wid
  for args in /s "/p $parent" "-window-id $parent" -root; do
    # shellcheck disable=SC2086
    out=$(XDG_CONFIG_HOME="$config" GALLIUM_DRIVER=bogus timeout 10 "$zarvella" $args 2>&1 >/dev/null)
    code=$?
    check "$args: exit code 1 (got $code)" [ "$code" = 1 ]
    check "$args: one line that says so and why (got '$out')" one_gl_line "$out"
  done
  check "no settings file is written" [ -z "$(ls -A "$config")" ]
  start_saver_env GALLIUM_DRIVER=bogus /c
  expect_message "OpenGL could not be started: " || return
  wid=$(find_window "Zarvella Settings") || { check "the settings window opens after it" false; return; }
  focus "$wid"
  xdotool key Right Tab space
  check "Save Settings still saves (Fast 11)" await 5 saved_fast_11
  focus "$wid"
  xdotool key Escape
  wait_exit 5 || check "Esc ends the settings window" false
}

children_of() {  # the ids of a process's children, from /proc (no procps needed)
  awk -v parent="$1" 'FNR == 1 {pid = FILENAME; sub("^/proc/", "", pid); sub("/status$", "", pid)}
                      /^PPid:/ && $2 == parent {print pid}' /proc/[0-9]*/status 2>/dev/null
}

# The real daemon: XScreenSaver refuses to run hacks as root, so as root the
# daemon runs as nobody (who must be able to reach the program).
case_real_xscreensaver() {
  if ! command -v xscreensaver >/dev/null || ! command -v xscreensaver-command >/dev/null; then
    echo "     (skipped: XScreenSaver is not installed)"
    return
  fi
  new_config
  local home="$work/xscreensaver-home" as=()
  mkdir -p "$home"
  {
    printf 'mode:\t\tone\nselected:\t0\nfade:\t\tFalse\nunfade:\t\tFalse\nlock:\t\tFalse\n'
    printf 'splash:\t\tFalse\ntimeout:\t0:30:00\n'
    printf 'programs:\t"Zarvella" %s -root -xscreensaver \\n\n' "$zarvella"
  } >"$home/.xscreensaver"
  if [ "$(id -u)" = 0 ]; then
    as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    if ! command -v setpriv >/dev/null || ! "${as[@]}" test -x "$zarvella"; then
      echo "     (skipped: running as root, and nobody cannot reach $zarvella)"
      return
    fi
    chown -R 65534:65534 "$home" "$config"
  fi
  env HOME="$home" XDG_CONFIG_HOME="$config" "${as[@]}" xscreensaver -no-splash \
    >>"$work/xscreensaver.log" 2>&1 &
  local daemon=$!
  helper_pids+=("$daemon")
  sleep 2
  env HOME="$home" "${as[@]}" xscreensaver-command -activate >>"$work/xscreensaver.log" 2>&1
  # The hack runs under xscreensaver-gfx, a child of the daemon.
  local hack="" gfx child
  for _ in $(seq 80); do
    for gfx in $(children_of "$daemon"); do
      for child in $(children_of "$gfx"); do
        [ "$(readlink -f "/proc/$child/exe" 2>/dev/null)" = "$zarvella" ] && hack=$child
      done
    done
    [ -n "$hack" ] && break
    sleep 0.1
  done
  check "XScreenSaver starts Zarvella" [ -n "$hack" ] || return
  helper_pids+=("$hack")
  sleep 2
  shot "$work/xscreensaver.png"
  local l
  l=$(lit "$work/xscreensaver.png" 1280x1024+0+0)
  check "the picture covers XScreenSaver's window (lit $l)" above "$l" 0.02
  check "it writes no settings file (the options or their defaults)" [ -z "$(ls -A "$config")" ]
  env HOME="$home" "${as[@]}" xscreensaver-command -deactivate >>"$work/xscreensaver.log" 2>&1
  local ended=""
  for _ in $(seq 50); do
    kill -0 "$hack" 2>/dev/null || { ended=yes; break; }
    sleep 0.1
  done
  check "XScreenSaver stops it on deactivation" [ -n "$ended" ]
}

# ---- XScreenSaver's kind of command line ----------------------------------------

case_help_and_mistakes() {
  new_config
  # ARGS | exit code | the stream with the usage | the first line there
  local rows=(
    '--help|0|out|Usage: zarvella [/s | /c | /p ID | /a]'
    '-help|0|out|Usage: zarvella [/s | /c | /p ID | /a]'
    '-root -bogus|1|err|zarvella: unknown option "-bogus"'
    '-speed 101|1|err|zarvella: -speed takes a number from 0 to 100, not "101"'
    '--detail|1|err|zarvella: --detail takes a number from 1 to 30, and none was given'
  )
  local row args code stream first got
  for row in "${rows[@]}"; do
    IFS='|' read -r args code stream first <<<"$row"
    # shellcheck disable=SC2086
    XDG_CONFIG_HOME="$config" "$zarvella" $args >"$work/usage.out" 2>"$work/usage.err"
    got=$?
    check "$args: exit code $code (got $got)" [ "$got" = "$code" ]
    check "$args: '$first' on std$stream" [ "$(head -n1 "$work/usage.$stream")" = "$first" ]
    check "$args: the usage on std$stream" grep -q '^  -kind N ' "$work/usage.$stream"
    local other=err; [ "$stream" = err ] && other=out
    check "$args: nothing on std$other" [ ! -s "$work/usage.$other" ]
  done
  check "no settings file is created" [ -z "$(ls -A "$config")" ]
}

# XScreenSaver's settings page as built: every command line it can produce,
# each slider at its low, high and default value, each choice and each box.
page_fragments() {
  tr '\n' ' ' <"$xml" | grep -o '<number [^>]*>' | while read -r element; do
    local arg low high default
    arg=$(sed -n 's/.* arg="\([^"]*\)".*/\1/p' <<<"$element")
    for end in low high default; do
      echo "${arg/\%/$(sed -n "s/.* $end=\"\([^\"]*\)\".*/\1/p" <<<"$element")}"
    done
  done
  grep -o 'arg-set="[^"]*"' "$xml" | sed 's/arg-set="\(.*\)"/\1/'
}

case_every_page_option() {
  new_config
  make_parent 160x120+50+60 || { check "the test window appears" false; return; }
  local fragment count=0 refused=()
  while read -r fragment; do
    count=$((count + 1))
    # shellcheck disable=SC2086
    start_saver -window-id "$parent" -xscreensaver $fragment
    local drawn=""
    for _ in $(seq 50); do
      [ -n "$(child_id "$parent")" ] && { drawn=yes; break; }
      running || break
      sleep 0.1
    done
    running && [ -n "$drawn" ] || refused+=("$fragment")
    stop_pid "$saver_pid"; saver_pid=""
    for _ in $(seq 20); do [ -z "$(child_id "$parent")" ] && break; sleep 0.05; done
  done < <(page_fragments)
  echo "     ($count command lines from $(basename "$xml"))"
  # Every setting of --help, and the frame rate, is on the page.
  local option
  for option in $("$zarvella" --help | sed -n 's/^  \(-[a-z-]*\) N .*/\1/p') -random -fps; do
    check "the page sets $option" grep -q -- "^$option\b" <(page_fragments)
  done
  check "each one draws and keeps running (not: ${refused[*]})" [ ${#refused[@]} -eq 0 ]
  check "no settings file is created" [ -z "$(ls -A "$config")" ]
}

case_own_window() {
  new_config
  start_saver -window -kind 4
  local wid x y w h
  wid=$(find_window "Zarvella") || { check "the window opens" false; return; }
  read -r x y w h < <(geometry_of "$wid")
  check "it is 640x480 (got ${w}x${h})" [ "${w}x${h}" = 640x480 ]
  sleep 1
  shot "$work/window.png"
  local l
  l=$(lit "$work/window.png" "${w}x${h}+$x+$y")
  check "the picture is drawn (lit $l)" above "$l" 0.01
  focus "$wid"
  xdotool key x; xdotool mousemove $((x + 10)) $((y + 10)); sleep 0.2
  xdotool mousemove $((x + 300)) $((y + 200)); sleep 0.5
  check "a key and mouse movement do not end it" running
  "$tool" close "$wid"
  if wait_exit 5; then
    check "closing it ends it with exit code 0 (got $exit_code)" [ "$exit_code" = 0 ]
  else
    check "closing the window ends it" false
  fi
  check "run by hand, it takes the stored settings: a first run stores the defaults" [ -f "$settings" ]
}

case_frame_rate() {
  new_config
  make_parent 320x240+50+60 || { check "the test window appears" false; return; }
  # One grid row draws no triangle, so only the frame rate can light pixels.
  local fps corner rest
  for fps in "" -fps; do
    start_saver -window-id "$parent" -detail 1 $fps
    sleep 2.5
    shot "$work/fps.png"
    check "it runs with -detail 1 $fps" running
    stop_pid "$saver_pid"; saver_pid=""
    corner=$(lit "$work/fps.png" 110x30+50+270)  # the lower left corner of the window
    rest=$(lit "$work/fps.png" 320x200+50+60)
    if [ -n "$fps" ]; then
      check "-fps draws the rate in the lower left corner (lit $corner)" above "$corner" 0.05
    else
      check "without -fps the corner stays black (lit $corner)" below "$corner" 0.0001
    fi
    check "nothing else is drawn $fps (lit $rest)" below "$rest" 0.0001
    for _ in $(seq 20); do [ -z "$(child_id "$parent")" ] && break; sleep 0.05; done
  done
}

case_settings_with_root() {
  new_config
  start_saver /c -root
  local wid
  wid=$(find_window "Zarvella Settings") || { check "/c -root opens the settings window" false; return; }
  focus "$wid"
  xdotool key Escape
  wait_exit 5 || check "Esc ends it" false
}

source "$(dirname "$0")/monitors_case.sh"

# ---- run -------------------------------------------------------------------------

start_display 1280x1024x24 || exit 1
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
unset XSCREENSAVER_WINDOW
echo "run_e2e: display $DISPLAY, work folder $work"

run_case "/c first run: window, defaults file, picture above controls, slider, save, Esc" case_settings_first_run
run_case "/c closing without saving leaves the file" case_settings_close_without_saving
run_case "/c keyboard order: Speed, Save, Our Site, Brightness ... Random" case_settings_keyboard_order
run_case "/c stored Color 40 shows 30 and saves 30" case_settings_color_40
run_case "/c Color stored as a string" case_settings_color_string
run_case "/c damaged file: message, left as it was; Save Settings keeps it beside and saves anew" case_settings_damaged_file
run_case "/s covers the screen, picture on black, cursor hidden, 10 px stays, 11 px right ends" case_fullscreen_picture
run_case "/s 11 px down ends" case_fullscreen_move_down
run_case "/s on two monitors: one frame on each, primary left or right, monitors changing; every window in device pixels at any scale" case_monitors
run_case "/s a key ends" case_fullscreen_key
run_case "/S a lone Shift ends" case_fullscreen_shift
run_case "/p ID: child of the parent's size, no input, ends with the parent, no settings file" case_preview_child
run_case "/p 0: stand-alone window, a key ends it" case_preview_stand_alone
run_case "/p ID: destroying its own window ends it; it follows the parent's size" case_preview_own_window
run_case "/p ID naming no window, or the root window, ends at once" case_preview_no_such_window
run_case "/a does nothing and exits" case_change_password
run_case "XSCREENSAVER_WINDOW: the picture appears in that window" case_xscreensaver_window_variable
run_case "-window-id ID: the picture appears in that window" case_xscreensaver_window_id
run_case "XScreenSaver window with a damaged file: no box, the defaults drawn" case_xscreensaver_damaged_file
run_case "no display, or a window id that is garbage, 0 or no window: what is wrong, exit code 1" case_no_display_or_window
run_case "-root by hand: the desktop's background, below other windows, no input" case_root_by_hand
run_case "no OpenGL: one line and exit code 1; the settings window says so and saves" case_no_opengl
run_case "XScreenSaver itself runs Zarvella and stops it" case_real_xscreensaver
run_case "--help on stdout with code 0; mistakes on stderr with code 1" case_help_and_mistakes
run_case "every command line XScreenSaver's page can produce draws and runs" case_every_page_option
run_case "-window: a window of its own that input does not end and closing does" case_own_window
run_case "-fps draws the frame rate in the lower left corner, and only then" case_frame_rate
run_case "/c -root is the settings window (Windows' kind picks its mode)" case_settings_with_root

echo
[ "$failed" -gt 0 ] && echo "failed: ${failed_names[*]}"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
