// SPDX-License-Identifier: GPL-3.0-or-later
// The one parser of every command line (cli/command.h): what is an option and what an operand,
// the forms of a value, numbers and choices checked, sub-commands with their own options, and
// the refusals, each by the words a user types.
#include <gtest/gtest.h>

#include "cli/command.h"

namespace mirelune::cli {
namespace {

// A command shaped like the real ones: a required option with a short name, a number, a choice,
// a flag, a repeatable option, and a file followed by any number of values.
const Syntax& Sample() {
  static const Syntax s =
      Syntax()
          .WithOptions({Required(Opt("--output", "FILE", FileOf("sp"), "-o")),
                        Opt("--page", "P", NumberIn(0, 7)),
                        Opt("--format", "rew|apo", OneOf({"rew", "apo"})), Flag("--json"),
                        Repeatable(Opt("--compare", "OTHER", FileOf("sp")))})
          .WithOperands({One("FILE", FileOf("sp")), Many("VALUE", Value::Of(Value::Text), 0)});
  return s;
}

TEST(ParseArgs, OptionsAnywhereInEveryForm) {
  Args a;
  std::string error;
  ASSERT_TRUE(ParseArgs(Sample(),
                        {"in.sp", "--page=3", "-5", "-o", "out.sp", "-3,5 dB", "--json",
                         "--compare", "a.sp", "--compare=b.sp", "-", "--format", "apo"},
                        a, error))
      << error;
  EXPECT_EQ(a.operands, (std::vector<std::string>{"in.sp", "-5", "-3,5 dB", "-"}));
  EXPECT_EQ(a.Value("--output"), "out.sp");  // the short name fills the long one
  EXPECT_EQ(a.Number("--page", -1), 3);
  EXPECT_EQ(a.Value("--format"), "apo");
  EXPECT_TRUE(a.Has("--json"));
  EXPECT_EQ(a.Values("--compare"), (std::vector<std::string>{"a.sp", "b.sp"}));
  EXPECT_FALSE(a.Has("--missing"));
  EXPECT_EQ(a.Number("--missing", 42), 42);
  EXPECT_EQ(a.words.size(), 13u);
}

TEST(ParseArgs, RefusalsSayWhatIsWrong) {
  struct Case {
    std::vector<std::string> words;
    const char* error;
  };
  const Case cases[] = {
      {{"in.sp", "-o", "o.sp", "--x"}, "unknown option --x"},
      {{"in.sp", "-o", "o.sp", "--x=1"}, "unknown option --x"},
      {{"in.sp", "-o", "o.sp", "-q"}, "unknown option -q"},
      {{"in.sp", "-o"}, "option -o needs a value"},
      {{"in.sp", "-o", "o.sp", "--json=1"}, "option --json takes no value"},
      {{"in.sp", "-o", "o.sp", "--json", "--json"}, "option --json is given more than once"},
      {{"in.sp", "-o", "o.sp", "--output", "p.sp"}, "option --output is given more than once"},
      {{"in.sp", "-o", "o.sp", "--page", "8"}, "--page must be a whole number 0..7, not '8'"},
      {{"in.sp", "-o", "o.sp", "--page", "0x"}, "--page must be a whole number 0..7, not '0x'"},
      {{"in.sp", "-o", "o.sp", "--format", "csv"}, "--format must be rew or apo, not 'csv'"},
      {{"in.sp"}, "-o FILE is required"},
      {{"-o", "o.sp"}, "missing FILE"},
  };
  for (const Case& c : cases) {
    Args a;
    std::string error;
    EXPECT_FALSE(ParseArgs(Sample(), c.words, a, error)) << c.error;
    EXPECT_EQ(error, c.error);
  }
}

TEST(ParseArgs, OperandsCountedAndChecked) {
  const Syntax s = Syntax().WithOperands(
      {One("N", NumberIn(1, 10)), One("SHELL", OneOf({"bash", "zsh", "fish"}))});
  struct Case {
    std::vector<std::string> words;
    const char* error;  // "" accepted
  };
  const Case cases[] = {
      {{"3", "zsh"}, ""},
      {{"3"}, "missing SHELL"},
      {{}, "missing N"},
      {{"3", "zsh", "more"}, "unexpected argument 'more'"},
      {{"11", "zsh"}, "N must be a whole number 1..10, not '11'"},
      {{"3", "tcsh"}, "SHELL must be one of bash, zsh, fish, not 'tcsh'"},
  };
  for (const Case& c : cases) {
    Args a;
    std::string error;
    EXPECT_EQ(ParseArgs(s, c.words, a, error), *c.error == 0) << c.error << ": " << error;
    EXPECT_EQ(error, c.error);
  }
}

TEST(ParseArgs, SubCommandsTakeTheirOwnOptionsAndTheCommands) {
  const Syntax s =
      Syntax()
          .WithOptions({Opt("--page", "P", NumberIn(0, 7))})
          .WithSubs({{"list", {}},
                     {"pull", Syntax()
                                  .WithOptions({Flag("--yes")})
                                  .WithOperands({Many("N", Value::Of(Value::Mode), 1)})}});
  Args a;
  std::string error;
  ASSERT_TRUE(ParseArgs(s, {"--page", "2", "pull", "1", "--yes", "3"}, a, error)) << error;
  EXPECT_EQ(a.sub, "pull");
  EXPECT_EQ(a.operands, (std::vector<std::string>{"1", "3"}));
  EXPECT_TRUE(a.Has("--yes"));
  EXPECT_EQ(a.Number("--page", -1), 2);

  EXPECT_FALSE(ParseArgs(s, {"list", "--yes"}, a, error));
  EXPECT_EQ(error, "unknown option --yes");  // pull's, not list's
  EXPECT_EQ(a.sub, "list");
  EXPECT_FALSE(ParseArgs(s, {"list", "x"}, a, error));
  EXPECT_EQ(error, "unexpected argument 'x'");
  EXPECT_FALSE(ParseArgs(s, {}, a, error));
  EXPECT_EQ(error, "list or pull expected");
  EXPECT_FALSE(ParseArgs(s, {"push"}, a, error));
  EXPECT_EQ(error, "no sub-command 'push' (list or pull)");
}

TEST(ParseArgs, GlobalOptionsAreTakenOutWhereverTheyStand) {
  std::vector<std::string> words = {
      "--trace",         "set",      "1028",      "70",           "--device", "virtual:a",
      "--faults=drop=1", "--faults", "a:split=5", "--sound-mode", "1"};
  Args a;
  std::string error;
  ASSERT_TRUE(TakeKnownOptions(GlobalOptions(), words, a, error)) << error;
  EXPECT_EQ(words, (std::vector<std::string>{"set", "1028", "70", "--sound-mode", "1"}));
  EXPECT_TRUE(a.Has("--trace"));
  EXPECT_EQ(a.Value("--device"), "virtual:a");
  EXPECT_EQ(a.Values("--faults"), (std::vector<std::string>{"drop=1", "a:split=5"}));
  std::vector<std::string> bad = {"--lang", "fr", "info"};
  EXPECT_FALSE(TakeKnownOptions(GlobalOptions(), bad, a, error));
  EXPECT_EQ(error, "--lang must be zh or en, not 'fr'");
}

TEST(ParseArgs, RawSyntaxPassesTheWords) {
  Args a;
  std::string error;
  ASSERT_TRUE(ParseArgs(Syntax().Raw(), {"param", "--", "--x", "Music"}, a, error));
  EXPECT_EQ(a.operands, (std::vector<std::string>{"param", "--", "--x", "Music"}));
}

}  // namespace
}  // namespace mirelune::cli
