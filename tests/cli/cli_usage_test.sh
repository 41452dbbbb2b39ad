# SPDX-License-Identifier: GPL-3.0-or-later
# One way of reading command lines: every command answers a bad command line with one line in
# one shape, "mirelune-cli CMD: REASON (try mirelune-cli help CMD)", exit 2 and nothing on
# stdout; --help speaks the user's language; each command's option table and its help text
# name the same options, so neither drifts from the other.
. "$(dirname "$0")/lib.sh"
export LC_ALL=C.UTF-8 LANG=C.UTF-8
expect_rc 0 defaults -o d.sp
: >f.txt

# COMMAND LINE | what the reason says. The help named is that of the command (the word after
# the global options); errors of the global options, and before any command, name
# "mirelune-cli help" (lines marked !).
while IFS='|' read -r line reason; do
  [ -z "$line" ] && continue
  global=${line%%[!!]*}
  line=${line#!}
  # shellcheck disable=SC2086
  expect_rc 2 $line
  [ -s out.txt ] && fail "mirelune-cli $line: printed on stdout: $(head -2 out.txt)"
  [ "$(wc -l <err.txt)" = 1 ] || fail "mirelune-cli $line: not one line: $(cat err.txt)"
  cmd=$(echo "$line" | sed -E 's/^((--(device|lang|faults|password) [^ ]+|--trace) )*//' | cut -d' ' -f1)
  if [ -z "$global" ]; then
    shape="^mirelune-cli $cmd( [a-z]+)?: .+ \\(try mirelune-cli help $cmd\\)\$"
  else
    shape='^mirelune-cli: .+ \(try mirelune-cli help\)$'
  fi
  grep -qE -- "$shape" err.txt || fail "mirelune-cli $line: not in the one shape: $(cat err.txt)"
  grep -qF -- "$reason" err.txt || fail "mirelune-cli $line: the reason lacks '$reason': $(cat err.txt)"
done <<'EOF'
set --x|unknown option --x
set 1028=70 --x=1|unknown option --x
set 1028=81|value 81 outside the range of address 1028: 0..80
set 1028|'1028' is not PARAM=VALUE
get|missing PARAM
get 1028 --sound-mode 2|--sound-mode must be 0 or 1, not '2'
get 1028 --sound-mode|option --sound-mode needs a value
get nosuchname|no parameter named 'nosuchname'
info extra|unexpected argument 'extra'
info --json=yes|option --json takes no value
devices --json --json|option --json is given more than once
defaults|-o FILE is required
defaults -o|option -o needs a value
dump|missing FILE
dump d.sp d.sp|unexpected argument 'd.sp'
diff d.sp|missing B
response d.sp|--page P is required
response d.sp --page 8|--page must be a whole number 0..7, not '8'
response d.sp --page 0 --freqs 1,x|--freqs: 'x' is not a positive frequency
plot d.sp --page 0|-o OUT.png is required
plot d.sp --page 0 -o p.png --compare d.sp --compare d.sp --compare d.sp --compare d.sp --compare d.sp|--compare: at most 4 files
eq|export, import or fit expected
eq frobnicate|no sub-command 'frobnicate'
eq export d.sp --page 0 --format csv|--format must be rew or apo, not 'csv'
eq export --page 0|missing FILE.sp
eq import f.txt --page 0|give --into FILE.sp -o OUT.sp, or --device DEVICE
eq import f.txt --page 0 --into d.sp|--into needs -o OUT.sp
modes|list, pull or push expected
modes list --yes|unknown option --yes
modes pull|missing N
modes pull 0|mode must be 1..10, not '0'
modes push name|missing N
sync|-o FILE is required
read-mode 11 -o x.sp|mode must be 1..10, not '11'
write-mode 1|missing FILE
--device virtual virtual-reset now|unexpected argument 'now'
--device hid virtual-reset|--device must name one virtual amplifier
run|missing FILE|-
run a b|unexpected argument 'b'
serve --listen|option --listen needs a value
serve --tls-cert a.pem|--tls-cert and --tls-key go together
serve --bogus|unknown option --bogus
fleet list|--broker URL is required
fleet --broker mqtt://127.0.0.1:1 frob|no sub-command 'frob'
fleet --broker mqtt://127.0.0.1:1 list --installer|unknown option --installer
fleet --broker mqtt://127.0.0.1:1 --timeout 0 list|--timeout must be a whole number 1..3600, not '0'
fleet --broker mqtt://127.0.0.1:1 push d.sp|--mode N is required
fleet --broker mqtt://127.0.0.1:1 set venue/*|missing PARAM=VALUE
fleet --broker mqtt://127.0.0.1:1 mode venue/* 11|mode must be 1..10, not '11'
fleet --broker ftp://h list|ftp://h
measure -o x.txt --bogus|unknown option --bogus
measure -o x.txt --page 8|--page must be a whole number 0..7, not '8'
--device all set 1028=1|names several amplifiers
completion tcsh|SHELL must be one of bash, zsh, fish, not 'tcsh'
!nosuch|unknown command 'nosuch'
!help nosuch|unknown command 'nosuch'
!--lang fr info|--lang must be zh or en, not 'fr'
!--device bogus:x info|--device:
!--faults drop=1 info|--faults applies to --device virtual only
!--device|option --device needs a value
EOF

# A script's line is checked by its command's table before anything runs.
printf 'set 1028=70\ndump d.sp --bogus\n' >bad.txt
expect_rc 2 --device virtual run bad.txt
grep -qx "mirelune-cli run: line 2: dump: unknown option --bogus (try mirelune-cli help dump)" err.txt ||
  fail "run: $(cat err.txt)"
[ -e "$XDG_DATA_HOME/Mirelune/virtual-amplifier.state" ] && fail "run: line 1 ran although line 2 was refused"

# --help in the user's language: the locale's, or --lang.
first() { "$CLI" "$@" | head -1; }
[ "$(first help set)" = "usage: mirelune-cli [--device DEVICE] set PARAM=VALUE... [--sound-mode 0|1]" ] ||
  fail "help set in English: $(first help set)"
[ "$(LC_ALL=zh_CN.UTF-8 first help set)" = "用法: mirelune-cli [--device DEVICE] set PARAM=VALUE... [--sound-mode 0|1]" ] ||
  fail "help set under a Chinese locale: $(LC_ALL=zh_CN.UTF-8 first help set)"
[ "$(first --lang zh set --help)" = "$(LC_ALL=zh_CN.UTF-8 first help set)" ] || fail "--lang zh set --help"
[ "$(LC_ALL=zh_CN.UTF-8 first --lang en help set)" = "$(first help set)" ] || fail "--lang en under a Chinese locale"
LC_ALL=zh_CN.UTF-8 "$CLI" --help | grep -q '^命令:$' || fail "--help under a Chinese locale"

# Each command's options (its table) and its help text, in both languages, name the same
# options; every option a help names is the command's or a global one.
global=$("$CLI" --help | sed -n '/^Global options:/,/^$/p' | grep -oE -- '--[a-z][a-z-]*' | sort -u)
[ -n "$global" ] || fail "no global options in --help"
commands=$(cli __complete commands | cut -f1)
[ "$(echo "$commands" | sort)" = "$("$CLI" --help | sed -n '/^Commands:/,/^$/p' | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p' | sort)" ] ||
  fail "--help lists other commands than the table"
for c in $commands; do
  cli __complete options "$c" >options.txt
  # The long names, and each option as the help may write it: "--output|-o".
  options=$(cut -f1 options.txt | sort -u)
  written=$(sed -E 's/^([^\t]*)\t(-[a-z]) .*/\1|\2/; s/\t.*//' options.txt | sort -u)
  for lang in en zh; do
    "$CLI" --lang $lang help "$c" >help-$lang.txt || fail "help $c in $lang"
    [ -s help-$lang.txt ] || fail "help $c in $lang is empty"
    for o in $written; do
      grep -qE -- "(^|[^a-z-])($o)([^a-z-]|$)" help-$lang.txt || fail "help $c ($lang) does not name its option $o"
    done
    for o in $(grep -oE -- '--[a-z][a-z-]*' help-$lang.txt | sort -u); do
      echo "$options $global" | tr ' ' '\n' | grep -qx -- "$o" || fail "help $c ($lang) names $o, which $c does not take"
    done
  done
  cmp -s help-en.txt help-zh.txt && fail "help $c is not translated"
  # Every part of the English help is translated, the paragraphs filled in from tables too: no
  # Chinese sentence (its full-width punctuation) is left in it.
  grep -P '[，。：；（）]' help-en.txt && fail "help $c in English holds Chinese text"
done
echo ok
