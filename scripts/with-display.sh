#!/usr/bin/env bash
# Runs a command on a private virtual X display (Xvfb) and removes the display
# when the command ends, whether it succeeds, fails or is stopped by a signal.
#
#   scripts/with-display.sh [--size WxHxDEPTH] [--dpi N] [--dbus] [--] command [argument...]
#
#   --size WxHxDEPTH  screen 0's size and colour depth (default 1280x1024x24)
#   --dpi N           the screen's resolution in dots per inch (default Xvfb's)
#   --dbus            also a private D-Bus session bus, gone with the display
#
# The command sees DISPLAY and XAUTHORITY (a cookie of its own: other users
# cannot reach the display), and DBUS_SESSION_BUS_ADDRESS with --dbus; no
# WAYLAND_DISPLAY, and Qt and GTK are told to use X11, so that its windows
# open on this display even when it is started from a Wayland desktop.
# Exit status: the command's; 125 if the display or the bus could not be
# started or the options are wrong. The server picks a free display number
# itself (-displayfd), so runs side by side cannot race for one.
set -euo pipefail

usage() {
  echo "usage: $0 [--size WxHxDEPTH] [--dpi N] [--dbus] [--] command [argument...]" >&2
  exit 125
}

size=1280x1024x24
dpi=()
dbus=false
while [ $# -gt 0 ]; do
  case $1 in
    --size)
      [ $# -ge 2 ] && [[ $2 =~ ^[0-9]+x[0-9]+x[0-9]+$ ]] || usage
      size=$2; shift 2 ;;
    --dpi)
      [ $# -ge 2 ] && [[ $2 =~ ^[0-9]+$ ]] || usage
      dpi=(-dpi "$2"); shift 2 ;;
    --dbus) dbus=true; shift ;;
    --) shift; break ;;
    -*) usage ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || usage

scratch=$(mktemp -d)
xvfb_pid="" bus_pid=""
cleanup() {
  # A command that leaves clients behind must not keep the server up.
  for pid in $bus_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
  echo "with-display: $*" >&2
  exit 125
}

export XAUTHORITY=$scratch/Xauthority
# Without a session's runtime folder (root, CI), Qt would make and leave
# /tmp/runtime-<user>: one of the display's own instead.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  mkdir -m 700 "$scratch/runtime"
  export XDG_RUNTIME_DIR=$scratch/runtime
fi
: >"$XAUTHORITY"
# A wildcard entry: the display number is not known before the server starts.
echo "ffff 0000  0000  0012 $(printf MIT-MAGIC-COOKIE-1 | od -An -tx1 | tr -d ' \n') 0010 $(mcookie)" |
  xauth -q -f "$XAUTHORITY" nmerge - || fail "could not write the display's cookie"

# The server writes its display number to the FIFO once it accepts clients; if
# it dies first, the FIFO closes and read fails instead of waiting.
mkfifo "$scratch/ready"
Xvfb -displayfd 3 -auth "$XAUTHORITY" -nolisten tcp -screen 0 "$size" "${dpi[@]}" \
  3>"$scratch/ready" 2>"$scratch/xvfb.log" &
xvfb_pid=$!
number=""
read -r -t 30 number <"$scratch/ready" || true
if ! [[ $number =~ ^[0-9]+$ ]]; then
  cat "$scratch/xvfb.log" >&2
  fail "Xvfb did not start"
fi
export DISPLAY=:$number
# Pinned to it: a toolkit that prefers Wayland (Qt, GTK) would otherwise open
# the command's windows on the desktop's own Wayland session, which a
# WAYLAND_DISPLAY, WAYLAND_SOCKET or XDG_SESSION_TYPE left from it names.
unset WAYLAND_DISPLAY WAYLAND_SOCKET
export XDG_SESSION_TYPE=x11 QT_QPA_PLATFORM=xcb GDK_BACKEND=x11

if $dbus; then
  # Not forked: a child of this script, so that the clean-up can wait for it.
  mkfifo "$scratch/bus"
  dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$scratch/bus" \
    2>"$scratch/bus.log" &
  bus_pid=$!
  address=""
  read -r -t 30 address <"$scratch/bus" || true
  if [ -z "$address" ]; then
    cat "$scratch/bus.log" >&2
    fail "the session bus did not start"
  fi
  export DBUS_SESSION_BUS_ADDRESS=$address
fi

# The command runs in the background so that a signal to this script reaches
# it (as TERM: background jobs of a script ignore INT) and the clean-up still
# follows.
"$@" &
child=$!
trap 'kill -TERM "$child" 2>/dev/null || true' INT TERM HUP
while :; do
  status=0
  wait "$child" || status=$?
  # wait also returns when a trapped signal arrives; the command may still run.
  kill -0 "$child" 2>/dev/null || break
done
exit "$status"
