#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets of tests/fuzz with clang in a build folder of their own and runs
# each for a bounded time.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# SECONDS per target (default 60, or FUZZ_SECONDS); TARGETs among reply_stream, sp_file,
# ansi_text (default all). Environment: FUZZ_BUILD_DIR (default build-fuzz at the top of the
# clone), FUZZ_JOBS (build jobs, default 2).
#
# Each run starts from the seeds in tests/fuzz/corpus/<target>/ (left untouched) and keeps what
# it learns in <build>/fuzz/corpus/<target>/. A crash, a failed property, a leak or a time-out
# is saved as <build>/fuzz/findings/<target>/crash-* (leak-*, timeout-*): replay it with
#   <build>/fuzz/fuzz_<target> FILE
# The exit status is 1 when any target found something, else 0.
set -euo pipefail

top="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-${FUZZ_SECONDS:-60}}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then targets=(reply_stream sp_file ansi_text); fi
build="${FUZZ_BUILD_DIR:-$top/build-fuzz}"
jobs="${FUZZ_JOBS:-2}"

case "$seconds" in
  ''|*[!0-9]*) echo "fuzz.sh: SECONDS must be a whole number, not '$seconds'" >&2; exit 2 ;;
esac

# clang and its fuzzer runtime: only what is missing, from Debian 12.
need=()
command -v clang++ >/dev/null 2>&1 || need+=(clang)
if ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  need+=(libclang-rt-14-dev)
fi
if [ ${#need[@]} -gt 0 ]; then
  echo "fuzz.sh: installing ${need[*]}" >&2
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
"$top/scripts/install-deps.sh"

CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMIRELUNE_FUZZ=ON -DMIRELUNE_BUILD_BENCH=OFF >/dev/null
programs=()
for t in "${targets[@]}"; do programs+=("fuzz_$t"); done
cmake --build "$build" --parallel "$jobs" --target "${programs[@]}"

found=0
for t in "${targets[@]}"; do
  corpus="$build/fuzz/corpus/$t"
  findings="$build/fuzz/findings/$t"
  mkdir -p "$corpus" "$findings"
  before=$(ls "$findings" | wc -l)
  echo "== $t: ${seconds} s" >&2
  set +e
  # Leak checking stays on; -rss_limit_mb guards the machine the others share.
  "$build/fuzz/fuzz_$t" "$corpus" "$top/tests/fuzz/corpus/$t" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/" 2>"$build/fuzz/$t.log"
  status=$?
  set -e
  grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb|INFO: Loaded)' \
    "$build/fuzz/$t.log" >&2 || true
  if [ $status -ne 0 ] || [ "$(ls "$findings" | wc -l)" -gt "$before" ]; then
    echo "$t: FOUND something (exit $status); log $build/fuzz/$t.log, inputs in $findings:" >&2
    ls -t "$findings" >&2
    found=1
  else
    echo "$t: nothing found" >&2
  fi
done
exit $found
