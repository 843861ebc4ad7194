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

dprobe() { wine "$HELPERS/display_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }

# ---- the two-monitor desk ----------------------------------------------------

wine_monitors() {  # wine_monitors N: waits until Wine sees N monitors
  for _ in $(seq 20); do
    [ "$(dprobe monitors | wc -l)" = "$1" ] && return 0
    sleep 0.5
  done
  fail "Wine does not see $1 monitors: $(dprobe monitors)"
}

XORG_PID=""
stop_desk() {
  [ -n "$XORG_PID" ] || return 0
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  kill "$XORG_PID" 2>/dev/null
  wait "$XORG_PID" 2>/dev/null
  XORG_PID=""
}
trap stop_desk EXIT
trap 'exit 143' TERM INT

lay_out() {  # lay_out XRANDR-ARGS...: then a full query, which makes the server
  # probe its outputs again: until then it reports a new one as not
  # connected, and Wine leaves it out.
  xrandr "$@" && xrandr >/dev/null || fail "xrandr $*"
}

start_desk() {  # start_desk XRANDR-ARGS...: an Xorg of monitors laid out so; DISPLAY points at it
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
  local n
  for n in $(seq 130 160); do
    { [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; } && continue
    Xorg ":$n" -noreset -nolisten tcp -config "$CASE_DIR/xorg.conf" -logfile "$CASE_DIR/xorg.log" \
      >/dev/null 2>&1 &
    XORG_PID=$!
    for _ in $(seq 100); do
      DISPLAY=":$n" xrandr >/dev/null 2>&1 && break
      kill -0 "$XORG_PID" 2>/dev/null || break
      sleep 0.1
    done
    if [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$XORG_PID" ]; then
      export DISPLAY=":$n"
      # The output is the monitor: no area of the X screen stands in for one.
      xrandr --newmode 1920x1080 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync &&
        xrandr --addmode DUMMY0 1920x1080 && xrandr --addmode DUMMY1 1920x1080 &&
        xrandr --addmode DUMMY1 1280x1024 || fail "xrandr could not add modes"
      lay_out "$@"
      return 0
    fi
    kill "$XORG_PID" 2>/dev/null
    XORG_PID=""
  done
  fail "no Xorg display of two monitors (xserver-xorg-video-dummy)"
}

# same_frame SHOT: both monitors lit, showing one frame (pixels compared).
same_frame() {
  expect_picture "$1" 1920x1080+0+0 "left monitor"
  expect_picture "$1" 1920x1080+1920+56 "primary monitor"
  convert "$1" -crop 1920x1080+0+0 +repage "$CASE_DIR/left.png"
  convert "$1" -crop 1920x1080+1920+56 +repage "$CASE_DIR/right.png"
  local differ
  differ=$(compare -metric AE -fuzz 10% "$CASE_DIR/left.png" "$CASE_DIR/right.png" null: 2>&1)
  [ "${differ%%.*}" -lt 2000 ] 2>/dev/null || fail "the monitors show different frames ($differ pixels differ)"
}

saver_window() {  # the full-screen window as the display probe sees it
  local out
  for _ in $(seq 40); do
    out=$(dprobe window Zarvella) && [ -n "$out" ] && { echo "$out"; return 0; }
    sleep 0.5
  done
  fail "no full-screen window"
}

# Every monitor shows the same frame; the ending rules hold left of and above
# the primary monitor: starts at (-5,-5) and (-1900,300).
case_display_two_monitors() {
  start_desk --output DUMMY1 --mode 1920x1080 --pos 0x0 --output DUMMY0 --mode 1920x1080 --pos 1920x56 --primary
  local want seen
  want=$(printf 'monitor=0,0,1920x1080 primary=1\nmonitor=-1920,-56,1920x1080 primary=0')
  for _ in $(seq 20); do  # the prefix's first start may still show its old monitors
    seen=$(dprobe monitors)
    [ "$seen" = "$want" ] && break
    sleep 0.5
  done
  [ "$seen" = "$want" ] || fail "Wine sees other monitors: $seen"

  pointer_to 1915 51  # (-5,-5)
  start_saver "$SCR32" /s
  [ "$(field rect "$(saver_window)")" = "-1920,-56,3840x1136" ] || fail "window: $(saver_window)"
  sleep 1
  screenshot "$CASE_DIR/two.png"
  same_frame "$CASE_DIR/two.png"
  pointer_to 1914 50  # Wine drops the first movement after the window maps
  pointer_to 1905 46  # 10 left, 9 up of the start: runs on
  expect_running 1
  pointer_to 1904 51  # 11 left
  expect_exit 6

  pointer_to 20 356  # (-1900,300)
  start_saver "$SCR64" /s
  saver_window >/dev/null
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
  wine_monitors 2
  pointer_to 500 500
  start_saver "$SCR32" /s
  [ "$(field rect "$(saver_window)")" = "0,0,3840x1080" ] || fail "two monitors: $(saver_window)"
  lay_out --output DUMMY1 --off
  wine_monitors 1
  dprobe notify Zarvella || fail "no window to tell"
  [ "$(field rect "$(saver_window)")" = "0,0,1920x1080" ] || fail "one removed: $(saver_window)"
  lay_out --output DUMMY1 --mode 1280x1024 --pos 1920x0
  wine_monitors 2
  dprobe notify Zarvella || fail "no window to tell"
  [ "$(field rect "$(saver_window)")" = "0,0,3200x1080" ] || fail "added at 1280x1024: $(saver_window)"
  sleep 1
  screenshot "$CASE_DIR/changed.png"
  expect_picture "$CASE_DIR/changed.png" 1920x1080+0+0 "the primary monitor"
  expect_picture "$CASE_DIR/changed.png" 1280x1024+1920+0 "the monitor added"
  saver_running || fail "the saver ended"
  press a
  expect_exit 6
}

# white_share FILE X Y WIDTH HEIGHT: share of white pixels in a screen region.
white_share() {
  convert "$1" -crop "$4x$5+$2+$3" +repage \
    -fx 'r > 0.85 && g > 0.85 && b > 0.85 ? 1 : 0' -format '%[fx:mean]' info:
}

# At 144 and 192 DPI the settings window grows with its layout, fonts and
# picture, every control inside it and legible; the full-screen picture
# covers the monitor at its own pixels.
case_display_high_dpi() {
  local dpi line client cx cy shot label s
  for dpi in 144 192; do
    s() { echo $((($1 * dpi + 48) / 96)); }  # the layout's rounding, for positive numbers
    reg_import '[HKEY_CURRENT_USER\Control Panel\Desktop]' "\"LogPixels\"=dword:$(printf %08x "$dpi")"
    pointer_to 640 512
    start_saver "$SCR32" /c
    window_or_fail find "Zarvella Settings"
    line=$(dprobe window "Zarvella Settings")
    [ "$(field rect "$line" | cut -d, -f3)" = "$(s 400)x$(s 430)" ] || fail "$dpi DPI: $line"
    [ "$(field dpi "$line")" = "$dpi" ] || fail "the prefix is not at $dpi DPI: $line"
    [ "$(field children "$line")" = 15 ] && [ "$(field outside "$line")" = 0 ] ||
      fail "$dpi DPI: controls outside the window: $line"
    client=$(field client "$line")
    cx=${client%%,*}
    cy=$(cut -d, -f2 <<<"$client")
    sleep 1.5
    shot="$CASE_DIR/settings-$dpi.png"
    screenshot "$shot"
    keep_shot "$shot" "windows-settings-${dpi}dpi.png" "$(cut -d, -f3 <<<"$client")+$cx+$cy"
    expect_picture "$shot" "$(s 394)x$(s 285)+$cx+$cy" "$dpi DPI picture"
    for label in "10 309 45 20 Speed" "143 342 61 20 Segment" "277 342 55 20 Pictures" "11 380 105 17 Save"; do
      set -- $label
      awk -v w="$(white_share "$shot" $((cx + $(s $1))) $((cy + $(s $2))) "$(s $3)" "$(s $4)")" \
        'BEGIN { exit !(w > 0.04) }' || fail "$dpi DPI: no legible \"$5\" where it belongs"
    done
    press Escape
    expect_exit 5
  done
  start_saver "$SCR64" /s
  [ "$(field rect "$(saver_window)")" = "0,0,1280x1024" ] || fail "192 DPI full screen: $(saver_window)"
  press a
  expect_exit 6
}

# ---- dispatch --------------------------------------------------------------

if [ "${1:-}" = --list ]; then
  declare -F | awk '{print $3}' | sed -n 's/^case_//p'
  exit 0
fi
name=${1:?case name}
declare -F "case_$name" >/dev/null || fail "no case $name"
"case_$name"
