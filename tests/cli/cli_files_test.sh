# SPDX-License-Identifier: GPL-3.0-or-later
# defaults, dump and diff on configuration files.
. "$(dirname "$0")/lib.sh"

expect_rc 0 defaults -o d.sp
[ "$(stat -c %s d.sp)" = 252000 ] || fail "defaults wrote $(stat -c %s d.sp) bytes"

expect_rc 0 dump d.sp
grep -q '^  {"address":0,"slot":0,"Kind":1,"Value":0,"QType":0,"Freq":14,"Gain":330,' out.txt || fail "slot 0 of address 0"
grep -q '^  {"address":0,"slot":2,.*"Gain":250,' out.txt || fail "slot 2 of address 0"
grep -q '"address":2560,"slot":0,"Kind":0,"Value":20,' out.txt || fail "address 2560"
grep -q '"address":2560,"slot":[12]' out.txt && fail "address 2560 has no valid record in slots 1 and 2"
[ "$(grep -c '"address"' out.txt)" -lt 9000 ] || fail "dump without --all lists invalid records"
expect_rc 0 dump d.sp --all
[ "$(grep -c '"address"' out.txt)" = 9000 ] || fail "dump --all lists every record"

# A bad file: nothing on stdout, one line on stderr, exit 1.
head -c 1000 d.sp > short.sp
expect_rc 1 dump short.sp
[ -s out.txt ] && fail "dump of a bad file printed on stdout"
[ "$(wc -l < err.txt)" = 1 ] || fail "dump of a bad file: expected one error line"
grep -q 'short.sp' err.txt || fail "the error names the file"

# A longer file (an in-place save over a longer one leaves its tail): its first 252 000 bytes
# are the table, read with a warning naming the file, by every command that reads files.
cp d.sp long.sp
printf 'X' >> long.sp
for cmd in "dump long.sp" "diff d.sp long.sp" "response long.sp --page 0 --freqs 1000" \
           "eq export long.sp --page 0" "--device virtual write-mode 2 long.sp"; do
  # shellcheck disable=SC2086
  expect_rc 0 $cmd
  grep -q "warning: long.sp: 252001 bytes, longer than a configuration file: its first 252000 bytes were read" err.txt ||
    fail "$cmd: $(cat err.txt)"
  [ "$(grep -c warning err.txt)" = 1 ] || fail "$cmd: one warning: $(cat err.txt)"
done

expect_rc 0 diff d.sp d.sp
[ -s out.txt ] && fail "diff of equal files printed differences"
# Change the Gain of address 0 slot 1 (record 1, offset 28 + 10) to 0x0105 = 261.
cp d.sp e.sp
printf '\x05\x01' | dd of=e.sp bs=1 seek=38 conv=notrunc status=none
expect_rc 1 diff d.sp e.sp
[ "$(cat out.txt)" = "address 0 slot 1: Gain 250 -> 261" ] || fail "diff line: $(cat out.txt)"
expect_rc 2 diff d.sp missing.sp

# A FIFO given as a configuration file is refused at once (timeout only guards against a hang:
# it would exit 124).
mkfifo fifo.sp
for cmd in "dump fifo.sp" "diff d.sp fifo.sp" "response fifo.sp --page 0" \
           "plot fifo.sp --page 0 -o f.png" "--device virtual write-mode 2 fifo.sp"; do
  # shellcheck disable=SC2086
  timeout 20 "$CLI" $cmd >out.txt 2>err.txt
  rc=$?
  case "$cmd" in diff*) want=2 ;; *) want=1 ;; esac
  [ "$rc" = "$want" ] || fail "$cmd exited $rc, expected $want"
  grep -q 'fifo.sp: not a regular file' err.txt || fail "$cmd: $(cat err.txt)"
done
echo ok
