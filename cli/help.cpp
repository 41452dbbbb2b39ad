// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/help.h"

#include <algorithm>
#include <ostream>

#include "platform/tr.h"

namespace mirelune::cli {

std::string Translated(const std::string& source) { return Tr(source.c_str()).toStdString(); }

std::string UsageText(const Command& c) {
  std::string text = Translated(c.usage);
  const size_t at = text.find("%1");
  if (c.usageArgument && at != std::string::npos) text.replace(at, 2, c.usageArgument());
  return text;
}

std::string SummaryText(const Command& c) { return Translated(c.summary); }

std::vector<const Command*> ListedCommands() {
  std::vector<const Command*> list;
  for (const Command& c : Commands())
    if (!c.syntax.hidden) list.push_back(&c);
  std::sort(list.begin(), list.end(),
            [](const Command* a, const Command* b) { return a->name < b->name; });
  return list;
}

int RunCommand(const Command& c, Context& ctx, const std::vector<std::string>& words) {
  if (!c.syntax.raw && std::find(words.begin(), words.end(), "--help") != words.end()) {
    ctx.out << UsageText(c);
    return kExitOk;
  }
  Args args;
  std::string error;
  if (!ParseArgs(c.syntax, words, args, error))
    return UsageError(ctx.err, args.sub.empty() ? c.name : c.name + " " + args.sub, error);
  return c.run(ctx, args);
}

}  // namespace mirelune::cli
