#!/usr/bin/env bash
# The Wine end-to-end cases. run.sh calls "cases.sh NAME" once per case, each
# in a fresh Wine prefix; a case prints nothing when it passes and the reason
# when it fails (exit status 1).
set -uo pipefail
source "$(dirname "$0")/lib.sh"

ALL_SETTINGS_DEFAULTS="Fast=10 Bright=9 Size=7 Satiation=5 Color=10 Alpha=1 Rands=0"

# Seven stored values, with "Color" given as a .reg data text.
seed_settings() {  # seed_settings COLOR_DATA
  reg_import '[HKEY_CURRENT_USER\Software\Zarvella]' \
    '"Fast"=dword:0000000a' '"Bright"=dword:00000009' '"Size"=dword:00000007' \
    '"Satiation"=dword:00000005' "\"Color\"=$1" '"Alpha"=dword:00000001' '"Rands"=dword:00000000'
}

# ---- the build -------------------------------------------------------------

case_build_imports() {
  local scr dll bad
  for scr in "$SCR32" "$SCR64"; do
    grep -q 'Subsystem.*(Windows GUI)' <<<"$(objdump -p "$scr")" || fail "$scr is not a Windows GUI program"
    bad=""
    for dll in $(objdump -p "$scr" | awk '/DLL Name:/ {print toupper($3)}'); do
      case "$dll" in
        KERNEL32.DLL | USER32.DLL | GDI32.DLL | ADVAPI32.DLL | OPENGL32.DLL | SHELL32.DLL | COMCTL32.DLL | MSVCRT.DLL) ;;
        *) bad+=" $dll" ;;
      esac
    done
    [ -z "$bad" ] || fail "$(basename "$(dirname "$scr")")/Zarvella.scr imports non-system DLLs:$bad"
  done
  grep -q '^Magic.*(PE32)$' <<<"$(objdump -p "$SCR32")" || fail "the win32 build is not a PE32 program"
  grep -q 'file format pei-i386' <<<"$(objdump -f "$SCR32")" || fail "the win32 build is not for i386"
  grep -q 'file format pei-x86-64' <<<"$(objdump -f "$SCR64")" || fail "the win64 build is not for x86-64"
}

case_resources() {
  local scr out
  for scr in "$SCR32" "$SCR64"; do
    out=$(probe resources "$(winepath -w "$scr" 2>/dev/null)")
    grep -qx 'string1=Zarvella' <<<"$out" || fail "string 1 is not \"Zarvella\": $out"
    grep -qx 'icons=1' <<<"$out" || fail "no icon: $out"
    grep -qx 'manifest=1 commoncontrols6=1' <<<"$out" || fail "no common-controls 6 manifest: $out"
    grep -q '^version=1\.' <<<"$out" || fail "no version information: $out"
  done
}

# ---- the settings window ---------------------------------------------------

# start_settings SCR ARGS...: started with the pointer over the window (the
# keyboard follows the pointer here); leaves its probe line in WINDOW and its
# handle in HWND.
HWND=""
start_settings() {
  pointer_to 640 512
  start_saver "$@"
  window_or_fail find "Zarvella Settings"
  HWND=$(field hwnd "$WINDOW")
}

# White text share in a control's rectangle (client coordinates).
white_share() {  # white_share FILE CLIENT_X CLIENT_Y LEFT TOP WIDTH HEIGHT
  convert "$1" -crop "$6x$7+$(($2 + $4))+$(($3 + $5))" +repage \
    -fx 'r > 0.85 && g > 0.85 && b > 0.85 ? 1 : 0' -format '%[fx:mean]' info:
}

# Average picture brightness over three screenshots.
picture_mean() {  # picture_mean GEOMETRY
  local i sum=0 m
  for i in 1 2 3; do
    screenshot "$CASE_DIR/mean.png"
    m=$(mean_of "$CASE_DIR/mean.png" "$1")
    sum=$(awk -v a="$sum" -v b="$m" 'BEGIN { print a + b }')
    sleep 0.3
  done
  awk -v s="$sum" 'BEGIN { print s / 3 }'
}

# The labels' white text and the "Save Settings" button, where the layout puts
# them: drawn, and not painted over by the picture.
expect_controls() {  # expect_controls FILE CLIENT_X CLIENT_Y
  local shot=$1 cx=$2 cy=$3 label
  for label in "10 309 45 20 Speed" "10 342 70 20 Brightness" "143 309 32 20 Size" \
    "143 342 61 20 Segment" "277 309 57 20 Detailed" "277 342 55 20 Pictures" "10 290 120 17 Random"; do
    set -- $label
    awk -v s="$(white_share "$shot" "$cx" "$cy" "$1" "$2" "$3" "$4")" 'BEGIN { exit !(s > 0.04) }' ||
      fail "no white text where \"$5\" belongs"
  done
  awk -v s="$(white_share "$shot" "$cx" "$cy" 11 380 105 17)" 'BEGIN { exit !(s > 0.2) }' ||
    fail "no \"Save Settings\" button where it belongs"
}

focus_walk() {  # focus_walk HWND COUNT: presses Tab COUNT times, prints the ids
  local i out=""
  for i in $(seq 1 "$2"); do
    press Tab
    sleep 0.2
    out+="$(probe focus "$1") "
  done
  echo "${out% }"
}

case_settings_first_run() {
  start_settings "$SCR32" /c
  local line=$WINDOW hwnd=$HWND cx cy shot before after
  [ "$(field class "$line")" = TForm2 ] || fail "unexpected window: $line"
  [ "$(field size "$line")" = 400x430 ] || fail "outer size $(field size "$line"), expected 400x430"
  local client
  client=$(field client "$line")
  cx=${client%%,*}
  cy=$(cut -d, -f2 <<<"$client")

  [ "$(settings_values)" = "$ALL_SETTINGS_DEFAULTS" ] || fail "first run stored: $(settings_values)"
  [ "$(probe sliders "$hwnd")" = "TrackBar1=10 TrackBar2=9 TrackBar3=7 TrackBar4=5 TrackBar5=10 TrackBar6=1 CheckBox1=0" ] ||
    fail "sliders: $(probe sliders "$hwnd")"

  sleep 1.5
  shot="$CASE_DIR/settings.png"
  screenshot "$shot"
  keep_shot "$shot" windows-settings.png "$(client_geometry "$line")"
  # The picture above the controls, the labels below it, untouched by the picture.
  expect_picture "$shot" "394x285+$cx+$cy" "settings window"
  expect_controls "$shot" "$cx" "$cy"

  # Keyboard order, from the first slider round to it again.
  [ "$(probe focus "$hwnd")" = 101 ] || fail "the first slider does not have the focus: $(probe focus "$hwnd")"
  local walk
  walk=$(focus_walk "$hwnd" 9)
  [ "$walk" = "301 302 102 103 104 105 106 200 101" ] || fail "keyboard order: $walk"

  # "Brightness" down to 1 with the keyboard: the picture darkens at once.
  walk=$(focus_walk "$hwnd" 3)
  [ "$walk" = "301 302 102" ] || fail "Tab did not reach Brightness: $walk"
  before=$(picture_mean "394x285+$cx+$cy")
  press Home
  sleep 0.3
  [ "$(probe sliders "$hwnd")" = "TrackBar1=10 TrackBar2=1 TrackBar3=7 TrackBar4=5 TrackBar5=10 TrackBar6=1 CheckBox1=0" ] ||
    fail "Home did not move Brightness to 1: $(probe sliders "$hwnd")"
  after=$(picture_mean "394x285+$cx+$cy")
  awk -v b="$before" -v a="$after" 'BEGIN { exit !(a < b * 0.4) }' ||
    fail "the picture did not darken with Brightness 1 (mean $before before, $after after)"
  [ "$(settings_values)" = "$ALL_SETTINGS_DEFAULTS" ] || fail "a slider alone changed the registry: $(settings_values)"

  # Back to "Save Settings" and press it.
  press shift+Tab shift+Tab
  sleep 0.2
  [ "$(probe focus "$hwnd")" = 301 ] || fail "Shift+Tab did not reach Save Settings"
  press space
  sleep 0.5
  [ "$(settings_values)" = "Fast=10 Bright=1 Size=7 Satiation=5 Color=10 Alpha=1 Rands=0" ] ||
    fail "after Save Settings: $(settings_values)"

  press Escape
  expect_exit 5
}

case_settings_close_without_saving() {
  start_settings "$SCR32" /c
  local hwnd=$HWND
  press End  # Speed to 100
  sleep 0.3
  [ "$(probe sliders "$hwnd" | cut -d' ' -f1)" = TrackBar1=100 ] || fail "End did not move Speed: $(probe sliders "$hwnd")"
  press alt+F4
  expect_exit 5
  [ "$(settings_values)" = "$ALL_SETTINGS_DEFAULTS" ] || fail "closing changed the registry: $(settings_values)"
}

case_settings_detail_40() {
  seed_settings dword:00000028
  start_settings "$SCR32" /c
  local hwnd=$HWND
  [ "$(probe sliders "$hwnd")" = "TrackBar1=10 TrackBar2=9 TrackBar3=7 TrackBar4=5 TrackBar5=30 TrackBar6=1 CheckBox1=0" ] ||
    fail "a stored Color of 40: $(probe sliders "$hwnd")"
  [ "$(reg_dword "$SETTINGS_KEY" Color)" = 40 ] || fail "opening changed the stored Color"
  press Tab space  # Save Settings
  sleep 0.5
  [ "$(settings_values)" = "Fast=10 Bright=9 Size=7 Satiation=5 Color=30 Alpha=1 Rands=0" ] ||
    fail "after Save Settings: $(settings_values)"
  press Escape
  expect_exit 5
}

case_settings_our_site() {
  # The prefix's "https" handler becomes the probe, which records the address.
  local handler
  handler=$(winepath -w "$HELPERS/probe.exe" 2>/dev/null | sed 's/\\/\\\\/g')
  reg_import '[HKEY_CLASSES_ROOT\https\shell\open\command]' "@=\"\\\"$handler\\\" record \\\"%1\\\"\""
  start_settings "$SCR32" /c
  press Tab Tab  # Save Settings, then Our Site
  sleep 0.2
  [ "$(probe focus "$HWND")" = 302 ] || fail "Tab did not reach Our Site"
  press space
  local i opened=""
  for i in $(seq 1 20); do
    opened=$(wine reg query 'HKCU\Software\ZarvellaTest' /v Opened 2>/dev/null | tr -d '\r' | awk '$1 == "Opened" {print $3}')
    [ -n "$opened" ] && break
    sleep 0.5
  done
  [ "$opened" = "https://opensource.org/license/mit" ] || fail "Our Site opened \"$opened\""
  saver_running || fail "the settings window ended"
  # The started handler may have taken the keyboard; the close box's message ends it.
  probe close "$HWND" >/dev/null
  expect_exit 5
}

case_settings_random_picture() {
  reg_import '[HKEY_CURRENT_USER\Software\Zarvella]' \
    '"Fast"=dword:0000000a' '"Bright"=dword:00000009' '"Size"=dword:00000007' '"Satiation"=dword:00000005' \
    '"Color"=dword:0000000a' '"Alpha"=dword:0000000a' '"Rands"=dword:00000001'
  start_settings "$SCR32" /c
  local sliders kind
  sliders=$(probe sliders "$HWND")
  kind=$(field TrackBar6 "$sliders")
  [ "$(field CheckBox1 "$sliders")" = 1 ] || fail "Random is not ticked: $sliders"
  ((kind >= 1 && kind <= 9)) || fail "a random picture kind of $kind"
  press Escape
  expect_exit 5
  [ "$(reg_dword "$SETTINGS_KEY" Alpha)" = 10 ] || fail "the stored picture kind changed"
}

# expect_message TEXT: a message box titled "Zarvella" with TEXT; pressed OK.
expect_message() {
  local out
  out=$(wait_for msgbox) || fail "no message box"
  grep -qx 'title=Zarvella' <<<"$out" || fail "message box title: $(head -1 <<<"$out")"
  grep -qxF "text=$1" <<<"$out" || fail "message box says: $(grep '^text=' <<<"$out" | tr '\n' ' '), expected: $1"
  probe msgbox close >/dev/null
}

case_settings_color_string() {
  seed_settings '"40"'
  pointer_to 640 512
  start_saver "$SCR32" /c
  expect_message "Invalid data type for 'Color'"
  window_or_fail find "Zarvella Settings"
  press Escape
  expect_exit 5
}

case_settings_missing_value() {
  reg_import '[HKEY_CURRENT_USER\Software\Zarvella]' '"Fast"=dword:0000000a' '"Bright"=dword:00000009'
  pointer_to 640 512
  start_saver "$SCR32" /c
  expect_message "Failed to get data for 'Size'"
  window_or_fail find "Zarvella Settings"
  press Escape
  expect_exit 5
}

# Each of the seven values missing, stored as a string, and stored with more
# than four bytes: its own message, no crash, and the window still ends on Esc.
case_settings_every_value_fault() {
  local names=(Fast Bright Size Satiation Color Alpha Rands) bad kind data expected line lines
  for bad in "${names[@]}"; do
    for kind in missing string long; do
      lines=('[HKEY_CURRENT_USER\Software\Zarvella]')
      for name in "${names[@]}"; do
        if [ "$name" != "$bad" ]; then
          lines+=("\"$name\"=dword:00000003")
          continue
        fi
        case $kind in
          missing) expected="Failed to get data for '$name'" ;;
          string) lines+=("\"$name\"=\"40\""); expected="Invalid data type for '$name'" ;;
          long) lines+=("\"$name\"=hex:01,02,03,04,05"); expected="Failed to get data for '$name'" ;;
        esac
      done
      wine reg delete "$SETTINGS_KEY" /f >/dev/null 2>&1
      reg_import "${lines[@]}"
      pointer_to 640 512
      start_saver "$SCR32" /c
      expect_message "$expected"
      window_or_fail find "Zarvella Settings"
      press Escape
      expect_exit 5
      # The faulty value is left as it was stored.
      line=$(wine reg query "$SETTINGS_KEY" /v "$bad" 2>/dev/null | tr -d '\r' | grep -i " $bad ")
      case $kind in
        missing) [ -z "$line" ] || fail "$bad was written: $line" ;;
        string) grep -q 'REG_SZ' <<<"$line" || fail "$bad changed: $line" ;;
        long) grep -q 'REG_BINARY' <<<"$line" || fail "$bad changed: $line" ;;
      esac
    done
  done
}

# ---- the full-screen saver -------------------------------------------------

# start_fullscreen SCR ARGS...: started with the pointer in the middle; checks
# the window, whose probe line is left in WINDOW.
start_fullscreen() {
  pointer_to 640 512
  start_saver "$@"
  local line style exstyle
  window_or_fail find-class TForm1
  line=$WINDOW
  [ "$(field rect "$line")" = 0,0,1280,1024 ] || fail "full-screen window at $(field rect "$line")"
  style=$(field style "$line")
  exstyle=$(field exstyle "$line")
  ((style & 0x80000000)) || fail "not a pop-up window: style $style"
  ((style & 0x00C00000)) && fail "the full-screen window has a caption or border: style $style"
  ((exstyle & 0x8)) || fail "not top-most: exstyle $exstyle"
  [ "$(field title "$line")" = Zarvella ] || fail "title $(field title "$line")"
}

case_fullscreen_mouse() {
  start_fullscreen "$SCR32" /s
  sleep 1
  [ "$(probe cursor)" = hidden ] || fail "the cursor is not hidden"
  local shot="$CASE_DIR/fullscreen.png"
  screenshot "$shot"
  keep_shot "$shot" windows-fullscreen.png
  expect_picture "$shot" 1280x1024+0+0 "full-screen saver"
  pointer_to 650 522  # 10 right, 10 down
  expect_running 1.5
  pointer_to 651 522  # 11 right
  expect_exit 6
}

case_fullscreen_mouse_down() {
  start_fullscreen "$SCR32" /s
  sleep 0.5
  pointer_to 640 523  # 11 down
  expect_exit 6
}

case_fullscreen_key() {
  start_fullscreen "$SCR32" /s
  sleep 0.5
  xdotool click 1  # a click without movement
  expect_running 1
  press shift  # a lone Shift
  expect_exit 6
}

case_fullscreen_settings_error() {
  # After the message the screen is covered as usual, the cursor hidden, and
  # the threshold counts from where the cursor was, not from the corner.
  seed_settings '"40"'
  pointer_to 640 512
  start_saver "$SCR32" /s
  expect_message "Invalid data type for 'Color'"
  window_or_fail find-class TForm1
  [ "$(field rect "$WINDOW")" = 0,0,1280,1024 ] || fail "after the error the window is at $(field rect "$WINDOW")"
  [ "$(probe cursor)" = hidden ] || fail "the cursor is shown after the error"
  pointer_to 645 517
  expect_running 0.5
  pointer_to 660 512
  expect_exit 6
}

case_fullscreen_closed() {
  # Closed by someone else: it may always close, and the process ends.
  start_fullscreen "$SCR32" /s
  sleep 0.5
  probe close "$(field hwnd "$WINDOW")" >/dev/null
  expect_exit 6
}

# ---- the password ----------------------------------------------------------

use_password() {
  reg_import '[HKEY_CURRENT_USER\Control Panel\Desktop]' '"ScreenSaveUsePassword"=dword:00000001'
}

case_password_refused_then_accepted() {
  use_password
  mkdir -p "$CASE_DIR/saver"
  cp "$SCR32" "$HELPERS/PASSWORD.CPL" "$CASE_DIR/saver/"
  local line hwnd
  start_fullscreen "$CASE_DIR/saver/Zarvella.scr" /s
  hwnd=$(field hwnd "$WINDOW")
  sleep 0.5
  press a
  expect_running 1.5
  [ "$(reg_dword 'HKCU\Software\ZarvellaTest' VerifyCalls)" = 1 ] || fail "VerifyScreenSavePwd was not asked once"
  [ "$(reg_dword 'HKCU\Software\ZarvellaTest' VerifyOwner)" = "$hwnd" ] || fail "the password dialog's owner is not the saver window"
  [ "$(probe cursor)" = hidden ] || fail "the cursor is visible after a refused password"
  local shot="$CASE_DIR/refused.png"
  screenshot "$shot"
  expect_picture "$shot" 1280x1024+0+0 "saver after a refused password"
  press a
  expect_exit 6
  [ "$(reg_dword 'HKCU\Software\ZarvellaTest' VerifyCalls)" = 2 ] || fail "VerifyScreenSavePwd was not asked twice"
}

case_password_library_missing() {
  use_password
  start_fullscreen "$SCR32" /s
  sleep 0.5
  press a
  expect_exit 6
}

# ---- the preview -----------------------------------------------------------

case_preview_child() { preview_in_parent %d; }
# The handle in hexadecimal, as some callers write it.
case_preview_child_hex() { preview_in_parent '$%X'; }

preview_in_parent() {  # preview_in_parent PRINTF_FORMAT_OF_THE_HANDLE
  wine "$HELPERS/probe.exe" parent 152 112 >"$CASE_DIR/parent.out" 2>/dev/null &
  local parent_pid=$! area="" i line
  for i in $(seq 1 40); do
    area=$(head -1 "$CASE_DIR/parent.out" 2>/dev/null | tr -d '\r')
    [ -n "$area" ] && break
    sleep 0.25
  done
  [ -n "$area" ] || fail "the parent program made no window"
  # Wine keeps a GL picture in a child of another process's window off the
  # screen, so the frames are counted from Wine's own trace of the swaps.
  # shellcheck disable=SC2059
  WINEDEBUG=+wgl start_saver "$SCR32" /p "$(printf "$1" "$area")"
  line=$(wait_for children "$area") || fail "no child window in the parent area"
  [ "$(field class "$line")" = ZarvellaPreview ] || fail "unexpected child: $line"
  [ "$(field size "$line")" = 152x112 ] || fail "child size $(field size "$line")"
  [ "$(field style "$line")" = 0x58000000 ] || fail "child style $(field style "$line"), expected WS_CHILD|WS_VISIBLE|WS_DISABLED"
  [ "$(field enabled "$line")" = 0 ] || fail "the child is not disabled"
  [ "$(field rect "$line" | cut -d, -f1,2)" = 200,200 ] ||
    fail "the child is not at the area's top-left corner: $(field rect "$line")"
  expect_running 1
  local swaps_before swaps_after
  swaps_before=$(grep -c 'wglSwapBuffers' "$CASE_DIR/saver.log")
  sleep 2
  swaps_after=$(grep -c 'wglSwapBuffers' "$CASE_DIR/saver.log")
  expect_paced_frames "$((swaps_after - swaps_before))"
  reg_key_exists "$SETTINGS_KEY" && fail "the preview wrote settings"
  probe close "$area" >/dev/null
  local closed_at
  closed_at=$(date +%s.%N)
  expect_exit 3
  echo "ended $(awk -v a="$closed_at" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }')s after the parent" >&2
  wait "$parent_pid" 2>/dev/null
  return 0
}

# One frame per repaint request of the preview thread (every 40 ms), as on
# Linux: lively, and not one frame after another as fast as it can.
expect_paced_frames() {  # expect_paced_frames SWAPS_IN_2_S
  echo "swaps in 2 s: $1" >&2
  (($1 >= 20)) || fail "the preview swapped $1 frames in 2 s"
  (($1 <= 60)) || fail "the preview swapped $1 frames in 2 s: more than one per 40 ms request"
}

case_preview_no_such_window() {
  # A number that names no window: nothing to draw into, so it ends at once.
  start_saver "$SCR32" /p 4711
  expect_exit 5
  probe find-class ZarvellaPreview >/dev/null && fail "a preview window was made"
  return 0
}

# The stand-alone window: no handle, or one that is not a number. The pointer
# then moves over it, which gives it the keyboard on this display (focus
# follows the pointer; there is no window manager).
standalone_preview() {  # standalone_preview SCR ARGS...
  pointer_to 400 400
  start_saver "$@"
  local line style exstyle
  window_or_fail find-class ZarvellaPreview
  # It is made top-most right after it appears; give that a moment.
  sleep 0.5
  window_or_fail find-class ZarvellaPreview
  line=$WINDOW
  style=$(field style "$line")
  exstyle=$(field exstyle "$line")
  (((style & 0x90000000) == 0x90000000)) || fail "not a visible pop-up: style $style"
  ((exstyle & 0x8)) || fail "not top-most: exstyle $exstyle"
  [ "$(field rect "$line")" = 0,0,320,240 ] || fail "stand-alone window at $(field rect "$line")"
  pointer_to 100 100
  sleep 0.3
}

case_preview_standalone() {
  WINEDEBUG=+wgl standalone_preview "$SCR32" /p 12ab
  sleep 1
  local swaps_before
  swaps_before=$(grep -c 'wglSwapBuffers' "$CASE_DIR/saver.log")
  sleep 2
  expect_paced_frames "$(($(grep -c 'wglSwapBuffers' "$CASE_DIR/saver.log") - swaps_before))"
  local shot="$CASE_DIR/preview.png"
  screenshot "$shot"
  keep_shot "$shot" windows-preview.png 320x240+0+0
  expect_picture "$shot" 320x240+0+0 "stand-alone preview"
  pointer_to 150 150
  xdotool click 1
  expect_running 1
  press a
  expect_exit 5
  reg_key_exists "$SETTINGS_KEY" && fail "the preview wrote settings"
  return 0
}

case_preview_no_handle() {
  standalone_preview "$SCR32" /p
  sleep 0.5
  press a
  expect_exit 5
}

# ---- the other mode words --------------------------------------------------

case_change_password() {
  start_saver "$SCR32" /a 4711
  local i
  for i in $(seq 1 10); do
    saver_running || break
    for class in TForm1 TForm2 ZarvellaPreview; do
      probe find-class "$class" >/dev/null && fail "a window of its own: $class"
    done
  done
  expect_exit 10
}

settings_by_word() {
  pointer_to 640 512
  start_saver "$SCR32" "$@"
  window_or_fail find-class TForm2
  press Escape
  expect_exit 5
}

fullscreen_by_word() {
  start_fullscreen "$SCR32" "$@"
  sleep 0.5
  press a
  expect_exit 6
}

case_word_c_1234() { settings_by_word /c:1234; }
case_word_c_quoted_path() {
  # A program path with a blank reaches the program quoted; /c is still the first word.
  mkdir -p "$CASE_DIR/Screen Savers"
  cp "$SCR32" "$CASE_DIR/Screen Savers/"
  pointer_to 640 512
  start_saver "$CASE_DIR/Screen Savers/Zarvella.scr" /c
  window_or_fail find-class TForm2
  press Escape
  expect_exit 5
}
case_word_minus_s() { fullscreen_by_word -s; }
case_word_xs() { fullscreen_by_word xs; }
case_word_x() { fullscreen_by_word /x; }
case_word_none() { fullscreen_by_word; }
case_word_P4711() {
  standalone_preview "$SCR32" /P4711
  sleep 0.5
  press a
  expect_exit 5
}

# ---- the 64-bit build ------------------------------------------------------

case_win64_fullscreen() {
  start_fullscreen "$SCR64" /s
  sleep 1.5
  local shot="$CASE_DIR/win64.png"
  screenshot "$shot"
  expect_picture "$shot" 1280x1024+0+0 "64-bit full-screen saver"
  press a
  expect_exit 6
}

case_win64_settings() {
  start_settings "$SCR64" /c
  local client
  client=$(field client "$WINDOW")
  sleep 1.5
  screenshot "$CASE_DIR/win64c.png"
  expect_picture "$CASE_DIR/win64c.png" "394x285+${client%%,*}+$(cut -d, -f2 <<<"$client")" "64-bit settings window"
  expect_controls "$CASE_DIR/win64c.png" "${client%%,*}" "$(cut -d, -f2 <<<"$client")"
  [ "$(settings_values)" = "$ALL_SETTINGS_DEFAULTS" ] || fail "first run stored: $(settings_values)"
  press Escape
  expect_exit 5
}

# ---- dispatch --------------------------------------------------------------

if [ "${1:-}" = --list ]; then
  declare -F | awk '{print $3}' | sed -n 's/^case_//p'
  exit 0
fi
name=${1:?case name}
declare -F "case_$name" >/dev/null || fail "no case $name"
"case_$name"
status=$?
# A saver left running by a failing case is ended by run.sh's wineserver -k.
exit $status
