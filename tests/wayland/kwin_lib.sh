# Sourced after desktop_lib.sh: KDE Plasma's compositor, KWin, headless (its
# virtual backend) with two outputs of 1920x1080 device pixels, Virtual-0 at
# scale 1.5 (1280x720) and Virtual-1 at scale 1, and its D-Bus session. Needs
# $kwin_tool (kwin_tool.c, built beside the tests).

desktop_outputs=(Virtual-0 Virtual-1)

# start_desktop: the session bus and KWin, its outputs scaled; false when one
# did not come. The packaged kwin_wayland carries a file capability that a
# container may not grant, so a plain copy of it runs.
start_desktop() {
  desktop_session
  session_bus || return 1
  cp /usr/bin/kwin_wayland "$desk_dir/"
  in_background kwin KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 \
    "$desk_dir/kwin_wayland" --virtual --output-count 2 --width 1280 --height 720 --scale 1.5 \
    --socket wayland-zv --no-lockscreen
  wait_until 20 kwin_ready || { echo "KWin did not start: $(tail -n3 "$work/kwin.log")" >&2; return 1; }
  in_desktop "$kwin_tool" scale Virtual-1 1  # right of Virtual-0's 1280 logical pixels
}
kwin_ready() { [ -S "$desk_dir/wayland-zv" ] && bus_has org.kde.KWin; }
# output_shot OUTPUT FILE: a picture of OUTPUT in device pixels (a PPM, which
# ImageMagick reads whatever FILE is called: faster than a PNG, whose
# encoding takes seconds on a busy machine)
output_shot() { in_desktop /usr/bin/python3 "$desktop_dbus" kwin-shot "$1" >"$2" 2>>"$work/shots.log"; }
# send_key CODE: a tap of the Linux key code CODE, through KWin's fake input
send_key() { in_desktop "$kwin_tool" key "$1"; }
