#!/usr/bin/env bash
# Runs the Orca screen reader itself against the program on a virtual display,
# drives the window from the keyboard as an Orca user would, and checks what
# Orca says (its debug log records each utterance, with or without a speech
# synthesiser): each box it passes with its unit, and the new report after 计算电流 is
# pressed by Space and 计算电容 by Enter, while the focus stays on the button.
# Not part of scripts/test.sh: Orca brings some sixty packages of its own.
#   scripts/orca-check.sh [program]    (default build/ci/quendal; any build will do)
set -euo pipefail
program=build/ci/quendal
if [ $# -gt 0 ]; then program=$(realpath -m "$1"); fi
cd "$(dirname "$0")/.."
[ -x "$program" ] || { echo "orca-check: no program at $program; build it first" >&2; exit 2; }

if [ -z "${QUENDAL_IN_SESSION:-}" ]; then
  scripts/install-deps.sh screenreader
  QUENDAL_IN_SESSION=1 exec scripts/with-display.sh --dbus -- "$0" "$program"
fi

# Orca keeps its settings and caches under the home folder: a scratch one.
scratch=$(mktemp -d)
pids=()
stop_all() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$scratch"
}
trap stop_all EXIT
export HOME=$scratch XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data \
  XDG_CACHE_HOME=$scratch/cache
log=$scratch/orca.log

/usr/libexec/at-spi-bus-launcher --launch-immediately &
pids+=($!)
sleep 0.5
orca --replace -u "$scratch/prefs" --debug-file "$log" >/dev/null 2>&1 &
orca_pid=$!
pids+=("$orca_pid")
sleep 5
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" >/dev/null 2>&1 &
app=$!
pids+=("$app")
window=$(xdotool search --sync --onlyvisible --pid "$app" | head -1)
xdotool windowfocus --sync "$window"
sleep 1.5

# Each key as a user presses them, with time for Orca to speak in between.
press() { for key in "$@"; do xdotool key "$key"; sleep 0.8; done; }
press Tab Tab Tab       # 频率, the picture, C1
xdotool type --delay 150 1
press Tab Tab space     # 计算电容, 计算电流, pressed
sleep 2
press shift+Tab Return  # back to 计算电容, pressed
sleep 2
# Orca writes the end of its log when it is told to stop.
kill "$app"
kill -INT "$orca_pid"
sleep 2

# What Orca said, each utterance on one line, from the log's SPEECH OUTPUT
# entries (a report's second line continues on the next line of the log).
said=$(awk '
  /SPEECH OUTPUT: / { if (open) print text; sub(/.*SPEECH OUTPUT: \047/, ""); text = $0; open = !/\047/
                      if (!open) { sub(/\047.*/, "", text); print text }; next }
  open { line = $0; sub(/^ +/, "", line); if (line ~ /\047/) { sub(/\047.*/, "", line); open = 0; print text " " line } else text = text " " line }
' "$log")

failed=0
expect() {  # expect WHAT-IT-IS PATTERN-OF-THE-UTTERANCE [PATTERN-OF-THE-KEY-BEFORE-IT]
  # With a key: only what Orca said between that key's echo and the next's.
  if ! printf '%s\n' "$said" | awk -v want="$2" -v after="${3:-}" '
      after != "" && $0 ~ after { armed = 1; next }
      after != "" && /^[a-z][a-z ]*$/ { armed = 0 }
      (after == "" || armed) && $0 ~ want { found = 1 } END { exit !found }'; then
    echo "orca-check: Orca did not say $1" >&2
    failed=1
  fi
}
expect "the unit of 电压 (单位: V (伏))" '^单位: V \(伏\)$'
expect "the unit of 频率 (单位: Hz (赫兹))" '^单位: Hz \(赫兹\)$'
expect "the unit of C1 (单位: µF (微法))" '^单位: µF \(微法\)$'
expect "the report after Space on 计算电流" '容抗3\.1831 K欧 电流:69\.12 mA' '^space ?$'
expect "the report after Enter on 计算电容" '容抗3\.1829 K欧 电流:69\.12 mA' '^return ?$'
if [ "$failed" != 0 ]; then
  echo "orca-check: what Orca said:" >&2
  printf '%s\n' "$said" | sed 's/^/  /' >&2
  exit 1
fi
echo "orca-check: Orca $(orca --version | grep -o '[0-9][0-9.]*' | head -1) said each box's unit and both reports:"
printf '%s\n' "$said" | grep -E '单位|容抗' | sed 's/^/  /'
