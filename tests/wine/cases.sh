#!/usr/bin/env bash
# The Wine end-to-end cases. run.sh calls "cases.sh NAME" once per case, each
# in a fresh Wine prefix; a case prints nothing when it passes and the reason
# when it fails (exit status 1). Cases that differ only in data are ROWS.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

# Seven stored values: the defaults, or 3 with one value faulty (missing,
# stored as a string, longer than four bytes); the key is made anew.
seed_settings() {  # seed_settings [NAME missing|string|long]
  local lines=('[-HKEY_CURRENT_USER\Software\Zarvella]' '[HKEY_CURRENT_USER\Software\Zarvella]') name data
  for name in Fast Bright Size Satiation Color Alpha Rands; do
    data=$(field "$name" "$ALL_SETTINGS_DEFAULTS")
    [ -n "${1:-}" ] && data=3
    [ "$name" = "${1:-}" ] && case $2 in
      missing) continue ;;
      string) lines+=("\"$name\"=\"40\"") && continue ;;
      long) lines+=("\"$name\"=hex:01,02,03,04,05") && continue ;;
    esac
    lines+=("\"$name\"=dword:$(printf %08x "$data")")
  done
  reg_import "${lines[@]}"
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
# keyboard follows the pointer here); waits until the first slider has the
# keyboard. Leaves its probe line in WINDOW and its handle in HWND.
HWND=""
start_settings() {
  pointer_to 640 512
  start_saver "$@"
  window_or_fail find "Zarvella Settings" -- class=TForm2 size=400x430
  HWND=$(field hwnd "$WINDOW")
  expect_output 101 probe focus "$HWND"
}

sliders_are() { expect_output "$*" probe sliders "$HWND"; }  # sliders_are speed=.. ...

# tab_to KEY IDS...: presses KEY once per id, each time waiting for the focus to reach it.
tab_to() {
  local key=$1 id
  shift
  for id in "$@"; do
    press "$key"
    expect_output "$id" probe focus "$HWND"
  done
}

# picture_and_controls KEEP_AS: the picture above the controls, the labels
# below it untouched by the picture; the screenshot kept for the docs.
picture_and_controls() {
  local client cx cy
  client=$(field client "$WINDOW")
  cx=${client%%,*}
  cy=$(cut -d, -f2 <<<"$client")
  expect_picture "$CASE_DIR/settings.png" "394x285+$cx+$cy" "settings window"
  keep_shot "$CASE_DIR/settings.png" "$1" "$(client_geometry "$WINDOW")"
  expect_controls "$CASE_DIR/settings.png" "$cx" "$cy"
}

# Started by another word or build: defaults stored on the first run, the
# picture and the controls; Esc ends it.
settings_row() {  # settings_row SETUP SCR ARGS...
  eval "$1"
  shift
  start_settings "$@"
  expect_output "$ALL_SETTINGS_DEFAULTS" settings_values
  picture_and_controls windows-settings.png
  press Escape
  expect_exit 5
}

case_settings_first_run() {
  start_settings "$SCR32" /c
  expect_output "$ALL_SETTINGS_DEFAULTS" settings_values
  sliders_are speed=10 brightness=9 size=7 segments=5 detail=10 picture=1 random=0
  picture_and_controls windows-settings.png
  # Keyboard order, from the first slider round to it again.
  tab_to Tab 301 302 102 103 104 105 106 200 101 301 302 102

  # "Brightness" down to 1 with the keyboard: the picture darkens.
  local area before
  area="394x285+$(cut -d, -f1,2 <<<"$(field client "$WINDOW")" | tr , +)"
  before=$(mean_of "$CASE_DIR/settings.png" "$area")
  press Home
  sliders_are speed=10 brightness=1 size=7 segments=5 detail=10 picture=1 random=0
  darker() { screenshot "$CASE_DIR/dark.png" && awk -v b="$before" -v a="$(mean_of "$CASE_DIR/dark.png" "$area")" 'BEGIN { exit !(a < b * 0.4) }'; }
  await darker || fail "the picture did not darken with Brightness 1 (mean $before before)"
  expect_output "$ALL_SETTINGS_DEFAULTS" settings_values  # a slider alone stores nothing

  tab_to shift+Tab 302 301
  press space
  expect_output "Fast=10 Bright=1 Size=7 Satiation=5 Color=10 Alpha=1 Rands=0" settings_values
  press Escape
  expect_exit 5
}

case_settings_close_without_saving() {
  start_settings "$SCR32" /c
  press End # Speed to 100
  sliders_are speed=100 brightness=9 size=7 segments=5 detail=10 picture=1 random=0
  press alt+F4
  expect_exit 5
  expect_output "$ALL_SETTINGS_DEFAULTS" settings_values
}

case_settings_detail_40() {
  seed_settings
  reg_import '[HKEY_CURRENT_USER\Software\Zarvella]' '"Color"=dword:00000028'
  start_settings "$SCR32" /c
  sliders_are speed=10 brightness=9 size=7 segments=5 detail=30 picture=1 random=0
  expect_output 40 reg_dword "$SETTINGS_KEY" Color  # opening changes nothing
  tab_to Tab 301
  press space
  expect_output "Fast=10 Bright=9 Size=7 Satiation=5 Color=30 Alpha=1 Rands=0" settings_values
  press Escape
  expect_exit 5
}

case_settings_our_site() {
  # The prefix's "https" handler becomes the probe, which records the address.
  local handler
  handler=$(winepath -w "$HELPERS/probe.exe" 2>/dev/null | sed 's/\\/\\\\/g')
  reg_import '[HKEY_CLASSES_ROOT\https\shell\open\command]' "@=\"\\\"$handler\\\" record \\\"%1\\\"\""
  start_settings "$SCR32" /c
  tab_to Tab 301 302
  press space
  expect_output "https://opensource.org/license/mit" reg_value 'HKCU\Software\ZarvellaTest' Opened
  saver_running || fail "the settings window ended"
  # The started handler may have taken the keyboard; the close box's message ends it.
  probe close "$HWND" >/dev/null
  expect_exit 5
}

case_settings_random_picture() {
  seed_settings
  reg_import '[HKEY_CURRENT_USER\Software\Zarvella]' '"Alpha"=dword:0000000a' '"Rands"=dword:00000001'
  start_settings "$SCR32" /c
  local sliders kind
  sliders=$(probe sliders "$HWND")
  kind=$(field picture "$sliders")
  [ "$(field random "$sliders")" = 1 ] || fail "Random is not ticked: $sliders"
  ((kind >= 1 && kind <= 9)) || fail "a random picture kind of $kind"
  press Escape
  expect_exit 5
  expect_output 10 reg_dword "$SETTINGS_KEY" Alpha  # the stored picture kind is kept
}

# A value missing, stored as a string, or longer than four bytes: its own
# message, the window after it, Esc ends it, and the value is left as stored.
settings_value_faults() {  # settings_value_faults NAME
  local kind expected line
  for kind in missing string long; do
    seed_settings "$1" "$kind"
    expected="Failed to get data for '$1'"
    [ "$kind" = string ] && expected="Invalid data type for '$1'"
    pointer_to 640 512
    start_saver "$SCR32" /c
    expect_message "$expected"
    window_or_fail find "Zarvella Settings"
    press Escape
    expect_exit 5
    line=$(wine reg query "$SETTINGS_KEY" /v "$1" 2>/dev/null | tr -d '\r' | grep -i " $1 ")
    case $kind in
      missing) [ -z "$line" ] || fail "$1 was written: $line" ;;
      string) grep -q 'REG_SZ' <<<"$line" || fail "$1 changed: $line" ;;
      long) grep -q 'REG_BINARY' <<<"$line" || fail "$1 changed: $line" ;;
    esac
  done
}

# Several values missing: one message, for the first.
case_settings_missing_value() {
  reg_import '[HKEY_CURRENT_USER\Software\Zarvella]' '"Fast"=dword:0000000a' '"Bright"=dword:00000009'
  pointer_to 640 512
  start_saver "$SCR32" /c
  expect_message "Failed to get data for 'Size'"
  window_or_fail find "Zarvella Settings"
  press Escape
  expect_exit 5
}

# ---- the full-screen saver -------------------------------------------------

# start_fullscreen SCR ARGS...: started with the pointer in the middle; waits
# for the window (covering the screen, top-most, border-less pop-up) to be in
# front with the cursor hidden. Its probe line is left in WINDOW.
start_fullscreen() {
  pointer_to 640 512
  start_saver "$@"
  window_or_fail find-class TForm1 -- rect=0,0,1280,1024 'style&0x80000000=0x80000000' \
    'style&0x00C00000=0' 'exstyle&0x8=0x8' title=Zarvella
  expect_output "$(field hwnd "$WINDOW")" probe foreground
  expect_output hidden probe cursor
}

# fullscreen_row SETUP "SCR ARGS" KEEP END: the picture; KEEP leaves it
# running, END ends it.
fullscreen_row() {
  eval "$1"
  start_fullscreen $2
  expect_picture "$CASE_DIR/fullscreen.png" 1280x1024+0+0 "full-screen saver"
  keep_shot "$CASE_DIR/fullscreen.png" windows-fullscreen.png
  [ -z "$3" ] || { eval "$3" && expect_running 1; }
  eval "$4"
  expect_exit 6
}

case_fullscreen_settings_error() {
  # After the message the screen is covered as usual, the cursor hidden, and
  # the threshold counts from where the cursor was, not from the corner.
  seed_settings Color string
  pointer_to 640 512
  start_saver "$SCR32" /s
  expect_message "Invalid data type for 'Color'"
  window_or_fail find-class TForm1 -- rect=0,0,1280,1024
  expect_output hidden probe cursor
  pointer_to 645 517
  expect_running 0.5
  pointer_to 660 512
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
  start_fullscreen "$CASE_DIR/saver/Zarvella.scr" /s
  press a
  expect_output 1 reg_dword 'HKCU\Software\ZarvellaTest' VerifyCalls
  expect_running 1
  expect_output "$(field hwnd "$WINDOW")" reg_dword 'HKCU\Software\ZarvellaTest' VerifyOwner
  expect_output hidden probe cursor
  expect_picture "$CASE_DIR/refused.png" 1280x1024+0+0 "saver after a refused password"
  press a
  expect_exit 6
  expect_output 2 reg_dword 'HKCU\Software\ZarvellaTest' VerifyCalls
}

# ---- the preview -----------------------------------------------------------

# One frame per repaint request of the preview thread (every 40 ms), as on
# Linux: once it draws, 40 more frames come, and not one after another (the
# frames may run up to half as fast again).
swaps() { grep -c wglSwapBuffers "$CASE_DIR/saver.log"; }
swapped() { (($(swaps) >= $1)); }
expect_paced_frames() {
  local from started ms
  await swapped 5 || fail "the preview draws no frames"
  from=$(swaps)
  started=$(now_ms)
  await swapped $((from + 40)) || fail "the preview swapped $(($(swaps) - from)) frames in $DEADLINE s"
  ms=$(($(now_ms) - started))
  echo "40 frames in $ms ms" >&2
  ((ms >= 1060)) || fail "the preview swapped 40 frames in $ms ms: more than one per 40 ms request"
}

# expect_picture_in_frames FILE GEOMETRY WHAT: expect_picture with a
# deadline in frames (500, some 20 s unloaded): the picture grows frame by
# frame, and a busy machine draws fewer of them in the same time
expect_picture_in_frames() {
  local from end=$((SECONDS + 6 * DEADLINE))
  from=$(swaps)
  until screenshot "$1" && lit "$1" "$2"; do
    (($(swaps) - from < 500 && SECONDS < end)) || fail "$3: no picture in $2 ($(($(swaps) - from)) frames)"
    sleep 0.3
  done
}

# no_swap_for SECONDS: no frame for that long (an absence is watched for a while)
no_swap_for() { local n; n=$(swaps); sleep "$1"; [ "$(swaps)" = "$n" ]; }

# preview_in_parent FORMAT close|kill|hide: a child of the 152x112 area, its
# handle written with FORMAT; it ends when the area closes, or when the
# parent's process is killed (no message comes then); with hide, the
# dialog first hides itself (no frame comes) and shows itself again (frames
# come again).
preview_in_parent() {
  wine "$HELPERS/probe.exe" parent 152 112 >"$CASE_DIR/parent.out" 2>/dev/null &
  local parent_pid=$! area ended
  disown
  parent_ready() { area=$(head -1 "$CASE_DIR/parent.out" 2>/dev/null | tr -d '\r') && [ -n "$area" ]; }
  await parent_ready || fail "the parent program made no window"
  # Wine keeps a GL picture in a child of another process's window off the
  # screen, so the frames are counted from Wine's own trace of the swaps.
  # shellcheck disable=SC2059
  WINEDEBUG=+wgl start_saver "$SCR32" /p "$(printf "$1" "$area")"
  expect_window probe children "$area" -- class=ZarvellaPreview size=152x112 style=0x58000000 \
    enabled=0 rect=200,200,352,312
  expect_paced_frames
  reg_key_exists "$SETTINGS_KEY" && fail "the preview wrote settings"
  if [ "$2" = hide ]; then
    probe show "$area" 0
    await no_swap_for 1 || fail "the preview draws while its dialog is hidden"
    local hidden
    hidden=$(swaps)
    probe show "$area" 1
    await swapped $((hidden + 5)) || fail "the preview draws no frames once its dialog shows again"
  fi
  ended=$(now_ms)
  if [ "$2" = kill ]; then kill -9 "$parent_pid"; else probe close "$area" >/dev/null; fi
  expect_exit 2
  echo "ended $(($(now_ms) - ended)) ms after the parent" >&2
}

case_preview_no_such_window() {
  # A number that names no window: nothing to draw into, so it ends at once.
  start_saver "$SCR32" /p 4711
  expect_exit 5
  probe find-class ZarvellaPreview >/dev/null && fail "a preview window was made"
  return 0
}

# The stand-alone window (no handle, or one that is not a number): a visible
# top-most 320x240 pop-up, paced frames, a picture; a click leaves it, a key
# ends it. The pointer over it gives it the keyboard on this display (focus
# follows the pointer; there is no window manager).
standalone_preview() {  # standalone_preview ARGS...
  pointer_to 400 400
  WINEDEBUG=+wgl start_saver "$SCR32" "$@"
  window_or_fail find-class ZarvellaPreview -- 'style&0x90000000=0x90000000' 'exstyle&0x8=0x8' rect=0,0,320,240
  pointer_to 150 150
  expect_output "$(field hwnd "$WINDOW")" probe foreground
  expect_paced_frames
  expect_picture_in_frames "$CASE_DIR/preview.png" 320x240+0+0 "stand-alone preview"
  keep_shot "$CASE_DIR/preview.png" windows-preview.png 320x240+0+0
  xdotool click 1
  expect_running 1
  press a
  expect_exit 5
  reg_key_exists "$SETTINGS_KEY" && fail "the preview wrote settings"
  return 0
}

# ---- the other mode words --------------------------------------------------

case_change_password() {
  start_saver "$SCR32" /a 4711
  local class
  while saver_running; do
    for class in TForm1 TForm2 ZarvellaPreview; do
      probe find-class "$class" >/dev/null && fail "a window of its own: $class"
    done
  done
  expect_exit 10
}

# NAME FUNCTION DATA...
ROWS=(
  "settings_fault_fast settings_value_faults Fast"
  "settings_fault_bright settings_value_faults Bright"
  "settings_fault_size settings_value_faults Size"
  "settings_fault_satiation settings_value_faults Satiation"
  "settings_fault_color settings_value_faults Color"
  "settings_fault_alpha settings_value_faults Alpha"
  "settings_fault_rands settings_value_faults Rands"
  "win64_settings settings_row '' \"\$SCR64\" /c"
  "word_c_1234 settings_row '' \"\$SCR32\" /c:1234"
  # A program path with a blank reaches the program quoted; /c is still the first word.
  "word_c_quoted_path settings_row 'mkdir -p \"\$CASE_DIR/Screen Savers\" && cp \"\$SCR32\" \"\$CASE_DIR/Screen Savers/\"' \"\$CASE_DIR/Screen Savers/Zarvella.scr\" /c"
  "fullscreen_mouse fullscreen_row '' \"\$SCR32 /s\" 'pointer_to 650 522' 'pointer_to 651 522'"  # 10 right and down, then 11
  "fullscreen_mouse_down fullscreen_row '' \"\$SCR32 /s\" '' 'pointer_to 640 523'"
  "fullscreen_key fullscreen_row '' \"\$SCR32 /s\" 'xdotool click 1' 'press shift'"  # a click in place, a lone Shift
  # Closed by someone else: it may always close, and the process ends.
  "fullscreen_closed fullscreen_row '' \"\$SCR32 /s\" '' 'probe close \$(field hwnd \"\$WINDOW\")'"
  "password_library_missing fullscreen_row use_password \"\$SCR32 /s\" '' 'press a'"
  "win64_fullscreen fullscreen_row '' \"\$SCR64 /s\" '' 'press a'"
  "word_minus_s fullscreen_row '' \"\$SCR32 -s\" '' 'press a'"
  "word_xs fullscreen_row '' \"\$SCR32 xs\" '' 'press a'"
  "word_x fullscreen_row '' \"\$SCR32 /x\" '' 'press a'"
  "word_none fullscreen_row '' \"\$SCR32\" '' 'press a'"
  "preview_child preview_in_parent %d close"
  "preview_child_hex_parent_killed preview_in_parent '\$%X' kill"  # the handle as some callers write it
  "preview_child_hidden preview_in_parent %d hide"
  "preview_standalone standalone_preview /p 12ab"
  "preview_no_handle standalone_preview /p"
  "word_P4711 standalone_preview /P4711"
)

run_case "$@"
