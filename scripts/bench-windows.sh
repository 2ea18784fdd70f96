#!/usr/bin/env bash
# The start-up benchmark's Windows pair: quendal.exe (preset windows-x64) against a
# bare Win32 window of the same size with a one-item menu (bench/win32), both
# started alternately under the same Wine, in the same virtual desktop on the
# same virtual display, each timed from its start to its window first shown.
# Prints every start, each program's median and the ratio; the goal is a ratio
# of at most 1.10. Results also go to build/windows-bench/results.txt.
#   PAIRS=40 scripts/bench-windows.sh      (default 30 pairs, at least 20)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
pairs=${PAIRS:-30}
[ "$pairs" -ge 20 ] || { echo "PAIRS must be at least 20" >&2; exit 2; }
bench=$root/build/windows-bench

if [ -z "${QUENDAL_IN_XVFB:-}" ]; then
  cmake --preset windows-x64 >/dev/null
  cmake --build --preset windows-x64
  cmake -S bench/win32 -B "$bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build "$bench"
  QUENDAL_IN_XVFB=1 exec scripts/with-display.sh --size 1024x768x24 -- \
    tools/in-wine-desktop 1024x768 -- "$0"
fi

# A fixed memory layout, as in tools/wine-run: Debian's Wine has no preloader.
wine() { setarch "$(uname -m)" -R wine "$@"; }
# One server and desktop for the whole run; a first start of each program
# warms the caches that every later start finds warm.
wineserver -p
program=Z:$root/build/windows-x64-release/quendal.exe
bare=Z:$bench/barewindow.exe
wine "$bench/startwatch.exe" 1 "$program" QuendalForm1 "$bare" QuendalBareWindow >/dev/null
wine "$bench/startwatch.exe" "$pairs" "$program" QuendalForm1 "$bare" QuendalBareWindow |
  tr -d '\r' | tee "$bench/results.txt"
echo "A: quendal.exe ($(stat -c %s "$root/build/windows-x64-release/quendal.exe") bytes), B: the bare window; $(nproc) cores, $(wine --version)" |
  tee -a "$bench/results.txt"
