# SPDX-License-Identifier: GPL-3.0-or-later
# The virtual amplifier's memory shared by programs running at once, a damaged state, and mode
# names that clash as file names or hold bytes a reply frame cannot carry.
. "$(dirname "$0")/lib.sh"
V="--device virtual"
STATE="$XDG_DATA_HOME/Mirelune/virtual-amplifier.state"

# Eight edits of different addresses at once: none is lost. Meanwhile readers run `info` over
# and over and a whole mode is written: the stored modes come through as they were.
expect_rc 0 $V read-mode 7 -o m7.sp
expect_rc 0 $V read-mode 4 -o m4.sp
pids=()
addresses=(1028 1029 1284 1285 1540 1795 792 793)
for i in "${!addresses[@]}"; do
  "$CLI" $V set "${addresses[$i]}" $((10 + i)) >"set$i.out" 2>"set$i.err" &
  pids+=($!)
done
for r in 1 2 3 4; do
  ( for k in 1 2 3; do "$CLI" $V info >/dev/null 2>>"info$r.err" || exit 1; done ) &
  pids+=($!)
done
"$CLI" $V write-mode 9 m4.sp >write.out 2>write.err &
pids+=($!)
for p in "${pids[@]}"; do
  wait "$p" || { cat set*.err info*.err write.err >&2; fail "a command run at the same time as others failed"; }
done
expect_rc 0 $V read-mode 1 -o m1.sp
expect_rc 0 dump m1.sp
for i in "${!addresses[@]}"; do
  grep -q "\"address\":${addresses[$i]},\"slot\":0,\"Kind\":0,\"Value\":$((10 + i))," out.txt ||
    fail "the edit of ${addresses[$i]} was lost"
done
expect_rc 0 $V read-mode 7 -o m7b.sp
expect_rc 0 diff m7.sp m7b.sp
expect_rc 0 $V read-mode 9 -o m9.sp
expect_rc 0 diff m4.sp m9.sp
ls "$XDG_DATA_HOME/Mirelune" | grep -q tmp && fail "temporary files left: $(ls "$XDG_DATA_HOME/Mirelune")"

# Mode names patched into the state (the mode byte, then eleven 12-byte names): "a/b" and "a_b"
# clean to one file name; "X" FE 50 "Y" holds a byte no reply frame can carry.
name_at() { printf "$2" | dd of="$STATE" bs=1 seek=$((9 + 12 * $1)) conv=notrunc status=none; }
name_at 0 'a/b\0'
name_at 1 'a_b\0'
name_at 2 'X\376\120Y\0'
expect_rc 0 $V info
grep -q '^mode 1: a/b$' out.txt || fail "info: $(cat out.txt)"
grep -q '^mode 3: X?Y$' out.txt || fail "a name with FE: $(cat out.txt)"
grep -q '^mode 4: Mode 4$' out.txt || fail "the names after it: $(cat out.txt)"
expect_rc 0 $V --lang zh modes pull 1 2 --yes
grep -q 'a_b (2).sp' err.txt || fail "no note of the second file name: $(cat err.txt)"
[ "$(cat out.txt)" = "$(printf '文件1\t| a_b\n文件2\t| a_b (2)')" ] || fail "modes pull: $(cat out.txt)"
expect_rc 0 dump "$XDG_DATA_HOME/Mirelune/mode/a_b (2).sp"
grep -q '"address":1028,"slot":0,"Kind":0,"Value":71,' out.txt || fail "a_b (2).sp is not mode 2"

# A damaged state is refused, named, and left as it is - also by the commands that only read.
printf 'garbage' > "$STATE"
for cmd in info "set 1028 5" "read-mode 2 -o x.sp"; do
  # shellcheck disable=SC2086
  expect_rc 1 $V $cmd
  grep -q "$STATE" err.txt || fail "$cmd: the message does not name the state: $(cat err.txt)"
  [ "$(cat "$STATE")" = garbage ] || fail "$cmd replaced the damaged state"
done
expect_rc 0 virtual-reset
expect_rc 0 $V info
grep -q '^mode 1: Mode 1$' out.txt || fail "after virtual-reset: $(cat out.txt)"
echo ok
