#!/usr/bin/env python3
"""Draws the program icon (three tabs over a window) and writes it as res/merilane.ico."""
import struct
import sys

def draw(size):
    s = size / 32.0
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    def rect(x0, y0, x1, y1, rgba):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = rgba
    dark, body = (40, 60, 110, 255), (250, 250, 245, 255)
    tabs = [(2, 4, 11, (230, 120, 40, 255)), (12, 4, 21, (70, 150, 90, 255)),
            (22, 4, 30, (80, 120, 200, 255))]
    rect(1, 9, 31, 31, dark)            # window frame
    rect(3, 11, 29, 29, body)           # client area
    for x0, y0, x1, color in tabs:
        rect(x0, y0, x1, 10, dark)
        rect(x0 + 1, y0 + 1, x1 - 1, 10, color)
    rect(2, 10, 11, 11, (230, 120, 40, 255))   # the active tab runs into the window
    for row in (15, 19, 23):
        rect(6, row, 24 if row != 23 else 18, row + 2, (160, 170, 190, 255))
    return px

def bitmap(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(struct.pack('BBBB', b, g, r, a)
                   for row in reversed(px) for (r, g, b, a) in row)
    stride = ((size + 31) // 32) * 4
    mask = b''
    for row in reversed(px):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + xor + mask

def main(path):
    sizes = [16, 32, 48]
    images = [bitmap(n) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))

if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'res/merilane.ico')
