#!/usr/bin/python3
"""What a broken Wayland compositor or session bus sends a client, for the
desktop tests. Each command makes its sockets, prints "ready" on a line of
its own, and serves until it is stopped.

  malformed SOCKET        a compositor offering the wlroots toplevel
                          manager; once it is bound, it announces a toplevel
                          and sends a malformed message in the same write
  undeclared-fds SOCKET BUS
                          a compositor offering nothing, and a session bus
                          whose every reply brings a descriptor that its
                          header does not declare
"""
import os
import socket
import struct
import sys
import threading


def listen(path):
    server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    server.bind(path)
    server.listen(8)
    return server


def serve(server, client_loop):
    def accept():
        while True:
            threading.Thread(target=client_loop, args=(server.accept()[0],), daemon=True).start()
    threading.Thread(target=accept, daemon=True).start()


def wayland_string(text):
    data = text.encode() + b"\0"
    return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)


def event(sender, opcode, body):
    return struct.pack("<II", sender, (8 + len(body)) << 16 | opcode) + body


def requests(client):
    """(object, opcode, message) for each request the client sends."""
    data = b""
    while True:
        received = client.recv(4096)
        if not received:
            return
        data += received
        while len(data) >= 8:
            sender, word = struct.unpack("<II", data[:8])
            if len(data) < word >> 16:
                break
            message, data = data[:word >> 16], data[word >> 16:]
            yield sender, word & 0xFFFF, message


def sync_done(message):
    callback = struct.unpack("<I", message[8:12])[0]
    return event(callback, 0, struct.pack("<I", 1)) + event(1, 1, struct.pack("<I", callback))


def malformed_compositor(client):
    registry = manager = None
    for sender, opcode, message in requests(client):
        out = b""
        if (sender, opcode) == (1, 1):  # wl_display.get_registry
            registry = struct.unpack("<I", message[8:12])[0]
            out = event(registry, 0, struct.pack("<I", 1) +
                        wayland_string("zwlr_foreign_toplevel_manager_v1") + struct.pack("<I", 3))
        elif (sender, opcode) == (registry, 0):  # wl_registry.bind
            manager = struct.unpack("<I", message[-4:])[0]
        elif (sender, opcode) == (1, 0):  # wl_display.sync
            if manager is not None:
                # A toplevel, then an event too short to hold its header.
                out = event(manager, 0, struct.pack("<I", 0xFF000000))
                out += struct.pack("<II", manager, 4 << 16)
                manager = None
            out += sync_done(message)
        if out:
            client.sendall(out)


def empty_compositor(client):
    for sender, opcode, message in requests(client):
        if (sender, opcode) == (1, 0):
            client.sendall(sync_done(message))


def bus_reply(serial, reply_to):
    def padded(data, size):
        return data + b"\0" * (-len(data) % size)
    name = (":1.%d" % serial).encode()
    body = struct.pack("<I", len(name)) + name + b"\0"
    fields = padded(b"\x05\x01u\0" + struct.pack("<I", reply_to), 8) + b"\x08\x01g\0\x01s\0"
    header = struct.pack("<cBBBIII", b"l", 2, 1, 1, len(body), serial, len(fields)) + fields
    return padded(header, 8) + body


def authenticate(client):
    """The SASL lines, up to BEGIN; returns what came after it."""
    data = b""
    while True:
        received = client.recv(4096)
        if not received:
            return None
        data += received
        while b"\r\n" in data:
            line, data = data.split(b"\r\n", 1)
            line = line.lstrip(b"\0")
            if line == b"AUTH EXTERNAL":
                client.sendall(b"DATA\r\n")
            elif line.startswith((b"AUTH", b"DATA")):
                client.sendall(b"OK 0123456789abcdef0123456789abcdef\r\n")
            elif line == b"NEGOTIATE_UNIX_FD":
                client.sendall(b"AGREE_UNIX_FD\r\n")
            elif line == b"BEGIN":
                return data


def undeclared_fds_bus(client):
    data = authenticate(client)
    reading, _ = os.pipe()
    serial = 100
    while data is not None:
        while len(data) < 16 or len(data) < message_size(data):
            received = client.recv(65536)
            if not received:
                return
            data += received
        reply_to = struct.unpack("<I", data[8:12])[0]
        data = data[message_size(data):]
        serial += 1
        client.sendmsg([bus_reply(serial, reply_to)],
                       [(socket.SOL_SOCKET, socket.SCM_RIGHTS, struct.pack("i", reading))])


def message_size(data):
    body, _, fields = struct.unpack("<III", data[4:16])
    return 16 + fields + (-fields % 8) + body


def main():
    command, paths = sys.argv[1], sys.argv[2:]
    if command == "malformed":
        serve(listen(paths[0]), malformed_compositor)
    elif command == "undeclared-fds":
        serve(listen(paths[0]), empty_compositor)
        serve(listen(paths[1]), undeclared_fds_bus)
    else:
        sys.exit(__doc__)
    print("ready", flush=True)
    threading.Event().wait()


main()
