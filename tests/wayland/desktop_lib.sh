# Sourced after tests/linux/x_lib.sh, before gnome_lib.sh or kwin_lib.sh:
# what GNOME's and KDE Plasma's headless compositors share. Each of those
# libs defines start_desktop (the compositor and its helpers, two outputs
# named in $desktop_outputs), output_shot OUTPUT FILE (a picture without alpha,
# in device pixels) and send_key CODE (a tap of a Linux key code); here
# stop_desktop ends them. Clients run with in_desktop, the saver with
# start_saver_in_desktop. Nothing here sleeps for a fixed time.

desktop_dbus=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/desktop_dbus.py

# desktop_session: a runtime folder (and HOME) of the session's own in
# $desk_dir. The compositors run as an unprivileged user: as root, nobody.
desktop_session() {
  desk_dir=$(mktemp -d "$work/desktop.XXXXXX")
  chmod 700 "$desk_dir"
  as_desk=()
  if [ "$(id -u)" = 0 ]; then
    as_desk=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    chown 65534:65534 "$desk_dir"
    chmod o+x "$work"
  fi
  desk=(env -i PATH="$PATH" HOME="$desk_dir" XDG_RUNTIME_DIR="$desk_dir" WAYLAND_DISPLAY=wayland-zv
    DBUS_SESSION_BUS_ADDRESS="unix:path=$desk_dir/bus" QT_QPA_PLATFORM=wayland "${as_desk[@]}" env)
}
# stop_desktop: the saver, the compositor and every helper ended
stop_desktop() { stop_case_processes; }
# in_desktop [VAR=VALUE...] COMMAND...: COMMAND as the session's user, in its
# session (no X display)
in_desktop() { "${desk[@]}" "$@"; }
# in_background NAME COMMAND...: the same in the background, logged to
# $work/NAME.log and ended with the case
in_background() {
  local name=$1; shift
  "${desk[@]}" "$@" >>"$work/$name.log" 2>&1 &
  helper_pids+=("$!")
}
# session_bus: the session's D-Bus daemon, once it listens
session_bus() {
  in_background bus dbus-daemon --session --nofork --address="unix:path=$desk_dir/bus"
  wait_until 10 [ -S "$desk_dir/bus" ]
}
# bus_has NAME: a D-Bus name of the session is owned
bus_has() {
  in_desktop dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    "string:$1" 2>/dev/null | grep -q true
}
# start_saver_in_desktop [VAR=VALUE...] ARGS...: the saver with a settings
# folder of its own (and those variables)
start_saver_in_desktop() {
  local vars=()
  while [[ ${1:-} =~ ^[A-Z_][A-Z0-9_]*= ]]; do vars+=("$1"); shift; done
  config=$(mktemp -d "$work/config.XXXXXX")
  [ ${#as_desk[@]} -gt 0 ] && chown 65534:65534 "$config"
  "${desk[@]}" "${vars[@]}" XDG_CONFIG_HOME="$config" "$zarvella" "$@" >>"$work/saver.log" 2>&1 &
  saver_pid=$!
}
# key_code NAME: the Linux key code of KEY_NAME
key_code() { awk -v k="$1" '$1 == "#define" && $2 == k {print $3}' /usr/include/linux/input-event-codes.h; }
# solid_background: a window of one bright colour over the first output, for
# seeing what other windows let through. Not a full red, green or blue that
# the picture's own colours might reach: exactly this shows through.
background_colour='#c03cd8'
# Waited for until it shows (as a thumbnail too, in GNOME's overview): one
# mapped after the saver's windows would lie over them.
solid_background() {
  in_background solid "$solid_window" "$background_colour"
  wait_until 30 solid_shown || echo "the solid window did not show" >&2
}
solid_shown() {
  output_shot "${desktop_outputs[0]}" "$work/solid.ppm" && above "$(background_share "$work/solid.ppm")" 0.01
}

# ---- pixels (of pictures without alpha) ---------------------------------------------

black_share() { convert "$1" ${2:+-crop "$2"} +repage -fill white +opaque black -negate -format '%[fx:mean]' info:; }
background_share() {  # FILE [GEOMETRY]
  convert "$1" ${2:+-crop "$2"} +repage -fuzz 1% -fill black +opaque "$background_colour" \
    -fill white -opaque "$background_colour" -format '%[fx:mean]' info:
}
# not_background FILE: WxH+X+Y around what is not the background's colour,
# within the desktop's own work area ($work_area, WxH+0+0: a panel that stays
# above the background is not a window under test)
not_background() {
  convert "$1" -crop "${work_area:-100%x100%+0+0}" +repage -fuzz 1% -fill white +opaque "$background_colour" \
    -fill black -opaque "$background_colour" -format '%@' info: 2>/dev/null
}
# picture_lit FILE [GEOMETRY]: something drawn (a picture may be small and dim)
picture_lit() { lit_above "$1" "${2:-100%x100%+0+0}" 0.002; }

# window_background_share FILE WxH+X+Y: how much of a window in the box
# around what is not the background shows the background: the larger share of
# the box's middle half across and of its middle half down. The box holds the
# window's shadow too, whose rounded corners are the background's own colour;
# those lie outside both halves, while the window's middle, its frame and
# title bar included, lies inside.
window_background_share() {
  local w h x y
  IFS='x+' read -r w h x y <<<"$2"
  printf '%s\n' "$(background_share "$1" "${w}x$((h / 2))+$x+$((y + h / 4))")" \
    "$(background_share "$1" "$((w / 2))x$h+$((x + w / 4))+$y")" | sort -g | tail -n1
}

# full_screen OUTPUT FILE: a shot of OUTPUT that the picture covers: nothing
# of the background, and dark along the top (no title bar, no desktop)
full_screen() {
  output_shot "$1" "$2" && picture_lit "$2" && below "$(background_share "$2")" 0.001 &&
    above "$(black_share "$2" x32+0+0)" 0.5
}
# window_shown FILE WIDTH HEIGHT: a shot of the first output with a window of
# at least WIDTHxHEIGHT on the background; its WxH+X+Y in $window
window_shown() {
  output_shot "${desktop_outputs[0]}" "$1" && window=$(not_background "$1") &&
    [ "${window%%x*}" -ge "$2" ] && [ "$(cut -dx -f2 <<<"${window%%+*}")" -ge "$3" ]
}

# check_saver_windows: the saver's own windows, each started anew: /s covers
# every output with the picture alone and a key ends it; /c is opaque (none
# of the background shows through it, its frame included, its shadow aside) with its
# picture drawn; /p (320x240) draws its picture. Records its failures.
check_saver_windows() {
  local o share window=0x0+0+0
  start_saver_in_desktop /s
  for o in "${desktop_outputs[@]}"; do
    expect 20 "/s covers $o with the picture, no title bar" full_screen "$o" "$work/s-$o.png"
  done
  send_key "$(key_code KEY_ESC)"
  expect_exit 10 "/s: a key ends it"
  stop_saver

  start_saver_in_desktop /c
  expect 20 "/c shows (at least 300x300, its frame included)" window_shown "$work/c.png" 300 300
  IFS='x+' read -r w h x y <<<"$window"
  share=$(window_background_share "$work/c.png" "$window")
  echo "/c: $share of its $window shows the background" >>"$work/saver.log"
  check "/c is opaque ($share of it shows the background)" below "$share" 0.01
  check "/c draws its picture" picture_lit "$work/c.png" "$((w - 8))x250+$((x + 4))+$((y + 40))"
  stop_saver

  start_saver_in_desktop /p
  expect 20 "/p shows its picture" preview_shown "$work/p.png"
  stop_saver
}
preview_shown() { window_shown "$1" 300 200 && picture_lit "$1" "$window"; }
