#!/usr/bin/env bash
# Builds the release files twice, each time with scripts/release.sh in a fresh
# copy of this tree (its commit and any uncommitted changes), as two
# different builders would, and fails, naming the file and showing
# diffoscope's report of how it differs, unless both give the same
# SHA256SUMS. The second builder differs from the first in:
#   umask            022 / 002
#   time zone        UTC / Asia/Shanghai
#   locale           C.UTF-8 / C (or zh_CN.UTF-8 where it is generated)
#   filesystem       the first copy on this tree's, the second on tmpfs
#                    (/dev/shm; where there is none, the same filesystem, said)
#   path             folders of different names and lengths
#   environment      the caller's / a clean one (env -i, a short PATH), with
#                    CXXFLAGS, LDFLAGS and CMAKE_PREFIX_PATH set in the first
#   time             some seconds apart
#   user             the caller / user 4242, in a user namespace of its own
#   host name        this machine's / quendal-second-builder (UTS namespace)
#   CPUs             all / one (taskset)
#   file order       as the filesystem lists them / shuffled in every folder
#                    (disorderfs over the second copy)
# Where the kernel or the machine refuses one of the last four (no user
# namespaces, no FUSE), the test says so and builds without it.
# The first build's files are left in the output folder, for the installer test.
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
# The second copy on tmpfs when there is one (Debian 13's /tmp is; /dev/shm
# is on every Debian).
second_base=$copies
if [ "$(stat -f -c %T /dev/shm 2>/dev/null)" = tmpfs ] && [ -w /dev/shm ]; then
  second_base=$(mktemp -d /dev/shm/quendal-rebuild.XXXXXX)
  echo "second copy on tmpfs, in $second_base"
else
  echo "NOTE: no writable tmpfs here (/dev/shm); both copies on the same filesystem"
fi
shuffled=""
cleanup() {
  if [ -n "$shuffled" ]; then
    fusermount3 -u "$shuffled" 2>/dev/null || fusermount -u "$shuffled" 2>/dev/null || umount "$shuffled"
    rmdir "$shuffled"
  fi
  [ "$second_base" = "$copies" ] || rm -rf "$second_base"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# The files of the tree as it is: what git tracks (but has been deleted) and
# what it does not track but would not ignore. NUL-separated plumbing output,
# which no configuration (an external diff tool, diff.noprefix, quoting)
# changes.
tree_files() {
  git -C "$root" ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' file; do
      if [ -f "$root/$file" ] || [ -L "$root/$file" ]; then printf '%s\0' "$file"; fi
    done | LC_ALL=C sort -zu
}
tree_files >"$copies/files"
listing() {  # listing <folder>: type, mode and checksum of each of the tree's files there
  (cd "$1" && xargs -0 -r sh -c 'for f; do
      if [ -L "$f" ]; then echo "link $(readlink "$f") $f"
      else echo "$(stat -c "%a" "$f") $(sha256sum <"$f" | cut -c1-64) $f"; fi
    done' sh <"$copies/files")
}
listing "$root" >"$copies/tree-listing"

# copy_tree <folder>: HEAD's history (release.sh names the commit), then the
# working tree's own files over it, byte for byte; then a check that the copy
# holds exactly those files, with their modes.
copy_tree() {
  git clone -q --no-checkout "$root" "$1"
  git -C "$1" read-tree HEAD
  (cd "$root" && tar --null --no-recursion -T "$copies/files" -cf -) | tar -C "$1" -xpf -
  listing "$1" | cmp -s - "$copies/tree-listing" ||
    fail "the copy in $1 differs from the tree: $(listing "$1" | diff "$copies/tree-listing" - | head -5)"
  local extra
  extra=$(cd "$1" && find . -path ./.git -prune -o ! -type d -print | sed 's|^\./||' | LC_ALL=C sort |
    LC_ALL=C comm -23 - <(tr '\0' '\n' <"$copies/files"))
  [ -z "$extra" ] || fail "the copy in $1 holds files the tree does not: $extra"
  echo "copy in $1: the tree's $(tr -cd '\0' <"$copies/files" | wc -c) files, as they are"
}
first=$copies/a
second=$second_base/second-copy-in-a-longer-folder-name
copy_tree "$first"
copy_tree "$second"
# The second builder reads its copy through disorderfs, which lists every
# folder's files in another order on each read.
second_view=$second_base
if command -v disorderfs >/dev/null && mkdir -p "$second_base.view" &&
  disorderfs --quiet --shuffle-dirents=yes "$second_base" "$second_base.view" 2>/dev/null; then
  shuffled=$second_base.view
  second_view=$shuffled
  echo "second copy read through disorderfs: files listed in a shuffled order"
else
  rmdir "$second_base.view" 2>/dev/null || true
  echo "NOTE: disorderfs cannot mount here (no FUSE); the second copy lists its files in the filesystem's order"
fi
# ... as another user on another host, in namespaces of its own: user 4242,
# host quendal-second-builder. The outer namespace may set the host name;
# the inner one maps the caller to user 4242 (util-linux 2.38's --map-user).
as_other_builder=(unshare --user --map-root-user --uts -- sh -c
  'hostname quendal-second-builder && exec unshare --user --map-user=4242 --map-group=4242 -- "$@"' sh)
if "${as_other_builder[@]}" sh -c '[ "$(id -u)" = 4242 ] && [ "$(hostname)" = quendal-second-builder ]' 2>/dev/null; then
  echo "second builder: user 4242 on host quendal-second-builder"
else
  as_other_builder=()
  echo "NOTE: no user namespaces here; the second build runs as $(id -un) on $(hostname)"
fi
# ... on one CPU, where there is more than one.
one_cpu=()
if [ "$(nproc)" -gt 1 ] && taskset -c 0 true 2>/dev/null; then
  one_cpu=(taskset -c 0)
else
  echo "NOTE: one CPU only; both builds run on it"
fi

locale_b=C
if locale -a 2>/dev/null | grep -qx 'zh_CN.utf8'; then locale_b=zh_CN.UTF-8; fi
echo "first build: umask 022, TZ=UTC, LC_ALL=C.UTF-8, the caller's environment with build flags"
(
  umask 022
  export TZ=UTC LC_ALL=C.UTF-8 CXXFLAGS=-O0 LDFLAGS=-Wl,--as-needed CMAKE_PREFIX_PATH=/nonexistent
  "$first/scripts/release.sh" --allow-dirty "$copies/a-files"
)
sleep 2  # so that any time stamp left in a file differs
echo "second build: umask 002, TZ=Asia/Shanghai, LC_ALL=$locale_b, a clean environment, $([ ${#one_cpu[@]} -gt 0 ] && echo "1 of $(nproc) CPUs" || echo "all CPUs")"
(
  umask 002
  "${one_cpu[@]}" "${as_other_builder[@]}" \
    env -i PATH=/usr/bin:/bin HOME="${HOME:-/root}" TZ=Asia/Shanghai LC_ALL="$locale_b" \
    "$second_view/${second#"$second_base"/}/scripts/release.sh" --allow-dirty "$second_view/second-files"
)

if ! cmp -s "$copies/a-files/SHA256SUMS" "$second_base/second-files/SHA256SUMS"; then
  diff "$copies/a-files/SHA256SUMS" "$second_base/second-files/SHA256SUMS" >&2 || true
  different=$(sed -n 's/^< [0-9a-f]*  //p' <<<"$(diff "$copies/a-files/SHA256SUMS" \
    "$second_base/second-files/SHA256SUMS")")
  # Kept under build/ for a closer look; the tmpfs copy goes.
  mkdir -p "$copies/second-files"
  cp -a "$second_base/second-files/." "$copies/second-files/"
  for file in $different; do
    echo "== diffoscope $file" >&2
    if command -v diffoscope >/dev/null; then
      diffoscope --text - "$copies/a-files/$file" "$copies/second-files/$file" >&2 || true
    else
      echo "(diffoscope is missing: run scripts/install-deps.sh test)" >&2
    fi
  done
  fail "the two builds differ in: $(tr '\n' ' ' <<<"$different")(both are in $copies)"
fi
echo "both builds gave the same files:"
cat "$copies/a-files/SHA256SUMS"

rm -rf "$out"
mkdir -p "$(dirname "$out")"
mv "$copies/a-files" "$out"
rm -rf "$copies"
echo "release files in $out"
