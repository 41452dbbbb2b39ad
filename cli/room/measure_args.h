// SPDX-License-Identifier: GPL-3.0-or-later
// The options and the run of `measure`: one parser and one run for mirelune-cli (which measures
// the virtual amplifier's room in its own process) and its helper mirelune-measure (which
// measures through the computer's sound devices, Qt Multimedia), so both take and refuse the
// same arguments and say the same.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "measure/live_measurement.h"
#include "measure/measurement.h"

namespace mirelune {
class AudioPort;
}

namespace mirelune::cli {

struct MeasureArgs {
  std::string file;          // -o: where the measurement goes
  bool list = false;         // --list: the sound devices instead
  LiveSettings live;
  std::string calibration;   // --calibration FILE
  long page = 0;             // --page: the virtual amplifier's page the sweep goes through
  long subPage = 0;
  bool json = false;
};

// False with `err` (a usage error): a missing -o, a value out of its range, an unknown option.
bool ParseMeasureArgs(std::vector<std::string> args, MeasureArgs& a, std::string& err);

// Measures through `port` (after loading the calibration, before touching the port) and saves
// the file, printing what was measured on `out` and warnings and errors on `err`, each line
// starting "mirelune-cli measure: ". Returns the exit status.
int RunMeasure(AudioPort& port, const MeasureArgs& a, std::ostream& out, std::ostream& err);

// The sound devices, one per line under "outputs:" and "inputs:".
int ListDevices(AudioPort& port, std::ostream& out);

}  // namespace mirelune::cli
