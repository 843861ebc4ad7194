#!/usr/bin/env bash
# The Wine cases of several monitors and of high DPI. run.sh calls
# "display_cases.sh NAME" once per case, like cases.sh, in a fresh prefix.
#
# Wine takes its monitors from RandR outputs. Xvfb has one output, so the
# two-monitor cases start their own X server: Xorg with the dummy driver, one
# screen whose outputs DUMMY0 and DUMMY1 xrandr lays out. Wine puts the
# primary monitor at 0,0, so a monitor left of or above it gets negative
# coordinates:
#
#   X screen 3840x1136      DUMMY1 1920x1080 at 0,0     -> -1920,-56 in Windows
#                           DUMMY0 1920x1080 at 1920,56 ->  0,0 (primary)
#
# (X has no negative coordinates: moving the primary monitor in X moves the
# cursor in Windows' coordinates, so the change case keeps the primary at 0,0.)
set -uo pipefail
source "$(dirname "$0")/lib.sh"

# ---- X servers of their own ---------------------------------------------------

SERVER_PID=""
stop_server() {
  [ -n "$SERVER_PID" ] || return 0
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  kill "$SERVER_PID" 2>/dev/null
  wait "$SERVER_PID" 2>/dev/null
  SERVER_PID=""
}
trap stop_server EXIT
trap 'exit 143' TERM INT

lay_out() {  # lay_out XRANDR-ARGS...: then a full query, which makes the server
  # probe its outputs again: until then it reports a new one as not
  # connected, and Wine leaves it out.
  xrandr "$@" && xrandr >/dev/null || fail "xrandr $*"
}

# start_server Xorg|Xvfb ARGS...: an X server on a free display; DISPLAY
# points at it once it answers.
start_server() {
  local n server=$1
  shift
  for n in $(seq 130 160); do
    { [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; } && continue
    "$server" ":$n" -nolisten tcp "$@" >/dev/null 2>&1 &
    SERVER_PID=$!
    answers() { DISPLAY=":$n" xrandr >/dev/null 2>&1 || ! kill -0 "$SERVER_PID" 2>/dev/null; }
    await answers
    # Ours only when the lock names our server (another run may have been first).
    if [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$SERVER_PID" ]; then
      export DISPLAY=":$n"
      return 0
    fi
    kill "$SERVER_PID" 2>/dev/null
    SERVER_PID=""
  done
  fail "no $server display"
}

# start_desk XRANDR-ARGS...: an Xorg (dummy driver) of monitors laid out so.
start_desk() {
  cat >"$CASE_DIR/xorg.conf" <<'EOF'
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 65536
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes "1280x1024"
    EndSubSection
EndSection
EOF
  start_server Xorg -noreset -config "$CASE_DIR/xorg.conf" -logfile "$CASE_DIR/xorg.log"
  # The output is the monitor: no area of the X screen stands in for one.
  xrandr --newmode 1920x1080 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync &&
    xrandr --addmode DUMMY0 1920x1080 && xrandr --addmode DUMMY1 1920x1080 &&
    xrandr --addmode DUMMY1 1280x1024 || fail "xrandr could not add modes (xserver-xorg-video-dummy)"
  lay_out "$@"
}

monitors_are() { expect_output "$(printf '%s\n' "$@")" dprobe monitors; }  # monitors_are LINE...
saver_at() { expect_window dprobe window Zarvella -- "rect=$1"; }         # saver_at X,Y,WxH

# ---- the cases ---------------------------------------------------------------

# Every monitor shows the same frame; the ending rules hold left of and above
# the primary monitor: starts at (-5,-5) and (-1900,300).
case_display_two_monitors() {
  start_desk --output DUMMY1 --mode 1920x1080 --pos 0x0 --output DUMMY0 --mode 1920x1080 --pos 1920x56 --primary
  # The prefix's first start may still show its old monitors.
  monitors_are "monitor=0,0,1920x1080 primary=1" "monitor=-1920,-56,1920x1080 primary=0"
  pointer_to 1915 51  # (-5,-5)
  start_saver "$SCR32" /s
  saver_at -1920,-56,3840x1136
  expect_output hidden probe cursor
  expect_picture "$CASE_DIR/two.png" 1920x1080+0+0 "left monitor"
  expect_picture "$CASE_DIR/two.png" 1920x1080+1920+56 "primary monitor"
  convert "$CASE_DIR/two.png" -crop 1920x1080+0+0 +repage "$CASE_DIR/left.png"
  convert "$CASE_DIR/two.png" -crop 1920x1080+1920+56 +repage "$CASE_DIR/right.png"
  local differ
  differ=$(compare -metric AE -fuzz 10% "$CASE_DIR/left.png" "$CASE_DIR/right.png" null: 2>&1)
  [ "${differ%%.*}" -lt 2000 ] 2>/dev/null || fail "the monitors show different frames ($differ pixels differ)"
  pointer_to 1914 50  # Wine drops the first movement after the window maps
  pointer_to 1905 46  # 10 left, 9 up of the start: runs on
  expect_running 1
  pointer_to 1904 51  # 11 left
  expect_exit 6

  pointer_to 20 356  # (-1900,300)
  start_saver "$SCR64" /s
  saver_at -1920,-56,3840x1136
  expect_output hidden probe cursor
  pointer_to 21 357
  pointer_to 30 366  # 10 right and down
  expect_running 1
  press a
  expect_exit 6
}

# Monitors removed, added and resized while the saver runs: it keeps covering
# every one. Windows tells the window with WM_DISPLAYCHANGE; Wine sends none
# for changes made outside it, so the helper sends what Windows would.
case_display_monitor_change() {
  start_desk --output DUMMY0 --mode 1920x1080 --pos 0x0 --primary --output DUMMY1 --mode 1920x1080 --pos 1920x0
  monitors_are "monitor=0,0,1920x1080 primary=1" "monitor=1920,0,1920x1080 primary=0"
  pointer_to 500 500
  start_saver "$SCR32" /s
  saver_at 0,0,3840x1080
  lay_out --output DUMMY1 --off
  monitors_are "monitor=0,0,1920x1080 primary=1"
  dprobe notify Zarvella || fail "no window to tell"
  saver_at 0,0,1920x1080
  lay_out --output DUMMY1 --mode 1280x1024 --pos 1920x0
  monitors_are "monitor=0,0,1920x1080 primary=1" "monitor=1920,0,1280x1024 primary=0"
  dprobe notify Zarvella || fail "no window to tell"
  saver_at 0,0,3200x1080
  expect_picture "$CASE_DIR/changed.png" 1920x1080+0+0 "the primary monitor"
  expect_picture "$CASE_DIR/changed.png" 1280x1024+1920+0 "the monitor added"
  saver_running || fail "the saver ended"
  press a
  expect_exit 6
}

# At 144 and 192 DPI the settings window grows with its layout, fonts and
# picture, every control inside it and legible; the full-screen picture
# covers the monitor at its own pixels. On a 1024x600 screen at 144 DPI, too
# small for its 600x645, the settings window is scaled down to the screen's
# height and lies on it whole, its bottom row legible.
case_display_high_dpi() {
  local dpi client cx cy
  for dpi in 144 192; do
    reg_import '[HKEY_CURRENT_USER\Control Panel\Desktop]' "\"LogPixels\"=dword:$(printf %08x "$dpi")"
    pointer_to 640 512
    start_saver "$SCR32" /c
    expect_window dprobe window "Zarvella Settings" -- "dpi=$dpi" children=15 outside=0
    [ "$(field rect "$WINDOW" | cut -d, -f3)" = "$(((400 * dpi + 48) / 96))x$(((430 * dpi + 48) / 96))" ] ||
      fail "$dpi DPI: $WINDOW"
    client=$(field client "$WINDOW")
    cx=${client%%,*}
    cy=$(cut -d, -f2 <<<"$client")
    expect_picture "$CASE_DIR/settings-$dpi.png" "$(((394 * dpi + 48) / 96))x$(((285 * dpi + 48) / 96))+$cx+$cy" "$dpi DPI picture"
    keep_shot "$CASE_DIR/settings-$dpi.png" "windows-settings-${dpi}dpi.png" "$(cut -d, -f3 <<<"$client")+$cx+$cy"
    expect_controls "$CASE_DIR/settings-$dpi.png" "$cx" "$cy" "$dpi"
    press Escape
    expect_exit 5
  done
  start_saver "$SCR64" /s
  saver_at 0,0,1280x1024
  press a
  expect_exit 6

  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null  # the next programs take the new display
  start_server Xvfb -screen 0 1024x600x24 -extension Composite
  reg_import '[HKEY_CURRENT_USER\Control Panel\Desktop]' '"LogPixels"=dword:00000090'
  pointer_to 512 300
  start_saver "$SCR64" /c
  expect_window dprobe window "Zarvella Settings" -- dpi=144 children=15 outside=0
  local rect
  rect=$(field rect "$WINDOW")
  [[ $rect =~ ^([0-9]+),0,558x600$ ]] && ((BASH_REMATCH[1] + 558 <= 1024)) || fail "1024x600: $WINDOW"
  client=$(field client "$WINDOW")
  expect_picture "$CASE_DIR/settings-small.png" "400x300+${client%%,*}+$(cut -d, -f2 <<<"$client")" "1024x600 picture"
  expect_controls "$CASE_DIR/settings-small.png" "${client%%,*}" "$(cut -d, -f2 <<<"$client")" 600/430
  keep_shot "$CASE_DIR/settings-small.png" windows-settings-1024x600-144dpi.png "$(cut -d, -f3 <<<"$client")+${client%%,*}+$(cut -d, -f2 <<<"$client")"
  press Escape
  expect_exit 5
}

# A display without OpenGL (no GLX): the full-screen saver and the preview
# say so and end with exit code 1, before anything is hidden; the settings
# window says so and stays usable: Save Settings stores the sliders.
case_display_no_gl() {
  start_server Xvfb -screen 0 1280x1024x24 -extension GLX -extension Composite
  local args text="OpenGL could not be started: ChoosePixelFormat failed"
  for args in /s "/p 12ab"; do
    start_saver "$SCR32" $args
    expect_message "$text"
    expect_exit 5 1
  done
  expect_output shown probe cursor
  pointer_to 640 512
  start_saver "$SCR32" /c
  expect_message "$text"
  window_or_fail find "Zarvella Settings"
  expect_output 101 probe focus "$(field hwnd "$WINDOW")"
  press End Tab # Speed to 100, then Save Settings
  expect_output 301 probe focus "$(field hwnd "$WINDOW")"
  press space
  expect_output "Fast=100 Bright=9 Size=7 Satiation=5 Color=10 Alpha=1 Rands=0" settings_values
  press Escape
  expect_exit 5
}

run_case "$@"
