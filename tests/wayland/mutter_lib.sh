# Sourced after desktop_lib.sh: GNOME's compositor, mutter, headless with two
# 1280x720 virtual monitors, its D-Bus session, PipeWire for its screen casts.

desktop_outputs=(Meta-0 Meta-1)

# start_desktop: the session bus, PipeWire, mutter, and a keyboard of mutter's
# remote desktop that send_key types on; false when one did not come
start_desktop() {
  desktop_session
  session_bus || return 1
  in_background pipewire pipewire
  in_background pipewire wireplumber
  in_background mutter mutter --wayland --headless --no-x11 --wayland-display=wayland-zv \
    --virtual-monitor 1280x720 --virtual-monitor 1280x720
  wait_until 20 mutter_ready || { echo "mutter did not start: $(tail -n3 "$work/mutter.log")" >&2; return 1; }
  in_desktop mkfifo "$desk_dir/keys"
  in_background keyboard /usr/bin/python3 "$desktop_dbus" mutter-keyboard "$desk_dir/keys"
  wait_until 10 grep -qsx ready "$work/keyboard.log"
}
mutter_ready() { [ -S "$desk_dir/wayland-zv" ] && bus_has org.gnome.Mutter.RemoteDesktop; }
# output_shot MONITOR FILE: a picture of MONITOR (a PPM), the clients' alpha dropped
output_shot() { in_desktop /usr/bin/python3 "$desktop_dbus" mutter-shot "$1" >"$2.rgba" 2>>"$work/shots.log" && convert "png:$2.rgba" -alpha off "ppm:$2"; }
# send_key CODE: a tap of the Linux key code CODE on the seat's keyboard
send_key() { timeout 5 dd status=none of="$desk_dir/keys" <<<"$1"; }
