#!/usr/bin/python3
"""What a hostile or broken X11 desktop does to a client, for the desktop
tests. Each command prints "ready" on a line of its own once it is in place,
then stays until it is stopped (unless it says otherwise).

  deep-tree DEPTH         a window on screen, no WM_STATE anywhere, holding a
                          chain of DEPTH windows, each inside the last
  client-list COUNT ID    writes COUNT made-up window ids into the root's
                          client lists, with ID on top; then exits
  silent SOCKET           a display socket that takes connections and never
                          answers; SOCKET is a path, @NAME for an abstract
                          socket or tcp:PORT on the loopback; or, with
                          udp:ADDRESS:PORT, a name server that reads every
                          question and answers none
  blocked SIGNALS PROGRAM ARGS...
                          becomes PROGRAM with SIGNALS (ALRM, or all)
                          blocked, as a parent may leave them; ALRM-ignored
                          ignores SIGALRM instead
  resolving-with CONF PROGRAM ARGS...
                          becomes PROGRAM in a mount namespace of its own
                          where the file CONF is /etc/resolv.conf (as root)
  garbage SOCKET          one that answers every connection with garbage
  hang-up SOCKET TARGET   a go-between to the display socket TARGET that
                          hangs up when the client first reads a property
"""
import os
import select
import socket
import struct
import sys
import time


def ready():
    print("ready", flush=True)


def stay():
    while True:
        time.sleep(3600)


def deep_tree(depth):
    from Xlib import X, display

    connection = display.Display()
    root = connection.screen().root
    top = root.create_window(0, 0, 50, 50, 0, X.CopyFromParent, override_redirect=True)
    window = top
    for _ in range(depth):
        window = window.create_window(0, 0, 10, 10, 0, X.CopyFromParent)
    top.map()
    connection.sync()
    ready()
    stay()


def client_list(count, on_top):
    from Xlib import X, Xatom, display

    connection = display.Display()
    root = connection.screen().root
    ids = [0x7F000000 + i for i in range(count - 1)] + [on_top]
    for name in ("_NET_CLIENT_LIST_STACKING", "_NET_CLIENT_LIST"):
        # In pieces: a request holds at most 256 KiB.
        for start in range(0, count, 16384):
            root.change_property(connection.intern_atom(name), Xatom.WINDOW, 32,
                                 ids[start:start + 16384],
                                 X.PropModeReplace if start == 0 else X.PropModeAppend)
    connection.sync()
    ready()


def listen(path):
    if path.startswith("udp:"):
        address, port = path[4:].rsplit(":", 1)
        server = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        server.bind((address, int(port)))
        return server
    if path.startswith("tcp:"):
        server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        server.bind(("127.0.0.1", int(path[4:])))
        server.listen(16)
        return server
    if path.startswith("@"):
        server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        server.bind("\0" + path[1:])
        server.listen(16)
        return server
    if os.path.exists(path):
        os.unlink(path)
    server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    server.bind(path)
    server.listen(16)
    return server


def silent(path):
    server = listen(path)
    ready()
    if server.type == socket.SOCK_DGRAM:
        while True:
            server.recv(4096)
    held = []
    while True:
        held.append(server.accept()[0])


def garbage(path):
    server = listen(path)
    ready()
    held = []
    while True:
        client = server.accept()[0]
        client.recv(4096)
        client.sendall(bytes(range(256)) * 4)
        held.append(client)


def read_exactly(connection, count):
    data = b""
    while len(data) < count:
        more = connection.recv(count - len(data))
        if not more:
            raise EOFError
        data += more
    return data


def relay_until_property_read(client, server):
    """Passes the set-up and requests on; returns at the first GetProperty."""
    head = read_exactly(client, 12)
    name, data = struct.unpack("<HH", head[6:10])
    pad = lambda n: (n + 3) & ~3
    server.sendall(head + read_exactly(client, pad(name) + pad(data)))
    pending = b""
    while True:
        readable, _, _ = select.select([client, server], [], [])
        if server in readable:
            answer = server.recv(65536)
            if not answer:
                return
            client.sendall(answer)
        if client in readable:
            more = client.recv(65536)
            if not more:
                return
            pending += more
            while len(pending) >= 4:
                opcode, length = pending[0], struct.unpack("<H", pending[2:4])[0] * 4
                if opcode == 20:  # GetProperty
                    return
                if length == 0:  # BIG-REQUESTS: the length follows
                    if len(pending) < 8:
                        break
                    length = struct.unpack("<I", pending[4:8])[0] * 4
                if len(pending) < length:
                    break
                server.sendall(pending[:length])
                pending = pending[length:]


def hang_up(path, target):
    server = listen(path)
    ready()
    while True:
        client = server.accept()[0]
        upstream = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        upstream.connect(target)
        try:
            relay_until_property_read(client, upstream)
        except (EOFError, OSError):
            pass
        client.close()
        upstream.close()


def blocked(signals, argv):
    import signal
    if signals == "ALRM-ignored":
        signal.signal(signal.SIGALRM, signal.SIG_IGN)
    else:
        chosen = signal.valid_signals() if signals == "all" else {signal.SIGALRM}
        signal.pthread_sigmask(signal.SIG_BLOCK, chosen)
    os.execv(argv[0], argv)


def resolving_with(conf, argv):
    import ctypes
    libc = ctypes.CDLL(None, use_errno=True)
    clone_newns, ms_bind, ms_rec, ms_private = 0x20000, 4096, 16384, 1 << 18

    def check(result, what):
        if result != 0:
            raise OSError(ctypes.get_errno(), what)

    check(libc.unshare(clone_newns), "unshare")
    check(libc.mount(None, b"/", None, ms_rec | ms_private, None), "making / private")
    check(libc.mount(conf.encode(), b"/etc/resolv.conf", None, ms_bind, None),
          "mounting " + conf)
    os.execv(argv[0], argv)


def main(argv):
    commands = {
        "deep-tree": lambda: deep_tree(int(argv[2])),
        "client-list": lambda: client_list(int(argv[2]), int(argv[3])),
        "silent": lambda: silent(argv[2]),
        "garbage": lambda: garbage(argv[2]),
        "hang-up": lambda: hang_up(argv[2], argv[3]),
        "blocked": lambda: blocked(argv[2], argv[3:]),
        "resolving-with": lambda: resolving_with(argv[2], argv[3:]),
    }
    if len(argv) < 3 or argv[1] not in commands:
        sys.stderr.write(__doc__)
        return 2
    commands[argv[1]]()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
