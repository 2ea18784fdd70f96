#!/usr/bin/env bash
# Builds the release files twice, each time with scripts/release.sh in a fresh
# copy of this tree (its commit and any uncommitted changes), as two
# different builders would, and fails, naming the file and showing
# diffoscope's report of how it differs, unless both give the same files.
# The second build is signed, with a throw-away certificate made for it (and
# deleted at the end): each signed Windows file must verify with it as the
# trusted root, and with its signature removed each program and the
# uninstaller the installer carries must equal the first, unsigned build's;
# the installer, which carries the signed ones, must equal what makensis made
# before it was signed (of the two NSIS files, but for the PE checksum and
# the padding that signing adds). The second builder differs from the first in:
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
# The throw-away certificate and its key, apart from the copies so that they
# go even when a failure leaves the copies for a closer look.
signer=$root/build/rebuild-signer
rm -rf "$signer"
shuffled=""
cleanup() {
  rm -rf "$signer"
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
# A self-signed code-signing certificate, in a PKCS#12 file whose password
# the second build gets in QUENDAL_SIGN_PASSWORD (throw-away, so that env's
# command line may show it).
mkdir -m 700 "$signer"
sign_password=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
openssl req -x509 -newkey rsa:3072 -nodes -keyout "$signer/key.pem" -out "$signer/cert.pem" -days 2 \
  -subj "/CN=Quendal rebuild test, throw-away" -addext extendedKeyUsage=codeSigning \
  -addext keyUsage=critical,digitalSignature >"$signer/openssl.log" 2>&1 &&
  QUENDAL_SIGN_PASSWORD=$sign_password openssl pkcs12 -export -inkey "$signer/key.pem" \
    -in "$signer/cert.pem" -out "$signer/signer.p12" -passout env:QUENDAL_SIGN_PASSWORD \
    >>"$signer/openssl.log" 2>&1 || fail "openssl cannot make the throw-away certificate: $(cat "$signer/openssl.log")"
echo "second build: umask 002, TZ=Asia/Shanghai, LC_ALL=$locale_b, a clean environment, $([ ${#one_cpu[@]} -gt 0 ] && echo "1 of $(nproc) CPUs" || echo "all CPUs"), signed"
(
  umask 002
  "${one_cpu[@]}" "${as_other_builder[@]}" \
    env -i PATH=/usr/bin:/bin HOME="${HOME:-/root}" TZ=Asia/Shanghai LC_ALL="$locale_b" \
    QUENDAL_SIGN_PASSWORD="$sign_password" \
    "$second_view/${second#"$second_base"/}/scripts/release.sh" --allow-dirty \
    --sign-pkcs12 "$signer/signer.p12" "$second_view/second-files"
)

# What is compared: every file of the first SHA256SUMS but the installer, and
# the uninstaller that makensis handed over; of the second build the same,
# the Windows files with their signatures removed once they have verified.
listed=$(sed -n 's/^[0-9a-f]\{64\}  //p' "$copies/a-files/SHA256SUMS")
setup=$(grep -x 'quendal-.*-setup\.exe' <<<"$listed") || fail "the first SHA256SUMS names no installer"
compared_a=$copies/a-compared
compared_b=$second_base/second-compared
mkdir "$compared_a" "$compared_b"
for file in $listed; do
  [ "$file" = "$setup" ] || cp "$copies/a-files/$file" "$compared_a/"
done
cp "$first/build/release-work/uninstall.exe" "$compared_a/"
# unsign <signed file> <file>: verified with the throw-away certificate as the
# only trusted root, then without its signature.
unsign() {
  local log=$signer/osslsigncode.log what
  what=$(basename "$1")
  osslsigncode verify -CAfile "$signer/cert.pem" -in "$1" >"$log" 2>&1 ||
    fail "the signed build's $what does not verify: $(cat "$log")"
  grep -q '^Signature verification: ok' "$log" || fail "osslsigncode did not verify $what: $(cat "$log")"
  osslsigncode remove-signature -in "$1" -out "$2" >"$log" 2>&1 ||
    fail "cannot remove the signature of $what: $(cat "$log")"
  echo "$what: signed, verifies with the throw-away certificate"
}
for file in $listed; do
  case $file in
    "$setup") unsign "$second_base/second-files/$file" "$second_base/$file" ;;
    *.exe) unsign "$second_base/second-files/$file" "$compared_b/$file" ;;
    *) cp "$second_base/second-files/$file" "$compared_b/" ;;
  esac
done
# unpad <file> <size>: an NSIS file (the installer, the uninstaller) with its
# signature removed, as makensis made it. makensis leaves the PE checksum 0
# and the file at any length; osslsigncode writes the checksum and pads the
# file to 8 bytes before the signature, and removing the signature keeps both.
# The padding must be zeros; the checksum goes back to 0.
unpad() {
  local padding
  padding=$(($(stat -c %s "$1") - $2))
  [ "$padding" -ge 0 ] && [ "$padding" -lt 8 ] && [ -z "$(tail -c "+$(($2 + 1))" "$1" | tr -d '\0')" ] ||
    fail "$(basename "$1") without its signature is not makensis's file padded to 8 bytes"
  truncate -s "$2" "$1"
  printf '\0\0\0\0' | dd of="$1" bs=1 seek=$(($(od -An -tu4 -j60 -N4 "$1" | tr -d ' ') + 24 + 64)) \
    conv=notrunc status=none
}
unsign "$second/build/release-work/uninstall.exe" "$compared_b/uninstall.exe"
unpad "$compared_b/uninstall.exe" "$(stat -c %s "$compared_a/uninstall.exe")"
made=$second/build/release-work/unsigned/$setup
unpad "$second_base/$setup" "$(stat -c %s "$made")"
cmp -s "$made" "$second_base/$setup" ||
  fail "$setup without its signature is not what makensis made: $(cmp "$made" "$second_base/$setup" 2>&1)"
echo "$setup without its signature is what makensis made (but for the PE checksum and the padding osslsigncode adds)"
sums() { (cd "$1" && find . -maxdepth 1 -type f -printf '%P\0' | LC_ALL=C sort -z | xargs -0 sha256sum); }
if [ "$(sums "$compared_a")" != "$(sums "$compared_b")" ]; then
  diff <(sums "$compared_a") <(sums "$compared_b") >&2 || true
  different=$(sed -n 's/^< [0-9a-f]*  //p' <<<"$(diff <(sums "$compared_a") <(sums "$compared_b"))")
  # Kept under build/ for a closer look; the tmpfs copy goes.
  mkdir -p "$copies/second-compared"
  cp -a "$compared_b/." "$copies/second-compared/"
  for file in $different; do
    echo "== diffoscope $file" >&2
    if command -v diffoscope >/dev/null; then
      diffoscope --text - "$compared_a/$file" "$copies/second-compared/$file" >&2 || true
    else
      echo "(diffoscope is missing: run scripts/install-deps.sh test)" >&2
    fi
  done
  fail "the two builds differ in: $(tr '\n' ' ' <<<"$different")(both are in $copies)"
fi
echo "both builds gave the same files (the signed ones without their signatures):"
sums "$compared_a"

rm -rf "$out"
mkdir -p "$(dirname "$out")"
mv "$copies/a-files" "$out"
rm -rf "$copies"
echo "release files in $out"
