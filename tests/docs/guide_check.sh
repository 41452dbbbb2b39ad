#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The user guides against the programs:
#  - every picture a guide shows exists under docs/images, in the guide's language, and the
#    screenshots program draws exactly the pictures of docs/images: it is run offscreen into
#    WORK/shots and each file must be a PNG of non-zero size with the expected name;
#  - every `mirelune-cli COMMAND` a guide names is a command of `mirelune-cli --help`, and the
#    sub-command of eq and modes one of `mirelune-cli help eq|modes`;
#  - every --option on a line that runs mirelune-cli is in the global usage or in that
#    command's help, every --option given to `mirelune` is in `mirelune --help`, and any other
#    `--option` a guide names is in one of these texts.
#
#   guide_check.sh SOURCE_DIR BIN_DIR WORK_DIR [GUIDE...]   (default: docs/guide.zh.md, guide.en.md)
set -uo pipefail
src=$1 bin=$2 work=$3
shift 3
guides=("$@")
[ ${#guides[@]} -gt 0 ] || guides=("$src/docs/guide.zh.md" "$src/docs/guide.en.md")
cli=$bin/mirelune-cli
images=$src/docs/images
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

rm -rf "$work" && mkdir -p "$work/help" || exit 1
export QT_QPA_PLATFORM=offscreen
# The help texts in English whatever the locale; option and command names are the same in both
# languages.
export LC_ALL=C.UTF-8 LANG=C.UTF-8
unset LC_MESSAGES

# ---- the help texts --------------------------------------------------------------------------
"$cli" --help >"$work/help/global" || { echo "FAIL: mirelune-cli --help"; exit 1; }
"$bin/mirelune" --help >"$work/help/console" || { echo "FAIL: mirelune --help"; exit 1; }
commands=$(sed -n '/^Commands:/,/^$/p' "$work/help/global" | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p')
[ -n "$commands" ] || { echo "FAIL: no command list in mirelune-cli --help"; exit 1; }
for c in $commands; do
  "$cli" help "$c" >"$work/help/cmd-$c" || fail "mirelune-cli help $c"
done
cat "$work"/help/* >"$work/help-all"

is_command() { printf '%s\n' $commands | grep -qx -- "$1"; }
# has TEXTFILE OPTION: the option stands in the text as a word of its own.
has() { grep -qE -- "(^|[^a-z-])$2([^a-z-]|$)" "$1"; }

for guide in "${guides[@]}"; do
  [ -f "$guide" ] || { fail "$guide missing"; continue; }
  name=$(basename "$guide")
  lang=$(echo "$name" | sed -n 's/^guide\.\([a-z][a-z]\)\.md$/\1/p')
  [ -n "$lang" ] || lang=$(echo "$name" | grep -o 'zh\|en' | head -1)

  # ---- pictures ------------------------------------------------------------------------------
  refs=$(grep -o '](images/[^)]*)' "$guide" | sed 's/^](images\///; s/)$//' | sort -u)
  [ -n "$refs" ] || fail "$name shows no picture"
  for r in $refs; do
    [ -s "$images/$r" ] || fail "$name: picture images/$r does not exist"
    case "$r" in *-"$lang".png) ;; *) fail "$name: picture $r is not of the guide's language ($lang)" ;; esac
    echo "$r" >>"$work/referenced"
  done

  # ---- commands and options, line by line ----------------------------------------------------
  lineno=0
  while IFS= read -r line; do
    lineno=$((lineno + 1))
    where="$name:$lineno"
    checked_opts=""
    # Each mirelune-cli run on the line: global options (with their values), the command, its
    # sub-command, then its own options up to the end of the command (a backtick or the line).
    rest=$line
    while [[ "$rest" == *"mirelune-cli "* ]]; do
      rest=${rest#*mirelune-cli }
      run=${rest%%\`*}
      read -r -a words <<<"$run"
      i=0 cmd=""
      while [ $i -lt ${#words[@]} ]; do
        w=${words[$i]}
        case "$w" in
          --device|--password|--faults|--lang) i=$((i + 2)) ;;
          --*) i=$((i + 1)) ;;
          *) cmd=$(echo "$w" | sed 's/[^a-z-]*$//'); break ;;
        esac
      done
      [[ "$cmd" =~ ^[a-z][a-z-]*$ ]] || continue
      if [ "$cmd" = help ]; then
        sub=$(echo "${words[$((i + 1))]:-}" | sed 's/[^a-z-]*$//')
        [[ "$sub" =~ ^[a-z][a-z-]*$ ]] && ! is_command "$sub" && fail "$where: 'mirelune-cli help $sub' names no command"
        continue
      fi
      if ! is_command "$cmd"; then
        fail "$where: mirelune-cli has no command '$cmd'"
        continue
      fi
      if [ "$cmd" = eq ] || [ "$cmd" = modes ]; then
        sub=$(echo "${words[$((i + 1))]:-}" | sed 's/[^a-z]*$//')
        if [[ "$sub" =~ ^[a-z]+$ ]] && ! grep -qE "mirelune-cli $cmd $sub( |$)" "$work/help/cmd-$cmd"; then
          fail "$where: 'mirelune-cli $cmd' has no sub-command '$sub'"
        fi
      fi
      for o in $(printf '%s\n' "$run" | grep -oE -- '--[a-z][a-z-]*'); do
        if ! has "$work/help/global" "$o" && ! has "$work/help/cmd-$cmd" "$o"; then
          fail "$where: mirelune-cli $cmd has no option $o"
        fi
        checked_opts="$checked_opts $o"
      done
    done
    # The console: `mirelune --option ...`.
    rest=$line
    while [[ "$rest" =~ (^|[^a-z-])mirelune(\ --[^\`]*) ]]; do
      run=${BASH_REMATCH[2]}
      rest=${rest#*"$run"}
      for o in $(printf '%s\n' "$run" | grep -oE -- '--[a-z][a-z-]*'); do
        has "$work/help/console" "$o" || fail "$where: mirelune has no option $o"
        checked_opts="$checked_opts $o"
      done
    done
    # Any other option the text names (`--option`; other programs' command lines are left alone).
    for o in $(printf '%s\n' "$line" | grep -oE -- '`--[a-z][a-z-]*' | grep -oE -- '--[a-z][a-z-]*'); do
      case " $checked_opts " in *" $o "*) continue ;; esac
      has "$work/help-all" "$o" || fail "$where: no program has the option $o"
    done
  done <"$guide"
done

# ---- the screenshots program ---------------------------------------------------------------------
shots=$work/shots
if ! "$bin/mirelune-screenshots" "$shots" >"$work/shots.out" 2>"$work/shots.err"; then
  fail "mirelune-screenshots failed: $(grep -v 'This plugin does not support' "$work/shots.err" | head -5)"
fi
(cd "$images" && ls *.png) | sort >"$work/expected"
(cd "$shots" 2>/dev/null && ls *.png) | sort >"$work/drawn"
[ -s "$work/expected" ] || fail "docs/images holds no picture"
while read -r r; do
  grep -qx -- "$r" "$work/expected" || fail "$r is shown by a guide but not drawn by mirelune-screenshots"
done < <(sort -u "$work/referenced" 2>/dev/null)
while read -r p; do
  grep -qx -- "$p" "$work/drawn" || { fail "mirelune-screenshots did not draw $p"; continue; }
  f=$shots/$p
  [ "$(head -c 8 "$f" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || { fail "$p is no PNG"; continue; }
  # IHDR: width and height, 4 bytes each, big-endian, at offset 16.
  w=$((16#$(od -An -tx1 -j16 -N4 "$f" | tr -d ' \n')))
  h=$((16#$(od -An -tx1 -j20 -N4 "$f" | tr -d ' \n')))
  [ "$w" -gt 50 ] && [ "$h" -gt 50 ] || fail "$p is $w x $h pixels"
done <"$work/expected"
while read -r p; do
  grep -qx -- "$p" "$work/expected" || fail "mirelune-screenshots draws $p, which docs/images lacks"
done <"$work/drawn"

if [ $failures -gt 0 ]; then
  echo "$failures problems"
  exit 1
fi
echo "guides checked: ${guides[*]}"
