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
# Started as a launcher starts it, with a startup notification to complete:
# its "remove" message reaches the root window, where xev watches.
notes=$(mktemp)
xev -root -event property >"$notes" 2>&1 &
watch=$!
sleep 0.5
DESKTOP_STARTUP_ID=quendal-a11y-test_TIME0 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" &
pid=$!
trap 'kill $pid $bus $watch 2>/dev/null || true; rm -f "$notes"' EXIT
# pyatspi belongs to the system's Python.
/usr/bin/python3 tests/a11y/check_window.py
grep -q '_NET_STARTUP_INFO_BEGIN' "$notes" ||
  { echo "a11y-test: the program did not complete its startup notification" >&2; exit 1; }
echo "startup notification: completed"
