#!/bin/sh
# Regenerates circuit.jpg from circuit.svg.
# Needs: rsvg-convert (Debian: librsvg2-bin), convert (Debian: imagemagick)
# and the DejaVu Sans font (Debian: fonts-dejavu-core).
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
