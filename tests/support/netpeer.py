#!/usr/bin/env python3
"""A TCP peer on 127.0.0.1 for the network tests, written with python's socket module only.
  netpeer.py server PORTFILE MODE [ARGS]  (the port it listens on goes to PORTFILE)
  netpeer.py client PORT clients N K RESULT
Server modes: send DATA (one burst, then close) | split DATA (for every k: bytes[:k], pause,
bytes[k:]) | close (at once) | collect RESULT (all that comes until the close) | accept-close N
(N connections, each closed at once). The client makes N connections at once, each sends K
commands and reads up to K replies; RESULT: "conn<TAB>reply" lines, "conn<TAB>EOF" when the
other side closed first. Socket time-outs and an alarm end every run by itself."""
import os, signal, socket, sys, time


def write_file(path, data):
    with open(path + ".part", "wb") as f:
        f.write(data)
    os.replace(path + ".part", path)


def connect(port):
    return socket.create_connection(("127.0.0.1", int(port)), timeout=30)


def run_clients(port, n, k, result):
    conns = [connect(port) for _ in range(n)]
    for c, s in enumerate(conns):
        try:
            s.sendall(b"".join(b'hello id="%d" n="%d"\r\n' % (c, j) for j in range(k)))
        except ConnectionError:
            pass
    out = []
    for c, s in enumerate(conns):
        data, eof = b"", False
        while data.count(b"\r\n") < k and not eof:
            try:
                chunk = s.recv(65536)
            except ConnectionError:
                chunk = b""
            eof = not chunk
            data += chunk
        out += [b"%d\t%s" % (c, line) for line in data.split(b"\r\n")[:-1]]
        out += [b"%d\tEOF" % c] if eof else []
        s.close()
    write_file(result, b"".join(line + b"\n" for line in out))


def serve_one(s, mode, args):
    s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    data = open(args[0], "rb").read() if mode in ("send", "split") else b""
    if mode == "split":
        for k in range(1, len(data)):
            s.sendall(data[:k])
            time.sleep(0.002)
            s.sendall(data[k:])
        data = b""
    elif mode == "collect":
        while chunk := s.recv(65536):
            data += chunk
        write_file(args[0], data)
        data = b""
    s.sendall(data)
    s.close()


def main():
    signal.alarm(120)
    role, where, mode, args = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    if role == "client":
        run_clients(where, int(args[0]), int(args[1]), args[2])
        return
    server = socket.create_server(("127.0.0.1", 0), backlog=64)
    server.settimeout(30)
    write_file(where, str(server.getsockname()[1]).encode())
    for _ in range(int(args[0]) if mode == "accept-close" else 1):
        s = server.accept()[0]
        s.settimeout(30)
        s.close() if mode == "accept-close" else serve_one(s, mode, args)


if __name__ == "__main__":
    main()
