# SPDX-License-Identifier: GPL-3.0-or-later
# Nothing wrong reported as right: output that cannot be delivered, targets that are not files,
# values that cannot be shown, scripts that cannot be read, a whole-mode write cut short, the
# round trip of get and set, and the tool's language.
. "$(dirname "$0")/lib.sh"
V="--device virtual"
expect_rc 0 defaults -o d.sp
expect_rc 0 eq export d.sp --page 0
cp out.txt filters.txt
expect_rc 0 $V modes pull 1 --yes   # something for `modes list` to print

# Standard output that cannot be written: exit 1 and the reason, for every printing command.
if [ -w /dev/full ]; then
  while IFS= read -r cmd; do
    # shellcheck disable=SC2086
    "$CLI" $cmd >/dev/full 2>err.txt
    rc=$?
    [ "$rc" = 1 ] || fail "$cmd >/dev/full exited $rc, expected 1"
    grep -q "standard output could not be written" err.txt || fail "$cmd >/dev/full: no reason: $(cat err.txt)"
  done <<'CMDS'
dump d.sp --all
response d.sp --page 0
eq export d.sp --page 0
eq import filters.txt --page 0 --into d.sp -o imported.sp --json
--device virtual info
--device virtual get 1031 --json
--device virtual set 769=220
--device virtual sync -o synced.sp
modes list
devices --quick
--help
--version
CMDS
fi
# A full disk (a file size limit here): the JSON is cut, so the command fails.
( trap '' XFSZ; ulimit -f 64; exec "$CLI" dump d.sp --all ) >big.json 2>err.txt
rc=$?
[ "$rc" = 1 ] || fail "dump onto a full disk exited $rc"
grep -q "standard output could not be written" err.txt || fail "full disk: $(cat err.txt)"

# Files: a FIFO, a device, a folder are refused before anything is written and stay what they
# are; a good file is replaced whole or not at all, without temporaries left beside it.
mkfifo fifo.sp
ln -s /dev/null device.sp
mkdir folder.sp
expect_rc 0 plot d.sp --page 0 -o good.png
cp good.png good-before.png
for target in fifo.sp device.sp folder.sp; do
  for cmd in "defaults -o $target" "plot d.sp --page 0 -o $target" "$V read-mode 1 -o $target" \
             "eq import filters.txt --page 0 --into d.sp -o $target"; do
    # shellcheck disable=SC2086
    timeout 10 "$CLI" $cmd >out.txt 2>err.txt
    rc=$?
    [ "$rc" = 1 ] || fail "$cmd exited $rc, expected 1: $(cat err.txt)"
    grep -q "not a regular file; nothing written" err.txt || fail "$cmd: $(cat err.txt)"
  done
done
[ -p fifo.sp ] && [ -L device.sp ] && [ -d folder.sp ] || fail "a target that is not a file was replaced"
[ -c /dev/null ] || fail "/dev/null is no longer a device"
( trap '' XFSZ; ulimit -f 16; exec "$CLI" plot d.sp --page 0 --width 1600 --height 1200 -o good.png ) >out.txt 2>err.txt
rc=$?
[ "$rc" = 1 ] || fail "plot onto a full disk exited $rc"
grep -q "good.png: write failed" err.txt || fail "plot onto a full disk: $(cat err.txt)"
cmp -s good.png good-before.png || fail "a failed plot replaced the good picture"
ls | grep -q '\.tmp-' && fail "temporary files left: $(ls)"

# A closed standard output is a failure: nothing printed is lost silently, nor written into a
# file that took its number.
for cmd in "$V get 1028" "--version" "dump d.sp" "$V set 1028=61"; do
  # shellcheck disable=SC2086
  "$CLI" $cmd >&- 2>err.txt
  rc=$?
  [ "$rc" = 1 ] || fail "$cmd >&- exited $rc, expected 1"
  grep -q "standard output could not be written (it is closed)" err.txt || fail "$cmd >&-: $(cat err.txt)"
done
grep -rq "1028=" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" 2>/dev/null && fail "get's output landed in a file"

# -o onto a symbolic link replaces the file it points to (at the end of a chain, also one that
# does not exist yet), beside that file, and keeps the link.
mkdir -p real
for cmd in "defaults" "$V read-mode 1" "plot d.sp --page 0"; do
  rm -f real/* link.out link2.out
  echo old > real/target
  ln -s real/target link2.out
  ln -s link2.out link.out
  # shellcheck disable=SC2086
  expect_rc 0 $cmd -o link.out
  [ -L link.out ] && [ "$(readlink link.out)" = link2.out ] && [ "$(readlink link2.out)" = real/target ] ||
    fail "$cmd -o link: the link was replaced"
  [ "$(wc -c < real/target)" -gt 1000 ] || fail "$cmd -o link: the file it points to was not written"
  ls -a real | grep -q '\.tmp-' && fail "$cmd -o link: temporaries left"
  rm -f real/target
  # shellcheck disable=SC2086
  expect_rc 0 $cmd -o link.out
  [ -f real/target ] && [ -L link.out ] || fail "$cmd -o dangling link: $(ls -l real link.out)"
done
ln -sf loop.out loop.out
expect_rc 1 defaults -o loop.out
grep -q "loop of symbolic links" err.txt || fail "a link loop: $(cat err.txt)"

# -o - is standard output; ./- is a file called "-".
expect_rc 0 defaults -o -
cmp -s out.txt d.sp || fail "defaults -o - differs from the file"
expect_rc 0 $V read-mode 1 -o -
[ "$(wc -c < out.txt)" = 252000 ] || fail "read-mode -o -: $(wc -c < out.txt) bytes"
expect_rc 0 $V sync -o -
[ "$(wc -c < out.txt)" = 252000 ] || fail "sync -o -: the mode line went into the file"
grep -q "current mode: 1" err.txt || fail "sync -o -: $(cat err.txt)"
expect_rc 0 plot d.sp --page 0 -o -
head -c 8 out.txt | od -An -tx1 | grep -q "89 50 4e 47 0d 0a 1a 0a" || fail "plot -o - is no PNG"
[ -e ./- ] && fail "-o - made a file called -"
expect_rc 0 defaults -o ./-
cmp -s ./- d.sp || fail "defaults -o ./-"
rm -f ./-
expect_rc 2 --device virtual:a,virtual:b read-mode 1 -o -
grep -q "takes the file of one amplifier" err.txt || fail "read-mode of two to -: $(cat err.txt)"

# Values no filter has are refused with their line, never printed from a buffer that was not
# filled; a filter number no int holds is no filter 1.
printf 'Filter 1: ON PK Fc 1000 Hz Gain 1e308 dB Q 1\n' > huge.txt
expect_rc 1 eq import huge.txt --page 0 --into d.sp -o x.sp
grep -q "line 1: .*Gain 1e+308 dB is beyond any filter" err.txt || fail "1e308: $(cat err.txt)"
for f in out.txt err.txt; do tr -d '\000' <"$f" | cmp -s - "$f" || fail "NUL bytes in $f"; done
printf 'Filter 99999999999999999999: ON PK Fc 1000 Hz Gain 3 dB Q 1\n' > number.txt
expect_rc 1 eq import number.txt --page 0 --into d.sp -o x.sp
grep -q "'99999999999999999999' is not a number" err.txt || fail "huge filter number: $(cat err.txt)"
for bad in "drop= 5" "drop=+3" "delay=-1" "split=0x3"; do
  expect_rc 2 --device virtual --faults "$bad" info
done

# Scripts: read whole, or not at all.
mkdir script.d
expect_rc 1 $V run script.d
grep -q "script.d: is a folder" err.txt || fail "run DIR: $(cat err.txt)"
expect_rc 1 $V run /dev/zero
grep -q "not a regular file" err.txt || fail "run /dev/zero: $(cat err.txt)"
"$CLI" $V run - <&- >out.txt 2>err.txt
[ $? = 1 ] || fail "run - with standard input closed did not fail"
grep -q "standard input cannot be read" err.txt || fail "closed stdin: $(cat err.txt)"
head -c 17000000 /dev/zero | tr '\0' '\n' | "$CLI" $V run - >out.txt 2>err.txt
[ $? = 1 ] || fail "a 17 MB script on standard input did not fail"
grep -q "larger than 16 MiB" err.txt || fail "long stdin: $(cat err.txt)"
printf '\357\273\277set 1028=33\n' > bom.txt
expect_rc 0 $V run bom.txt

# A whole-mode write cut short names the mode, how far it came, and how to finish.
expect_rc 0 $V read-mode 4 -o m4.sp
expect_rc 1 --device virtual:cut --faults usbtiming,unplug=25 write-mode 2 m4.sp
# The cable goes 25 ms in, a few groups into the write (on a loaded machine perhaps before the
# first): either way the mode and the count are named.
if grep -q "mode 2 was written only in part: [0-9]* of 16 groups were acknowledged" err.txt; then
  grep -q "now holds a mix of its old and the new settings" err.txt || fail "mixed: $(cat err.txt)"
else
  grep -q "mode 2 was not written: the amplifier acknowledged none of its 16 groups" err.txt ||
    fail "partial write: $(cat err.txt)"
fi
grep -q "run the same command again: mirelune-cli --device virtual:cut write-mode 2 m4.sp" err.txt ||
  fail "remedy: $(cat err.txt)"
expect_rc 0 --device virtual:cut write-mode 2 m4.sp
expect_rc 0 --device virtual:cut read-mode 2 -o back.sp
expect_rc 0 diff m4.sp back.sp

# get fed to set is accepted and changes nothing: every parameter of the factory state, in
# both sound modes, and of a state changed on the amplifier (a reverb preset, a band at +15 dB).
addresses=$("$CLI" dump d.sp | tr '}' '\n' | sed -n 's/.*"address":\([0-9]*\),"slot":0,.*/\1/p' | sort -n | uniq)
# shellcheck disable=SC2086
for state in factory changed; do
  if [ $state = changed ]; then
    expect_rc 0 --device virtual:rt set 810=3 782=300 0:gain=400,freq=200 1028=0
  fi
  for sound in 0 1; do
    # shellcheck disable=SC2086
    expect_rc 0 --device virtual:rt get --sound-mode $sound $addresses
    cp out.txt before.txt
    # shellcheck disable=SC2086,SC2046
    expect_rc 0 --device virtual:rt set --sound-mode $sound $(cat before.txt)
    # shellcheck disable=SC2086
    expect_rc 0 --device virtual:rt get --sound-mode $sound $addresses
    cmp -s before.txt out.txt || fail "get | set changed the $state state (sound mode $sound): $(diff before.txt out.txt)"
  done
done
# set refuses what no control and no band holds; write-mode sends a mode as the amplifier may
# hold it, beyond the sliders, and refuses only what a frame cannot carry.
expect_rc 2 $V set 0:shape=200
# Record n is address n/3 in sound mode n%3; byte 5 of a band is its shape, bytes 1-4 a Value.
cp d.sp beyond.sp
printf '\310' | dd of=beyond.sp bs=1 seek=5 conv=notrunc status=none
for slot in 0 1; do  # 1812 = 150 on a slider of 0..100, shared by both sound modes
  printf '\226\000' | dd of=beyond.sp bs=1 seek=$(( (1812 * 3 + slot) * 28 + 1 )) conv=notrunc status=none
done
expect_rc 0 $V write-mode 3 beyond.sp
expect_rc 0 $V read-mode 3 -o back.sp
expect_rc 0 dump back.sp
grep -q '"address":1812,"slot":0,"Kind":0,"Value":150,' out.txt || fail "1812 read back: $(grep '"address":1812' out.txt)"
grep -q '"address":0,"slot":0,"Kind":1,"Value":0,"QType":200,' out.txt || fail "shape read back: $(grep '"address":0,' out.txt)"
grep -q '"address":1802,"slot":0,"Kind":3,"Value":146,' out.txt || fail "1802 read back: $(grep '"address":1802' out.txt)"
expect_rc 0 $V write-mode 4 back.sp
printf '\372' | dd of=beyond.sp bs=1 seek=5 conv=notrunc status=none
expect_rc 1 $V write-mode 3 beyond.sp
grep -q "QType 250 (0xFA) would be read as a frame marker" err.txt || fail "write-mode of shape 250: $(cat err.txt)"

# The tool speaks the locale's language; --lang overrides.
L="--device virtual:lang --faults usbtiming,unplug=25 write-mode 2 m4.sp"
# shellcheck disable=SC2086
LANG=en_US.UTF-8 LC_ALL= expect_rc 1 $L
grep -q "warning: The amplifier did not answer in time" err.txt || fail "English: $(cat err.txt)"
# shellcheck disable=SC2086
LANG=zh_CN.UTF-8 LC_ALL= expect_rc 1 $L
grep -q "warning: 与目标通信连接超时，已断开连接。" err.txt || fail "Chinese: $(cat err.txt)"
# shellcheck disable=SC2086
LANG=zh_CN.UTF-8 LC_ALL= expect_rc 1 --lang en $L
grep -q "warning: The amplifier did not answer in time" err.txt || fail "--lang en: $(cat err.txt)"
expect_rc 0 --device virtual:rt --lang zh modes list
grep -q "^文件1	| " out.txt || fail "modes list in Chinese: $(cat out.txt)"
echo "cli_output: all passed"
