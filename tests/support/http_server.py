#!/usr/bin/env python3
"""The HTTP servers of the tests, on 127.0.0.1 only: run as a program, the download tests' server;
imported, UpdateServer, the update server of the Windows checks (scripts/windows-update-check.py,
scripts/windows-package-check.py), which runs in the checking process itself.

As a program it prints "PORT CLOSED_PORT" on one line once it listens (and writes it to --port-file
when given): its own port and one that was just opened and closed again, where nothing listens.
Every request's raw path and User-Agent go to --log as "PATH<TAB>AGENT" lines. Runs until it is
stopped.

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
import socketserver
import sys
import threading
import time

# The pattern repeats every 65536 bytes: byte i is (i * 7 + (i >> 8)) & 0xFF.
CYCLE = bytes(((i * 7 + (i >> 8)) & 0xFF) for i in range(65536))

# The update path as the program sends it.
UPDATE_PATH = "/zorprogs/ZOR%2027.exe"


def pattern(start, count):
    offset = start % len(CYCLE)
    repeated = CYCLE[offset:] + CYCLE * ((count + len(CYCLE) - 1) // len(CYCLE))
    return repeated[:count]


def header(status, reason, length, content_type="application/octet-stream"):
    # The client's cache must not answer a later request in place of the server.
    return (f"HTTP/1.1 {status} {reason}\r\nContent-Type: {content_type}\r\n"
            f"Content-Length: {length}\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n"
            ).encode("ascii")


class Listener(socketserver.ThreadingTCPServer):
    daemon_threads = True
    request_queue_size = 16


class Server:
    """Answers each connection on a thread of its own: reads the request, logs its raw target (path
    and query) and its agent, answers and closes the connection."""

    def __init__(self, hold):
        self.hold = hold

    def log(self, target, agent):
        raise NotImplementedError

    def answer(self, connection, target):
        raise NotImplementedError

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
            self.answer(connection, target)
        except (OSError, ValueError):
            pass
        finally:
            connection.close()

    def listen(self):
        """A listener on a free port of 127.0.0.1 that hands each connection to this server."""
        server = self

        class Handler(socketserver.BaseRequestHandler):
            def handle(self):
                server.handle(self.request)

        return Listener(("127.0.0.1", 0), Handler)


class DownloadServer(Server):
    """The download tests' paths, as the module's description lists them."""

    def __init__(self, args):
        super().__init__(args.hold)
        self.pace = args.pace
        self.served = dict(entry.split("=", 1) for entry in args.serve)
        self.log_path = args.log
        self.log_lock = threading.Lock()

    def log(self, target, agent):
        if not self.log_path:
            return
        with self.log_lock, open(self.log_path, "a", encoding="latin-1") as log:
            log.write(f"{target}\t{agent}\n")

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

    def answer(self, connection, target):
        path = target.split("?", 1)[0]
        parts = path.strip("/").split("/")
        if path in self.served:
            with open(self.served[path], "rb") as served:
                body = served.read()
            connection.sendall(header(200, "OK", len(body)))
            self.send_paced(connection, body)
        elif parts[0] == "body" and len(parts) >= 2:
            count = int(parts[1])
            connection.sendall(header(200, "OK", count))
            self.send_pattern(connection, count)
        elif parts[0] == "status" and len(parts) == 2:
            body = f"<html><body>Error {parts[1]}</body></html>".encode("ascii")
            connection.sendall(header(int(parts[1]), "Error", len(body)) + body)
        elif parts[0] in ("short", "stall") and len(parts) >= 3:
            connection.sendall(header(200, "OK", int(parts[1])))
            self.send_pattern(connection, int(parts[2]))
            if parts[0] == "stall":
                time.sleep(self.hold)
                self.log("HELD " + target, "-")
        elif parts[0] == "silent":
            time.sleep(self.hold)
            self.log("HELD " + target, "-")
        else:
            body = b"<html><body>Not found</body></html>"
            connection.sendall(header(404, "Not Found", len(body)) + body)


def portal_page():
    """An intranet portal's "not found" page, complete, of 3,760 bytes."""
    head = "<!DOCTYPE html>\n<html lang=\"ru\"><head><meta charset=\"utf-8\"><title>Портал</title></head><body>\n"
    tail = "</body></html>\n"
    line = "<p>Запрошенная страница не найдена. Вернитесь на главную страницу портала.</p>\n"
    page = head
    while len((page + line + tail).encode()) <= 3760:
        page += line
    page = (page + tail).encode()
    return page + b" " * (3760 - len(page))


class UpdateServer(Server):
    """Listens from its construction to close(). Answers the update path as `mode` says: full, error,
    truncated, empty, html (a portal's page of 3,760 bytes with status 200 and its length) or silent
    (the request accepted and nothing sent until `hold` seconds have passed or the server closes), and
    every other path with an error page; logs every request in `requests` as (target, agent), and in
    `held` the silent requests whose hold ran out."""

    def __init__(self, body, hold=120):
        super().__init__(hold)
        self.body = body
        self.mode = "full"
        self.requests = []
        self.held = []
        self.closing = threading.Event()
        self.listener = self.listen()
        self.thread = threading.Thread(target=self.listener.serve_forever, daemon=True)
        self.thread.start()

    @property
    def address(self):
        return f"127.0.0.1:{self.listener.server_address[1]}"

    def log(self, target, agent):
        self.requests.append((target, agent))

    def answer(self, connection, target):
        mode = self.mode if target == UPDATE_PATH else "error"
        if mode == "silent":
            if not self.closing.wait(self.hold):
                self.held.append(target)
            return
        if mode == "html":
            page = portal_page()
            connection.sendall(header(200, "OK", len(page), "text/html; charset=utf-8") + page)
        elif mode == "error":
            page = b"<html><body><h1>404 Not Found</h1></body></html>"
            connection.sendall(header(404, "Not Found", len(page), "text/html") + page)
        else:
            payload = {"full": self.body, "truncated": self.body[:len(self.body) // 2], "empty": b""}[mode]
            connection.sendall(header(200, "OK", 0 if mode == "empty" else len(self.body)) + payload)

    def close(self):
        self.closing.set()
        self.listener.shutdown()
        self.listener.server_close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file")
    parser.add_argument("--log")
    parser.add_argument("--hold", type=float, default=30.0)
    parser.add_argument("--serve", action="append", default=[])
    parser.add_argument("--pace", type=float, default=0.0)
    args = parser.parse_args()
    server = DownloadServer(args)

    closed = socket.socket()
    closed.bind(("127.0.0.1", 0))
    closed_port = closed.getsockname()[1]
    closed.close()

    listener = server.listen()
    line = f"{listener.server_address[1]} {closed_port}\n"
    if args.port_file:
        with open(args.port_file + ".part", "w") as port_file:
            port_file.write(line)
        os.replace(args.port_file + ".part", args.port_file)
    sys.stdout.write(line)
    sys.stdout.flush()
    listener.serve_forever()


if __name__ == "__main__":
    main()
