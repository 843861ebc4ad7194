# Sourced after desktop_lib.sh: GNOME as its users run it, the real
# gnome-shell (mutter inside), headless with two 1280x720 virtual monitors,
# its D-Bus session, PipeWire for its screen casts. As at a login, its
# Activities overview is open when it starts.

desktop_outputs=(Meta-0 Meta-1)

# start_desktop: the session and system buses, a display manager on the
# latter, PipeWire, gnome-shell, and a keyboard of mutter's remote desktop
# that send_key types on; false when one did not come.
# gnome-shell aborts when /run/systemd/seats exists without a system bus, and
# builds its lock screen only when org.gnome.DisplayManager answers there: a
# private system bus gets a stand-in for both.
start_desktop() {
  desktop_session
  desk+=(DBUS_SYSTEM_BUS_ADDRESS="unix:path=$desk_dir/system_bus")
  session_bus || return 1
  in_background system_bus dbus-daemon --session --nofork --address="unix:path=$desk_dir/system_bus"
  wait_until 10 [ -S "$desk_dir/system_bus" ] || return 1
  in_background display_manager /usr/bin/python3 "$desktop_dbus" display-manager
  wait_until 10 grep -qsx ready "$work/display_manager.log" || return 1
  in_background pipewire pipewire
  in_background pipewire wireplumber
  in_background gnome-shell gnome-shell --wayland --headless --no-x11 --wayland-display=wayland-zv \
    --virtual-monitor 1280x720 --virtual-monitor 1280x720 --mode=user
  wait_until 30 gnome_ready || { echo "gnome-shell did not start: $(tail -n3 "$work/gnome-shell.log")" >&2; return 1; }
  in_desktop mkfifo "$desk_dir/keys"
  in_background keyboard /usr/bin/python3 "$desktop_dbus" mutter-keyboard "$desk_dir/keys"
  wait_until 10 grep -qsx ready "$work/keyboard.log"
}
# The shell is up once its own name and its lock screen's are on the bus
# (org.gnome.Shell.ScreenShield, which serves /org/gnome/ScreenSaver, comes with its lock screen).
gnome_ready() {
  [ -S "$desk_dir/wayland-zv" ] && bus_has org.gnome.Shell && bus_has org.gnome.Shell.ScreenShield &&
    bus_has org.gnome.Mutter.RemoteDesktop
}
# shell_property NAME: a property of org.gnome.Shell, as gdbus prints it
shell_property() {
  in_desktop gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell \
    -m org.freedesktop.DBus.Properties.Get org.gnome.Shell "$1" 2>/dev/null
}
# lock_session / session_locked: the shell's own lock screen
lock_session() { in_desktop gdbus call --session -d org.gnome.Shell.ScreenShield -o /org/gnome/ScreenSaver -m org.gnome.ScreenSaver.Lock >/dev/null; }
session_locked() {
  in_desktop gdbus call --session -d org.gnome.Shell.ScreenShield -o /org/gnome/ScreenSaver \
    -m org.gnome.ScreenSaver.GetActive 2>/dev/null | grep -q true
}
# output_shot MONITOR FILE: a picture of MONITOR (a PPM), the clients' alpha
# dropped; an empty picture (a cast that gave no frame) fails
output_shot() {
  in_desktop /usr/bin/python3 "$desktop_dbus" mutter-shot "$1" >"$2.rgba" 2>>"$work/shots.log" &&
    [ -s "$2.rgba" ] && convert "png:$2.rgba" -alpha off "ppm:$2"
}
# send_key CODE: a tap of the Linux key code CODE on the seat's keyboard
send_key() { timeout 5 dd status=none of="$desk_dir/keys" <<<"$1"; }
