#!/usr/bin/env bash
# Takes a screenshot of the Windows program's main window under Wine on a
# virtual X display, for the README: like scripts/screenshot.sh it types 1 µF
# into C1 and presses "计算电流" with the keyboard first. The window is shown
# in a Wine virtual desktop, which draws the Windows title bar, in Chinese.
#   scripts/screenshot-windows.sh [quendal.exe] [output.png]
# Without a program it builds the preset windows-x64 first.
set -euo pipefail
cd "$(dirname "$0")/.."

program=${1:-}
output=$(realpath -m "${2:-docs/screenshot-windows.png}")
if [ -z "$program" ]; then
  program=build/windows-x64-release/quendal.exe
  cmake --preset windows-x64 >/dev/null && cmake --build --preset windows-x64 >/dev/null
fi
program=$(realpath "$program")

if [ -z "${QUENDAL_IN_XVFB:-}" ]; then
  # A Wine desktop the size of the screen, so that its background surrounds the window.
  QUENDAL_IN_XVFB=1 exec scripts/with-display.sh --size 1024x768x24 -- \
    tools/in-wine-desktop 1024x768 -- "$0" "$program" "$output"
fi

wine() { tools/wine-start "$@"; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

wine "$program" >/dev/null 2>&1 &
# The window opens at the desktop's top-left corner: wait until it is drawn there.
background=""
for _ in $(seq 150); do
  sleep 0.2
  import -window root "$scratch/screen.png" 2>/dev/null || continue
  corner=$(convert "$scratch/screen.png" -format '%[pixel:p{1000,700}]' info:)
  inside=$(convert "$scratch/screen.png" -format '%[pixel:p{200,200}]' info:)
  if [ "$corner" != "$inside" ] && [ "$corner" != "black" ] && [ "$corner" != "srgb(0,0,0)" ]; then
    background=$corner
    break
  fi
done
[ -n "$background" ] || { echo "the main window never appeared" >&2; exit 1; }
sleep 1  # the picture and the focus
# From txtVolt: Tab to txtF, Picture1, txtC1; type 1; Tab to Command1, Command2.
xdotool key Tab Tab Tab type 1
xdotool key Tab Tab space
sleep 1
import -window root "$scratch/screen.png"
# Everything but the desktop's background: the window with its frame.
convert "$scratch/screen.png" -bordercolor "$background" -border 1 -fuzz 1% -trim +repage "$output"
echo "saved $output"
