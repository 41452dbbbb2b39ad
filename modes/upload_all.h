// SPDX-License-Identifier: GPL-3.0-or-later
// The mode manager's batch upload to every connected amplifier: the same mode files into the
// same modes of each amplifier other than the console's own, one after the other, each in a
// session of its own (owner/amplifier_session.h). An amplifier another program owns is
// reported, not touched.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "modes/mode_folder.h"
#include "owner/device_address.h"

namespace mirelune {

class Notifier;
class Scheduler;

struct AmplifierResult {
  std::string device;  // the --device label
  bool ok = false;
  std::string detail;  // why it failed
};

// Every USB amplifier attached and every named virtual amplifier, except `own` (a label).
std::vector<DeviceTarget> OtherAmplifiers(const std::string& own);

// Writes assignments[j] (a mode folder file name; empty: none) into mode j of `target`, for
// j < rows. Stops at its first failure.
AmplifierResult UploadBatchTo(const DeviceTarget& target, const std::array<std::string, 100>& assignments,
                              int rows, const ModeFolder& folder, Scheduler& scheduler, Notifier& notifier);

// One line per amplifier: "virtual:a：完成", "hid:0042：失败：<why>".
std::string ResultLines(const std::vector<AmplifierResult>& results);

}  // namespace mirelune
