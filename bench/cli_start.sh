#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What starting mirelune-cli costs: the CPU (task-clock of `perf stat -r RUNS`, user + system of
# the whole process) of --version, of `get` and `set` of one value on the virtual amplifier and
# of `help`, beside two floors measured in the same run: /bin/true (a process that does nothing)
# and mirelune-bench-reference-core (a trivial program that loads Qt Core). Each command is run
# in turn with the floors, so a busy machine moves them together; read the "beyond /bin/true"
# column. Also lists the libraries a run of --version and of get loads (LD_DEBUG=files).
# Uses the build in build/ and a private HOME. Needs perf (linux-perf).
#   bench/cli_start.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
cli=$PWD/build/bin/mirelune-cli
core=$PWD/build/bin/mirelune-bench-reference-core
for p in "$cli" "$core"; do
  [ -x "$p" ] || { echo "build first: cmake --build build --target mirelune-cli mirelune-bench-reference-core" >&2; exit 1; }
done
command -v perf >/dev/null || { echo "perf is not installed (Debian: linux-perf)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" LC_ALL=C.UTF-8
mkdir -p -m 700 "$work/run"
"$cli" --device virtual set 1028=70 >/dev/null

# Milliseconds of task-clock per run, the mean of perf's RUNS runs.
cpu_ms() { perf stat -x, -e task-clock -r "$runs" "$@" 2>&1 >/dev/null | awk -F, '/task-clock/ {printf "%.2f", $1}'; }

printf '%-44s %10s %18s %22s\n' "command" "CPU ms" "beyond /bin/true" "beyond the Qt Core floor"
row() {
  local label=$1; shift
  local t q c
  t=$(cpu_ms /bin/true)
  q=$(cpu_ms "$core")
  c=$(cpu_ms "$@")
  printf '%-44s %10s %18s %22s\n' "$label" "$c" "$(awk -v a="$c" -v b="$t" 'BEGIN {printf "%.2f", a-b}')" \
    "$(awk -v a="$c" -v b="$q" 'BEGIN {printf "%.2f", a-b}')"
  echo "  (same run: /bin/true $t ms, Qt Core floor $q ms)"
}
row "mirelune-cli --version" "$cli" --version
row "mirelune-cli --device virtual get 1028" "$cli" --device virtual get 1028
row "mirelune-cli --device virtual set 1028=70" "$cli" --device virtual set 1028=70
row "mirelune-cli help" "$cli" help

loaded() { LD_DEBUG=files "$cli" "$@" 2>&1 >/dev/null | sed -n 's/.*file=\([^ ]*\) \[0\];  generating link map.*/\1/p' | sed 's|.*/||'; }
echo "--version loads: $(loaded --version | tr '\n' ' ')"
echo "get loads ($(loaded --device virtual get 1028 | wc -l) libraries): $(loaded --device virtual get 1028 | tr '\n' ' ')"
