# SPDX-License-Identifier: GPL-3.0-or-later
# get and set of the virtual amplifier run without Qt (libmirelune-cli-values.so) say and do
# exactly what the tool says and does with Qt: every command line of the table runs through
# mirelune-cli and through the tool alone (mirelune-cli-tool-only), each on a virtual amplifier
# of its own; standard output, standard error, the exit status and the amplifier's memory
# afterwards must be the same, in both languages. The locale is C.UTF-8 unless the test is run
# under another one (cli_values_locale: a comma-decimal locale, which Qt's start adopts).
# Arguments: mirelune-cli, the tool-only program, a work folder.
set -u
CLI="$1"
TOOL="$2"
WORK="$3"
rm -rf "$WORK"
mkdir -p "$WORK"
cd "$WORK" || exit 1
fail() { echo "FAIL: $*" >&2; exit 1; }
# The same bytes, or neither there (a virtual amplifier keeps no memory before its first change).
same_file() { { [ ! -e "$1" ] && [ ! -e "$2" ]; } || cmp -s "$1" "$2"; }
unset LANGUAGE LC_MESSAGES
export LC_ALL="${LC_ALL:-C.UTF-8}" LANG="${LANG:-C.UTF-8}"

# Runs one command line with the private folders of `side` (values or tool), moved to one
# place for the run so that both sides name the same paths; with `limit` under a file size
# limit of 1 KiB, less than any state, so that the state cannot be saved.
run() {
  local side=$1 program=$2 n=$3 limit=$4; shift 4
  mkdir -p "$WORK/$side"
  mv "$WORK/$side" "$WORK/home" || fail "cannot move $side's folders in place"
  mkdir -p -m 700 "$WORK/home/run"
  rm -f "$WORK"/loaded.*
  (
    export HOME="$WORK/home" XDG_DATA_HOME="$WORK/home/data" XDG_RUNTIME_DIR="$WORK/home/run"
    # What the dynamic loader loads, in files of its own (LD_DEBUG_OUTPUT.PID), but under the
    # file size limit, which would cut them.
    if [ "$limit" = limit ]; then trap '' XFSZ; ulimit -f 1; else export LD_DEBUG=files LD_DEBUG_OUTPUT="$WORK/loaded"; fi
    exec "$program" "$@"
  ) >"$WORK/$side.$n.out" 2>"$WORK/$side.$n.err"
  echo $? >"$WORK/$side.$n.rc"
  if [ "$limit" = limit ]; then echo unseen
  elif cat "$WORK"/loaded.* 2>/dev/null | grep -q 'file=[^ ]*libQt6Core'; then echo qt
  else echo plain; fi >"$WORK/$side.$n.qt"
  mv "$WORK/home" "$WORK/$side" || fail "cannot move $side's folders back"
}

# One command line per row, the amplifier's memory carried from row to row. Rows cover what
# a read and a change print, --json, the sound modes, a refusal of the amplifier's limits (2),
# the device's failures and warnings through the fault items, a change that cannot be saved
# (rows starting "limit"), and both languages.
n=0
while IFS= read -r row; do
  [ -z "$row" ] && continue
  n=$((n + 1))
  eval "set -- $row"
  limit=no
  if [ "$1" = limit ]; then limit=limit; shift; fi
  run values "$CLI" "$n" "$limit" "$@"
  run tool "$TOOL" "$n" "$limit" "$@"
  [ "$(cat tool.$n.rc)" = 125 ] && fail "the tool could not be loaded: $(cat tool.$n.err)"
  for part in rc out err; do
    cmp -s "values.$n.$part" "tool.$n.$part" ||
      fail "row $n ($row): the $part differs without Qt:
$(diff "tool.$n.$part" "values.$n.$part")"
  done
  same_file values/data/Mirelune/virtual-amplifier.state tool/data/Mirelune/virtual-amplifier.state ||
    fail "row $n ($row): the virtual amplifier's memory differs afterwards"
  [ "$(cat tool.$n.qt)" = plain ] && fail "row $n ($row): the tool ran without Qt Core"
  echo "$n $(cat values.$n.rc) $(cat values.$n.qt) $row" >>rows.txt
done <<'ROWS'
--device virtual get 1028
--device virtual set 1028=71
--device virtual get 1028 0 --json
--device virtual set 0:gain=300,q=20 1029=70 --sound-mode 1
--device virtual get 0 1029 --sound-mode 1
--device virtual get 0 1029 --sound-mode 0 --json
--device virtual set 'Music master volume=25'
--device virtual --trace get 2560
--device virtual set 2568=80 2560=20
--device virtual set 2568=30 2560=50
--device virtual --lang zh set 2568=30 2560=50
--device virtual --faults open=denied get 1028
--device virtual --faults drop=9 --lang zh get 1028
--device virtual --faults drop=1 set 1028=72
--device virtual --faults corrupt=1 --lang zh get 1028
--device virtual --faults unplug=0:200 --lang zh set 1029=66
--device virtual --faults admin get 1028
--device virtual --faults admin --password 1234 set 1028=73
limit --device virtual set 1028=12
limit --device virtual --lang zh set 1029=13
--device virtual:kit set 1028=40
--device virtual:kit get 1028
--device virtual get 1028 1029
ROWS
[ "$n" -gt 0 ] || fail "no rows ran"
# The table holds successes, refusals and failures, or it compares less than it claims; and
# mirelune-cli ran them without Qt: every success, and the failures said in Chinese (an English
# message loads the tool's translation, and with it Qt Core).
for rc in 0 1 2; do
  cut -d' ' -f2 rows.txt | grep -qx "$rc" || fail "no row exited $rc: $(cat rows.txt)"
done
awk '($2 == 0 || / --lang zh /) && $3 == "qt"' rows.txt | grep . &&
  fail "mirelune-cli loaded Qt Core for the rows above"
for rc in 1 2; do
  awk -v rc="$rc" '$2 == rc && $3 == "plain"' rows.txt | grep -q . || fail "no failure with status $rc ran without Qt"
done
[ -e values/data/Mirelune/virtual/kit.state ] && cmp -s values/data/Mirelune/virtual/kit.state tool/data/Mirelune/virtual/kit.state ||
  fail "virtual:kit's memory is missing or differs afterwards"
exit 0
