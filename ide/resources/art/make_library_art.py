#!/usr/bin/env python3
"""Draws the two picture libraries the IDE ships, with nothing but the
standard library, so the art is ours and can be regenerated at will.

Writes, below data/images/ of the source tree:
  buttons/  button faces 120x44, released and pressed, in four colours
  icons/    48x48 icons with transparent surrounds: home, back, next,
            settings, alarm, ok, cancel, info

Run:  python3 ide/resources/art/make_library_art.py
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
IMAGES = os.path.normpath(os.path.join(HERE, "..", "..", "..", "data", "images"))


def write_png(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b, a); written as 8-bit RGBA."""
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for x in range(width):
            raw.extend(bytes(max(0, min(255, int(round(c)))) for c in pixel(x, y)))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def rounded_inside(x, y, w, h, r):
    """Coverage (0..1) of pixel (x, y) by a w x h rectangle with radius r."""
    cx = min(max(x + 0.5, r), w - r)
    cy = min(max(y + 0.5, r), h - r)
    d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
    return max(0.0, min(1.0, r - d + 0.5))


def button(colour, pressed):
    w, h, r = 120, 44, 10
    light = mix(colour, (255, 255, 255), 0.45)
    dark = mix(colour, (0, 0, 0), 0.35)

    def pixel(x, y):
        cover = rounded_inside(x, y, w, h, r)
        if cover <= 0:
            return (0, 0, 0, 0)
        t = y / (h - 1)
        top, bottom = (dark, colour) if pressed else (light, colour)
        c = mix(top, bottom, t)
        edge = min(x, y, w - 1 - x, h - 1 - y)
        if edge < 2:
            c = mix(c, dark, 0.6)
        return (*c, 255 * cover)

    return w, h, pixel


def icon(draw):
    size = 48

    def pixel(x, y):
        u, v = (x + 0.5) / size * 2 - 1, (y + 0.5) / size * 2 - 1
        return draw(u, v)

    return size, size, pixel


def disc(u, v, colour, inner=None):
    d = math.hypot(u, v)
    if d > 0.95:
        return (0, 0, 0, 0)
    a = 255 * min(1.0, (0.95 - d) * 24)
    if inner and inner(u, v):
        return (255, 255, 255, a)
    return (*colour, a)


def near_segment(u, v, a, b, width):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((u - ax) * dx + (v - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(u - ax - t * dx, v - ay - t * dy) < width


def polyline(points, width):
    return lambda u, v: any(near_segment(u, v, points[i], points[i + 1], width)
                            for i in range(len(points) - 1))


ICONS = {
    "home": ((52, 120, 200), lambda u, v: (abs(u) < 0.45 and -0.05 < v < 0.5 and not (abs(u) < 0.12 and v > 0.15))
             or (v < -0.05 and v > -0.5 + abs(u) * 1.0 and abs(u) < 0.6)),
    "back": ((90, 90, 90), polyline([(0.35, -0.45), (-0.25, 0.0), (0.35, 0.45)], 0.11)),
    "next": ((90, 90, 90), polyline([(-0.35, -0.45), (0.25, 0.0), (-0.35, 0.45)], 0.11)),
    "settings": ((120, 80, 160), lambda u, v: 0.22 < math.hypot(u, v) < 0.42 + 0.12 * (math.cos(8 * math.atan2(v, u)) > 0)),
    "alarm": ((220, 150, 20), lambda u, v: (abs(u) < 0.09 and -0.5 < v < 0.15) or math.hypot(u, v - 0.38) < 0.1),
    "ok": ((40, 160, 70), polyline([(-0.45, 0.0), (-0.12, 0.35), (0.45, -0.35)], 0.11)),
    "cancel": ((200, 50, 45), lambda u, v: near_segment(u, v, (-0.38, -0.38), (0.38, 0.38), 0.11)
              or near_segment(u, v, (-0.38, 0.38), (0.38, -0.38), 0.11)),
    "info": ((30, 140, 190), lambda u, v: (abs(u) < 0.09 and -0.1 < v < 0.5) or math.hypot(u, v + 0.35) < 0.11),
}

COLOURS = {"blue": (52, 120, 200), "green": (40, 150, 70), "red": (200, 50, 45), "grey": (120, 120, 120)}


def main():
    buttons = os.path.join(IMAGES, "buttons")
    icons = os.path.join(IMAGES, "icons")
    os.makedirs(buttons, exist_ok=True)
    os.makedirs(icons, exist_ok=True)
    for name, colour in COLOURS.items():
        for pressed, state in ((False, "up"), (True, "down")):
            w, h, pixel = button(colour, pressed)
            write_png(os.path.join(buttons, "%s_%s.png" % (name, state)), w, h, pixel)
    for name, (colour, inner) in ICONS.items():
        w, h, pixel = icon(lambda u, v, c=colour, f=inner: disc(u, v, c, f))
        write_png(os.path.join(icons, name + ".png"), w, h, pixel)


if __name__ == "__main__":
    main()
