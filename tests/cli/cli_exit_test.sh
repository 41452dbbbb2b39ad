# SPDX-License-Identifier: GPL-3.0-or-later
# Exit statuses (0 done, 1 the operation failed, 2 the command line is wrong), strict numbers
# and parameter ranges, and a change that cannot be kept reported as a failure.
. "$(dirname "$0")/lib.sh"
V="--device virtual"
STATE="$XDG_DATA_HOME/Mirelune/virtual-amplifier.state"

expect_rc 0 defaults -o d.sp

# Usage errors: 2, whatever the command.
while IFS= read -r line; do
  # shellcheck disable=SC2086
  expect_rc 2 $line
  [ -s err.txt ] || fail "mirelune-cli $line: no reason given"
done <<'EOF'
nosuch
defaults
dump
dump d.sp d.sp
diff d.sp
read-mode 11 -o x.sp
read-mode 1
write-mode 0 d.sp
sync
modes
modes pull 0
virtual-reset now
response d.sp
response d.sp --page 8
response d.sp --page 0 --freqs 1,x
plot d.sp --page 0
info extra
--faults bogus=1 --device virtual info
--faults drop=1 info
EOF

# A master volume against its upper limit as the same batch leaves it (the limit it sets, else
# the amplifier's), for each of the three: refused whole (2), nothing changed.
expect_rc 0 --device virtual:lim set 2568=80 2569=80 2570=80 2560=20 2561=20 2562=20
while read -r batch; do
  # shellcheck disable=SC2086
  expect_rc 2 --device virtual:lim set $batch
  grep -q "above its upper limit" err.txt || fail "set $batch: $(cat err.txt)"
done <<'BATCHES'
2568=30 2560=50
2561=50 2569=30
2570=30 2562=50
2570=30 2562=31
BATCHES
expect_rc 0 --device virtual:lim get 2568 2569 2570 2560 2561 2562
[ "$(tr '\n' ' ' < out.txt)" = "2568=80 2569=80 2570=80 2560=20 2561=20 2562=20 " ] || fail "a refused batch changed: $(cat out.txt)"
expect_rc 0 --device virtual:lim set 2570=30 2562=30
expect_rc 2 --device virtual:lim set 2562=31
expect_rc 0 --device virtual:lim set 2562=50 2570=60

# Operation failures: 1.
expect_rc 1 dump missing.sp
expect_rc 1 response missing.sp --page 0
expect_rc 1 write-mode 1 missing.sp
grep -q 'missing.sp' err.txt || fail "the refusal names the file"

# Integers are read whole: no wrapping, one sign, no trailing text; nothing is sent for a bad one.
for bad in 4294967301 --5 -5 5x "" 0x 81 ' 5' 9223372036854775808; do
  expect_rc 2 $V --trace set 1028 "$bad"
  [ -s out.txt ] && fail "set 1028 '$bad': something was sent: $(head -1 out.txt)"
  case "$bad" in 4294967301|-5|81)
    grep -q 'address 1028: 0\.\.80' err.txt || fail "the refusal gives the range: $(cat err.txt)" ;;
  esac
done
expect_rc 2 $V set 1028x 5
expect_rc 2 $V set 4294968324 5   # 1028 + 2^32
expect_rc 2 $V set 2560 81
grep -q 'address 2560: 0\.\.80' err.txt || fail "master volume range: $(cat err.txt)"
expect_rc 2 $V set 0 gain=401
expect_rc 2 $V set 0 gain=4294967546   # 250 + 2^32
expect_rc 2 $V set 1028 5 --sound-mode 2
expect_rc 2 $V set 276 201             # between the volume and its muted form
[ -e "$STATE" ] && fail "a refused set left a virtual amplifier state"

# Values in range go through and are kept.
expect_rc 0 $V set 1028 80
[ "$(cat out.txt)" = "set 1028 in mode 1, sound mode 0" ] || fail "set: $(cat out.txt)"
expect_rc 0 $V set 0x404 80 --sound-mode 1
expect_rc 0 $V set 276 450             # 200 % muted
expect_rc 2 $V set 2048 62500          # no control: what a value pair carries
grep -q 'address 2048: 0\.\.62499' err.txt || fail "encodable range: $(cat err.txt)"
expect_rc 0 $V set 2048 62499
expect_rc 0 $V set 0 gain=245,q=20
expect_rc 0 $V read-mode 1 -o r.sp
expect_rc 0 dump r.sp
for want in '"address":1028,"slot":0,.*"Value":80,' '"address":1028,"slot":1,.*"Value":80,' \
            '"address":276,"slot":0,.*"Value":450,' '"address":2048,"slot":0,.*"Value":62499,' \
            '"address":0,"slot":0,.*"Gain":245,"Q":20,'; do
  grep -q "$want" out.txt || fail "not kept: $want"
done

# A change that cannot be saved is a failure (exit 1, the reason given), for every device
# command; the state keeps what it had. A file size limit of 1 KiB, less than any state, makes
# the state's write fail.
cp "$STATE" before.state
for cmd in "set 1028 12" "write-mode 1 d.sp"; do
  # shellcheck disable=SC2086
  ( trap '' XFSZ; ulimit -f 1; exec "$CLI" $V $cmd ) >out.txt 2>err.txt
  rc=$?
  [ "$rc" = 1 ] || fail "$cmd with an unwritable state exited $rc: $(cat err.txt)"
  grep -q "state was not saved" err.txt || fail "$cmd: no reason: $(cat err.txt)"
  [ -s out.txt ] && fail "$cmd: claims success on stdout: $(cat out.txt)"
  cmp -s before.state "$STATE" || fail "$cmd: the state changed although the save failed"
done
# Output that cannot be written is a failure, said on stderr: a full disk is no success.
if [ -w /dev/full ]; then
  for cmd in "get 1031 --json" "info --json" "set 769=220" "dump d.sp"; do
    # shellcheck disable=SC2086
    "$CLI" $V $cmd >/dev/full 2>err.txt
    rc=$?
    [ "$rc" = 1 ] || fail "$cmd >/dev/full exited $rc, expected 1"
    grep -q "output could not be written" err.txt || fail "$cmd >/dev/full: no reason: $(cat err.txt)"
  done
fi
echo ok
