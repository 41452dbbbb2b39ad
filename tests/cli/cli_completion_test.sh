# SPDX-License-Identifier: GPL-3.0-or-later
# Tab completion: the bash script `mirelune-cli completion bash` prints, sourced and run as bash
# runs it at a Tab (COMP_LINE up to the cursor), completes commands, options, the named virtual
# amplifiers that exist, parameter names in both languages (an English name over several words),
# values after "=", mode numbers with their names, mode folder names and .sp files; what it
# completes is what the commands take. The zsh and fish scripts load and give the same
# candidates where those shells are installed (scripts/install-deps.sh installs them).
. "$(dirname "$0")/lib.sh"
export PATH="$(dirname "$CLI"):$PATH"
# Completion's own descriptions follow the locale; the candidates do not.
export LC_ALL=C.UTF-8 LANG=C.UTF-8

# Two named virtual amplifiers with a memory (a change makes one), a mode in the mode folder,
# and files of several kinds.
expect_rc 0 --device virtual:a set 1028=71
expect_rc 0 --device virtual:b set 1028=72
expect_rc 0 --device virtual:a modes pull 2
expect_rc 0 defaults -o room.sp
: >filters.txt
mkdir sub
cli completion bash >completion.bash || fail "completion bash"

# bash: the candidates of a line with the cursor at its end, as COMPREPLY holds them, one per
# line; COMP_WORDBREAKS as bash sets it.
cat >complete.sh <<'END'
. ./completion.bash
COMP_WORDBREAKS=$' \t\n"\'><=;|&(:'
COMP_LINE=$1 COMP_POINT=${#1}
_mirelune_cli
printf '%s\n' "${COMPREPLY[@]}"
END
complete_bash() { bash ./complete.sh "$1"; }
# expect LINE WANT...: every WANT is a candidate of LINE.
expect() {
  local line=$1 got
  shift
  got=$(complete_bash "$line") || fail "bash completion of '$line' failed"
  for want in "$@"; do
    printf '%s\n' "$got" | grep -qxF -- "$want" || fail "'$line' + Tab: no '$want' among: $(echo $got)"
  done
}
# only LINE WANT...: the candidates of LINE are exactly WANT... (in any order).
only() {
  local line=$1 got
  shift
  got=$(complete_bash "$line" | sort)
  [ "$got" = "$(printf '%s\n' "$@" | sort)" ] || fail "'$line' + Tab gives: $(echo $got); expected: $*"
}

only "mirelune-cli wri" write-mode
only "mirelune-cli --dev" --device
only "mirelune-cli --device virt" virtual virtual:a virtual:b
only "mirelune-cli --device virtual:" a b                # readline keeps what is before ':'
only "mirelune-cli --device=virtual:" a b
only "mirelune-cli --device hid,virtual:" a b            # lists name one more
only "mirelune-cli set 音乐总" 音乐总音量= 音乐总静音=
only "mirelune-cli set Music m" 'master\ volume=' 'master\ mute='
only "mirelune-cli get Music master v" volume
only "mirelune-cli set 4:音乐音" 音乐音量=                # readline keeps "4:"
only "mirelune-cli set --sound-mode 1 1028=70 Music master v" volume=
only "mirelune-cli set 3:混响模式=" 0 1 2 3 4               # the reverb mode's list entries
only "mirelune-cli set 1:High-pass frequency=8" 8Hz      # the unit after the number typed
only "mirelune-cli set 0=gain=300,q" 300,q=              # a band's fields (readline keeps "0=gain=")
only "mirelune-cli set --sound" --sound-mode
only "mirelune-cli set --sound-mode " 0 1
only "mirelune-cli eq " export fit import
only "mirelune-cli eq export room.sp --format " rew apo
only "mirelune-cli eq import filters.txt --page " 0 1 2 3 4 5 6 7
only "mirelune-cli modes push " "$(ls "$XDG_DATA_HOME/Mirelune/mode" | sed 's/\.sp$//; s/ /\\ /g')"
only "mirelune-cli help wr" write-mode
only "mirelune-cli completion " bash zsh fish
expect "mirelune-cli dump " room.sp sub                 # .sp files and folders, not filters.txt
complete_bash "mirelune-cli dump " | grep -qx filters.txt && fail "dump offers filters.txt"
expect "mirelune-cli eq import " filters.txt sub
expect "mirelune-cli run " - filters.txt room.sp
expect "mirelune-cli " defaults write-mode help
expect "mirelune-cli set 1028=70 -" --sound-mode --device --help
# Mode numbers with their names while there is a choice; the virtual amplifier's names.
names=$(complete_bash "mirelune-cli --device virtual:a write-mode ")
[ "$(echo "$names" | wc -l)" = 10 ] || fail "write-mode N: $(echo $names)"
echo "$names" | head -1 | grep -q '^1  (.\+)$' || fail "mode 1 without its name: $(echo "$names" | head -1)"
[ "$(complete_bash "mirelune-cli --device virtual:a write-mode 1" | cut -c1-4 | tr '\n' '|')" = "1  (|10  |" ] ||
  fail "write-mode 1 + Tab: $(complete_bash "mirelune-cli --device virtual:a write-mode 1")"
only "mirelune-cli --device virtual:a write-mode 3" 3   # one left: the number alone
# Nothing but the current word counts: no candidates after a complete operand list.
only "mirelune-cli diff room.sp room.sp "

# What completion offers, the commands take: an English name over several words, a value with
# the unit completion added.
expect_rc 0 --device virtual:a set Music master volume=25
expect_rc 0 --device virtual:a set 1:High-pass frequency=80Hz
expect_rc 0 --device virtual:a get Music master volume 256
grep -qx '2560=25' out.txt && grep -qx '256=74' out.txt || fail "the completed lines did not land: $(cat out.txt)"

# The hidden helper answers quickly and is not a command of the list.
cli --help 2>&1 | grep -q __complete && fail "--help lists the completion helper"
expect_rc 2 __complete nonsense
expect_rc 2 __complete

# zsh and fish: the scripts load and give the candidates bash gives.
if command -v zsh >/dev/null; then
  cli completion zsh >_mirelune-cli || fail "completion zsh"
  zsh_candidates() {
    zsh -f -c 'autoload -Uz compinit && compinit -u -D -d ./zcompdump && source ./_mirelune-cli &&
               [[ $_comps[mirelune-cli] == _mirelune-cli ]] || exit 3
               _mirelune_cli_candidates "$@" && print -l -- $reply' _ "$@"
  }
  [ "$(zsh_candidates mirelune-cli wri)" = write-mode ] || fail "zsh: wri -> $(zsh_candidates mirelune-cli wri)"
  [ "$(zsh_candidates mirelune-cli --device virt | sort | tr '\n' ' ')" = "virtual virtual:a virtual:b " ] ||
    fail "zsh: --device virt -> $(zsh_candidates mirelune-cli --device virt)"
  [ "$(zsh_candidates mirelune-cli set Music m | sort | tr '\n' '|')" = "master mute=|master volume=|" ] ||
    fail "zsh: set Music m -> $(zsh_candidates mirelune-cli set Music m)"
  [ "$(zsh_candidates mirelune-cli eq "" | tr '\n' ' ')" = "export import fit " ] || fail "zsh: eq -> $(zsh_candidates mirelune-cli eq "")"
else
  echo "zsh not installed: its completion is not loaded here (scripts/install-deps.sh installs it)"
fi
if command -v fish >/dev/null; then
  cli completion fish >completion.fish || fail "completion fish"
  # fish's own completion machinery on a command line: `complete -C`.
  fish_candidates() {
    fish --no-config -c 'source ./completion.fish; or exit 3; complete -C"$argv[1]"' "$1" | cut -f1
  }
  [ "$(fish_candidates 'mirelune-cli wri')" = write-mode ] || fail "fish: wri -> $(fish_candidates 'mirelune-cli wri')"
  [ "$(fish_candidates 'mirelune-cli --dev')" = --device ] || fail "fish: --dev -> $(fish_candidates 'mirelune-cli --dev')"
  [ "$(fish_candidates 'mirelune-cli --device virt' | sort | tr '\n' ' ')" = "virtual virtual:a virtual:b " ] ||
    fail "fish: --device virt -> $(fish_candidates 'mirelune-cli --device virt')"
  fish_candidates 'mirelune-cli set 音乐总' | grep -qx '音乐总音量=' || fail "fish: set 音乐总 -> $(fish_candidates 'mirelune-cli set 音乐总')"
  fish_candidates 'mirelune-cli set Music m' | grep -qx 'master volume=' ||
    fail "fish: set Music m -> $(fish_candidates 'mirelune-cli set Music m')"
  [ "$(fish_candidates 'mirelune-cli write-mode ' | wc -l)" = 10 ] || fail "fish: write-mode N -> $(fish_candidates 'mirelune-cli write-mode ')"
else
  echo "fish not installed: its completion is not loaded here (scripts/install-deps.sh installs it)"
fi
echo ok
