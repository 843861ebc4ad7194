# The case of several monitors and of a scaled screen, sourced by run_e2e.sh
# (it uses that script's helpers). Its own Xvfb: one 2560x1024 screen that
# xrandr divides into two 1280x1024 monitors, which Qt takes as two screens.
# X has no negative coordinates, so "left of the primary" is a primary
# monitor on the right with the other at 0,0.

# two_monitors_lit SHOT WHAT: both monitors lit, showing one frame (few pixels differ).
two_monitors_lit() {
  local l r d
  l=$(lit "$1" 1280x1024+0+0)
  r=$(lit "$1" 1280x1024+1280+0)
  check "$2: the left monitor shows the picture (lit $l)" above "$l" 0.02
  check "$2: the right monitor shows the picture (lit $r)" above "$r" 0.02
  convert "$1" -crop 1280x1024+0+0 +repage "$work/left.png"
  convert "$1" -crop 1280x1024+1280+0 +repage "$work/right.png"
  d=$(compare -metric AE -fuzz 10% "$work/left.png" "$work/right.png" null: 2>&1 | awk '{print int($1)}')
  check "$2: both show the same frame ($d pixels differ)" below "$d" 2000
}

centred() {  # centred SHOT WxH+X+Y: the picture lit on both halves of the region
  local w h x y
  IFS='x+' read -r w h x y <<<"$2"
  above "$(lit "$1" "$((w / 2))x$h+$x+$y")" 0.01 && above "$(lit "$1" "$((w / 2))x$h+$((x + w / 2))+$y")" 0.01
}

window_geometry() {  # window_geometry TITLE: WxH+X+Y
  local wid x y w h
  wid=$(find_window "$1") || return 1
  read -r x y w h < <(geometry_of "$wid")
  echo "${w}x${h}+$x+$y"
}

is() { [ "$("$1" "$2")" = "$3" ]; }  # is GETTER ARG WANT: "GETTER ARG" prints WANT
both_centred() {
  shot "$work/scaled.png" && centred "$work/scaled.png" 1280x1024+0+0 &&
    centred "$work/scaled.png" 1280x1024+1280+0
}

# scaled_row VAR=VALUE (or Xft.dpi=N): the full screen, the preview and the
# hack's child (also after its window is resized) in device pixels.
scaled_row() {
  local row=$1 env=$1
  if [[ $row == Xft.dpi=* ]]; then
    echo "Xft.dpi: ${row#*=}" | xrdb -merge
    env=ZARVELLA_ROW=$row
  fi
  start_saver_env "$env" /s
  check "$row /s: one window over both monitors: 2560x1024+0+0" await 5 is window_geometry Zarvella 2560x1024+0+0
  check "$row /s: the picture in the middle of each monitor" await 5 both_centred
  stop_pid "$saver_pid"; saver_pid=""
  make_parent 400x300+100+100 || { check "$row: the test parent appears" false; return; }
  start_saver_env "$env" /p "$parent"
  check "$row /p: the child is the parent's size: 400x300+0+0" await 5 is child_geometry "$parent" 400x300+0+0
  stop_pid "$saver_pid"; saver_pid=""
  await 5 is child_geometry "$parent" ""  # the preview's child gone
  start_saver_env "$env" -window-id "$parent"
  check "$row -window-id: the child is the window's size: 400x300+0+0" await 5 is child_geometry "$parent" 400x300+0+0
  "$tool" resize "$parent" 240x150
  check "$row -window-id: the child follows the window: 240x150+0+0" await 5 is child_geometry "$parent" 240x150+0+0
  stop_pid "$saver_pid"; saver_pid=""
  stop_pid "$parent_pid"
  [[ $row == Xft.dpi=* ]] && xrdb -remove
}

case_monitors() {
  local saved_display=$DISPLAY n desk_pid="" g
  for n in $(seq 120 160); do
    { [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; } && continue
    Xvfb ":$n" -screen 0 2560x1024x24 -nolisten tcp -noreset >"$work/desk.log" 2>&1 &
    desk_pid=$!
    for _ in $(seq 50); do DISPLAY=":$n" xrandr >/dev/null 2>&1 && break; sleep 0.1; done
    [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$desk_pid" ] && break
    stop_pid "$desk_pid"
    desk_pid=""
  done
  [ -n "$desk_pid" ] || { check "a display of two monitors starts" false; return; }
  helper_pids+=("$desk_pid")
  export DISPLAY=":$n"
  xrandr --setmonitor L 1280/339x1024/271+0+0 screen >/dev/null
  xrandr --setmonitor R 1280/339x1024/271+1280+0 none >/dev/null
  new_config

  # Side by side: one window over both, the same frame on each, the threshold.
  xdotool mousemove 640 512
  start_saver /s
  g=$(window_geometry Zarvella)
  check "/s: one window over both monitors (got $g)" [ "$g" = 2560x1024+0+0 ]
  sleep 1
  shot "$work/two.png"
  two_monitors_lit "$work/two.png" "side by side"
  [ -n "$shots_out" ] && convert "$work/two.png" -resize 50% "$shots_out/linux-two-monitors.png"
  xdotool mousemove 650 522; sleep 0.8
  check "/s: a move of 10 keeps it running" running
  xdotool mousemove 640 523
  wait_exit 3 && check "/s: 11 down ends it (exit $exit_code)" [ "$exit_code" = 0 ] ||
    check "/s: 11 down ends it" false

  # The primary on the right; a monitor removed, then added, while it runs.
  xrandr --delmonitor R >/dev/null
  xrandr --setmonitor '*R' 1280/339x1024/271+1280+0 none >/dev/null
  xdotool mousemove 1900 500
  start_saver /s
  g=$(window_geometry Zarvella)
  check "primary on the right: the window covers both (got $g)" [ "$g" = 2560x1024+0+0 ]
  xrandr --delmonitor R >/dev/null; sleep 1
  g=$(window_geometry Zarvella)
  check "the right monitor removed: the window follows (got $g)" [ "$g" = 1280x1024+0+0 ]
  xrandr --setmonitor R 1280/339x1024/271+1280+0 none >/dev/null; sleep 1
  g=$(window_geometry Zarvella)
  check "added again: the window covers both (got $g)" [ "$g" = 2560x1024+0+0 ]
  shot "$work/changed.png"
  two_monitors_lit "$work/changed.png" "after the changes"
  check "the saver still runs" running
  focus "$(find_window Zarvella)"
  xdotool key a
  wait_exit 3 && check "a key ends it (exit $exit_code)" [ "$exit_code" = 0 ] ||
    check "a key ends it" false

  # Scaled: every window in device pixels, the picture centred on each monitor.
  local row
  for row in QT_SCALE_FACTOR=1.5 QT_SCALE_FACTOR=1.75 QT_SCALE_FACTOR=2 QT_SCALE_FACTOR=3 Xft.dpi=144; do
    scaled_row "$row"
  done
  start_saver_env QT_SCALE_FACTOR=2 /c
  g=$(window_geometry "Zarvella Settings")
  check "QT_SCALE_FACTOR=2: the settings window is 800x860 (got ${g%%+*})" [ "${g%%+*}" = 800x860 ]
  sleep 1.5
  shot "$work/scaled-settings.png"
  local x y
  IFS='x+' read -r _ _ x y <<<"$g"
  # The picture's viewport: 800x600 device pixels, 60 below the window's top.
  check "QT_SCALE_FACTOR=2: the settings picture sits in the middle of its viewport" \
    centred "$work/scaled-settings.png" "800x600+$x+$((y + 60))"
  focus "$(find_window "Zarvella Settings")"
  xdotool key Escape
  wait_exit 3 || check "Esc closes the scaled settings window" false

  export DISPLAY=$saved_display
}
