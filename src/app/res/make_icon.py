#!/usr/bin/env python3
"""Draws the program icon (a white V over a radar sweep on a dark-blue disc) as Velloran.ico.

Run it again after changing the drawing; the .ico is committed beside this script.
"""
import math
import struct


def pixel(size, x, y):
    """RGBA of one pixel of the icon of `size` x `size`."""
    c = (size - 1) / 2
    dx, dy = (x - c) / c, (y - c) / c
    r = math.hypot(dx, dy)
    if r > 1.0:
        return (0, 0, 0, 0)
    # Dark blue disc with a lighter radar wedge and ring.
    base = (24, 48, 96)
    angle = math.atan2(dy, dx)
    if -2.2 < angle < -1.2:
        base = (40, 110, 170)
    if 0.62 < r < 0.72:
        base = (70, 140, 200)
    # The V: two thick strokes from the top corners to the bottom centre.
    def near(x0, y0, x1, y1):
        px, py = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((dx - x0) * px + (dy - y0) * py) / (px * px + py * py)))
        return math.hypot(dx - (x0 + t * px), dy - (y0 + t * py))
    stroke = min(near(-0.55, -0.55, 0.0, 0.6), near(0.55, -0.55, 0.0, 0.6))
    if stroke < 0.13:
        base = (250, 250, 250)
    edge = min(1.0, (1.0 - r) * c)  # soft rim
    return base + (int(255 * edge),)


def bitmap(size):
    """The BITMAPINFOHEADER, the bottom-up BGRA pixels and the AND mask of one icon image."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b, a = pixel(size, x, y)
            rows.append(struct.pack('BBBB', b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    return header + b''.join(rows) + b'\0' * (mask_row * size)


def main():
    sizes = [16, 32, 48]
    images = [bitmap(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open('Velloran.ico', 'wb') as f:
        f.write(out + b''.join(images))


if __name__ == '__main__':
    main()
