# --idle on X11, sourced by run_e2e.sh (it uses its and monitors_case.sh's
# helpers): two monitors, the inhibitors on a session bus of the case's own,
# the refusals. $saver_pid is the --idle process; the saver is its child.

# saver_child: the pid of --idle's child (the /s it started), printed when there is one
saver_child() {
  # Processes come and go while grep reads: its status says nothing here.
  { grep -ls "^PPid:[[:space:]]*${saver_pid:-x}\$" /proc/[0-9]*/status 2>/dev/null || :; } |
    awk -F/ 'NR == 1 {print $3; found = 1} END {exit !found}'  # reads all: no SIGPIPE
}
saver_started() { saver_child >/dev/null; }
no_saver_child() { ! saver_started; }
# held_off MS: the display has been idle for MS (its server says), and
# --idle, answering on the bus after that, has started no saver
held_off() {
  wait_until 30 idle_beyond "$1" && wait_until 5 output_is "(false,)" screensaver_call GetActive &&
    ! saver_started
}
idle_beyond() { (($(xprintidle 2>/dev/null || echo 0) >= $1)); }

# keep_active SECONDS KEY-COMMAND...: a key every half second for SECONDS
# (longer than TIME), and no saver meanwhile
keep_active() {
  local end=$(( ${EPOCHREALTIME/./} + $1 * 1000000 ))
  while [ "${EPOCHREALTIME/./}" -lt "$end" ]; do
    "${@:2}"
    no_saver_child || return 1
    sleep 0.5  # the pace of the user's typing
  done
}

# as_user COMMAND...: as the compositor's user where there is one (sway_lib.sh's as_sway)
as_user() { ${as_sway[@]+"${as_sway[@]}"} "$@"; }
# start_bus: a session bus of the case's own (exported), ended with the case
start_bus() {
  local out="$work/bus.$RANDOM"
  as_user dbus-daemon --session --nofork --print-address=1 >"$out" 2>>"$work/bus.log" &
  helper_pids+=("$!")
  DBUS_SESSION_BUS_ADDRESS=$(wait_until 10 first_line "$out") || return 1
  export DBUS_SESSION_BUS_ADDRESS
}
screensaver_call() {  # screensaver_call METHOD [ARGS...] at /org/freedesktop/ScreenSaver
  as_user gdbus call --session -d org.freedesktop.ScreenSaver -o /org/freedesktop/ScreenSaver \
    -m "org.freedesktop.ScreenSaver.$1" "${@:2}" 2>/dev/null
}

# hold_inhibitor: a bus client that holds an inhibitor (its pid in $holder);
# a line written to fd 7 releases it by UnInhibit; closing fd 7 ends the
# client, and it leaves the bus.
hold_inhibitor() {
  rm -f "$work/hold" "$work/held"
  mkfifo "$work/hold"
  as_user /usr/bin/python3 -c 'import dbus, sys
o = dbus.SessionBus().get_object("org.freedesktop.ScreenSaver", "/ScreenSaver")
cookie = o.Inhibit("e2e", "a video plays", dbus_interface="org.freedesktop.ScreenSaver")
print(cookie, flush=True)
if sys.stdin.readline():  # a line: UnInhibit; the end of input: leave the bus
    o.UnInhibit(cookie, dbus_interface="org.freedesktop.ScreenSaver")
    sys.stdin.readline()' <"$work/hold" >"$work/held" 2>>"$work/bus.log" &
  holder=$!
  helper_pids+=("$holder")
  exec 7>"$work/hold"
  wait_until 10 first_line "$work/held" >/dev/null
}

# idle_cycle TAP DRAWN END: --idle 3s ($saver_pid) in any session. TAP (a
# command line, split at spaces) every half second keeps the saver away;
# then DRAWN (a predicate) comes; END (another) ends the saver and --idle goes
# on; the saver comes back; SIGTERM ends both.
idle_cycle() {
  local child
  check "keys for 5 s keep the saver away" keep_active 5 $1
  expect 40 "idle: the saver on every monitor" "$2"
  child=$(saver_child)
  $3
  expect 10 "a key ends the saver" ended "$child"
  check "--idle still runs" running
  expect 20 "the next idle period: the saver again" saver_started
  child=$(saver_child)
  kill -TERM "$saver_pid"
  expect_exit 10 "SIGTERM ends --idle"
  expect 5 "SIGTERM ends the saver it started" ended "$child"
}
# x_drawn: one window over both monitors, both lit, and GetActive says so
x_drawn() {
  local w
  w=$(window_named Zarvella) && [ "$(placement "$w")" = 2560x1024+0+0 ] && shot "$work/idle.png" && both_lit "$work/idle.png" &&
    output_is "(true,)" screensaver_call GetActive
}
key_on_saver() { focus "$(window_named Zarvella)" && xdotool key a; }

case_idle_x11() {
  local saved_display=$DISPLAY saved_xvfb=$xvfb_pid saved_bus=${DBUS_SESSION_BUS_ADDRESS:-}
  if start_display 2560x1024x24 && start_bus; then
    helper_pids+=("$xvfb_pid")
    xvfb_pid=$saved_xvfb
    xrandr --setmonitor L 1280/339x1024/271+0+0 screen >/dev/null
    xrandr --setmonitor R 1280/339x1024/271+1280+0 none >/dev/null
    idle_on_this_display
  else
    xvfb_pid=$saved_xvfb
    check "a display of two monitors and a session bus start" false
  fi
  export DISPLAY=$saved_display DBUS_SESSION_BUS_ADDRESS=$saved_bus
}

idle_on_this_display() {
  new_config
  pointer 1280 512
  start_saver --idle 3s
  check "--idle serves the inhibitors (GetActive false)" wait_until 10 output_is "(false,)" screensaver_call GetActive
  refusal "a second --idle" "zarvella: --idle already runs in this session"
  idle_cycle "xdotool key shift" x_drawn key_on_saver
}

# An inhibitor keeps the saver away until it is released, or its caller leaves;
# a key ends the saver that then starts, though it hangs.
case_idle_inhibitor() {
  local saved_bus=${DBUS_SESSION_BUS_ADDRESS:-}
  new_config
  start_bus || { check "a session bus starts" false; return; }
  xdotool key shift  # the display has been idle: the time starts now
  start_saver --idle 3s
  wait_until 10 output_is "(false,)" screensaver_call GetActive
  hold_inhibitor || check "a player holds an inhibitor" false
  check "held: no saver after twice the time" held_off 6000
  echo >&7  # UnInhibit
  expect 5 "UnInhibit: the saver starts" saver_started
  wait_window Zarvella 10 >/dev/null && key_on_saver
  expect 10 "a key ends the saver" no_saver_child
  exec 7>&-
  hold_inhibitor || check "a player holds an inhibitor again" false
  check "held again: no saver" held_off 6000
  exec 7>&-  # the player quits, its inhibitor with it
  expect 10 "the holder's leaving: the saver starts" saver_started
  local child
  child=$(saver_child) && kill -STOP "$child" && xdotool key shift
  expect 4 "a key ends even a SIGSTOPped saver, within 4 s" ended "$child"
  xset s off && xdotool key shift  # a player's `xset s off`, as xdg-screensaver runs it
  check "xset s off: no saver after twice the time" held_off 6000
  xset s default
  expect 10 "xset s default: the saver starts" saver_started
  child=$(saver_child) && screensaver_call SimulateUserActivity >/dev/null
  expect 5 "SimulateUserActivity ends the saver" ended "$child"
  stop_saver
  export DBUS_SESSION_BUS_ADDRESS=$saved_bus
}

# refusal WHAT LINE [ENV-ARGUMENTS...]: --idle (run by env with those) prints
# LINE alone and exits with code 1 (one that runs instead is ended, and fails)
refusal() {
  local out rc
  out=$(timeout 10 env "${@:3}" "$zarvella" --idle 2s 2>&1)
  rc=$?
  check "$1: one line, code 1 (got $rc: '$out')" [ "$rc:$out" = "1:$2" ]
}

lock_open() { ls -l "/proc/$saver_pid/fd" 2>/dev/null | grep -q 'zarvella-idle\.'; }

# Where --idle must not run; and the autostart entry.
case_idle_refusals_and_autostart() {
  new_config
  refusal "no display" "zarvella: --idle needs a session: DISPLAY is not set" -u DISPLAY
  xscreensaver_home "$zarvella -root"
  start_saver --idle 2s  # before the daemon: it goes once the daemon comes, in the same words
  expect 10 "--idle holds its lock (it has looked at the display)" lock_open
  start_daemon || check "XScreenSaver starts" false
  local line="zarvella: XScreenSaver already starts savers on display '$DISPLAY': add Zarvella to it with \`zarvella -install-xscreensaver\` instead of --idle"
  expect_exit 10 "an XScreenSaver daemon started later ends --idle" 1
  check "its one line (got '$(tail -n1 "$work/saver.log")')" [ "$(tail -n1 "$work/saver.log")" = "$line" ]
  refusal "XScreenSaver runs" "$line"
  local entry="$config/autostart/zarvella-idle.desktop"
  env XDG_CONFIG_HOME="$config" "$zarvella" --enable-idle 90s >/dev/null
  check "--enable-idle writes an entry that runs --idle 90s" grep -qxF "Exec=$zarvella --idle 90s" "$entry"
  env XDG_CONFIG_HOME="$config" "$zarvella" --disable-idle >/dev/null
  check "--disable-idle removes it" [ ! -e "$entry" ]
}
