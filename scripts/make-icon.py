#!/usr/bin/env python3
# Draws the program's icon (winwindow/app/qvxfirminstaller.ico): a dark sign case with a 6 x 3
# matrix of LEDs, a "Q"-ish pattern lit in amber, the rest dim; the Qt window draws the same at
# run time. 32-bit images at 16, 32 and 48 pixels. Run it again only to change the picture.
import struct, sys

LIT = [[1, 1, 1, 0, 1, 1], [1, 0, 1, 0, 1, 0], [1, 1, 1, 1, 1, 1]]

def inside_rounded(x, y, left, top, right, bottom, r):
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + r), right - r)
    cy = min(max(y, top + r), bottom - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

def draw(size):
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    top, bottom = size * 0.18, size * 0.82
    for y in range(size):
        for x in range(size):
            cx, cy = x + 0.5, y + 0.5
            if inside_rounded(cx, cy, 0.5, top, size - 0.5, bottom, size / 10.0):
                edge = not inside_rounded(cx, cy, 1.5, top + 1, size - 1.5, bottom - 1, size / 10.0)
                px[y][x] = (90, 90, 90, 255) if edge else (24, 24, 28, 255)
    pitch = (size - 4.0) / 6
    first = top + (size * 0.64 - pitch * 3) / 2.0
    for row in range(3):
        for col in range(6):
            colour = (255, 176, 0, 255) if LIT[row][col] else (70, 50, 20, 255)
            ox, oy = 2.0 + col * pitch + pitch / 2, first + row * pitch + pitch / 2
            rad = pitch * 0.38
            for y in range(size):
                for x in range(size):
                    if (x + 0.5 - ox) ** 2 + (y + 0.5 - oy) ** 2 <= rad * rad:
                        px[y][x] = colour
    return px

def bitmap(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = b''.join(bytes(b for (r, g, bl, a) in px[y] for b in (bl, g, r, a)) for y in reversed(range(size)))
    mask_row = ((size + 31) // 32) * 4
    return header + rows + b'\0' * (mask_row * size)

sizes = [16, 32, 48]
images = [bitmap(s) for s in sizes]
out = struct.pack('<HHH', 0, 1, len(sizes))
offset = 6 + 16 * len(sizes)
for s, img in zip(sizes, images):
    out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(img), offset)
    offset += len(img)
out += b''.join(images)
open(sys.argv[1] if len(sys.argv) > 1 else 'winwindow/app/qvxfirminstaller.ico', 'wb').write(out)
