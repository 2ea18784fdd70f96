#!/usr/bin/env python3
"""Writes the circuit picture as the program shows it at each scale, into
circuit/: the part of the drawing that the picture box shows (its top-left
corner), as many device pixels as the box has at that DPI, so that it is
drawn pixel for pixel, sharp, and never scaled up from the 96-dpi JPEG.

  circuit/circuit-96.png        the JPEG's own pixels (249 x 265), for the Qt program
  circuit/circuit-96.bmp        the same pixels, for Windows
  circuit/circuit-<dpi>.png     rendered from circuit.svg, for the Qt program
  circuit/circuit-<dpi>.bmp     the same pixels, for the Windows program

The .bmp files are 8-bit greyscale bitmaps compressed with RLE8, which GDI
draws without any image decoder (the drawing is black line art on white, so
they are small). Called by make-circuit.sh with the DPIs to write; needs
rsvg-convert and ImageMagick's convert."""

import os
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
# The picture box, in twips (1440 to the inch), as ui/forms describes it.
BOX_TWIPS = (3735, 3975)


def box_pixels(dpi):
    """The box at that DPI, rounded as the program rounds twips."""
    return tuple((twips * dpi + 720) // 1440 for twips in BOX_TWIPS)


def grey_pixels(image, width, height, data=None):
    """The top-left width x height part of an image (a file, or "png:-" for
    the PNG bytes in data) as rows of 8-bit grey values, on white."""
    raw = subprocess.run(
        ["convert", image, "-crop", f"{width}x{height}+0+0", "+repage", "-background", "white",
         "-alpha", "remove", "-alpha", "off", "-colorspace", "Gray", "-depth", "8", "gray:-"],
        input=data, check=True, capture_output=True).stdout
    if len(raw) != width * height:
        sys.exit(f"expected {width}x{height} pixels, got {len(raw)} bytes")
    return [raw[y * width:(y + 1) * width] for y in range(height)]


def rle8_row(row):
    """One row in BMP RLE8: runs of one value as (count, value), stretches of
    differing values as absolute runs (0, count, values, padded to even)."""
    out = bytearray()
    i = 0
    while i < len(row):
        run = 1
        while i + run < len(row) and run < 255 and row[i + run] == row[i]:
            run += 1
        if run >= 2:
            out += bytes((run, row[i]))
            i += run
            continue
        literal = i
        while literal < len(row) and literal - i < 255 and not (
                literal + 1 < len(row) and row[literal + 1] == row[literal]):
            literal += 1
        count = literal - i
        if count >= 3:
            out += bytes((0, count)) + row[i:literal]
            if count % 2:
                out.append(0)
        else:
            for value in row[i:literal]:
                out += bytes((1, value))
        i = literal
    return out + b"\0\0"  # end of line


def write_bmp(path, rows):
    """An 8-bit bitmap with a greyscale palette, compressed with RLE8."""
    height, width = len(rows), len(rows[0])
    data = bytearray()
    for row in reversed(rows):  # RLE bitmaps are stored bottom-up
        data += rle8_row(row)
    data[-2:] = b"\0\1"  # the last end of line becomes the end of the bitmap
    palette = b"".join(bytes((v, v, v, 0)) for v in range(256))
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 1, len(data), 3780, 3780,
                         256, 0)
    offset = 14 + len(header) + len(palette)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset))
        f.write(header + palette + data)


def write_png(path, rows):
    height, width = len(rows), len(rows[0])
    subprocess.run(["convert", "-size", f"{width}x{height}", "-depth", "8", "gray:-",
                    "-strip", "-define", "png:color-type=0", f"png:{path}"],
                   input=b"".join(rows), check=True)


def main():
    folder = os.path.join(HERE, "circuit")
    os.makedirs(folder, exist_ok=True)
    width, height = box_pixels(96)
    rows = grey_pixels(os.path.join(HERE, "circuit.jpg"), width, height)
    write_png(os.path.join(folder, "circuit-96.png"), rows)
    write_bmp(os.path.join(folder, "circuit-96.bmp"), rows)
    for dpi in (int(arg) for arg in sys.argv[1:]):
        width, height = box_pixels(dpi)
        svg = subprocess.run(
            ["rsvg-convert", "--zoom", f"{dpi / 96}", "--background-color", "white",
             os.path.join(HERE, "circuit.svg")], check=True, capture_output=True).stdout
        rows = grey_pixels("png:-", width, height, svg)
        write_png(os.path.join(folder, f"circuit-{dpi}.png"), rows)
        write_bmp(os.path.join(folder, f"circuit-{dpi}.bmp"), rows)
        print(f"circuit-{dpi}: {width}x{height}")


if __name__ == "__main__":
    main()
