#!/usr/bin/env bash
# Proves the README's two commands on a fresh Debian, as a new user meets
# them: makes a minimal system with mmdebstrap (from the mirror this machine's
# apt uses), clones the committed tree into it, and runs there, as root, the
# two commands of the README's Quick start, read from the README: the first
# until the program's window is up (on the virtual display it starts itself),
# the second to its end, each with CI=true (the installer does not ask) and
# no standard input, as CI runs them.
# Then, given a .deb, installs that with apt, starts it and purges it. Reports
# each step with its time. Needs root, mmdebstrap and about 6 GB; downloads
# about 1.5 GB and takes 20 to 30 minutes. Not part of the test command.
#   scripts/fresh-system-test.sh bookworm|trixie [package.deb]
set -euo pipefail
self_dir=$(cd "$(dirname "$0")/.." && pwd)
release=${1:-}
deb=${2:-}
case $release in
  bookworm | trixie) ;;
  *) echo "usage: $0 bookworm|trixie [package.deb]" >&2; exit 2 ;;
esac
[ "$(id -u)" -eq 0 ] || { echo "$0: needs root (mmdebstrap, chroot)" >&2; exit 2; }
command -v mmdebstrap >/dev/null || { echo "$0: needs mmdebstrap (apt-get install mmdebstrap)" >&2; exit 2; }
[ -z "$deb" ] || [ -f "$deb" ] || { echo "$0: no file $deb" >&2; exit 2; }

started=$SECONDS
step() { printf '\n=== %s  [%ds]\n' "$*" $((SECONDS - started)); }
fail() { echo "FAIL: $*" >&2; exit 1; }

# The README's Quick start block: the first command runs the program, the
# second the tests.
mapfile -t commands < <(sed -n '/^## Quick start/,/^## /p' "$self_dir/README.md" |
  sed -n '/^```sh$/,/^```$/p' | grep -v '^```' | sed 's/#.*//; s/ *$//' | grep .)
[ ${#commands[@]} -eq 2 ] || fail "the README's Quick start should hold two commands, not: ${commands[*]}"
run_command=${commands[0]} test_command=${commands[1]}

system=$(mktemp -d "/var/tmp/quendal-$release.XXXXXX")
mounted=()
cleanup() {
  local status=$?
  set +e
  if [ -n "${group:-}" ]; then kill -- "-$group" 2>/dev/null; fi
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}"; done
  if [ $status -eq 0 ]; then rm -rf --one-file-system "$system"; else echo "the system is kept in $system"; fi
  echo "fresh $release: $((SECONDS - started))s, $([ $status -eq 0 ] && echo passed || echo FAILED)"
}
trap cleanup EXIT
# As root in the new system, with a login's environment only.
in_system_command=(chroot "$system" env -i HOME=/root LANG=C.UTF-8 TERM=dumb
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin)
in_system() { "${in_system_command[@]}" "$@"; }

step "A minimal Debian $release in $system"
security=http://deb.debian.org/debian-security
mirror=$(sed -n 's/^URIs: *\(http[^ ]*debian\)\/*$/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -1)
[ -n "$mirror" ] || mirror=$(awk '$1 == "deb" && $2 ~ /debian\/?$/ {print $2; exit}' /etc/apt/sources.list 2>/dev/null)
mirror=${mirror:-http://deb.debian.org/debian}
mmdebstrap --variant=minbase --include=git,ca-certificates "$release" "$system" \
  "deb $mirror $release main" "deb $mirror $release-updates main" \
  "deb $security $release-security main"
for fs in proc sys dev dev/pts dev/shm; do
  mount --bind "/$fs" "$system/$fs"
  mounted+=("$system/$fs")
done
git clone -q --no-local "$self_dir" "$system/root/quendal"
echo "commit $(git -C "$system/root/quendal" rev-parse HEAD)"

step "Run: $run_command"
# With no one at a terminal to answer the installer's question: CI=true.
setsid "${in_system_command[@]}" CI=true bash -c "cd /root/quendal && $run_command" \
  </dev/null >"$system/root/run.log" 2>&1 &
group=$!
program=""
for _ in $(seq 1800); do
  # The program itself, not the display script that names it on its command line.
  for pid in $(pgrep -f 'build/release/quendal$' || true); do
    [ "$(readlink "/proc/$pid/exe")" = "$system/root/quendal/build/release/quendal" ] && program=$pid
  done
  [ -n "$program" ] && break
  kill -0 "$group" 2>/dev/null || { tail -20 "$system/root/run.log"; fail "the run command ended"; }
  sleep 1
done
[ -n "$program" ] || fail "the program did not start within 30 minutes"
display=$(tr '\0' '\n' <"/proc/$program/environ" | sed -n 's/^DISPLAY=//p')
authority=$(tr '\0' '\n' <"/proc/$program/environ" | sed -n 's/^XAUTHORITY=//p')
# To look at the display (not something the program needs).
in_system env DEBIAN_FRONTEND=noninteractive apt-get install -y -q x11-utils >/dev/null
window=""
for _ in $(seq 60); do
  window=$(in_system env DISPLAY="$display" XAUTHORITY="$authority" xwininfo -root -tree 2>/dev/null |
    grep -F '"Quendal by Morvik"' || true)
  [ -n "$window" ] && break
  sleep 1
done
[ -n "$window" ] || fail "no window \"Quendal by Morvik\" on the program's display $display"
echo "window up on $display:$window"
kill -- "-$group" 2>/dev/null || true
wait "$group" 2>/dev/null || true
group=""

step "Test: $test_command"
status=0
in_system CI=true bash -c "cd /root/quendal && $test_command" </dev/null >"$system/root/test.log" 2>&1 ||
  status=$?
grep -E '^== [A-Z]|^100% tests passed|tests failed' "$system/root/test.log" || true
[ $status -eq 0 ] || { tail -40 "$system/root/test.log"; fail "the test command failed ($status)"; }

if [ -n "$deb" ]; then
  step "The package $(basename "$deb"): install, start, purge"
  cp "$deb" "$system/root/"
  in_system env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "/root/$(basename "$deb")" >/dev/null
  cat >"$system/root/show-window.sh" <<'SHOW'
quendal &
for _ in $(seq 30); do
  xwininfo -root -tree | grep -qF '"Quendal by Morvik"' && exit 0
  sleep 0.5
done
exit 1
SHOW
  in_system bash -c 'cd /root/quendal && scripts/with-display.sh -- bash /root/show-window.sh' ||
    fail "the installed package showed no window"
  echo "its window came up"
  in_system env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q quendal >/dev/null
fi
