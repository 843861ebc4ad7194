# Sourced after desktop_lib.sh: KDE Plasma as its users run it, KWin headless
# (its virtual backend) with two outputs of 1920x1080 device pixels, Virtual-0
# at scale 1.5 (1280x720) and Virtual-1 at scale 1, its D-Bus session, and
# plasmashell's wallpaper and panel over them. Needs
# $kwin_tool (kwin_tool.c, built beside the tests).

desktop_outputs=(Virtual-0 Virtual-1)
work_area=1920x1000+0+0  # Virtual-0 above plasmashell's panel (44 pixels, 66 at scale 1.5)

# start_desktop: the session bus and KWin, its outputs scaled, then
# plasmashell; false when one did not come. The packaged kwin_wayland carries a file capability that a
# container may not grant, so a plain copy of it runs.
start_desktop() {
  desktop_session
  session_bus || return 1
  cp /usr/bin/kwin_wayland "$desk_dir/"
  in_background kwin KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 \
    "$desk_dir/kwin_wayland" --virtual --output-count 2 --width 1280 --height 720 --scale 1.5 \
    --socket wayland-zv --no-lockscreen
  wait_until 20 kwin_ready || { echo "KWin did not start: $(tail -n3 "$work/kwin.log")" >&2; return 1; }
  in_desktop "$kwin_tool" scale Virtual-1 1 || return 1  # right of Virtual-0's 1280 logical pixels
  # Plasma as its users run it: plasmashell's wallpaper and panel, after the
  # activity manager it asks for at its start.
  in_background activities /usr/lib/x86_64-linux-gnu/libexec/kactivitymanagerd
  wait_until 20 bus_has org.kde.ActivityManager || return 1
  in_background plasmashell plasmashell --no-respawn
  wait_until 40 plasma_drawn || { echo "plasmashell did not draw: $(tail -n3 "$work/plasmashell.log")" >&2; return 1; }
}
plasma_drawn() { bus_has org.kde.plasmashell && output_shot Virtual-1 "$work/plasma.ppm" && picture_lit "$work/plasma.ppm"; }
kwin_ready() { [ -S "$desk_dir/wayland-zv" ] && bus_has org.kde.KWin; }
# output_shot OUTPUT FILE: a picture of OUTPUT in device pixels (a PPM, which
# ImageMagick reads whatever FILE is called: faster than a PNG, whose
# encoding takes seconds on a busy machine)
output_shot() { in_desktop /usr/bin/python3 "$desktop_dbus" kwin-shot "$1" >"$2" 2>>"$work/shots.log"; }
# send_key CODE: a tap of the Linux key code CODE, through KWin's fake input
send_key() { in_desktop "$kwin_tool" key "$1"; }
