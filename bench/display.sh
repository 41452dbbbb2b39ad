#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What users feel, on a real X display: the console as its own process under Xvfb, driven by
# xdotool, its CPU read from /proc. Reports
#   start-up: launch -> frame painted, launch -> the amplifier's values painted (min / median /
#             max of RUNS, virtual amplifier with the USB timing model);
#   drag:     CPU of the console per pointer move while a graph marker is dragged (MOVES moves
#             16 ms apart), in ROUNDS rounds, each beside the same drag over the trivial-window
#             reference (build/bin/mirelune-bench-reference-window: a Qt window that repaints a
#             whole 1400 x 800 antialiased polyline at every move) in the same run;
#   keys:     CPU per keyboard step (Up/Down on the graph, a band selected), 16 ms apart;
#   idle:     wake-ups per second and CPU over 20 s, online and left alone;
#   memory:   peak resident size after all that.
# The machine may be shared: CPU time, not wall time, and the reference measured alongside, so
# that the ratio says what the absolute figure cannot. Skips with a message when Xvfb or
# xdotool is missing. A benchmark, not a test: it asserts nothing.
#   bench/display.sh [RUNS] [MOVES] [ROUNDS]
# MIRELUNE_BENCH_CONSOLE=PATH measures another build of the console (an older tree's, say).
set -uo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
moves=${2:-200}
rounds=${3:-5}
console=${MIRELUNE_BENCH_CONSOLE:-build/bin/mirelune}
reference=build/bin/mirelune-bench-reference-window
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "display benchmark skipped: $tool is not installed"; exit 0; }
done
for program in "$console" "$reference"; do
  [ -x "$program" ] || { echo "build first: scripts/build.sh ($program is missing)" >&2; exit 1; }
done
work=$(mktemp -d)
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1600x1000x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
sleep 1
export DISPLAY=$display HOME=$work XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config \
  XDG_RUNTIME_DIR=$work/run MIRELUNE_STARTUP_TRACE=1
mkdir -p -m 700 "$work/run"

# CPU nanoseconds of every thread of a process.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {print s + 0}'; }
switches() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches|^nonvoluntary_ctxt_switches/ {s += $2} END {print s + 0}'; }
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
# "min / median / max" of the numbers given, with `digits` decimals.
spread() {
  local digits=$1; shift
  printf '%s\n' "$@" | sort -n | awk -v d="$digits" '{a[NR] = $1} END {printf "%.*f / %.*f / %.*f", d, a[1], d, a[int((NR + 1) / 2)], d, a[NR]}'
}

start() {  # starts a program ("$@", the console by default), waits for its trace; sets pid and the graph's place
  : >"$work/trace.txt"
  t0=$(date +%s%3N)
  if [ $# -eq 0 ]; then set -- "$console" --device virtual --faults usbtiming; fi
  "$@" 2>"$work/trace.txt" &
  pid=$!
  for _ in $(seq 200); do grep -q 'trace graph' "$work/trace.txt" && break; sleep 0.025; done
  mapped=$(awk -v t0="$t0" '$2 == "mapped" {print $3 - t0}' "$work/trace.txt")
  values=$(awk -v t0="$t0" '$2 == "values" {print $3 - t0}' "$work/trace.txt")
  read -r gx gy gw gh mx my < <(awk '$2 == "graph" {print $3, $4, $5, $6, $7, $8}' "$work/trace.txt")
}
stop() { kill "$pid"; wait "$pid" 2>/dev/null; }

# CPU milliseconds per pointer move of a drag from the marker, back and forth over 300 px in
# 3 px steps with a little up and down: a hand's drag.
drag() {
  xdotool mousemove $((gx + mx)) $((gy + my))
  sleep 0.2
  xdotool mousedown 1
  sleep 0.2
  local c0 c1 i p t
  c0=$(cpu_ns "$pid")
  for i in $(seq "$moves"); do
    p=$((i % 200)); t=$((p < 100 ? p : 200 - p))
    xdotool mousemove $((gx + mx + 3 * t)) $((gy + my + (i % 20) - 10))
    sleep 0.016
  done
  sleep 0.3
  c1=$(cpu_ns "$pid")
  xdotool mouseup 1
  awk -v c="$((c1 - c0))" -v n="$moves" 'BEGIN {printf "%.3f", c / n / 1e6}'
}

# CPU milliseconds per keyboard step of the band under the marker: a click selects it, then
# Up and Down in turns of 20.
keys() {
  xdotool mousemove $((gx + mx)) $((gy + my))
  sleep 0.2
  xdotool click 1
  sleep 0.5
  local c0 c1 i
  c0=$(cpu_ns "$pid")
  for i in $(seq "$moves"); do
    if [ $(((i / 20) % 2)) -eq 0 ]; then xdotool key Up; else xdotool key Down; fi
    sleep 0.016
  done
  sleep 0.3
  c1=$(cpu_ns "$pid")
  awk -v c="$((c1 - c0))" -v n="$moves" 'BEGIN {printf "%.3f", c / n / 1e6}'
}

maps=(); vals=()
for _ in $(seq "$runs"); do
  start
  maps+=("$mapped"); vals+=("$values")
  stop
done
echo "start-up: frame painted $(spread 0 "${maps[@]}") ms, values painted $(spread 0 "${vals[@]}") ms after launch (min / median / max of $runs, USB timing model)"

ours=(); refs=(); steps=()
for _ in $(seq "$rounds"); do
  start "$reference"
  sleep 0.5
  refs+=("$(drag)")
  stop
  start
  sleep 1
  ours+=("$(drag)")
  sleep 1
  steps+=("$(keys)")
  stop
done
ratio=$(awk -v a="$(printf '%s\n' "${ours[@]}" | median)" -v b="$(printf '%s\n' "${refs[@]}" | median)" 'BEGIN {printf "%.2f", a / b}')
echo "drag: $(spread 2 "${ours[@]}") ms CPU per pointer move; trivial window $(spread 2 "${refs[@]}") ms; median ratio $ratio (min / median / max of $rounds rounds, $moves moves 16 ms apart)"
echo "keys: $(spread 2 "${steps[@]}") ms CPU per keyboard step (min / median / max of $rounds rounds, $moves Up/Down 16 ms apart)"

start
sleep 6  # the marks stop blinking
c0=$(cpu_ns "$pid"); s0=$(switches "$pid")
sleep 20
c1=$(cpu_ns "$pid"); s1=$(switches "$pid")
awk -v c="$((c1 - c0))" -v s="$((s1 - s0))" 'BEGIN {printf "idle: %.1f wake-ups per second, %.3f %% CPU over 20 s online\n", s / 20, c / 20e9 * 100}'
drag >/dev/null
echo "memory: peak resident $(awk '/VmHWM/ {printf "%.1f MB", $2 / 1024}' /proc/"$pid"/status) after the start, the rest and a drag"
stop
# Every page shown and every window opened.
MIRELUNE_TRACE_OPEN_ALL=1 start
for _ in $(seq 200); do grep -q 'trace opened' "$work/trace.txt" && break; sleep 0.05; done
sleep 0.5
echo "memory: peak resident $(awk '/VmHWM/ {printf "%.1f MB", $2 / 1024}' /proc/"$pid"/status) with every page and window opened"
stop
