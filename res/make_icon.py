#!/usr/bin/env python3
"""Draws the program's icon and writes it as a single 128x128, 32-bit image in an .ico file.

The picture: a blue tile holding a white program sheet with a folded corner, on which a
magnifying glass looks at a row of header bits. Shapes are drawn at four times the size and
averaged down, so the edges are smooth. Only the standard library is used; the output is the
same bytes on every run.

    python3 res/make_icon.py res/quorvel.ico          write the icon
    python3 res/make_icon.py --check res/quorvel.ico  fail if the file differs from a fresh drawing
"""
import math
import struct
import sys

SIZE = 128
SCALE = 4


def inside_rounded_rect(x, y, left, top, right, bottom, radius):
    if x < left or x >= right or y < top or y >= bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def shade(x, y):
    """Colour (r, g, b, a) of one point of the big drawing, in 0..128 icon units."""
    # Magnifying glass: ring and handle, on top of everything.
    gx, gy = 74.0, 70.0
    d = math.hypot(x - gx, y - gy)
    if 19.0 <= d <= 25.0:
        return (40, 40, 48, 255)
    along = ((x - gx) + (y - gy)) / math.sqrt(2)
    across = ((x - gx) - (y - gy)) / math.sqrt(2)
    if 24.0 <= along <= 50.0 and abs(across) <= 5.5:
        return (90, 60, 30, 255)
    # The lens shows the bits larger.
    if d < 19.0:
        lx = gx + (x - gx) * 0.6
        ly = gy + (y - gy) * 0.6
        bit = bit_colour(lx, ly)
        return bit if bit else (235, 245, 255, 255)
    # The sheet with its folded corner.
    if 30 <= x < 90 and 14 <= y < 114:
        if x - 72 > y - 14:  # cut corner
            if x - 72 <= y - 14 + 18 and x >= 72 and y <= 32:
                return (200, 205, 215, 255)
        else:
            bit = bit_colour(x, y)
            return bit if bit else (255, 255, 255, 255)
    # The tile.
    if inside_rounded_rect(x, y, 4, 4, 124, 124, 22):
        t = y / SIZE
        return (int(30 + 20 * t), int(90 + 40 * t), int(200 - 30 * t), 255)
    return None


def bit_colour(x, y):
    """Rows of coloured bits on the sheet: the header the program reads."""
    for row, top in enumerate((40, 56, 72, 88)):
        if top <= y < top + 9:
            for col in range(5):
                left = 37 + col * 9
                if left <= x < left + 7:
                    on = ((row * 5 + col) * 7) % 3 != 0
                    return (30, 150, 60, 255) if on else (210, 40, 40, 255)
    return None


def draw():
    pixels = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            acc = [0, 0, 0, 0]
            for sy in range(SCALE):
                for sx in range(SCALE):
                    c = shade(px + (sx + 0.5) / SCALE, py + (sy + 0.5) / SCALE)
                    if c:
                        a = c[3]
                        acc[0] += c[0] * a
                        acc[1] += c[1] * a
                        acc[2] += c[2] * a
                        acc[3] += a
            n = SCALE * SCALE
            alpha = acc[3] // n
            if acc[3]:
                # Premultiplied average, stored straight (not premultiplied) as icons expect.
                row.append((acc[0] // acc[3], acc[1] // acc[3], acc[2] // acc[3], alpha))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def ico_bytes(pixels):
    xor = bytearray()
    for row in reversed(pixels):  # bottom-up
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    and_mask = bytearray()
    for row in reversed(pixels):
        bits = 0
        line = bytearray()
        for i, (_, _, _, a) in enumerate(row):
            bits = (bits << 1) | (1 if a == 0 else 0)
            if i % 8 == 7:
                line.append(bits)
                bits = 0
        and_mask += line  # 16 bytes a row, already a multiple of four
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + bytes(xor) + bytes(and_mask)
    icondir = struct.pack('<HHH', 0, 1, 1)
    # Width and height 128 fit in the entry's byte; 0 would mean 256.
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return icondir + entry + image


def main(argv):
    check = '--check' in argv
    paths = [a for a in argv if a != '--check']
    if len(paths) != 1:
        print(__doc__)
        return 2
    data = ico_bytes(draw())
    if check:
        with open(paths[0], 'rb') as f:
            same = f.read() == data
        print('icon matches its drawing' if same else 'icon differs from its drawing: run make_icon.py')
        return 0 if same else 1
    with open(paths[0], 'wb') as f:
        f.write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
