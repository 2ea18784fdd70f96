#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the main build
# with warnings as errors, style and static checks, the user documentation
# against the program and itself, the windows through the
# accessibility layer, the sanitizer build, fuzzing, the Windows program and
# its tests under Wine, the release files (built twice, to see that they are
# the same; left in build/test-release-files) and the Windows installer under
# Wine, and their Debian package (lintian, then installed and started). The
# main test suite runs last, so that its summary closes the output.
#   scripts/test.sh [--yes]    --yes: install what is missing without asking
set -euo pipefail
cd "$(dirname "$0")/.."

yes=()
case ${1:-} in
  "") ;;
  --yes) yes=(--yes) ;;
  *) echo "usage: $0 [--yes]" >&2; exit 2 ;;
esac
scripts/install-deps.sh test "${yes[@]}"
# The package test installs quendal at the end: a machine where it cannot
# (the user's own quendal) is told now, not after all the other steps. It
# also undoes an earlier run interrupted between its install and its purge.
scripts/package-test.sh --check

# Without a session's runtime folder (root, CI), the Qt programs of the tests
# would make and leave /tmp/runtime-<user>: one of the run's own instead.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  runtime=$(mktemp -d)
  trap 'rm -rf "$runtime"' EXIT
  export XDG_RUNTIME_DIR=$runtime
fi

started=$SECONDS
step() { printf '\n== %s  [%ds]\n' "$*" $((SECONDS - started)); }

step "Build with warnings as errors"
cmake --preset ci >/dev/null
cmake --build --preset ci

step "Style and static checks"
scripts/lint.sh build/ci

step "Documentation: both READMEs, the manual pages and the release notes agree"
scripts/docs-check.sh

step "The window through the accessibility layer (AT-SPI)"
scripts/a11y-test.sh build/ci/quendal

step "Sanitizers: every test again under ASan and UBSan"
scripts/sanitize.sh

step "Fuzzing: each target for ${FUZZ_SECONDS:-60}s"
scripts/fuzz.sh

step "Windows build and tests under Wine"
scripts/windows-tests.sh

# In a folder of their own: build/release-files may hold a real release.
step "Release files, built twice in two copies of the tree: the same checksums"
scripts/rebuild-test.sh build/test-release-files

step "Windows installer under Wine: install, upgrade, uninstall"
scripts/installer-test.sh build/test-release-files

step "Debian package of the release files: lintian, install, start, purge"
scripts/package-test.sh build/test-release-files

step "Tests"
ctest --preset ci
