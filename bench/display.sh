#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What users feel, on a real X display: the console as its own process under Xvfb, driven by
# xdotool, its CPU read from /proc. Reports
#   start-up: launch -> frame painted, launch -> the amplifier's values painted (median of RUNS,
#             virtual amplifier with the USB timing model);
#   drag:     CPU of the console per pointer move while a graph marker is dragged (MOVES moves
#             16 ms apart);
#   idle:     wake-ups per second and CPU over 20 s, online and left alone;
#   memory:   peak resident size after all that.
# Skips with a message when Xvfb or xdotool is missing. A benchmark, not a test: it asserts
# nothing.   bench/display.sh [RUNS] [MOVES]
set -uo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
moves=${2:-200}
console=build/bin/mirelune
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "display benchmark skipped: $tool is not installed"; exit 0; }
done
[ -x "$console" ] || { echo "build first: scripts/build.sh" >&2; exit 1; }
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

start() {  # starts the console, waits for its values; sets pid and the graph's place
  : >"$work/trace.txt"
  t0=$(date +%s%3N)
  "$console" --device virtual --faults usbtiming 2>"$work/trace.txt" &
  pid=$!
  for _ in $(seq 200); do grep -q 'trace graph' "$work/trace.txt" && break; sleep 0.025; done
  mapped=$(awk -v t0="$t0" '$2 == "mapped" {print $3 - t0}' "$work/trace.txt")
  values=$(awk -v t0="$t0" '$2 == "values" {print $3 - t0}' "$work/trace.txt")
  read -r gx gy gw gh mx my < <(awk '$2 == "graph" {print $3, $4, $5, $6, $7, $8}' "$work/trace.txt")
}

maps=(); vals=()
for _ in $(seq "$runs"); do
  start
  maps+=("$mapped"); vals+=("$values")
  kill "$pid"; wait "$pid" 2>/dev/null
done
echo "start-up: frame painted $(printf '%s\n' "${maps[@]}" | median) ms, values painted $(printf '%s\n' "${vals[@]}" | median) ms after launch (median of $runs; values: ${vals[*]})"

start
sleep 1
xdotool mousemove $((gx + mx)) $((gy + my))
sleep 0.2
xdotool mousedown 1
sleep 0.2
c0=$(cpu_ns "$pid")
for i in $(seq "$moves"); do
  # Back and forth over 300 px in 3 px steps, with a little up and down: a hand's drag.
  p=$((i % 200)); t=$((p < 100 ? p : 200 - p))
  x=$((gx + mx + 3 * t))
  y=$((gy + my + (i % 20) - 10))
  xdotool mousemove "$x" "$y"
  sleep 0.016
done
sleep 0.3
c1=$(cpu_ns "$pid")
xdotool mouseup 1
awk -v c="$((c1 - c0))" -v n="$moves" 'BEGIN {printf "drag: %.2f ms CPU per pointer move (%d moves 16 ms apart)\n", c / n / 1e6, n}'

sleep 5  # the marks stop blinking
c0=$(cpu_ns "$pid"); s0=$(switches "$pid")
sleep 20
c1=$(cpu_ns "$pid"); s1=$(switches "$pid")
awk -v c="$((c1 - c0))" -v s="$((s1 - s0))" 'BEGIN {printf "idle: %.1f wake-ups per second, %.3f %% CPU over 20 s online\n", s / 20, c / 20e9 * 100}'
echo "memory: peak resident $(awk '/VmHWM/ {printf "%.1f MB", $2 / 1024}' /proc/"$pid"/status) after the start, the drag and the rest"
kill "$pid"; wait "$pid" 2>/dev/null
# Every page shown and every window opened.
MIRELUNE_TRACE_OPEN_ALL=1 start
for _ in $(seq 200); do grep -q 'trace opened' "$work/trace.txt" && break; sleep 0.05; done
sleep 0.5
echo "memory: peak resident $(awk '/VmHWM/ {printf "%.1f MB", $2 / 1024}' /proc/"$pid"/status) with every page and window opened"
kill "$pid"; wait "$pid" 2>/dev/null
