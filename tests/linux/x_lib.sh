# Shared by the Linux end-to-end scripts and the benchmarks (sourced): one way
# to wait, to start a display, to start and end the saver and other
# processes, to find windows, to take screenshots and judge their pixels, and
# to run a case. The sourcing script sets `work` (a folder for logs); the
# saver's helpers also use `zarvella`, `config` and `messages`, and
# make_parent uses `tool` (x11_test_window).
#
# Nothing here sleeps for a fixed time: every helper waits, with a deadline,
# for the state it names. A deadline only bounds a failure; a pass takes as
# long as the state takes to arrive.

# ---- waiting ------------------------------------------------------------------------

# wait_until SECONDS COMMAND...: runs COMMAND every tenth of a second until it
# succeeds (at least once); false when SECONDS (whole) went by without.
wait_until() {
  local end=$(( ${EPOCHREALTIME/./} + $1 * 1000000 )); shift
  while :; do
    "$@" && return 0
    [ "${EPOCHREALTIME/./}" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# output_is WANT COMMAND...: COMMAND prints WANT (a predicate for wait_until)
output_is() { local want=$1; shift; [ "$("$@" 2>/dev/null)" = "$want" ]; }

# ---- processes ----------------------------------------------------------------------

alive() { [ -n "$1" ] && kill -0 "$1" 2>/dev/null; }
ended() { ! alive "$1"; }

# wait_gone SECONDS PID: true when PID ended in time; for a child of this
# shell its exit code is left in $exit_code.
wait_gone() {
  exit_code=""
  wait_until "$1" ended "$2" || return 1
  wait "$2" 2>/dev/null
  exit_code=$?
}

stop_pid() {  # stop_pid PID: TERM, then KILL if it lingers two seconds
  local pid=$1
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null || return 0
  wait_until 2 ended "$pid" || kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# wait_descendant SECONDS TOP EXE: prints the pid of a process running EXE
# somewhere below process TOP (a daemon runs hacks through helpers or shells).
descendant() {
  local top=$1 exe=$2 pid p
  for pid in $(ls /proc | grep -x '[0-9]*'); do  # no procps needed
    [ "$(readlink -f "/proc/$pid/exe" 2>/dev/null)" = "$exe" ] || continue
    p=$pid
    while [ -n "$p" ] && [ "$p" -gt 1 ]; do
      [ "$p" = "$top" ] && { echo "$pid"; return 0; }
      p=$(awk '/^PPid:/ {print $2}' "/proc/$p/status" 2>/dev/null)
    done
  done
  return 1
}
wait_descendant() { wait_until "$1" descendant "$2" "$3"; }

# ---- the display --------------------------------------------------------------------

# start_display SIZE: the first free display from :61 with one screen of SIZE
# (WxHxD); exports DISPLAY, the server's pid in $xvfb_pid. -noreset: without
# it the server resets whenever its last client leaves (as between two
# cases), and a client connecting then is refused. -br: a black root, so that
# a lit region is one something drew (the default weave is half lit).
start_display() {
  local size=$1 n
  for n in $(seq 61 99); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "$size" -nolisten tcp -noreset -br >"$work/xvfb.$n.log" 2>&1 &
    xvfb_pid=$!
    # Ours only when the lock names our server: another run may have taken
    # the number a moment before us, and then our Xvfb is about to give up.
    if wait_until 10 display_is_ours "$n"; then
      export DISPLAY=":$n"
      return 0
    fi
    stop_pid "$xvfb_pid"
    xvfb_pid=""
  done
  echo "$(basename "$0"): no free display from :61 to :99" >&2
  return 1
}
display_is_ours() {
  alive "$xvfb_pid" && [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$1-lock")" = "$xvfb_pid" ] &&
    DISPLAY=":$1" xdotool getdisplaygeometry >/dev/null 2>&1
}

# ---- windows ------------------------------------------------------------------------

# window_named NAME [PID]: the id of a visible window titled exactly NAME
# (of process PID), printed only when there is one
window_named() {
  local by_pid=()
  [ -n "${2:-}" ] && by_pid=(--pid "$2")
  xdotool search --onlyvisible "${by_pid[@]}" --name "^$1\$" 2>/dev/null | head -n1 | grep .
}
# wait_window NAME [SECONDS [PID]]: prints the id once such a window shows
wait_window() { wait_until "${2:-10}" window_named "$1" "${3:-}"; }
no_window_named() { ! window_named "$1" >/dev/null; }

geometry_of() {  # "X Y W H" of a window, in root coordinates
  local info
  info=$(xwininfo -id "$1" 2>/dev/null) || return 1
  awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
       /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w, h}' <<<"$info"
}
placement() {  # WxH+X+Y of a window
  local x y w h
  read -r x y w h < <(geometry_of "$1") && [ -n "$h" ] && echo "${w}x${h}+$x+$y"
}
size_of() { local p; p=$(placement "$1") && echo "${p%%+*}"; }

child_id() {  # the id of the first child of a window; false when it has none
  xwininfo -children -id "$1" 2>/dev/null |
    awk '/^ +0x[0-9a-f]+ / {print $1; found = 1; exit} END {exit !found}'
}
child_geometry() {  # WxH+X+Y of the first child of a window
  xwininfo -children -id "$1" 2>/dev/null |
    awk '/^ +0x[0-9a-f]+ / {for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+\+/) {print $i; exit}}'
}
no_child() { [ -z "$(child_id "$1")" ]; }

# make_parent GEOMETRY [RRGGBB | input-only [PARENT]]: a mapped top-level
# window (grey unless told; input-only: an InputOnly one; a child of PARENT
# when given); its id in $parent, its process in $parent_pid (ending it
# destroys the window)
make_parent() {
  local out="$work/parent.$RANDOM"
  "$tool" create "$1" "${2:-808080}" ${3:+"$3"} >"$out" 2>>"$work/tool.log" &
  parent_pid=$!
  helper_pids+=("$parent_pid")
  # The tool prints the id once the window is mapped.
  parent=$(wait_until 10 first_line "$out")
}
first_line() { head -n1 "$1" 2>/dev/null | grep .; }

# focus WID: gives the window the keyboard and waits until it has it
focus() {
  timeout 5 xdotool windowfocus --sync "$1" >/dev/null 2>&1 || xdotool windowfocus "$1" >/dev/null 2>&1
}
# pointer X Y: moves the pointer and waits until it is there
pointer() { timeout 5 xdotool mousemove --sync "$1" "$2" >/dev/null 2>&1 || xdotool mousemove "$1" "$2"; }

# ---- screenshots and pixels ---------------------------------------------------------

shot() { import -window root "$1" 2>/dev/null; }

# lit FILE GEOMETRY: share of pixels brighter than 10 % grey in the region
lit() {
  convert "$1" -crop "$2" +repage -colorspace gray -threshold 10% -format '%[fx:mean]' info:
}
mean() { convert "$1" -crop "$2" +repage -format '%[fx:mean]' info:; }
# share of pixels of exactly the test parent's grey (#808080)
grey_share() {
  convert "$1" -crop "$2" +repage -fill white -fuzz 1% -opaque '#808080' -fill black +opaque white \
    -colorspace gray -format '%[fx:mean]' info:
}
changed_pixels() {  # changed_pixels A B GEOMETRY
  convert "$1" -crop "$3" +repage "$work/a.png" && convert "$2" -crop "$3" +repage "$work/b.png" &&
    compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 | awk '{print int($1)}'
}
lit_above() { above "$(lit "$1" "$2")" "$3"; }        # FILE GEOMETRY SHARE
grey_below() { below "$(grey_share "$1" "$2")" "$3"; } # FILE GEOMETRY SHARE
changed_above() { above "$(changed_pixels "$1" "$2" "$3")" "$4"; } # A B GEOMETRY PIXELS

# wait_shot SECONDS FILE COMMAND...: screenshots into FILE until COMMAND (which
# reads FILE) succeeds; the last one stays in FILE either way.
wait_shot() { local seconds=$1 file=$2; shift 2; wait_until "$seconds" shot_then "$file" "$@"; }
shot_then() { local file=$1; shift; shot "$file" && "$@"; }

# expect_lit SECONDS WHAT FILE GEOMETRY SHARE: waits for a screenshot whose
# region is lit above SHARE; else records WHAT with the share seen.
expect_lit() {
  wait_shot "$1" "$3" lit_above "$3" "$4" "$5" && return 0
  check "$2 (lit $(lit "$3" "$4"))" false
}
# expect_drawn SECONDS WHAT FILE GEOMETRY SHARE: the same, and none of the
# test parent's grey shows in the region any more (grey itself is lit).
expect_drawn() {
  wait_shot "$1" "$3" drawn "$3" "$4" "$5" && return 0
  check "$2 (lit $(lit "$3" "$4"), grey $(grey_share "$3" "$4"))" false
}
drawn() { grey_below "$1" "$2" 0.001 && lit_above "$1" "$2" "$3"; }
# expect_change SECONDS WHAT BEFORE AFTER GEOMETRY PIXELS: waits for a
# screenshot AFTER in which more than PIXELS pixels of the region differ from
# BEFORE; else records WHAT with the count seen.
expect_change() {
  wait_shot "$1" "$4" changed_above "$3" "$4" "$5" "$6" && return 0
  check "$2 ($(changed_pixels "$3" "$4" "$5") pixels changed)" false
}

# ---- checks and cases ---------------------------------------------------------------

case_failures=()
check() {  # check DESCRIPTION COMMAND...: records a failure of this case
  local what=$1; shift
  if "$@"; then return 0; fi
  case_failures+=("$what")
  return 1
}
# expect SECONDS DESCRIPTION COMMAND...: waits for COMMAND to succeed, else
# records a failure (COMMAND runs again on each poll: no <(...) arguments)
expect() { local seconds=$1 what=$2; shift 2; check "$what" wait_until "$seconds" "$@"; }
# expect_output SECONDS DESCRIPTION WANT COMMAND...: waits for COMMAND to print
# WANT, else records DESCRIPTION with what it printed last
expect_output() {
  local seconds=$1 what=$2 want=$3; shift 3
  wait_until "$seconds" output_is "$want" "$@" && return 0
  check "$what (got '$("$@" 2>/dev/null)')" false
}

above() { awk -v a="$1" -v b="$2" 'BEGIN {exit !(a > b)}'; }
below() { awk -v a="$1" -v b="$2" 'BEGIN {exit !(a < b)}'; }

# ---- the saver ----------------------------------------------------------------------

# start_saver [VAR=VALUE...] ARGS...: the saver in the background with this
# case's settings folder and message log (and those variables); its pid in
# $saver_pid, its output in $work/saver.log.
start_saver() {
  local vars=()
  while [[ ${1:-} =~ ^[A-Z_][A-Z0-9_]*= ]]; do vars+=("$1"); shift; done
  env "${vars[@]}" XDG_CONFIG_HOME="$config" ZARVELLA_TEST_MESSAGE_LOG="$messages" \
    "$zarvella" "$@" >>"$work/saver.log" 2>&1 &
  saver_pid=$!
}
running() { alive "${saver_pid:-}"; }
stop_saver() { stop_pid "${saver_pid:-}"; saver_pid=""; }

# expect_exit SECONDS WHAT [CODE]: the saver ends within SECONDS with exit
# code CODE (0 unless told; "-" takes any), else records WHAT
expect_exit() {
  local seconds=$1 what=$2 code=${3:-0}
  if ! wait_gone "$seconds" "$saver_pid"; then
    check "$what (still running after $seconds s)" false
    return 1
  fi
  saver_pid=""
  [ "$code" = - ] || check "$what with exit code $code (got $exit_code)" [ "$exit_code" = "$code" ]
}

# ---- XScreenSaver -------------------------------------------------------------------

# xscreensaver_home PROGRAM: a new $home whose ~/.xscreensaver runs only
# PROGRAM (its "programs:" entry, laid out as XScreenSaver writes it), with no
# fades, lock or splash. XScreenSaver runs no hacks for root, so as root the
# home belongs to nobody and in_home runs commands as nobody ($as_user).
xscreensaver_home() {
  home=$(mktemp -d "$work/home.XXXXXX")
  {
    printf 'mode:\t\tone\nselected:\t0\nfade:\t\tFalse\nunfade:\t\tFalse\nlock:\t\tFalse\n'
    printf 'splash:\t\tFalse\ntimeout:\t0:30:00\n'
    printf 'programs:\t\t\\\n\t\t%s \\n\\\n\n' "$1"
  } >"$home/.xscreensaver"
  as_user=()
  if [ "$(id -u)" = 0 ]; then
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    chown -R 65534:65534 "$home"
  fi
}
# Background starts spell the command out, so that $! is the program itself.
in_home() { env -C "$home" -u XDG_CONFIG_HOME HOME="$home" "${as_user[@]}" "$@"; }

# start_daemon: XScreenSaver for $home, its pid in $daemon, once it answers
start_daemon() {
  env -C "$home" -u XDG_CONFIG_HOME HOME="$home" "${as_user[@]}" xscreensaver -no-splash \
    >>"$work/xscreensaver.log" 2>&1 &
  daemon=$!
  helper_pids+=("$daemon")
  wait_until 10 in_home xscreensaver-command -time >/dev/null 2>&1
}

# The files the home holds besides ~/.xscreensaver and what XScreenSaver
# itself keeps there: a settings file of ours would show here.
zarvella_files() { find "$home" -mindepth 1 -printf '%P\n' 2>/dev/null | grep -i zarvella; }

# ---- running cases ------------------------------------------------------------------

helper_pids=()
passed=0
failed=0
failed_names=()

stop_case_processes() {  # the saver and every helper process of a case
  stop_saver
  local pid
  for pid in "${helper_pids[@]}"; do stop_pid "$pid"; done
  helper_pids=()
}

# run_case NAME FUNCTION [ARGS...]: one case; FUNCTION records failures with
# check/expect. Cases that differ only in data are rows: one FUNCTION, several
# run_case lines with their own ARGS. ZARVELLA_E2E_ONLY=TEXT runs only the
# cases whose names hold TEXT. Prints PASS or FAIL and the failures.
run_case() {
  local name=$1; shift
  [[ "$name" == *"${ZARVELLA_E2E_ONLY:-}"* ]] || return 0
  case_failures=()
  echo "---- $name" >>"$work/saver.log"
  local started=${EPOCHREALTIME/./}
  "$@"
  if running; then case_failures+=("the saver was still running at the end"); fi
  stop_case_processes
  local took=$(( (${EPOCHREALTIME/./} - started) / 100000 ))
  took="$((took / 10)).$((took % 10))s"
  if [ ${#case_failures[@]} -eq 0 ]; then
    echo "PASS $name ($took)"
    passed=$((passed + 1))
  else
    echo "FAIL $name ($took)"
    local f
    for f in "${case_failures[@]}"; do echo "     - $f"; done
    failed=$((failed + 1))
    failed_names+=("$name")
  fi
}

summary() {  # the count; false when a case failed
  echo
  [ "$failed" -gt 0 ] && echo "failed: ${failed_names[*]}"
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
