// SPDX-License-Identifier: GPL-3.0-or-later
// The options of the graph commands (`response` in mirelune-cli, `plot` in its drawing helper
// mirelune-plot): one parser, so both refuse the same arguments alike.
#pragma once

#include <string>
#include <vector>

#include "cli/command.h"

namespace mirelune {
class Store;
}

namespace mirelune::cli {

struct GraphArgs {
  std::string file;
  long page = -1;
  long soundMode = 0;
  long subPage = 0;
  long width = 1000;
  long height = 300;
  bool haveFreqs = false;
  std::vector<double> freqs;
  std::string output;
  bool phase = false;                // the sum's phase: a CSV column, a curve on the plot
  std::vector<std::string> compare;  // plot: files whose same page is drawn for comparison
};

// The syntax of `response` (plot false) and of `plot`: the options both share (and --phase);
// `plot` adds -o, --height and --compare FILE (repeatable), `response` --freqs.
const Syntax& GraphSyntax(bool plot);

// Reads a command line parsed by GraphSyntax(plot); false with `err` (a usage error).
bool ReadGraphArgs(const Args& args, bool plot, GraphArgs& a, std::string& err);

// Parses `words` by GraphSyntax(plot) and reads them (mirelune-plot gets its words as they
// are). False with `err` (a usage error).
bool ParseGraphArgs(const std::vector<std::string>& words, bool plot, GraphArgs& a, std::string& err);

// The file into a fresh store on page P, sound mode S and effects part E; false with `err`.
// `warning`: how a longer file was read (empty when it was not longer).
bool LoadStore(const GraphArgs& a, Store& store, std::string& err, std::string& warning);

}  // namespace mirelune::cli
