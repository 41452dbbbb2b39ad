// SPDX-License-Identifier: GPL-3.0-or-later
// Shell completion. `completion bash|zsh|fish` prints a script made from the command table -
// the commands, their sub-commands, their options with what each value is, their operands -
// so the script never lags behind the tool. What only the tool knows at the moment of a Tab
// the script asks the hidden `__complete` (quick: no Qt application for anything but a mode
// name read from an amplifier):
//
//   __complete device [--] CUR             what --device takes: the USB amplifiers present
//                                          (listed, never opened), virtual, virtual:NAME of
//                                          every named one with a memory, all; after a comma,
//                                          the next of a list
//   __complete param|assign [--] CUR PREV...
//                                          get's PARAM and set's PARAM=VALUE: addresses,
//                                          KIND:NAME and NAME in Chinese and English (an
//                                          English name may span PREV's last words), and after
//                                          "=" the value's unit, list entries or band fields
//   __complete mode [--device D] [--] CUR  mode numbers 1..10 with the amplifier's names for
//                                          them (from its owner, or read within a second;
//                                          an amplifier another command holds is not waited for)
//   __complete modename [--] CUR           the files of the mode folder, by mode name
//   __complete commands | options CMD [SUB]
//                                          the table itself, for the scripts' tests
//
// Each answer is one candidate per line, "VALUE<TAB>DESCRIPTION" (the description may be
// empty); VALUE replaces CUR whole. Descriptions are in the user's language (--lang L before
// the kind, else the locale's).
#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <cctype>
#include <map>
#include <ostream>
#include <set>
#include <sstream>

#include "modes/mode_folder.h"
#include "cli/assignments.h"
#include "cli/command.h"
#include "cli/device_session.h"
#include "cli/help.h"
#include "cli/language.h"
#include "cli/through_owner.h"
#include "link/frame_codec.h"
#include "link/usb_comm.h"
#include "model/ansi_text.h"
#include "model/band_fields.h"
#include "model/option_lists.h"
#include "model/param_names.h"
#include "model/param_ranges.h"
#include "model/param_record.h"
#include "model/store.h"
#include "model/value_text.h"
#include "owner/device_address.h"
#include "owner/device_lock.h"
#include "platform/hid_discovery.h"
#include "sim/virtual_state.h"

namespace mirelune::cli {
namespace {

// How long a Tab may wait for an amplifier that nobody holds to tell its mode names.
constexpr int kModeNamesLimitMs = 1000;

// ---- The command table as the scripts read it -------------------------------------------------

// What a value is, as one word of the scripts: "device", "param", "assign", "mode", "modename",
// "script", "file:EXT,EXT", "choice:A,B", "text".
std::string KindWord(const Value& v) {
  switch (v.kind) {
    case Value::Number: {
      if (v.hi - v.lo > 20) return "text";
      std::string s = "choice:";
      for (long n = v.lo; n <= v.hi; ++n) s += (n > v.lo ? "," : "") + std::to_string(n);
      return s;
    }
    case Value::Choice: {
      std::string s = "choice:";
      for (size_t i = 0; i < v.choices.size(); ++i) s += (i ? "," : "") + v.choices[i];
      return s;
    }
    case Value::File:
      return "file:" + v.extensions;
    case Value::Script:
      return "script";
    case Value::Device:
      return "device";
    case Value::Param:
      return "param";
    case Value::Assignment:
      return "assign";
    case Value::Mode:
      return "mode";
    case Value::ModeName:
      return "modename";
    case Value::Text:
      break;
  }
  return "text";
}

// "--page=choice:0,..,7 -o=file:sp --output=file:sp --json": each option (and its short name)
// with the kind of its value; flags alone.
std::string OptionWords(const std::vector<OptionSpec>& options) {
  std::string s;
  for (const OptionSpec& o : options)
    for (const std::string& name : {o.shortName, o.name}) {
      if (name.empty()) continue;
      s += (s.empty() ? "" : " ") + name + (o.TakesValue() ? "=" + KindWord(o.value) : "");
    }
  return s;
}

// The kinds of the operands in order, the last with '*' when it repeats: "mode file:sp",
// "assign*".
std::string OperandWords(const std::vector<OperandSpec>& operands) {
  std::string s;
  for (const OperandSpec& o : operands) {
    const int times = o.max < 0 ? 1 : o.max;
    for (int i = 0; i < times; ++i)
      s += (s.empty() ? "" : " ") + KindWord(o.value) + (o.max < 0 ? "*" : "");
  }
  return s;
}

// One entry of the scripts' tables: a command, or a command and its sub-command (whose options
// include the command's own).
struct Entry {
  std::string key;  // "set", "eq export"
  std::string options;
  std::string operands;
};

std::vector<Entry> Entries() {
  std::vector<Entry> out;
  for (const Command* c : ListedCommands()) {
    out.push_back({c->name, OptionWords(c->syntax.options),
                   c->syntax.subs.empty() ? OperandWords(c->syntax.operands) : ""});
    for (const SubCommand& s : c->syntax.subs) {
      std::vector<OptionSpec> options = c->syntax.options;
      options.insert(options.end(), s.syntax.options.begin(), s.syntax.options.end());
      out.push_back(
          {c->name + " " + s.name, OptionWords(options), OperandWords(s.syntax.operands)});
    }
  }
  return out;
}

std::string CommandNames() {
  std::string s;
  for (const Command* c : ListedCommands()) s += (s.empty() ? "" : " ") + c->name;
  return s;
}

std::map<std::string, std::string> SubNames() {
  std::map<std::string, std::string> out;
  for (const Command* c : ListedCommands())
    for (const SubCommand& s : c->syntax.subs)
      out[c->name] += (out[c->name].empty() ? "" : " ") + s.name;
  return out;
}

// ---- The scripts
// ----------------------------------------------------------------------------------

// A word in single quotes for bash, zsh and fish alike (the table's words hold no quote).
std::string Quoted(const std::string& s) { return "'" + s + "'"; }

const char kBashHead[] =
    R"SH(# bash completion for mirelune-cli                         -*- shell-script -*-
# Made by `mirelune-cli completion bash` from the tool's command table; the amplifiers,
# parameters, values and modes come from `mirelune-cli __complete` at each Tab.
# Install: /usr/share/bash-completion/completions/mirelune-cli (the package does), or
# `source <(mirelune-cli completion bash)` in ~/.bashrc.
)SH";

const char kBashBody[] = R"SH(
# The line up to the cursor in words as the shell reads them (quotes and backslashes taken
# off); the last word is the one completed, "" after a blank. Sets _mirelune_cli_w and, when
# the last word is inside an open quote, _mirelune_cli_quote.
_mirelune_cli_split() {
  local line=$1 word= quote= started= i c
  _mirelune_cli_w=()
  for ((i = 0; i < ${#line}; i++)); do
    c=${line:i:1}
    if [[ -n $quote ]]; then
      if [[ $c == "$quote" ]]; then
        quote=
      elif [[ $c == '\' && $quote == '"' ]]; then
        ((i++))
        word+=${line:i:1}
      else
        word+=$c
      fi
    elif [[ $c == '\' ]]; then
      ((i++))
      word+=${line:i:1}
      started=1
    elif [[ $c == "'" || $c == '"' ]]; then
      quote=$c
      started=1
    elif [[ $c == ' ' || $c == $'\t' ]]; then
      [[ -n $started ]] && _mirelune_cli_w+=("$word")
      word= started=
    else
      word+=$c
      started=1
    fi
  done
  _mirelune_cli_w+=("$word")
  _mirelune_cli_quote=$quote
}

# The kind of option $2's value for table entry $1 in REPLY ("" for a flag); fails for an
# option the entry does not have.
_mirelune_cli_option_kind() {
  local optionRow
  for optionRow in ${_mirelune_cli_options[global]} ${_mirelune_cli_options[${1:-.}]}; do
    if [[ ${optionRow%%=*} == "$2" ]]; then
      REPLY=
      [[ $optionRow == *=* ]] && REPLY=${optionRow#*=}
      return 0
    fi
  done
  return 1
}

# The candidates for the words "$@" (the program, its arguments, the word completed last):
# _mirelune_cli_values and _mirelune_cli_descs (from the tool), _mirelune_cli_files (the
# extensions of a file name, "any" for any, with "-" for a script's standard input) and
# _mirelune_cli_prefix (what the shell keeps before the values: "--option=").
_mirelune_cli_candidates() {
  local -a w=("$@") ops=()
  local n=${#w[@]} cur=${w[$# - 1]} cmd= sub= device= want= key= kind= i word optionRow line
  _mirelune_cli_values=() _mirelune_cli_descs=() _mirelune_cli_files= _mirelune_cli_prefix=
  for ((i = 1; i < n - 1; i++)); do
    word=${w[i]}
    if [[ -n $want ]]; then
      [[ $want == device ]] && device=$word
      want=
      continue
    fi
    if [[ $word == --[a-zA-Z]* || $word == -[a-zA-Z] ]]; then
      key=$cmd${sub:+ $sub}
      if [[ $word == *=* ]]; then
        [[ ${word%%=*} == --device ]] && device=${word#*=}
      elif _mirelune_cli_option_kind "$key" "$word" && [[ -n $REPLY ]]; then
        want=$REPLY
      fi
      continue
    fi
    if [[ -z $cmd ]]; then
      cmd=$word
    elif [[ -n ${_mirelune_cli_subs[$cmd]} && -z $sub ]]; then
      sub=$word
    else
      ops+=("$word")
    fi
  done
  key=$cmd${sub:+ $sub}
  if [[ -n $want ]]; then
    kind=$want
  elif [[ $cur == --[a-zA-Z]*=* ]] && _mirelune_cli_option_kind "$key" "${cur%%=*}"; then
    kind=$REPLY _mirelune_cli_prefix=${cur%%=*}= cur=${cur#*=}
  elif [[ $cur == --* || $cur == -[a-zA-Z]* || ($cur == - && -n $cmd && $cmd != run) ]]; then
    kind=options
  elif [[ -z $cmd || ($cmd == help && ${#ops[@]} -eq 0) ]]; then
    kind=commands
  elif [[ -n ${_mirelune_cli_subs[$cmd]} && -z $sub ]]; then
    kind=choice:${_mirelune_cli_subs[$cmd]// /,}
  else
    local -a kinds
    read -ra kinds <<<"${_mirelune_cli_operands[${key:-.}]}"  # no globbing of "mode*"
    local at=${#ops[@]} last=$((${#kinds[@]} - 1))
    if ((at <= last)); then
      kind=${kinds[at]}
    elif ((last >= 0)) && [[ ${kinds[last]} == *'*' ]]; then
      kind=${kinds[last]}
    fi
    kind=${kind%'*'}
  fi
  case $kind in
    commands)
      for word in $_mirelune_cli_commands help; do
        [[ $word == "$cur"* ]] && _mirelune_cli_values+=("$word")
      done ;;
    options)
      for optionRow in ${_mirelune_cli_options[global]} ${_mirelune_cli_options[${key:-.}]} --help; do
        word=${optionRow%%=*}
        [[ $word == "$cur"* ]] && _mirelune_cli_values+=("$word")
      done ;;
    choice:*)
      word=${kind#choice:}
      for word in ${word//,/ }; do
        [[ $word == "$cur"* ]] && _mirelune_cli_values+=("$word")
      done ;;
    file:*)
      _mirelune_cli_files=${kind#file:}
      [[ -z $_mirelune_cli_files ]] && _mirelune_cli_files=any ;;
    script)
      _mirelune_cli_files=any,- ;;
    device | param | assign | mode | modename)
      local -a ask=("${w[0]}" __complete "$kind")
      [[ $kind == mode && -n $device ]] && ask+=(--device "$device")
      ask+=(-- "$cur")
      [[ $kind == param || $kind == assign ]] && ask+=("${ops[@]}")
      while IFS= read -r line; do
        _mirelune_cli_values+=("${line%%$'\t'*}")
        _mirelune_cli_descs+=("${line#*$'\t'}")
      done < <("${ask[@]}" 2>/dev/null) ;;
  esac
  _mirelune_cli_cur=$cur
  _mirelune_cli_kind=$kind
  return 0
}

_mirelune_cli() {
  local line=${COMP_LINE:0:COMP_POINT} value out full cut=0 i j ch nospace= ext f
  _mirelune_cli_split "$line"
  _mirelune_cli_candidates "${_mirelune_cli_w[@]}"
  COMPREPLY=()
  if [[ -n $_mirelune_cli_files ]]; then
    compopt -o filenames 2>/dev/null
    [[ ,$_mirelune_cli_files, == *,-,* && - == "$_mirelune_cli_cur"* ]] && COMPREPLY+=(-)
    while IFS= read -r f; do
      if [[ -d $f ]]; then
        COMPREPLY+=("$f")
        continue
      fi
      for ext in ${_mirelune_cli_files//,/ }; do
        if [[ $ext == any || ${f,,} == *."${ext,,}" ]]; then
          COMPREPLY+=("$f")
          break
        fi
      done
    done < <(compgen -f -- "$_mirelune_cli_cur")
    return 0
  fi
  # Readline replaces only what follows the last '=' or ':' of the word (COMP_WORDBREAKS).
  full=$_mirelune_cli_prefix$_mirelune_cli_cur
  for ((j = ${#full} - 1; j >= 0; j--)); do
    ch=${full:j:1}
    if [[ ($ch == '=' || $ch == ':') && $COMP_WORDBREAKS == *"$ch"* ]]; then
      cut=$((j + 1))
      break
    fi
  done
  local many=$((${#_mirelune_cli_values[@]} > 1))
  for ((j = 0; j < ${#_mirelune_cli_values[@]}; j++)); do
    value=$_mirelune_cli_prefix${_mirelune_cli_values[j]}
    [[ $value == *[=:,] ]] && nospace=1
    value=${value:cut}
    if [[ -z $_mirelune_cli_quote ]]; then
      out=
      for ((i = 0; i < ${#value}; i++)); do
        ch=${value:i:1}
        case $ch in
          [[:space:]\'\"\\\$\`\!\&\;\|\<\>\(\)\*\?\[\]\#\~\{\}]) out+="\\$ch" ;;
          *) out+=$ch ;;
        esac
      done
      value=$out
    fi
    # Mode numbers show their names while there is a choice.
    if ((many)) && [[ $_mirelune_cli_kind == mode && -n ${_mirelune_cli_descs[j]} ]]; then
      value="$value  (${_mirelune_cli_descs[j]})"
    fi
    COMPREPLY+=("$value")
  done
  [[ -n $nospace ]] && compopt -o nospace 2>/dev/null
  return 0
}
complete -F _mirelune_cli mirelune-cli
)SH";

std::string BashScript() {
  std::ostringstream s;
  s << kBashHead << "\n_mirelune_cli_commands=" << Quoted(CommandNames()) << "\n";
  s << "declare -gA _mirelune_cli_subs=(";
  for (const auto& [cmd, subs] : SubNames()) s << "\n  [" << cmd << "]=" << Quoted(subs);
  s << "\n)\ndeclare -gA _mirelune_cli_options=(\n  [global]="
    << Quoted(OptionWords(GlobalOptions()));
  for (const Entry& e : Entries())
    if (!e.options.empty()) s << "\n  [" << Quoted(e.key) << "]=" << Quoted(e.options);
  s << "\n)\ndeclare -gA _mirelune_cli_operands=(";
  for (const Entry& e : Entries())
    if (!e.operands.empty()) s << "\n  [" << Quoted(e.key) << "]=" << Quoted(e.operands);
  s << "\n)\n";
  std::string body = kBashBody;
  return s.str() + body;
}

const char kZshBody[] = R"SH(
# The kind of option $2's value for table entry $1 in REPLY ("" for a flag); fails for an
# option the entry does not have.
_mirelune_cli_option_kind() {
  local optionRow
  for optionRow in ${=_mirelune_cli_options[global]} ${=_mirelune_cli_options[${1:-.}]}; do
    if [[ ${optionRow%%=*} == "$2" ]]; then
      REPLY=
      [[ $optionRow == *=* ]] && REPLY=${optionRow#*=}
      return 0
    fi
  done
  return 1
}

# The candidates for the words "$@" (the program, its arguments, the word completed last):
# reply (values), _mirelune_cli_descs, _mirelune_cli_files (the extensions of a file name,
# "any" for any, with "-" for standard input) and _mirelune_cli_prefix ("--option=").
_mirelune_cli_candidates() {
  local -a w ops kinds ask
  w=("$@")
  local n=$#w cur=$w[-1] cmd= sub= device= want= key= kind= i word optionRow line
  reply=() _mirelune_cli_descs=() _mirelune_cli_files= _mirelune_cli_prefix=
  for ((i = 2; i < n; i++)); do
    word=$w[i]
    if [[ -n $want ]]; then
      [[ $want == device ]] && device=$word
      want=
      continue
    fi
    if [[ $word == --[a-zA-Z]* || $word == -[a-zA-Z] ]]; then
      key=$cmd${sub:+ $sub}
      if [[ $word == *=* ]]; then
        [[ ${word%%=*} == --device ]] && device=${word#*=}
      elif _mirelune_cli_option_kind "$key" "$word" && [[ -n $REPLY ]]; then
        want=$REPLY
      fi
      continue
    fi
    if [[ -z $cmd ]]; then
      cmd=$word
    elif [[ -n ${_mirelune_cli_subs[$cmd]} && -z $sub ]]; then
      sub=$word
    else
      ops+=("$word")
    fi
  done
  key=$cmd${sub:+ $sub}
  if [[ -n $want ]]; then
    kind=$want
  elif [[ $cur == --[a-zA-Z]*=* ]] && _mirelune_cli_option_kind "$key" "${cur%%=*}"; then
    kind=$REPLY _mirelune_cli_prefix=${cur%%=*}= cur=${cur#*=}
  elif [[ $cur == --* || $cur == -[a-zA-Z]* || ($cur == - && -n $cmd && $cmd != run) ]]; then
    kind=options
  elif [[ -z $cmd || ($cmd == help && $#ops -eq 0) ]]; then
    kind=commands
  elif [[ -n ${_mirelune_cli_subs[$cmd]} && -z $sub ]]; then
    kind=choice:${_mirelune_cli_subs[$cmd]// /,}
  else
    kinds=(${=_mirelune_cli_operands[${key:-.}]})
    local at=$(($#ops + 1))
    if ((at <= $#kinds)); then
      kind=$kinds[at]
    elif (($#kinds)) && [[ $kinds[-1] == *'*' ]]; then
      kind=$kinds[-1]
    fi
    kind=${kind%\*}
  fi
  case $kind in
    commands)
      for word in ${=_mirelune_cli_commands} help; do
        [[ $word == "$cur"* ]] && reply+=("$word")
      done ;;
    options)
      for optionRow in ${=_mirelune_cli_options[global]} ${=_mirelune_cli_options[${key:-.}]} --help; do
        word=${optionRow%%=*}
        [[ $word == "$cur"* ]] && reply+=("$word")
      done ;;
    choice:*)
      for word in ${(s:,:)kind#choice:}; do
        [[ $word == "$cur"* ]] && reply+=("$word")
      done ;;
    file:*)
      _mirelune_cli_files=${kind#file:}
      [[ -z $_mirelune_cli_files ]] && _mirelune_cli_files=any ;;
    script)
      _mirelune_cli_files=any,- ;;
    device|param|assign|mode|modename)
      ask=("$w[1]" __complete "$kind")
      [[ $kind == mode && -n $device ]] && ask+=(--device "$device")
      ask+=(-- "$cur")
      [[ $kind == param || $kind == assign ]] && ask+=("${ops[@]}")
      for line in "${(@f)$("${ask[@]}" 2>/dev/null)}"; do
        [[ -z $line ]] && continue
        reply+=("${line%%$'\t'*}")
        _mirelune_cli_descs+=("${line#*$'\t'}")
      done ;;
  esac
  return 0
}

_mirelune-cli() {
  local -a words_ spaced closed descs_spaced descs_closed
  local i v d pattern ext
  words_=("${(@Q)words[1,CURRENT]}")
  _mirelune_cli_candidates "${words_[@]}"
  if [[ -n $_mirelune_cli_files ]]; then
    [[ ,$_mirelune_cli_files, == *,-,* ]] && compadd -- -
    if [[ $_mirelune_cli_files == any* ]]; then
      _files
    else
      pattern=
      for ext in ${(s:,:)_mirelune_cli_files}; do pattern+="${pattern:+|}*.(#i)$ext"; done
      _files -g "($pattern)(-.)"
    fi
    return
  fi
  for ((i = 1; i <= $#reply; i++)); do
    v=$_mirelune_cli_prefix$reply[i]
    d=$reply[i]
    [[ -n $_mirelune_cli_descs[i] ]] && d="$reply[i]  -- $_mirelune_cli_descs[i]"
    if [[ $v == *[=:,] ]]; then
      closed+=("$v")
      descs_closed+=("$d")
    else
      spaced+=("$v")
      descs_spaced+=("$d")
    fi
  done
  (($#spaced)) && compadd -U -l -d descs_spaced -a spaced
  (($#closed)) && compadd -U -l -S '' -d descs_closed -a closed
  return 0
}

if [[ $zsh_eval_context[-1] == loadautofunc ]]; then
  _mirelune-cli "$@"
else
  compdef _mirelune-cli mirelune-cli
fi
)SH";

std::string ZshScript() {
  std::ostringstream s;
  s << "#compdef mirelune-cli\n"
       "# zsh completion for mirelune-cli, made by `mirelune-cli completion zsh` from the tool's\n"
       "# command table; the amplifiers, parameters, values and modes come from\n"
       "# `mirelune-cli __complete` at each Tab. Install: a folder of $fpath as _mirelune-cli\n"
       "# (the package uses /usr/share/zsh/vendor-completions), or source it after compinit.\n\n"
    << "typeset -g _mirelune_cli_commands=" << Quoted(CommandNames()) << "\n"
    << "typeset -gA _mirelune_cli_subs _mirelune_cli_options _mirelune_cli_operands\n"
    << "_mirelune_cli_subs=(";
  for (const auto& [cmd, subs] : SubNames()) s << "\n  " << cmd << " " << Quoted(subs);
  s << "\n)\n_mirelune_cli_options=(\n  global " << Quoted(OptionWords(GlobalOptions()));
  for (const Entry& e : Entries())
    if (!e.options.empty()) s << "\n  " << Quoted(e.key) << " " << Quoted(e.options);
  s << "\n)\n_mirelune_cli_operands=(";
  for (const Entry& e : Entries())
    if (!e.operands.empty()) s << "\n  " << Quoted(e.key) << " " << Quoted(e.operands);
  s << "\n)\n";
  return s.str() + kZshBody;
}

const char kFishBody[] = R"SH(
# The kind of option $argv[2]'s value for table entry $argv[1] ("" for a flag); fails for an
# option the entry does not have.
function __mirelune_cli_option_kind
    for optionRow in (__mirelune_cli_options global) (__mirelune_cli_options $argv[1])
        set -l parts (string split -m 1 = -- $optionRow)
        if test "$parts[1]" = "$argv[2]"
            echo "$parts[2]"
            return 0
        end
    end
    return 1
end

# The candidates for the words $argv (the program, its arguments, the word completed last),
# one "VALUE<TAB>DESCRIPTION" per line; file names through fish's own completion.
function __mirelune_cli_candidates
    set -l w $argv
    set -l cur $w[-1]
    set -l cmd
    set -l sub
    set -l device
    set -l want
    set -l ops
    set -l kind
    set -l prefix ''
    set -l middle
    test (count $w) -gt 2; and set middle $w[2..-2]
    for word in $middle
        if test -n "$want"
            test "$want" = device; and set device $word
            set want
            continue
        end
        if string match -qr -- '^(--[a-zA-Z].*|-[a-zA-Z])$' $word
            set -l key (string trim -- "$cmd $sub")
            if string match -q -- '*=*' $word
                test (string split -m 1 = -- $word)[1] = --device; and set device (string split -m 1 = -- $word)[2]
            else
                set -l k (__mirelune_cli_option_kind "$key" $word); and test -n "$k"; and set want $k
            end
            continue
        end
        if test -z "$cmd"
            set cmd $word
        else if test -n "$(__mirelune_cli_subs $cmd)" -a -z "$sub"
            set sub $word
        else
            set -a ops $word
        end
    end
    set -l key (string trim -- "$cmd $sub")
    if test -n "$want"
        set kind $want
    else if string match -qr -- '^--[a-zA-Z].*=' $cur; and set -l k (__mirelune_cli_option_kind "$key" (string split -m 1 = -- $cur)[1])
        set kind $k
        set prefix (string split -m 1 = -- $cur)[1]=
        set cur (string split -m 1 = -- $cur)[2]
    else if string match -qr -- '^(--|-[a-zA-Z])' $cur; or begin; test "$cur" = -; and test -n "$cmd" -a "$cmd" != run; end
        set kind options
    else if test -z "$cmd"; or begin; test "$cmd" = help; and test (count $ops) -eq 0; end
        set kind commands
    else if test -n "$(__mirelune_cli_subs $cmd)" -a -z "$sub"
        set kind choice:(string join , (__mirelune_cli_subs $cmd))
    else
        set -l kinds (__mirelune_cli_operands $key)
        set -l at (math (count $ops) + 1)
        if test $at -le (count $kinds)
            set kind $kinds[$at]
        else if test (count $kinds) -gt 0; and string match -q -- '*\*' $kinds[-1]
            set kind $kinds[-1]
        end
        set kind (string replace -r -- '\*$' '' "$kind")
    end
    switch "$kind"
        case commands
            for word in $__mirelune_cli_commands help
                string match -q -- "$cur*" $word; and echo $word
            end
        case options
            for optionRow in (__mirelune_cli_options global) (__mirelune_cli_options $key) --help
                set -l word (string split -m 1 = -- $optionRow)[1]
                string match -q -- "$cur*" $word; and echo $word
            end
        case 'choice:*'
            for word in (string split , -- (string replace choice: '' -- $kind))
                string match -q -- "$cur*" $word; and echo $prefix$word
            end
        case 'file:*'
            set -l exts (string split , -- (string replace file: '' -- $kind))
            if test -z "$exts"
                __fish_complete_path $cur
            else
                for ext in $exts
                    __fish_complete_suffix $cur .$ext
                end
            end
        case script
            echo -
            __fish_complete_path $cur
        case device param assign mode modename
            set -l ask $w[1] __complete $kind
            test $kind = mode -a -n "$device"; and set -a ask --device $device
            set -a ask -- $cur
            contains $kind param assign; and set -a ask $ops
            for line in (command $ask 2>/dev/null)
                echo $prefix$line
            end
    end
end

# The word completed is always passed, "" after a blank.
function __mirelune_cli_complete
    set -l cur (commandline -ct)
    __mirelune_cli_candidates (commandline -opc) "$cur"
end

complete -c mirelune-cli -f -a '(__mirelune_cli_complete)'
)SH";

std::string FishList(const std::string& words) {
  std::string s;
  std::istringstream in(words);
  for (std::string w; in >> w;) s += " " + Quoted(w);
  return s;
}

std::string FishScript() {
  std::ostringstream s;
  s << "# fish completion for mirelune-cli, made by `mirelune-cli completion fish` from the\n"
       "# tool's command table; the amplifiers, parameters, values and modes come from\n"
       "# `mirelune-cli __complete` at each Tab. Install: a folder of $fish_complete_path (the\n"
       "# package uses /usr/share/fish/vendor_completions.d) as mirelune-cli.fish.\n\n"
    << "set -g __mirelune_cli_commands" << FishList(CommandNames()) << "\n\n"
    << "function __mirelune_cli_subs\n    switch $argv[1]\n";
  for (const auto& [cmd, subs] : SubNames())
    s << "        case " << Quoted(cmd) << "\n            printf '%s\\n'" << FishList(subs) << "\n";
  s << "    end\nend\n\nfunction __mirelune_cli_options\n    switch $argv[1]\n"
    << "        case global\n            printf '%s\\n'" << FishList(OptionWords(GlobalOptions()))
    << "\n";
  for (const Entry& e : Entries())
    if (!e.options.empty())
      s << "        case " << Quoted(e.key) << "\n            printf '%s\\n'" << FishList(e.options)
        << "\n";
  s << "    end\nend\n\nfunction __mirelune_cli_operands\n    switch $argv[1]\n";
  for (const Entry& e : Entries())
    if (!e.operands.empty())
      s << "        case " << Quoted(e.key) << "\n            printf '%s\\n'"
        << FishList(e.operands) << "\n";
  s << "    end\nend\n";
  return s.str() + kFishBody;
}

int Completion(Context& ctx, const Args& args) {
  const std::string& shell = args.operands[0];
  ctx.out << (shell == "bash" ? BashScript() : shell == "zsh" ? ZshScript() : FishScript());
  return kExitOk;
}

// ---- What only the tool knows ------------------------------------------------------------------

struct Candidate {
  std::string value;
  std::string description;
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// `text` starts with `prefix`; English letters without regard to case, as ResolveParam reads
// names.
bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && Lower(text.substr(0, prefix.size())) == Lower(prefix);
}

bool English() { return LocaleLanguage() == "en"; }

std::vector<Candidate> Devices(const std::string& cur) {
  const size_t comma = cur.rfind(',');
  const std::string head = comma == std::string::npos ? "" : cur.substr(0, comma + 1);
  const std::string part = cur.substr(head.size());
  std::vector<Candidate> all;
  const std::vector<HidDeviceInfo> hid =
      EnumerateHidAmplifiers(kAmplifierVendorId, kAmplifierProductId);
  all.push_back({"hid", hid.size() == 1 ? "USB" : std::to_string(hid.size()) + " USB"});
  for (size_t i = 0; i < hid.size(); ++i) {
    DeviceTarget t;
    t.hid = hid[i];
    t.identity = IdentityOf(hid, i);
    std::string about = "USB " + (hid[i].location.empty() ? hid[i].path : hid[i].location);
    LockHolder holder;
    if (FindHolder(t.LockKey(), holder)) about += ", " + holder.Text();
    all.push_back({"hid:" + std::to_string(i), t.Label() + " (" + about + ")"});
    all.push_back({t.Label(), "hid:" + std::to_string(i) + " (" + about + ")"});
  }
  all.push_back({"virtual", ""});
  for (const std::string& name : NamedVirtualAmplifiers()) all.push_back({"virtual:" + name, ""});
  all.push_back({"all", ""});
  std::vector<Candidate> out;
  std::set<std::string> seen;
  for (const Candidate& c : all)
    if (StartsWith(c.value, part) && seen.insert(c.value).second)
      out.push_back({head + c.value, c.description});
  return out;
}

// Every way a parameter is named, with what it means in the other language.
struct NameForm {
  std::string text;
  int address;
  std::string about;  // the other language's name and the address(es)
  bool qualified;     // KIND:NAME
};

const std::vector<NameForm>& NameForms() {
  static const std::vector<NameForm> forms = [] {
    std::map<std::string, std::vector<int>> bare;  // lower-case name -> addresses
    for (const NamedParam& n : AllParamNames()) {
      bare[Lower(n.zh)].push_back(n.address);
      if (n.en != n.zh) bare[Lower(n.en)].push_back(n.address);
    }
    std::vector<NameForm> out;
    std::set<std::string> added;
    for (const NamedParam& n : AllParamNames()) {
      const std::string kind = std::to_string(n.address / 256) + ":";
      for (const auto& [name, other] : {std::pair{n.zh, n.en}, std::pair{n.en, n.zh}}) {
        std::string where;
        for (int a : bare[Lower(name)])
          where += (where.empty() ? "" : ", ") + QualifiedName(a) + " " + std::to_string(a);
        if (added.insert(name).second)
          out.push_back({name, n.address, other + " (" + where + ")", false});
        out.push_back(
            {kind + name, n.address, other + " (" + std::to_string(n.address) + ")", true});
      }
    }
    return out;
  }();
  return forms;
}

std::string JoinWords(const std::vector<std::string>& words, size_t from) {
  std::string s;
  for (size_t i = from; i < words.size(); ++i) s += (i > from ? " " : "") + words[i];
  return s;
}

// The words a name of several words may have begun with: the operands before the current one
// after the last that holds a VALUE of its own.
std::vector<std::string> NameTail(const std::vector<std::string>& before, bool assign) {
  size_t from = 0;
  if (assign)
    for (size_t i = 0; i < before.size(); ++i)
      if (before[i].find('=') != std::string::npos) from = i + 1;
  if (before.size() - from > kMaxNameWords - 1) from = before.size() - (kMaxNameWords - 1);
  return {before.begin() + static_cast<long>(from), before.end()};
}

std::vector<Candidate> ValueCandidates(int address, const std::string& head,
                                       const std::string& value) {
  std::vector<Candidate> out;
  const bool english = English();
  if (StartUpStore().ParamTable.at(0, address).Kind == kEqBand) {
    // A band's field list: the field being written, or the value of shape and off.
    const size_t comma = value.rfind(',');
    const std::string done = head + (comma == std::string::npos ? "" : value.substr(0, comma + 1));
    const std::string field = comma == std::string::npos ? value : value.substr(comma + 1);
    const size_t eq = field.find('=');
    for (const BandFieldRange& f : BandFieldRanges()) {
      const std::string name = f.name;
      const std::string range = std::to_string(f.lo) + ".." + std::to_string(f.hi);
      if (eq == std::string::npos) {
        if (StartsWith(name, field)) out.push_back({done + name + "=", range});
      } else if (field.substr(0, eq) == name && (name == "shape" || name == "off")) {
        for (long v = f.lo; v <= f.hi; ++v) {
          const std::string text = std::to_string(v);
          if (StartsWith(text, field.substr(eq + 1))) out.push_back({done + name + "=" + text, ""});
        }
      }
    }
    return out;
  }
  if (const std::vector<OptionEntry>* list = OptionListOf(address)) {
    for (size_t i = 0; i < list->size(); ++i) {
      const std::string text = std::to_string(i);
      if (StartsWith(text, value))
        out.push_back({head + text, english ? (*list)[i].en : (*list)[i].zh});
    }
    return out;
  }
  const SliderRange* slider = SliderRangeOf(address);
  if (!slider) return out;
  const std::string unit = SliderUnit(address, slider->valueType);
  const std::string range = RangeText(slider->valueType, slider->maxValue, unit);
  double number = 0;
  std::string typedUnit;
  if (value.empty()) {
    // The two ends of the range as the console shows them.
    for (int position : {0, slider->maxValue}) {
      const std::string shown = ShownNumber(slider->valueType, position);
      out.push_back({head + shown + (shown == "OFF" ? "" : unit), range});
    }
  } else if (!unit.empty() && ReadNumberAndUnit(value, number, typedUnit) && typedUnit.empty() &&
             value.back() != 'k' && value.back() != 'K') {
    out.push_back({head + value + unit, range});
  } else if (StartsWith("OFF", value) &&
             RangeText(slider->valueType, slider->maxValue, unit).rfind("OFF", 0) == 0) {
    out.push_back({head + "OFF", range});
  }
  return out;
}

std::vector<Candidate> Params(const std::string& cur, const std::vector<std::string>& before,
                              bool assign) {
  std::vector<Candidate> out;
  const std::vector<std::string> tail = NameTail(before, assign);
  const size_t eq = assign ? cur.find('=') : std::string::npos;
  if (eq != std::string::npos) {
    // After "PARAM=": PARAM may have begun words earlier.
    for (size_t k = tail.size() + 1; k-- > 0;) {
      const std::string joined = JoinWords(tail, tail.size() - k);
      const std::string param = joined + (joined.empty() ? "" : " ") + cur.substr(0, eq);
      int address = 0;
      std::string ignored;
      if (ResolveParam(param, address, ignored))
        return ValueCandidates(address, cur.substr(0, eq + 1), cur.substr(eq + 1));
    }
    return out;
  }
  const std::string end = assign ? "=" : "";
  if (cur.empty() && (tail.empty() || !assign)) {
    // Nothing typed: the menu kinds, each a door to its names.
    for (int kind = 0; kind < kKindCount; ++kind)
      out.push_back(
          {std::to_string(kind) + ":", English() ? KindCaptionEn(kind) : KindCaption(kind)});
    return out;
  }
  const bool digits = !cur.empty() && cur.find_first_not_of("0123456789") == std::string::npos;
  for (size_t k = std::min(tail.size(), kMaxNameWords - 1) + 1; k-- > 0;) {
    const std::string joined = JoinWords(tail, tail.size() - k);
    const std::string prefix = joined + (joined.empty() ? "" : " ") + cur;
    const size_t skip = prefix.size() - cur.size();
    const bool qualified = prefix.find(':') != std::string::npos;
    for (const NameForm& f : NameForms())
      if (f.qualified == qualified && StartsWith(f.text, prefix))
        out.push_back({f.text.substr(skip) + end, f.about});
    if (k == 0 && digits) {
      for (int kind = 0; kind < kKindCount; ++kind)
        if (StartsWith(std::to_string(kind) + ":", cur))
          out.push_back(
              {std::to_string(kind) + ":", English() ? KindCaptionEn(kind) : KindCaption(kind)});
      for (const NamedParam& n : AllParamNames())
        if (StartsWith(std::to_string(n.address), cur))
          out.push_back({std::to_string(n.address) + end, QualifiedName(n.address)});
    }
    if (!out.empty()) return out;
  }
  return out;
}

// The names of the ten modes as the amplifier holds them; empty when it cannot tell quickly.
std::vector<std::string> ModeNames(Context& ctx, const std::string& device) {
  std::vector<DeviceAddress> addresses;
  std::vector<DeviceTarget> targets;
  DeviceCandidates candidates;
  std::string error;
  if (!ParseDeviceList(device, addresses, error)) return {};
  candidates.hid = EnumerateHidAmplifiers(kAmplifierVendorId, kAmplifierProductId);
  if (!ResolveDevices(addresses, candidates, false, targets, error)) return {};
  // An amplifier another command of this tool holds is not waited for.
  LockHolder holder;
  if (FindHolder(targets.front().LockKey(), holder) && holder.socket.empty()) return {};
  std::ostringstream quiet;
  Options options = ctx.options;
  options.device = targets.front().Label();
  Context probe{options, quiet, quiet};
  DeviceSession s(probe, "__complete");
  std::vector<std::string> names;
  if (s.ThroughOwner()) {
    QJsonObject reply;
    if (AskOwner(s, {{"op", "mode-names"}}, reply))
      for (const QJsonValue& v : reply.value("names").toArray())
        names.push_back(v.toString().toStdString());
    return names;
  }
  if (s.Ok() && s.Connect(kModeNamesLimitMs) && s.Request(ReadModeNames, 0, 0, "the mode names")) {
    const auto& p = s.link().ReplyPayload();
    const std::vector<uint8_t> bytes(p.begin(), p.begin() + kModeNameCount * kModeNameBytes);
    for (int n = 0; n < 10; ++n)
      names.push_back(BytesToText(bytes, static_cast<size_t>(n) * kModeNameBytes));
  }
  s.Finish(kExitOk);
  return names;
}

std::vector<Candidate> Modes(Context& ctx, const std::string& device, const std::string& cur) {
  const std::vector<std::string> names = ModeNames(ctx, device);
  std::vector<Candidate> out;
  for (int n = 1; n <= 10; ++n) {
    const std::string text = std::to_string(n);
    if (!StartsWith(text, cur)) continue;
    const size_t i = static_cast<size_t>(n - 1);
    out.push_back({text, i < names.size() ? names[i] : ""});
  }
  return out;
}

std::vector<Candidate> ModeFiles(const std::string& cur) {
  std::vector<Candidate> out;
  for (const std::string& name : ModeFolder(ModeFolder::DefaultPath()).List())
    if (name.rfind(cur, 0) == 0) out.push_back({name, ""});
  return out;
}

int Complete(Context& ctx, const Args& args) {
  std::vector<std::string> words = args.operands;
  std::string device = "hid", language;
  // The helper's own options, before "--".
  std::vector<std::string> rest;
  size_t i = 0;
  for (; i < words.size(); ++i) {
    if (words[i] == "--") {
      ++i;
      break;
    }
    if ((words[i] == "--device" || words[i] == "--lang") && i + 1 < words.size()) {
      (words[i] == "--device" ? device : language) = words[i + 1];
      ++i;
      continue;
    }
    rest.push_back(words[i]);
  }
  rest.insert(rest.end(), words.begin() + static_cast<long>(i), words.end());
  if (rest.empty()) return UsageError(ctx.err, "__complete", "what to complete?");
  UseLanguage(language);
  const std::string kind = rest[0];
  const std::string cur = rest.size() > 1 ? rest[1] : "";
  const std::vector<std::string> before(
      rest.begin() + std::min<long>(2, static_cast<long>(rest.size())), rest.end());
  std::vector<Candidate> out;
  if (kind == "device") {
    out = Devices(cur);
  } else if (kind == "param" || kind == "assign") {
    out = Params(cur, before, kind == "assign");
  } else if (kind == "mode") {
    out = Modes(ctx, device, cur);
  } else if (kind == "modename") {
    out = ModeFiles(cur);
  } else if (kind == "commands") {
    for (const Command* c : ListedCommands()) out.push_back({c->name, SummaryText(*c)});
  } else if (kind == "options") {
    const Command* c = FindCommand(cur);
    if (!c) return UsageError(ctx.err, "__complete", "no command '" + cur + "'");
    std::vector<OptionSpec> options = c->syntax.options;
    if (!before.empty()) {
      const SubCommand* s = FindSub(c->syntax, before[0]);
      if (!s) return UsageError(ctx.err, "__complete", "no sub-command '" + before[0] + "'");
      options.insert(options.end(), s->syntax.options.begin(), s->syntax.options.end());
    } else {
      for (const SubCommand& s : c->syntax.subs)
        options.insert(options.end(), s.syntax.options.begin(), s.syntax.options.end());
    }
    for (const OptionSpec& o : options)
      out.push_back({o.name, (o.shortName.empty() ? "" : o.shortName + " ") + o.valueName});
  } else {
    return UsageError(ctx.err, "__complete", "no kind '" + kind + "'");
  }
  for (const Candidate& c : out) ctx.out << c.value << "\t" << c.description << "\n";
  return kExitOk;
}

const CommandRegistration kCompletion(
    {"completion", "输出 shell（bash、zsh、fish）的 Tab 补全脚本",
     "用法: mirelune-cli completion bash|zsh|fish\n"
     "输出该 shell 的 Tab 补全脚本，由命令表生成：命令、选项、功放（与 devices 所列相同，但不\n"
     "打开任何功放）、get 和 set 的参数名称（中文和英文）与地址、'=' 之后的单位、列表项\n"
     "或频段字段、带名称的模式号，以及 .sp 文件和滤波器文件。软件包已把它安装到各 shell 查找的\n"
     "位置；未安装软件包时：\n"
     "  source <(mirelune-cli completion bash)                        # 写入 ~/.bashrc\n"
     "  mirelune-cli completion zsh > ~/.zfunc/_mirelune-cli          # ~/.zfunc 在 fpath 中\n"
     "  mirelune-cli completion fish > ~/.config/fish/completions/mirelune-cli.fish\n",
     Completion, Syntax().WithOperands({One("SHELL", OneOf({"bash", "zsh", "fish"}))})});

const CommandRegistration kComplete({"__complete", "", "", Complete, Syntax().Hidden().Raw()});

}  // namespace
}  // namespace mirelune::cli
