# Helpers for the Wine end-to-end cases. Sourced by cases.sh, which runs one
# case in its own Wine prefix. Expects from run.sh: DISPLAY, WINEPREFIX,
# CASE_DIR (scratch space of the case), SCR32, SCR64, HELPERS (probe.exe and
# PASSWORD.CPL), SHOTS (where screenshots are kept, may be empty).

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

SAVER_PID=""

fail() {
  echo "    $*" >&2
  exit 1
}

# probe ARGS: the Windows-side helper; prints one line per item, no CRs.
probe() { wine "$HELPERS/probe.exe" "$@" 2>/dev/null | tr -d '\r'; }

# field NAME LINE: the value of NAME=... in a probe line.
field() { sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"; }

# start_saver SCR ARGS...: starts the saver in the background.
start_saver() {
  local scr=$1
  shift
  wine "$scr" "$@" >"$CASE_DIR/saver.log" 2>&1 &
  SAVER_PID=$!
}

saver_running() { kill -0 "$SAVER_PID" 2>/dev/null; }

# expect_exit SECONDS: the saver must end within SECONDS, with exit code 0.
expect_exit() {
  local limit=$1 waited=0 code
  while saver_running; do
    ((waited >= limit * 10)) && fail "the saver still runs after ${limit}s"
    sleep 0.1
    waited=$((waited + 1))
  done
  wait "$SAVER_PID"
  code=$?
  [ "$code" -eq 0 ] || fail "exit code $code, expected 0"
  SAVER_PID=""
}

# expect_running SECONDS: the saver must still run after SECONDS.
expect_running() {
  sleep "$1"
  saver_running || fail "the saver ended, expected it to keep running"
}

# wait_for CMD... : retries a probe command for up to 20 s; prints its output.
wait_for() {
  local out i
  for i in $(seq 1 40); do
    if out=$(probe "$@") && [ -n "$out" ]; then
      echo "$out"
      return 0
    fi
    saver_running || return 1
    sleep 0.5
  done
  return 1
}

# window_or_fail find|find-class NAME: sets WINDOW to the window's probe line.
WINDOW=""
window_or_fail() {
  WINDOW=$(wait_for "$@") || fail "no window: probe $*"
}

# Registry of the prefix's current user, through Wine's own reg.exe.
reg_dword() {  # reg_dword KEY VALUE -> the decimal value, or nothing
  local out
  out=$(wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n && $2 == "REG_DWORD" {print $3}')
  [ -n "$out" ] && printf '%d\n' "$out"
}

reg_key_exists() { wine reg query "$1" >/dev/null 2>&1; }

# reg_import LINES...: a REGEDIT4 file of the given lines, imported.
reg_import() {
  local file="$CASE_DIR/seed.reg"
  { echo "REGEDIT4"; echo; printf '%s\n' "$@"; } >"$file"
  wine reg import "$(winepath -w "$file" 2>/dev/null)" >/dev/null 2>&1 || fail "could not seed the registry"
}

SETTINGS_KEY='HKCU\Software\Zarvella'

# settings_values: the seven stored values as "Fast=.. Bright=.. ...".
settings_values() {
  local out="" name
  for name in Fast Bright Size Satiation Color Alpha Rands; do
    out+="$name=$(reg_dword "$SETTINGS_KEY" "$name") "
  done
  echo "${out% }"
}

# Screenshots and pixels.
screenshot() { import -window root "$1" 2>/dev/null || fail "screenshot failed"; }

keep_shot() {  # keep_shot FILE NAME [CROP]: keeps a screenshot for the docs
  [ -n "${SHOTS:-}" ] || return 0
  if [ -n "${3:-}" ]; then convert "$1" -crop "$3" +repage "$SHOTS/$2"; else cp "$1" "$SHOTS/$2"; fi
}

# region_stats FILE GEOMETRY: "mean lit colours" of a region: mean intensity,
# the share of pixels brighter than 5 %, and the number of distinct colours.
region_stats() {
  local mean lit colours
  mean=$(convert "$1" -crop "$2" +repage -format '%[fx:mean]' info:)
  lit=$(convert "$1" -crop "$2" +repage -colorspace gray -threshold 5% -format '%[fx:mean]' info:)
  colours=$(convert "$1" -crop "$2" +repage -format '%k' info:)
  echo "$mean $lit $colours"
}

# expect_picture FILE GEOMETRY WHAT: a lit, varied picture in the region.
expect_picture() {
  local stats lit colours
  stats=$(region_stats "$1" "$2")
  lit=$(cut -d' ' -f2 <<<"$stats")
  colours=$(cut -d' ' -f3 <<<"$stats")
  awk -v l="$lit" -v c="$colours" 'BEGIN { exit !(l > 0.02 && c > 100) }' ||
    fail "$3: no picture in $2 (lit share $lit, $colours colours)"
}

# mean_of FILE GEOMETRY
mean_of() { convert "$1" -crop "$2" +repage -format '%[fx:mean]' info:; }

# Input through the X server, as a user gives it.
pointer_to() { xdotool mousemove "$1" "$2"; }
press() { xdotool key --delay 60 "$@"; }

# geometry_of LINE: the window's client area as an ImageMagick geometry.
client_geometry() {
  local client xy size
  client=$(field client "$1")  # x,y,WxH
  xy=${client%,*}
  size=${client##*,}
  echo "${size}+${xy%,*}+${xy#*,}"
}
