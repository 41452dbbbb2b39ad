# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers of the CLI tests: `cli` runs mirelune-cli; `expect_rc N cmd...` checks an exit status;
# `fail` stops with a message. The working folder and HOME are a fresh private folder.
set -u
CLI="$1"
WORK="$2"
rm -rf "$WORK"
mkdir -p "$WORK"
cd "$WORK"
export HOME="$WORK" XDG_DATA_HOME="$WORK/data" XDG_RUNTIME_DIR="$WORK/run"
mkdir -p -m 700 "$WORK/run"

fail() { echo "FAIL: $*" >&2; exit 1; }
cli() { "$CLI" "$@"; }
expect_rc() {
  local want=$1; shift
  "$CLI" "$@" >out.txt 2>err.txt
  local got=$?
  [ "$got" = "$want" ] || { cat out.txt err.txt >&2; fail "mirelune-cli $* exited $got, expected $want"; }
}
