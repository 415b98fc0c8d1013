#!/usr/bin/python3
"""Draws the program's bitmaps and icon and writes them into resources/.

Plain Python, no imaging library: every picture is a function from a pixel
position to a colour, sampled 4 x 4 times per pixel for smooth edges, and
written as an uncompressed 24-bit BMP or an 8-bit ICO. Run it again after
changing a picture and commit the files it writes.

    /usr/bin/python3 scripts/make-images.py
"""

import math
import os
import struct
import sys

RESOURCES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")

# The palette of every picture: a calm sea at noon.
SKY_TOP = (206, 228, 242)
SKY_LOW = (240, 247, 251)
SEA_TOP = (64, 150, 196)
SEA_DEEP = (12, 52, 98)
FOAM = (236, 246, 250)
SAND = (214, 194, 150)
STEEL = (188, 196, 204)
STEEL_DARK = (96, 108, 122)
ORANGE = (232, 118, 44)
FACE = (240, 240, 240)  # the dialog face colour, so the caption's own background blends in
INK = (40, 60, 84)


def mix(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def smooth(edge, x, width=0.0):
    """1 inside (x < edge), 0 outside, with a soft border of the given width."""
    if width <= 0:
        return 1.0 if x < edge else 0.0
    return min(max((edge - x) / width + 0.5, 0.0), 1.0)


def render(width, height, shade, samples=4):
    """Rows of (r, g, b) bytes, top row first, by averaging samples x samples points per pixel."""
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            r = g = b = 0.0
            for sy in range(samples):
                for sx in range(samples):
                    c = shade((x + (sx + 0.5) / samples) / width, (y + (sy + 0.5) / samples) / height)
                    r += c[0]
                    g += c[1]
                    b += c[2]
            n = samples * samples
            row.append((round(r / n), round(g / n), round(b / n)))
        rows.append(row)
    return rows


def bmp24(rows):
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # BMP rows run bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def ico8(rows, opaque):
    """One 32 x 32 image with a 256-colour palette and a 1-bit transparency mask."""
    height = len(rows)
    width = len(rows[0])
    palette = sorted({c for row in rows for c in row})
    if len(palette) > 256:
        raise ValueError("an 8-bit icon holds at most 256 colours; quantise first")
    index = {c: i for i, c in enumerate(palette)}
    indexed = [[index[c] for c in row] for row in rows]
    palette += [(0, 0, 0)] * (256 - len(palette))

    xor = bytearray()
    for line in reversed(indexed):
        xor += bytes(line)  # 32 bytes a row: already a multiple of 4
    mask_stride = ((width + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(height)):
        bits = bytearray(mask_stride)
        for x in range(width):
            if not opaque[y][x]:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 8, 0, len(xor) + len(mask), 0, 0, 256, 0)
    image = info + colours + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", width, height, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


def quantise(rows, colours=256):
    """The most frequent colours at 5 bits a channel; every other pixel takes its nearest."""
    def coarse(c):
        return tuple(min(255, (v + 4) & ~7) for v in c)
    counts = {}
    for row in rows:
        for c in row:
            counts[coarse(c)] = counts.get(coarse(c), 0) + 1
    palette = sorted(counts, key=lambda c: -counts[c])[:colours]

    def nearest(c):
        return min(palette, key=lambda p: sum((p[k] - c[k]) ** 2 for k in range(3)))
    return [[nearest(coarse(c)) for c in row] for row in rows]


# --- pictures -----------------------------------------------------------------------------------


def wave_height(x, phase, amplitude, wavelength):
    return amplitude * math.sin(2 * math.pi * (x / wavelength) + phase)


def sea_tile(x, y):
    """Sky, a sun low on the horizon and two rolling crests: the program's mark."""
    horizon = 0.46 + wave_height(x, 0.6, 0.035, 0.55)
    crest = 0.70 + wave_height(x, 2.4, 0.045, 0.42)
    if y < horizon:
        colour = mix(SKY_TOP, SKY_LOW, y / 0.46)
        d = math.hypot(x - 0.70, y - 0.30)
        colour = mix((252, 214, 120), colour, (d - 0.11) / 0.03)
    else:
        colour = mix(SEA_TOP, SEA_DEEP, (y - horizon) / (1 - horizon))
        # a band of foam on each crest
        colour = mix(FOAM, colour, (y - horizon) / 0.05)
        if y > crest:
            colour = mix(mix(FOAM, SEA_TOP, 0.25), mix(SEA_TOP, SEA_DEEP, (y - crest) / (1 - crest)),
                         (y - crest) / 0.07)
    return colour


def rounded(x, y, radius, inset=0.0):
    """1 inside a square with rounded corners, in unit coordinates."""
    qx = max(abs(x - 0.5) - (0.5 - inset - radius), 0.0)
    qy = max(abs(y - 0.5) - (0.5 - inset - radius), 0.0)
    return math.hypot(qx, qy) <= radius


def tile_with_frame(x, y):
    if not rounded(x, y, 0.18, 0.02):
        return (255, 255, 255)
    if not rounded(x, y, 0.15, 0.06):
        return INK
    return sea_tile(x, y)


def drop(x, y):
    """A single drop of seawater, the menu mark of "About ..."."""
    cx, cy, r = 0.5, 0.62, 0.27
    d = math.hypot(x - cx, y - cy)
    inside = d < r
    if not inside and y < cy:
        # the tip: the two tangent lines from (0.5, 0.08) to the circle
        half_width = (y - 0.10) / (cy - 0.10) * r * 1.02
        inside = y > 0.10 and abs(x - cx) < half_width
    if not inside:
        return (255, 255, 255)
    colour = mix(SEA_TOP, SEA_DEEP, (y - 0.1) / 0.8)
    if math.hypot(x - 0.42, y - 0.66) < 0.07:
        colour = FOAM
    return colour


def ctd_card(x, y):
    """An author card: a CTD rosette on its cable in the water column, no person in it."""
    px, py = x * 200, y * 246
    # title band, where the Author box writes its caption
    if py < 30:
        return FACE
    if py < 34:
        return mix(FACE, SKY_TOP, (py - 30) / 4)
    # frame of the card
    if px < 3 or px > 196 or py > 242:
        return INK
    surface = 52 + 4 * math.sin(px / 14.0)
    if py < surface:
        return mix(SKY_TOP, SKY_LOW, (py - 34) / 18)
    seabed = 212 + 6 * math.sin(px / 23.0 + 1.3)
    if py > seabed:
        ripple = 0.5 + 0.5 * math.sin(px / 5.0 + 3 * math.sin(py / 7.0))
        return mix(mix(SAND, (170, 150, 110), (py - seabed) / 30), (190, 168, 124), 0.35 * ripple)

    colour = mix(SEA_TOP, SEA_DEEP, (py - surface) / (seabed - surface))
    colour = mix(FOAM, colour, (py - surface) / 3.0)
    # light rays from the surface
    ray = math.sin((px - 0.45 * py) / 11.0)
    if ray > 0.85:
        colour = mix(colour, FOAM, 0.10 * (1 - (py - surface) / 160))

    # the cable, from the ship above down to the frame
    if abs(px - 100) < 1.0 and py < 92:
        return STEEL_DARK
    # the rosette: a ring of twelve sampling bottles around the sensor
    top, bottom = 92, 178
    if top <= py <= bottom:
        # top and bottom rings
        if (py - top < 5 or bottom - py < 5) and abs(px - 100) < 56:
            return mix(STEEL, STEEL_DARK, abs(px - 100) / 60)
        # bottles, drawn as cylinders in perspective
        for k in range(6):
            bx = 100 + 48 * math.cos(math.pi * (k + 0.5) / 6 - math.pi)
            shade = abs(math.sin(math.pi * (k + 0.5) / 6))
            if abs(px - bx) < 7 and top + 10 < py < bottom - 10:
                edge = abs(px - bx) / 7
                base = mix((230, 234, 238), (150, 160, 172), edge ** 2)
                if abs(py - (top + 18)) < 2 or abs(py - (bottom - 18)) < 2:
                    base = mix(base, INK, 0.6)
                return mix(base, STEEL_DARK, 0.3 * (1 - shade))
        # the sensor in the middle: orange body, dark caps
        if abs(px - 100) < 9 and top + 8 < py < bottom - 4:
            if py < top + 16 or py > bottom - 14:
                return INK
            return mix(ORANGE, (180, 80, 30), abs(px - 100) / 9)
        # frame uprights
        if abs(abs(px - 100) - 54) < 2:
            return STEEL_DARK
    # bubbles rising past the frame
    for bx, by, r in ((150, 80, 3.5), (158, 64, 2.5), (146, 98, 2.0), (44, 120, 2.5), (52, 104, 1.8)):
        d = math.hypot(px - bx, py - by)
        if d < r:
            return mix(FOAM, colour, d / r * 0.7)
    return colour


def main():
    os.makedirs(RESOURCES, exist_ok=True)

    def write(name, data):
        with open(os.path.join(RESOURCES, name), "wb") as f:
            f.write(data)
        print("wrote", name, len(data), "bytes")

    write("about.bmp", bmp24(render(32, 32, tile_with_frame)))
    write("menu_mark.bmp", bmp24(render(16, 16, drop)))
    write("author.bmp", bmp24(render(200, 246, ctd_card, samples=3)))

    icon = quantise(render(32, 32, sea_tile))
    opaque = [[rounded((x + 0.5) / 32, (y + 0.5) / 32, 0.2, 0.01) for x in range(32)] for y in range(32)]
    write("thalwen.ico", ico8(icon, opaque))
    return 0


if __name__ == "__main__":
    sys.exit(main())
