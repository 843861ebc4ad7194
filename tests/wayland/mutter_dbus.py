#!/usr/bin/python3
"""mutter_dbus.py shot MONITOR | keyboard FIFO: through mutter's D-Bus API, a
PNG of MONITOR on stdout (ScreenCast, one PipeWire buffer), or a keyboard
that taps each Linux key code read from FIFO (RemoteDesktop, one session)."""
import os, subprocess, sys
from gi.repository import Gio, GLib

bus = Gio.bus_get_sync(Gio.BusType.SESSION)


def call(path, iface, method, sig=None, *args):
    return bus.call_sync("org.gnome.Mutter." + iface.split(".")[0], path, "org.gnome.Mutter." + iface,
                         method, GLib.Variant(sig, args) if sig else None, None, 0, 5000, None).unpack()


if sys.argv[1] == "keyboard":
    (session,) = call("/org/gnome/Mutter/RemoteDesktop", "RemoteDesktop", "CreateSession")
    call(session, "RemoteDesktop.Session", "Start")
    def tap(code):
        for pressed in (True, False):
            call(session, "RemoteDesktop.Session", "NotifyKeyboardKeycode", "(ub)", code, pressed)
    # The seat gets its keyboard with this keyboard's first key, and clients
    # only learn of it then: a shift goes first, before any client.
    tap(42)
    print("ready", flush=True)
    for line in open(os.open(sys.argv[2], os.O_RDWR)):  # a writer of its own: no end
        tap(int(line))
else:
    (session,) = call("/org/gnome/Mutter/ScreenCast", "ScreenCast", "CreateSession", "(a{sv})", {})
    (stream,) = call(session, "ScreenCast.Session", "RecordMonitor", "(sa{sv})", sys.argv[2], {})
    loop, node = GLib.MainLoop(), []
    bus.signal_subscribe(None, "org.gnome.Mutter.ScreenCast.Stream", "PipeWireStreamAdded", stream,
                         None, 0, lambda *signal: (node.append(signal[5][0]), loop.quit()))
    GLib.timeout_add_seconds(5, loop.quit)
    call(session, "ScreenCast.Session", "Start")
    loop.run()
    done = node and subprocess.run(["gst-launch-1.0", "-q", "pipewiresrc", f"path={node[0]}", "num-buffers=1",
                                    "!", "videoconvert", "!", "pngenc", "!", "fdsink"], timeout=10).returncode == 0
    call(session, "ScreenCast.Session", "Stop")
    sys.exit(0 if done else 1)
