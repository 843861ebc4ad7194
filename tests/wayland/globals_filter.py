#!/usr/bin/python3
"""globals_filter.py [--silent-after N NOTE] DISPLAY-SOCKET COMMAND...: COMMAND as
a lock screen's host runs it: its connection in WAYLAND_SOCKET, only the host's
globals announced, after N answers to wl_display.sync none (NOTE written when it
asks again). Passes SIGTERM, SIGINT and SIGHUP on; SIGUSR1 closes its first
layer surface, as a compositor may; ends with COMMAND's exit code."""
import array, os, selectors, signal, socket, struct, subprocess, sys

OFFERED = {b"wl_compositor", b"wl_shm", b"zwlr_layer_shell_v1", b"zxdg_output_manager_v1",
           b"wl_output"}
silent = [int(sys.argv[2]), sys.argv[3]] if sys.argv[1] == "--silent-after" else None
del sys.argv[1:4 if silent else 1]
compositor = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
compositor.connect(sys.argv[1])
client, handed = socket.socketpair()
child = subprocess.Popen(sys.argv[2:], env={**os.environ, "WAYLAND_SOCKET": str(handed.fileno())},
                         pass_fds=[handed.fileno()])
handed.close()
for s in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
    signal.signal(s, lambda number, _: child.send_signal(number))
signal.signal(signal.SIGUSR1, lambda *_: closing.append(True))
registries, layer_surfaces, closing, syncs = set(), [], [], set()
pending = {client: b"", compositor: b""}
pending_fds = {client: array.array("i"), compositor: array.array("i")}


def keep(source, message):
    """False for a wl_registry.global the host lacks; notes each registry."""
    sender, size_opcode = struct.unpack_from("<II", message)
    opcode = size_opcode & 0xFFFF
    if source is client and sender == 1 and opcode == 1:
        registries.add(struct.unpack_from("<I", message, 8)[0])
    if source is client and b"\0\0\0zarvella\0" in message:  # get_layer_surface, its namespace
        layer_surfaces.append(struct.unpack_from("<I", message, 8)[0])
    if silent and source is client and silent[0] == 0:
        open(silent[1], "w").write("asked\n")
    elif silent and source is client and sender == 1 and opcode == 0:  # wl_display.sync
        syncs.add(struct.unpack_from("<I", message, 8)[0])
    if silent and source is compositor:
        if silent[0] == 0:
            return False
        silent[0] -= sender in syncs and opcode == 0  # wl_callback.done
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
    if closing and layer_surfaces:  # zwlr_layer_surface_v1.closed, between whole messages
        closing.clear()
        client.sendall(struct.pack("<II", layer_surfaces[0], 8 << 16 | 1))
    for key, _ in selector.select(0.1):
        try:
            if not forward(key.fileobj, key.data):
                selector.unregister(key.fileobj)
        except OSError:
            selector.unregister(key.fileobj)
sys.exit(child.returncode)
