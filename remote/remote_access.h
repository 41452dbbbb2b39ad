// SPDX-License-Identifier: GPL-3.0-or-later
// What each remote role may see and change. The installer sees every parameter the command
// line can set; staff see the remote list the installer chose in the console (kept with the
// console's settings, the same list for `mirelune-cli serve`), and recall modes when the list
// says so. Plain C++.
#pragma once

#include <string>
#include <vector>

#include "model/param_ranges.h"
#include "remote/remote_auth.h"

namespace mirelune {

class Store;

struct StaffList {
  std::vector<int> addresses;  // ascending, each holds a parameter
  bool modes = true;           // staff may recall stored modes
};

// The three master volumes, the microphone volumes, the echo and reverb effect volumes, and
// mode recall.
StaffList DefaultStaffList();
// "2560,2561,2562,276,532,806,808,modes" and back; ParseStaffList is false with `error` for an
// entry that is no parameter's address (the list is then unchanged).
std::string FormatStaffList(const StaffList& list);
bool ParseStaffList(const std::string& text, StaffList& list, std::string& error);

// The addresses `role` may see and change, ascending.
std::vector<int> VisibleAddresses(RemoteRole role, const StaffList& list);
bool MaySee(RemoteRole role, const StaffList& list, int address);
bool MayLoadModes(RemoteRole role, const StaffList& list);

// The range of `address` as the console's controls offer it with the store's values: a master
// volume no higher than its upper limit (addresses 2568..2570), whatever the range table says.
ParamRange RemoteRangeOf(int address, const Store& store);
// The master volumes' upper limits as the store holds them.
MasterLimits MasterLimitsOf(const Store& store);

// The address a remote request means by `key`: an address ("2560"), a name in Chinese or
// English ("音乐总音量", "Music master volume") or "KIND:NAME". A name carried by several
// addresses means the one among `visible` when exactly one of them carries it. False with
// `error` for no parameter or an ambiguous name.
bool ResolveRemoteKey(const std::string& key, const std::vector<int>& visible, int& address,
                      std::string& error);

}  // namespace mirelune
