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
halves_lit() {  # halves_lit SHOT GEOMETRY...: each region lit on both its halves
  local shot=$1 g l r; shift
  for g; do
    read -r l r < <(halves "$g")
    lit_above "$shot" "$l" 0.01 && lit_above "$shot" "$r" 0.01 || return 1
  done
}

# balanced SHOT WHAT GEOMETRY...: the picture sits in the middle of each region
# (a viewport in scaled instead of device pixels would put it in a corner).
balanced() {
  local shot=$1 what=$2 g l r seen=""; shift 2
  wait_shot 15 "$shot" halves_lit "$shot" "$@" && return 0
  for g; do read -r l r < <(halves "$g"); seen+=" $(lit "$shot" "$l"), $(lit "$shot" "$r");"; done
  check "$what: lit on both halves ($seen )" false
}

saver_placement() { placement "$(window_named Zarvella)"; }

# scaled_row VAR=VALUE (or Xft.dpi=N): the full screen, the preview and the
# hack's child (also after its window is resized) in device pixels.
scaled_row() {
  local row=$1 vars=("$1")
  if [[ $row == Xft.dpi=* ]]; then
    echo "Xft.dpi: ${row#*=}" | xrdb -merge
    vars=()
  fi
  start_saver "${vars[@]}" /s
  wait_window Zarvella >/dev/null || { check "$row: /s opens its window" false; stop_saver; return; }
  expect_output 10 "$row /s: one window over both monitors" 2560x1024+0+0 saver_placement
  two_monitors_lit "$work/scaled.png" "$row /s"
  balanced "$work/scaled.png" "$row /s: the picture in the middle of each monitor" \
    1280x1024+0+0 1280x1024+1280+0
  stop_saver
  make_parent 400x300+100+100 || { check "$row: the test parent appears" false; return; }
  start_saver "${vars[@]}" /p "$parent"
  expect_output 10 "$row /p: the child is the parent's size" 400x300+0+0 child_geometry "$parent"
  stop_saver
  wait_until 5 no_child "$parent"
  start_saver "${vars[@]}" -window-id "$parent"
  expect_output 10 "$row -window-id: the child is the window's size" 400x300+0+0 child_geometry "$parent"
  "$tool" resize "$parent" 240x150
  expect_output 10 "$row -window-id: the child follows the window" 240x150+0+0 child_geometry "$parent"
  stop_saver
  stop_pid "$parent_pid"
  if [[ $row == Xft.dpi=* ]]; then xrdb -remove; fi
}

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
  counted_saver /s
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

  # Scaled: every window in device pixels, the picture centred on each monitor.
  local row
  for row in QT_SCALE_FACTOR=1.5 QT_SCALE_FACTOR=1.75 QT_SCALE_FACTOR=2 QT_SCALE_FACTOR=3 Xft.dpi=144; do
    scaled_row "$row"
  done
  start_saver QT_SCALE_FACTOR=2 /c
  local wid x y
  wid=$(settings_window) || return
  # 400x460 with the --idle row does not fit 512 less a frame: scaled to 393x452.
  expect_output 10 "QT_SCALE_FACTOR=2: the settings window is 786x904" 786x904 size_of "$wid"
  read -r x y _ < <(geometry_of "$wid")
  # The picture's viewport: 786x590 device pixels, 59 below the window's top.
  balanced "$work/scaled-settings.png" "QT_SCALE_FACTOR=2 settings picture" "786x590+$x+$((y + 59))"
  close_settings "$wid"
}
