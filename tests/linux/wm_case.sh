# /s under real window managers on the two-monitor display of monitors_case.sh
# (sourced by run_e2e.sh after it), while a managed window has the focus.
printf '# i3 config file (v4)\nfont pango:monospace 8\nbar {\n  status_command true\n}\n' >"$work/i3.conf"
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
top_window() { xwininfo -root -children 2>/dev/null | awk '/^ +0x/ {print $1; exit}'; }
unmanaged() { xwininfo -id "$1" 2>/dev/null | grep -q 'Override Redirect State: yes'; }

start_wm() { "$@" >>"$work/wm.log" 2>&1 & helper_pids+=("$!"); check "$1 runs" wait_until 10 wm_ready; }
# i3 frames its bar anew when it restarts.
i3_frames() { xwininfo -root -children 2>/dev/null | awk '/container around/ {printf "%s ", $1}'; }
i3_frames_anew() { local ids; ids=$(i3_frames) && [ -n "$ids" ] && [ "$ids" != "$1" ]; }
grey_gone() {  # grey_gone SHOT GEOMETRY...: none of the test windows' grey shows there
  local shot=$1 g; shift
  for g; do grey_below "$shot" "$g" 0.001 || return 1; done
}

# stays_on_top WHAT WID: a managed window and an override-redirect pop-up
# opened while the saver runs (or, for i3, a restart of i3) end up below it;
# it still covers both monitors.
stays_on_top() {
  local what=$1 wid=$2 popup normal frames
  if [ "$what" = i3 ]; then
    frames=$(i3_frames)
    i3-msg restart >/dev/null 2>&1
    check "i3 restarts" wait_until 10 i3_frames_anew "$frames"
    what="i3 restarted"
  fi
  make_parent 300x200+1600+300 && popup=$parent && make_parent 300x200+200+300 managed &&
    normal=$parent || { check "$what: the test windows open" false; return; }
  expect_output 10 "$what: still above every other window" "$(printf 0x%x "$wid")" top_window
  check "$what: the new windows stay covered" wait_shot 15 "$work/top.png" grey_gone \
    "$work/top.png" 300x200+1600+300 "$(placement "$normal")"
  two_monitors_lit "$work/top.png" "$what: over what opened"
}

# case_window_manager WHEN END WM...: one window over both monitors that WM,
# started before or after the saver, leaves alone (no frame, no tiling),
# above every other (bars and panels too, what opens later too), the same
# frame on each; a small move keeps it running, END ends it.
case_window_manager() {
  local when=$1 end=$2 saved_display=$DISPLAY saved_xvfb=$xvfb_pid wid; shift 2
  start_display 2560x1024x24 || { xvfb_pid=$saved_xvfb; check "two monitors start" false; return; }
  helper_pids+=("$xvfb_pid")
  xvfb_pid=$saved_xvfb
  xrandr --setmonitor L 1280/339x1024/271+0+0 screen >/dev/null &&
    xrandr --setmonitor R 1280/339x1024/271+1280+0 none >/dev/null
  new_config
  if { [ "$when" = after ] || start_wm "$@"; } && make_parent 400x300+100+100 &&
    pointer 640 512 && counted_saver /s && wid=$(wait_window Zarvella) &&
    { [ "$when" = before ] || start_wm "$@"; }; then
    expect_output 10 "$1: one window over both monitors" 2560x1024+0+0 placement "$wid"
    check "$1: no frame, the window manager leaves it alone" unmanaged "$wid"
    expect_output 5 "$1: above every other window" "$(printf 0x%x "$wid")" top_window
    check "$1: the picture covers the managed window" \
      wait_shot 15 "$work/wm.png" grey_below "$work/wm.png" 400x300+100+100 0.001
    two_monitors_lit "$work/wm.png" "$1"
    stays_on_top "$1" "$wid"
    keeps_then_ends "mousemove --sync 645 517" "$end" "$1: $end ends it"
  else
    check "$1: /s opens its window on two monitors" false
  fi
  export DISPLAY=$saved_display
}
