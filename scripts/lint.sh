#!/usr/bin/env bash
# Checks that every C++ file matches .clang-format, that the embedded fonts
# hold every character of the program's texts, and that clang-tidy, with the
# checks of .clang-tidy, finds nothing. Needs a configured build for the
# compile commands (default build/ci).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/ci}

mapfile -t files < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run --Werror "${files[@]}"
echo "clang-format: ${#files[@]} files match the style"

# A new text in the program needs its glyphs in the embedded fonts.
assets/fonts/make-font-subsets.sh --check

# Only the sources this build compiles (Windows-only ones are checked by the
# Windows build's compiler warnings).
mapfile -t sources < <(python3 - "$build" <<'PY'
import json, os, sys
build = sys.argv[1]
top = os.getcwd()
seen = set()
for entry in json.load(open(os.path.join(build, "compile_commands.json"))):
    path = os.path.relpath(os.path.join(entry["directory"], entry["file"]), top)
    if not path.startswith(("..", "build")) and path not in seen:
        seen.add(path)
        print(path)
PY
)
printf '%s\n' "${sources[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null
echo "clang-tidy: ${#sources[@]} sources clean"
