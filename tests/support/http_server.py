#!/usr/bin/env python3
"""The HTTP server of the download tests, on 127.0.0.1 only.

Prints "PORT CLOSED_PORT" on one line once it listens (and writes it to --port-file when given):
its own port and one that was just opened and closed again, where nothing listens. Every request's
raw path and User-Agent go to --log as "PATH<TAB>AGENT" lines. Runs until it is stopped.

Paths (a query string is ignored, so tests can tell their requests apart by one):
  /body/N[/ANYTHING]      200 with N bytes of the pattern: byte i is (i * 7 + (i >> 8)) & 0xFF
  /status/CODE            that status, with a short HTML body
  /short/ANNOUNCED/SENT[/ANYTHING]  200 announcing ANNOUNCED bytes, sending SENT of the pattern, then closing
  /stall/ANNOUNCED/SENT[/ANYTHING]  as /short, then silent for --hold seconds before closing
  /silent                 no answer at all for --hold seconds, then closing
A silent path logs "HELD PATH" (agent "-") once its --hold seconds are over.
  --serve PATH=FILE       the file's bytes at that raw path (as the client sends it, e.g. %20); with
                          --pace SECONDS sent in 32 pieces spread over that time, as a slow line would
"""

import argparse
import os
import socket
import sys
import threading
import time

# The pattern repeats every 65536 bytes: byte i is (i * 7 + (i >> 8)) & 0xFF.
CYCLE = bytes(((i * 7 + (i >> 8)) & 0xFF) for i in range(65536))


def pattern(start, count):
    offset = start % len(CYCLE)
    repeated = CYCLE[offset:] + CYCLE * ((count + len(CYCLE) - 1) // len(CYCLE))
    return repeated[:count]


class Server:
    def __init__(self, args):
        self.hold = args.hold
        self.pace = args.pace
        self.served = dict(entry.split("=", 1) for entry in args.serve)
        self.log_path = args.log
        self.log_lock = threading.Lock()

    def log(self, path, agent):
        if not self.log_path:
            return
        with self.log_lock, open(self.log_path, "a", encoding="latin-1") as log:
            log.write(f"{path}\t{agent}\n")

    def send_pattern(self, connection, count):
        sent = 0
        while sent < count:
            block = min(len(CYCLE), count - sent)
            connection.sendall(pattern(sent, block))
            sent += block

    def send_paced(self, connection, body):
        if self.pace <= 0:
            connection.sendall(body)
            return
        pieces = 32
        size = (len(body) + pieces - 1) // pieces or 1
        for start in range(0, len(body), size):
            time.sleep(self.pace / pieces)
            connection.sendall(body[start:start + size])

    def header(self, status, reason, length):
        return (f"HTTP/1.1 {status} {reason}\r\nContent-Type: application/octet-stream\r\n"
                f"Content-Length: {length}\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n"
                ).encode("ascii")

    def handle(self, connection):
        try:
            request = b""
            while b"\r\n\r\n" not in request:
                data = connection.recv(4096)
                if not data:
                    return
                request += data
            lines = request.split(b"\r\n")
            target = lines[0].split(b" ")[1].decode("latin-1")
            agent = ""
            for line in lines[1:]:
                name, _, value = line.partition(b":")
                if name.strip().lower() == b"user-agent":
                    agent = value.strip().decode("latin-1")
            self.log(target, agent)
            path = target.split("?", 1)[0]
            parts = path.strip("/").split("/")
            if path in self.served:
                with open(self.served[path], "rb") as served:
                    body = served.read()
                connection.sendall(self.header(200, "OK", len(body)))
                self.send_paced(connection, body)
            elif parts[0] == "body" and len(parts) >= 2:
                count = int(parts[1])
                connection.sendall(self.header(200, "OK", count))
                self.send_pattern(connection, count)
            elif parts[0] == "status" and len(parts) == 2:
                body = f"<html><body>Error {parts[1]}</body></html>".encode("ascii")
                connection.sendall(self.header(int(parts[1]), "Error", len(body)) + body)
            elif parts[0] in ("short", "stall") and len(parts) >= 3:
                connection.sendall(self.header(200, "OK", int(parts[1])))
                self.send_pattern(connection, int(parts[2]))
                if parts[0] == "stall":
                    time.sleep(self.hold)
                    self.log("HELD " + target, "-")
            elif parts[0] == "silent":
                time.sleep(self.hold)
                self.log("HELD " + target, "-")
            else:
                body = b"<html><body>Not found</body></html>"
                connection.sendall(self.header(404, "Not Found", len(body)) + body)
        except (OSError, ValueError):
            pass
        finally:
            connection.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file")
    parser.add_argument("--log")
    parser.add_argument("--hold", type=float, default=30.0)
    parser.add_argument("--serve", action="append", default=[])
    parser.add_argument("--pace", type=float, default=0.0)
    args = parser.parse_args()
    server = Server(args)

    closed = socket.socket()
    closed.bind(("127.0.0.1", 0))
    closed_port = closed.getsockname()[1]
    closed.close()

    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    line = f"{listener.getsockname()[1]} {closed_port}\n"
    if args.port_file:
        with open(args.port_file + ".part", "w") as port_file:
            port_file.write(line)
        os.replace(args.port_file + ".part", args.port_file)
    sys.stdout.write(line)
    sys.stdout.flush()
    while True:
        connection, _ = listener.accept()
        threading.Thread(target=server.handle, args=(connection,), daemon=True).start()


if __name__ == "__main__":
    main()
