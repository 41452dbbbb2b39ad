# SPDX-License-Identifier: GPL-3.0-or-later
# mirelune-cli under a locale whose decimal separator is a comma (ctest sets LC_ALL=de_DE.UTF-8
# and LOCPATH to the locales compiled for the tests): numbers are read and written with "."
# whatever the locale, and the commands that start Qt (which takes the locale from the
# environment) do not abort.
. "$(dirname "$0")/lib.sh"
V="--device virtual"

# The premise: the locale is in effect (bash's printf follows it).
[ "$(printf '%.1f' 0,5 2>/dev/null)" = "0,5" ] || fail "the comma locale is not in effect (LC_ALL=${LC_ALL:-} LOCPATH=${LOCPATH:-})"

expect_rc 0 defaults -o d.sp
expect_rc 0 dump d.sp
grep -q '^  {"address":0,"slot":0,"Kind":1,"Value":0,"QType":0,"Freq":14,"Gain":330,' out.txt ||
  fail "dump: $(head -2 out.txt)"

# CSV: "." decimals, "," only between fields, every row as wide as the header.
check_csv() {
  local fields
  fields=$(head -1 out.txt | awk -F, '{print NF}')
  [ "$(wc -l < out.txt)" = "$1" ] || fail "response: $(wc -l < out.txt) lines, expected $1"
  tail -n +2 out.txt | grep -Evq '^[0-9.]+(,-?[0-9]+\.[0-9]{4})+$' && fail "response row: $(tail -n +2 out.txt | head -3)"
  tail -n +2 out.txt | awk -F, -v n="$fields" 'NF != n { exit 1 }' || fail "a row has not $fields fields"
}
expect_rc 0 response d.sp --page 0 --freqs 19.7,1000,20200.5
check_csv 4
sed -n 2p out.txt | grep -q '^19\.7,' || fail "the frequency of the first row: $(sed -n 2p out.txt)"
expect_rc 0 response d.sp --page 7
check_csv 956
# The sum's phase: one more column, in the same number form.
expect_rc 0 response d.sp --page 0 --freqs 19.7,1000,20200.5 --phase
check_csv 4
head -1 out.txt | grep -q ',sum,sum_phase_deg$' || fail "response --phase header: $(head -1 out.txt)"

# Device commands start Qt first: no abort, and the change read back the same.
expect_rc 0 $V info
grep -q '^current mode: 1$' out.txt || fail "info: $(cat out.txt)"
expect_rc 0 $V set 0 gain=245
expect_rc 0 $V sync -o s.sp
expect_rc 0 dump s.sp
grep -q '"address":0,"slot":0,.*"Gain":245,' out.txt || fail "the gain set is not read back"
expect_rc 0 response s.sp --page 0 --freqs 25
check_csv 2
expect_rc 0 plot s.sp --page 0 -o p.png
[ -s p.png ] || fail "plot wrote nothing"
# Compared with another file and with the phase: a picture of its own; a file that cannot be
# read is refused before anything is drawn.
expect_rc 0 plot s.sp --page 0 --compare d.sp --phase -o pc.png
[ -s pc.png ] || fail "plot --compare wrote nothing"
cmp -s p.png pc.png && fail "plot --compare drew the same picture"
expect_rc 1 plot s.sp --page 0 --compare missing.sp -o pm.png
[ -e pm.png ] && fail "plot with a missing comparison file wrote a picture"
grep -q 'missing.sp' err.txt || fail "the refusal names the file: $(cat err.txt)"
echo ok
