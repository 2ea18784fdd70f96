#!/bin/sh
# Regenerates circuit.jpg from circuit.svg, and from both the bitmaps of
# circuit/ that the programs draw at each scale (make_circuit_bitmaps.py).
# Needs: rsvg-convert (Debian: librsvg2-bin), convert (Debian: imagemagick),
# Python 3 and the DejaVu Sans font (Debian: fonts-dejavu-core).
# Output: 836 x 1137 baseline JPEG, quality 90, no chroma subsampling,
# 96 dpi in the JFIF header, no other metadata.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

rsvg-convert --width 836 --height 1137 --background-color white \
    -o "$tmp/circuit.png" "$here/circuit.svg"

convert "$tmp/circuit.png" \
    -background white -alpha remove -alpha off \
    -strip -type TrueColor \
    -interlace none -sampling-factor 1x1 -quality 90 \
    -units PixelsPerInch -density 96 \
    "jpg:$here/circuit.jpg"

identify -format '%f: %wx%h %[interlace] %xx%y %[units]\n' "$here/circuit.jpg"

# The scales Windows offers (125 % to 300 %), as DPIs; ui/CMakeLists.txt
# names the same list.
python3 "$here/make_circuit_bitmaps.py" 120 144 168 192 240 288
