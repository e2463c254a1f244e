#!/usr/bin/env python3
"""An icecast source client for streams ffmpeg cannot send itself.

  icesource.py adts-crc HOST PORT MOUNT PASSWORD < frames.aac
  icesource.py ogg HOST PORT MOUNT PASSWORD TITLES_LOG < chained.ogg

adts-crc: reads ADTS frames without CRC (ffmpeg's adts muxer writes none)
as they come, gives each a CRC-16 (the 9-byte header form) and sends it at
once, so the pace is the writer's (ffmpeg -re); content type audio/aac.

ogg: sends a chained Ogg Vorbis or Opus file (links with a title comment
each) at its real pace after a burst of two seconds, content type
application/ogg. When the first audio page of a link goes out it appends
"SECONDS-SINCE-1970<TAB>TITLE" to TITLES_LOG.
"""
import base64
import socket
import struct
import sys
import time


def crc16(data, crc=0xFFFF):
    for byte in data:
        crc ^= byte << 8
        for _ in range(8):
            crc = ((crc << 1) ^ 0x8005 if crc & 0x8000 else crc << 1) & 0xFFFF
    return crc


def with_crc(frame):
    """The frame with protection_absent cleared, its length grown by two
    and the CRC of the header and the first 192 bits of its data behind
    the header."""
    header = bytearray(frame[:7])
    length = len(frame) + 2
    header[1] &= 0xFE
    header[3] = (header[3] & 0xFC) | (length >> 11)
    header[4] = (length >> 3) & 0xFF
    header[5] = ((length & 7) << 5) | (header[5] & 0x1F)
    body = frame[7:]
    crc = crc16(bytes(header) + body[:24])
    return bytes(header) + bytes([crc >> 8, crc & 0xFF]) + body


def adts_frames(stream):
    buf = b""
    while True:
        chunk = stream.read1(65536)
        if not chunk:
            return
        buf += chunk
        while len(buf) >= 7:
            if buf[0] != 0xFF or buf[1] & 0xF6 != 0xF0:
                sys.exit("not an ADTS stream")
            if not buf[1] & 1:
                sys.exit("the frames carry a CRC already")
            size = ((buf[3] & 3) << 11) | (buf[4] << 3) | (buf[5] >> 5)
            if len(buf) < size:
                break
            yield buf[:size]
            buf = buf[size:]


def ogg_pages(data):
    """(page bytes, is BOS, granule position, first packet bytes) of each page."""
    pos = 0
    while pos + 27 <= len(data):
        if data[pos:pos + 4] != b"OggS":
            sys.exit("not an Ogg stream at byte %d" % pos)
        flags = data[pos + 5]
        granule = struct.unpack_from("<q", data, pos + 6)[0]
        count = data[pos + 26]
        lacing = data[pos + 27:pos + 27 + count]
        start = pos + 27 + count
        end = start + sum(lacing)
        first = 0
        for lace in lacing:
            first += lace
            if lace < 255:
                break
        yield data[pos:end], bool(flags & 2), granule, data[start:start + first]
        pos = end


def comment_title(packet):
    """The title comment of a Vorbis comment or OpusTags packet."""
    body = packet[7:] if packet.startswith(b"\x03vorbis") else packet[8:]
    n = struct.unpack_from("<I", body, 0)[0]
    at = 4 + n
    for _ in range(struct.unpack_from("<I", body, at)[0]):
        size = struct.unpack_from("<I", body, at + 4)[0]
        text = body[at + 8:at + 8 + size].decode("utf-8", "replace")
        at += 4 + size
        if text.lower().startswith("title="):
            return text[6:]
    return ""


def send_ogg(sock, data, log):
    start = time.monotonic()
    base = 0.0        # seconds of the links before this one
    rate = 48000
    link_seconds = 0.0
    title = None
    announced = True
    for page, bos, granule, packet in ogg_pages(data):
        if bos:
            base += link_seconds
            link_seconds = 0.0
            if packet.startswith(b"\x01vorbis"):
                rate = struct.unpack_from("<I", packet, 12)[0]
            else:
                rate = 48000
            announced = False
            title = None
        elif title is None and (packet.startswith(b"\x03vorbis") or packet.startswith(b"OpusTags")):
            title = comment_title(packet)
        elif granule > 0 and not announced and title is not None:
            announced = True
            with open(log, "a") as f:
                f.write("%d\t%s\n" % (int(time.time()), title))
        if granule > 0:
            link_seconds = granule / rate
            delay = start + base + link_seconds - 2.0 - time.monotonic()
            if delay > 0:
                time.sleep(delay)
        sock.sendall(page)


def main():
    mode, host, port, mount, password = sys.argv[1:6]
    kind = "audio/aac" if mode == "adts-crc" else "application/ogg"
    sock = socket.create_connection((host, int(port)))
    auth = base64.b64encode(("source:" + password).encode()).decode()
    sock.sendall(("PUT %s HTTP/1.1\r\nHost: %s:%s\r\nAuthorization: Basic %s\r\n"
                  "Content-Type: %s\r\nIce-Name: Skywell Test Radio\r\nIce-Public: 0\r\n"
                  "Expect: 100-continue\r\n\r\n" % (mount, host, port, auth, kind)).encode())
    answer = sock.recv(4096).decode("latin-1")
    if not answer.startswith(("HTTP/1.1 100", "HTTP/1.0 200", "HTTP/1.1 200")):
        sys.exit("icecast refused the source: " + (answer.splitlines()[0] if answer else "no answer"))
    if mode == "adts-crc":
        for frame in adts_frames(sys.stdin.buffer):
            sock.sendall(with_crc(frame))
    else:
        send_ogg(sock, sys.stdin.buffer.read(), sys.argv[6])


if __name__ == "__main__":
    main()
