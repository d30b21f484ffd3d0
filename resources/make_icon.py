#!/usr/bin/env python3
"""Draws Vandrel's application icon, a yellow folder with a blue star on it,
into resources/vandrel.ico: 16, 24, 32 and 48 pixels as 32-bit bitmaps, and
256 pixels as PNG. Pure Python, deterministic; run it again after a change."""
import math
import os
import struct
import zlib

SIZES = (16, 24, 32, 48, 256)


def rounded_rect(x, y, x0, y0, x1, y1, r):
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and x0 <= x <= x1 and y0 <= y <= y1


def star(x, y, cx, cy, outer, inner):
    dx, dy = x - cx, y - cy
    if dx * dx + dy * dy > outer * outer:
        return False
    # Fold the angle into one of the five arms; the arm's edge runs straight
    # from a tip (angle 0 or 2*half) to the notch between two tips (angle half).
    angle = math.atan2(dx, -dy) % (2 * math.pi / 5)
    half = math.pi / 5
    tip = (0.0, outer)
    notch = (half, inner)
    a0, r0 = tip if angle < half else (2 * half, outer)
    a1, r1 = notch
    p0 = (r0 * math.sin(a0), r0 * math.cos(a0))
    p1 = (r1 * math.sin(a1), r1 * math.cos(a1))
    # Ray from centre at `angle`; intersect with the segment p0-p1.
    ux, uy = math.sin(angle), math.cos(angle)
    ex, ey = p1[0] - p0[0], p1[1] - p0[1]
    den = ux * ey - uy * ex
    if abs(den) < 1e-12:
        return True
    s = (p0[0] * ey - p0[1] * ex) / den
    return math.hypot(dx, dy) <= s


def colour_at(x, y):
    """RGBA of the picture at a point of the unit square (y grows downwards)."""
    star_c = (0.63, 0.60)
    if star(x, y, star_c[0], star_c[1], 0.30, 0.13):
        edge = star(x, y, star_c[0], star_c[1], 0.245, 0.105)
        return (255, 255, 255, 255) if not edge else (40, 110, 215, 255)
    if rounded_rect(x, y, 0.06, 0.30, 0.94, 0.88, 0.06):
        shade = 0.92 + 0.08 * (1 - y)
        return (int(250 * shade), int(196 * shade), int(60 * shade), 255)
    if rounded_rect(x, y, 0.06, 0.16, 0.46, 0.36, 0.05):
        return (226, 160, 40, 255)
    return (0, 0, 0, 0)


def render(size, samples=4, shape=None):
    """Rows of RGBA pixels of `shape` (a function of the unit square), each
    pixel averaged over samples x samples points."""
    shape = shape or colour_at
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    c = shape((px + (sx + 0.5) / samples) / size, (py + (sy + 0.5) / samples) / size)
                    a = c[3]
                    acc[0] += c[0] * a
                    acc[1] += c[1] * a
                    acc[2] += c[2] * a
                    acc[3] += a
            n = samples * samples
            alpha = acc[3] / n
            rgb = [int(round(acc[i] / acc[3])) if acc[3] else 0 for i in range(3)]
            row.append((rgb[0], rgb[1], rgb[2], int(round(alpha))))
        rows.append(row)
    return rows


def bmp_entry(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def png_entry(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    images = []
    for size in SIZES:
        rows = render(size, samples=4 if size <= 48 else 2)
        images.append((size, png_entry(rows) if size == 256 else bmp_entry(rows)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size == 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "vandrel.ico")
    with open(path, "wb") as fh:
        fh.write(out)
    print(f"{path}: {len(out)} bytes")


if __name__ == "__main__":
    main()
