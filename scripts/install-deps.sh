#!/usr/bin/env bash
# Installs the Debian 12 or 13 packages that the build, the program and the
# tests need, and only those that are missing, so that it is cheap to run again.
#   scripts/install-deps.sh run    build and start the program
#   scripts/install-deps.sh test   everything the test command uses
#   scripts/install-deps.sh bench  that, and what scripts/bench.sh uses
set -euo pipefail

run_packages=(
  cmake ninja-build g++ qt6-base-dev qt6-qpa-plugins
  qt6-wayland           # the program on a Wayland compositor without Xwayland
  pkg-config libfontconfig-dev  # the program starts fontconfig early, on a thread
  libglib2.0-dev        # GDesktopAppInfo's declarations: System Information opens the desktop's own tool
  fonts-noto-cjk        # CJK fallback for text the embedded fonts lack
  xvfb xauth            # a display for machines that have none (scripts/with-display.sh)
)
test_packages=(
  "${run_packages[@]}"
  libgtest-dev libgmock-dev libbenchmark-dev
  locales               # the comma-decimal and Chinese locales of the tests
  x11-utils xdotool imagemagick  # drive the real window, take screenshots
  dpkg-dev file desktop-file-utils appstream  # build the .deb, check its desktop entry and metainfo
  clang libclang-rt-dev llvm  # libFuzzer and its sanitizer runtimes; llvm-symbolizer (the release's LLVM)
  clang-format clang-tidy  # the code's style and static checks
  python3-fonttools     # checks that the embedded fonts cover every text
  at-spi2-core python3-pyatspi dbus-daemon  # the window as a screen reader sees it
  g++-mingw-w64-x86-64-posix wine wine64  # Windows cross-build, tests under Wine
  g++-mingw-w64-i686-posix wine32:i386  # the same for 32-bit Windows (WoW64 in one prefix)
  fonts-wine            # Marlett, for the caption buttons of windows under Wine
  nsis                  # the Windows installer (scripts/release.sh, scripts/installer-test.sh)
  weston                # a headless Wayland compositor (scripts/package-test.sh)
  man-db                # renders the manual pages with warnings on (scripts/docs-check.sh)
  lintian               # Debian's checks of the .deb, run by hand (packaging/README.md)
)
bench_packages=(
  "${test_packages[@]}"
  libxdamage-dev        # scripts/bench.sh sees the first paint through DAMAGE
  valgrind              # and counts the instructions of a start-up
  dbus-daemon           # a session bus, as on a desktop
)

case "${1:-run}" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  bench) wanted=("${bench_packages[@]}") ;;
  *) echo "usage: $0 run|test|bench" >&2; exit 2 ;;
esac

# wine32 is an i386 package: dpkg must know that architecture before apt can
# find it (and only then, since adding it makes every apt-get update fetch
# the i386 lists too).
foreign=()
for package in "${wanted[@]}"; do
  architecture=${package#*:}
  if [ "$architecture" != "$package" ] && [ "$architecture" != "$(dpkg --print-architecture)" ] &&
    ! dpkg --print-foreign-architectures | grep -qx "$architecture"; then
    foreign+=("$architecture")
  fi
done

missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
# Locales the tests switch to: a comma decimal point, and Chinese.
locales=()
if [ "${1:-run}" = test ]; then
  present=$'\n'$(locale -a 2>/dev/null || true)$'\n'
  for locale in de_DE.UTF-8 zh_CN.UTF-8; do
    [[ $present == *$'\n'"${locale%.UTF-8}.utf8"$'\n'* ]] || locales+=("$locale")
  done
fi

# Root or sudo only when there is something to do, so that the test command
# also runs for a user on a machine that already has everything.
as_root=()
if [ "$(id -u)" -ne 0 ] && [ $((${#missing[@]} + ${#locales[@]} + ${#foreign[@]})) -gt 0 ]; then
  if ! command -v sudo >/dev/null; then
    todo=("${missing[@]}" "${locales[@]/#/locale }")
    echo "$0: installing ${todo[*]} needs root: run it as root, or install sudo" >&2
    exit 1
  fi
  as_root=(sudo)
fi

for architecture in $(printf '%s\n' "${foreign[@]}" | sort -u); do
  echo "Adding the $architecture architecture to dpkg"
  "${as_root[@]}" dpkg --add-architecture "$architecture"
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${as_root[@]}" apt-get update -qq
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

for locale in "${locales[@]}"; do
  "${as_root[@]}" sed -i "s/^# *\($locale UTF-8\)/\1/" /etc/locale.gen
  grep -q "^$locale UTF-8" /etc/locale.gen || echo "$locale UTF-8" | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
  "${as_root[@]}" locale-gen >/dev/null
done
