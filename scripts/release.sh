#!/usr/bin/env bash
# Builds the release files from scratch, in fresh build folders:
#   quendal_<version>_amd64.deb        the Debian package (version a.b.c)
#   quendal-<version>-win64.exe        the Windows program for x64, on its own (a.b.c.d)
#   quendal-<version>-win32.exe        the same for 32-bit (x86) Windows
#   quendal-<version>-setup.exe        the one installer for both (packaging/windows/)
#   NEWS.md, NEWS.zh-CN.md             the release notes, in English and Chinese
#   SHA256SUMS                         their checksums, for sha256sum -c
#   quendal-<version>.buildinfo        the commit, its time, the Debian release
#                                      and the versions of the tools used
# and checks each: the package's name and version; of each Windows file the
# architecture its PE header names, the version record, that it needs no
# MinGW DLL, carries no symbols and has the stack protector; of the
# installer and the uninstaller it carries, the header as well.
#   scripts/release.sh [--allow-dirty] [signing options] [output folder]
#                                          (default build/release-files)
# Signing (Authenticode, SHA-256 digests, with Debian's osslsigncode), when
# given a certificate:
#   --sign-cert FILE --sign-key FILE   the certificate (with the issuers'
#                                      certificates after it) and its private
#                                      key, PEM or DER
#   --sign-pkcs12 FILE                 or both in one PKCS#12 (.pfx) file
#   --sign-password-file FILE          the password of the key or of the
#                                      PKCS#12 file, its first line; FILE may
#                                      be <(command). Or the variable
#                                      QUENDAL_SIGN_PASSWORD. Never an argument,
#                                      where ps would show it to every user.
#   --timestamp URL                    an RFC 3161 time-stamp server: the
#                                      signatures then stay valid after the
#                                      certificate expires. Needs the network;
#                                      a release for users must have it.
# Both programs are signed before they go into the installer, the uninstaller
# when makensis has made it (the .nsi's !uninstfinalize runs
# build/release-work/finalize-uninstaller on it), and the installer last. A
# failed signing stops the release. The files as they were before signing stay
# in build/release-work/unsigned/; with the signatures removed (osslsigncode
# remove-signature) the programs and the uninstaller are the unsigned build's,
# byte for byte (scripts/rebuild-test.sh checks it). Without a certificate the
# files are unsigned.
# A release is built from committed sources only: the script stops when git
# reports changes or untracked files, unless --allow-dirty (the test command
# builds the working tree). Needs `scripts/install-deps.sh test` and nsis.
set -euo pipefail

# A clean environment: nothing of the caller's (CXXFLAGS, LDFLAGS,
# CMAKE_PREFIX_PATH, a cmake in /usr/local/bin, a locale, a time zone, a
# umask) can reach the files. Only SOURCE_DATE_EPOCH (for a tree without git),
# HOME (git's own settings, such as safe.directory) and the package's
# maintainer and homepage (QUENDAL_MAINTAINER, QUENDAL_HOMEPAGE_URL; see
# debian/rules) go through.
# QUENDAL_SIGN_PASSWORD goes through on a file descriptor: on env's command
# line ps would show it.
if [ -z "${QUENDAL_RELEASE_CLEAN:-}" ]; then
  self=$(realpath "$0")
  password_fd=
  if [ -n "${QUENDAL_SIGN_PASSWORD+set}" ]; then exec {password_fd}<<<"$QUENDAL_SIGN_PASSWORD"; fi
  exec env -i QUENDAL_RELEASE_CLEAN=1 PATH=/usr/bin:/bin:/usr/sbin:/sbin LC_ALL=C.UTF-8 TZ=UTC \
    ${HOME:+HOME="$HOME"} ${SOURCE_DATE_EPOCH:+SOURCE_DATE_EPOCH="$SOURCE_DATE_EPOCH"} \
    ${password_fd:+QUENDAL_SIGN_PASSWORD_FD=$password_fd} \
    ${QUENDAL_MAINTAINER:+QUENDAL_MAINTAINER="$QUENDAL_MAINTAINER"} \
    ${QUENDAL_HOMEPAGE_URL:+QUENDAL_HOMEPAGE_URL="$QUENDAL_HOMEPAGE_URL"} \
    bash -c 'umask 022 && exec "$0" "$@"' "$self" "$@"
fi
unset QUENDAL_RELEASE_CLEAN
sign_password=
have_password=false
if [ -n "${QUENDAL_SIGN_PASSWORD_FD:-}" ]; then
  IFS= read -r sign_password <&"$QUENDAL_SIGN_PASSWORD_FD" || true
  exec {QUENDAL_SIGN_PASSWORD_FD}<&-
  have_password=true
fi
unset QUENDAL_SIGN_PASSWORD_FD
# Files named on the command line are the caller's, relative to its folder.
caller=$PWD
cd "$(dirname "$0")/.."
root=$PWD

usage() {
  echo "usage: $0 [--allow-dirty] [--sign-cert FILE --sign-key FILE | --sign-pkcs12 FILE]" \
    "[--sign-password-file FILE] [--timestamp URL] [output folder]" >&2
  exit 2
}
allow_dirty=false
sign_cert='' sign_key='' sign_pkcs12='' timestamp=''
while [ $# -gt 0 ]; do
  case $1 in
    --allow-dirty) allow_dirty=true; shift; continue ;;
    --sign-cert | --sign-key | --sign-pkcs12 | --sign-password-file | --timestamp) [ $# -ge 2 ] || usage ;;
    -*) usage ;;
    *) break ;;
  esac
  case $1 in
    --sign-cert) sign_cert=$(cd "$caller" && realpath -e -- "$2") || usage ;;
    --sign-key) sign_key=$(cd "$caller" && realpath -e -- "$2") || usage ;;
    --sign-pkcs12) sign_pkcs12=$(cd "$caller" && realpath -e -- "$2") || usage ;;
    --sign-password-file)
      # Read once, here: a <(command) can be read only once.
      (cd "$caller" && [ -r "$2" ]) || { echo "release: cannot read $2" >&2; exit 2; }
      IFS= read -r sign_password < <(cd "$caller" && cat -- "$2") || true
      have_password=true ;;
    --timestamp) timestamp=$2 ;;
  esac
  shift 2
done
[ $# -le 1 ] || usage
out=$(realpath -m "${1:-build/release-files}")
work=$root/build/release-work

started=$SECONDS
step() { printf '\n== %s  [%ds]\n' "$*" $((SECONDS - started)); }
fail() { echo "release: $*" >&2; exit 1; }

# osslsigncode's options for the certificate; empty: no signing.
signer=()
if [ -n "$sign_pkcs12" ]; then
  [ -z "$sign_cert$sign_key" ] || fail "give either --sign-pkcs12 or --sign-cert and --sign-key"
  signer=(-pkcs12 "$sign_pkcs12")
elif [ -n "$sign_cert$sign_key" ]; then
  if [ -z "$sign_cert" ] || [ -z "$sign_key" ]; then fail "--sign-cert and --sign-key go together"; fi
  signer=(-certs "$sign_cert" -key "$sign_key")
elif [ -n "$timestamp" ] || $have_password; then
  fail "--timestamp and a password need a certificate (--sign-cert and --sign-key, or --sign-pkcs12)"
fi
if [ ${#signer[@]} -gt 0 ]; then
  command -v osslsigncode >/dev/null || fail "osslsigncode is missing: run scripts/install-deps.sh test"
  signer+=(-h sha256)
  [ -z "$timestamp" ] || signer+=(-ts "$timestamp")
fi

for tool in cmake ninja dpkg-buildpackage dpkg-parsechangelog dh dpkg-deb readelf od makensis sha256sum; do
  command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/install-deps.sh test"
done
for tool in {x86_64,i686}-w64-mingw32-{g++-posix,objdump,nm,windres}; do
  command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/install-deps.sh test"
done
# The output folder is emptied: only a new one, or one that holds nothing
# but files of an earlier release.
if [ -e "$out" ]; then
  [ -d "$out" ] || fail "$out is not a folder"
  other=$(find "$out" -mindepth 1 ! \( -type f \( -name 'quendal[_-]*' -o -name SHA256SUMS -o -name 'NEWS*.md' \) \) -print -quit)
  [ -z "$other" ] || fail "$out holds more than release files ($other): name an empty or new folder"
fi

# The one version and the names, as cmake/AppIdentity.cmake has them.
. packaging/windows/identity.sh
[[ $version =~ ^([0-9]+)\.([0-9]+)\.([0-9]+)\.([0-9]+)$ ]] || fail "cannot read the version (got '$version')"
if [ -z "$name" ] || [ -z "$publisher" ]; then fail "cannot read the name and maker"; fi
# The package's version, which debian/changelog's latest entry carries: the
# fourth number only when it is not 0.
deb_version=${BASH_REMATCH[1]}.${BASH_REMATCH[2]}.${BASH_REMATCH[3]}
[ "${BASH_REMATCH[4]}" = 0 ] || deb_version+=.${BASH_REMATCH[4]}
deb=quendal_${deb_version}_amd64.deb
exe64=quendal-$version-win64.exe
exe32=quendal-$version-win32.exe
setup=quendal-$version-setup.exe
# The release notes, shipped beside the files, must begin with this release's.
for notes in NEWS.md NEWS.zh-CN.md; do
  [ "$(head -n 1 "$notes" 2>/dev/null)" = "# $name $deb_version" ] ||
    fail "$notes does not begin with the notes of this release, '# $name $deb_version'"
done

step "Sources"
# What is built must be known: a checkout that git will not read (another
# user's, "dubious ownership") could ship uncommitted changes unseen.
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  if [ -e .git ]; then
    git status --porcelain >/dev/null || true  # git's own reason
    fail "git cannot read this checkout, so what would be built is unknown"
  fi
  # A source tarball: its files as they are, with the time its maker gives.
  [ -n "${SOURCE_DATE_EPOCH:-}" ] ||
    fail "no git checkout here: set SOURCE_DATE_EPOCH to the release's commit time (git log -1 --format=%ct)"
  echo "no git checkout: building the files as they are"
else
  changes=$(git status --porcelain)
  if [ -n "$changes" ]; then
    if $allow_dirty; then
      echo "NOTE: building uncommitted changes (--allow-dirty); not for publishing:"
      echo "$changes"
    else
      echo "$changes" >&2
      fail "the tree has uncommitted changes or untracked files; commit them, or pass --allow-dirty"
    fi
  fi
  commit=$(git rev-parse HEAD)
  echo "commit $commit$([ -n "$changes" ] && echo ' with the changes above')"
  # Every date in the files is the commit's, so that a rebuild is identical.
  SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct HEAD)}
fi
export SOURCE_DATE_EPOCH
echo "$name $version by $publisher"
# Nothing from an earlier build can end up in these files. The new files go
# into a folder of their own beside the output folder, which keeps the
# previous release until the new one is complete and checked; a failed or
# interrupted build leaves it as it was.
rm -rf "$work"
final=$out
mkdir -p "$work" "$(dirname "$final")"
out=$(mktemp -d "$final.new.XXXXXX")
chmod 755 "$out"
trap 'rm -rf "$out"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

step "Debian package"
# Its version is debian/changelog's latest entry: it must be this release's.
changelog_version=$(dpkg-parsechangelog -l debian/changelog -S Version) ||
  fail "dpkg-parsechangelog cannot read debian/changelog"
[ "$changelog_version" = "$deb_version" ] ||
  fail "debian/changelog's latest entry is $changelog_version, not $deb_version: add one (dch -v $deb_version)"
# Built as Debian builds its packages (debian/rules, debhelper), in a copy
# of the tree: dpkg-buildpackage builds inside the source folder and writes
# the package beside it. The copy holds the files that git has (tracked,
# and untracked but not ignored, as they are now), or all but build/ where
# there is no git checkout.
source_copy=$work/quendal-$deb_version
mkdir "$source_copy"
if [ -n "${commit:-}" ]; then
  git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' file; do
      if [ -f "$file" ] || [ -L "$file" ]; then printf '%s\0' "$file"; fi
    done | tar --null --no-recursion -T - -cf - | tar -C "$source_copy" -xpf -
else
  tar --exclude=./build -cf - . | tar -C "$source_copy" -xpf -
fi
# -J: as many jobs as there are processors, which changes nothing in the
# package. Its log goes to a file; the end of it is shown on a failure.
(cd "$source_copy" && dpkg-buildpackage -b -us -uc -Jauto) >"$work/dpkg-buildpackage.log" 2>&1 || {
  tail -n 40 "$work/dpkg-buildpackage.log" >&2
  fail "dpkg-buildpackage failed (its whole log: $work/dpkg-buildpackage.log)"
}
built=$work/$deb
[ -f "$built" ] || fail "dpkg-buildpackage did not make $deb: $(ls "$work"/*.deb 2>/dev/null)"
extra=$(find "$work" -maxdepth 1 -type f \( -name '*.deb' -o -name '*.ddeb' -o -name '*.udeb' \) ! -name "$deb" -printf '%f ')
[ -z "$extra" ] || fail "dpkg-buildpackage made more packages than $deb: $extra"
[ "$(dpkg-deb -f "$built" Package Version Architecture | tr '\n' ' ')" = \
  "Package: quendal Version: $deb_version Architecture: amd64 " ] ||
  fail "$deb does not say package quendal, version $deb_version, amd64"
# What users install is the optimised build (debian/rules asks for it).
build_dir=$source_copy/obj-$(dpkg-architecture -qDEB_HOST_GNU_TYPE)
grep -qx 'CMAKE_BUILD_TYPE:STRING=Release' "$build_dir/CMakeCache.txt" ||
  fail "the packaged program is not the Release build ($build_dir/CMakeCache.txt)"
# Installed-Size as dpkg-gencontrol counts it, the same on any filesystem:
# each file in KiB, rounded up, and 1 for anything else, a folder's own size
# on the builder's filesystem (4096 on ext4, less on tmpfs) not counted; the
# control folder counts too, with what it held before the control file and
# the checksums were written.
installed_size=$(dpkg-deb -f "$built" Installed-Size)
data=$(dpkg-deb --fsys-tarfile "$built" | tar -tvf -) || fail "cannot list the files of $deb"
control=$(dpkg-deb --ctrl-tarfile "$built" | tar -tvf -) || fail "cannot list the control files of $deb"
counted=$(printf '%s\n' "$data" 'd--------- DEBIAN' "$(grep -vE ' \./(control|md5sums)?$' <<<"$control")" |
  awk '$1 ~ /^-/ { total += int(($3 + 1023) / 1024); next } NF { total += 1 } END { print total }')
[ "$installed_size" = "$counted" ] ||
  fail "$deb says Installed-Size: $installed_size, but its contents count $counted KiB as dpkg counts them"
echo "$deb: Installed-Size $installed_size KiB, counted as dpkg counts it"
# Depends must name the package of every library the program loads
# (dh_shlibdeps), not only the dependencies named by hand.
dpkg-deb -x "$built" "$work/deb-contents"
depends=$(dpkg-deb -f "$built" Depends)
needed=$(readelf -d "$work/deb-contents/usr/bin/quendal" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
[ -n "$needed" ] || fail "readelf found no libraries that the packaged program needs"
depends_names=$(tr ',|' '\n' <<<"$depends" | awk '{print $1}')
for library in $needed; do
  owner=$(dpkg-query -S "*x86_64-linux-gnu/$library" 2>/dev/null | sed -n '1s/:.*//p')
  [ -n "$owner" ] || fail "no installed package holds $library"
  grep -qxF "$owner" <<<"$depends_names" ||
    fail "$deb needs $library of $owner, but its Depends is: $depends"
done
echo "$deb depends on the packages of all its libraries: $depends"
scripts/hardening-check.sh "$work/deb-contents/usr/bin/quendal" ||
  fail "the packaged program lacks the hardening above (debian/rules, cmake/Hardening.cmake)"
cp "$built" "$out/"

step "Windows programs"
# check_windows_exe <file> <what> <x64|x86>: a GUI program of that
# architecture that runs on a bare Windows, stripped, whose version record
# says $version.
check_windows_exe() {
  local file=$1 what=$2 architecture=$3 triple machine wanted header subsystem dump imports nm_output sections rc record numbers characteristics hardening
  case $architecture in
    x64) triple=x86_64-w64-mingw32 wanted=8664 ;;
    x86) triple=i686-w64-mingw32 wanted=014c ;;
  esac
  # The PE header's own word: Machine, after "PE\0\0" at the offset that the
  # DOS header holds at 0x3C.
  header=$(od -An -tu4 -j60 -N4 "$file" | tr -d ' ')
  [ "$(od -An -c -j"$header" -N4 "$file" | tr -d ' ')" = 'PE\0\0' ] || fail "$what has no PE header"
  machine=$(od -An -tx2 -j$((header + 4)) -N2 "$file" | tr -d ' ')
  [ "$machine" = "$wanted" ] || fail "$what is for machine 0x$machine, not $architecture (0x$wanted)"
  # The optional header's Subsystem, at the same place in PE32 and PE32+:
  # 2 is a GUI program.
  subsystem=$(od -An -tu2 -j$((header + 24 + 68)) -N2 "$file" | tr -d ' ')
  [ "$subsystem" = 2 ] || fail "$what is not a Windows GUI program (subsystem $subsystem)"
  # DllCharacteristics, 70 bytes into the optional header of both kinds:
  # ASLR (0x40), DEP (0x100) and terminal-server aware (0x8000), and on x64
  # high-entropy ASLR (0x20). GCC has no Control Flow Guard to add.
  characteristics=$(od -An -tu2 -j$((header + 24 + 70)) -N2 "$file" | tr -d ' ')
  hardening=$((0x40 | 0x100 | 0x8000))
  [ "$architecture" = x86 ] || hardening=$((hardening | 0x20))
  [ $((characteristics & hardening)) -eq $hardening ] ||
    fail "$what lacks ASLR, DEP or terminal-server awareness (DllCharacteristics $(printf 0x%x "$characteristics"))"
  # Each command on its own line, so that its failure stops the release with
  # a message rather than silently (set -e in a substitution).
  dump=$("$triple-objdump" -p "$file") || fail "objdump cannot read $what"
  imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump")
  # Every Windows program imports from KERNEL32.dll: an empty or unread
  # import list is a fault, not a program with no needs.
  grep -qx 'KERNEL32.dll' <<<"$imports" || fail "$what does not import KERNEL32.dll (imports: '$imports')"
  # MinGW's own run-time DLLs (libstdc++-6, libgcc_s_seh-1 or _dw2-1,
  # libwinpthread-1) are not on a user's machine: the program must carry them.
  if grep -iE '^lib|mingw' <<<"$imports"; then fail "$what needs the DLLs above"; fi
  nm_output=$("$triple-nm" "$file" 2>&1 || true)
  grep -q 'no symbols' <<<"$nm_output" || fail "$what is not stripped"
  sections=$("$triple-objdump" -h "$file") || fail "objdump cannot read the sections of $what"
  if grep -q ' \.debug_' <<<"$sections"; then fail "$what has debug sections"; fi
  rc=$("$triple-windres" -i "$file" -O rc 2>&1) || fail "windres cannot read the resources of $what: $rc"
  record=$(sed -n 's/^ *FILEVERSION //p' <<<"$rc")
  numbers=$(tr -d ' ' <<<"$record")
  [ "$numbers" = "${version//./,}" ] || fail "$what has version record '$record', not $version"
  echo "$what: $architecture GUI, ASLR, DEP, terminal-server aware, no MinGW DLLs ($(tr '\n' ' ' <<<"$imports")), stripped, version $version"
}
# check_windows7_imports <file> <what> <x64|x86>: each function the program
# imports is on the list of those Windows 7 SP1 has, as the tests hold the
# test build's program against it; here the shipped file itself.
check_windows7_imports() {
  local file=$1 what=$2 architecture=$3 triple imported unknown
  case $architecture in
    x64) triple=x86_64-w64-mingw32 ;;
    x86) triple=i686-w64-mingw32 ;;
  esac
  # "dll!function", the DLL in lower case, as the list has them. binutils
  # 2.40 (Debian 12) lists "vma hint name"; 2.44 (Debian 13) "vma ordinal
  # hint name", the ordinal "<none>" for an import by name.
  imported=$("$triple-objdump" -p "$file" | awk '
    /^\tDLL Name: / { dll = tolower($3); next }
    /^$/ { dll = "" }
    dll != "" && $1 ~ /^[0-9a-f]+$/ && $2 == "<none>" && NF >= 4 { print dll "!" $4; next }
    dll != "" && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { print dll "!" $3 }' | LC_ALL=C sort -u) ||
    fail "objdump cannot read the imports of $what"
  [ "$(grep -c . <<<"$imported")" -gt 20 ] || fail "read too few imports of $what: '$imported'"
  unknown=$(LC_ALL=C comm -23 <(printf '%s\n' "$imported") <(sed -e 's/#.*//' -e 's/[[:space:]]//g' \
    "$root/tests/win32/windows7-imports.txt" | awk -F: -v a="$architecture" \
    'NF == 1 && $1 != "" { print } NF == 2 && $1 == a { print $2 }' |
    awk -F'!' '{ print tolower($1) "!" $2 }' | LC_ALL=C sort -u))
  [ -z "$unknown" ] || fail "$what imports what Windows 7 may not have (tests/win32/windows7-imports.txt):"$'\n'"$unknown"
  echo "$what: its $(grep -c . <<<"$imported") imports are all on Windows 7's list"
}
# check_stack_protector <file> <what>: GCC's stack protector is linked in
# (cmake/Hardening.cmake). The programs are stripped, so its symbols are gone;
# what stays is the message of libssp's __stack_chk_fail, which only that
# handler holds.
check_stack_protector() {
  grep -q -a -F '*** stack smashing detected ***' "$1" ||
    fail "$2 has no stack protector (libssp's __stack_chk_fail is not linked in: cmake/Hardening.cmake)"
  echo "$2: stack protector linked in"
}
# sign <file> <what>: signs it in place, the unsigned file kept in
# $work/unsigned/, and checks that the signature is there and covers the file
# as it is (whether the certificate is trusted is the user's machine's to say).
sign() {
  local file=$1 what=$2 log=$work/sign.log
  mkdir -p "$work/unsigned"
  cp "$file" "$work/unsigned/$(basename "$file")"
  rm -f "$file.signed"
  if $have_password; then
    osslsigncode sign "${signer[@]}" -readpass <(printf '%s\n' "$sign_password") -n "$name" \
      -in "$file" -out "$file.signed" </dev/null >"$log" 2>&1 || fail "cannot sign $what:"$'\n'"$(cat "$log")"
  else
    osslsigncode sign "${signer[@]}" -n "$name" -in "$file" -out "$file.signed" </dev/null >"$log" 2>&1 ||
      fail "cannot sign $what:"$'\n'"$(cat "$log")"
  fi
  chmod --reference="$file" "$file.signed"
  mv -f "$file.signed" "$file"
  check_signed "$file" "$what"
}
# check_signed <file> <what>: one signature, whose digest is the file's.
check_signed() {
  local report current calculated
  report=$(osslsigncode verify -in "$1" 2>&1 || true)
  current=$(sed -n 's/^Current message digest *: *\([0-9A-F]*\).*/\1/p' <<<"$report")
  calculated=$(sed -n 's/^Calculated message digest *: *\([0-9A-F]*\).*/\1/p' <<<"$report")
  [ "$(grep -c . <<<"$current")" = 1 ] && [ -n "$current" ] ||
    fail "$2 carries no signature or more than one:"$'\n'"$report"
  [ "$current" = "$calculated" ] || fail "the signature of $2 does not cover the file as it is:"$'\n'"$report"
  echo "$2: signed ($(sed -n 's/^\t*Subject: //p' <<<"$report" | head -n 1)$(grep -q '^Timestamp is not available' <<<"$report" && echo ', not time-stamped'))"
}
for architecture in x64 x86; do
  cmake --preset "windows-$architecture" -B "$work/windows-$architecture" >/dev/null
  cmake --build "$work/windows-$architecture" --target quendal
  program=$work/windows-$architecture/quendal.exe
  [ -f "$program" ] || fail "the Windows $architecture build made no $program"
done
cp "$work/windows-x64/quendal.exe" "$out/$exe64"
check_windows_exe "$out/$exe64" "$exe64" x64
cp "$work/windows-x86/quendal.exe" "$out/$exe32"
check_windows_exe "$out/$exe32" "$exe32" x86
check_windows7_imports "$out/$exe64" "$exe64" x64
check_windows7_imports "$out/$exe32" "$exe32" x86
check_stack_protector "$out/$exe64" "$exe64"
check_stack_protector "$out/$exe32" "$exe32"
if [ ${#signer[@]} -gt 0 ]; then
  step "Signing the Windows programs"
  [ -n "$timestamp" ] || echo "NOTE: no --timestamp: the signatures end when the certificate does; not for publishing"
  sign "$out/$exe64" "$exe64"
  sign "$out/$exe32" "$exe32"
fi

step "Windows installer"
# makensis hands the finished uninstaller to this script (!uninstfinalize),
# before it packs it into the installer: signed there when the release is,
# and copied out for the checks below.
uninstaller=$work/uninstall.exe
rm -f "$uninstaller"
{
  echo '#!/bin/bash'
  echo 'set -euo pipefail'
  if [ ${#signer[@]} -gt 0 ]; then
    printf 'cp "$1" %q\n' "$work/unsigned/uninstall.exe"
    printf 'rm -f "$1.signed"\n'
    printf 'osslsigncode sign'
    printf ' %q' "${signer[@]}" -n "$name"
    if $have_password; then printf ' -readpass <(printf "%%s\\n" "$QUENDAL_SIGN_PASSWORD")'; fi
    printf ' -in "$1" -out "$1.signed" </dev/null >%q 2>&1 || { cat %q >&2; exit 1; }\n' "$work/sign.log" "$work/sign.log"
    printf 'mv -f "$1.signed" "$1"\n'
  fi
  printf 'cp "$1" %q\n' "$uninstaller"
} >"$work/finalize-uninstaller"
chmod 755 "$work/finalize-uninstaller"
# -WX: a warning (an unused string, a risky file name) stops the release. The
# password, if any, reaches the script in its environment, never on a
# command line.
QUENDAL_SIGN_PASSWORD=$sign_password makensis -V2 -WX -DEXE64="$out/$exe64" -DEXE32="$out/$exe32" \
  -DOUTFILE="$out/$setup" -DNAME="$name" -DPUBLISHER="$publisher" \
  -DFINALIZE_UNINSTALLER="$work/finalize-uninstaller" packaging/windows/quendal.nsi ||
  fail "makensis failed (or the uninstaller could not be signed: $work/sign.log)"
[ -f "$uninstaller" ] || fail "makensis did not hand over the uninstaller (!uninstfinalize)"
# Their own stubs are 32-bit, so that they start on every Windows.
check_windows_exe "$uninstaller" "the uninstaller $(basename "$uninstaller")" x86
if [ ${#signer[@]} -gt 0 ]; then
  check_signed "$uninstaller" "the uninstaller"
  sign "$out/$setup" "$setup"
fi
check_windows_exe "$out/$setup" "$setup" x86

step "Release notes"
cp NEWS.md NEWS.zh-CN.md "$out/"

step "Checksums and build record"
(cd "$out" && sha256sum "$deb" "$exe64" "$exe32" "$setup" NEWS.md NEWS.zh-CN.md >SHA256SUMS)
cat "$out/SHA256SUMS"
# What made them, as Debian's .buildinfo records it: the same commit built
# with these versions gives the same files (scripts/rebuild-test.sh).
buildinfo=$out/quendal-$version.buildinfo
# The exact packages that made the files, found from the files that were
# used: the compilers themselves (not the g++ metapackage), the C and C++
# libraries and headers, Qt's libraries and its moc and rcc, CMake, the
# tools that build the Debian package (dpkg-dev and its Perl library,
# debhelper, strip-nondeterminism, dwz), the MinGW-w64 compilers, run times
# and Windows libraries, NSIS and its stubs. A file that no installed package holds is an error: the
# record would not name what a rebuilder needs.
# owner <path>: the package that holds it.
owner() {
  local found
  # dpkg may know a file of /usr/bin by its older /bin path (merged /usr).
  found=$(dpkg-query -S "$1" 2>/dev/null || dpkg-query -S "${1#/usr}" 2>/dev/null || true)
  found=$(sed -n '1s/: .*//p' <<<"$found")
  [ -n "$found" ] || fail "no installed package holds $1, which made the release files"
  echo "${found%%,*}"
}
used=()
for program in cmake ninja dpkg-buildpackage dpkg-buildflags dpkg-gencontrol dpkg-shlibdeps dpkg-deb \
  dh dh_strip_nondeterminism dwz objdump readelf strip gzip makensis \
  {x86_64,i686}-w64-mingw32-{g++-posix,windres,objdump,nm,as,ld}; do
  path=$(command -v "$program") || fail "$program is missing"
  used+=("$(realpath "$path")")
done
for compiler in g++ x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix; do
  for part in cc1plus collect2; do used+=("$(realpath -s "$("$compiler" -print-prog-name="$part")")"); done
done
for file in libstdc++.so libc.so crt1.o libgcc_s.so; do used+=("$(realpath -s "$(g++ -print-file-name="$file")")"); done
for compiler in x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix; do
  for file in libstdc++.a libwinpthread.a libkernel32.a libmsvcrt.a libgcc.a; do
    used+=("$(realpath -s "$("$compiler" -print-file-name="$file")")")
  done
done
qt_core=$(sed -n 's/^Qt6Core_DIR:PATH=//p' "$build_dir/CMakeCache.txt")
[ -n "$qt_core" ] || fail "the Linux build names no Qt6Core_DIR"
used+=("$qt_core/Qt6CoreConfig.cmake" /usr/lib/qt6/libexec/moc /usr/lib/qt6/libexec/rcc)
used+=(/usr/share/perl5/Dpkg.pm /usr/share/perl5/File/StripNondeterminism.pm)
for library in $needed; do used+=("$(realpath "/usr/lib/x86_64-linux-gnu/$library")"); done
used+=(/usr/share/nsis/Stubs/lzma-x86-unicode /usr/share/nsis/Stubs/uninst)
[ ${#signer[@]} -eq 0 ] || used+=("$(realpath "$(command -v osslsigncode)")")
packages=$(for file in "${used[@]}"; do owner "$file"; done | LC_ALL=C sort -u) ||
  fail "cannot name the packages that made the files"
made_by=()
for package in $packages; do
  made_by+=("$(dpkg-query -W -f='${binary:Package} (= ${Version})' "$package")") ||
    fail "cannot read the version of $package"
done
[ ${#made_by[@]} -ge 20 ] || fail "found only ${#made_by[@]} packages that made the files"
{
  echo "Source: $name $version"
  echo "Commit: ${commit:-none (no git checkout)}$([ -n "${changes:-}" ] && echo ' with uncommitted changes')"
  echo "Source-Date-Epoch: $SOURCE_DATE_EPOCH"
  . /etc/os-release
  echo "Build-System: $PRETTY_NAME (Debian $(cat /etc/debian_version)), $(dpkg --print-architecture)"
  echo "Build-Environment: env -i PATH=$PATH LC_ALL=$LC_ALL TZ=$TZ, umask $(umask), SOURCE_DATE_EPOCH as above"
  echo "Build-Path: any (source and build folders are mapped away: -ffile-prefix-map)"
  echo "Installed-Build-Depends:"
  printf ' %s\n' "${made_by[@]}"
  echo "Checksums-Sha256:"
  sed 's/^/ /' "$out/SHA256SUMS"
} >"$buildinfo"

# Complete: now the previous release goes.
if [ -d "$final" ]; then rm -rf "$final"; fi
mv "$out" "$final"
trap - EXIT
out=$final
echo
ls -l "$out" | tail -n +2
echo "release files in $out, ${SECONDS}s"
