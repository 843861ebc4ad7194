# Screen lockers over /s on X11, sourced by run_e2e.sh (it uses its helpers):
# a locker started while the saver shows gets the keyboard and the pointer,
# the saver ends, and a key goes to the locker, which holds. And /s with its
# standard descriptors closed (as a daemon may start it) maps its window.

i3lock_took_key() { grep -q 'current password = x' "$work/locker.log"; }
xsecurelock_took_key() { descendant "$locker" /usr/libexec/xsecurelock/auth_x11 >/dev/null; }
typed() { xdotool key x && "$@"; }  # a key, again at each poll: the grab may come a moment late

# lock_over_saver NAME TOOK-KEY TRIGGER COMMAND...: TRIGGER (split at spaces),
# then the locker COMMAND, while /s shows; TOOK-KEY tells the locker had a key.
lock_over_saver() {
  local name=$1 took=$2 trigger=$3 && shift 3 && new_config
  start_saver /s && wait_window Zarvella >/dev/null || { check "$name: /s shows" false; return; }
  $trigger
  "$@" >"$work/locker.log" 2>&1 &
  locker=$! && helper_pids+=("$locker")
  expect_exit 10 "$name: the saver ends as the locker grabs"
  expect 10 "$name: a key goes to the locker" typed "$took"
  check "$name: the locker holds (log: $(tr '\n' '|' <"$work/locker.log"))" alive "$locker"
  stop_pid "$locker"
}

case_lockers() {
  lock_over_saver i3lock i3lock_took_key true i3lock -n --debug
  # The server's own saver turning on is what xss-lock and xautolock start lockers on.
  lock_over_saver xsecurelock xsecurelock_took_key "xset s activate" \
    env XSECURELOCK_NO_COMPOSITE=1 xsecurelock
  stop_case_processes && xset s reset && new_config
  env XDG_CONFIG_HOME="$config" ZARVELLA_TEST_MESSAGE_LOG="$messages" "$zarvella" /s <&- >&- 2>&- &
  saver_pid=$!
  check "/s with 0, 1 and 2 closed maps its window" wait_until 10 window_named Zarvella "$saver_pid" >/dev/null
  xdotool key x
  expect_exit 10 "a key then ends it"
}
