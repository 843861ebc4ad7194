# Helpers for the Wine end-to-end cases, sourced by cases.sh, display_cases.sh
# and install_cases.sh, each of which runs one case in its own Wine prefix.
# Expects from run.sh: DISPLAY, WINEPREFIX, CASE_DIR (scratch space of the
# case), SCR32, SCR64, HELPERS (probe.exe, display_probe.exe, PASSWORD.CPL),
# SHOTS (where screenshots are kept, may be empty). Every check waits, with a
# deadline, for the state it reads: a loaded machine is slow, never wrong.

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

SAVER_PID=""
WINDOW=""
DEADLINE=${DEADLINE:-20}  # seconds any awaited state may take

fail() {
  echo "    $*" >&2
  exit 1
}

# probe ARGS / dprobe ARGS: the Windows-side helpers; one line per item, no CRs.
probe() { wine "$HELPERS/probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
dprobe() { wine "$HELPERS/display_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }

# field NAME LINE: the value of NAME=... in a probe line.
field() { sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"; }

# await CMD...: runs CMD until it succeeds; 1 after DEADLINE seconds.
await() {
  local end=$((SECONDS + DEADLINE))
  until "$@"; do
    ((SECONDS < end)) || return 1
    sleep 0.2
  done
}

# output_is WANT CMD...: CMD prints WANT.
output_is() { local want=$1; shift; [ "$("$@")" = "$want" ]; }

# expect_output WANT CMD...: waits until CMD prints WANT, else fails with what it printed.
expect_output() {
  local want=$1 got end=$((SECONDS + DEADLINE))
  shift
  until got=$("$@") && [ "$got" = "$want" ]; do
    ((SECONDS < end)) || fail "$*: \"$got\", expected \"$want\""
    sleep 0.2
  done
}

# ---- the saver's process -------------------------------------------------------

start_saver() {  # start_saver SCR ARGS...: in the background; its output in saver.log
  local scr=$1
  shift
  wine "$scr" "$@" >"$CASE_DIR/saver.log" 2>&1 &
  SAVER_PID=$!
}

saver_running() { kill -0 "$SAVER_PID" 2>/dev/null; }
saver_ended() { ! saver_running; }

now_ms() { echo $((${EPOCHREALTIME/./} / 1000)); }

# expect_exit SECONDS [CODE]: the saver ends within SECONDS, with CODE (0).
expect_exit() {
  local end=$(($(now_ms) + ${1%.*} * 1000)) code
  while saver_running; do
    (($(now_ms) < end)) || fail "the saver still runs after $1 s"
    sleep 0.05
  done
  wait "$SAVER_PID"
  code=$?
  [ "$code" -eq "${2:-0}" ] || fail "exit code $code, expected ${2:-0}"
  SAVER_PID=""
}

# expect_running SECONDS: nothing ends the saver for SECONDS (an absence can
# only be watched for a while).
expect_running() {
  local end=$(($(now_ms) + $(awk -v s="$1" 'BEGIN { print int(s * 1000) }')))
  while (($(now_ms) < end)); do
    saver_running || fail "the saver ended, expected it to keep running"
    sleep 0.2
  done
}

# ---- windows -------------------------------------------------------------------

# window_has LINE FIELD[&MASK]=VALUE...: the probe line has every value (masked numerically).
window_has() {
  local line=$1 pair name
  shift
  [ -n "$line" ] || return 1
  for pair in "$@"; do
    name=${pair%%=*}
    if [[ $name == *'&'* ]]; then
      (((${name#*&} & $(field "${name%%&*}" "$line")) == ${pair#*=})) || return 1
    else
      [ "$(field "$name" "$line")" = "${pair#*=}" ] || return 1
    fi
  done
}

# expect_window CMD... [-- FIELD[&MASK]=VALUE...]: waits until CMD (probe
# find TITLE, probe children HWND, dprobe window TITLE...) prints a window
# with those values; its line is left in WINDOW.
expect_window() {
  local cmd=() end=$((SECONDS + DEADLINE))
  while (($#)) && [ "$1" != -- ]; do cmd+=("$1") && shift; done
  shift
  until WINDOW=$("${cmd[@]}" | head -1) && window_has "$WINDOW" "$@"; do
    ((SECONDS < end)) || fail "${cmd[*]}: \"$WINDOW\", expected ${*:-a window}"
    sleep 0.2
  done
}

# wait_for ARGS...: the first output of probe ARGS (it may take a while); 1 if none.
wait_for() {
  local out end=$((SECONDS + DEADLINE))
  until out=$(probe "$@") && [ -n "$out" ]; do
    ((SECONDS < end)) || return 1
    sleep 0.2
  done
  echo "$out"
}

window_or_fail() { expect_window probe "$@"; }  # window_or_fail find|find-class NAME

# expect_message TEXT: a message box titled "Zarvella" saying TEXT; pressed OK.
expect_message() {
  local out
  out=$(wait_for msgbox) || fail "no message box"
  grep -qx 'title=Zarvella' <<<"$out" || fail "message box title: $(head -1 <<<"$out")"
  grep -qxF "text=$1" <<<"$out" || fail "message box says: $(grep '^text=' <<<"$out" | tr '\n' ' '), expected: $1"
  probe msgbox close >/dev/null
}

# ---- the registry, through Wine's own reg.exe ------------------------------------

# reg_value KEY NAME: the data as reg.exe shows it (0x.. for a DWORD), in the
# 64-bit view where there is one; nothing when missing.
reg_value() {
  wine reg query "$1" /v "$2" /reg:64 2>/dev/null | tr -d '\r' |
    awk -v n="$2" '{ line = $0; sub(/^ +/, "", line) }
      index(line, n "    ") == 1 { sub(/^[^ ]+ +REG_[A-Z_]+ +/, "", line); print line; exit }'
}

reg_dword() {  # reg_dword KEY NAME: the decimal value, or nothing
  local out
  out=$(reg_value "$1" "$2")
  [[ $out == 0x* ]] && printf '%d\n' "$out"
}

reg_key_exists() { wine reg query "$1" >/dev/null 2>&1; }

# reg_import LINES...: a REGEDIT4 file of the given lines, imported.
reg_import() {
  local file="$CASE_DIR/seed.reg"
  { echo "REGEDIT4"; echo; printf '%s\n' "$@"; } >"$file"
  wine reg import "$(winepath -w "$file" 2>/dev/null)" >/dev/null 2>&1 || fail "could not seed the registry"
}

SETTINGS_KEY='HKCU\Software\Zarvella'
ALL_SETTINGS_DEFAULTS="Fast=10 Bright=9 Size=7 Satiation=5 Color=10 Alpha=1 Rands=0"

# settings_values: the seven stored values as "Fast=.. Bright=.. ...".
settings_values() {
  local out="" name
  for name in Fast Bright Size Satiation Color Alpha Rands; do
    out+="$name=$(reg_dword "$SETTINGS_KEY" "$name") "
  done
  echo "${out% }"
}

# ---- screenshots and pixels --------------------------------------------------------

screenshot() { import -window root "$1" 2>/dev/null || fail "screenshot failed"; }

keep_shot() {  # keep_shot FILE NAME [CROP]: keeps a screenshot for the docs
  [ -n "${SHOTS:-}" ] || return 0
  if [ -n "${3:-}" ]; then convert "$1" -crop "$3" +repage "$SHOTS/$2"; else cp "$1" "$SHOTS/$2"; fi
}

# lit FILE GEOMETRY: a lit, varied picture in the region (lit share, colours).
lit() {
  local share colours
  share=$(convert "$1" -crop "$2" +repage -colorspace gray -threshold 5% -format '%[fx:mean]' info:)
  colours=$(convert "$1" -crop "$2" +repage -format '%k' info:)
  awk -v l="$share" -v c="$colours" 'BEGIN { exit !(l > 0.02 && c > 100) }'
}

# expect_picture FILE GEOMETRY WHAT: screenshots into FILE until the region shows a picture.
expect_picture() {
  local end=$((SECONDS + DEADLINE))
  until screenshot "$1" && lit "$1" "$2"; do
    ((SECONDS < end)) || fail "$3: no picture in $2"
    sleep 0.3
  done
}

mean_of() { convert "$1" -crop "$2" +repage -format '%[fx:mean]' info:; }  # mean_of FILE GEOMETRY

# white_share FILE GEOMETRY: the share of white pixels in a region.
white_share() {
  convert "$1" -crop "$2" +repage -fx 'r > 0.85 && g > 0.85 && b > 0.85 ? 1 : 0' -format '%[fx:mean]' info:
}

# expect_controls FILE CLIENT_X CLIENT_Y [DPI | HEIGHT/430]: the settings
# window's labels, check box and "Save Settings" drawn where the layout puts
# them (scaled to DPI, or to a window fitted to its screen), not painted over
# by the picture.
expect_controls() {
  local shot=$1 cx=$2 cy=$3 dpi=${4:-96} row min per=96
  [[ $dpi == */* ]] && per=${dpi#*/} && dpi=${dpi%/*}
  s() { echo $((($1 * dpi + per / 2) / per)); }  # the layout's rounding
  for row in "10 309 45 20 Speed" "10 342 70 20 Brightness" "143 309 32 20 Size" "143 342 61 20 Segment" \
    "277 309 57 20 Detailed" "277 342 55 20 Pictures" "10 290 120 17 Random" "11 380 105 17 Save"; do
    set -- $row
    min=0.04 && [ "$5" = Save ] && min=0.2
    awk -v w="$(white_share "$shot" "$(s "$3")x$(s "$4")+$((cx + $(s "$1")))+$((cy + $(s "$2")))")" -v m="$min" \
      'BEGIN { exit !(w > m) }' || fail "$dpi DPI: no legible \"$5\" where it belongs"
  done
}

# ---- input through the X server, as a user gives it --------------------------------

pointer_to() { xdotool mousemove "$1" "$2"; }
press() { xdotool key --delay 60 "$@"; }

# client_geometry LINE: the window's client area as an ImageMagick geometry.
client_geometry() {
  local client xy size
  client=$(field client "$1")  # x,y,WxH
  xy=${client%,*}
  size=${client##*,}
  echo "${size}+${xy%,*}+${xy#*,}"
}

# ---- dispatch ---------------------------------------------------------------------

# run_case "$@" at a case file's end: --list prints the case_ functions and the
# ROWS table's names ("NAME [win32]"); NAME runs case_NAME, or the row's
# function with the row's data.
ROWS=()
run_case() {
  if [ "${1:-}" = --list ]; then
    declare -F | awk '{print $3}' | sed -n 's/^case_//p'
    printf '%s\n' "${ROWS[@]}" | awk 'NF {print $1}'
    exit 0
  fi
  local name=${1:?case name} row
  row=$(printf '%s\n' "${ROWS[@]}" | awk -v n="$name" '$1 == n')
  if [ -n "$row" ]; then
    eval "set -- $row"
    shift
    "$@"
  else
    declare -F "case_$name" >/dev/null || fail "no case $name"
    "case_$name"
  fi
  # A saver left running by a failing case is ended by run.sh's wineserver -k.
  exit $?
}
