#!/usr/bin/env bash
# Takes a screenshot of the main window on a virtual X display, for the
# README: it types 1 µF into C1 and presses "计算电流" with the keyboard first.
#   scripts/screenshot.sh [program] [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."

program=${1:-build/release/quendal}
output=${2:-docs/screenshot.png}

if [ -z "${QUENDAL_IN_XVFB:-}" ]; then
  QUENDAL_IN_XVFB=1 exec scripts/with-display.sh --size 640x480x24 --dpi 96 -- "$0" "$program" "$output"
fi

"$program" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

window=""
for _ in $(seq 100); do
  window=$(xwininfo -root -tree 2>/dev/null | awk '/"Quendal by Morvik"/ {print $1; exit}')
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the main window never appeared" >&2; exit 1; }
sleep 0.5  # let the first paint finish
# From txtVolt: Tab to txtF, Picture1, txtC1; type 1; Tab to Command1, Command2.
xdotool windowfocus --sync "$window" key Tab Tab Tab type 1
xdotool key Tab Tab space
sleep 0.5
import -window "$window" "$output"
echo "saved $output"
