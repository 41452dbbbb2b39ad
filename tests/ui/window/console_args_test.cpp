// SPDX-License-Identifier: GPL-3.0-or-later
// The console's command line beyond the session's options: --trace FILE (both forms, with the
// other options around it) and --version, and what the options-only form makes of them.
#include <gtest/gtest.h>

#include "ui/window/console_args.h"

namespace mirelune::ui {
namespace {

struct Case {
  std::vector<std::string> args;
  bool ok;
  std::string trace;  // expected tracePath when ok, else a part of the error
  bool version;
  bool virtualDevice;
};

class ConsoleCommandLineArgs : public ::testing::TestWithParam<Case> {};

TEST_P(ConsoleCommandLineArgs, ParseOrExplain) {
  const Case& c = GetParam();
  ConsoleCommandLine line;
  std::string error;
  ASSERT_EQ(ParseConsoleArgs(c.args, line, error), c.ok) << error;
  if (!c.ok) {
    EXPECT_NE(error.find(c.trace), std::string::npos) << error;
    return;
  }
  EXPECT_EQ(line.tracePath, c.trace);
  EXPECT_EQ(line.version, c.version);
  EXPECT_EQ(line.options.device == ConsoleOptions::Device::Virtual, c.virtualDevice);
  EXPECT_FALSE(line.help);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConsoleCommandLineArgs,
    ::testing::Values(
        Case{{}, true, "", false, false},
        Case{{"--trace", "link.log"}, true, "link.log", false, false},
        Case{{"--device", "virtual", "--trace=/tmp/a b.log", "--faults", "drop=1"}, true,
             "/tmp/a b.log", false, true},
        Case{{"--trace", "one.log", "--trace", "two.log"}, true, "two.log", false, false},
        Case{{"--version"}, true, "", true, false},
        Case{{"--device", "virtual", "--version"}, true, "", true, true},
        Case{{"--trace"}, false, "--trace needs a value", false, false},
        Case{{"--trace="}, false, "--trace needs a file name", false, false},
        Case{{"--version=2"}, false, "unknown argument '--version=2'", false, false},
        Case{{"-v"}, false, "unknown argument '-v'", false, false}));

TEST(ConsoleCommandLineArgs, TheOptionsOnlyFormTakesTraceAndVersionAndKeepsTheRest) {
  ConsoleOptions options;
  bool help = true;
  std::string error;
  EXPECT_TRUE(ParseConsoleArgs({"--trace", "x.log", "--version", "--device", "virtual"}, options,
                               help, error));
  EXPECT_EQ(options.device, ConsoleOptions::Device::Virtual);
  EXPECT_FALSE(help);
  EXPECT_FALSE(ParseConsoleArgs({"--trace="}, options, help, error));
  EXPECT_EQ(error, "--trace needs a file name");
}

}  // namespace
}  // namespace mirelune::ui
