#!/usr/bin/env python3
"""Regenerates quendal.ico and quendal-32.png from quendal-icon.svg.

Needs rsvg-convert (Debian: librsvg2-bin), convert (Debian: imagemagick) and
Python 3 (standard library only).

The SVG is rendered at 32 x 32 and every pixel is mapped onto the 16-colour
Windows VGA palette below; the script stops if any opaque pixel is not
already one of those colours, so the SVG must keep to whole-pixel shapes in
palette colours. Pixels with alpha below 50 % are transparent.

Outputs:
  quendal.ico     one 32 x 32 image, 4 bits per pixel (BMP with AND mask)
  quendal-32.png  the same image, 4-bit palette PNG; the palette is the
                  16 VGA colours and the unused magenta entry is marked fully
                  transparent (tRNS), so the icon keeps its transparent corners
"""

import os
import struct
import subprocess
import sys
import zlib

SIZE = 32

# Windows 16-colour VGA palette, in the standard order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
TRANSPARENT = 13  # magenta: never used by the drawing, stands for "no pixel" in the PNG
TOLERANCE = 8     # largest channel difference accepted from a palette colour


def render(svg):
    """Renders the SVG at SIZE x SIZE and returns the raw RGBA bytes."""
    png = subprocess.run(
        ["rsvg-convert", "--width", str(SIZE), "--height", str(SIZE), svg],
        check=True, capture_output=True).stdout
    rgba = subprocess.run(
        ["convert", "png:-", "-depth", "8", "rgba:-"],
        input=png, check=True, capture_output=True).stdout
    if len(rgba) != SIZE * SIZE * 4:
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


def write_ico(path, pixels):
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
    image = header + palette + bytes(xor) + bytes(mask)
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(icondir + entry + image)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    pixels = to_indices(render(os.path.join(here, "quendal-icon.svg")))
    write_png(os.path.join(here, "quendal-32.png"), pixels)
    write_ico(os.path.join(here, "quendal.ico"), pixels)
    used = sorted({p for p in pixels if p is not None})
    print(f"quendal.ico, quendal-32.png: {SIZE}x{SIZE}, palette indices used {used}")


if __name__ == "__main__":
    main()
