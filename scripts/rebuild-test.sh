#!/usr/bin/env bash
# Builds the release files twice, each time with scripts/release.sh in a fresh
# copy of this tree (its commit and any uncommitted changes) in folders of
# different names and lengths, some seconds apart, and fails, naming the
# file, unless both give the same SHA256SUMS. The first build's files are
# left in the output folder, for the installer test.
#   scripts/rebuild-test.sh [output folder]   (default build/test-release-files)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$(realpath -m "${1:-build/test-release-files}")

fail() { echo "rebuild test: $*" >&2; exit 1; }
git rev-parse --is-inside-work-tree >/dev/null 2>&1 || fail "needs a git checkout that git can read"

copies=$root/build/rebuild
rm -rf "$copies"
mkdir -p "$copies"
# copy_tree <folder>: HEAD, then the working tree's changes and new files.
copy_tree() {
  git clone -q "$root" "$1"
  git diff HEAD --binary | git -C "$1" apply --allow-empty --whitespace=nowarn
  git ls-files -o --exclude-standard -z | tar --null -T - -cf - | tar -C "$1" -xf -
}
first=$copies/a
second=$copies/second-copy-in-a-longer-folder
copy_tree "$first"
copy_tree "$second"
"$first/scripts/release.sh" --allow-dirty "$copies/a-files"
sleep 2  # so that any time stamp left in a file differs
"$second/scripts/release.sh" --allow-dirty "$copies/second-files"

if ! cmp -s "$copies/a-files/SHA256SUMS" "$copies/second-files/SHA256SUMS"; then
  diff "$copies/a-files/SHA256SUMS" "$copies/second-files/SHA256SUMS" >&2 || true
  different=$(sed -n 's/^< [0-9a-f]*  //p' <<<"$(diff "$copies/a-files/SHA256SUMS" \
    "$copies/second-files/SHA256SUMS")" | tr '\n' ' ')
  fail "the two builds differ in: $different(diffoscope shows how; both are in $copies)"
fi
echo "both builds gave the same files:"
cat "$copies/a-files/SHA256SUMS"

rm -rf "$out"
mkdir -p "$(dirname "$out")"
mv "$copies/a-files" "$out"
rm -rf "$copies"
echo "release files in $out"
