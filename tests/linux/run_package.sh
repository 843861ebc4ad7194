#!/usr/bin/env bash
# The Debian package on this machine, end to end: installs it with apt-get,
# checks that zarvella runs from the PATH, lets the real XScreenSaver daemon
# and its settings dialog run the installed hack on a virtual display (Xvfb)
# after the step README.Debian documents, and checks from the pixels that the
# options in ~/.xscreensaver took effect and that no settings file appeared;
# lets mate-screensaver run it and checks that the saved settings file's
# settings draw; then purges the package and checks that nothing is left.
#
#   run_package.sh DEB [--screenshots DIR]
#
# Needs root (CI runs as root) or sudo. With --screenshots, the README's
# picture of XScreenSaver's dialog (linux-xscreensaver-settings.png) is saved
# into DIR. Prints PASS/FAIL per case; exits non-zero on any failure.
set -uo pipefail
source "$(dirname "$0")/x_lib.sh"

if [ $# -lt 1 ] || [ ! -f "$1" ]; then
  echo "usage: $0 DEB [--screenshots DIR]" >&2
  exit 2
fi
deb=$(readlink -f "$1")
shots_out=""
if [ "${2:-}" = "--screenshots" ] && [ -n "${3:-}" ]; then
  mkdir -p "$3" && shots_out=$(readlink -f "$3")
fi
for program in Xvfb xdotool import convert xscreensaver xscreensaver-command \
  xscreensaver-settings setpriv mate-screensaver mate-screensaver-command dbus-daemon gsettings; do
  command -v "$program" >/dev/null || { echo "run_package: $program is missing" >&2; exit 2; }
done
as_root=()
if [ "$(id -u)" != 0 ]; then
  command -v sudo >/dev/null || { echo "run_package: needs root or sudo" >&2; exit 2; }
  as_root=(sudo)
fi
if dpkg-query -W -f='${Status}' zarvella 2>/dev/null | grep -q installed; then
  echo "run_package: zarvella is installed already; remove it first (apt-get purge zarvella)" >&2
  exit 2
fi

hack=/usr/libexec/xscreensaver/zarvella
# Where the package puts files; their listings before and after must agree.
touched=(/usr/libexec/xscreensaver /usr/share/xscreensaver/config /usr/share/applications
  /usr/share/man/man6 /usr/share/doc /usr/share/lintian/overrides /usr/bin/zarvella)
work=$(mktemp -d /tmp/zarvella-package.XXXXXX)
chmod 755 "$work"
xvfb_pid=""
helper_pids=()
installed=""
passed=0
failed=0

stop_helpers() {
  local pid
  for pid in "${helper_pids[@]}"; do stop_pid "$pid"; done
  helper_pids=()
}

cleanup() {
  stop_helpers
  stop_pid "$xvfb_pid"
  if [ -n "$installed" ]; then
    "${as_root[@]}" apt-get purge -y -q zarvella >>"$work/apt.log" 2>&1 || true
  fi
  if [ "$failed" -eq 0 ]; then rm -rf "$work"; else echo "run_package: logs kept in $work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM



run_case() {  # run_case NAME FUNCTION
  local name=$1 fn=$2
  case_failures=()
  "$fn"
  stop_helpers
  if [ ${#case_failures[@]} -eq 0 ]; then
    echo "PASS $name"
    passed=$((passed + 1))
  else
    echo "FAIL $name"
    local f
    for f in "${case_failures[@]}"; do echo "     - $f"; done
    failed=$((failed + 1))
  fi
}

listing() { find "${touched[@]}" 2>/dev/null | sort; }
shot() { import -window root "$1" 2>/dev/null; }
# lit FILE GEOMETRY: share of pixels brighter than 10 % grey in the region
lit() {
  convert "$1" -crop "$2" +repage -colorspace gray -threshold 10% -format '%[fx:mean]' info:
}

# hack_under PID: the installed hack running below that process (XScreenSaver
# runs it through xscreensaver-gfx, or through a shell), waiting up to 8 s.
hack_under() {
  local top=$1 pid p
  for _ in $(seq 80); do
    for pid in $(ls /proc | grep -x '[0-9]*'); do  # no procps needed
      [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$hack" ] || continue
      p=$pid
      while [ -n "$p" ] && [ "$p" -gt 1 ]; do
        [ "$p" = "$top" ] && { echo "$pid"; return 0; }
        p=$(awk '/^PPid:/ {print $2}' "/proc/$p/status" 2>/dev/null)
      done
    done
    sleep 0.1
  done
  return 1
}
# peak_lit: the highest lit share of the screen over about 5 s, done early
# once a picture shows (a figure can be thin for a moment; black stays black).
peak_lit() {
  local peak=0 l
  for _ in $(seq 10); do
    shot "$work/screen.png"
    l=$(lit "$work/screen.png" 1600x1000+0+0)
    above "$l" "$peak" && peak=$l
    above "$peak" 0.02 && break
    sleep 0.5
  done
  echo "$peak"
}
command_line_of() { tr '\0' ' ' <"/proc/$1/cmdline" 2>/dev/null; }

# XScreenSaver runs no hacks for root, so as root it all runs as nobody, in a
# home of its own that holds only ~/.xscreensaver.
# The documented step: a ~/.xscreensaver as XScreenSaver writes it, then
# zarvella -install-xscreensaver run by its user from the PATH; then OPTIONS
# on Zarvella's line, as XScreenSaver's settings page puts them there.
new_home() {  # new_home OPTIONS: ~/.xscreensaver picking Zarvella with OPTIONS
  home=$(mktemp -d "$work/home.XXXXXX")
  {
    printf 'mode:\t\tone\nselected:\t0\nfade:\t\tFalse\nunfade:\t\tFalse\nlock:\t\tFalse\n'
    printf 'splash:\t\tFalse\ntimeout:\t0:30:00\nprograms:\t\t\\\n\t\tmaze -root \\n\\\n\n'
  } >"$home/.xscreensaver"
  cp "$home/.xscreensaver" "$work/xscreensaver.orig"
  as_user=()
  if [ "$(id -u)" = 0 ]; then
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    chown -R 65534:65534 "$home"
  fi
  in_home zarvella -install-xscreensaver >>"$work/install.log" 2>&1
  check "zarvella -install-xscreensaver adds README.Debian's line, the rest kept" [ \
    "$(diff "$work/xscreensaver.orig" "$home/.xscreensaver" | grep '^[<>]' | sed 's/^> *//')" = \
    "$(sed -n 's/^ *\(GL: zarvella .*\)$/\1/p' /usr/share/doc/zarvella/README.Debian)" ]
  sed -i "s|zarvella -root -xscreensaver|& $1|" "$home/.xscreensaver"
  [ "$(id -u)" = 0 ] && chown 65534:65534 "$home/.xscreensaver"
  cp "$home/.xscreensaver" "$work/xscreensaver.before"
}
# Background starts spell the command out, so that $! is the program itself.
in_home() { env -C "$home" -u XDG_CONFIG_HOME HOME="$home" "${as_user[@]}" "$@"; }

start_daemon() {
  env -C "$home" -u XDG_CONFIG_HOME HOME="$home" "${as_user[@]}" xscreensaver -no-splash \
    >>"$work/xscreensaver.log" 2>&1 &
  daemon=$!
  helper_pids+=("$daemon")
  for _ in $(seq 50); do
    in_home xscreensaver-command -time >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# The files the home holds besides ~/.xscreensaver and what XScreenSaver
# itself keeps there: a settings file of ours would show here.
zarvella_files() { find "$home" -mindepth 1 -printf '%P\n' 2>/dev/null | grep -i zarvella; }

# ---- cases ---------------------------------------------------------------------------

case_install() {
  listing >"$work/listing.before"
  if ! (cd "$(dirname "$deb")" && "${as_root[@]}" apt-get install -y -q "./$(basename "$deb")") \
    >>"$work/apt.log" 2>&1; then
    check "apt-get installs the package (see $work/apt.log)" false
    return
  fi
  installed=yes
  local path
  for path in "$hack" /usr/share/xscreensaver/config/zarvella.xml \
    /usr/share/man/man6/zarvella.6.gz /usr/share/applications/zarvella-settings.desktop \
    /usr/share/applications/screensavers/zarvella.desktop /usr/share/doc/zarvella/copyright; do
    check "the package holds $path" [ -e "$path" ]
  done
  check "the hack is executable" [ -x "$hack" ]
  check "/usr/bin/zarvella is the hack" [ "$(readlink -f /usr/bin/zarvella)" = "$hack" ]
  check "zarvella --help runs from the PATH" \
    env -C / PATH=/usr/bin:/bin sh -c 'zarvella --help | grep -q "^Usage: zarvella"'
  check "zarvella --version names the package's version" [ "$(env PATH=/usr/bin:/bin zarvella \
    --version)" = "zarvella $(dpkg-query -W -f='${Version}' zarvella)" ]
  check "the settings entry opens the settings window" \
    grep -qx "Exec=$hack /c" /usr/share/applications/zarvella-settings.desktop
  local deps
  deps=$(dpkg-query -W -f='${Depends}' zarvella)
  check "its dependencies come from the binary (got: $deps)" grep -q 'libqt6widgets6' <<<"$deps"
  check "it recommends xscreensaver" \
    [ "$(dpkg-query -W -f='${Recommends}' zarvella)" = xscreensaver ]
}

# The daemon runs Zarvella with OPTIONS; the lit share of the screen is left
# in $screen_lit, the hack's command line in $hack_command.
run_daemon_with() {
  screen_lit="" hack_command=""
  new_home "$1"
  start_daemon || { check "the XScreenSaver daemon starts" false; return 1; }
  in_home xscreensaver-command -activate >>"$work/xscreensaver.log" 2>&1
  local pid
  pid=$(hack_under "$daemon") || { check "XScreenSaver starts the installed hack" false; return 1; }
  hack_command=$(command_line_of "$pid")
  screen_lit=$(peak_lit)
  in_home xscreensaver-command -deactivate >>"$work/xscreensaver.log" 2>&1
  local ended=""
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || { ended=yes; break; }
    sleep 0.1
  done
  check "XScreenSaver stops the hack on deactivation" [ -n "$ended" ]
  check "no settings file appears (found: $(zarvella_files | tr '\n' ' '))" [ -z "$(zarvella_files)" ]
  check "~/.xscreensaver is left as it was" cmp -s "$home/.xscreensaver" "$work/xscreensaver.before"
  stop_helpers
}

case_daemon_options() {
  # One row of the grid draws no band at all: a black screen. Thirty rows of
  # a picture cover much of it. A run that ignored the option would draw the
  # default ten rows in the first case.
  run_daemon_with "-detail 1" || return
  check "it runs with the listed options (got: $hack_command)" \
    grep -q -- '-xscreensaver -detail 1' <<<"$hack_command"
  check "-detail 1 draws nothing (lit $screen_lit)" below "$screen_lit" 0.001
  run_daemon_with "-detail 30 -kind 3 -segments 10" || return
  check "-detail 30 -kind 3 draws the picture (lit $screen_lit)" above "$screen_lit" 0.02
}

# XScreenSaver's settings dialog runs the hack in its preview pane with the
# options listed; its settings page saves a new line that keeps -xscreensaver.
# With --screenshots the page is photographed beside the dialog.
case_settings_dialog() {
  new_home "-kind 3 -detail 20"
  start_daemon || { check "the XScreenSaver daemon starts" false; return; }
  env -C "$home" -u XDG_CONFIG_HOME HOME="$home" "${as_user[@]}" xscreensaver-settings \
    >>"$work/settings.log" 2>&1 &
  local dialog=$!
  helper_pids+=("$dialog")
  local pid
  pid=$(hack_under "$dialog") || { check "the dialog's preview runs the installed hack" false; return; }
  local command
  command=$(command_line_of "$pid")
  check "the preview gets the listed options (got: $command)" \
    grep -q -- '-detail 20 .*-kind 3\|-kind 3 .*-detail 20' <<<"$command"
  check "the preview gets the dialog's window (got: $command)" grep -q -- '-window-id' <<<"$command"
  check "the preview's options stand alone (got: $command)" grep -q -- '-xscreensaver' <<<"$command"
  sleep 2
  # Its main window and Zarvella's settings page share the title; the page is
  # the narrow one and shows only after "Settings...".
  local main="" id
  for id in $(xdotool search --onlyvisible --name '^XScreenSaver: Zarvella Settings$' 2>/dev/null); do
    [ "$(xwininfo -id "$id" | awk '/^ *Width:/ {print $NF}')" -ge 900 ] && main=$id
  done
  check "the dialog opens" [ -n "$main" ] || return
  # It takes the screen's width; narrower, Zarvella's settings page fits beside it.
  xdotool windowsize "$main" 1150 746
  sleep 1
  shot "$work/dialog.png"
  local x y w h l
  read -r x y w h < <(xwininfo -id "$main" |
    awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
         /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w, h}')
  # The preview pane fills the right part of the dialog's upper half.
  l=$(lit "$work/dialog.png" "$((w * 55 / 100))x$((h * 45 / 100))+$((x + w * 36 / 100))+$((y + h * 16 / 100))")
  check "the picture shows in the preview pane (lit $l)" above "$l" 0.02
  # "Settings..." sits below the preview pane, at three quarters of its width.
  xdotool mousemove $((x + w * 776 / 1000)) $((y + h * 844 / 1000)) click 1
  local page=""
  for _ in $(seq 30); do
    page=$(xdotool search --onlyvisible --name '^XScreenSaver: Zarvella Settings$' 2>/dev/null |
      grep -vx "$main" | head -n1)
    [ -n "$page" ] && break
    sleep 0.1
  done
  check "its Settings button opens Zarvella's settings page" [ -n "$page" ] || return
  xdotool windowmove "$page" $((x + w + 8)) "$y"
  sleep 1.5
  shot "$work/page.png"
  local pw ph
  read -r pw ph < <(xwininfo -id "$page" | awk '/^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print w, h}')
  [ -z "$shots_out" ] || convert "$work/page.png" -crop "$((w + 8 + pw))x$((h > ph ? h : ph))+$x+$y" \
    +repage "$shots_out/linux-xscreensaver-settings.png"
  # The page's Save writes its line anew: Speed moved, the marker kept.
  xdotool mousemove --window "$page" $((pw * 64 / 100)) 145 click 1 sleep 0.5 \
    mousemove --window "$page" $((pw - 57)) $((ph - 20)) click 1
  for _ in $(seq 50); do grep -q -- '-xscreensaver -speed' "$home/.xscreensaver" && break; sleep 0.1; done
  check "Save on the page keeps -xscreensaver (got: $(grep zarvella "$home/.xscreensaver"))" \
    grep -q -- '-root -xscreensaver -speed' "$home/.xscreensaver"
}

# mate-screensaver, on a session bus of our own, runs the theme of the
# package's .desktop file; the settings file (as Save Settings writes it)
# decides the picture. Detailed 1 ("Color") draws nothing, 30 a picture.
mate_run() {  # mate_run COLOR ALPHA: the lit share in $screen_lit
  screen_lit=""
  home=$(mktemp -d "$work/home.XXXXXX")
  mkdir -p "$home/.config/zarvella"
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Zarvella]\n"Fast"=dword:0000000a\n"Bright"=dword:00000009\n"Size"=dword:00000007\n"Satiation"=dword:00000005\n"Color"=dword:%08x\n"Alpha"=dword:%08x\n"Rands"=dword:00000000\n' \
    "$1" "$2" >"$home/.config/zarvella/settings.reg"
  cp "$home/.config/zarvella/settings.reg" "$work/settings.before"
  local bus
  bus=$(env -C "$home" HOME="$home" dbus-daemon --session --fork --print-address=1 --print-pid=1 \
    2>>"$work/mate.log") || {
    check "a session bus starts" false; return 1; }
  helper_pids+=("$(sed -n 2p <<<"$bus")")
  local mate=(env -C "$home" -u XDG_CONFIG_HOME HOME="$home" NO_AT_BRIDGE=1 GSETTINGS_BACKEND=keyfile
    DBUS_SESSION_BUS_ADDRESS="$(head -n1 <<<"$bus")")
  "${mate[@]}" gsettings set org.mate.screensaver mode single
  "${mate[@]}" gsettings set org.mate.screensaver themes "['screensavers-zarvella']"
  "${mate[@]}" gsettings set org.mate.screensaver lock-enabled false
  "${mate[@]}" mate-screensaver --no-daemon >>"$work/mate.log" 2>&1 &
  local daemon=$!
  helper_pids+=("$daemon")
  for _ in $(seq 50); do
    "${mate[@]}" mate-screensaver-command --query >/dev/null 2>&1 && break
    sleep 0.1
  done
  "${mate[@]}" mate-screensaver-command --activate >>"$work/mate.log" 2>&1
  local pid
  pid=$(hack_under "$daemon") || { check "mate-screensaver starts the installed hack" false; return 1; }
  check "it runs the .desktop file's command (got: $(command_line_of "$pid"))" \
    [ "$(command_line_of "$pid")" = "$hack -root " ]
  screen_lit=$(peak_lit)
  "${mate[@]}" mate-screensaver-command --deactivate >>"$work/mate.log" 2>&1
  check "the settings file is left as it was" \
    cmp -s "$home/.config/zarvella/settings.reg" "$work/settings.before"
  stop_helpers
}

case_mate() {
  mate_run 1 1 || return
  check "Detailed 1 in the settings file draws nothing (lit $screen_lit)" below "$screen_lit" 0.001
  mate_run 30 3 || return
  check "Detailed 30, picture 3 in the file draw the picture (lit $screen_lit)" \
    above "$screen_lit" 0.02
}

case_purge() {
  [ -n "$installed" ] || { check "the package was installed" false; return; }
  "${as_root[@]}" apt-get purge -y -q zarvella >>"$work/apt.log" 2>&1
  if dpkg-query -W -f='${Status}' zarvella 2>/dev/null | grep -q installed; then
    check "apt-get purges the package" false
  fi
  installed=""
  listing >"$work/listing.after"
  check "nothing is left behind ($(diff "$work/listing.before" "$work/listing.after" | grep '^>' | tr '\n' ' '))" \
    cmp -s "$work/listing.before" "$work/listing.after"
}

# ---- run -------------------------------------------------------------------------------

start_display 1600x1000x24 || exit 1
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
[ "$(id -u)" = 0 ] && chown 65534:65534 "$XDG_RUNTIME_DIR"
unset XSCREENSAVER_WINDOW
echo "run_package: $(basename "$deb") on display $DISPLAY, work folder $work"

run_case "apt-get installs the package: files, zarvella on the PATH, dependencies, Recommends" \
  case_install
if [ -n "$installed" ]; then
  run_case "the daemon runs the installed hack with options from ~/.xscreensaver, no settings file" \
    case_daemon_options
  run_case "XScreenSaver's dialog previews Zarvella with the listed options; Save keeps the marker" \
    case_settings_dialog
  run_case "mate-screensaver runs Zarvella with the settings of the settings file" case_mate
fi
run_case "apt-get purge leaves nothing behind" case_purge

echo
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
