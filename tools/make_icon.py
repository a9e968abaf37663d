#!/usr/bin/env python3
"""Draws the program icon (a box with a green arrow going into it) and writes resources/setup.ico:
two 16-colour images, 32x32 and 16x16, in the standard icon file format."""

import struct
import sys
from pathlib import Path

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, GREEN, OLIVE, GRAY, LIME, YELLOW, WHITE = 0, 2, 3, 8, 10, 11, 15


class Canvas:
    def __init__(self, size):
        self.size = size
        self.pixels = [[None] * size for _ in range(size)]  # None is transparent

    def region(self, inside, fill, edge):
        """Paints the pixels for which inside(x, y) holds; those next to the outside get `edge`."""
        n = self.size
        for y in range(n):
            for x in range(n):
                if not inside(x, y):
                    continue
                border = any(not (0 <= x + dx < n and 0 <= y + dy < n) or not inside(x + dx, y + dy)
                             for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                self.pixels[y][x] = edge if border else fill


def draw(size):
    c = Canvas(size)
    u = size / 32.0  # drawn on a 32-unit grid, so both sizes share one design

    def box_top(x, y):  # the open flaps, a band that leans to the right
        return 13 * u <= y < 18 * u and 4 * u + (18 * u - y) * 0.5 <= x < 28 * u + (18 * u - y) * 0.5 - 1

    def box_front(x, y):
        return 17 * u <= y < 30 * u and 3 * u <= x < 28 * u

    def box_side(x, y):  # the right side in shade
        return 17 * u <= y < 30 * u and 27 * u <= x < 30 * u and y >= 17 * u + (x - 27 * u)

    def arrow(x, y):
        cx = 15.5 * u
        if 1 * u <= y < 11 * u:
            return abs(x - cx) <= 2.6 * u
        if 11 * u <= y < 22 * u:
            return abs(x - cx) <= (22 * u - y) * 0.75
        return False

    c.region(box_side, GRAY, BLACK)
    c.region(box_top, YELLOW, BLACK)
    c.region(box_front, OLIVE, BLACK)
    c.region(lambda x, y: box_front(x, y) and abs(y - 23.5 * u) < 1.0 * u and 6 * u <= x < 25 * u,
             YELLOW, YELLOW)  # a label across the front
    c.region(arrow, LIME, GREEN)
    return c


def ico_image(canvas):
    n = canvas.size
    xor_stride = ((n * 4 + 31) // 32) * 4
    and_stride = ((n + 31) // 32) * 4
    xor_rows, and_rows = [], []
    for y in reversed(range(n)):  # bottom-up, as bitmaps are stored
        row = canvas.pixels[y]
        xor = bytearray(xor_stride)
        mask = bytearray(and_stride)
        for x, colour in enumerate(row):
            index = 0 if colour is None else colour
            xor[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if colour is None:
                mask[x // 8] |= 0x80 >> (x % 8)
        xor_rows.append(bytes(xor))
        and_rows.append(bytes(mask))
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 4, 0,
                         len(xor_rows) * xor_stride + len(and_rows) * and_stride, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + b"".join(xor_rows) + b"".join(and_rows)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources" / "setup.ico"
    images = [ico_image(draw(32)), ico_image(draw(16))]
    data = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, image in zip((32, 16), images):
        data += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    for image in images:
        data += image
    out.write_bytes(bytes(data))
    if "--show" in sys.argv:
        for size in (32, 16):
            chars = {None: ".", BLACK: "#", GREEN: "g", OLIVE: "o", GRAY: "=", LIME: "L", YELLOW: "y"}
            for row in draw(size).pixels:
                print("".join(chars.get(p, "?") for p in row))


if __name__ == "__main__":
    main()
