# The settings window's --idle row on X11, sourced by run_e2e.sh (it uses
# its and idle_case.sh's helpers): ticked, the autostart entry is written and
# --idle runs in the session at once; unticked, both are gone.

# row_idle: the pid of the --idle the row started with TIME 1m, printed when there is one
row_idle() {
  local f
  for f in /proc/[0-9]*/cmdline; do
    [ "$({ tr '\0' ' ' <"$f"; } 2>/dev/null)" = "$zarvella --idle 1m " ] || continue
    f=${f#/proc/}
    echo "${f%/cmdline}"
    return 0
  done
  return 1
}
no_row_idle() { ! row_idle >/dev/null; }
row_idle_runs() { row_idle >/dev/null; }

case_settings_idle_row() {
  local saved_bus=${DBUS_SESSION_BUS_ADDRESS:-} wid x y w h pid
  new_config
  start_bus || check "a session bus starts" false
  local entry="$config/autostart/zarvella-idle.desktop"
  start_saver /c
  wid=$(settings_window) || return
  expect_output 10 "the window is 400x460 with the row" 400x460 size_of "$wid"
  # Shift+Tab from Speed reaches the minutes; then the box before them.
  focus "$wid"
  xdotool key shift+Tab ctrl+a 1 shift+Tab
  check "unticked, new minutes write nothing" [ ! -e "$config/autostart" ]
  xdotool key space
  expect 10 "ticked: the entry runs --idle 1m" file_has "$entry" "Exec=$zarvella --idle 1m"
  expect 10 "ticked: --idle 1m runs in the session" row_idle_runs
  pid=$(row_idle) && helper_pids+=("$pid")
  if [ -n "$shots_out" ]; then
    read -r x y w h < <(geometry_of "$wid")
    wait_shot 5 "$work/row.png" true
    convert "$work/row.png" -crop "${w}x${h}+$x+$y" +repage "$shots_out/linux-settings-idle.png"
  fi
  xdotool key space
  expect 10 "unticked: the entry is gone" [ ! -e "$entry" ]
  expect 10 "unticked: --idle has ended" no_row_idle
  check "the settings file holds the defaults still" is_defaults "$settings"
  close_settings "$wid"
  export DBUS_SESSION_BUS_ADDRESS=$saved_bus
}

# The same on sway (run_windows_e2e.sh, org_kde_kwin_idle): the keys typed by wtype.
sway_focused() {
  swaymsg_ -t get_tree 2>/dev/null |
    jq -e --arg t "$1" '[.. | objects | select(.focused == true and .name == $t)] | length > 0' >/dev/null
}
# ticked_on_sway ENTRY: /c opened anew, its row ticked with 1 minute by keys,
# and the entry written. A busy sway may lose the first keys of a new virtual
# keyboard, and a lost key leaves the focus unknown: the window is then opened
# anew (with no entry, as at first), twice at most.
ticked_on_sway() {
  local try
  for try in 1 2 3; do
    [ "$try" = 1 ] || { stop_saver; rm -f "$1"; start_saver_in_sway /c; }
    wait_until 15 sway_focused "Zarvella Settings" &&
      wait_until 15 output_lit HEADLESS-1 "$work/row-c.png" 0.02 || continue
    in_sway wtype -s 300 -M shift -k Tab -m shift -M ctrl a -m ctrl 1 -M shift -k Tab -m shift \
      -s 200 -k space
    wait_until 10 grep -qsxF "Exec=$zarvella --idle 1m" "$1" && return 0
  done
  return 1
}
case_settings_idle_row_sway() {
  fresh /c || { check "sway starts" false; return; }
  local entry="$config/autostart/zarvella-idle.desktop" pid
  check "ticked: the entry runs --idle 1m" ticked_on_sway "$entry"
  expect 10 "ticked: --idle 1m runs in the session" row_idle_runs
  pid=$(row_idle) && helper_pids+=("$pid")
  expect 10 "--idle holds the session's lock" lock_held "$sway_dir/zarvella-idle.wayland-1.lock"
  untick_on_sway() { in_sway wtype -s 300 -k space && wait_until 10 [ ! -e "$entry" ]; }
  untick_on_sway || check "unticked: the entry is gone" untick_on_sway  # typed again if unheard
  expect 10 "unticked: --idle has ended" no_row_idle
  stop_saver
}
