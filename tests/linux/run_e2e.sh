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
# cases whose names hold TEXT. The waiting, window, screenshot and saver
# helpers are in x_lib.sh; a new case is a function and a run_case line below.
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

# Not the desktop's Wayland session: there -root would draw on its background.
unset WAYLAND_DISPLAY WAYLAND_SOCKET
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvella-e2e.XXXXXX")
chmod 755 "$work"  # the XScreenSaver case's daemon may run as nobody
xvfb_pid=""
saver_pid=""

cleanup() {
  stop_case_processes
  stop_pid "$xvfb_pid"
  if [ "$failed" -eq 0 ]; then rm -rf "$work"; else echo "run_e2e: logs and screenshots kept in $work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# ---- helpers of these cases (the shared ones are in x_lib.sh) --------------------

new_config() {  # a fresh, empty XDG_CONFIG_HOME for one case
  config=$(mktemp -d "$work/config.XXXXXX")
  settings="$config/zarvella/settings.reg"
  messages="$work/messages.$(basename "$config")"
}
no_settings() { [ -z "$(ls -A "$config")" ]; }

takes_no_input() {  # takes_no_input WINDOW-ID: its input shape is empty
  local r
  r=$("$tool" input-rectangles "$1")
  if [ "$r" = unknown ]; then
    echo "     (input check skipped: no SHAPE on this display)"
    return 0
  fi
  [ "$r" = 0 ]
}

file_has() { { tr -d '\r' <"$1"; } 2>/dev/null | grep -qxF "$2"; }

defaults_file() {  # defaults_file [FAST [COLOR]]: the file a save writes
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Zarvella]\r\n'
  printf '"Fast"=dword:%08x\r\n"Bright"=dword:00000009\r\n"Size"=dword:00000007\r\n' "${1:-10}"
  printf '"Satiation"=dword:00000005\r\n"Color"=dword:%08x\r\n"Alpha"=dword:00000001\r\n' "${2:-10}"
  printf '"Rands"=dword:00000000\r\n\r\n'
}
is_defaults() { cmp -s "$1" <(defaults_file "${2:-10}"); }  # is_defaults FILE [FAST]

stored_file() {  # stored_file COLOR-DATA: a hand-written file (LF line ends)
  mkdir -p "$config/zarvella"
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Zarvella]\n"Fast"=dword:0000000a\n"Bright"=dword:00000009\n"Size"=dword:00000007\n"Satiation"=dword:00000005\n"Color"=%s\n"Alpha"=dword:00000001\n"Rands"=dword:00000000\n' "$1" >"$settings"
}

# settings_window: the id of "Zarvella Settings" once it shows, else a failure
# settings_window: the window's id, once it has its laid-out size (before
# that, Qt's first 160x160)
settings_window() {
  local wid
  wid=$(wait_window "Zarvella Settings") || { check "\"Zarvella Settings\" opens" false; return 1; }
  wait_until 10 laid_out "$wid" || { check "\"Zarvella Settings\" is laid out" false; return 1; }
  echo "$wid"
}
laid_out() { local size; size=$(size_of "$1") && [ -n "$size" ] && [ "$size" != 160x160 ]; }
close_settings() {  # close_settings WID: Esc ends it with exit code 0
  focus "$1"
  xdotool key Escape
  expect_exit 10 "Esc ends the settings window"
}

# expect_message TEXT [LINES]: a message box titled "Zarvella" with TEXT (the
# test log then holds LINES messages, 1 unless told); Return closes it.
expect_message() {
  local box
  box=$(wait_window "Zarvella") || { check "a message box appears" false; return 1; }
  wait_until 5 grep -qF -- "$1" "$messages"
  check "the message reads: $1 (log: $(tr '\n' '|' <"$messages" 2>/dev/null))" grep -qF -- "$1" "$messages"
  check "${2:-1} message(s) shown" [ "$(wc -l <"$messages")" = "${2:-1}" ]
  focus "$box"
  xdotool key Return
  expect 5 "Return closes the message box" no_window_named "Zarvella"
}

# ---- the settings window (/c) ---------------------------------------------------

case_settings_first_run() {
  new_config
  start_saver /c
  local wid x y w h
  wid=$(settings_window) || return
  expect_output 10 "the window is 400x460 (the --idle row below)" 400x460 size_of "$wid"
  read -r x y w h < <(geometry_of "$wid")
  expect 10 "the settings file holds the seven defaults" is_defaults "$settings"
  check "no message was shown" [ ! -s "$messages" ]

  local picture="400x290+$x+$y" controls="400x120+$x+$((y + 310))" c
  expect_lit 15 "the controls are drawn below the picture" "$work/settings1.png" "$controls" 0.02
  expect_lit 15 "a picture is drawn in the top of the window" "$work/settings1.png" "$picture" 0.01
  expect_change 15 "the picture moves" "$work/settings1.png" "$work/settings2.png" "$picture" 50
  c=$(changed_pixels "$work/settings1.png" "$work/settings2.png" "$controls")
  check "the picture stays above the controls ($c pixels changed below)" [ "$c" = 0 ]
  if [ -n "$shots_out" ]; then
    convert "$work/settings1.png" -crop "${w}x${h}+$x+$y" +repage "$shots_out/linux-settings.png"
  fi

  # Speed has the focus first: one step right, then Tab to "Save Settings".
  focus "$wid"
  xdotool key Right
  expect_change 5 "Right moves the slider" "$work/settings1.png" "$work/settings3.png" "$controls" 10
  check "moving a slider alone does not write the file" is_defaults "$settings"
  xdotool key Tab space
  expect 5 "\"Save Settings\" stores the moved slider (Fast 11)" is_defaults "$settings" 11
  close_settings "$wid"
}

case_settings_close_without_saving() {
  new_config
  mkdir -p "$config/zarvella"
  defaults_file 11 >"$settings"
  cp "$settings" "$work/before.reg"
  start_saver /c
  local wid
  wid=$(settings_window) || return
  focus "$wid"
  xdotool key Right Right Right
  "$tool" close "$wid"
  expect_exit 10 "closing the window ends the program"
  check "closing without saving leaves the file as it was" cmp -s "$settings" "$work/before.reg"
}

case_settings_keyboard_order() {
  new_config
  start_saver /c
  local wid
  wid=$(settings_window) || return
  focus "$wid"
  # Order: Speed, Save Settings, Our Site, Brightness, Size, Segment, Detailed,
  # Pictures, Random. Three Tabs reach Brightness; five more reach Random.
  xdotool key Tab Tab Tab Right
  xdotool key Tab Tab Tab Tab Tab space
  # Shift+Tab seven times goes back from Random to Save Settings.
  xdotool key shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space
  expect 5 "Brightness moved with the keyboard is stored (10)" file_has "$settings" '"Bright"=dword:0000000a'
  expect 5 "Random ticked with the keyboard is stored" file_has "$settings" '"Rands"=dword:00000001'
  check "Speed is unchanged" file_has "$settings" '"Fast"=dword:0000000a'
  close_settings "$wid"
}

brighter() { above "$(mean "$1" "$2")" "$3"; }  # brighter FILE GEOMETRY MEAN

case_settings_color_40() {
  new_config
  stored_file "dword:00000028"
  start_saver /c
  local wid x y w h
  wid=$(settings_window) || return
  read -r x y w h < <(geometry_of "$wid")
  # The Detailed slider (1 to 30) at 270,327: at 30 its thumb sits at the right end.
  local right="5x5+$((x + 384))+$((y + 328))" left="5x5+$((x + 271))+$((y + 328))" r l
  wait_shot 15 "$work/color40.png" brighter "$work/color40.png" "$right" 0.6
  r=$(mean "$work/color40.png" "$right")
  l=$(mean "$work/color40.png" "$left")
  check "the Detailed slider shows 30 (thumb right $r, left $l)" above "$r" 0.6
  check "the Detailed slider's thumb is not at the left" below "$l" 0.6
  focus "$wid"
  xdotool key Tab space
  expect 5 "saving stores Color 30" file_has "$settings" '"Color"=dword:0000001e'
  check "saving keeps the other values" file_has "$settings" '"Fast"=dword:0000000a'
  check "no message was shown" [ ! -s "$messages" ]
  close_settings "$wid"
}

case_settings_color_string() {
  new_config
  stored_file '"40"'
  cp "$settings" "$work/before.reg"
  start_saver /c
  expect_message "Invalid data type for 'Color'" || return
  local wid
  wid=$(settings_window) || return
  close_settings "$wid"
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
  local wid
  wid=$(settings_window) || return
  check "the damaged file is left byte for byte until a save" cmp -s "$settings" "$work/before.reg"
  # "Save Settings" keeps it beside, saves a new file and says so.
  focus "$wid"
  xdotool key Tab space
  expect_message "kept as '$settings.damaged'" 2
  close_settings "$wid"
  check "the damaged file is kept byte for byte as settings.reg.damaged" cmp -s "$settings.damaged" "$work/before.reg"
  check "the new file holds the seven values" is_defaults "$settings"
}

# ---- the full-screen saver (/s) -------------------------------------------------

# start_fullscreen ARG: the saver over the whole screen, started with the
# pointer in the middle, once it has the keyboard and its picture shows
start_fullscreen() {
  pointer 640 512
  counted_saver "$@"
  local wid
  wid=$(wait_window "Zarvella") || { check "the full-screen window opens" false; return 1; }
  expect_output 10 "the window covers the screen" 1280x1024+0+0 placement "$wid"
  focus "$wid"
  expect_drawn 15 "a picture is drawn, no grey desktop shows through" "$work/full1.png" 1280x1024+0+0 0.02
}

# keeps_then_ends KEEP END WHAT [CODE]: xdotool's KEEP (none when empty)
# leaves the saver running, END ends it with exit code CODE (0 unless told)
keeps_then_ends() {
  if [ -n "$1" ]; then
    # shellcheck disable=SC2086
    xdotool $1
    handled
    check "$1 keeps it running" running
  fi
  # shellcheck disable=SC2086
  xdotool $2
  expect_exit 10 "$3" "${4:-0}"
}

case_fullscreen_picture() {
  new_config
  make_parent 1280x1024+0+0 || { check "a grey desktop appears" false; return; }
  start_fullscreen /s || return
  expect_change 10 "the picture moves" "$work/full1.png" "$work/full2.png" 1280x1024+0+0 100
  local corner cursor
  corner=$(mean "$work/full1.png" 100x100+0+0)
  check "the picture lies on black (corner $corner)" below "$corner" 0.01
  cursor=$("$tool" cursor)
  if [ "$cursor" = unknown ]; then
    echo "     (cursor check skipped: no XFixes on this display)"
  else
    check "the cursor is hidden (it is $cursor)" [ "$cursor" = blank ]
  fi
  check "the settings file was written on first run" is_defaults "$settings"
  [ -n "$shots_out" ] && cp "$work/full1.png" "$shots_out/linux-fullscreen.png"
  keeps_then_ends "mousemove --sync 650 522" "mousemove 651 522" "11 px to the right ends it"
}

# case_fullscreen_ends ARG KEEP END CODE: a row of the ways to end it
case_fullscreen_ends() {
  new_config
  start_fullscreen "$1" || return
  keeps_then_ends "$2" "$3" "$1: $3 ends it" "$4"
}

# ---- the preview (/p ID) --------------------------------------------------------

# start_preview GEOMETRY: /p into a new grey parent; true once a child of the
# parent's size shows
start_preview() {
  make_parent "$1" || { check "the test parent window appears" false; return 1; }
  counted_saver /p "$parent"
  expect_output 15 "a child of the parent's size appears" "${1%%+*}+0+0" child_geometry "$parent"
}

case_preview_child() {
  new_config
  start_preview 300x200+100+100 || return
  check "the child takes no input" takes_no_input "$(child_id "$parent")"
  expect_drawn_in_frames "the picture covers the parent" "$work/preview.png" 300x200+100+100 0.01
  local destroyed
  check "the preview keeps running" running
  destroyed=${EPOCHREALTIME/./}
  stop_pid "$parent_pid"   # closing its connection destroys the parent
  if expect_exit 5 "destroying the parent ends it"; then
    echo "     (ended $(( (${EPOCHREALTIME/./} - destroyed) / 1000 )) ms after the parent)"
  fi
  check "no settings file is created" no_settings
}

# The preview's own window destroyed while its parent lives ends it too (as on
# Windows), and it follows the parent's size.
case_preview_own_window() {
  new_config
  start_preview 300x200+100+100 || return
  "$tool" resize "$parent" 240x150
  expect_output 10 "the child follows the parent's new size" 240x150+0+0 child_geometry "$parent"
  "$tool" destroy "$(child_id "$parent")"
  expect_exit 5 "destroying the preview's own window ends it"
  check "the parent lives on" alive "$parent_pid"
}

case_preview_stand_alone() {
  new_config
  counted_saver /p 0
  local wid x y w h
  wid=$(wait_window "MySaver") || { check "the stand-alone window opens" false; return; }
  expect_output 10 "it is 320x240" 320x240 size_of "$wid"
  read -r x y w h < <(geometry_of "$wid")
  expect_lit 15 "the picture is drawn" "$work/standalone.png" "${w}x${h}+$x+$y" 0.01
  pointer $((x + 100)) $((y + 100))
  pointer $((x + 200)) $((y + 150))
  handled
  check "mouse movement does not end it" running
  focus "$wid"
  xdotool key q
  expect_exit 5 "a key ends the stand-alone window"
  check "no settings file is created" no_settings
}

# case_ends_at_once ARGS...: a row of the command lines that show nothing and
# end at once with exit code 0, writing nothing
case_ends_at_once() {
  new_config
  start_saver "$@"
  expect_exit 5 "$* ends at once"
  check "no window was left" no_window_named MySaver
  check "no settings file is created" no_settings
}

# ---- XScreenSaver ----------------------------------------------------------------

# case_foreign_window HOW: the picture in a window XScreenSaver hands over,
# through XSCREENSAVER_WINDOW (stopped as XScreenSaver stops a hack) or
# through -window-id (ended by destroying that window)
case_foreign_window() {
  new_config
  make_parent 320x240+50+60 || { check "the test window appears" false; return; }
  if [ "$1" = XSCREENSAVER_WINDOW ]; then
    counted_saver "XSCREENSAVER_WINDOW=0x$(printf %x "$parent")" -root -xscreensaver
  else
    counted_saver -window-id "$parent" -xscreensaver
  fi
  expect_output 15 "a child of the window's size appears" 320x240+0+0 child_geometry "$parent"
  check "the child takes no input" takes_no_input "$(child_id "$parent")"
  expect_drawn 15 "the picture covers the window" "$work/xss.png" 320x240+50+60 0.01
  check "it writes no settings file (the options or their defaults)" no_settings
  pointer 10 10
  pointer 600 600
  xdotool key x
  handled
  check "input does not end it (XScreenSaver does)" running
  if [ "$1" = XSCREENSAVER_WINDOW ]; then
    kill "$saver_pid" 2>/dev/null
    expect_exit 5 "it ends when XScreenSaver stops it" -
  else
    stop_pid "$parent_pid"
    expect_exit 5 "it ends when its window is destroyed" -
  fi
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
  local child id others=""
  child=$(wait_until 15 child_id "$parent")
  check "it draws in a child of XScreenSaver's window" [ -n "$child" ]
  expect_drawn 15 "the picture is drawn with the defaults" "$work/xss-damaged.png" 320x240+50+60 0.01
  for id in $(xdotool search --onlyvisible --name '^Zarvella$' 2>/dev/null); do
    [ "$(printf '0x%x' "$id")" = "$child" ] || others+=" $id"
  done
  check "no other window of its own appears (got:$others)" [ -z "$others" ]
  check "the file it never reads is left alone, unmentioned (stderr: $(head -c 300 "$work/hack.err"))" \
    [ "$(printf 'REGEDIT4\n"Fast"=dword:zz\n')" = "$(cat "$settings")" ] && ! grep -q "settings" "$work/hack.err"
  stop_pid "$parent_pid"
  expect_exit 5 "it ends when its window is destroyed" -
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
             "env -u DISPLAY WAYLAND_DISPLAY=wayland-0|-window|cannot connect to the Wayland display 'wayland-0'" \
             "env -u DISPLAY WAYLAND_DISPLAY=nowhere|-root|cannot connect to the Wayland display 'nowhere'" \
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
uncovered() { shot "$work/raised.png" && above "$(grey_share "$work/raised.png" 320x240+50+60)" 0.99; }
case_root_by_hand() {
  new_config
  make_parent 320x240+50+60 || { check "the test window appears" false; return; }
  start_saver -root
  local wid g
  wid=$(wait_window Zarvella) || { check "-root opens its window" false; return; }
  check "its window takes no input" takes_no_input "$wid"
  expect_lit 15 "the picture is drawn on the desktop around the other window" "$work/root.png" \
    800x900+420+60 0.01
  g=$(grey_share "$work/root.png" 320x240+50+60)
  check "the other window stays uncovered ($g grey)" above "$g" 0.99
  xdotool windowraise "$wid"
  expect 10 "raised by a script, it goes below the other window again" uncovered
  stop_saver
}

# No OpenGL (no Mesa driver): one line saying so and why, exit code 1, no
# file written; the settings window says it in a box and still saves.
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
  check "no settings file is written" no_settings
  start_saver GALLIUM_DRIVER=bogus /c
  expect_message "OpenGL could not be started: " || return
  wid=$(settings_window) || return
  focus "$wid"
  xdotool key Right Tab space
  expect 5 "Save Settings still saves (Fast 11)" is_defaults "$settings" 11
  close_settings "$wid"
}

# The real daemon: XScreenSaver refuses to run hacks as root, so as root the
# daemon runs as nobody (who must be able to reach the program).
case_real_xscreensaver() {
  if ! command -v xscreensaver >/dev/null || ! command -v xscreensaver-command >/dev/null; then
    echo "     (skipped: XScreenSaver is not installed)"
    return
  fi
  xscreensaver_home "\"Zarvella\" $zarvella -root -xscreensaver"
  if [ "$(id -u)" = 0 ] && { ! command -v setpriv >/dev/null || ! "${as_user[@]}" test -x "$zarvella"; }; then
    echo "     (skipped: running as root, and nobody cannot reach $zarvella)"
    return
  fi
  start_daemon || { check "the XScreenSaver daemon starts" false; return; }
  in_home xscreensaver-command -activate >>"$work/xscreensaver.log" 2>&1
  # The hack runs under xscreensaver-gfx, a child of the daemon.
  local hack
  hack=$(wait_descendant 10 "$daemon" "$zarvella") || { check "XScreenSaver starts Zarvella" false; return; }
  helper_pids+=("$hack")
  expect_lit 15 "the picture covers XScreenSaver's window" "$work/xscreensaver.png" 1280x1024+0+0 0.02
  check "it writes no settings file (found: $(zarvella_files | tr '\n' ' '))" [ -z "$(zarvella_files)" ]
  in_home xscreensaver-command -deactivate >>"$work/xscreensaver.log" 2>&1
  check "XScreenSaver stops it on deactivation" wait_gone 10 "$hack"
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

# -install-xscreensaver on each kind of ~/.xscreensaver ($F, nobody's when root): no hang, the
# true cause, owner and mode kept. MAKE | HOME | BY (root, its user) | exit code | line (@: home)
case_install_file_kinds() {
  local rows=(
    'chmod 640 $F|@|root|0|zarvella: added to the programs list in ~/.xscreensaver; pick Zarvella in xscreensaver-settings'
    'rm $F; mkfifo $F|@|root|1|zarvella: cannot read @/.xscreensaver (it is not a regular file)'
    'chmod 000 $F|@|user|1|zarvella: cannot read @/.xscreensaver (Permission denied)'
    "rm \$F; mkdir \$F|@|root|1|zarvella: @/.xscreensaver is a folder, not XScreenSaver's settings file"
    ':|rel|root|1|zarvella: HOME is "rel", not an absolute path, so ~/.xscreensaver cannot be found'
  )
  local row make at by code said F owner got
  for row in "${rows[@]}"; do
    IFS='|' read -r make at by code said <<<"$row"
    xscreensaver_home "maze -root"
    F=$home/.xscreensaver owner=$(stat -c %u:%g "$home/.xscreensaver")
    eval "$make"
    [ "$by" = user ] || as_user=()
    env HOME="${at//@/$home}" "${as_user[@]}" timeout 10 "$zarvella" -install-xscreensaver >"$work/install.out" 2>&1
    got="$?:$(cat "$work/install.out")"
    check "$make: $code:${said//@/$home} (got $got)" [ "$got" = "$code:${said//@/$home}" ]
    [ "$code" = 1 ] || check "it keeps owner and mode" [ "$(stat -c %u:%g:%a "$F")" = "$owner:640" ]
  done
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

# drawn_or_ended PARENT: the saver drew into PARENT, or gave up
drawn_or_ended() { child_id "$1" >/dev/null || ! running; }

case_every_page_option() {
  new_config
  make_parent 160x120+50+60 || { check "the test window appears" false; return; }
  local fragment count=0 refused=()
  while read -r fragment; do
    count=$((count + 1))
    # shellcheck disable=SC2086
    start_saver -window-id "$parent" -xscreensaver $fragment
    wait_until 10 drawn_or_ended "$parent"
    running && child_id "$parent" >/dev/null || refused+=("$fragment")
    stop_saver
    wait_until 5 no_child "$parent"
  done < <(page_fragments)
  echo "     ($count command lines from $(basename "$xml"))"
  # Every setting of --help, and the frame rate, is on the page.
  local option
  for option in $("$zarvella" --help | sed -n 's/^  \(-[a-z-]*\) N .*/\1/p') -random -fps; do
    check "the page sets $option" grep -q -- "^$option\b" <(page_fragments)
  done
  check "each one draws and keeps running (not: ${refused[*]})" [ ${#refused[@]} -eq 0 ]
  check "no settings file is created" no_settings
}

case_own_window() {
  new_config
  counted_saver -window -kind 4
  local wid x y w h
  wid=$(wait_window "Zarvella") || { check "the window opens" false; return; }
  expect_output 10 "it is 640x480" 640x480 size_of "$wid"
  read -r x y w h < <(geometry_of "$wid")
  expect_lit 15 "the picture is drawn" "$work/window.png" "${w}x${h}+$x+$y" 0.01
  focus "$wid"
  xdotool key x
  pointer $((x + 10)) $((y + 10))
  pointer $((x + 300)) $((y + 200))
  handled
  check "a key and mouse movement do not end it" running
  "$tool" close "$wid"
  expect_exit 10 "closing the window ends it"
  check "run by hand, it takes the stored settings: a first run stores the defaults" is_defaults "$settings"
}

case_frame_rate() {
  new_config
  make_parent 320x240+50+60 || { check "the test window appears" false; return; }
  # One grid row draws no triangle, so only the frame rate can light pixels.
  local fps corner rest shown_by=0
  for fps in -fps ""; do
    counted_saver -window-id "$parent" -detail 1 $fps
    # The first frame covers the window's grey (above the corner, whose
    # smoothed letters hold greys).
    wait_shot 15 "$work/fps.png" grey_below "$work/fps.png" 320x200+50+60 0.001 ||
      check "a frame is drawn with -detail 1 $fps" false
    if [ -n "$fps" ]; then
      expect_lit 15 "-fps draws the rate in the lower left corner" "$work/fps.png" 110x30+50+270 0.05
      shown_by=$(frames)
    else
      # Twice the frames after which -fps showed the rate
      expect 30 "without -fps, frames go on" frames_beyond $((2 * shown_by))
      shot "$work/fps.png"
      corner=$(lit "$work/fps.png" 110x30+50+270)  # the lower left corner of the window
      check "without -fps the corner stays black (lit $corner)" below "$corner" 0.0001
    fi
    rest=$(lit "$work/fps.png" 320x200+50+60)
    check "nothing else is drawn $fps (lit $rest)" below "$rest" 0.0001
    check "it runs with -detail 1 $fps" running
    stop_saver
    wait_until 5 no_child "$parent"
  done
}

case_settings_with_root() {
  new_config
  start_saver /c -root
  local wid
  wid=$(settings_window) || return
  close_settings "$wid"
}

# Frames counted by the swap counter preloaded into the saver.
swap_counter=${ZARVELLA_SWAP_COUNTER:-$(dirname "$zarvella")/tests/linux/swap_counter.so}
frames() { local n=0; read -r n _ 2>/dev/null <"$work/swaps"; echo "${n:-0}"; }
frames_beyond() { (($(frames) > $1)); }
# no_frame_for SECONDS: no frame for that long (an absence is watched for a while)
# counted_saver ARGS...: start_saver with its frames counted
counted_saver() {
  rm -f "$work/swaps"
  start_saver LD_PRELOAD="$swap_counter" SWAP_COUNT_FILE="$work/swaps" "$@"
}
# expect_drawn_in_frames WHAT FILE GEOMETRY SHARE: expect_drawn with a
# deadline in frames (500, some 20 s unloaded; 90 s at most): the picture
# grows frame by frame, and a busy machine draws fewer in the same time
expect_drawn_in_frames() {
  local from end=$((SECONDS + 90))
  from=$(frames)
  until shot "$2" && drawn "$2" "$3" "$4"; do
    (($(frames) - from < 500 && SECONDS < end)) && { sleep 0.2; continue; }
    check "$1 (lit $(lit "$2" "$3"), grey $(grey_share "$2" "$3"), $(($(frames) - from)) frames)" false
    return 1
  done
}
# handled: the saver has gone round its loop since what the test just sent
# (two more frames drawn: Qt reads the X events that came before it paints
# again), so that an absence checked next is one of its answer
handled() { local n; n=$(frames); expect 15 "the saver draws on after the input" frames_beyond $((n + 1)); }
no_frame_for() { local n; n=$(frames); sleep "$1"; [ "$(frames)" = "$n" ]; }

# A hack in a host window (-window-id) whose parent is unmapped and mapped
# again, then wholly covered by another window and uncovered: no frame while
# it cannot be seen, frames again once it can.
case_unseen_host() {
  new_config
  make_parent 320x240+50+60 || { check "the host's parent appears" false; return; }
  local top=$parent top_pid=$parent_pid n
  make_parent 300x220+10+10 404040 "$top" || { check "the host window appears" false; return; }
  rm -f "$work/swaps"
  start_saver LD_PRELOAD="$swap_counter" SWAP_COUNT_FILE="$work/swaps" -window-id "$parent"
  expect 15 "it draws in the host window" frames_beyond 5
  xdotool windowunmap "$top"
  expect 10 "with the host's parent unmapped it stops drawing" no_frame_for 1
  n=$(frames)
  xdotool windowmap "$top"
  expect 10 "with the parent mapped again it draws again" frames_beyond "$n"
  make_parent 400x300+0+0 202020
  expect 10 "wholly covered by another window it stops drawing" no_frame_for 1
  n=$(frames)
  stop_pid "$parent_pid"
  expect 10 "uncovered it draws again" frames_beyond "$n"
  stop_pid "$top_pid"
  expect_exit 5 "it ends with its host" -
}

source "$(dirname "$0")/monitors_case.sh"
source "$(dirname "$0")/wm_case.sh"
source "$(dirname "$0")/idle_case.sh"
source "$(dirname "$0")/idle_row_case.sh"
source "$(dirname "$0")/lock_case.sh"

# ---- run -------------------------------------------------------------------------

start_display 1280x1024x24 || exit 1
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
unset XSCREENSAVER_WINDOW
echo "run_e2e: display $DISPLAY, work folder $work"
root_window=$(xwininfo -root | awk '/Window id:/ {print $4}')

# Two parts, each a ctest entry of its own so that both cores share them:
# ZARVELLA_E2E_PART=x11 the saver's forms on one display, =desktops the
# monitors, window managers and --idle; unset, both.
e2e_part=${ZARVELLA_E2E_PART:-}
if [ "$e2e_part" != desktops ]; then
run_case "/c first run: window, defaults file, picture above controls, slider, save, Esc" case_settings_first_run
run_case "/c closing without saving leaves the file" case_settings_close_without_saving
run_case "/c keyboard order: Speed, Save, Our Site, Brightness ... Random" case_settings_keyboard_order
run_case "/c stored Color 40 shows 30 and saves 30" case_settings_color_40
run_case "/c Color stored as a string" case_settings_color_string
run_case "/c damaged file: message, left as it was; Save Settings keeps it beside and saves anew" case_settings_damaged_file
run_case "/c -root is the settings window (Windows' kind picks its mode)" case_settings_with_root
run_case "/s covers the screen, picture on black, cursor hidden, 10 px stays, 11 px right ends" case_fullscreen_picture
#        name                  function             arg  keeps running              ends                code
run_case "/s 11 px down ends"  case_fullscreen_ends /s  "mousemove --sync 645 522" "mousemove 640 523" 0
run_case "/s a key ends"       case_fullscreen_ends /s  ""                         "key x"             0
run_case "/S a lone Shift ends" case_fullscreen_ends /S ""                         "key Shift_L"       -
run_case "/p ID: child of the parent's size, no input, ends with the parent, no settings file" case_preview_child
run_case "/p 0: stand-alone window, a key ends it" case_preview_stand_alone
run_case "/p ID: destroying its own window ends it; it follows the parent's size" case_preview_own_window
run_case "/p ID naming no window ends at once" case_ends_at_once /p 0x7ffffff0
run_case "/p the root window ends at once (it is no parent)" case_ends_at_once /p "$root_window"
run_case "/a does nothing and exits" case_ends_at_once /a 4711
run_case "XSCREENSAVER_WINDOW: the picture appears in that window" case_foreign_window XSCREENSAVER_WINDOW
run_case "-window-id ID: the picture appears in that window" case_foreign_window -window-id
run_case "XScreenSaver window with a damaged file: no box, the defaults drawn" case_xscreensaver_damaged_file
run_case "no display (X or Wayland), or a window id that is garbage, 0, no window or InputOnly: what is wrong, exit code 1" case_no_display_or_window
run_case "-root by hand: the desktop's background, below other windows, no input" case_root_by_hand
run_case "no OpenGL: one line and exit code 1; the settings window says so and saves" case_no_opengl
run_case "XScreenSaver itself runs Zarvella and stops it" case_real_xscreensaver
run_case "--help on stdout with code 0; mistakes on stderr with code 1" case_help_and_mistakes
run_case "-install-xscreensaver on another user's file, a pipe, an unreadable file, a folder, a relative HOME" case_install_file_kinds
run_case "every command line XScreenSaver's page can produce draws and runs" case_every_page_option
run_case "-window: a window of its own that input does not end and closing does" case_own_window
run_case "-fps draws the frame rate in the lower left corner, and only then" case_frame_rate
run_case "-window-id ID: no frame while the host's parent is unmapped or the host is covered; frames again after" case_unseen_host
fi
if [ "$e2e_part" != x11 ]; then
run_case "/s on two monitors: one frame on each, primary left or right, monitors changing; every window in device pixels at any scale" case_monitors
#        name                                                                          function            WM started  ends on            window manager
run_case "/s under openbox on two monitors: covered, unmanaged, on top of what opens" case_window_manager before "mousemove 1900 500" openbox
run_case "/s under xfwm4 on two monitors: covered, unmanaged, on top of what opens"   case_window_manager before "key x"              xfwm4 --compositor=off
run_case "/s under i3 on two monitors: covered, unmanaged, on top after a restart"    case_window_manager before "mousemove 1900 500" i3 -c "$work/i3.conf"
run_case "/s then openbox started: still covered, unmanaged, on top of what opens"    case_window_manager after  "mousemove 1900 500" openbox
run_case "--idle on X11 (two monitors): input keeps it away, idle starts /s on both, a key ends it, it comes back, one --idle a session, SIGTERM ends both" case_idle_x11
run_case "--idle on X11: an inhibitor on the bus holds the saver off until UnInhibit, or until its caller leaves" case_idle_inhibitor
run_case "--idle refuses without a display and beside XScreenSaver; --enable-idle and --disable-idle" case_idle_refusals_and_autostart
run_case "/c's --idle row: ticked, the entry runs --idle 1m and it runs; unticked, both gone; the settings file untouched" case_settings_idle_row
run_case "i3lock, and xsecurelock after the server's saver turns on, over /s: the saver ends, the lock holds; /s with 0, 1, 2 closed maps" case_lockers
fi

summary
