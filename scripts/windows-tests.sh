#!/usr/bin/env bash
# Cross-builds Quendal for 64-bit (x64) and 32-bit (x86) Windows with MinGW-w64
# (the core, the platform layer, the System Information launcher and the
# native front-end quendal.exe), with their tests, and runs the tests of both
# builds under Wine in one fresh 64-bit prefix, where the 32-bit programs run
# as on 64-bit Windows (WoW64): first the headless ones, then the front-end's
# on a virtual display (scripts/with-display.sh) in a Wine virtual desktop, in
# Chinese. Then the 32-bit platform tests once more in a 32-bit-only prefix,
# as on 32-bit Windows. Exits non-zero when anything fails.
# Needs the packages of `scripts/install-deps.sh test`.
#   scripts/windows-tests.sh [ctest arguments...]
#   WINDOWS_ARCHITECTURES="x86" scripts/windows-tests.sh   one build only
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
read -ra architectures <<<"${WINDOWS_ARCHITECTURES:-x64 x86}"

step() { printf '\n== %s (at %ss)\n' "$*" "$SECONDS"; }

# toolchain <architecture>: the CMake toolchain file of that build.
toolchain() {
  case $1 in
    x64) echo "$root/cmake/mingw-w64-x86_64.cmake" ;;
    x86) echo "$root/cmake/mingw-w64-i686.cmake" ;;
    *) echo "unknown Windows architecture '$1' (x64 or x86)" >&2; exit 2 ;;
  esac
}

for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres i686-w64-mingw32-g++-posix \
            i686-w64-mingw32-windres wine wineserver Xvfb; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is missing: run scripts/install-deps.sh test" >&2
    exit 1
  fi
done
if [ ! -f /usr/src/googletest/CMakeLists.txt ]; then
  echo "GoogleTest sources are missing: run scripts/install-deps.sh test" >&2
  exit 1
fi

for architecture in "${architectures[@]}"; do
  build=$root/build/windows-$architecture
  # GoogleTest for Windows from the sources that libgtest-dev ships; built
  # once per build folder.
  gtest=$build/googletest
  if [ ! -f "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
    step "GoogleTest for Windows $architecture"
    cmake -S /usr/src/googletest -B "$build/googletest-build" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$(toolchain "$architecture")" -DCMAKE_BUILD_TYPE=Release \
      -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX="$gtest" >/dev/null
    cmake --build "$build/googletest-build"
    cmake --install "$build/googletest-build" >/dev/null
  fi

  step "Windows $architecture build"
  cmake -S . -B "$build/project" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$(toolchain "$architecture")" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUENDAL_BUILD_GUI=ON -DBUILD_TESTING=ON -DQUENDAL_WARNINGS_AS_ERRORS=ON \
    -DGTest_DIR="$gtest/lib/cmake/GTest" >/dev/null
  cmake --build "$build/project"
done

# A fresh prefix for each run; Wine's server folder goes with it where it can.
run=$(mktemp -d "${TMPDIR:-/tmp}/quendal-wine.XXXXXX")
mkdir "$run/tmp"
# shellcheck source=tools/wine-common.sh
. tools/wine-common.sh
export WINEPREFIX=$run/prefix
wine_temp_folder "$run/tmp"
cleanup() {
  for prefix in "$run/prefix" "$run/prefix32"; do
    if [ -d "$prefix" ]; then
      WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
      WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
    fi
  done
  rm -rf "$run"
}
trap cleanup EXIT

# start_prefix: creates the prefix that WINEPREFIX names (if it is not there)
# and lets its first server finish writing the registry before any test reads
# it. Then keeps one server up, so that each test program starts in a
# fraction of a second, and starts Wine's background services now: started by
# the first test they would inherit its output pipe and hold ctest until they
# end.
start_prefix() {
  tools/wine-run wineboot --init >/dev/null 2>&1
  wineserver -w
  wineserver -p
  tools/wine-run cmd /c exit </dev/null >/dev/null 2>&1
}

status=0
step "Windows tests under Wine (${architectures[*]})"
start_prefix
for architecture in "${architectures[@]}"; do
  step "Windows $architecture tests"
  ctest --test-dir "$root/build/windows-$architecture/project" --output-on-failure \
    --no-tests=error -LE win32-gui "$@" || status=1
done

step "Windows front-end tests under Wine, on a virtual display (${architectures[*]})"
# The same prefix with a new server, whose desktop gets the display.
wineserver -k
wineserver -w
tools/wine-desktop-prefix 1024x768
gui_tests() {
  wineserver -p
  tests/win32/wine-gui cmd /c exit </dev/null >/dev/null 2>&1
  local architecture result=0
  for architecture in $WINDOWS_GUI_ARCHITECTURES; do
    printf '\n== Windows %s front-end tests (at %ss)\n' "$architecture" "$SECONDS"
    ctest --test-dir "$root/build/windows-$architecture/project" --output-on-failure \
      --no-tests=error -L win32-gui "$@" || result=1
  done
  return $result
}
export -f gui_tests
export root WINDOWS_GUI_ARCHITECTURES="${architectures[*]}"
scripts/with-display.sh -- bash -c 'gui_tests "$@"' gui_tests "$@" || status=1
wineserver -k
wineserver -w

if [[ " ${architectures[*]} " == *" x86 "* ]]; then
  step "Windows x86 platform tests in a 32-bit prefix, as on 32-bit Windows"
  export WINEPREFIX=$run/prefix32 WINEARCH=win32
  start_prefix
  ctest --test-dir "$root/build/windows-x86/project" --output-on-failure --no-tests=error \
    -L '^platform$' "$@" || status=1
  unset WINEARCH
fi
echo "Windows builds and tests took ${SECONDS}s"
exit $status
