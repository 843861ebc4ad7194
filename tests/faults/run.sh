#!/usr/bin/env bash
# Settings survive faults (Linux): the settings store as the saver ships it,
# driven by settings_saver (built here into build/faults).
#   1. killed while saving: SIGKILL at random moments, 50 times; afterwards
#      the file is always whole (parses, all seven values, same size) and is
#      the old save or the new one, never a mix of the two;
#   2. disk full (a 16 KiB tmpfs as XDG_CONFIG_HOME): the save fails with
#      "Failed to set data for 'Fast'" and the old file is kept byte for byte;
#   3. read-only folder (a read-only bind mount): the same; a damaged file
#      there stays as it is when "Save Settings" cannot move it aside.
# Each failed save is tried both as the first run and "Save Settings" save.
# Mounting needs root; a step that cannot mount says so and is skipped.
# Exits non-zero on any failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/faults"
kills=${FAULT_KILLS:-50}

failures=0
skips=0
fail() { echo "  FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "  ok: $*"; }
skip() { echo "  SKIPPED: $*"; skips=$((skips + 1)); }

work=$(mktemp -d /tmp/zarvella-faults.XXXXXX)
mounts=()
pids=()
cleanup() {
  local pid m i
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount "${mounts[$i]}" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

echo "faults: building the driver into $build"
if ! { cmake -S "$root/tests/faults" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$work/build.log" 2>&1 &&
       cmake --build "$build" -j "$(nproc)" >>"$work/build.log" 2>&1; }; then
  tail -30 "$work/build.log"
  echo "faults: build FAILED"
  exit 1
fi
saver="$build/settings_saver"

# run_saver CONFIG_HOME ARGS... : stdout to $work/out, stderr to $work/err;
# a driver still running after 30 s is stopped and counts as failed (124)
run_saver() {
  local config=$1; shift
  XDG_CONFIG_HOME="$config" HOME="$work/home" timeout 30 "$saver" "$@" >"$work/out" 2>"$work/err"
}
settings_file() { echo "$1/zarvella/settings.reg"; }
leftovers() { find "$1/zarvella" -maxdepth 1 -name 'settings.reg.*' 2>/dev/null | wc -l; }

# A failed save leaves the old file as it was and says which value failed.
expect_failed_save() {  # CONFIG WHAT
  local how
  for how in save usersave; do expect_failed_save_as "$how" "$1" "$2 ($how)"; done
}
expect_failed_save_as() {  # save|usersave CONFIG WHAT
  local how=$1 config=$2 what=$3 file before after
  file=$(settings_file "$config")
  before=$(sha256sum <"$file")
  if run_saver "$config" "$how" b; then
    fail "$what: the save succeeded"
  else
    pass "$what: the save failed"
  fi
  if grep -qx "message: Failed to set data for 'Fast'" "$work/err"; then
    pass "$what: reported \"Failed to set data for 'Fast'\""
  else
    fail "$what: no \"Failed to set data for 'Fast'\" message (stderr: $(tr '\n' ' ' <"$work/err"))"
  fi
  if [ "$(grep -c '^message:' "$work/err")" -ne 1 ]; then
    fail "$what: expected exactly one message"
  fi
  after=$(sha256sum <"$file")
  if [ "$before" = "$after" ] && run_saver "$config" check && [ "$(cat "$work/out")" = a ]; then
    pass "$what: the old file is kept, whole"
  else
    fail "$what: the file changed ($(cat "$work/out"))"
  fi
  if run_saver "$config" load && [ "$(cat "$work/out")" = "10 9 7 5 10 1 0" ] && [ ! -s "$work/err" ]; then
    pass "$what: loading still gives the old values"
  else
    fail "$what: loading afterwards: $(cat "$work/out") $(cat "$work/err")"
  fi
  if [ "$(leftovers "$config")" -ne 0 ]; then
    fail "$what: temporary files left behind"
  fi
}

# A first run that cannot create the file: the defaults in memory, nothing
# shown, and no file (not even a partial one).
expect_silent_first_run() {  # CONFIG WHAT
  local config=$1 what=$2
  if run_saver "$config" load && [ "$(cat "$work/out")" = "10 9 7 5 10 1 0" ] && [ ! -s "$work/err" ]; then
    pass "$what, first run: the defaults, silently"
  else
    fail "$what, first run: $(cat "$work/out") / $(cat "$work/err")"
  fi
  if [ -e "$(settings_file "$config")" ] || [ "$(leftovers "$config")" -ne 0 ]; then
    fail "$what, first run: a file was left"
  fi
}

# ------------------------------------------------------------------ 1. SIGKILL
echo "== killed while saving ($kills times)"
config="$work/kill"
mkdir -p "$config"
run_saver "$config" save a || fail "first save"
size=$(stat -c %s "$(settings_file "$config")")
declare -A seen=()
bad=0
for i in $(seq "$kills"); do
  # Every round starts from a whole file of set A; the driver then saves B,
  # A, B, ... until it is killed.
  run_saver "$config" save a || fail "kill $i: resetting to set A"
  XDG_CONFIG_HOME="$config" HOME="$work/home" "$saver" loop >/dev/null 2>"$work/loop.err" &
  pid=$!
  pids=("$pid")
  # A deliberate random delay, not a wait: the kill lands 0 to 60 ms in,
  # inside the first saves, where most of the time goes to writing.
  sleep "0.0$(printf '%02d' $((RANDOM % 60)))"
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  pids=()
  if ! run_saver "$config" check; then
    fail "kill $i: $(cat "$work/out")"
    bad=$((bad + 1))
    continue
  fi
  now=$(stat -c %s "$(settings_file "$config")")
  if [ "$now" -ne "$size" ]; then
    fail "kill $i: the file is $now bytes, a whole one is $size"
    bad=$((bad + 1))
  fi
  state=$(cat "$work/out")
  seen[$state]=$((${seen[$state]:-0} + 1))
done
states=""
for s in "${!seen[@]}"; do states+="$s: ${seen[$s]}, "; done
left=$(leftovers "$config")
[ $bad -eq 0 ] && pass "after each of $kills kills the file was whole (${states%, })"
if [ "$left" -ne 0 ]; then
  echo "  note: $left temporary settings.reg.* file(s) left behind by killed saves"
fi
if run_saver "$config" save b && run_saver "$config" check && [ "$(cat "$work/out")" = b ]; then
  pass "saving after the kills works"
else
  fail "saving after the kills: $(cat "$work/out") $(cat "$work/err")"
fi
left=$(leftovers "$config")
if [ "$left" -eq 0 ]; then
  pass "the next save removed the killed saves' temporary files"
else
  fail "$left temporary file(s) still there after the next save"
fi

# ------------------------------------------------------------------ 2. disk full
echo "== disk full (16 KiB tmpfs as XDG_CONFIG_HOME)"
config="$work/full"
mkdir -p "$config"
if mount -t tmpfs -o size=16k,mode=0755 zarvella-faults "$config" 2>"$work/mount.err"; then
  mounts+=("$config")
  run_saver "$config" save a || fail "disk full: first save"
  dd if=/dev/zero of="$config/filler" bs=1k count=64 2>/dev/null
  free=$(df --output=avail -B1 "$config" | tail -1 | tr -d ' ')
  echo "  (filled: $free bytes free)"
  expect_failed_save "$config" "disk full"
  # No file at all and no room to create one.
  rm -f "$(settings_file "$config")"
  dd if=/dev/zero of="$config/filler2" bs=1k count=64 2>/dev/null
  expect_silent_first_run "$config" "disk full"
  rm -f "$config/filler" "$config/filler2"
  run_saver "$config" save a || fail "disk full: saving with room again"
  if run_saver "$config" save b && run_saver "$config" check && [ "$(cat "$work/out")" = b ]; then
    pass "disk full: with room again the save works"
  else
    fail "disk full: with room again: $(cat "$work/out") $(cat "$work/err")"
  fi
  umount "$config" && mounts=("${mounts[@]:0:${#mounts[@]}-1}")
else
  skip "disk full: cannot mount a tmpfs ($(cat "$work/mount.err"))"
fi

# ------------------------------------------------------------------ 3. read-only
echo "== read-only settings folder (read-only bind mount)"
config="$work/ro"
mkdir -p "$config"
run_saver "$config" save a || fail "read-only: first save"
folder="$config/zarvella"
if mount --bind "$folder" "$folder" 2>"$work/mount.err"; then
  mounts+=("$folder")
  if mount -o remount,bind,ro "$folder" 2>"$work/mount.err" && ! touch "$folder/.probe" 2>/dev/null; then
    expect_failed_save "$config" "read-only"
  else
    skip "read-only: cannot remount read-only ($(cat "$work/mount.err"))"
  fi
  umount "$folder" && mounts=("${mounts[@]:0:${#mounts[@]}-1}")
  # A damaged file that "Save Settings" cannot move aside stays as it is.
  printf 'REGEDIT4\n"x"=1\n' >"$(settings_file "$config")"
  if mount --bind "$folder" "$folder" 2>/dev/null; then
    mounts+=("$folder")
    if mount -o remount,bind,ro "$folder" 2>/dev/null; then
      before=$(sha256sum <"$(settings_file "$config")")
      if ! run_saver "$config" usersave b && grep -qx "message: Failed to set data for 'Fast'" "$work/err" &&
        [ "$(sha256sum <"$(settings_file "$config")")" = "$before" ] && [ "$(ls -A "$folder")" = settings.reg ]; then
        pass "read-only: a damaged file is kept when it cannot be moved aside, and the save says it failed"
      else
        fail "read-only: damaged file: $(tr '\n' ' ' <"$work/err") / $(ls -A "$folder")"
      fi
    fi
    umount "$folder" && mounts=("${mounts[@]:0:${#mounts[@]}-1}")
  fi
  # The same with no file yet: the first run cannot create it.
  rm -f "$(settings_file "$config")"
  if mount --bind "$folder" "$folder" 2>/dev/null; then
    mounts+=("$folder")
    mount -o remount,bind,ro "$folder" 2>/dev/null && expect_silent_first_run "$config" "read-only"
    umount "$folder" && mounts=("${mounts[@]:0:${#mounts[@]}-1}")
  fi
else
  skip "read-only: cannot bind-mount ($(cat "$work/mount.err"))"
fi

echo
if [ $failures -ne 0 ]; then
  echo "faults: $failures check(s) FAILED"
  exit 1
fi
if [ $skips -ne 0 ]; then
  echo "faults: all checks passed; $skips step(s) SKIPPED (see above)"
else
  echo "faults: all checks passed"
fi
