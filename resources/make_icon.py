#!/usr/bin/env python3
"""Draws Setup.ico: a 32x32, 16-colour disc with a box on it.

Run once to regenerate the committed icon: python3 make_icon.py Setup.ico
"""
import struct
import sys

SIZE = 32
# Palette index -> (B, G, R, 0); index 0 is unused behind the transparency mask.
PALETTE = [(0, 0, 0, 0), (192, 192, 192, 0), (128, 128, 128, 0), (255, 255, 255, 0),
           (0, 96, 200, 0), (40, 40, 40, 0)] + [(0, 0, 0, 0)] * 10


def pixel(x, y):
    """Palette index of a pixel, or None where the icon is transparent."""
    cx = cy = (SIZE - 1) / 2
    r2 = (x - cx) ** 2 + (y - cy) ** 2
    if 9 <= x <= 22 and 11 <= y <= 24:          # the box in front of the disc
        return 5 if x in (9, 22) or y in (11, 24) else 4
    if r2 > 15.5 ** 2:
        return None
    if r2 > 14.5 ** 2:
        return 2                                  # rim
    if r2 < 3 ** 2:
        return 3 if r2 < 1.5 ** 2 else 2          # hole
    return 1


def build():
    xor_rows, and_rows = [], []
    for y in reversed(range(SIZE)):               # DIB rows run bottom-up
        xor = bytearray()
        mask = 0
        for x in range(0, SIZE, 2):
            a, b = pixel(x, y), pixel(x + 1, y)
            xor.append(((a or 0) << 4) | (b or 0))
        for x in range(SIZE):
            if pixel(x, y) is None:
                mask |= 1 << (SIZE - 1 - x)
        xor_rows.append(bytes(xor))
        and_rows.append(struct.pack('>I', mask))
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('4B', *c) for c in PALETTE)
    image = header + palette + b''.join(xor_rows) + b''.join(and_rows)
    icondir = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return icondir + entry + image


if __name__ == '__main__':
    with open(sys.argv[1] if len(sys.argv) > 1 else 'Setup.ico', 'wb') as f:
        f.write(build())
