# SPDX-License-Identifier: GPL-3.0-or-later
# Several amplifiers and one owner each, with named virtual amplifiers: listing and addressing,
# a command waiting for another that holds the amplifier, the lock of a killed owner taken
# over, and one command on several amplifiers with one of them failing.
. "$(dirname "$0")/lib.sh"

# Listing: the unnamed virtual amplifier always, named ones from their first use.
expect_rc 0 --device virtual:a set 1028=61
expect_rc 0 --device virtual:b set 1028=62
expect_rc 0 --device virtual:c set 1028=63
expect_rc 0 devices
for d in virtual virtual:a virtual:b virtual:c; do
  grep -q "^-	$d	" out.txt || fail "devices does not list $d: $(cat out.txt)"
done
grep -q "^-	virtual:a	.*_LM-R52Z	1	-" out.txt || fail "devices: name and mode of virtual:a: $(cat out.txt)"
expect_rc 0 devices --json
grep -q '"device":"virtual:b"' out.txt || fail "devices --json: $(cat out.txt)"

# Each addressed by its name, each with its own memory.
expect_rc 0 --device virtual:a get 1028
[ "$(cat out.txt)" = "1028=61" ] || fail "virtual:a: $(cat out.txt)"
expect_rc 0 --device virtual:c get 1028
[ "$(cat out.txt)" = "1028=63" ] || fail "virtual:c: $(cat out.txt)"
expect_rc 2 --device virtual:no/such get 1028
grep -q "a virtual amplifier's name" err.txt || fail "bad name: $(cat err.txt)"
expect_rc 2 --device usb get 1028
grep -q "unknown device 'usb'" err.txt || fail "unknown device: $(cat err.txt)"
# No USB amplifier on this machine: said so, naming the address.
expect_rc 1 --device hid:0042 get 1028
grep -q "no amplifier 'hid:0042' is connected" err.txt || fail "hid:0042: $(cat err.txt)"
# Several amplifiers only for the commands that take them.
expect_rc 2 --device all get 1028
grep -q "only write-mode, read-mode, modes push and sync" err.txt || fail "all get: $(cat err.txt)"

# A long command holds virtual:a; another command waits for it, saying for whom. When the
# holder is killed, the lock goes with it and the waiting command goes on.
for i in $(seq 1 40); do echo info; done > long.txt
"$CLI" --device virtual:a --faults delay=300 run long.txt >long.out 2>long.err &
holder=$!
for _ in $(seq 1 100); do [ -s "$XDG_RUNTIME_DIR/mirelune/virtual-a.lock" ] && break; sleep 0.05; done
grep -q "^$holder mirelune-cli run" "$XDG_RUNTIME_DIR/mirelune/virtual-a.lock" ||
  fail "the lock does not name the holder: $(cat "$XDG_RUNTIME_DIR/mirelune/virtual-a.lock")"
"$CLI" --device virtual:a set 1028=64 >wait.out 2>wait.err &
waiter=$!
for _ in $(seq 1 100); do [ -s wait.err ] && break; sleep 0.05; done
grep -q "waiting for mirelune-cli run (PID $holder), which is using virtual:a" wait.err ||
  fail "the waiting command does not say for whom: $(cat wait.err)"
# Meanwhile the other amplifiers are free.
expect_rc 0 --device virtual:b get 1028
kill -9 "$holder"
wait "$holder" 2>/dev/null
wait "$waiter" || fail "the command waiting for a killed owner failed: $(cat wait.err)"
expect_rc 0 --device virtual:a get 1028
[ "$(cat out.txt)" = "1028=64" ] || fail "after the takeover: $(cat out.txt)"
# virtual-reset is refused while someone uses that amplifier.
"$CLI" --device virtual:c --faults delay=300 run long.txt >/dev/null 2>&1 &
holder=$!
for _ in $(seq 1 100); do [ -s "$XDG_RUNTIME_DIR/mirelune/virtual-c.lock" ] && break; sleep 0.05; done
expect_rc 1 --device virtual:c virtual-reset
grep -q "virtual:c is in use by mirelune-cli run (PID $holder)" err.txt || fail "virtual-reset: $(cat err.txt)"
kill -9 "$holder"
wait "$holder" 2>/dev/null

# One mode file to every amplifier, one of them failing: its line says so, the others are
# written, and the exit status is 1.
expect_rc 0 --device virtual read-mode 4 -o m4.sp
expect_rc 1 --device all --faults b:usbtiming,unplug=25 write-mode 2 m4.sp
grep -q "^virtual:a	-	ok	" out.txt || fail "write-mode all, a: $(cat out.txt)"
grep -q "^virtual:b	-	FAILED	[0-9.]* s	[a-z]" out.txt || fail "write-mode all, b, with its reason: $(cat out.txt)"
grep -q "^virtual:c	-	ok	" out.txt || fail "write-mode all, c: $(cat out.txt)"
grep -q "^write-mode: 2 of 3 amplifiers done, 1 failed$" out.txt || fail "summary: $(cat out.txt)"
for d in a c; do
  expect_rc 0 --device virtual:$d read-mode 2 -o back-$d.sp
  expect_rc 0 diff m4.sp back-$d.sp
done
expect_rc 0 --device virtual:a,virtual:c read-mode 2 -o each.sp --json
grep -q '"device":"virtual:a".*"file":"each-virtual_a.sp"' out.txt || fail "read-mode --json: $(cat out.txt)"
grep -q '"failed":0' out.txt || fail "read-mode --json: $(cat out.txt)"
# One amplifier: the same summary, and the file under its own name.
expect_rc 0 --device virtual:a read-mode 2 -o one.sp --json
grep -q '"device":"virtual:a".*"file":"one.sp".*"ok":true' out.txt || fail "read-mode --json, one amplifier: $(cat out.txt)"
[ -s one.sp ] || fail "read-mode --json, one amplifier: no file"
expect_rc 0 diff each-virtual_a.sp each-virtual_c.sp
# A named virtual amplifier exists from its first use, also one that nothing changed: listed,
# with its name and mode, and one of --device all.
expect_rc 0 --device virtual:fresh read-mode 2 -o fresh.sp
expect_rc 0 devices
grep -q "^-	virtual:fresh	.*_LM-R52Z	1	-" out.txt || fail "devices after a first read: $(cat out.txt)"
expect_rc 0 --device all read-mode 1 -o every.sp
[ -f every-virtual_fresh.sp ] || fail "--device all left out virtual:fresh: $(ls; cat out.txt)"
echo "cli_owner: all passed"
