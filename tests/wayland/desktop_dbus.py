#!/usr/bin/python3
"""desktop_dbus.py mutter-shot MONITOR | mutter-keyboard FIFO | kwin-shot OUTPUT | display-manager:
through the compositor's D-Bus API, a picture of one monitor on stdout
(mutter: ScreenCast, a PNG of one PipeWire buffer; KWin: ScreenShot2, a PPM
in device pixels), or a keyboard that taps each Linux key code read from
FIFO (mutter: RemoteDesktop, one session); or, on the system bus, a display
manager that answers gnome-shell's one question (its version), so that the
shell builds its lock screen."""
import os, subprocess, sys
from gi.repository import Gio, GLib

bus = Gio.bus_get_sync(Gio.BusType.SYSTEM if sys.argv[1] == "display-manager" else Gio.BusType.SESSION)


def call(path, iface, method, sig=None, *args):
    return bus.call_sync("org.gnome.Mutter." + iface.split(".")[0], path, "org.gnome.Mutter." + iface,
                         method, GLib.Variant(sig, args) if sig else None, None, 0, 5000, None).unpack()


if sys.argv[1] == "display-manager":
    manager = Gio.DBusNodeInfo.new_for_xml("""<node><interface name="org.gnome.DisplayManager.Manager">
      <property name="Version" type="s" access="read"/></interface></node>""")
    bus.register_object("/org/gnome/DisplayManager/Manager", manager.interfaces[0], None,
                        lambda *_: GLib.Variant("s", "43.0"), None)
    bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                  GLib.Variant("(su)", ("org.gnome.DisplayManager", 0)), None, 0, 5000, None)
    print("ready", flush=True)
    GLib.MainLoop().run()
elif sys.argv[1] == "kwin-shot":
    read, write = os.pipe()
    fds = Gio.UnixFDList.new()
    fds.append(write)
    os.close(write)
    info = bus.call_with_unix_fd_list_sync(
        "org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2", "CaptureScreen",
        GLib.Variant("(sa{sv}h)", (sys.argv[2], {"native-resolution": GLib.Variant("b", True)}, 0)),
        None, 0, 5000, fds, None)[0].unpack()[0]
    del fds  # the last writer: reading ends with the picture
    data = b"".join(iter(lambda: os.read(read, 1 << 20), b""))
    width, height = info["width"], info["height"]
    assert info["stride"] == 4 * width and len(data) == 4 * width * height, info
    rgb = bytearray(3 * width * height)  # from 32-bit QImage pixels: B, G, R, A in memory
    rgb[0::3], rgb[1::3], rgb[2::3] = data[2::4], data[1::4], data[0::4]
    sys.stdout.buffer.write(b"P6 %d %d 255\n" % (width, height) + rgb)
elif sys.argv[1] == "mutter-keyboard":
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
else:  # mutter-shot
    (session,) = call("/org/gnome/Mutter/ScreenCast", "ScreenCast", "CreateSession", "(a{sv})", {})
    (stream,) = call(session, "ScreenCast.Session", "RecordMonitor", "(sa{sv})", sys.argv[2], {})
    loop, node = GLib.MainLoop(), []
    bus.signal_subscribe(None, "org.gnome.Mutter.ScreenCast.Stream", "PipeWireStreamAdded", stream,
                         None, 0, lambda *signal: (node.append(signal[5][0]), loop.quit()))
    GLib.timeout_add_seconds(5, loop.quit)
    call(session, "ScreenCast.Session", "Start")
    loop.run()
    try:  # on a busy machine a frame may come late: this shot then fails, and the next is taken
        done = node and subprocess.run(["gst-launch-1.0", "-q", "pipewiresrc", f"path={node[0]}", "num-buffers=1",
                                        "!", "videoconvert", "!", "pngenc", "!", "fdsink"], timeout=5).returncode == 0
    except subprocess.TimeoutExpired:
        done = False
    call(session, "ScreenCast.Session", "Stop")
    sys.exit(0 if done else 1)
