#!/usr/bin/env bash
# Tests the Windows installer that scripts/release.sh made, under Wine on a
# virtual display: installs it silently as an administrator would, checks the
# files, the Start-menu shortcut and the uninstall entry, starts the installed
# program through its shortcut, uninstalls it and checks that nothing is left;
# upgrades from an older build (built here with a lower version); and does
# both while Quendal runs, also when it refuses to close. Each case starts
# from a copy of one fresh Wine prefix, with Wine's menu builder off and a
# throw-away home, so nothing reaches this machine's desktop menus.
#   scripts/installer-test.sh [release folder]   (default build/release-files)
# INSTALLER_TEST_JOBS (default 3) cases run side by side.
# Needs `scripts/install-deps.sh test` and nsis (for the older installer).
set -euo pipefail
self=$(realpath "$0")
cd "$(dirname "$self")/.."
root=$PWD

if [ "${1:-}" != --on-display ]; then
  exec scripts/with-display.sh -- "$self" --on-display "$@"
fi
shift
files=$(realpath -m "${1:-build/release-files}")
build=$root/build/installer-test
title="Quendal by Morvik"
# The older build of the upgrade cases: lower in the first three numbers, as
# an upgrade of any kind of installer must see it.
old_version=0.9.0.0
default_folder='C:\Program Files\Quendal'
shortcut='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Quendal.lnk'

started=$SECONDS
step() { printf '\n== %s  [%ds]\n' "$*" $((SECONDS - started)); }
die() { echo "FAIL: $*" >&2; exit 1; }

for tool in wine wineserver makensis x86_64-w64-mingw32-g++-posix cmake sha256sum; do
  command -v "$tool" >/dev/null || die "$tool is missing: run scripts/install-deps.sh test"
done

. packaging/windows/identity.sh
if [ "$(printf '%s\n' "$old_version" "$version" | sort -V | head -1)" != "$old_version" ] ||
  [ "$old_version" = "$version" ]; then
  die "the older build ($old_version) is not older than $version"
fi

step "Release files in $files"
new_setup=$files/quendal-$version-win64-setup.exe
new_program=$files/quendal-$version-win64.exe
for file in "$new_setup" "$new_program" "$files/SHA256SUMS"; do
  [ -f "$file" ] || die "no $file: run scripts/release.sh first"
done
# The installer under test is the one whose checksum is published.
grep -q " $(basename "$new_setup")\$" "$files/SHA256SUMS" || die "SHA256SUMS does not list $(basename "$new_setup")"
(cd "$files" && sha256sum -c SHA256SUMS) || die "the release files do not match SHA256SUMS"

run=$(mktemp -d "${TMPDIR:-/tmp}/quendal-installer.XXXXXX")
cleanup() {
  for prefix in "$run/base" "$run"/case-*/prefix; do
    if [ -d "$prefix" ]; then WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; fi
  done
  rm -rf "$run"
}
trap cleanup EXIT
mkdir -p "$run/home" "$run/tmp"
export HOME=$run/home TMPDIR=$run/tmp XDG_DATA_HOME=$run/home/.local/share
export XDG_CONFIG_HOME=$run/home/.config XDG_CACHE_HOME=$run/home/.cache
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# A fixed memory layout, as in tools/wine-run: Debian's Wine has no preloader.
wine_() { setarch "$(uname -m)" -R wine "$@"; }

step "A fresh Wine prefix, and meanwhile the test tools and the older build ($old_version)"
WINEPREFIX=$run/base tools/wine-desktop-prefix 1024x768 >"$run/prefix.log" 2>&1 &
prefix_pid=$!
mkdir -p "$build"
probe=$build/probe.exe
if [ ! -f "$probe" ] || [ tests/installer/probe.cpp -nt "$probe" ]; then
  x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -s -static -municode -Wall -Wextra -Wpedantic \
    -Wconversion -Werror -D_WIN32_WINNT=0x0601 -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX \
    -o "$probe" tests/installer/probe.cpp -lole32 -luuid -lshell32 -luser32
fi
# Kept between runs: only what changed is built again.
cmake --preset windows -B "$build/old" -DQUENDAL_VERSION_OVERRIDE="$old_version" >/dev/null
cmake --build "$build/old" --target quendal >"$build/old.log" 2>&1 || { cat "$build/old.log"; die "the older build failed"; }
old_program=$build/old/quendal.exe
old_setup=$build/quendal-$old_version-win64-setup.exe
makensis -V1 -WX -DEXE="$old_program" -DOUTFILE="$old_setup" -DNAME="$name" -DPUBLISHER="$publisher" \
  packaging/windows/quendal.nsi

wait "$prefix_pid" || { cat "$run/prefix.log"; die "could not make the Wine prefix"; }

# ---- The steps a case is made of. They run in the case's prefix ($prefix),
# with $folder the Windows folder Quendal is (or should be) installed in.

# unix <Windows path>: where that file is in the prefix.
unix() {
  local path=${1//\\//}
  [[ $path == [Cc]:/* ]] || die "not a C: path: $1"
  echo "$prefix/drive_c/${path:3}"
}
probe() { wine_ "$probe" "$@"; }
# The uninstall entries that name Quendal, as "<view>\<key>\<value>=<data>".
entries() { probe entries "$name"; }
state() {
  (cd "$(unix "$folder")" 2>/dev/null && find . -type f -exec sha256sum {} + | sort) || echo "no folder"
  entries
  probe shortcut "$shortcut" || true
}
# expect <what> <expected> <actual>
expect() { [ "$2" = "$3" ] || die "$1 is '$3', expected '$2'"; }
# field <lines> <key>: the rest of the line that starts with "<key>=".
field() {
  local line
  while IFS= read -r line; do
    if [[ $line == "$2="* ]]; then echo "${line#"$2="}"; return; fi
  done <<<"$1"
}

do_install() {  # install new|old [folder]: silently, as an administrator
  local setup=$new_setup status=0
  [ "$1" = old ] && setup=$old_setup
  local arguments=(/S)
  if [ -n "${2:-}" ]; then arguments+=("/D=$2"); folder=$2; fi
  wine_ "$setup" "${arguments[@]}" || status=$?
  expect "the exit status of $(basename "$setup") ${arguments[*]}" 0 "$status"
}
do_install-refused() {  # install-refused new|old: fails, exit status 2
  local setup=$new_setup status=0
  [ "$1" = old ] && setup=$old_setup
  wine_ "$setup" /S || status=$?
  expect "the exit status of $(basename "$setup") /S" 2 "$status"
}
do_installed() {  # installed new|old: that version, complete, in $folder
  local program=$new_program want=$version
  [ "$1" = old ] && { program=$old_program; want=$old_version; }
  local dir
  dir=$(unix "$folder")
  expect "the files in $folder" "quendal.exe uninstall.exe" "$(ls "$dir" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')"
  cmp -s "$program" "$dir/quendal.exe" || die "$folder\\quendal.exe is not the $want build"
  if [ "$folder" != "$default_folder" ] && [ -e "$(unix "$default_folder")" ]; then
    die "a second copy in $default_folder"
  fi
  local listing keys
  listing=$(entries)
  keys=$(grep -c '\\=$' <<<"$listing" || true)
  expect "the number of uninstall entries" 1 "$keys"
  local key
  key=$(sed -n 's/\\=$//p' <<<"$listing")
  [[ $key == machine64\\* ]] || die "the entry is $key, not in the machine's 64-bit view"
  local value wanted
  while IFS='|' read -r value wanted; do
    expect "the entry's $value" "$wanted" "$(field "$listing" "$key\\$value")"
  done <<EOF
DisplayName|$name
DisplayVersion|$want
Publisher|$publisher
DisplayIcon|$folder\\quendal.exe,0
InstallLocation|$folder
UninstallString|"$folder\\uninstall.exe"
QuietUninstallString|"$folder\\uninstall.exe" /S
EOF
  local link
  link=$(probe shortcut "$shortcut") || die "no shortcut $shortcut"
  while IFS='|' read -r value wanted; do
    expect "the shortcut's $value" "$wanted" "$(field "$link" "$value")"
  done <<EOF
target|$folder\\quendal.exe
arguments|
icon|$folder\\quendal.exe
iconindex|0
EOF
  [ "$(field "$link" icons)" -ge 1 ] || die "$folder\\quendal.exe has no icon for the shortcut"
  echo "ok: $name $want in $folder, one entry, shortcut"
}
do_start() {  # start: through the shortcut; its window must come up
  wine_ start "$shortcut"
  local found
  found=$(probe window "$title" 20000) || die "no window \"$title\" appeared"
  local program
  program=$(field "$found" program)
  expect "the program of the window \"$title\"" "${folder,,}\\quendal.exe" "${program,,}"
  echo "ok: window \"$title\" of $folder\\quendal.exe"
}
do_uninstall() {  # uninstall: the entry's QuietUninstallString, waited for
  local command status=0
  command=$(field "$(entries)" "machine64\\$name\\QuietUninstallString")
  [[ $command =~ ^\"([^\"]+)\"\ (.*)$ ]] || die "no usable QuietUninstallString: '$command'"
  # shellcheck disable=SC2086  # its arguments, split as Windows would
  wine_ "${BASH_REMATCH[1]}" ${BASH_REMATCH[2]} || status=$?
  expect "the exit status of the uninstaller" 0 "$status"
  # NSIS's uninstaller runs from a copy in %TEMP% and returns at once.
  probe wait-none '%TEMP%' 60000 >/dev/null || die "the uninstaller did not finish"
}
do_closed() {  # closed: no Quendal runs from $folder
  expect "the processes of $folder\\quendal.exe" "count=0" "$(probe count "$folder\\quendal.exe")"
  if probe window "$title" 0 >/dev/null; then die "the window \"$title\" is still there"; fi
  echo "ok: Quendal was closed"
}
do_removed() {  # removed [file]: nothing of Quendal is left, but the user's file
  local dir
  dir=$(unix "$folder")
  if [ -n "${1:-}" ]; then
    expect "what is left in $folder" "$1" "$(ls -A "$dir" 2>/dev/null | tr '\n' ' ' | sed 's/ $//')"
  elif [ -e "$dir" ]; then
    die "$folder is still there, holding: $(ls -A "$dir" | tr '\n' ' ')"
  fi
  [ ! -e "$(unix "$shortcut")" ] || die "the shortcut is still there"
  local listing
  listing=$(entries)
  [ -z "$listing" ] || die "uninstall entries are left: $listing"
  echo "ok: files, shortcut and entry are gone"
}
do_add-file() {  # add-file <name>: a file of the user's in $folder
  echo "the user's" >"$(unix "$folder")/$1"
}
do_delete-program() {  # delete-program: the user deleted quendal.exe by hand
  rm "$(unix "$folder")/quendal.exe"
}
do_start-copy() {  # start-copy: Quendal from another folder, not installed
  mkdir -p "$(unix 'C:\Portable')"
  cp "$new_program" "$(unix 'C:\Portable\quendal.exe')"
  wine_ 'C:\Portable\quendal.exe' &
  probe window "$title" 20000 >/dev/null || die "the copy's window did not appear"
}
do_copy-runs() {  # copy-runs: that copy was left alone
  expect "the processes of C:\Portable\quendal.exe" "count=1" "$(probe count 'C:\Portable\quendal.exe')"
  echo "ok: the copy in C:\Portable still runs"
}
do_stubborn() {  # stubborn: the installed program becomes one that will not close
  cp "$probe" "$(unix "$folder")/quendal.exe"
  wine_ "$folder\\quendal.exe" stubborn "$title" &
  probe window "$title" 20000 >/dev/null || die "the stand-in's window did not appear"
  state >"$case_dir/before"
}
do_unchanged() {  # unchanged: as at "stubborn", which still runs
  state >"$case_dir/after"
  diff "$case_dir/before" "$case_dir/after" >&2 || die "the installation changed"
  probe window "$title" 0 >/dev/null || die "the stand-in is no longer running"
  echo "ok: the installation is as it was"
}

# ---- The cases: a name and its steps (each "step [argument...]"). The
# slowest first, so that the others run beside it.
cases=(
  "a program that will not close|install new; stubborn; install-refused new; unchanged; uninstall; unchanged"
  "install, run, uninstall while it runs|install new; installed new; start; uninstall; closed; removed"
  "upgrade from $old_version|install old; installed old; install new; installed new; uninstall; removed"
  "upgrade while the old one runs|install old; start; install new; closed; installed new"
  "chosen folder, upgraded in place|install old C:\\Tools\\Quendal; installed old; install new; installed new; uninstall; removed"
  "a file of the user's stays|install new; add-file notes.txt; uninstall; removed notes.txt"
  "program deleted by hand|install new; delete-program; uninstall; removed"
  "a copy elsewhere is left alone|start-copy; install new; installed new; uninstall; removed; copy-runs"
)

# run_case <number>: in the background, its output in case-<number>/log.
run_case() {
  local entry=${cases[$1]} case_dir=$run/case-$1
  mkdir -p "$case_dir"
  cp -a "$run/base" "$case_dir/prefix"
  (
    export WINEPREFIX=$case_dir/prefix
    prefix=$WINEPREFIX folder=$default_folder
    wineserver -p  # one server for the whole case: each program starts faster
    IFS=';' read -ra steps <<<"${entry#*|}"
    for command in "${steps[@]}"; do
      read -ra words <<<"$command"
      echo "-- ${words[*]}"
      "do_${words[0]}" "${words[@]:1}"
    done
  ) >"$case_dir/log" 2>&1 &
  pids[$1]=$!
}

# A few cases at a time: most of their time is spent waiting for Wine. Each
# is reported when it ends.
jobs=${INSTALLER_TEST_JOBS:-3}
step "${#cases[@]} cases, $jobs at a time"
declare -A case_of=()
pids=() failed=()
next=0 ended=0
while [ $ended -lt ${#cases[@]} ]; do
  while [ ${#case_of[@]} -lt "$jobs" ] && [ $next -lt ${#cases[@]} ]; do
    run_case $next
    case_of[${pids[$next]}]=$next
    next=$((next + 1))
  done
  status=0
  pid=""
  wait -n -p pid "${!case_of[@]}" || status=$?
  [ -n "$pid" ] || die "lost track of the running cases"
  number=${case_of[$pid]}
  unset "case_of[$pid]"
  ended=$((ended + 1))
  case_name=${cases[$number]%%|*}
  step "$case_name"
  cat "$run/case-$number/log"
  if [ $status -eq 0 ]; then echo "passed"; else failed+=("$case_name"); fi
  WINEPREFIX=$run/case-$number/prefix wineserver -k 2>/dev/null || true
  rm -rf "$run/case-$number"
done

step "Nothing reached the desktop menus"
leftovers=$(find "$HOME" \( -name '*.desktop' -o -name '*.menu' -o -path '*/applications/wine*' \) -print)
[ -z "$leftovers" ] || failed+=("Wine wrote menu entries: $leftovers")

echo
if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}" >&2
  echo "installer test: $((SECONDS - started))s, FAILED" >&2
  exit 1
fi
echo "installer test: ${#cases[@]} cases, $((SECONDS - started))s, passed"
