"""The update server of the Windows checks: an HTTP server on 127.0.0.1 that answers the program's
request for its next build as told, and logs every request with its agent."""
import http.server
import threading

# The path as the program sends it.
UPDATE_PATH = "/zorprogs/ZOR%2027.exe"


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


class UpdateServer:
    """Answers the update path as `mode` says: full, error, truncated, empty, html (a portal's page of
    3,760 bytes with status 200 and its length) or silent (the request accepted and nothing sent
    until `hold` seconds have passed or the server closes); logs every request, and in `held` the
    silent requests whose hold ran out."""

    def __init__(self, body, hold=120):
        self.body = body
        self.mode = "full"
        self.requests = []
        self.held = []
        self.hold = hold
        self.closing = threading.Event()
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *args):
                pass

            def do_GET(self):
                server.requests.append((self.path, self.headers.get("User-Agent", "")))
                mode = server.mode if self.path == UPDATE_PATH else "error"
                if mode == "silent":
                    if not server.closing.wait(server.hold):
                        server.held.append(self.path)
                    self.close_connection = True
                    return
                if mode == "html":
                    page = portal_page()
                    self.send_response(200)
                    self.send_header("Content-Type", "text/html; charset=utf-8")
                    self.send_header("Content-Length", str(len(page)))
                    payload = page
                elif mode == "error":
                    page = b"<html><body><h1>404 Not Found</h1></body></html>"
                    self.send_response(404)
                    self.send_header("Content-Type", "text/html")
                    self.send_header("Content-Length", str(len(page)))
                    payload = page
                else:
                    self.send_response(200)
                    self.send_header("Content-Type", "application/octet-stream")
                    self.send_header("Content-Length", str(0 if mode == "empty" else len(server.body)))
                    payload = {"full": server.body, "truncated": server.body[:len(server.body) // 2],
                               "empty": b""}[mode]
                # The client's cache must not answer a later request in place of this server.
                self.send_header("Cache-Control", "no-store")
                self.send_header("Connection", "close")
                self.end_headers()
                self.wfile.write(payload)
                self.wfile.flush()
                self.close_connection = True

        self.http = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.thread = threading.Thread(target=self.http.serve_forever, daemon=True)
        self.thread.start()

    @property
    def address(self):
        return f"127.0.0.1:{self.http.server_address[1]}"

    def close(self):
        self.closing.set()
        self.http.shutdown()
        self.http.server_close()
