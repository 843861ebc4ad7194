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
case_settings_idle_row_sway() {
  fresh /c || { check "sway starts" false; return; }
  local entry="$config/autostart/zarvella-idle.desktop" pid
  expect 15 "\"Zarvella Settings\" has the focus" sway_focused "Zarvella Settings"
  in_sway wtype -M shift -k Tab -m shift -M ctrl a -m ctrl 1 -M shift -k Tab -m shift -s 200 -k space
  expect 10 "ticked: the entry runs --idle 1m" grep -qsxF "Exec=$zarvella --idle 1m" "$entry"
  expect 10 "ticked: --idle 1m runs in the session" row_idle_runs
  pid=$(row_idle) && helper_pids+=("$pid")
  expect 10 "--idle holds the session's lock" lock_held "$sway_dir/zarvella-idle.wayland-1.lock"
  in_sway wtype -s 200 -k space  # a new virtual keyboard's first moment goes unheard
  expect 10 "unticked: the entry is gone" [ ! -e "$entry" ]
  expect 10 "unticked: --idle has ended" no_row_idle
  stop_saver
}
