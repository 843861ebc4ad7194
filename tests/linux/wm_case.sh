# /s under real window managers on the two-monitor display of monitors_case.sh
# (sourced by run_e2e.sh after it), while a managed window has the focus.
printf 'font pango:monospace 8\nbar {\n  status_command true\n}\n' >"$work/i3.conf"
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
top_window() { xwininfo -root -children 2>/dev/null | awk '/^ +0x/ {print $1; exit}'; }
unmanaged() { xwininfo -id "$1" 2>/dev/null | grep -q 'Override Redirect State: yes'; }

# case_window_manager END WM...: one window over both monitors that WM leaves
# alone (no frame, no tiling), above every other (bars and panels too), the
# same frame on each; a small move keeps it running, END ends it.
case_window_manager() {
  local end=$1 saved_display=$DISPLAY saved_xvfb=$xvfb_pid wid; shift
  start_display 2560x1024x24 || { xvfb_pid=$saved_xvfb; check "two monitors start" false; return; }
  helper_pids+=("$xvfb_pid")
  xvfb_pid=$saved_xvfb
  xrandr --setmonitor L 1280/339x1024/271+0+0 screen >/dev/null &&
    xrandr --setmonitor R 1280/339x1024/271+1280+0 none >/dev/null
  "$@" >>"$work/wm.log" 2>&1 &
  helper_pids+=("$!")
  new_config
  if check "$1 runs" wait_until 10 wm_ready && make_parent 400x300+100+100 && pointer 640 512 &&
    start_saver /s && wid=$(wait_window Zarvella); then
    expect_output 10 "$1: one window over both monitors" 2560x1024+0+0 placement "$wid"
    check "$1: no frame, the window manager leaves it alone" unmanaged "$wid"
    expect_output 5 "$1: above every other window" "$(printf 0x%x "$wid")" top_window
    check "$1: the picture covers the managed window" \
      wait_shot 15 "$work/wm.png" grey_below "$work/wm.png" 400x300+100+100 0.001
    two_monitors_lit "$work/wm.png" "$1"
    keeps_then_ends "mousemove --sync 645 517" "$end" "$1: $end ends it"
  else
    check "$1: /s opens its window on two monitors" false
  fi
  export DISPLAY=$saved_display
}
