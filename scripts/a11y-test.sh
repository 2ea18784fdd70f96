#!/usr/bin/env bash
# Starts the program on a virtual display with the accessibility bus on, as a
# desktop with a screen reader has it, and checks and drives its windows
# through AT-SPI (tests/a11y/check_window.py).
#   scripts/a11y-test.sh [program]
set -euo pipefail
program=build/ci/quendal
if [ $# -gt 0 ]; then program=$(realpath -m "$1"); fi
cd "$(dirname "$0")/.."

# Said plainly here: otherwise the test only times out looking for the window.
[ -x "$program" ] || { echo "a11y-test: no program at $program; build it first" >&2; exit 2; }

if [ -z "${QUENDAL_IN_SESSION:-}" ]; then
  QUENDAL_IN_SESSION=1 exec scripts/with-display.sh --dbus -- "$0" "$program"
fi

/usr/libexec/at-spi-bus-launcher --launch-immediately &
bus=$!
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" &
pid=$!
trap 'kill $pid $bus 2>/dev/null || true' EXIT
# pyatspi belongs to the system's Python.
/usr/bin/python3 tests/a11y/check_window.py
