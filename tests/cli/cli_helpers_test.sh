# SPDX-License-Identifier: GPL-3.0-or-later
# The commands whose code is in a helper program (serve and fleet in mirelune-serve, measure and
# eq fit in mirelune-room) behave as if the tool ran them itself: the helper's exit status,
# standard output and error are the command's, the global options reach it, --lang speaks
# through it, and a script refuses them (the helper would take the script's process over).
. "$(dirname "$0")/lib.sh"
expect_rc 0 defaults -o d.sp
printf '20 0\n100 6\n200 -3\n500 0\n' >room.txt

# RC | WORDS | what stderr says. Port 1 of this computer refuses at once. A status of 1 or 2
# from the helper itself (not from the tool's parser, which lets these lines through) shows
# that the helper's status is the command's.
while IFS='|' read -r rc words said; do
  [ -z "$rc" ] && continue
  # shellcheck disable=SC2086
  expect_rc "$rc" $words
  grep -qF -- "$said" err.txt || fail "mirelune-cli $words: stderr lacks '$said': $(cat err.txt)"
  [ -s out.txt ] && fail "mirelune-cli $words: printed on stdout: $(cat out.txt)"
done <<'CASES'
1|fleet --broker mqtt://127.0.0.1:1 list|mirelune-cli fleet list: mqtt://127.0.0.1:1:
2|fleet --broker mqtt://127.0.0.1:1 --mqtt-password-file nosuch list|nosuch cannot be read
1|eq fit nosuch.txt --into d.sp -o o.sp|nosuch.txt
2|--device virtual measure -o x.txt --length 1|--length
2|--lang zh fleet --broker mqtt://127.0.0.1:1 --mqtt-password-file nosuch list|nosuch cannot be read
2|--device virtual --faults bogus serve|--faults
CASES
[ -e o.sp ] && fail "a refused eq fit wrote its file"

# What the helper prints reaches the tool's standard output, here through a pipe, apart from
# its standard error; the tool's global options (the amplifier --device names) reach the helper.
cli eq fit room.txt --into d.sp -o - 2>report.txt | cat >piped.sp
grep -q "written to -" report.txt || fail "eq fit -o -: the report is not on stderr: $(cat report.txt)"
expect_rc 0 eq fit room.txt --into d.sp -o o.sp
cmp -s piped.sp o.sp || fail "eq fit -o - through a pipe is not the file -o writes: $(cat report.txt)"
expect_rc 0 --device virtual:h get 0 1 2 3 4
cp out.txt bands-before.txt
cli --device virtual:h eq fit room.txt --json 2>err.txt | cat >fit.json
grep -q '"after":{"rmsDb"' fit.json || fail "eq fit --device: no report through the pipe: $(cat fit.json err.txt)"
expect_rc 0 --device virtual:h get 0 1 2 3 4
cmp -s out.txt bands-before.txt && fail "the fit did not reach virtual:h: $(cat out.txt)"
expect_rc 0 --device virtual get 0 1 2 3 4
cmp -s out.txt bands-before.txt || fail "the fit on virtual:h changed the other virtual amplifier"

# In a script the helper commands are refused before the script's process is handed over.
printf 'get 1028\nfleet --broker mqtt://127.0.0.1:1 list\n' >s.txt
expect_rc 2 --device virtual run s.txt
grep -q "its own command line, not in a script" err.txt || fail "run with fleet: $(cat err.txt)"
grep -q "^1028=" out.txt || fail "the lines before fleet did not run: $(cat out.txt)"

echo "helper programs: all checks passed"
