# Sourced by the scripts that run Wine (POSIX sh).

# Whether this Wine may see TMPDIR: Debian 13's Wine 10 aborts at start
# ("free(): invalid pointer") whenever TMPDIR is set; Debian 12's Wine 8 does not.
wine_takes_tmpdir() {
  case $(wine --version 2>/dev/null) in
    wine-[1-8].*) return 0 ;;
    *) return 1 ;;
  esac
}

# wine_temp_folder <folder>: Wine keeps its server's socket folder under
# TMPDIR; put there, it goes when the run's own folder is removed. Where Wine
# cannot take TMPDIR, it is unset and the socket folder stays in /tmp.
wine_temp_folder() {
  if wine_takes_tmpdir; then export TMPDIR="$1"; else unset TMPDIR; fi
}

# wine_scratch <top of the tree> <name>: a new folder for a run's prefixes,
# under build/wine-scratch/ of the tree rather than in /tmp, which is RAM on
# Debian 13 and where a prefix (over 1 GB) would outlive an interrupted run.
# The caller removes it on exit and on interruption.
wine_scratch() {
  mkdir -p "$1/build/wine-scratch" &&
    mktemp -d "$(cd "$1/build/wine-scratch" && pwd -P)/$2.XXXXXX"
}
