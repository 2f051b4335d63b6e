#!/usr/bin/env python3
"""The site of the crawl benchmark, and a small server for it on 127.0.0.1.

generate DIR      writes 200 pages and 1000 pictures of 20 to 60 KB (JPEG, GIF, BMP, PNG) into
                  DIR, the same bytes on every run; --pictures N writes N pictures on N / 5
                  pages, --kilobytes MIN,MAX sets their sizes
serve DIR         serves DIR over HTTP/1.1 with keep-alive on 127.0.0.1; --latency MS delays
                  every answer, --port-file FILE receives the port once the server listens

Only the standard library is used, so the pictures are written by hand: PNG and BMP carry
random pixels, GIF uses a code width that never grows (a clear code every 250 pixels), and a
JPEG is a baseline grayscale frame whose quantised coefficients are drawn at random and coded
with a small Huffman table of its own.
"""

import argparse
import http.server
import os
import random
import socketserver
import struct
import sys
import time
import zlib

PAGES = 200
PICTURES = 1000
PER_PAGE = PICTURES // PAGES
FORMATS = ["jpg", "gif", "bmp", "png", "jpeg"]


def png(rng, size):
    width = 128
    height = max(1, size // (width * 3))
    raw = b"".join(b"\0" + rng.randbytes(width * 3) for _ in range(height))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 1)) + chunk(b"IEND", b""))


def bmp(rng, size):
    width = 128
    height = max(1, size // (width * 3))
    pixels = rng.randbytes(width * 3 * height)  # rows of 384 bytes need no padding
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835,
                       0, 0)
    return header + info + pixels


def gif(rng, size):
    width = 128
    # Nine bits a pixel, a clear code every 250 pixels, and the palette.
    height = max(1, (size - 1000) * 8 * 250 // (9 * 251 * width))
    out = bytearray(b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF7, 0, 0))
    out += rng.randbytes(256 * 3)
    out += b"," + struct.pack("<HHHHB", 0, 0, width, height, 0) + b"\x08"
    clear, end = 256, 257
    packed = bytearray()
    bits = count = 0

    def emit(code):
        nonlocal bits, count
        bits |= code << count
        count += 9
        while count >= 8:
            packed.append(bits & 0xFF)
            bits >>= 8
            count -= 8

    for index, value in enumerate(rng.randbytes(width * height)):
        if index % 250 == 0:
            emit(clear)
        emit(value)
    emit(end)
    if count:
        packed.append(bits & 0xFF)
    for at in range(0, len(packed), 255):
        block = packed[at:at + 255]
        out.append(len(block))
        out += block
    out += b"\0;"
    return bytes(out)


def pack_bits(text):
    """A text of 0 and 1 as bytes, padded with 1 bits, with every 0xFF stuffed."""
    text += "1" * (-len(text) % 8)
    return int(text, 2).to_bytes(len(text) // 8, "big").replace(b"\xFF", b"\xFF\x00")


# Five symbols per table: two codes of 2 bits and three of 3 (00 01 100 101 110), so that no
# code is all ones.
HUFFMAN_LENGTHS = bytes([0, 2, 3] + [0] * 13)
DC_SYMBOLS = bytes([0, 1, 2, 3, 4])       # size categories of the DC difference
AC_SYMBOLS = bytes([0x00, 0x01, 0x02, 0x03, 0x04])  # end of block; run 0 with sizes 1 to 4
CODES = [(0b00, 2), (0b01, 2), (0b100, 3), (0b101, 3), (0b110, 3)]


def jpeg(rng, size):
    # 63 coefficients per block of 5.25 bits on average: a code of 2.75, a value of 2.5.
    blocks = max(1, int((size - 1024) * 8 / (63 * 5.25)))
    width = 128
    block_rows = max(1, -(-blocks // (width // 8)))
    height = block_rows * 8

    def segment(marker, data):
        return b"\xFF" + bytes([marker]) + struct.pack(">H", len(data) + 2) + data

    quant = b"\x00" + bytes([1] * 64)
    frame = struct.pack(">BHHB", 8, height, width, 1) + b"\x01\x11\x00"
    tables = (b"\x00" + HUFFMAN_LENGTHS + DC_SYMBOLS + b"\x10" + HUFFMAN_LENGTHS + AC_SYMBOLS)
    scan = b"\x01\x01\x00\x00\x3F\x00"
    # Each random byte is one coefficient: its size from the low two bits, its value above.
    coefficient = ["".join(format(v, "0%db" % n) for v, n in (CODES[(b & 3) + 1],
                                                             (b >> 4 & ((1 << ((b & 3) + 1)) - 1),
                                                              (b & 3) + 1)))
                   for b in range(256)]
    dc = format(CODES[0][0], "0%db" % CODES[0][1])  # DC difference 0
    text = "".join(dc + "".join(coefficient[b] for b in rng.randbytes(63))
                   for _ in range(block_rows * (width // 8)))
    return (b"\xFF\xD8" + segment(0xE0, b"JFIF\0\x01\x01\0\0\x01\0\x01\0\0") +
            segment(0xDB, quant) + segment(0xC0, frame) + segment(0xC4, tables) +
            segment(0xDA, scan) + pack_bits(text) + b"\xFF\xD9")


ENCODERS = {"jpg": jpeg, "jpeg": jpeg, "gif": gif, "bmp": bmp, "png": png}


def picture_path(number):
    extension = FORMATS[number % len(FORMATS)]
    return f"img/set{number // 50:02d}/pic{number:04d}.{extension}"


def page_name(number):
    return "index.html" if number == 0 else f"page{number:03d}.html"


def generate(folder, pictures=PICTURES, kilobytes=(21, 59)):
    rng = random.Random(374)
    pages = pictures // PER_PAGE
    for number in range(pictures):
        path = os.path.join(folder, picture_path(number))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        size = rng.randint(kilobytes[0] * 1024, kilobytes[1] * 1024)
        with open(path, "wb") as file:
            file.write(ENCODERS[picture_path(number).rsplit(".", 1)[1]](rng, size))
    for number in range(pages):
        links = [n for n in (number + 1, 2 * number + 1, 2 * number + 2, 0) if n < pages]
        body = [f"<h1>Page {number}</h1>"]
        for index in range(number * PER_PAGE, (number + 1) * PER_PAGE):
            source = picture_path(index)
            if index % 2:
                body.append(f'<a href="{source}"><img src="{source}" width="64"></a>')
            else:
                body.append(f'<img src="{source}" alt="picture {index}">')
        body += [f'<a href="{page_name(n)}">page {n}</a>' for n in links]
        with open(os.path.join(folder, page_name(number)), "w", encoding="ascii") as file:
            file.write("<html><head><title>Gallery</title></head><body>\n" +
                       "\n".join(body) + "\n</body></html>\n")


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # Headers and body go out in separate writes; with Nagle's algorithm the body would wait
    # for the client's delayed acknowledgement, 40 ms on every request.
    disable_nagle_algorithm = True
    latency = 0.0

    def send_head(self):
        if self.latency:
            time.sleep(self.latency)
        return super().send_head()

    def log_message(self, *args):
        pass


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    request_queue_size = 128

    def handle_error(self, request, client_address):
        pass  # a client that hangs up early is no news here


def serve(folder, latency_ms, port_file):
    handler = type("SiteHandler", (Handler,), {"latency": latency_ms / 1000.0})
    os.chdir(folder)
    with Server(("127.0.0.1", 0), handler) as server:
        if port_file:
            with open(port_file + ".tmp", "w") as file:
                file.write(str(server.server_address[1]))
            os.replace(port_file + ".tmp", port_file)
        server.serve_forever()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command", required=True)
    generating = commands.add_parser("generate")
    generating.add_argument("folder")
    generating.add_argument("--pictures", type=int, default=PICTURES)
    generating.add_argument("--kilobytes", default="21,59")
    serving = commands.add_parser("serve")
    serving.add_argument("folder")
    serving.add_argument("--latency", type=float, default=0)
    serving.add_argument("--port-file")
    arguments = parser.parse_args()
    if arguments.command == "generate":
        low, high = (int(k) for k in arguments.kilobytes.split(","))
        generate(arguments.folder, arguments.pictures, (low, high))
    else:
        serve(arguments.folder, arguments.latency, arguments.port_file)
    return 0


if __name__ == "__main__":
    sys.exit(main())
