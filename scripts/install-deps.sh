#!/usr/bin/env bash
# Installs the Debian 12 or 13 packages that the build, the program and the
# tests need, and only those that are missing, so that it is cheap to run again.
#   scripts/install-deps.sh run    build and start the program
#   scripts/install-deps.sh test   everything the test command uses
#   scripts/install-deps.sh bench  that, and what scripts/bench.sh uses
#   scripts/install-deps.sh screenreader  run's, and the Orca screen reader
#                                  with what drives it (scripts/orca-check.sh)
#   ... [--yes]                    do not ask (also when CI is set)
# Before it changes anything it shows what apt would install and upgrade and
# asks; it refuses a plan that removes any package. Everything comes in as
# the dependencies of one package of the project's, quendal-<set>-deps
# (made here with equivs), so that
#   sudo apt purge 'quendal-*-deps' && sudo apt autoremove --purge
# takes back all that it brought and nothing the machine had before.
set -euo pipefail

set_name=${1:-run}
assume_yes=false
if [ "${2:-}" = --yes ]; then assume_yes=true; elif [ -n "${2:-}" ]; then set_name=usage; fi
# CI has no one to ask.
if [ -n "${CI:-}" ]; then assume_yes=true; fi

run_packages=(
  cmake ninja-build g++ qt6-base-dev qt6-qpa-plugins
  qt6-wayland           # the program on a Wayland compositor without Xwayland
  pkg-config libfontconfig-dev  # the program starts fontconfig early, on a thread
  libglib2.0-dev        # GDesktopAppInfo's declarations: System Information opens the desktop's own tool
  libxcb1-dev           # the program ends the X startup notification on Qt's own connection
  fonts-noto-cjk        # CJK fallback for text the embedded fonts lack
  xvfb xauth            # a display for machines that have none (scripts/with-display.sh)
)
test_packages=(
  "${run_packages[@]}"
  libgtest-dev libgmock-dev libbenchmark-dev
  locales               # the comma-decimal and Chinese locales of the tests
  x11-utils xdotool imagemagick  # drive the real window, take screenshots
  dpkg-dev file desktop-file-utils appstream  # build the .deb, check its desktop entry and metainfo
  debhelper             # debian/rules: the .deb built as Debian's are (scripts/release.sh)
  build-essential       # which dpkg-buildpackage requires of every build, beyond Build-Depends
  clang libclang-rt-dev llvm  # libFuzzer and its sanitizer runtimes; llvm-symbolizer (the release's LLVM)
  clang-format clang-tidy  # the code's style and static checks
  python3-fonttools     # checks that the embedded fonts cover every text
  at-spi2-core python3-pyatspi dbus-daemon  # the window as a screen reader sees it
  g++-mingw-w64-x86-64-posix wine wine64  # Windows cross-build, tests under Wine
  g++-mingw-w64-i686-posix wine32:i386  # the same for 32-bit Windows (WoW64 in one prefix)
  fonts-wine            # Marlett, for the caption buttons of windows under Wine
  nsis                  # the Windows installer (scripts/release.sh, scripts/installer-test.sh)
  weston                # a headless Wayland compositor (scripts/package-test.sh)
  diffoscope-minimal    # shows how two builds of a release file differ (scripts/rebuild-test.sh)
  disorderfs            # and lists the second build's files in a shuffled order
  osslsigncode openssl  # Authenticode signing of the Windows files (scripts/release.sh) and the rebuild test's throw-away certificate
  man-db                # renders the manual pages with warnings on (scripts/docs-check.sh)
  lintian               # Debian's checks of the .deb (scripts/package-test.sh)
)
bench_packages=(
  "${test_packages[@]}"
  libxdamage-dev        # scripts/bench.sh sees the first paint through DAMAGE
  valgrind              # and counts the instructions of a start-up
  dbus-daemon           # a session bus, as on a desktop
)
screenreader_packages=(
  "${run_packages[@]}"
  orca                  # the screen reader itself (scripts/orca-check.sh)
  at-spi2-core dbus-daemon xdotool  # its bus, a session bus, and keys typed as a user types them
)

case "$set_name" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  bench) wanted=("${bench_packages[@]}") ;;
  screenreader) wanted=("${screenreader_packages[@]}") ;;
  *) echo "usage: $0 run|test|bench|screenreader [--yes]" >&2; exit 2 ;;
esac
meta=quendal-$set_name-deps

# wine32 is an i386 package: dpkg must know that architecture before apt can
# find it (and only then, since adding it makes every apt-get update fetch
# the i386 lists too).
foreign=()
for package in "${wanted[@]}"; do
  architecture=${package#*:}
  if [ "$architecture" != "$package" ] && [ "$architecture" != "$(dpkg --print-architecture)" ] &&
    ! dpkg --print-foreign-architectures | grep -qx "$architecture"; then
    foreign+=("$architecture")
  fi
done

installed() { [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true)" = "install ok installed" ]; }
missing=()
for package in "${wanted[@]}"; do
  installed "$package" || missing+=("$package")
done
# Locales the tests switch to: a comma decimal point, and Chinese (the bench
# runs the program in them too).
locales=()
if [ "$set_name" != run ]; then
  present=$'\n'$(locale -a 2>/dev/null || true)$'\n'
  for locale in de_DE.UTF-8 zh_CN.UTF-8; do
    [[ $present == *$'\n'"${locale%.UTF-8}.utf8"$'\n'* ]] || locales+=("$locale")
  done
fi

[ $((${#missing[@]} + ${#locales[@]} + ${#foreign[@]})) -gt 0 ] || exit 0

# Root or sudo only when there is something to do, so that the test command
# also runs for a user on a machine that already has everything.
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    todo=("${missing[@]}" "${locales[@]/#/locale }")
    echo "$0: installing ${todo[*]} needs root: run it as root, or install sudo" >&2
    exit 1
  fi
  as_root=(sudo)
fi
fail() {
  echo "$0: $*" >&2
  exit 1
}
# Wait for another package manager (the desktop's updater) to let go of its
# lock, rather than fail at once.
apt_get() {
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get -o DPkg::Lock::Timeout=600 -o APT::Get::Show-Versions=true "$@"
}
# plan <apt-get install arguments>: what apt would do, as "Inst"/"Remv" lines.
plan() { apt-get --simulate -o Debug::NoLocking=true -qq install --no-install-recommends "$@"; }
show_plan() {
  local lines=$1
  echo "apt would install $(grep -c '^Inst ' <<<"$lines" || true) packages" \
    "($(grep -c '^Inst [^ ]* \[' <<<"$lines" || true) of them upgrades of installed ones):"
  sed -n 's/^Inst \([^ ]*\) \(\[[^]]*\] \)\{0,1\}(\([^ ]*\).*/  \1 \2\3/p' <<<"$lines"
}
refuse_removals() {
  local removed
  removed=$(sed -n 's/^Remv \([^ ]*\).*/\1/p' <<<"$1")
  [ -z "$removed" ] || fail "apt would remove $(tr '\n' ' ' <<<"$removed")to install these; nothing was changed." \
    "Install the packages by hand if you accept that: $meta needs ${wanted[*]}"
}

echo "$0: for '$set_name', this machine lacks:"
[ ${#foreign[@]} -eq 0 ] || echo "  the $(printf '%s\n' "${foreign[@]}" | sort -u | tr '\n' ' ')architecture in dpkg" \
  "(every apt update then fetches its lists too; dpkg --remove-architecture takes it back)"
[ ${#missing[@]} -eq 0 ] || echo "  the packages ${missing[*]}"
[ ${#locales[@]} -eq 0 ] || echo "  the locales ${locales[*]} (in /etc/locale.gen)"
if [ ${#missing[@]} -gt 0 ]; then
  # What apt would do with the lists it has now; packages of an architecture
  # not added yet are left out until it is.
  native=()
  for package in "${missing[@]}"; do
    architecture=${package#*:}
    if [ "$architecture" = "$package" ] || [ ${#foreign[@]} -eq 0 ] ||
      ! printf '%s\n' "${foreign[@]}" | grep -qx "$architecture"; then native+=("$package"); fi
  done
  installed equivs || native+=(equivs)
  if [ ${#native[@]} -gt 0 ] && lines=$(plan "${native[@]}" 2>&1); then
    show_plan "$lines"
    refuse_removals "$lines"
  else
    echo "  (apt cannot plan it with its present lists: they are updated first)"
  fi
  echo "They come in as the dependencies of one package, $meta; to take them back:"
  echo "  sudo apt purge $meta && sudo apt autoremove --purge"
fi
if ! $assume_yes; then
  { true </dev/tty; } 2>/dev/null || fail "nothing installed: no terminal to ask on; pass --yes to install without asking"
  read -r -p "Go ahead? [y/N] " answer </dev/tty || answer=""
  [[ $answer == [yY]* ]] || fail "nothing installed"
fi

for architecture in $(printf '%s\n' "${foreign[@]}" | sort -u); do
  echo "Adding the $architecture architecture to dpkg"
  "${as_root[@]}" dpkg --add-architecture "$architecture"
done

if [ ${#missing[@]} -gt 0 ]; then
  # A mirror caught mid-sync fails a list or two for a while: try again, then
  # go on with what apt has, and let the install itself say if that is short.
  lists_note=""
  for attempt in 1 2 3; do
    apt_get update -qq && break
    if [ "$attempt" = 3 ]; then
      lists_note=" (apt-get update failed three times: if the mirror is mid-sync, try again later)"
      echo "$0: apt-get update failed three times; going on with the lists apt has" >&2
      break
    fi
    echo "$0: apt-get update failed; trying again in 30 s" >&2
    sleep 30
  done
  if ! installed equivs; then
    refuse_removals "$(plan equivs)"
    apt_get install -y -qq --no-install-recommends equivs
    # Brought in for the one package below, which keeps it: it goes with it.
    "${as_root[@]}" apt-mark auto equivs >/dev/null
  fi
  # The one package whose dependencies are the whole set, built where this
  # user can write and apt's own user can read.
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  chmod 755 "$work"
  depends=$(printf '%s, ' "${wanted[@]}" equivs)
  cat >"$work/control" <<CONTROL
Section: misc
Priority: optional
Standards-Version: 4.6.2
Package: $meta
Version: 1.$(printf '%s\n' "${wanted[@]}" | cksum | cut -d' ' -f1)
Architecture: all
Depends: ${depends%, }
Description: what Quendal's scripts need for '$set_name'
 Installed by scripts/install-deps.sh $set_name. Purge it and run
 apt autoremove to take back the packages it brought.
CONTROL
  (cd "$work" && equivs-build control >"$work/equivs.log" 2>&1) ||
    { cat "$work/equivs.log" >&2; fail "equivs-build could not make $meta"; }
  deb=$(ls "$work"/"$meta"_*_all.deb)
  release=()
  if ! lines=$(plan --allow-downgrades "$deb" 2>&1); then
    # The list that fails is most often one architecture's list of the
    # security archive: the i386 twin of an amd64 library then has no version
    # apt knows of, and Multi-Arch twins must match. The release's own lists
    # agree with each other, so plan from them (never downgrading anything
    # installed) and say so.
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    release=(-o "APT::Default-Release=$codename")
    if [ -n "$lists_note" ] && [ -n "$codename" ] &&
      from_release=$(plan "${release[@]}" --allow-downgrades "$deb" 2>&1); then
      lines=$from_release
      echo "$0: a package list could not be fetched, so the packages come from $codename's own lists," \
        "not its security updates; 'apt-get upgrade' brings those once the mirror serves them" >&2
    else
      fail "apt cannot install $meta$lists_note:"$'\n'"$lines"
    fi
  fi
  refuse_removals "$lines"
  show_plan "$lines"
  echo "Installing $meta"
  apt_get install -y -q -o Dpkg::Use-Pty=0 --no-install-recommends --allow-downgrades "${release[@]}" "$deb"
fi

for locale in "${locales[@]}"; do
  "${as_root[@]}" sed -i "s/^# *\($locale UTF-8\)/\1/" /etc/locale.gen
  grep -q "^$locale UTF-8" /etc/locale.gen || echo "$locale UTF-8" | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
  "${as_root[@]}" locale-gen >/dev/null
done
