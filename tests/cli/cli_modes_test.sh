# SPDX-License-Identifier: GPL-3.0-or-later
# Whole-mode transfers and the mode folder against the virtual amplifier, which keeps its modes
# between runs.
. "$(dirname "$0")/lib.sh"
V="--device virtual"

expect_rc 0 $V read-mode 4 -o m4.sp
expect_rc 0 dump m4.sp
grep -q '"address":1028,"slot":0,"Kind":0,"Value":73,' out.txt || fail "mode 4 slot 0 of 1028"
grep -q '"address":1028,"slot":1,"Kind":0,"Value":73,' out.txt || fail "mode 4 slot 1 of 1028"

expect_rc 0 $V write-mode 2 m4.sp
expect_rc 0 $V read-mode 2 -o b.sp
expect_rc 0 diff m4.sp b.sp
expect_rc 0 $V read-mode 3 -o m3.sp
expect_rc 1 diff m4.sp m3.sp

# A truncated file is refused before any frame goes out.
head -c 251972 m4.sp > t.sp
expect_rc 1 $V --trace write-mode 2 t.sp
grep -q '^> FE 02' out.txt && fail "a WriteGroup frame was sent for a truncated file"
grep -q 't.sp' err.txt || fail "the refusal names the file"
expect_rc 2 $V read-mode 11 -o x.sp  # a usage error: nothing is attempted

# sync reports the device's current mode.
expect_rc 0 $V sync -o s.sp
grep -q '^current mode: 1$' out.txt || fail "sync: $(cat out.txt)"
# info and the reason an amplifier cannot be opened, in the language asked for.
expect_rc 0 $V --lang zh info
grep -q '^当前模式：1$' out.txt && grep -q '^模式 1：' out.txt || fail "info --lang zh: $(cat out.txt)"
expect_rc 0 $V --lang en info
grep -q '^current mode: 1$' out.txt && grep -q '^mode 1: ' out.txt || fail "info --lang en: $(cat out.txt)"
expect_rc 1 --device hid --lang zh info
grep -q '未连接功放（USB 2E3C:0D07）' err.txt || fail "no amplifier --lang zh: $(cat err.txt)"
expect_rc 1 $V --faults open=busy --lang zh info
grep -q '已连接功放（USB 2E3C:0D07），但它正被其他程序使用' err.txt || fail "open failure --lang zh: $(cat err.txt)"
expect_rc 1 $V --faults open=busy --lang en info
grep -q 'An amplifier is connected (USB 2E3C:0D07) but another program is using it' err.txt ||
  fail "open failure --lang en: $(cat err.txt)"

# The mode folder: pull asks before overwriting, --yes overwrites, push writes a mode.
expect_rc 0 $V modes pull 1 3
expect_rc 0 modes list
[ "$(cat out.txt)" = "$(printf 'File 1\t| Mode 1\nFile 2\t| Mode 3')" ] || fail "modes list: $(cat out.txt)"
# In Chinese as the mode manager shows it, by --lang or by a Chinese locale.
expect_rc 0 --lang zh modes list
[ "$(cat out.txt)" = "$(printf '文件1\t| Mode 1\n文件2\t| Mode 3')" ] || fail "modes list --lang zh: $(cat out.txt)"
LANG=zh_CN.UTF-8 LC_ALL= expect_rc 0 modes list
[ "$(cat out.txt)" = "$(printf '文件1\t| Mode 1\n文件2\t| Mode 3')" ] || fail "modes list, zh_CN: $(cat out.txt)"
f="$XDG_DATA_HOME/Mirelune/mode/Mode 3.sp"
[ "$(stat -c %s "$f")" = 252000 ] || fail "pulled file size"
: > "$f"
# Answered no (off a terminal): nothing saved, and not reported as saved.
expect_rc 1 $V --lang zh modes pull 3 </dev/null
grep -q '已存在同名称的模式: Mode 3 ，要全部覆盖吗？' err.txt || fail "no overwrite question"
grep -q "未保存：.*Mode 3.sp 已存在，保留原文件（--yes 会替换它）" err.txt || fail "no word of the kept file: $(cat err.txt)"
[ -s out.txt ] && fail "a declined pull printed rows as saved: $(cat out.txt)"
[ "$(stat -c %s "$f")" = 0 ] || fail "answered no, yet overwritten"
expect_rc 0 $V modes pull 3 --yes
[ "$(stat -c %s "$f")" = 252000 ] || fail "--yes did not overwrite"
expect_rc 0 $V modes push "Mode 3" 9
expect_rc 0 $V read-mode 9 -o n9.sp
expect_rc 0 dump n9.sp
grep -q '"address":1028,"slot":0,"Kind":0,"Value":72,' out.txt || fail "pushed mode 3 into mode 9"
expect_rc 1 $V modes push "No such" 9
echo ok
