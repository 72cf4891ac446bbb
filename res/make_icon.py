#!/usr/bin/env python3
"""Draws the program icon: a singer's microphone sending out echo waves.

Writes panel.ico, one 32 x 32 image in the 16 colours of the standard Windows palette,
with a transparency mask. Run it from this folder after changing the picture:
    python3 make_icon.py
"""
import math
import struct

SIZE = 32

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, DARK_GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(8, 16)
CLEAR = None


def draw():
    px = [[CLEAR] * SIZE for _ in range(SIZE)]

    def put(x, y, c):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            px[y][x] = c

    # Echo waves: arcs to the right of the microphone head, fading as they travel.
    cx, cy = 10.5, 9.5
    for radius, colour in ((10.0, BLUE), (14.5, TEAL), (19.0, NAVY)):
        for y in range(SIZE):
            for x in range(SIZE):
                dx, dy = x - cx, y - cy
                angle = math.degrees(math.atan2(dy, dx))
                if abs(math.hypot(dx, dy) - radius) < 0.9 and -55 <= angle <= 55:
                    put(x, y, colour)

    # The head: a rounded capsule with a grille.
    for y in range(2, 18):
        for x in range(4, 18):
            # distance from the capsule's axis, a vertical segment from (10.5, 7) to (10.5, 12)
            ay = min(max(y, 7), 12)
            d = math.hypot(x - 10.5, y - ay)
            if d <= 5.6:
                put(x, y, SILVER)
            elif d <= 6.6:
                put(x, y, BLACK)
    for y in range(3, 17, 3):
        for x in range(6, 16):
            if px[y][x] == SILVER:
                put(x, y, GREY)
    for x in (8, 13):
        for y in range(3, 17):
            if px[y][x] == SILVER:
                put(x, y, GREY)
    # A highlight on the head.
    for x, y in ((7, 5), (7, 6), (8, 4)):
        put(x, y, WHITE)

    # The ring under the head and the handle.
    for x in range(7, 15):
        put(x, 18, RED)
        put(x, 19, MAROON)
    for y in range(20, 29):
        for x in range(9, 13):
            put(x, y, GREY if x in (9, 12) else BLACK)
    for x in range(8, 14):
        put(x, 29, BLACK)

    # A note of the song, in yellow, rising between the waves.
    for y in range(22, 28):
        put(25, y, OLIVE)
    for x, y in ((26, 22), (27, 23), (27, 24)):
        put(x, y, OLIVE)
    for x in range(22, 26):
        for y in range(27, 30):
            if (x, y) not in ((22, 27), (22, 29), (25, 29)):
                put(x, y, YELLOW)
    return px


def ico(px):
    # BITMAPINFOHEADER of an icon image: the height counts the colour and the mask rows.
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    colour = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):          # bottom-up rows
        row = px[y]
        for x in range(0, SIZE, 2):
            hi = row[x] if row[x] is not None else 0
            lo = row[x + 1] if row[x + 1] is not None else 0
            colour.append(hi << 4 | lo)
        bits = 0
        for x in range(SIZE):
            bits = bits << 1 | (1 if row[x] is None else 0)
        mask += struct.pack('>I', bits)      # 32 pixels: one 4-byte row, no padding needed
    image = header + palette + bytes(colour) + bytes(mask)
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == '__main__':
    with open('panel.ico', 'wb') as f:
        f.write(ico(draw()))
