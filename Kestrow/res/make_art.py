#!/usr/bin/env python3
"""Draws the control's artwork and writes it as the files Kestrow.rc embeds:

  Kestrow.ico   the default tray icon: 16, 32 and 48 pixels, 256 colours each
  toolbox.bmp   the toolbox bitmap: 16 x 15 pixels, 16 colours

The picture: a kestrel hovering, wings spread, inside a blue disc. Run it again after
changing the drawing and commit its output.
"""
import math
import os
import struct

SKY = (150, 200, 238)
RIM = (34, 84, 150)
WING = (176, 88, 32)
TIP = (60, 40, 30)
BODY = (214, 150, 90)
GREY = (192, 192, 192)


def dist_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def shade(x, y, disc=True):
    """Colour at (x, y) in the unit square (y down), or None where the picture is clear."""
    wing = [(0.08, 0.40), (0.30, 0.48), (0.50, 0.44), (0.70, 0.48), (0.92, 0.40)]
    for (ax, ay), (bx, by) in zip(wing, wing[1:]):
        d = dist_to_segment(x, y, ax, ay, bx, by)
        if d < 0.075:
            return TIP if abs(x - 0.5) > 0.33 else WING
    if ((x - 0.5) / 0.075) ** 2 + ((y - 0.52) / 0.2) ** 2 <= 1.0:
        return BODY
    if abs(x - 0.5) < 0.05 + (y - 0.66) * 0.35 and 0.66 <= y <= 0.86:
        return WING
    r = math.hypot(x - 0.5, y - 0.5)
    if disc and r <= 0.47:
        return RIM if r > 0.41 else SKY
    return None


def render(size, disc=True, background=None):
    pixels = []
    for row in range(size):
        line = []
        for col in range(size):
            c = shade((col + 0.5) / size, (row + 0.5) / size, disc)
            line.append(c if c is not None else background)
        pixels.append(line)
    return pixels


def icon_image(size, palette):
    pixels = render(size)
    index = {c: i for i, c in enumerate(palette)}
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, 0, 0, 0, 0, 0)
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in palette)
    xor_stride = (size + 3) & ~3
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for line in reversed(pixels):  # bottom-up rows
        row = bytes(index[c] if c is not None else 0 for c in line)
        xor += row + b"\0" * (xor_stride - size)
        bits = bytearray(and_stride)
        for col, c in enumerate(line):
            if c is None:
                bits[col // 8] |= 0x80 >> (col % 8)
        mask += bits
    return header + pal + bytes(xor) + bytes(mask)


def write_ico(path, sizes):
    colours = [(0, 0, 0), SKY, RIM, WING, TIP, BODY]
    palette = colours + [(0, 0, 0)] * (256 - len(colours))
    images = [icon_image(s, palette) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 8, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


def write_toolbox_bmp(path):
    # The 16 colours of the standard VGA palette; the drawing uses the nearest of them.
    vga = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]

    def nearest(c):
        return min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(vga[i], c)))

    width, height = 16, 15
    rows = []
    for row in range(height):
        line = []
        for col in range(width):
            c = shade((col + 0.5) / width, (row + 0.5) / height)
            line.append(nearest(c if c is not None else GREY))
        rows.append(line)
    data = bytearray()
    for line in reversed(rows):
        for col in range(0, width, 2):
            data.append((line[col] << 4) | line[col + 1])
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in vga)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(data), 2835, 2835, 16, 0)
    offset = 14 + len(info) + len(pal)
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(head + info + pal + bytes(data))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    write_ico(os.path.join(here, "Kestrow.ico"), [16, 32, 48])
    write_toolbox_bmp(os.path.join(here, "toolbox.bmp"))


if __name__ == "__main__":
    main()
