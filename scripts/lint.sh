#!/usr/bin/env bash
# Checks that every C++ file matches .clang-format (with clang-format 14 or
# 19, which format the tree alike; with neither it fails), that
# the embedded fonts hold every character of the program's texts, and that
# clang-tidy, with the checks of .clang-tidy, finds nothing. Needs a
# configured build for the compile commands (default build/ci).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/ci}

fail() {
  echo "lint: $*" >&2
  exit 1
}

# The C++ files, found without git: a release tarball has no .git, and git may
# refuse a checkout that another user owns. An empty list must never reach
# clang-format, which would then read standard input and pass.
folders=(core ui platform tests fuzz bench)
for folder in "${folders[@]}"; do
  [ -d "$folder" ] || fail "no folder $folder/ here: is this the top of the source tree?"
done
# Not through <(...), whose failures set -e cannot see.
listing=$(find "${folders[@]}" -name build -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print |
  LC_ALL=C sort)
[ -n "$listing" ] || fail "found no C++ files"
mapfile -t files <<<"$listing"

# A list that quietly lost files would pass too: each folder must give some,
# two files known to exist must be there, and where git works, so must every
# file it tracks (and that is still there).
# contains <line> <lines>
contains() { [[ $'\n'$2$'\n' == *$'\n'"$1"$'\n'* ]]; }
for folder in "${folders[@]}"; do
  [[ $'\n'$listing == *$'\n'"$folder"/* ]] || fail "found no C++ files in $folder/"
done
for known in core/dropper.cpp core/dropper.h; do
  contains "$known" "$listing" || fail "$known is missing from the list of C++ files"
done
if tracked=$(git -c core.quotepath=off ls-files -- '*.cpp' '*.h' 2>/dev/null); then
  unchecked=()
  while read -r file; do
    if [ -n "$file" ] && [ -e "$file" ] && ! contains "$file" "$listing"; then unchecked+=("$file"); fi
  done <<<"$tracked"
  [ ${#unchecked[@]} -eq 0 ] || fail "files that git tracks are not checked: ${unchecked[*]}"
fi

# clang-format's output differs between major versions: the tree is formatted
# alike by these (Debian 12's and Debian 13's), and only they can say whether
# a file matches. Without one of them the check fails: a style check that
# quietly does not run would pass anything.
usable_versions=(14 19)
format=""
for candidate in clang-format "${usable_versions[@]/#/clang-format-}"; do
  command -v "$candidate" >/dev/null || continue
  found=$("$candidate" --version | sed -n 's/.*clang-format version \([0-9]*\)\..*/\1/p')
  if [[ " ${usable_versions[*]} " == *" $found "* ]]; then
    format=$candidate format_version=$found
    break
  fi
done
[ -n "$format" ] || fail "no clang-format $(IFS=/; echo "${usable_versions[*]}") here, so the formatting cannot be checked" \
  "(clang-format is $(clang-format --version 2>/dev/null | head -n 1 || echo missing)): run scripts/install-deps.sh test"
"$format" --dry-run --Werror "${files[@]}" </dev/null
echo "clang-format $format_version: ${#files[@]} files match the style"

# A new text in the program needs its glyphs in the embedded fonts.
assets/fonts/make-font-subsets.sh --check

# Only the sources this build compiles (Windows-only ones are checked by the
# Windows build's compiler warnings).
[ -f "$build/compile_commands.json" ] ||
  fail "$build/compile_commands.json is missing: configure $build with -DCMAKE_EXPORT_COMPILE_COMMANDS=ON"
compiled=$(python3 - "$build" <<'PY'
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
mapfile -t sources <<<"$compiled"
contains core/dropper.cpp "$compiled" ||
  fail "$build/compile_commands.json does not compile core/dropper.cpp: is it this tree's build?"

# clang-tidy that cannot read .clang-tidy says so and carries on with its
# default checks, exiting 0.
enabled=$(clang-tidy --list-checks -p "$build" core/dropper.cpp 2>&1) &&
  [[ $enabled == *$'\n'"    bugprone-use-after-move"$'\n'* ]] ||
  fail "clang-tidy does not run the checks of .clang-tidy:"$'\n'"$(head -n 6 <<<"$enabled")"

# One file a run, each with its own log: parallel runs do not mix their lines,
# and clang-tidy's error count does not carry over to the next file.
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
status=0
printf '%s\0' "${sources[@]}" | xargs -0 -P "$(nproc)" -n 1 \
  sh -c 'exec clang-tidy -p "$2" --quiet "$3" >"$1/$(echo "$3" | tr / _).log" 2>&1' \
  sh "$logs" "$build" || status=$?
# On every file clang-tidy counts the compiler warnings it was told to ignore;
# anything else it says, error text included, goes to the log and fails the
# check, as it may have exited 0 all the same.
report=$(cat "$logs"/*.log | grep -vE '^[0-9]+ warnings? generated\.$' || true)
if [ -n "$report" ]; then printf '%s\n' "$report"; fi
[ $status -eq 0 ] && [ -z "$report" ] || fail "clang-tidy found problems (above)"
echo "clang-tidy: ${#sources[@]} sources clean"
