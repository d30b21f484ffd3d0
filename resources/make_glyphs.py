#!/usr/bin/env python3
"""Draws the small glyphs of the main window's buttons and menus into
resources/glyph_*.ico (16, 20, 24 and 32 pixels): up, refresh, remove, open,
save, grid. Uses the rasteriser of make_icon.py; run it again after a change."""
import math
import os
import struct

from make_icon import bmp_entry, render

SIZES = (16, 20, 24, 32)
BLUE = (40, 110, 215, 255)
GREEN = (40, 150, 70, 255)
RED = (210, 50, 50, 255)
YELLOW = (235, 180, 50, 255)
DARK_YELLOW = (200, 140, 30, 255)
NAVY = (50, 80, 150, 255)
WHITE = (255, 255, 255, 255)
CLEAR = (0, 0, 0, 0)


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def in_triangle(x, y, a, b, c):
    def side(p, q, r):
        return (p[0] - r[0]) * (q[1] - r[1]) - (q[0] - r[0]) * (p[1] - r[1])
    d1, d2, d3 = side((x, y), a, b), side((x, y), b, c), side((x, y), c, a)
    neg = d1 < 0 or d2 < 0 or d3 < 0
    pos = d1 > 0 or d2 > 0 or d3 > 0
    return not (neg and pos)


def up(x, y):
    if in_triangle(x, y, (0.5, 0.08), (0.12, 0.5), (0.88, 0.5)):
        return BLUE
    if 0.36 <= x <= 0.64 and 0.45 <= y <= 0.92:
        return BLUE
    return CLEAR


def refresh(x, y):
    r = math.hypot(x - 0.5, y - 0.5)
    angle = math.degrees(math.atan2(y - 0.5, x - 0.5)) % 360
    if 0.24 <= r <= 0.38 and not (300 <= angle <= 360):
        return GREEN
    if in_triangle(x, y, (0.62, 0.30), (0.98, 0.30), (0.80, 0.58)):
        return GREEN
    return CLEAR


def remove(x, y):
    if seg_dist(x, y, 0.2, 0.2, 0.8, 0.8) <= 0.11 or seg_dist(x, y, 0.8, 0.2, 0.2, 0.8) <= 0.11:
        return RED
    return CLEAR


def open_folder(x, y):
    if in_triangle(x, y, (0.22, 0.45), (0.98, 0.45), (0.80, 0.88)) or in_triangle(x, y, (0.22, 0.45), (0.80, 0.88), (0.04, 0.88)):
        return YELLOW
    if 0.04 <= x <= 0.80 and 0.25 <= y <= 0.88:
        return DARK_YELLOW if not (0.04 <= x <= 0.40 and y < 0.25) else DARK_YELLOW
    if 0.04 <= x <= 0.40 and 0.15 <= y <= 0.25:
        return DARK_YELLOW
    return CLEAR


def save(x, y):
    if not (0.08 <= x <= 0.92 and 0.08 <= y <= 0.92):
        return CLEAR
    if 0.26 <= x <= 0.70 and 0.08 <= y <= 0.38:
        return WHITE if x < 0.58 else NAVY
    if 0.22 <= x <= 0.78 and 0.56 <= y <= 0.92:
        return WHITE
    return NAVY


def grid(x, y):
    # Nine small tiles, three by three: every icon of a file at a glance.
    for cx in (0.08, 0.39, 0.70):
        for cy in (0.08, 0.39, 0.70):
            if cx <= x <= cx + 0.24 and cy <= y <= cy + 0.24:
                return BLUE if (cx, cy) != (0.39, 0.39) else YELLOW
    return CLEAR


GLYPHS = {"up": up, "refresh": refresh, "remove": remove, "open": open_folder, "save": save, "grid": grid}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, shape in GLYPHS.items():
        images = [bmp_entry(render(size, shape=shape)) for size in SIZES]
        out = struct.pack("<HHH", 0, 1, len(images))
        offset = 6 + 16 * len(images)
        for size, data in zip(SIZES, images):
            out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
            offset += len(data)
        out += b"".join(images)
        with open(os.path.join(here, f"glyph_{name}.ico"), "wb") as fh:
            fh.write(out)
    print("glyphs written")


if __name__ == "__main__":
    main()
