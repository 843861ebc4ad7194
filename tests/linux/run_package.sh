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
installed=""

cleanup() {
  stop_case_processes
  stop_pid "$xvfb_pid"
  if [ -n "$installed" ]; then
    "${as_root[@]}" apt-get purge -y -q zarvella >>"$work/apt.log" 2>&1 || true
  fi
  if [ "$failed" -eq 0 ]; then rm -rf "$work"; else echo "run_package: logs kept in $work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

listing() { find "${touched[@]}" 2>/dev/null | sort; }

# hack_under PID: the installed hack running below that process (XScreenSaver
# runs it through xscreensaver-gfx, or through a shell), waiting up to 10 s.
hack_under() { wait_descendant 10 "$1" "$hack"; }
command_line_of() { tr '\0' ' ' <"/proc/$1/cmdline" 2>/dev/null; }

# screen_peak SECONDS: the highest lit share of the screen within SECONDS in
# $screen_lit, done early once a picture shows (a figure can be thin for a
# moment; black stays black, so a dark run takes all of SECONDS).
screen_peak() { screen_lit=0; wait_shot "$1" "$work/screen.png" peak_above "$work/screen.png" 0.02; }
peak_above() {  # peak_above SHOT SHARE: keeps the peak; true once it is above SHARE
  local l
  l=$(lit "$1" 1600x1000+0+0)
  above "$l" "$screen_lit" && screen_lit=$l
  above "$screen_lit" "$2"
}

# A home of its own that holds only ~/.xscreensaver, as nobody when root
# (xscreensaver_home, in_home, start_daemon and zarvella_files are in x_lib.sh).
# The documented step: a ~/.xscreensaver as XScreenSaver writes it, then
# zarvella -install-xscreensaver run by its user from the PATH; then OPTIONS
# on Zarvella's line, as XScreenSaver's settings page puts them there.
new_home() {  # new_home OPTIONS: ~/.xscreensaver picking Zarvella with OPTIONS
  xscreensaver_home "maze -root"
  cp "$home/.xscreensaver" "$work/xscreensaver.orig"
  in_home zarvella -install-xscreensaver >>"$work/install.log" 2>&1
  check "zarvella -install-xscreensaver adds README.Debian's line, the rest kept" [ \
    "$(diff "$work/xscreensaver.orig" "$home/.xscreensaver" | grep '^[<>]' | sed 's/^> *//')" = \
    "$(sed -n 's/^ *\(GL: zarvella .*\)$/\1/p' /usr/share/doc/zarvella/README.Debian)" ]
  sed -i "s|zarvella -root -xscreensaver|& $1|" "$home/.xscreensaver"
  [ "$(id -u)" = 0 ] && chown 65534:65534 "$home/.xscreensaver"
  cp "$home/.xscreensaver" "$work/xscreensaver.before"
}

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
  check "it depends on Qt's Wayland platform (got: $deps)" grep -qw 'qt6-wayland' <<<"$deps"
  check "it recommends xscreensaver" \
    [ "$(dpkg-query -W -f='${Recommends}' zarvella)" = xscreensaver ]
}

# The daemon runs Zarvella with OPTIONS; the lit share of the screen is left
# in $screen_lit, the hack's command line in $hack_command. A picture is
# awaited, unless the second argument is "dark" (then time passes instead,
# the peak taken over it).
run_daemon_with() {
  screen_lit="" hack_command=""
  new_home "$1"
  start_daemon || { check "the XScreenSaver daemon starts" false; return 1; }
  in_home xscreensaver-command -activate >>"$work/xscreensaver.log" 2>&1
  local pid
  pid=$(hack_under "$daemon") || { check "XScreenSaver starts the installed hack" false; return 1; }
  hack_command=$(command_line_of "$pid")
  screen_peak "$([ "${2:-}" = dark ] && echo 4 || echo 15)"
  in_home xscreensaver-command -deactivate >>"$work/xscreensaver.log" 2>&1
  check "XScreenSaver stops the hack on deactivation" wait_gone 5 "$pid"
  check "no settings file appears (found: $(zarvella_files | tr '\n' ' '))" [ -z "$(zarvella_files)" ]
  check "~/.xscreensaver is left as it was" cmp -s "$home/.xscreensaver" "$work/xscreensaver.before"
  stop_case_processes
}

case_daemon_options() {
  # One row of the grid draws no band at all: a black screen. Thirty rows of
  # a picture cover much of it. A run that ignored the option would draw the
  # default ten rows in the first case.
  run_daemon_with "-detail 1" dark || return
  check "it runs with the listed options (got: $hack_command)" \
    grep -q -- '-xscreensaver -detail 1' <<<"$hack_command"
  check "-detail 1 draws nothing (lit $screen_lit)" below "$screen_lit" 0.001
  run_daemon_with "-detail 30 -kind 3 -segments 10" || return
  check "-detail 30 -kind 3 draws the picture (lit $screen_lit)" above "$screen_lit" 0.02
}

# Its main window and Zarvella's settings page share the title; the page is
# the narrow one and shows only after "Settings...".
dialog_windows() { xdotool search --onlyvisible --name '^XScreenSaver: Zarvella Settings$' 2>/dev/null; }
dialog_main() {
  local id
  for id in $(dialog_windows); do
    [ "$(xwininfo -id "$id" | awk '/^ *Width:/ {print $NF}')" -ge 900 ] && { echo "$id"; return 0; }
  done
  return 1
}
narrower() { local s; s=$(size_of "$1") && [ "${s%%x*}" -lt 1600 ]; }  # its minimum may be wider
dialog_page() { dialog_windows | grep -vx "$1" | head -n1 | grep .; }  # dialog_page MAIN

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
  local main
  main=$(wait_until 15 dialog_main)
  check "the dialog opens" [ -n "$main" ] || return
  # It takes the screen's width; narrower, Zarvella's settings page fits beside it.
  xdotool windowsize "$main" 1150 746
  expect 10 "the dialog gets narrower than the screen" narrower "$main"
  local x y w h
  read -r x y w h < <(geometry_of "$main")
  # The preview pane fills the right part of the dialog's upper half.
  expect_lit 15 "the picture shows in the preview pane" "$work/dialog.png" \
    "$((w * 55 / 100))x$((h * 45 / 100))+$((x + w * 36 / 100))+$((y + h * 16 / 100))" 0.02
  # "Settings..." sits below the preview pane, at three quarters of its width.
  xdotool mousemove $((x + w * 776 / 1000)) $((y + h * 844 / 1000)) click 1
  local page pw ph
  page=$(wait_until 10 dialog_page "$main")
  check "its Settings button opens Zarvella's settings page" [ -n "$page" ] || return
  xdotool windowmove "$page" $((x + w + 8)) "$y"
  read -r _ _ pw ph < <(geometry_of "$page")
  local at="${pw}x${ph}+$((x + w + 8))+$y"
  wait_until 10 output_is "$at" placement "$page"
  # Drawn at its new place: a settings page is mostly light.
  wait_shot 10 "$work/page.png" lit_above "$work/page.png" "$at" 0.3
  [ -z "$shots_out" ] || convert "$work/page.png" -crop "$((w + 8 + pw))x$((h > ph ? h : ph))+$x+$y" \
    +repage "$shots_out/linux-xscreensaver-settings.png"
  # The page's Save writes its line anew: Speed moved, the marker kept.
  xdotool mousemove --window "$page" $((pw * 64 / 100)) 145 click 1
  expect_change 10 "a click on Speed moves its slider" "$work/page.png" "$work/page2.png" "$at" 20
  xdotool mousemove --window "$page" $((pw - 57)) $((ph - 20)) click 1
  wait_until 10 grep -q -- '-root -xscreensaver -speed' "$home/.xscreensaver" ||
    check "Save on the page keeps -xscreensaver (got: $(grep zarvella "$home/.xscreensaver"))" false
}

# mate-screensaver, on a session bus of our own, runs the theme of the
# package's .desktop file; the settings file (as Save Settings writes it)
# decides the picture. Detailed 1 ("Color") draws nothing, 30 a picture.
mate_run() {  # mate_run COLOR ALPHA [dark]: the lit share in $screen_lit
  screen_lit=""
  home=$(mktemp -d "$work/home.XXXXXX")
  mkdir -p "$home/.config/zarvella"
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Zarvella]\n"Fast"=dword:0000000a\n"Bright"=dword:00000009\n"Size"=dword:00000007\n"Satiation"=dword:00000005\n"Color"=dword:%08x\n"Alpha"=dword:%08x\n"Rands"=dword:00000000\n' \
    "$1" "$2" >"$home/.config/zarvella/settings.reg"
  cp "$home/.config/zarvella/settings.reg" "$work/settings.before"
  local bus
  bus=$(env -C "$home" HOME="$home" dbus-daemon --session --fork --print-address=1 --print-pid=1 \
    2>>"$work/mate.log") || { check "a session bus starts" false; return 1; }
  helper_pids+=("$(sed -n 2p <<<"$bus")")
  local mate=(env -C "$home" -u XDG_CONFIG_HOME HOME="$home" NO_AT_BRIDGE=1 GSETTINGS_BACKEND=keyfile
    DBUS_SESSION_BUS_ADDRESS="$(head -n1 <<<"$bus")")
  "${mate[@]}" gsettings set org.mate.screensaver mode single
  "${mate[@]}" gsettings set org.mate.screensaver themes "['screensavers-zarvella']"
  "${mate[@]}" gsettings set org.mate.screensaver lock-enabled false
  "${mate[@]}" mate-screensaver --no-daemon >>"$work/mate.log" 2>&1 &
  local daemon=$!
  helper_pids+=("$daemon")
  wait_until 10 "${mate[@]}" mate-screensaver-command --query >/dev/null 2>&1 ||
    { check "mate-screensaver answers" false; return 1; }
  "${mate[@]}" mate-screensaver-command --activate >>"$work/mate.log" 2>&1
  local pid
  pid=$(hack_under "$daemon") || { check "mate-screensaver starts the installed hack" false; return 1; }
  check "it runs the .desktop file's command (got: $(command_line_of "$pid"))" \
    [ "$(command_line_of "$pid")" = "$hack -root " ]
  screen_peak "$([ "${3:-}" = dark ] && echo 4 || echo 15)"
  "${mate[@]}" mate-screensaver-command --deactivate >>"$work/mate.log" 2>&1
  check "mate-screensaver stops the hack on deactivation" wait_gone 10 "$pid"
  check "the settings file is left as it was" \
    cmp -s "$home/.config/zarvella/settings.reg" "$work/settings.before"
  stop_case_processes
}

case_mate() {
  mate_run 1 1 dark || return
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

summary
