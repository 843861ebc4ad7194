# The case of several monitors and of a scaled screen, sourced by run_e2e.sh
# (it uses that script's helpers). Its own Xvfb: one 2560x1024 screen that
# xrandr divides into two 1280x1024 monitors, which Qt takes as two screens.
# X has no negative coordinates, so "left of the primary" is a primary
# monitor on the right with the other at 0,0.

both_lit() { lit_above "$1" 1280x1024+0+0 0.02 && lit_above "$1" 1280x1024+1280+0 0.02; }

# two_monitors_lit SHOT WHAT: once both monitors are lit, they show one frame
# (few pixels differ).
two_monitors_lit() {
  wait_shot 15 "$1" both_lit "$1"
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

halves() {  # halves GEOMETRY: the left and the right half of a region
  local w h x y
  IFS='x+' read -r w h x y <<<"$1"
  echo "$((w / 2))x$h+$x+$y $((w / 2))x$h+$((x + w / 2))+$y"
}
halves_lit() { local l r; read -r l r < <(halves "$2"); lit_above "$1" "$l" 0.01 && lit_above "$1" "$r" 0.01; }

# balanced SHOT GEOMETRY WHAT: the picture sits in the middle of the region
# (a viewport in scaled instead of device pixels would put it in a corner).
balanced() {
  local l r
  wait_shot 15 "$1" halves_lit "$1" "$2"
  read -r l r < <(halves "$2")
  l=$(lit "$1" "$l")
  r=$(lit "$1" "$r")
  check "$3: lit on both halves ($l, $r)" above "$(awk -v a="$l" -v b="$r" 'BEGIN { print (a < b ? a : b) }')" 0.01
}

saver_placement() { placement "$(window_named Zarvella)"; }

case_monitors() {
  local saved_display=$DISPLAY saved_xvfb=$xvfb_pid
  if start_display 2560x1024x24; then
    helper_pids+=("$xvfb_pid")
    xvfb_pid=$saved_xvfb
    monitors_on_this_display
  else
    xvfb_pid=$saved_xvfb
    check "a display of two monitors starts" false
  fi
  export DISPLAY=$saved_display
}

monitors_on_this_display() {
  xrandr --setmonitor L 1280/339x1024/271+0+0 screen >/dev/null
  xrandr --setmonitor R 1280/339x1024/271+1280+0 none >/dev/null
  new_config

  # Side by side: one window over both, the same frame on each, the threshold.
  pointer 640 512
  start_saver /s
  wait_window Zarvella >/dev/null || { check "/s opens its window" false; return; }
  expect_output 10 "/s: one window over both monitors" 2560x1024+0+0 saver_placement
  two_monitors_lit "$work/two.png" "side by side"
  [ -n "$shots_out" ] && convert "$work/two.png" -resize 50% "$shots_out/linux-two-monitors.png"
  keeps_then_ends "mousemove --sync 650 522" "mousemove 640 523" "/s: 11 px down ends it"

  # The primary on the right; a monitor removed, then added, while it runs.
  xrandr --delmonitor R >/dev/null
  xrandr --setmonitor '*R' 1280/339x1024/271+1280+0 none >/dev/null
  pointer 1900 500
  start_saver /s
  wait_window Zarvella >/dev/null || { check "/s opens its window" false; return; }
  expect_output 10 "primary on the right: the window covers both" 2560x1024+0+0 saver_placement
  xrandr --delmonitor R >/dev/null
  expect_output 10 "the right monitor removed: the window follows" 1280x1024+0+0 saver_placement
  xrandr --setmonitor R 1280/339x1024/271+1280+0 none >/dev/null
  expect_output 10 "added again: the window covers both" 2560x1024+0+0 saver_placement
  two_monitors_lit "$work/changed.png" "after the changes"
  check "the saver still runs" running
  focus "$(window_named Zarvella)"
  xdotool key a
  expect_exit 10 "a key ends it"

  # Scaled twice: every viewport in device pixels.
  start_saver QT_SCALE_FACTOR=2 /s
  wait_window Zarvella >/dev/null || { check "QT_SCALE_FACTOR=2: /s opens its window" false; return; }
  two_monitors_lit "$work/scaled.png" "QT_SCALE_FACTOR=2"
  balanced "$work/scaled.png" 1280x1024+0+0 "QT_SCALE_FACTOR=2 full screen"
  stop_saver
  start_saver QT_SCALE_FACTOR=2 /c
  local wid x y
  wid=$(settings_window) || return
  expect_output 10 "QT_SCALE_FACTOR=2: the settings window is 800x860" 800x860 size_of "$wid"
  read -r x y _ < <(geometry_of "$wid")
  # The picture's viewport: 800x600 device pixels, 60 below the window's top.
  balanced "$work/scaled-settings.png" "800x600+$x+$((y + 60))" "QT_SCALE_FACTOR=2 settings picture"
  close_settings "$wid"
}
