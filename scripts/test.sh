#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test

step() { printf '\n== %s\n' "$*"; }

step "Debian package: build, install, start, purge"
scripts/package-test.sh

step "Build and test"
cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci

step "Sanitizers: every test again under ASan and UBSan"
scripts/sanitize.sh

step "Fuzzing: each target for ${FUZZ_SECONDS:-60}s"
scripts/fuzz.sh
