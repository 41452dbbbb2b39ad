#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times whole mirelune-cli commands on the virtual amplifier with the USB timing model (each
# report 1 ms each way) and prints them against what that model allows:
#   read-mode: median wall time over RUNS and its ratio to the 49 ms of its 16 + 33 reports;
#   set: the cost of one acknowledged assignment, from a set of 100 against a set of 1;
#   start: CPU of `--version` against its 6 ms bound (bench/cli_start.sh: the start of every
#          command against the floors);
#   info: median wall time against the 8 ms its 4 frames each way take on the USB model;
#   batch: write-mode of one file to 16 named virtual amplifiers against the same to one, median
#          wall times of runs taken in turns (their ratio; the goal is 2 at most).
# Uses the build in build/ (scripts/build.sh) and a state folder of its own.
#   scripts/time-commands.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-11}
cli=build/bin/mirelune-cli
[ -x "$cli" ] || { echo "build first: scripts/build.sh" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data"
V=(--device virtual --faults usbtiming)

# Median wall milliseconds of a command over $runs runs (one warm-up run first). The clock is
# bash's own EPOCHREALTIME: a `date` process around each run would add its own start-up, a
# millisecond or two, to every figure.
median_ms() {
  "$@" >/dev/null
  local times=()
  for _ in $(seq "$runs"); do
    local t0 t1
    t0=${EPOCHREALTIME/[.,]/}
    "$@" >/dev/null
    t1=${EPOCHREALTIME/[.,]/}
    times+=($((t1 - t0)))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)]/1000}'
}

read_ms=$(median_ms "$cli" "${V[@]}" read-mode 1 -o "$work/m1.sp")
echo "read-mode 1: ${read_ms} ms wall (median of $runs), model 49 ms, ratio $(awk -v a="$read_ms" 'BEGIN {printf "%.2f", a/49}')"

assignments=()
for i in $(seq 0 99); do assignments+=("$((1028 + i % 2))=$((40 + i % 30))"); done
one_ms=$(median_ms "$cli" "${V[@]}" set 1028=41)
hundred_ms=$(median_ms "$cli" "${V[@]}" set "${assignments[@]}")
echo "set: 1 assignment ${one_ms} ms, 100 assignments ${hundred_ms} ms wall (medians of $runs)," \
  "$(awk -v a="$hundred_ms" -v b="$one_ms" 'BEGIN {printf "%.2f", (a-b)/99}') ms per assignment, model 2 ms"

# CPU (user + system) of one run, in ms, as the median over the runs.
cpu_ms() {
  local times=()
  for _ in $(seq "$runs"); do
    local t
    t=$( { TIMEFORMAT='%U %S'; time "$@" >/dev/null 2>&1; } 2>&1 | awk '{printf "%.1f", ($1 + $2) * 1000}')
    times+=("$t")
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}
version_cpu=$(cpu_ms "$cli" --version)
echo "start: --version ${version_cpu} ms CPU (median of $runs), bound 6 ms, ratio $(awk -v a="$version_cpu" 'BEGIN {printf "%.2f", a/6}')"
info_ms=$(median_ms "$cli" "${V[@]}" info)
echo "info: ${info_ms} ms wall (median of $runs), model 8 ms, ratio $(awk -v a="$info_ms" 'BEGIN {printf "%.2f", a/8}')"

# One mode file written to 1 and to 16 named virtual amplifiers, in turns so that both see the
# same machine: the USB waits of the 16 overlap in one process.
"$cli" "${V[@]}" read-mode 3 -o "$work/m3.sp" >/dev/null
many=$(for i in $(seq 16); do printf 'virtual:t%d,' "$i"; done)
many=${many%,}
ones=(); sixteens=()
for _ in $(seq "$runs"); do
  t0=${EPOCHREALTIME/[.,]/}
  "$cli" --device virtual:t1 --faults usbtiming write-mode 2 "$work/m3.sp" >/dev/null
  t1=${EPOCHREALTIME/[.,]/}
  "$cli" --device "$many" --faults usbtiming write-mode 2 "$work/m3.sp" >/dev/null
  t2=${EPOCHREALTIME/[.,]/}
  ones+=($((t1 - t0))); sixteens+=($((t2 - t1)))
done
mid() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)]/1000}'; }
one_batch=$(mid "${ones[@]}"); sixteen_batch=$(mid "${sixteens[@]}")
echo "batch: write-mode to 1 amplifier ${one_batch} ms, to 16 ${sixteen_batch} ms wall (medians of $runs)," \
  "ratio $(awk -v a="$sixteen_batch" -v b="$one_batch" 'BEGIN {printf "%.2f", a/b}'), goal 2"
