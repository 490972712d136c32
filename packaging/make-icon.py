#!/usr/bin/env python3
"""Draws the program's icon: a delimited text page, a green arrow and a blue
database, in the flat, outlined style of the window's button pictures.

Writes packaging/icons/importarcot.svg and packaging/icons/<size>/importarcot.png.
The results are kept in the repository; run this again only after changing the
drawing. Plain Python: the shapes are filled polygons, rasterised with 4 x 4
samples per pixel, so the PNGs need no image library.

Usage: packaging/make-icon.py
"""
import math
import os
import struct
import zlib

GRID = 48  # the drawing's own units; every size is a scale of this square
SIZES = (16, 32, 48, 64, 128, 256)
SAMPLES = 4

# Colours of the button pictures.
OUTLINE = "#505050"
PAGE = "#FFFFFF"
RULE = "#A0A0A0"
ARROW = "#2FA84F"
ARROW_DARK = "#17672C"
DB = "#3C78C8"
DB_TOP = "#9CC3F0"
DB_DARK = "#1E3F75"


def offset(polygon, distance):
    """The polygon moved inwards by distance (clockwise on screen, y down), corners
    mitred: the inner face of an outline of that width."""
    lines = []
    count = len(polygon)
    for i in range(count):
        (x0, y0), (x1, y1) = polygon[i], polygon[(i + 1) % count]
        length = math.hypot(x1 - x0, y1 - y0)
        # The inward normal of a clockwise edge with y pointing down.
        nx, ny = -(y1 - y0) / length, (x1 - x0) / length
        lines.append(((x0 + nx * distance, y0 + ny * distance), (x1 - x0, y1 - y0)))
    points = []
    for i in range(count):
        (px, py), (dx, dy) = lines[i - 1]
        (qx, qy), (ex, ey) = lines[i]
        cross = dx * ey - dy * ex
        if abs(cross) < 1e-9:
            points.append((qx, qy))
            continue
        t = ((qx - px) * ey - (qy - py) * ex) / cross
        points.append((px + dx * t, py + dy * t))
    return points


def outlined(polygon, fill, line, width=1.5):
    return [(line, polygon), (fill, offset(polygon, width))]


def arc(cx, cy, rx, ry, start, end, steps):
    """Points of an ellipse from angle start to end (degrees, y down)."""
    return [
        (cx + rx * math.cos(math.radians(start + (end - start) * i / steps)),
         cy + ry * math.sin(math.radians(start + (end - start) * i / steps)))
        for i in range(steps + 1)
    ]


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def shapes():
    drawn = []
    # The data file: a page with a folded corner and three columns of fields.
    drawn += outlined([(4, 3), (22, 3), (30, 11), (30, 41), (4, 41)], PAGE, OUTLINE)
    drawn += outlined([(22, 3), (30, 11), (22, 11)], RULE, OUTLINE, 1.2)
    for row, y in enumerate((15, 20, 25, 30, 35)):
        columns = ((8, 13), (15, 20), (22, 26)) if row else ((8, 13), (15, 19))
        for x0, x1 in columns:
            drawn.append((RULE, rect(x0, y, x1, y + 2)))
    # The company database: a cylinder whose top the arrow reaches.
    cx, top, bottom, rx, ry = 36, 28, 41, 10, 3.5
    # Clockwise: over the top, down the right side, back along the bottom.
    body = (
        arc(cx, top, rx, ry, 180, 360, 24)
        + [(cx + rx, bottom)]
        + arc(cx, bottom, rx, ry, 0, 180, 24)[1:-1]
        + [(cx - rx, bottom)]
    )
    drawn += outlined(body, DB, DB_DARK)
    # A band round the middle, as on the button picture.
    middle = (top + bottom) / 2 + 0.5
    band = arc(cx, middle, rx - 1.5, ry, 0, 180, 24) + arc(cx, middle + 1.3, rx - 1.5, ry, 180, 0, 24)
    drawn.append((DB_DARK, band))
    drawn += outlined(arc(cx, top, rx, ry, 180, 540, 48)[:-1], DB_TOP, DB_DARK, 1.3)
    # The arrow from the page down into the database.
    drawn += outlined(
        [(18, 7), (38.5, 7), (38.5, 16), (44, 16), (36, 25), (28, 16), (33.5, 16), (33.5, 12), (18, 12)],
        ARROW,
        ARROW_DARK,
        1.4,
    )
    return drawn


def colour(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


def rasterise(drawn, size):
    """RGBA rows of the picture at size x size pixels."""
    palette = [None] + [colour(fill) for fill, _ in drawn]
    side = size * SAMPLES
    scale = side / GRID
    samples = [bytearray(side) for _ in range(side)]
    for index, (_, polygon) in enumerate(drawn, start=1):
        points = [(x * scale, y * scale) for x, y in polygon]
        ys = [y for _, y in points]
        first = max(0, int(math.floor(min(ys))))
        last = min(side - 1, int(math.ceil(max(ys))))
        for row in range(first, last + 1):
            y = row + 0.5
            crossings = []
            for i in range(len(points)):
                (x0, y0), (x1, y1) = points[i - 1], points[i]
                if (y0 <= y) != (y1 <= y):
                    crossings.append(x0 + (y - y0) * (x1 - x0) / (y1 - y0))
            crossings.sort()
            for a, b in zip(crossings[0::2], crossings[1::2]):
                start = max(0, int(math.ceil(a - 0.5)))
                end = min(side, int(math.ceil(b - 0.5)))
                if end > start:
                    samples[row][start:end] = bytes([index]) * (end - start)
    rows = []
    per_pixel = SAMPLES * SAMPLES
    for py in range(size):
        row = bytearray()
        block = samples[py * SAMPLES:(py + 1) * SAMPLES]
        for px in range(size):
            r = g = b = covered = 0
            for line in block:
                for index in line[px * SAMPLES:(px + 1) * SAMPLES]:
                    if index:
                        cr, cg, cb = palette[index]
                        r += cr
                        g += cg
                        b += cb
                        covered += 1
            if covered:
                row += bytes((round(r / covered), round(g / covered), round(b / covered),
                              round(255 * covered / per_pixel)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def png(rows, size):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def svg(drawn):
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{GRID}" height="{GRID}" viewBox="0 0 {GRID} {GRID}">',
    ]
    for fill, polygon in drawn:
        points = " ".join(f"{x:.2f},{y:.2f}".replace(".00", "") for x, y in polygon)
        lines.append(f'  <polygon fill="{fill}" points="{points}"/>')
    lines.append("</svg>")
    return "\n".join(lines) + "\n"


def main():
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "icons")
    drawn = shapes()
    os.makedirs(here, exist_ok=True)
    with open(os.path.join(here, "importarcot.svg"), "w", encoding="utf-8") as out:
        out.write(svg(drawn))
    for size in SIZES:
        folder = os.path.join(here, f"{size}x{size}")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "importarcot.png"), "wb") as out:
            out.write(png(rasterise(drawn, size), size))


if __name__ == "__main__":
    main()
