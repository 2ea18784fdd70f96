#!/usr/bin/env bash
# Tests the Windows installer that scripts/release.sh made, under Wine on a
# virtual display: installs it silently as an administrator would, checks the
# files, the Start-menu shortcut and the uninstall entry, starts the installed
# program through its shortcut, uninstalls it and checks that nothing is left;
# upgrades from an older build (built here with a lower version) and from the
# earlier 64-bit-only installer; and does both while Quendal runs, also when
# it refuses to close, with the Restart Manager closing it or not (through a
# stand-in rstrtmgr.dll, as Wine's closes nothing). An older installer must
# leave a newer installation alone, and a program that cannot be replaced
# must leave the old one working. Cases run in a 64-bit prefix, which must get
# the x64 build, and a 32-bit one, which must get the x86 build. Each case
# starts from a copy of one fresh Wine prefix, with Wine's menu builder off
# and a throw-away home, so nothing reaches this machine's desktop menus.
#   scripts/installer-test.sh [release folder]   (default build/release-files)
# INSTALLER_TEST_JOBS (default 3) cases run side by side.
# Needs `scripts/install-deps.sh test` and nsis (for the older installers).
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
# The last commit whose installer was 64-bit only: its script builds the
# installer of the "earlier installer" case.
x64_only_commit=bc5bf29eec8169e24996d3e45821d71895610666

started=$SECONDS
step() { printf '\n== %s  [%ds]\n' "$*" $((SECONDS - started)); }
die() { echo "FAIL: $*" >&2; exit 1; }

for tool in wine wineserver makensis i686-w64-mingw32-g++-posix cmake sha256sum; do
  command -v "$tool" >/dev/null || die "$tool is missing: run scripts/install-deps.sh test"
done

. packaging/windows/identity.sh
if [ "$(printf '%s\n' "$old_version" "$version" | sort -V | head -1)" != "$old_version" ] ||
  [ "$old_version" = "$version" ]; then
  die "the older build ($old_version) is not older than $version"
fi

step "Release files in $files"
new_setup=$files/quendal-$version-setup.exe
declare -A new_program=([x64]=$files/quendal-$version-win64.exe [x86]=$files/quendal-$version-win32.exe)
for file in "$new_setup" "${new_program[@]}" "$files/SHA256SUMS"; do
  [ -f "$file" ] || die "no $file: run scripts/release.sh first"
done
# The installer under test is the one whose checksum is published.
grep -q " $(basename "$new_setup")\$" "$files/SHA256SUMS" || die "SHA256SUMS does not list $(basename "$new_setup")"
(cd "$files" && sha256sum -c SHA256SUMS) || die "the release files do not match SHA256SUMS"

# shellcheck source=tools/wine-common.sh
. tools/wine-common.sh
# Under build/, not in /tmp (RAM on Debian 13): the prefixes take gigabytes.
# Removed at the end and when interrupted.
run=$(wine_scratch "$root" installer-test)
cleanup() {
  for prefix in "$run/base" "$run/base32" "$run"/case-*/prefix; do
    if [ -d "$prefix" ]; then WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; fi
  done
  rm -rf "$run"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
mkdir -p "$run/home" "$run/tmp"
export HOME=$run/home XDG_DATA_HOME=$run/home/.local/share
wine_temp_folder "$run/tmp"
export XDG_CONFIG_HOME=$run/home/.config XDG_CACHE_HOME=$run/home/.cache
# tools/wine-start adds winemenubuilder.exe=d.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine_() { "$root/tools/wine-start" "$@"; }

step "Fresh 64-bit and 32-bit Wine prefixes, and meanwhile the test tools and the older builds ($old_version)"
WINEPREFIX=$run/base tools/wine-desktop-prefix 1024x768 >"$run/prefix.log" 2>&1 &
prefix_pid=$!
WINEARCH=win32 WINEPREFIX=$run/base32 tools/wine-desktop-prefix 1024x768 >"$run/prefix32.log" 2>&1 &
prefix32_pid=$!
mkdir -p "$build"
# The test tools are 32-bit: they run in both prefixes, and the stand-in
# rstrtmgr.dll is loaded by the (32-bit) installer.
probe=$build/probe.exe
restart_manager=$build/rstrtmgr.dll
tool_flags=(-std=c++20 -O2 -s -static -Wall -Wextra -Wpedantic -Wconversion -Werror -D_WIN32_WINNT=0x0601
            -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX)
if [ ! -f "$probe" ] || [ tests/installer/probe.cpp -nt "$probe" ]; then
  i686-w64-mingw32-g++-posix "${tool_flags[@]}" -municode -o "$probe" tests/installer/probe.cpp \
    -lole32 -luuid -lshell32 -luser32
fi
if [ ! -f "$restart_manager" ] || [ tests/installer/restart_manager.cpp -nt "$restart_manager" ]; then
  i686-w64-mingw32-g++-posix "${tool_flags[@]}" -shared -Wl,--kill-at -o "$restart_manager" \
    tests/installer/restart_manager.cpp
fi
# Kept between runs: only what changed is built again.
declare -A old_program=()
for architecture in x64 x86; do
  cmake --preset "windows-$architecture" -B "$build/old-$architecture" \
    -DQUENDAL_VERSION_OVERRIDE="$old_version" >/dev/null
  cmake --build "$build/old-$architecture" --target quendal >"$build/old.log" 2>&1 ||
    { cat "$build/old.log"; die "the older $architecture build failed"; }
  old_program[$architecture]=$build/old-$architecture/quendal.exe
done
old_setup=$build/quendal-$old_version-setup.exe
makensis -V1 -WX -DEXE64="${old_program[x64]}" -DEXE32="${old_program[x86]}" -DOUTFILE="$old_setup" \
  -DNAME="$name" -DPUBLISHER="$publisher" packaging/windows/quendal.nsi
# The earlier installer, 64-bit only, from its own script, of the older
# version. Only where git has the history: a source tarball has none.
x64_only_setup=""
if git cat-file -e "$x64_only_commit:packaging/windows/quendal.nsi" 2>/dev/null; then
  mkdir -p "$build/x64-only/packaging/windows" "$build/x64-only/assets"
  git show "$x64_only_commit:packaging/windows/quendal.nsi" >"$build/x64-only/packaging/windows/quendal.nsi"
  git show "$x64_only_commit:assets/quendal.ico" >"$build/x64-only/assets/quendal.ico"
  x64_only_setup=$build/quendal-$old_version-win64-setup.exe
  makensis -V1 -WX -DEXE="${old_program[x64]}" -DOUTFILE="$x64_only_setup" -DNAME="$name" \
    -DPUBLISHER="$publisher" "$build/x64-only/packaging/windows/quendal.nsi"
fi

wait "$prefix_pid" || { cat "$run/prefix.log"; die "could not make the 64-bit Wine prefix"; }
wait "$prefix32_pid" || { cat "$run/prefix32.log"; die "could not make the 32-bit Wine prefix"; }

# ---- The steps a case is made of. They run in the case's prefix ($prefix),
# with $folder the Windows folder Quendal is (or should be) installed in,
# $architecture the build that prefix must get (x64 in a 64-bit prefix, x86
# in a 32-bit one) and $view the registry view of its uninstall entry.

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

setup_of() {  # setup_of new|old|x64-only: that installer
  case $1 in
    new) echo "$new_setup" ;;
    old) echo "$old_setup" ;;
    x64-only) [ -n "$x64_only_setup" ] || die "no git history here for the 64-bit-only installer"
              echo "$x64_only_setup" ;;
  esac
}
do_install() {  # install new|old|x64-only [folder]: silently, as an administrator
  local setup status=0
  setup=$(setup_of "$1")
  local arguments=(/S)
  if [ -n "${2:-}" ]; then arguments+=("/D=$2"); folder=$2; fi
  wine_ "$setup" "${arguments[@]}" || status=$?
  expect "the exit status of $(basename "$setup") ${arguments[*]}" 0 "$status"
}
do_install-refused() {  # install-refused new|old [status]: fails, exit status 2 (or that)
  local setup
  setup=$(setup_of "$1")
  # Through the probe, which sees the whole of a Windows exit code.
  expect "the exit status of $(basename "$setup") /S" "exit=${2:-2}" "$(probe run "Z:$setup" /S | tr -d '\r')"
}
do_installed() {  # installed new|old: that version, complete, in $folder
  local program=${new_program[$architecture]} want=$version
  [ "$1" = old ] && { program=${old_program[$architecture]}; want=$old_version; }
  local dir
  dir=$(unix "$folder")
  expect "the files in $folder" "quendal.exe uninstall.exe" "$(ls "$dir" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')"
  cmp -s "$program" "$dir/quendal.exe" || die "$folder\\quendal.exe is not the $architecture build of $want"
  if [ "$folder" != "$default_folder" ] && [ -e "$(unix "$default_folder")" ]; then
    die "a second copy in $default_folder"
  fi
  local listing keys
  listing=$(entries)
  keys=$(grep -c '\\=$' <<<"$listing" || true)
  expect "the number of uninstall entries" 1 "$keys"
  local key
  key=$(sed -n 's/\\=$//p' <<<"$listing")
  [[ $key == "$view"\\* ]] || die "the entry is $key, not in the machine's view $view"
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
  echo "ok: $name $want ($architecture) in $folder, one entry in $view, shortcut"
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
  command=$(field "$(entries)" "$view\\$name\\QuietUninstallString")
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
  cp "${new_program[$architecture]}" "$(unix 'C:\Portable\quendal.exe')"
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
do_restart-manager() {  # restart-manager close|leave: the stand-in rstrtmgr.dll, in that mode
  # Where the 32-bit installer loads it from: SysWOW64 on 64-bit Windows.
  local system=C:\\windows\\system32
  [ -d "$prefix/drive_c/windows/syswow64" ] && system=C:\\windows\\syswow64
  cp "$restart_manager" "$(unix "$system\\rstrtmgr.dll")"
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;rstrtmgr=n" QUENDAL_RM_MODE=$1
  export QUENDAL_RM_LOG='C:\restart-manager.log'
}
do_restart-manager-called() {  # restart-manager-called <ended>: one session, as it should be
  local log
  log=$(tr -d '\r' <"$(unix "$QUENDAL_RM_LOG")" 2>/dev/null) || die "the Restart Manager was not called"
  expect "the Restart Manager's calls" "RmStartSession flags=0
RmRegisterResources session=1 files=$folder\\quendal.exe applications=0 services=0
RmShutdown session=1 flags=1 callback=no ended=$1
RmEndSession session=1" "$log"
  echo "ok: the Restart Manager was asked to end $folder\\quendal.exe, forced; it ended $1"
}
do_replace-blocked() {  # replace-blocked: the new program cannot be put in place
  # A virus scanner holds the file the installer writes the new program
  # into: it can write it, but not rename it over the old one.
  local held="$folder\\quendal.exe.new" holder tries=0
  wine_ "$probe" hold "$held" >"$case_dir/held" &
  holder=$!
  until grep -q '^held=' "$case_dir/held"; do
    tries=$((tries + 1))
    [ $tries -le 200 ] || die "could not hold $held"
    sleep 0.1
  done
  state >"$case_dir/before"
  do_install-refused new
  kill "$holder"
  wait "$holder" 2>/dev/null || true
  # As before, but for the held file, which the installer wrote into.
  rm -f "$(unix "$held")"
  state >"$case_dir/after"
  diff <(grep -v 'quendal.exe.new' "$case_dir/before") "$case_dir/after" >&2 ||
    die "the installation changed"
  echo "ok: the installation is as it was"
}

# ---- The cases: the prefix (win64 or win32), a name and the steps (each
# "step [argument...]"). The slowest first, so that the others run beside it.
cases=(
  "win64|a program that will not close|install new; stubborn; install-refused new; unchanged; uninstall; unchanged"
  "win64|the Restart Manager leaves it: its window is closed|restart-manager leave; install old; start; install new; closed; installed new; restart-manager-called 0"
  "win64|install, run, uninstall while it runs|install new; installed new; start; uninstall; closed; removed"
  "win64|upgrade from $old_version|install old; installed old; install new; installed new; uninstall; removed"
  "win64|upgrade while the old one runs, ended by the Restart Manager|restart-manager close; install old; start; install new; closed; installed new; restart-manager-called 1"
  "win64|upgrade from the 64-bit-only installer|install x64-only; installed old; install new; installed new; uninstall; removed"
  "win64|an older installer leaves a newer installation alone|install new; install-refused old 1638; installed new"
  "win64|the new program cannot be put in place|install old; replace-blocked; installed old; start; install new; installed new"
  "win64|chosen folder, upgraded in place|install old C:\\Tools\\Quendal; installed old; install new; installed new; uninstall; removed"
  "win64|a file of the user's stays|install new; add-file notes.txt; uninstall; removed notes.txt"
  "win64|program deleted by hand|install new; delete-program; uninstall; removed"
  "win64|a copy elsewhere is left alone|start-copy; install new; installed new; uninstall; removed; copy-runs"
  "win32|32-bit Windows: the x86 build, upgraded while it runs|install old; installed old; start; install new; closed; installed new; uninstall; removed"
)

# Without the earlier installer's script (a shallow clone, a source tarball)
# its case cannot run: said in one line, not failed.
if [ -z "$x64_only_setup" ]; then
  kept=()
  for entry in "${cases[@]}"; do
    if [[ $entry == *"install x64-only"* ]]; then
      name_of_case=${entry#*|}
      echo "skipped: ${name_of_case%%|*}: it needs commit $x64_only_commit, which this checkout does not have (shallow clone or no git)"
    else
      kept+=("$entry")
    fi
  done
  cases=("${kept[@]}")
fi

# run_case <number>: in the background, its output in case-<number>/log.
run_case() {
  local entry=${cases[$1]} case_dir=$run/case-$1
  local kind=${entry%%|*}
  mkdir -p "$case_dir"
  if [ "$kind" = win32 ]; then
    cp -a "$run/base32" "$case_dir/prefix"
  else
    cp -a "$run/base" "$case_dir/prefix"
  fi
  (
    export WINEPREFIX=$case_dir/prefix
    prefix=$WINEPREFIX folder=$default_folder
    if [ "$kind" = win32 ]; then
      architecture=x86 view=machine
    else
      architecture=x64 view=machine64
    fi
    wineserver -p  # one server for the whole case: each program starts faster
    entry=${entry#*|}
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
  case_name=${cases[$number]#*|}
  case_name="${case_name%%|*} (${cases[$number]%%|*})"
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
