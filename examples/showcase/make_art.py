#!/usr/bin/env python3
"""Draws the showcase's pictures and sound with nothing but the standard
library, so the art is ours and can be regenerated at will.

Writes, into art/ beside this script:
  background.png   800x480 gradient with a grid (screen background)
  badge.png        96x96 round badge with a transparent surround (RGBA)
  btn_up.png       160x56 button face, released
  btn_down.png     160x56 button face, pressed
  spinner.gif      64x64 animated GIF, 8 frames
  landscape.jpg    160x120 baseline JPEG (a small scene)
  beep.wav         0.3 s 880 Hz tone, 16-bit mono, 16 kHz

Run:  python3 examples/showcase/make_art.py
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ART = os.path.join(HERE, "art")


def write_png(path, width, height, pixel, alpha):
    """pixel(x, y) -> (r, g, b[, a]); alpha selects RGBA (6) or RGB (2)."""
    raw = bytearray()
    for y in range(height):
        raw.append(0)  # filter: none
        for x in range(width):
            p = pixel(x, y)
            raw.extend(p[:4] if alpha else p[:3])

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    colour_type = 6 if alpha else 2
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def lzw_gif(indices, min_code_size):
    """GIF LZW without a dictionary: literal codes only, with a clear code
    before the code width would grow. Larger than real LZW, always valid."""
    clear = 1 << min_code_size
    end = clear + 1
    width = min_code_size + 1
    # After a clear the decoder adds one entry per code from the second on;
    # the width grows when the next free entry reaches 1 << width.
    room = (1 << width) - (clear + 2)
    codes = []
    run = 0
    for i in indices:
        if run == 0:
            codes.append(clear)
        codes.append(i)
        run += 1
        if run >= room:
            run = 0
    codes.append(end)
    out = bytearray()
    acc = 0
    bits = 0
    for c in codes:
        acc |= c << bits
        bits += width
        while bits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            bits -= 8
    if bits:
        out.append(acc & 0xFF)
    blocks = bytearray()
    for i in range(0, len(out), 255):
        part = out[i:i + 255]
        blocks.append(len(part))
        blocks.extend(part)
    blocks.append(0)
    return bytes(blocks)


def write_gif(path, width, height, palette, frames, delay_cs):
    """palette: list of (r, g, b), at most 128; frames: lists of indices."""
    size_bits = 7  # 128-entry table
    table = list(palette) + [(0, 0, 0)] * ((1 << size_bits) - len(palette))
    gif = bytearray(b"GIF89a")
    gif += struct.pack("<HHBBB", width, height, 0x80 | (size_bits - 1), 0, 0)
    for r, g, b in table:
        gif += bytes((r, g, b))
    # loop forever
    gif += b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"
    for frame in frames:
        gif += b"\x21\xf9\x04" + struct.pack("<BHBB", 0, delay_cs, 0, 0)
        gif += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
        gif += bytes((size_bits,))
        gif += lzw_gif(frame, size_bits)
    gif += b"\x3b"
    with open(path, "wb") as f:
        f.write(gif)


def write_wav(path, rate, samples):
    data = b"".join(struct.pack("<h", s) for s in samples)
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16)
    header += b"data" + struct.pack("<I", len(data))
    with open(path, "wb") as f:
        f.write(header + data)


# Baseline JPEG: sequential DCT, 4:4:4 YCbCr, the example quantisation
# tables. The Huffman tables are flat (every DC class a 4-bit code, every AC
# symbol an 8-bit code): valid for any decoder, only less compact than tuned
# tables, and nothing to copy from elsewhere.
ZIGZAG = [0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5, 12, 19, 26, 33, 40, 48,
          41, 34, 27, 20, 13, 6, 7, 14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22,
          15, 23, 30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55,
          62, 63]
Q_LUMA = [16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55, 14, 13, 16, 24, 40,
          57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62, 18, 22, 37, 56, 68, 109, 103, 77, 24,
          35, 55, 64, 81, 104, 113, 92, 49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98,
          112, 100, 103, 99]
Q_CHROMA = [17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99,
            99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99] + [99] * 32
DC_SYMBOLS = list(range(12))
AC_SYMBOLS = [0x00, 0xF0] + [(run << 4) | size for run in range(16) for size in range(1, 11)]


def flat_table(symbols, length):
    counts = [0] * 16
    counts[length - 1] = len(symbols)
    codes = {sym: (i, length) for i, sym in enumerate(symbols)}
    return counts, codes


class BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.bits = 0

    def put(self, value, length):
        for i in range(length - 1, -1, -1):
            self.acc = (self.acc << 1) | ((value >> i) & 1)
            self.bits += 1
            if self.bits == 8:
                self.out.append(self.acc)
                if self.acc == 0xFF:
                    self.out.append(0)  # byte stuffing
                self.acc = 0
                self.bits = 0

    def flush(self):
        while self.bits:
            self.put(1, 1)  # pad with ones


COS = [[math.cos((2 * x + 1) * u * math.pi / 16) for x in range(8)] for u in range(8)]


def fdct(block):
    rows = [[sum(block[y * 8 + x] * COS[u][x] for x in range(8)) for u in range(8)]
            for y in range(8)]
    out = [0.0] * 64
    for v in range(8):
        cv = math.sqrt(0.5) if v == 0 else 1.0
        for u in range(8):
            cu = math.sqrt(0.5) if u == 0 else 1.0
            out[v * 8 + u] = 0.25 * cu * cv * sum(rows[y][u] * COS[v][y] for y in range(8))
    return out


def magnitude(value):
    size = abs(value).bit_length()
    bits = value if value >= 0 else value + (1 << size) - 1
    return size, bits


def write_jpeg(path, width, height, pixel):
    """width and height are multiples of 8."""
    dc_counts, dc_codes = flat_table(DC_SYMBOLS, 4)
    ac_counts, ac_codes = flat_table(AC_SYMBOLS, 8)
    planes = ([], [], [])
    for y in range(height):
        for x in range(width):
            r, g, b = pixel(x, y)[:3]
            planes[0].append(0.299 * r + 0.587 * g + 0.114 * b - 128)
            planes[1].append(-0.168736 * r - 0.331264 * g + 0.5 * b)
            planes[2].append(0.5 * r - 0.418688 * g - 0.081312 * b)
    tables = (Q_LUMA, Q_CHROMA, Q_CHROMA)
    writer = BitWriter()
    previous = [0, 0, 0]
    for by in range(0, height, 8):
        for bx in range(0, width, 8):
            for c in range(3):
                block = [planes[c][(by + y) * width + bx + x] for y in range(8) for x in range(8)]
                coef = fdct(block)
                q = [int(round(coef[i] / tables[c][i])) for i in range(64)]
                zz = [q[ZIGZAG[i]] for i in range(64)]
                diff = zz[0] - previous[c]
                previous[c] = zz[0]
                size, bits = magnitude(diff)
                writer.put(*dc_codes[size])
                writer.put(bits, size)
                run = 0
                for value in zz[1:]:
                    if value == 0:
                        run += 1
                        continue
                    while run > 15:
                        writer.put(*ac_codes[0xF0])
                        run -= 16
                    size, bits = magnitude(value)
                    writer.put(*ac_codes[(run << 4) | size])
                    writer.put(bits, size)
                    run = 0
                if run:
                    writer.put(*ac_codes[0x00])
    writer.flush()

    def segment(marker, data):
        return struct.pack(">BBH", 0xFF, marker, len(data) + 2) + data

    jpeg = b"\xff\xd8"
    jpeg += segment(0xE0, b"JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00")
    for index, table in enumerate((Q_LUMA, Q_CHROMA)):
        jpeg += segment(0xDB, bytes([index]) + bytes(table[ZIGZAG[i]] for i in range(64)))
    jpeg += segment(0xC0, struct.pack(">BHHB", 8, height, width, 3) +
                    bytes([1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1]))
    for cls_id, counts, symbols in ((0x00, dc_counts, DC_SYMBOLS), (0x10, ac_counts, AC_SYMBOLS),
                                    (0x01, dc_counts, DC_SYMBOLS), (0x11, ac_counts, AC_SYMBOLS)):
        jpeg += segment(0xC4, bytes([cls_id]) + bytes(counts) + bytes(symbols))
    jpeg += segment(0xDA, bytes([3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0]))
    jpeg += bytes(writer.out) + b"\xff\xd9"
    with open(path, "wb") as f:
        f.write(jpeg)


def landscape(x, y):
    """A small scene: sky, sun, two hills and a lake."""
    if math.hypot(x - 118, y - 30) < 14:
        return (255, 220, 90)
    hill1 = 70 + 18 * math.sin(x / 22)
    hill2 = 82 + 10 * math.sin(x / 13 + 1)
    if y > 100:
        return (40, 90 + (y - 100) * 2, 160)
    if y > hill2:
        return (50, 120, 50)
    if y > hill1:
        return (90, 150, 80)
    t = y / 100
    return (int(120 + 100 * t), int(170 + 60 * t), 240)


def background(x, y):
    r = 16 + (y * 40) // 480
    g = 32 + (x * 48) // 800
    b = 72 + (y * 72) // 480
    if x % 40 == 0 or y % 40 == 0:
        r, g, b = r + 18, g + 18, b + 24
    return (r, g, b)


def badge(x, y):
    cx = cy = 47.5
    d = math.hypot(x - cx, y - cy)
    if d > 46:
        return (0, 0, 0, 0)
    if d > 40:
        return (250, 200, 40, 255)
    # a white star-like cross on orange
    if abs(x - cx) < 8 or abs(y - cy) < 8:
        return (255, 255, 255, 255)
    return (230, 100, 30, 255)


def face(top, bottom, edge):
    def pixel(x, y):
        if x < 2 or y < 2 or x >= 158 or y >= 54:
            return edge
        t = y / 55
        return tuple(int(top[i] * (1 - t) + bottom[i] * t) for i in range(3))
    return pixel


def spinner_frames(n, size):
    frames = []
    c = (size - 1) / 2
    for k in range(n):
        lit = k
        frame = []
        for y in range(size):
            for x in range(size):
                d = math.hypot(x - c, y - c)
                if 18 <= d <= 30:
                    a = (math.atan2(y - c, x - c) + math.pi) / (2 * math.pi)
                    seg = int(a * n) % n
                    # the lit segment is brightest, its trail fades
                    frame.append(1 + (seg - lit) % n)
                else:
                    frame.append(0)
        frames.append(frame)
    return frames


def main():
    os.makedirs(ART, exist_ok=True)
    write_png(os.path.join(ART, "background.png"), 800, 480, background, False)
    write_png(os.path.join(ART, "badge.png"), 96, 96, badge, True)
    write_png(os.path.join(ART, "btn_up.png"), 160, 56,
              face((90, 140, 220), (40, 70, 150), (200, 220, 255)), False)
    write_png(os.path.join(ART, "btn_down.png"), 160, 56,
              face((30, 50, 110), (70, 110, 190), (255, 230, 120)), False)
    n = 8
    palette = [(24, 36, 64)] + [(40 + 200 * (n - i) // n, 80 + 150 * (n - i) // n, 60)
                                for i in range(n)]
    write_gif(os.path.join(ART, "spinner.gif"), 64, 64, palette, spinner_frames(n, 64), 10)
    write_jpeg(os.path.join(ART, "landscape.jpg"), 160, 120, landscape)
    rate = 16000
    samples = []
    for i in range(int(rate * 0.3)):
        fade = min(1.0, i / 400, (rate * 0.3 - i) / 400)
        samples.append(int(12000 * fade * math.sin(2 * math.pi * 880 * i / rate)))
    write_wav(os.path.join(ART, "beep.wav"), rate, samples)


if __name__ == "__main__":
    main()
