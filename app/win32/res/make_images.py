#!/usr/bin/env python3
"""Draws the agent's icons and button glyphs (run once; the outputs are committed).

MAINICON: blue clock face; ENASHUT: green clock face (monitoring switched on);
DISSHUT: grey clock face crossed out in red (monitoring off). Glyphs: 36x18,
16 colours, the enabled image then a grey outline for the disabled state, on
the transparent olive background (128, 128, 0).
"""
import math
import struct


def clock_icon(size, face, rim, crossed):
    px = []
    c = (size - 1) / 2.0
    r = size / 2.0 - 0.5
    for y in range(size):
        row = []
        for x in range(size):
            dx, dy = x - c, y - c
            d = math.hypot(dx, dy)
            col = None
            if d <= r:
                col = rim if d > r - max(1.5, size / 14) else face
                # hands: to 12 o'clock and to 3 o'clock
                w = max(0.8, size / 22)
                if abs(dx) <= w and -r * 0.7 <= dy <= 0.5:
                    col = (255, 255, 255)
                if abs(dy) <= w and -0.5 <= dx <= r * 0.5:
                    col = (255, 255, 255)
                if crossed and abs(dx - dy) <= max(1.2, size / 12) and d <= r - 1:
                    col = (220, 30, 30)
            row.append(col)
        px.append(row)
    return px


def ico_image(px):
    """One image of an icon: 16 colours (a clock face has at most five, and
    every pixel is either opaque or transparent, so the AND mask alone carries
    the transparency), a quarter of the bytes of a 32-bit image."""
    size = len(px)
    colours = [(0, 0, 0)]  # index 0: the transparent pixels, black under the mask
    for row in px:
        for col in row:
            if col and col not in colours:
                colours.append(col)
    assert len(colours) <= 16
    colours += [(0, 0, 0)] * (16 - len(colours))
    stride = ((size * 4 + 31) // 32) * 4
    xor = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            v = colours.index(px[y][x]) if px[y][x] else 0
            row[x // 2] |= (v << 4) if x % 2 == 0 else v
        xor += row
    stride = ((size + 31) // 32) * 4
    andmask = bytearray()
    for y in reversed(range(size)):
        bits = bytearray(stride)
        for x in range(size):
            if px[y][x] is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        andmask += bits
    palette = b''.join(bytes((b, g, r, 0)) for (r, g, b) in colours)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, len(xor) + len(andmask), 0, 0, 16, 0)
    return header + palette + xor + andmask


def write_ico(path, images):
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for px in images:
        blob = ico_image(px)
        size = len(px)
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    open(path, 'wb').write(out + b''.join(blobs))


PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
OLIVE, GREEN, LIME, GREY, WHITE, MAROON, RED = 3, 2, 10, 8, 15, 1, 9


def glyph(shape, dark, light):
    """36x18: the coloured image, then its grey outline shifted by one pixel."""
    img = [[OLIVE] * 36 for _ in range(18)]
    for (x, y) in shape:
        img[y][x] = light
        if 0 <= x + 1 < 18 and 0 <= y + 1 < 18 and (x + 1, y + 1) not in shape:
            img[y + 1][x + 1] = dark
    for (x, y) in shape:
        img[y][18 + x] = GREY
        if x + 1 < 18 and y + 1 < 18 and (x + 1, y + 1) not in shape:
            img[y + 1][18 + x + 1] = WHITE
    return img


def check_shape():
    pts = set()
    for i in range(5):          # short stroke down-right
        for t in range(3):
            pts.add((3 + i, 8 + i + t - 1))
    for i in range(9):          # long stroke up-right
        for t in range(3):
            pts.add((7 + i, 12 - i + t - 1))
    return {(x, y) for (x, y) in pts if 0 <= x < 17 and 0 <= y < 17}


def cross_shape():
    pts = set()
    for i in range(11):
        for t in range(2):
            pts.add((3 + i + t, 3 + i))
            pts.add((13 - i + t, 3 + i))
    return pts


def write_bmp4(path, img):
    w, h = len(img[0]), len(img)
    stride = ((w * 4 + 31) // 32) * 4
    data = bytearray()
    for y in reversed(range(h)):
        row = bytearray(stride)
        for x in range(w):
            v = img[y][x]
            row[x // 2] |= (v << 4) if x % 2 == 0 else v
        data += row
    pal = b''.join(bytes((b, g, r, 0)) for (r, g, b) in PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 4, 0, len(data), 0, 0, 16, 16)
    off = 14 + len(info) + len(pal)
    head = struct.pack('<2sIHHI', b'BM', off + len(data), 0, 0, off)
    open(path, 'wb').write(head + info + pal + data)


if __name__ == '__main__':
    blue, green, grey = ((40, 110, 210), (20, 60, 150)), ((40, 170, 70), (20, 100, 40)), ((150, 150, 150), (90, 90, 90))
    for name, (face, rim), crossed in (('mainicon', blue, False), ('enashut', green, False), ('disshut', grey, True)):
        write_ico(name + '.ico', [clock_icon(32, face, rim, crossed), clock_icon(16, face, rim, crossed)])
    write_bmp4('bitbtn1.bmp', glyph(check_shape(), GREEN, LIME))
    write_bmp4('bitbtn2.bmp', glyph(cross_shape(), MAROON, RED))
