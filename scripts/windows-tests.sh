#!/usr/bin/env bash
# Cross-builds Quendal for 64-bit Windows with MinGW-w64 (the core, the platform
# layer, the System Information launcher and the native front-end quendal.exe),
# with their tests, and runs the tests under Wine in a fresh prefix: first the
# headless ones, then the front-end's on a virtual display (scripts/with-display.sh)
# in a Wine virtual desktop, in Chinese. Exits non-zero when anything fails.
# Needs the packages of `scripts/install-deps.sh test`.
#   scripts/windows-tests.sh [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/windows
toolchain=$root/cmake/mingw-w64-x86_64.cmake

step() { printf '\n== %s (at %ss)\n' "$*" "$SECONDS"; }

for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres wine wineserver Xvfb; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is missing: run scripts/install-deps.sh test" >&2
    exit 1
  fi
done
if [ ! -f /usr/src/googletest/CMakeLists.txt ]; then
  echo "GoogleTest sources are missing: run scripts/install-deps.sh test" >&2
  exit 1
fi

# GoogleTest for Windows from the sources that libgtest-dev ships; built once
# per build folder.
gtest=$build/googletest
if [ ! -f "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
  step "GoogleTest for Windows"
  cmake -S /usr/src/googletest -B "$build/googletest-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX="$gtest" >/dev/null
  cmake --build "$build/googletest-build"
  cmake --install "$build/googletest-build" >/dev/null
fi

step "Windows build"
cmake -S . -B "$build/project" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUENDAL_BUILD_GUI=ON -DBUILD_TESTING=ON -DQUENDAL_WARNINGS_AS_ERRORS=ON \
  -DGTest_DIR="$gtest/lib/cmake/GTest" >/dev/null
cmake --build "$build/project"

step "Windows tests under Wine"
# A fresh prefix for each run; Wine's server folder (under TMPDIR) goes with it.
run=$(mktemp -d "${TMPDIR:-/tmp}/quendal-wine.XXXXXX")
mkdir "$run/tmp"
export WINEPREFIX=$run/prefix TMPDIR=$run/tmp
cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$run"
}
trap cleanup EXIT

# Create the prefix and let its first server finish writing the registry
# before any test reads it. Then keep one server up for the whole run, so that
# each test program starts in a fraction of a second, and start Wine's
# background services now: started by the first test they would inherit its
# output pipe and hold ctest until they end.
tools/wine-run wineboot --init >/dev/null 2>&1
wineserver -w
wineserver -p
tools/wine-run cmd /c exit </dev/null >/dev/null 2>&1
status=0
ctest --test-dir "$build/project" --output-on-failure --no-tests=error -LE win32-gui "$@" ||
  status=1

step "Windows front-end tests under Wine, on a virtual display"
# The same prefix with a new server, whose desktop gets the display.
wineserver -k
wineserver -w
tools/wine-desktop-prefix 1024x768
gui_tests() {
  wineserver -p
  tests/win32/wine-gui cmd /c exit </dev/null >/dev/null 2>&1
  ctest --test-dir "$build/project" --output-on-failure --no-tests=error -L win32-gui "$@"
}
export -f gui_tests
export build
scripts/with-display.sh -- bash -c 'gui_tests "$@"' gui_tests "$@" || status=1
echo "Windows build and tests took ${SECONDS}s"
exit $status
