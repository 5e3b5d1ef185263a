#!/usr/bin/env python3
"""Draws the program's icons and writes them as Windows .ico files (32-bit images with alpha).

Usage: draw-icons.py OUTPUT_FOLDER
Each icon is a list of shapes on a unit square, painted in order and sampled 4 x 4 per pixel.
"""
import math
import os
import struct
import sys

SUBSAMPLES = 4


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def polyline(points, width):
    half = width / 2

    def near_segment(x, y, a, b):
        ax, ay = a
        bx, by = b
        dx, dy = bx - ax, by - ay
        t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)
        t = min(max(t, 0.0), 1.0)
        return (x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2 <= half * half

    segments = list(zip(points, points[1:]))
    return lambda x, y: any(near_segment(x, y, a, b) for a, b in segments)


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def sine_wave(x0, x1, cy, amplitude, cycles, width):
    steps = 40
    points = [(x0 + (x1 - x0) * i / steps,
               cy - amplitude * math.sin(2 * math.pi * cycles * i / steps)) for i in range(steps + 1)]
    return polyline(points, width)


# Colours as (r, g, b, a).
INK = (38, 50, 56, 255)
CASE = (55, 96, 128, 255)
CASE_LIGHT = (84, 138, 176, 255)
SCREEN = (224, 242, 233, 255)
WAVE = (214, 72, 38, 255)
LED = (76, 196, 80, 255)
GREEN = (46, 160, 67, 255)
RED = (205, 45, 45, 255)
BLUE = (33, 118, 200, 255)
STEEL = (120, 132, 140, 255)
FOLDER = (236, 184, 62, 255)
FOLDER_DARK = (196, 140, 30, 255)
WHITE = (255, 255, 255, 255)


def program_icon():
    return [
        (INK, rounded_rect(0.06, 0.10, 0.94, 0.90, 0.14)),
        (CASE, rounded_rect(0.09, 0.13, 0.91, 0.87, 0.11)),
        (CASE_LIGHT, rounded_rect(0.12, 0.16, 0.88, 0.30, 0.06)),
        (INK, rounded_rect(0.16, 0.33, 0.84, 0.72, 0.05)),
        (SCREEN, rounded_rect(0.18, 0.35, 0.82, 0.70, 0.04)),
        (WAVE, sine_wave(0.21, 0.79, 0.525, 0.12, 2, 0.06)),
        (INK, circle(0.24, 0.795, 0.055)),
        (LED, circle(0.24, 0.795, 0.04)),
        (INK, rounded_rect(0.40, 0.77, 0.84, 0.82, 0.025)),
    ]


def parameters_icon():
    shapes = []
    for y, knob in ((0.24, 0.68), (0.50, 0.32), (0.76, 0.56)):
        shapes.append((STEEL, polyline([(0.12, y), (0.88, y)], 0.08)))
        shapes.append((INK, circle(knob, y, 0.13)))
        shapes.append((BLUE, circle(knob, y, 0.10)))
    return shapes


def download_icon():
    return [
        (INK, polyline([(0.10, 0.58), (0.10, 0.90), (0.90, 0.90), (0.90, 0.58)], 0.12)),
        (STEEL, polyline([(0.10, 0.58), (0.10, 0.90), (0.90, 0.90), (0.90, 0.58)], 0.07)),
        (INK, polygon([(0.36, 0.06), (0.64, 0.06), (0.64, 0.40), (0.80, 0.40),
                       (0.50, 0.76), (0.20, 0.40), (0.36, 0.40)])),
        (GREEN, polygon([(0.40, 0.10), (0.60, 0.10), (0.60, 0.44), (0.71, 0.44),
                         (0.50, 0.70), (0.29, 0.44), (0.40, 0.44)])),
    ]


def ok_icon():
    tick = [(0.14, 0.54), (0.40, 0.80), (0.88, 0.22)]
    return [(INK, polyline(tick, 0.22)), (GREEN, polyline(tick, 0.15))]


def cancel_icon():
    return [
        (INK, polyline([(0.18, 0.18), (0.82, 0.82)], 0.22)),
        (INK, polyline([(0.82, 0.18), (0.18, 0.82)], 0.22)),
        (RED, polyline([(0.18, 0.18), (0.82, 0.82)], 0.15)),
        (RED, polyline([(0.82, 0.18), (0.18, 0.82)], 0.15)),
    ]


def browse_icon():
    return [
        (INK, rounded_rect(0.06, 0.16, 0.50, 0.40, 0.06)),
        (FOLDER_DARK, rounded_rect(0.09, 0.19, 0.47, 0.37, 0.04)),
        (INK, rounded_rect(0.06, 0.28, 0.94, 0.86, 0.07)),
        (FOLDER, rounded_rect(0.09, 0.31, 0.91, 0.83, 0.05)),
        (WHITE, polyline([(0.16, 0.42), (0.84, 0.42)], 0.04)),
    ]


ICONS = {
    "program-128.ico": (program_icon, (16, 24, 32, 48, 64)),
    # The first image is the one a button shows: large for the main window's tall buttons.
    "parameters-136.ico": (parameters_icon, (32, 24, 16)),
    "download-139.ico": (download_icon, (32, 24, 16)),
    "ok-140.ico": (ok_icon, (16, 24, 32)),
    "cancel-141.ico": (cancel_icon, (16, 24, 32)),
    "browse-142.ico": (browse_icon, (16, 24, 32)),
}


def render(shapes, size):
    """Rows of (r, g, b, a), top row first."""
    rows = []
    n = SUBSAMPLES
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    colour = None
                    for fill, inside in shapes:
                        if inside(x, y):
                            colour = fill
                    if colour:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        a += 255
            count = n * n
            if a:
                # Colour averaged over the covered samples; alpha is the coverage.
                covered = a / 255
                row.append((round(r / covered), round(g / covered), round(b / covered), round(a / count)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def ico_image(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask = bytearray()
    stride = ((size + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def write_ico(path, shapes_factory, sizes):
    images = [ico_image(render(shapes_factory(), size)) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    with open(path, "wb") as f:
        f.write(out)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, (factory, sizes) in ICONS.items():
        write_ico(os.path.join(folder, name), factory, sizes)


if __name__ == "__main__":
    main()
