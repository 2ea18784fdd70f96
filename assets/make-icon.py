#!/usr/bin/env python3
"""Regenerates quendal.ico and quendal-32.png from quendal-icon.svg.

Needs rsvg-convert (Debian: librsvg2-bin), convert (Debian: imagemagick) and
Python 3 (standard library only).

The SVG is rendered at 32 x 32 and every pixel is mapped onto the 16-colour
Windows VGA palette below; the script stops if any opaque pixel is not
already one of those colours, so the SVG must keep to whole-pixel shapes in
palette colours. Pixels with alpha below 50 % are transparent.

Outputs:
  quendal.ico     the 32 x 32 image, 4 bits per pixel (BMP with AND mask),
                  first; then the same drawing at the other sizes Windows asks
                  for at 100 % to 200 % (16, 20, 24, 40, 48, 56, 64), as 32-bit
                  images, so that no size is scaled from another and blurred,
                  and at 256 as a PNG for Explorer's large views
  quendal-32.png  the 32 x 32 image, 4-bit palette PNG; the palette is the
                  16 VGA colours and the unused magenta entry is marked fully
                  transparent (tRNS), so the icon keeps its transparent corners
  quendal-<n>.png the drawing at 40 to 96 pixels, for the Qt program's
                  About dialog at 125 % to 300 %

The SVG is drawn with crispEdges: at every size each of its 32 x 32 cells
becomes whole pixels, none blended.
"""

import os
import struct
import subprocess
import sys
import zlib

SIZE = 32
# The other sizes: Windows' small icons at 100, 125 and 150 % (16, 20, 24),
# and the large icon and the About dialog's at 125 to 200 % (40 to 64).
OTHER_SIZES = (16, 20, 24, 40, 48, 56, 64)
# Explorer's large and extra-large views: 256, stored as PNG (Windows Vista
# and later read it so, and it keeps the file small).
LARGE_SIZE = 256
# The About dialog's 32-pixel icon at 125 % to 300 %.
QT_SIZES = (40, 48, 56, 64, 72, 80, 96)

# Windows 16-colour VGA palette, in the standard order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
TRANSPARENT = 13  # magenta: never used by the drawing, stands for "no pixel" in the PNG
TOLERANCE = 8     # largest channel difference accepted from a palette colour


def render_png(svg, size):
    return subprocess.run(
        ["rsvg-convert", "--width", str(size), "--height", str(size), svg],
        check=True, capture_output=True).stdout


def render(svg, size=SIZE):
    """Renders the SVG at size x size and returns the raw RGBA bytes."""
    rgba = subprocess.run(
        ["convert", "png:-", "-depth", "8", "rgba:-"],
        input=render_png(svg, size), check=True, capture_output=True).stdout
    if len(rgba) != size * size * 4:
        sys.exit(f"unexpected render size: {len(rgba)} bytes")
    return rgba


def to_indices(rgba):
    """Maps each pixel to a palette index, or None when transparent."""
    pixels = []
    for i in range(SIZE * SIZE):
        r, g, b, a = rgba[4 * i:4 * i + 4]
        if a < 128:
            pixels.append(None)
            continue
        best = min(range(16), key=lambda k: max(abs(r - PALETTE[k][0]),
                                                abs(g - PALETTE[k][1]),
                                                abs(b - PALETTE[k][2])))
        pr, pg, pb = PALETTE[best]
        if best == TRANSPARENT or max(abs(r - pr), abs(g - pg), abs(b - pb)) > TOLERANCE or a < 250:
            x, y = i % SIZE, i // SIZE
            sys.exit(f"pixel ({x},{y}) = #{r:02x}{g:02x}{b:02x} alpha {a} is not a usable "
                     "palette colour: keep the SVG to whole pixels in VGA colours")
        pixels.append(best)
    return pixels


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def write_png(path, pixels):
    raw = bytearray()
    for y in range(SIZE):
        raw.append(0)  # filter: none
        row = [TRANSPARENT if p is None else p for p in pixels[y * SIZE:(y + 1) * SIZE]]
        for x in range(0, SIZE, 2):
            raw.append((row[x] << 4) | row[x + 1])
    data = b"\x89PNG\r\n\x1a\n"
    data += png_chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 4, 3, 0, 0, 0))
    data += png_chunk(b"PLTE", bytes(c for rgb in PALETTE for c in rgb))
    data += png_chunk(b"tRNS", bytes([255] * TRANSPARENT + [0]))
    data += png_chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    data += png_chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def image_4bit(pixels):
    """The 32 x 32 image as an icon resource: 4-bit BMP with AND mask."""
    # Colour (XOR) bitmap, 4 bits per pixel, bottom-up; transparent pixels are black.
    xor = bytearray()
    for y in reversed(range(SIZE)):
        row = [0 if p is None else p for p in pixels[y * SIZE:(y + 1) * SIZE]]
        for x in range(0, SIZE, 2):
            xor.append((row[x] << 4) | row[x + 1])
    # AND mask, 1 bit per pixel, bottom-up, rows padded to 4 bytes; 1 = transparent.
    mask = bytearray()
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if pixels[y * SIZE + x] is None else 0)
        mask += bits.to_bytes(SIZE // 8, "big")
        mask += bytes((-(SIZE // 8)) % 4)
    palette = bytes(c for (r, g, b) in PALETTE for c in (b, g, r, 0))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    return header + palette + bytes(xor) + bytes(mask)


def image_32bit(rgba, size):
    """An icon resource image of 32 bits per pixel: BGRA, bottom-up, and an
    AND mask that Windows uses where it ignores the alpha channel."""
    colour = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        bits = 0
        for x in range(size):
            r, g, b, a = rgba[4 * (y * size + x):4 * (y * size + x) + 4]
            colour += bytes((b, g, r, a))
            bits = (bits << 1) | (1 if a < 128 else 0)
        row = bits.to_bytes((size + 7) // 8, "big")
        mask += row + bytes((-len(row)) % 4)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def write_ico(path, images):
    """images: (size, colours or 0, bits per pixel, resource bytes), in order."""
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for size, colours, bits, image in images:
        side = size % 256  # 0 stands for 256
        directory += struct.pack("<BBBBHHII", side, side, colours, 0, 1, bits, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(directory + b"".join(image for _, _, _, image in images))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    svg = os.path.join(here, "quendal-icon.svg")
    pixels = to_indices(render(svg))
    write_png(os.path.join(here, "quendal-32.png"), pixels)
    # The first image is the one Explorer shows for the file.
    images = [(SIZE, 16, 4, image_4bit(pixels))]
    images += [(size, 0, 32, image_32bit(render(svg, size), size)) for size in OTHER_SIZES]
    images.append((LARGE_SIZE, 0, 32, render_png(svg, LARGE_SIZE)))
    write_ico(os.path.join(here, "quendal.ico"), images)
    for size in QT_SIZES:
        with open(os.path.join(here, f"quendal-{size}.png"), "wb") as f:
            f.write(render_png(svg, size))
    used = sorted({p for p in pixels if p is not None})
    print(f"quendal.ico, quendal-32.png: {SIZE}x{SIZE}, palette indices used {used}; "
          f"quendal.ico also at {OTHER_SIZES}, PNGs at {QT_SIZES}")


if __name__ == "__main__":
    main()
