# Shared by the Linux end-to-end scripts (sourced): stopping processes, a
# virtual display of our own, a case's checks and number comparisons. The
# sourcing script sets `work` (a folder for logs) and `xvfb_pid`.

stop_pid() {  # stop_pid PID: TERM, then KILL if it lingers
  local pid=$1
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# start_display SIZE: the first free display from :61 with one screen of SIZE
# (WxHxD). -noreset: without it the server resets whenever its last client
# leaves (as between two cases), and a client connecting then is refused.
start_display() {
  local size=$1 n
  for n in $(seq 61 99); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "$size" -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
      kill -0 "$xvfb_pid" 2>/dev/null || break
      # Ours only when the lock names our server: another run may have taken
      # the number a moment before us, and then our Xvfb is about to give up.
      if [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$xvfb_pid" ] &&
        DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.1
    done
    stop_pid "$xvfb_pid"
    xvfb_pid=""
  done
  echo "$(basename "$0"): no free display from :61 to :99" >&2
  return 1
}

case_failures=()
check() {  # check DESCRIPTION COMMAND...: records a failure of this case
  local what=$1; shift
  if "$@"; then return 0; fi
  case_failures+=("$what")
  return 1
}

above() { awk -v a="$1" -v b="$2" 'BEGIN {exit !(a > b)}'; }
below() { awk -v a="$1" -v b="$2" 'BEGIN {exit !(a < b)}'; }

await() {  # await SECONDS COMMAND...: true as soon as COMMAND is, false at the deadline
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do [ "$SECONDS" -lt "$deadline" ] || return 1; sleep 0.1; done
}
