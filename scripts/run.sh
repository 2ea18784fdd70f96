#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
cmake --preset release >/dev/null
cmake --build --preset release

program=build/release/quendal
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$program"
fi
echo "No display here: starting Quendal on a virtual X display (Xvfb)."
echo "Use a desktop session, or ssh -X, to see the window."
exec scripts/with-display.sh -- "$program"
