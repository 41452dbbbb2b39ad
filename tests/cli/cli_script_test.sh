# SPDX-License-Identifier: GPL-3.0-or-later
# Several assignments in one set, get, info --json and run: everything checked before the
# first frame, one link for a whole script, and its failures by line.
. "$(dirname "$0")/lib.sh"
V="--device virtual"

# set with several assignments, by address and by menu name, read back by get.
expect_rc 0 $V set 1028=70 1029=71 0:gain=300,q=20 "4:音乐音量=66"
[ "$(wc -l <out.txt)" = 4 ] || fail "set: one line per change: $(cat out.txt)"
expect_rc 0 $V get 1028 0x405 0:EQ1 4:音乐音量
grep -qx '1028=70' out.txt && grep -qx '1029=71' out.txt && grep -qx '1024=66' out.txt ||
  fail "get: $(cat out.txt)"
grep -q '^0:gain=300,freq=[0-9]*,q=20,sq=[0-9]*,shape=[0-2],off=[01]$' out.txt || fail "get band: $(cat out.txt)"
# What get prints, set takes back.
expect_rc 0 $V set $(cat out.txt)

expect_rc 0 $V get 1028 0 --json
grep -q '"address": 1028, "name": "4:左通道音量", "name_en": "Left channel volume", "unit": "", "value": 70, "text": "70"}' out.txt ||
  fail "get --json: $(cat out.txt)"
grep -q '"address": 0, "name": "0:EQ1", "name_en": "EQ1", "unit": "dB", "gain": 300' out.txt || fail "get --json band: $(cat out.txt)"
grep -q '"text": "+5.0 dB, 25.3 Hz, Q 1.26"' out.txt || fail "get --json band text: $(cat out.txt)"
# One name per address: the microphone kinds' high-pass and volume by the store's layout, the
# unit and the text as the console shows them.
expect_rc 0 $V get 1:话筒音量 "1:High-pass frequency" 769 --json
grep -q '"address": 276, "name": "1:话筒音量", "name_en": "Microphone volume", "unit": "%", "value": 100, "text": "100%"}' out.txt ||
  fail "get --json mic volume: $(cat out.txt)"
grep -q '"address": 256, "name": "1:高通滤波器频点", "name_en": "High-pass frequency", "unit": "Hz", "value": 74, "text": "80.3 Hz"}' out.txt ||
  fail "get --json mic high-pass: $(cat out.txt)"
grep -q '"address": 769, "name": "3:回声延时", "name_en": "Echo delay", "unit": "ms", "value": 220, "text": "220 ms"}' out.txt ||
  fail "get --json echo delay: $(cat out.txt)"
grep -q '^{"mode": 1, "sound_mode": 0, "params": \[' out.txt || fail "get --json head: $(cat out.txt)"
# Values with their units, as the console shows them; refused beyond the range.
expect_rc 0 $V set "1:High-pass frequency=off" "769=250 ms" "272=-3,5 dB"
expect_rc 0 $V get 256 769 272 --json
grep -q '"address": 256, [^}]*"value": 0, "text": "OFF"}' out.txt || fail "set with unit, 256: $(cat out.txt)"
grep -q '"address": 769, [^}]*"value": 250, "text": "250 ms"}' out.txt || fail "set with unit, 769: $(cat out.txt)"
grep -q '"address": 272, [^}]*"value": 35, "text": "-3.5 dB"}' out.txt || fail "set with unit, 272: $(cat out.txt)"
expect_rc 2 $V set "256=500 Hz"
expect_rc 2 $V set "256=80 ms"
expect_rc 0 $V info --json
grep -q '^{"device": "_LM-R52Z", "current_mode": 1, "modes": \["[^"]*"\(, "[^"]*"\)\{9\}\]}$' out.txt ||
  fail "info --json: $(cat out.txt)"

# One bad assignment refuses them all before anything is sent.
for bad in "1028=10 1029=81" "1028=10 0:gain=401" "1028=10 音乐音量=3" "1028=10 1029"; do
  # shellcheck disable=SC2086
  expect_rc 2 $V --trace set $bad
  [ -s out.txt ] && fail "set $bad: something was sent: $(head -1 out.txt)"
done
expect_rc 2 $V get 1028 nosuch
expect_rc 0 $V get 1028
[ "$(cat out.txt)" = "1028=70" ] || fail "a refused set changed 1028: $(cat out.txt)"

# run: one link start for the whole script, comments, the state saved at the end.
cat >ok.txt <<'SCRIPT'
# volumes first
set 1028=11 1029=12
set 0:gain=200     # a band

get 1028 1029 0
info
defaults -o d.sp
set 4:音乐音量=13
SCRIPT
expect_rc 0 $V --trace run ok.txt
[ "$(grep -c '^> FE FA' out.txt)" = 1 ] || fail "run: the link came up more than once: $(grep -c '^> FE FA' out.txt)"
grep -qx '1028=11' out.txt && grep -q '^0:gain=200,' out.txt || fail "run get: $(cat out.txt)"
[ -s d.sp ] || fail "run: defaults wrote nothing"
expect_rc 0 $V get 1028 1029 1024
[ "$(tr '\n' ' ' <out.txt)" = "1028=11 1029=12 1024=13 " ] || fail "run's changes not kept: $(cat out.txt)"

# From standard input.
printf 'set 1028=21\nget 1028\n' | "$CLI" $V run - >out.txt 2>err.txt || fail "run -: $(cat err.txt)"
grep -qx '1028=21' out.txt || fail "run -: $(cat out.txt)"

# A failing line stops the script with its number; the lines after it do not run.
printf 'set 1028=31\ndump missing.sp\nset 1028=32\n' >fail1.txt
expect_rc 1 $V run fail1.txt
grep -q 'line 2' err.txt || fail "run: no line number: $(cat err.txt)"
printf 'set 1028=41\nread-mode 11 -o x.sp\nset 1028=42\n' >fail2.txt
expect_rc 2 $V run fail2.txt
grep -q 'line 2' err.txt || fail "run: no line number: $(cat err.txt)"
expect_rc 0 $V get 1028
[ "$(cat out.txt)" = "1028=41" ] || fail "run: a line after the failure ran, or one before was lost: $(cat out.txt)"

# What can be checked is checked before the first frame: nothing runs, exit 2.
for script in 'set 1028=51\nnosuch\n' 'set 1028=51\nset 1029=81\n' 'set 1028=51\n--trace info\n' \
              'set 1028=51\nrun x\n' 'set 1028=51\ndump "a.sp\n'; do
  printf "$script" >pre.txt
  expect_rc 2 $V --trace run pre.txt
  [ -s out.txt ] && fail "run $(head -2 pre.txt | tr '\n' ';'): something was sent"
  grep -q 'line 2' err.txt || fail "run: no line number: $(cat err.txt)"
done
expect_rc 2 run
expect_rc 1 $V run missing.txt
echo ok
