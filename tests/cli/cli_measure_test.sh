# SPDX-License-Identifier: GPL-3.0-or-later
# measure and eq fit on the virtual amplifier: the measurement file, the fit into a
# configuration file and onto the amplifier, the loop measure - fit - measure again reaching
# what the fit predicted, the same through a program that owns the amplifier, refused files and
# command lines.
. "$(dirname "$0")/lib.sh"
V="--device virtual:room"
# The value of "KEY":{"rmsDb":X in a one-line JSON report.
rms() { sed -n "s/.*\"$1\":{\"rmsDb\":\([0-9.]*\).*/\1/p" "$2" | head -1; }
calc() { LC_ALL=C awk "BEGIN { exit !($1) }"; }

# Usage errors: nothing measured, nothing written.
for args in "measure" "measure -o x.txt --length 1" "measure -o x.txt --repeat 17" \
            "measure -o x.txt --repeat 1.5" "measure -o x.txt --window 0:500" "measure -o x.txt --page 8" \
            "measure -o x.txt --bogus"; do
  # shellcheck disable=SC2086
  expect_rc 2 $V $args
done
[ ! -e x.txt ] || fail "a refused measure wrote its file"
expect_rc 0 measure --help
grep -q -- "--repeat N" out.txt || fail "measure --help"

# The measurement: a file a measurement program opens, 481 points with phase.
expect_rc 0 $V measure -o room.txt --length 4
grep -q "^saved room.txt: 481 points" out.txt || fail "measure's report: $(cat out.txt)"
grep -q "delay 37" out.txt || fail "the virtual room's latency: $(cat out.txt)"
[ "$(grep -c '^\*' room.txt)" -ge 3 ] || fail "no comment header"
[ "$(grep -vc '^\*' room.txt)" = 481 ] || fail "not 481 data lines"
awk '!/^\*/ && NF != 3 { exit 1 }' room.txt || fail "a data line without three columns"
expect_rc 0 $V measure -o rep.txt --length 2 --repeat 2 --no-level-check --json
grep -q '"levelCheck":null' out.txt && grep -q '"sweeps":2' out.txt || fail "measure --json: $(cat out.txt)"

# Into a configuration file: the fit's bands and nothing else change.
expect_rc 0 defaults -o d.sp
expect_rc 0 eq fit room.txt --page 0 --into d.sp -o o.sp --json
cp out.txt into.json
before=$(rms before into.json)
after=$(rms after into.json)
calc "$after < $before / 3" || fail "the fit did not lower the deviation: $before -> $after"
grep -q '"dips":\[{"fromHz":1[5-7][0-9]' into.json || fail "the null near 178 Hz is not left alone: $(grep dips into.json)"
changed=$(sed -n 's/.*"changed":\([0-9]*\).*/\1/p' into.json)
"$CLI" diff d.sp o.sp > diff.txt
[ "$(wc -l < diff.txt)" = "$changed" ] || fail "diff shows $(wc -l < diff.txt) records, the report $changed"

# A refused measurement names its line, writes nothing.
printf '20 1\n40 2\n30 3\n' > bad.txt
expect_rc 1 eq fit bad.txt --page 0 --into d.sp -o bad.sp
grep -q "bad.txt: line 3: '30 3': frequency 30 is not above" err.txt || fail "bad file message: $(cat err.txt)"
[ ! -e bad.sp ] || fail "a refused fit wrote its file"
for args in "eq fit room.txt --page 0" "eq fit room.txt --into d.sp" "eq fit room.txt --range 300:400 --into d.sp -o z.sp" \
            "eq fit room.txt --max-boost 13 --into d.sp -o z.sp" "eq fit room.txt --target tilt=9 --into d.sp -o z.sp" \
            "eq fit room.txt --lock 0 --into d.sp -o z.sp" "eq fit room.txt --smoothing 1/64 --into d.sp -o z.sp"; do
  # shellcheck disable=SC2086
  expect_rc 2 $args
done
expect_rc 1 eq fit room.txt --target nowhere.txt --into d.sp -o z.sp
[ ! -e z.sp ] || fail "a refused fit wrote its file"

# The loop on the amplifier: fit, apply, measure again; the second measurement shows the
# deviation the fit predicted.
expect_rc 0 $V eq fit room.txt --page 0 --json
cp out.txt device.json
grep -q '"applied":true' device.json || fail "not applied"
predicted=$(rms after device.json)
# What the amplifier holds is what the report set, band by band.
sed -n 's/.*"address":\([0-9]*\),"locked":false,"used":true,.*"after":{"shape":0,"freqIndex":\([0-9]*\),[^}]*"gainCode":\([0-9]*\),[^}]*"qIndex":\([0-9]*\),.*/\1 \2 \3 \4/p' device.json > set.txt
[ -s set.txt ] || fail "no band used"
while read -r address freq gain q; do
  expect_rc 0 $V get "$address"
  grep -q "^$address:gain=$gain,freq=$freq,q=$q," out.txt || fail "band $address holds $(cat out.txt), not $gain/$freq/$q"
done < set.txt
expect_rc 0 $V measure -o again.txt --length 4
expect_rc 0 $V eq fit again.txt --page 0 --json
measured=$(rms before out.txt)
calc "($measured - $predicted) < 0.5 && ($predicted - $measured) < 0.5" ||
  fail "measured again $measured dB RMS, predicted $predicted"

# Through the program that owns the amplifier: the page is read and the bands set through it.
PORT=$((20000 + $$ % 20000))
"$CLI" --device virtual:owned serve --listen "127.0.0.1:$PORT" > serve.out 2> serve.err &
SERVE=$!
for _ in $(seq 100); do grep -q "URL" serve.out 2>/dev/null && break; sleep 0.05; done
grep -q "URL" serve.out || { kill "$SERVE"; fail "serve did not start: $(cat serve.err)"; }
expect_rc 0 --device virtual:owned eq fit room.txt --page 0 --json
grep -q '"applied":true' out.txt || { kill "$SERVE"; fail "not applied through the owner"; }
address=$(sed -n 's/.*"address":\([0-9]*\),"locked":false,"used":true.*/\1/p' out.txt | head -1)
expect_rc 0 --device virtual:owned get "$address"
cp out.txt owned.txt
kill "$SERVE"
wait "$SERVE" 2>/dev/null
grep -q "^$address:gain=" owned.txt || fail "get through the owner: $(cat owned.txt)"
expect_rc 0 --device virtual:owned get "$address"
cmp -s out.txt owned.txt || fail "the owner did not keep the fitted band: $(cat out.txt) vs $(cat owned.txt)"

echo "cli_measure: all passed"
