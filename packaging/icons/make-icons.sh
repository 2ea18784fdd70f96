#!/usr/bin/env bash
# Renders the hicolor theme icons, quendal-<size>.png, from the one icon
# source assets/quendal-icon.svg. The PNGs are committed, so the build needs
# no renderer; run this again only after changing the SVG.
# Needs rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"

source=../../assets/quendal-icon.svg
# The SVG is pixel art on a 32 grid drawn with shape-rendering="crispEdges":
# 32, 64, 128 and 256 are whole multiples and come out exact; at 16 and 48
# the renderer snaps each cell to whole pixels instead of blending colours.
for size in 16 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" --format png \
    --output "quendal-$size.png" "$source"
  echo "quendal-$size.png"
done
