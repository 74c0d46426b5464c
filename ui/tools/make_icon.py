#!/usr/bin/env python3
"""Draws the application icon and writes it to ui/icons/.

The icon is three axes (X red, Y green, Z blue) with a run of points above
them: what the program turns into an IGES file. It is drawn pixel by pixel so
that the images stay crisp at their small sizes:

  karvonel.ico      32x32 in 2 colours, 32x32 in 16 colours, 16x16 in 16 colours
  karvonel-16.png   the 16x16 image
  karvonel-32.png   the 32x32 image
  karvonel-64.png   the 32x32 image at twice the size, pixel for pixel
  karvonel-128.png  the 32x32 image at four times the size

Only the Python standard library is used. Run it from anywhere:
  python3 ui/tools/make_icon.py [FOLDER]     (default: ui/icons/)
The Windows build makes the icon of its program files with it; the test
suite checks that ui/icons/ holds what it draws.
"""

import pathlib
import sys
import struct
import zlib

# The standard 16-colour palette of Windows icons.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, GREEN, NAVY, GRAY, RED, BLUE, WHITE = 0, 2, 4, 8, 9, 12, 15
CLEAR = None  # transparent pixel


def line(img, x0, y0, x1, y1, colour):
    """Bresenham line from (x0, y0) to (x1, y1), both ends included."""
    dx, dy = abs(x1 - x0), -abs(y1 - y0)
    sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
    err = dx + dy
    while True:
        img[y0][x0] = colour
        if (x0, y0) == (x1, y1):
            return
        e2 = 2 * err
        if e2 >= dy:
            err += dy
            x0 += sx
        if e2 <= dx:
            err += dx
            y0 += sy


def dot(img, x, y, size, fill, rim):
    """A square point marker: `fill` inside, a `rim` of one pixel around it."""
    for yy in range(y - 1, y + size + 1):
        for xx in range(x - 1, x + size + 1):
            inside = x <= xx < x + size and y <= yy < y + size
            img[yy][xx] = fill if inside else rim


def draw(size, axes, points, dot_size, two_colour):
    img = [[CLEAR] * size for _ in range(size)]
    (ox, oy), xend, yend, zend = axes
    x_colour, y_colour, z_colour = (BLACK,) * 3 if two_colour else (RED, GREEN, BLUE)
    line(img, ox, oy, *xend, x_colour)
    line(img, ox, oy, *yend, y_colour)
    line(img, ox, oy, *zend, z_colour)
    # Arrow heads on X and Z.
    line(img, xend[0] - 2, xend[1] - 2, *xend, x_colour)
    line(img, xend[0] - 2, xend[1] + 2, *xend, x_colour)
    line(img, zend[0] - 2, zend[1] + 2, *zend, z_colour)
    line(img, zend[0] + 2, zend[1] + 2, *zend, z_colour)
    # A thin guide through the points, then the points over it.
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        h = dot_size // 2
        line(img, x0 + h, y0 + h, x1 + h, y1 + h, BLACK if two_colour else GRAY)
    for x, y in points:
        if two_colour:
            dot(img, x, y, dot_size, BLACK, BLACK)
        else:
            dot(img, x, y, dot_size, WHITE, NAVY)
    return img


def icon32(two_colour):
    return draw(32, ((6, 26), (30, 26), (1, 31), (6, 1)),
                [(10, 19), (14, 12), (19, 8), (24, 10), (27, 16)], 2, two_colour)


def icon16():
    return draw(16, ((3, 13), (15, 13), (0, 15), (3, 0)),
                [(6, 9), (9, 5), (12, 7)], 1, False)


def pack_rows(values, bpp):
    """Rows of pixel values, bottom-up, `bpp` bits each, padded to 32-bit words."""
    out = bytearray()
    for row in reversed(values):
        data = bytearray()
        byte, used = 0, 0
        for v in row:
            byte = (byte << bpp) | v
            used += bpp
            if used == 8:
                data.append(byte)
                byte, used = 0, 0
        while len(data) % 4:
            data.append(0)
        out += data
    return bytes(out)


def dib(img, bits):
    """One icon image: BITMAPINFOHEADER, palette, colour bitmap, AND mask."""
    size = len(img)
    if bits == 1:
        palette = [(0, 0, 0), (0xFF, 0xFF, 0xFF)]
        colour = [[1 if p == WHITE else 0 for p in row] for row in img]
    else:
        palette = PALETTE
        colour = [[0 if p is CLEAR else p for p in row] for row in img]
    # The AND mask: 1 lets the background through.
    mask = [[1 if p is CLEAR else 0 for p in row] for row in img]
    xor, andmask = pack_rows(colour, bits), pack_rows(mask, 1)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                         len(xor) + len(andmask), 0, 0, len(palette), 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + pal + xor + andmask


def ico(images):
    """images: list of (pixels, bits)."""
    blobs = [dib(img, bits) for img, bits in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (img, bits), blob in zip(images, blobs):
        size = len(img)
        out += struct.pack("<BBBBHHII", size, size, 1 << bits, 0, 1, bits, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def png(img, scale=1):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    size = len(img) * scale
    raw = bytearray()
    for row in img:
        line_bytes = bytearray([0])  # filter: none
        for p in row:
            rgba = (0, 0, 0, 0) if p is CLEAR else PALETTE[p] + (255,)
            line_bytes += bytes(rgba) * scale
        raw += bytes(line_bytes) * scale
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def main():
    default = pathlib.Path(__file__).resolve().parent.parent / "icons"
    out = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else default
    out.mkdir(parents=True, exist_ok=True)
    big, small, mono = icon32(False), icon16(), icon32(True)
    (out / "karvonel.ico").write_bytes(ico([(mono, 1), (big, 4), (small, 4)]))
    (out / "karvonel-16.png").write_bytes(png(small))
    (out / "karvonel-32.png").write_bytes(png(big))
    (out / "karvonel-64.png").write_bytes(png(big, 2))
    (out / "karvonel-128.png").write_bytes(png(big, 4))


if __name__ == "__main__":
    main()
