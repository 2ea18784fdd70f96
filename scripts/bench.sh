#!/usr/bin/env bash
# Benchmarks, in one run: the core's actions (Google Benchmark), then the
# program's start-up against a bare Qt window, measured side by side on a
# private virtual X display with a session bus, as on a desktop, and the
# Windows program's against a bare Win32 window under Wine.
#   scripts/bench.sh              40 start-ups of each
#   RUNS=100 scripts/bench.sh     more
# Figures go to the terminal and to build/bench/results/. Where it may (as
# root), it runs the display and the programs at the highest priority, so that
# other work on the machine moves the times less.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/bench
ours=$build/quendal
bare=$build/bench/barewindow
probe=$build/bench/quendal_startprobe
runs=${RUNS:-40}
clicks=${CLICKS:-15}
results=$build/results
summary=$results/summary.txt

say() { printf '%s\n' "$*" | tee -a "$summary"; }
step() { printf '\n== %s\n' "$*" | tee -a "$summary"; }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "n/a"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

boost=()
if [ "$(nice -n -20 nice 2>/dev/null)" = -20 ]; then boost=(nice -n -20); fi

# Build, describe the machine, and time the core.
prepare_and_time_core() {
  scripts/install-deps.sh bench
  cmake --preset bench >/dev/null
  cmake --build --preset bench
  mkdir -p "$results"
  : >"$summary"

  step "Machine"
  say "date:    $(date -u '+%Y-%m-%d %H:%M UTC')"
  say "CPU:     $(nproc) x $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)"
  say "memory:  $(awk '/^MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)"
  say "system:  $(. /etc/os-release && echo "$PRETTY_NAME"), Qt $(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || echo '?')"
  say "load:    $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min; other work on the machine moves the times, not the instruction counts)"
  say "priority: ${boost[*]:-normal (not root: the times may vary more)}"

  step "Core (Google Benchmark; goals: each action < 1 us, FormatDecimal < 200 ns)"
  "${boost[@]}" "$build/bench/core_bench" --benchmark_min_time=0.2 --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_out="$results/core.csv" \
    --benchmark_out_format=csv | tee -a "$summary"
  # Judged on the median CPU time of the repetitions.
  awk -F, '
    /_median"?,/ {
      name = $1; gsub(/"/, "", name); sub(/_median$/, "", name)
      goal = 0
      if (name ~ /^BM_FormatDecimal/) goal = 200
      if (name ~ /^BM_Calculate(Capacitance|Current)$/) goal = 1000
      if (goal) printf "%-32s %8.1f ns  goal < %d ns: %s\n", name, $4, goal, ($4 < goal ? "met" : "MISSED")
    }' "$results/core.csv" | tee -a "$summary"
}

# Start-up, first click, instruction count and sizes; on the display.
time_start_up() {
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  mkdir -m 700 "$scratch/runtime"
  export XDG_RUNTIME_DIR=$scratch/runtime QT_QPA_PLATFORM=xcb LANG=${LANG:-C.UTF-8}

  step "Start-up: $runs of each, in alternating pairs (fork to first paint of the window, peak RSS)"
  "${boost[@]}" "$build/bench/startwatch" --runs "$runs" --warmup 3 --settle 200 \
    --csv "$results/startup.csv" "ours=$ours" "bare=$bare" | tee -a "$summary"

  step "First click on 计算电容 in a fresh process ($clicks processes; us)"
  for _ in $(seq "$clicks"); do "${boost[@]}" "$probe" --first-click 2>/dev/null; done >"$results/clicks.txt"
  for click in first second; do
    calc=$(awk -v c="$click" '$1 == c { sub("calculation_us=", "", $2); print $2 }' "$results/clicks.txt" | median)
    painted=$(awk -v c="$click" '$1 == c { sub("painted_us=", "", $3); print $3 }' "$results/clicks.txt" | median)
    say "$click click: calculation and fields written $calc us, result painted $painted us (medians)"
  done

  step "Instructions to the first paint (callgrind; the same on any run of this build)"
  count() {
    valgrind --tool=callgrind --callgrind-out-file="$results/callgrind.$1.out" "$2" --exit-after-first-paint 2>&1 |
      sed -n 's/.*Collected : \([0-9]*\).*/\1/p' | tail -1
  }
  ours_ir=$(count ours "$probe")
  bare_ir=$(count bare "$bare")
  say "ours $ours_ir, bare $bare_ir, ratio $(awk -v a="$ours_ir" -v b="$bare_ir" 'BEGIN { printf "%.3f", a / b }')"
  say "(ours: $probe, the program's own set-up and window, ended after its first paint)"

  step "Executables"
  for exe in "$ours" "$bare"; do
    strip -o "$scratch/stripped" "$exe"
    say "$(basename "$exe"): $(stat -c %s "$exe") bytes, stripped $(stat -c %s "$scratch/stripped")"
  done
}

if [ "${1:-}" = --on-display ]; then
  time_start_up
  exit
fi
prepare_and_time_core
# A display and a session bus of the benchmark's own, as on a desktop.
"${boost[@]}" scripts/with-display.sh --size 1280x1024x24 --dbus -- "$0" --on-display

step "Windows: quendal.exe against a bare Win32 window under Wine (time to the window first shown)"
"${boost[@]}" scripts/bench-windows.sh | sed -n "/^program/,\$p" | tee -a "$summary"
say "Figures saved in $results/ (every Windows start in build/windows-bench/results.txt)"
