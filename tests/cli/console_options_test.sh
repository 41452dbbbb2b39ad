# SPDX-License-Identifier: GPL-3.0-or-later
# The programs' --version and the console's --trace on the command line: one version number
# from CMake for both programs, and a link log that cannot be written refused with the reason
# before any window runs.
# Arguments: mirelune, mirelune-cli, the project version, a private work folder.
set -u
CONSOLE="$1"
CLI="$2"
VERSION="$3"
WORK="$4"
rm -rf "$WORK"
mkdir -p "$WORK"
cd "$WORK"
export HOME="$WORK" XDG_DATA_HOME="$WORK/data"

fail() { echo "FAIL: $*" >&2; exit 1; }
# run WANT_STATUS PROGRAM ARGS...: stdout in out.txt, stderr in err.txt
run() {
  local want=$1; shift
  "$@" >out.txt 2>err.txt </dev/null
  local got=$?
  [ "$got" = "$want" ] || { cat out.txt err.txt >&2; fail "$* exited $got, expected $want"; }
}

run 0 "$CONSOLE" --version
[ "$(cat out.txt)" = "mirelune $VERSION" ] || fail "mirelune --version: '$(cat out.txt)'"
[ -s err.txt ] && fail "mirelune --version wrote to stderr: $(cat err.txt)"
run 0 "$CLI" --version
[ "$(cat out.txt)" = "mirelune-cli $VERSION" ] || fail "mirelune-cli --version: '$(cat out.txt)'"
# A global option like the others: before or after the rest of the line.
run 0 "$CLI" --device virtual --version
[ "$(cat out.txt)" = "mirelune-cli $VERSION" ] || fail "--version after --device: '$(cat out.txt)'"

for program in "$CONSOLE" "$CLI"; do
  run 0 "$program" --help
  grep -q -- '--version' out.txt || fail "$program --help does not list --version"
done
grep -q -- '--trace FILE' out.txt && fail "the CLI's --trace takes no file"
run 0 "$CONSOLE" --help
grep -q -- '--trace FILE' out.txt || fail "mirelune --help does not list --trace FILE"

# Usage errors: 2, the reason and the usage on stderr, nothing on stdout.
while IFS= read -r args; do
  # shellcheck disable=SC2086
  run 2 "$CONSOLE" $args
  grep -q '^usage: mirelune' err.txt || fail "mirelune $args: no usage"
  [ -s out.txt ] && fail "mirelune $args wrote to stdout"
done <<'EOF_ARGS'
--trace
--trace=
--version=1
--versions
EOF_ARGS

# A log file that cannot be created: status 1 with the file and the system's reason, at once.
run 1 "$CONSOLE" --device virtual --trace "$WORK/no-such-folder/link.log"
grep -q "no-such-folder/link.log" err.txt || fail "the refusal names the file: $(cat err.txt)"
grep -qi "no such file" err.txt || fail "the refusal gives the reason: $(cat err.txt)"
[ -e "$WORK/no-such-folder" ] && fail "the missing folder was made"

# A pipe as the log: refused at once, and it stays a pipe (a FIFO would hold the console).
mkfifo "$WORK/link.fifo"
run 1 timeout 10 "$CONSOLE" --device virtual --trace "$WORK/link.fifo"
grep -q "link.fifo: not a regular file; nothing written" err.txt || fail "FIFO log: $(cat err.txt)"
[ -p "$WORK/link.fifo" ] || fail "the FIFO was replaced"

echo "console options: all checks passed"
