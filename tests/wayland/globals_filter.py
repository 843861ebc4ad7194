#!/usr/bin/python3
"""globals_filter.py [--silent-after-answer NOTE] DISPLAY-SOCKET COMMAND...:
COMMAND as a lock screen's host runs it: its connection in WAYLAND_SOCKET, only
the host's globals announced. --silent-after-answer: after the answer to
COMMAND's first wl_display.sync nothing more comes from the compositor, and
NOTE is written once COMMAND asks again.
Passes SIGTERM on; on SIGUSR1 closes COMMAND's first layer surface, as a
compositor may (a forged zwlr_layer_surface_v1.closed); ends with COMMAND's
exit code."""
import array, os, selectors, signal, socket, struct, subprocess, sys

OFFERED = {b"wl_compositor", b"wl_shm", b"zwlr_layer_shell_v1", b"zxdg_output_manager_v1",
           b"wl_output"}
silent_note = None
if sys.argv[1] == "--silent-after-answer":
    silent_note = sys.argv[2]
    del sys.argv[1:3]
syncs, answered = [], []
compositor = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
compositor.connect(sys.argv[1])
client, handed = socket.socketpair()
child = subprocess.Popen(sys.argv[2:], env={**os.environ, "WAYLAND_SOCKET": str(handed.fileno())},
                         pass_fds=[handed.fileno()])
handed.close()
signal.signal(signal.SIGTERM, lambda *_: child.send_signal(signal.SIGTERM))
signal.signal(signal.SIGUSR1, lambda *_: closing.append(True))
registries, layer_shells, layer_surfaces, closing = set(), set(), [], []
pending = {client: b"", compositor: b""}
pending_fds = {client: array.array("i"), compositor: array.array("i")}


def keep(source, message):
    """False for a wl_registry.global the host lacks; notes each registry, the
    layer shell bound and the layer surfaces made."""
    sender, size_opcode = struct.unpack_from("<II", message)
    opcode = size_opcode & 0xFFFF
    if source is client and sender == 1 and opcode == 1:
        registries.add(struct.unpack_from("<I", message, 8)[0])
    if source is client and sender in registries and opcode == 0:  # bind(name, interface, version, id)
        length = struct.unpack_from("<I", message, 12)[0]
        if message[16:16 + length - 1] == b"zwlr_layer_shell_v1":
            layer_shells.add(struct.unpack_from("<I", message, 16 + (length + 3) // 4 * 4 + 4)[0])
    if source is client and sender in layer_shells and opcode == 0:  # get_layer_surface
        layer_surfaces.append(struct.unpack_from("<I", message, 8)[0])
    if silent_note and source is client:
        if answered:
            open(silent_note, "w").write("asked again\n")
        elif sender == 1 and opcode == 0:  # wl_display.sync
            syncs.append(struct.unpack_from("<I", message, 8)[0])
    if silent_note and source is compositor:
        if answered:
            return False
        if syncs and sender == syncs[0] and opcode == 0:  # its wl_callback.done
            answered.append(True)
    if source is compositor and sender in registries and opcode == 0:
        length = struct.unpack_from("<I", message, 12)[0]
        return message[16:16 + length - 1] in OFFERED
    return True


def forward(source, target):
    data, ancillary, _, _ = source.recvmsg(65536, socket.CMSG_SPACE(28 * 4))
    if not data:
        return False
    fds = pending_fds[source]
    for _, _, fd_data in ancillary:
        fds.frombytes(fd_data[:len(fd_data) - len(fd_data) % fds.itemsize])
    buffer, out = pending[source] + data, b""
    while len(buffer) >= 8 and len(buffer) >= max(8, struct.unpack_from("<I", buffer, 4)[0] >> 16):
        size = max(8, struct.unpack_from("<I", buffer, 4)[0] >> 16)
        if keep(source, buffer[:size]):
            out += buffer[:size]
        buffer = buffer[size:]
    pending[source] = buffer
    if out:  # descriptors go with the bytes of their message, or before them
        target.sendmsg([out], [(socket.SOL_SOCKET, socket.SCM_RIGHTS, fds)] if fds else [])
        for fd in fds:
            os.close(fd)
        pending_fds[source] = array.array("i")
    return True


selector = selectors.DefaultSelector()
selector.register(client, selectors.EVENT_READ, compositor)
selector.register(compositor, selectors.EVENT_READ, client)
while child.poll() is None:
    if closing and layer_surfaces:  # between whole messages: the forged closed event
        closing.clear()
        client.sendall(struct.pack("<II", layer_surfaces[0], 8 << 16 | 1))
    for key, _ in selector.select(0.1):
        try:
            if not forward(key.fileobj, key.data):
                selector.unregister(key.fileobj)
        except OSError:
            selector.unregister(key.fileobj)
sys.exit(child.returncode)
