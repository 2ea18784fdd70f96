#!/usr/bin/env bash
# The start-up benchmark for Windows: quendal.exe against a bare Win32 window
# of the same size with a one-item menu, and the rungs of the ladder between
# the two (bench/win32/ladder.cpp), all started in turn under the same Wine,
# in the same virtual desktop on the same virtual display, each timed from its
# start to its window first shown. Prints every start, each program's median,
# its ratio to the bare window in the same round with the quartiles of that
# ratio, and the difference; the goal for quendal.exe is a ratio of at most
# 1.10. Results also go to build/windows-bench/results.txt.
#   ROUNDS=60 scripts/bench-windows.sh      (default 60 rounds, at least 20)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
rounds=${ROUNDS:-${PAIRS:-60}}
[ "$rounds" -ge 20 ] || { echo "ROUNDS must be at least 20" >&2; exit 2; }
bench=$root/build/windows-bench

if [ -z "${QUENDAL_IN_XVFB:-}" ]; then
  # The release build of the program and the ladder, with the same flags.
  cmake -S . -B "$bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DQUENDAL_BUILD_BENCHMARKS=ON -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build "$bench" --target quendal startwatch ladder0 ladder1 ladder2 ladder3 ladder4
  QUENDAL_IN_XVFB=1 exec scripts/with-display.sh --size 1024x768x24 -- \
    tools/in-wine-desktop 1024x768 -- "$0"
fi

wine() { tools/wine-start "$@"; }
# One server and desktop for the whole run; a first start of each program
# warms the caches that every later start finds warm.
wineserver -p
programs=("Z:$bench/quendal.exe" QuendalForm1)
for rung in 4 3 2 1 0; do programs+=("Z:$bench/bench/win32/ladder$rung.exe" QuendalLadder); done
wine "$bench/bench/win32/startwatch.exe" 1 "${programs[@]}" >/dev/null
wine "$bench/bench/win32/startwatch.exe" "$rounds" "${programs[@]}" |
  tr -d '\r' | tee "$bench/results.txt"
echo "quendal.exe $(stat -c %s "$bench/quendal.exe") bytes; ladder0 is the bare window; $(nproc) cores, $(wine --version)" |
  tee -a "$bench/results.txt"
