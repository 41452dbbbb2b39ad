// SPDX-License-Identifier: GPL-3.0-or-later
// `get` and `set` on an amplifier the session holds itself (not through its owner): the reads
// of the kinds they touch, the changes and what they print. Plain C++, so that the tool runs
// them with Qt and without it (cli/front/values_main.cpp) alike; `info` shares the status read.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/assignments.h"
#include "cli/command.h"
#include "cli/device_session.h"

namespace mirelune::cli {

// get's command line, parsed: the addresses in the order given.
struct GetRequest {
  std::vector<int> addresses;
  bool json = false;
  bool hasSound = false;
  int sound = 0;
};
const Syntax& GetSyntax();
// False with a usage error text when a parameter names nothing.
bool ParseGet(const Args& args, GetRequest& req, std::string& error);

// The amplifier's current mode 0..9 (ReadStatus); within a script the one read first. False
// with the reason already said.
bool ReadCurrentMode(DeviceSession& s, int& mode);

// Reads menu kind `kind` of `mode` into ParamTable slot `slot` (slot 0 for kinds 8..10),
// unless the session has read it already and `fresh` is false. False with the reason said.
bool ReadKind(DeviceSession& s, int kind, int mode, int slot, bool fresh = false);

// Reads every kind `req` names and prints its parameters on `out` (one PARAM=VALUE line each,
// or the JSON object). The status of the command.
int GetOnDevice(DeviceSession& s, const GetRequest& req, std::ostream& out);

// Makes the changes of `req`; `done` receives the confirmations, printed only once the changes
// are also kept. The status of the command.
int SetOnDevice(DeviceSession& s, const SetRequest& req, std::string& done);

// One parameter as `get` prints it: PARAM=VALUE as `set` takes it back, or its JSON object
// (`first`: no comma before it).
void PrintParam(std::ostream& out, int addr, const ParamRecord& r, bool json, bool first);

}  // namespace mirelune::cli
