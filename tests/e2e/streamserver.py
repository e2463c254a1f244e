#!/usr/bin/env python3
"""A small radio station on 127.0.0.1 for the tuning tests.

  streamserver.py MP3FILE PORTFILE [TITLE [PORT]]

Serves MP3FILE (constant bit rate) in a loop at its real pace, with ICY
stream titles for clients that ask for them, and writes its port to
PORTFILE once it listens. Paths:
  /stream.mp3   the stream (a burst of one second, then real time)
  /list.pls     a .pls playlist naming /stream.mp3
  /list.m3u     an .m3u playlist naming /stream.mp3
  /moved        a 302 redirect to /stream.mp3
  /page.html    a web page instead of audio
  /silent       takes the request and never answers
  /drop         two seconds of the stream, then the connection closes
"""
import http.server
import os
import socketserver
import sys
import threading
import time

MP3 = open(sys.argv[1], "rb").read()
PORTFILE = sys.argv[2]
TITLE = sys.argv[3] if len(sys.argv) > 3 else "Skywell Test Station"
PORT = int(sys.argv[4]) if len(sys.argv) > 4 else 0
BYTES_PER_SECOND = 16000  # 128 kbit/s
META_INTERVAL = 8000


def icy_block(title):
    text = ("StreamTitle='%s';" % title.replace("'", "")).encode("utf-8")
    blocks = (len(text) + 15) // 16
    return bytes([blocks]) + text.ljust(blocks * 16, b"\0")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def base(self):
        return "http://127.0.0.1:%d" % self.server.server_address[1]

    def do_GET(self):
        path = self.path.split("?")[0]
        if path == "/stream.mp3":
            self.stream(limit_seconds=None)
        elif path == "/drop":
            self.stream(limit_seconds=2)
        elif path == "/list.pls":
            self.text("audio/x-scpls", "[playlist]\nNumberOfEntries=1\nFile1=%s/stream.mp3\nTitle1=Test\nLength1=-1\nVersion=2\n" % self.base())
        elif path == "/list.m3u":
            self.text("audio/x-mpegurl", "#EXTM3U\n%s/stream.mp3\n" % self.base())
        elif path == "/moved":
            self.send_response(302)
            self.send_header("Location", "/stream.mp3")
            self.end_headers()
        elif path == "/page.html":
            self.text("text/html", "<!DOCTYPE html><html><head><title>Listen live</title></head><body><p>Our player needs JavaScript.</p></body></html>\n" * 20)
        elif path == "/silent":
            time.sleep(3600)
        else:
            self.send_error(404)

    def text(self, kind, body):
        data = body.encode("utf-8")
        self.send_response(200)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def stream(self, limit_seconds):
        icy = self.headers.get("Icy-MetaData") == "1"
        self.send_response(200)
        self.send_header("Content-Type", "audio/mpeg")
        self.send_header("icy-name", "Skywell Test Radio")
        if icy:
            self.send_header("icy-metaint", str(META_INTERVAL))
        self.end_headers()
        position = 0
        since_meta = 0
        sent = 0
        start = time.monotonic()
        burst = BYTES_PER_SECOND
        try:
            while limit_seconds is None or sent < limit_seconds * BYTES_PER_SECOND:
                chunk = BYTES_PER_SECOND // 10
                if icy:
                    chunk = min(chunk, META_INTERVAL - since_meta)
                data = MP3[position:position + chunk]
                if len(data) < chunk:
                    data += MP3[:chunk - len(data)]
                position = (position + chunk) % len(MP3)
                self.wfile.write(data)
                sent += chunk
                since_meta += chunk
                if icy and since_meta == META_INTERVAL:
                    self.wfile.write(icy_block(TITLE))
                    since_meta = 0
                due = start + (sent - burst) / BYTES_PER_SECOND
                delay = due - time.monotonic()
                if delay > 0:
                    time.sleep(delay)
        except (BrokenPipeError, ConnectionResetError):
            pass


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


server = Server(("127.0.0.1", PORT), Handler)
with open(PORTFILE + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
os.rename(PORTFILE + ".tmp", PORTFILE)
server.serve_forever()
