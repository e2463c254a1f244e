#!/usr/bin/env python3
"""A web server on 127.0.0.1 for the direct-download tests.

  downloadserver.py FOLDER PORTFILE RATE

Writes its port to PORTFILE once it listens. Paths:
  /files/NAME   FOLDER/NAME with its Content-Length, at RATE bytes a second
  /live         a radio station: icy-* headers, audio/mpeg, no length,
                16000 bytes a second until the client goes
"""
import http.server
import os
import socketserver
import sys
import time

FOLDER, PORTFILE, RATE = sys.argv[1], sys.argv[2], int(sys.argv[3])
LIVE_RATE = 16000


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def do_GET(self):
        path = self.path.split("?")[0]
        try:
            if path.startswith("/files/"):
                self.file(os.path.join(FOLDER, os.path.basename(path)))
            elif path == "/live":
                self.live()
            else:
                self.send_error(404)
        except (BrokenPipeError, ConnectionResetError):
            pass

    def paced(self, chunks, rate):
        start = time.monotonic()
        sent = 0
        for chunk in chunks:
            self.wfile.write(chunk)
            sent += len(chunk)
            delay = start + sent / rate - time.monotonic()
            if delay > 0:
                time.sleep(delay)

    def file(self, name):
        data = open(name, "rb").read()
        self.send_response(200)
        self.send_header("Content-Type", "audio/mpeg")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        step = max(1, RATE // 10)
        self.paced((data[i:i + step] for i in range(0, len(data), step)), RATE)

    def live(self):
        self.send_response(200)
        self.send_header("Content-Type", "audio/mpeg")
        self.send_header("icy-name", "Skywell Test Radio")
        self.send_header("icy-br", "128")
        self.end_headers()
        block = os.urandom(LIVE_RATE // 10)
        self.paced(iter(lambda: block, None), LIVE_RATE)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


server = Server(("127.0.0.1", 0), Handler)
with open(PORTFILE + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
os.rename(PORTFILE + ".tmp", PORTFILE)
server.serve_forever()
