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

# A fresh prefix for each run, under build/ (not in /tmp, which may be RAM),
# removed at the end and when interrupted; Wine's server folder goes with it
# where it can.
# shellcheck source=tools/wine-common.sh
. tools/wine-common.sh
run=$(wine_scratch "$root" windows-tests)
mkdir "$run/tmp"
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
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# Wine must leave the user's home as it was (its menu builder, left on, fills
# ~/.config/menus and ~/.local/share): every Wine start here sees a stand-in
# home, compared with its first state at the end.
home=$run/home
mkdir -p "$home/.config" "$home/.local/share" "$home/.cache"
echo "a file of the user's" >"$home/.config/settings"
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_CACHE_HOME=$home/.cache
snapshot() { (cd "$home" && find . -printf '%y %m %s %p\n' | LC_ALL=C sort); }
snapshot >"$run/home-before"

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

# Each test program's tests, at least: ctest passes a program whose test
# discovery finds none (it fails to start, its listing is empty or
# unreadable), so each is required here by name and number. Raise a number
# with the tests; a new program needs its line.
declare -A minimum_tests=(
  [core_tests]=100 [format_reference_test]=9 [forms_tests]=40 [platform_tests]=50
  [sysinfo_tests]=45 [win32_unit_tests]=25 [win32_ui_tests]=55
)
# require_tests <build folder>: fails, naming them, unless ctest knows at
# least that many tests of each program there, and no other program.
require_tests() {
  local counts program count result=0
  counts=$(ctest --test-dir "$1" -N --show-only=json-v1 | python3 -c '
import collections, json, os, sys
counts = collections.Counter()
for test in json.load(sys.stdin)["tests"]:
    programs = [os.path.basename(word)[:-4] for word in test.get("command", []) if word.endswith(".exe")]
    counts[programs[0] if programs else "(no program: " + test["name"] + ")"] += 1
for program, count in sorted(counts.items()):
    print(program, count)') || { echo "FAIL: ctest cannot list the tests of $1" >&2; return 1; }
  for program in "${!minimum_tests[@]}"; do
    count=$(awk -v p="$program" '$1 == p {print $2}' <<<"$counts")
    if [ "${count:-0}" -lt "${minimum_tests[$program]}" ]; then
      echo "FAIL: $program has ${count:-no} tests in $1, at least ${minimum_tests[$program]} expected" >&2
      result=1
    fi
  done
  while read -r program count; do
    if [ -n "$program" ] && [ -z "${minimum_tests[$program]:-}" ]; then
      echo "FAIL: $program ($count tests) is not in windows-tests.sh's list of test programs" >&2
      result=1
    fi
  done <<<"$counts"
  [ $result -ne 0 ] || echo "tests of each program: $(tr '\n' ' ' <<<"$counts")"
  return $result
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

step "Every test program's tests were there"
# In the 64-bit prefix, should a program's listing be out of date.
for architecture in "${architectures[@]}"; do
  (
    export WINEPREFIX=$run/prefix
    unset WINEARCH
    require_tests "$root/build/windows-$architecture/project"
  ) || status=1
done

step "The home was left as it was"
if snapshot | diff "$run/home-before" - >&2; then
  echo "nothing was written into the home"
else
  echo "FAIL: Wine changed the home (above: < before, > after)" >&2
  status=1
fi
echo "Windows builds and tests took ${SECONDS}s"
exit $status
