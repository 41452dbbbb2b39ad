#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What starting mirelune-cli costs: the CPU (perf stat's task-clock: user + system of the whole
# process) of --version, of `get` and `set` of one value on the virtual amplifier and of `help`,
# the median of RUNS runs, beside two floors run in turns with it: /bin/true (a process that
# does nothing) and mirelune-bench-reference-core (a trivial program that loads Qt Core). Read
# the "beyond /bin/true" column: a busy machine moves the three together. `get` and `set` run
# without Qt (libmirelune-cli-values.so); when the tests are built, the same `get` through the
# tool with Qt (mirelune-cli-tool-only) is measured beside them. Also lists the libraries a run
# of --version and of get loads (LD_DEBUG=files).
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

# Milliseconds of task-clock of one run.
cpu_ms() { perf stat -x, -e task-clock "$@" 2>&1 >/dev/null | awk -F, '/task-clock/ {printf "%.2f\n", $1}'; }
median() { sort -n | awk '{a[NR]=$1} END {printf "%.2f", a[int((NR+1)/2)]}'; }

printf '%-44s %10s %18s %26s\n' "command (median CPU ms of $runs)" "CPU ms" "beyond /bin/true" "beyond the Qt Core floor"
# The command and the two floors in turns, RUNS times: a busy machine slows all three alike.
row() {
  local label=$1; shift
  : >"$work/t" ; : >"$work/q" ; : >"$work/c"
  for _ in $(seq "$runs"); do
    cpu_ms /bin/true >>"$work/t"
    cpu_ms "$core" >>"$work/q"
    cpu_ms "$@" >>"$work/c"
  done
  local t q c
  t=$(median <"$work/t")
  q=$(median <"$work/q")
  c=$(median <"$work/c")
  printf '%-44s %10s %18s %26s\n' "$label" "$c" "$(awk -v a="$c" -v b="$t" 'BEGIN {printf "%.2f", a-b}')" \
    "$(awk -v a="$c" -v b="$q" 'BEGIN {printf "%.2f", a-b}')"
  echo "  (the same turns: /bin/true $t ms, the Qt Core floor $q ms)"
}
row "mirelune-cli --version" "$cli" --version
row "mirelune-cli --device virtual get 1028" "$cli" --device virtual get 1028
row "mirelune-cli --device virtual set 1028=70" "$cli" --device virtual set 1028=70
row "mirelune-cli help" "$cli" help
tool_only=$PWD/build/tests/mirelune-cli-tool-only
if [ -x "$tool_only" ]; then
  row "the same get through the tool with Qt" "$tool_only" --device virtual get 1028
fi

loaded() { LD_DEBUG=files "$cli" "$@" 2>&1 >/dev/null | sed -n 's/.*file=\([^ ]*\) \[0\];  generating link map.*/\1/p' | sed 's|.*/||'; }
echo "--version loads: $(loaded --version | tr '\n' ' ')"
echo "get loads ($(loaded --device virtual get 1028 | wc -l) libraries): $(loaded --device virtual get 1028 | tr '\n' ' ')"
