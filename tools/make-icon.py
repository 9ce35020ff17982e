#!/usr/bin/env python3
"""Draws the program icon (32 x 32, 16 colours): a mouse pointer jumping along a dotted
path between two targets. Writes Wandrel4/res/Wandrel4.ico."""
import struct
import sys

W = H = 32
# The standard 16-colour palette (index: colour).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
T = None  # transparent

ARROW = [
    "X", "XX", "XWX", "XWWX", "XWWWX", "XWWWWX", "XWWWWWX", "XWWWWWWX", "XWWWWWWWX",
    "XWWWWWWWWX", "XWWWWWXXXX", "XWWXWWX", "XWX XWWX", "XX  XWWX", "X    XWWX", "     XWWX",
    "      XX",
]


def draw():
    px = [[T] * W for _ in range(H)]

    def disc(cx, cy, r, colour):
        for y in range(H):
            for x in range(W):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    px[y][x] = colour

    disc(6, 25, 5, 0)
    disc(6, 25, 4, 9)
    disc(6, 25, 2, 15)
    disc(25, 6, 5, 0)
    disc(25, 6, 4, 12)
    disc(25, 6, 2, 15)
    for i in range(4, 28, 3):  # the dotted path from one target to the other
        x, y = 6 + (i - 4) * 19 // 24, 25 - (i - 4) * 19 // 24
        px[y][x] = 2
    for dy, row in enumerate(ARROW):
        for dx, ch in enumerate(row):
            x, y = 13 + dx, 8 + dy
            if 0 <= x < W and 0 <= y < H and ch != " ":
                px[y][x] = 0 if ch == "X" else 15
    return px


def ico(px):
    xor = bytearray()
    andmask = bytearray()
    for y in reversed(range(H)):
        row = px[y]
        for x in range(0, W, 2):
            a = row[x] if row[x] is not None else 0
            b = row[x + 1] if row[x + 1] is not None else 0
            xor.append((a << 4) | b)
        bits = 0
        for x in range(W):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        andmask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, W, H * 2, 1, 4, 0, len(xor) + len(andmask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + bytes(xor) + bytes(andmask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", W, H, 16, 0, 1, 4, len(image), 22)
    return directory + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "Wandrel4/res/Wandrel4.ico"
    open(out, "wb").write(ico(draw()))
