// SPDX-License-Identifier: GPL-3.0-or-later
#include "owner/owner_ops.h"

#include "link/frame_codec.h"

namespace mirelune {

namespace {

std::string Why(const Link& link) { return link.LastError().empty() ? std::string() : " (" + link.LastError() + ")"; }

}  // namespace

std::vector<ParamRecord> OwnerRecords(const Store& store, const std::vector<int>& addresses, int sound) {
  std::vector<ParamRecord> out;
  for (int a : addresses) {
    const int slot = a >= kFirstSlotOnlyAddress ? 0 : (sound >= 0 ? sound : store.CurrentSoundMode);
    out.push_back(store.ParamTable.at(slot, a));
  }
  return out;
}

bool RecallStoredMode(Transfers& transfers, Link& link, int mode, std::string& error) {
  if (mode < 0 || mode >= 10) {
    error = "no stored mode " + std::to_string(mode + 1) + " (1..10)";
    return false;
  }
  transfers.CurrentModeNumber = mode;
  if (transfers.ReadModeToParams(mode, false, ReadGroup)) return true;
  error = "the amplifier's mode " + std::to_string(mode + 1) + " could not be read" + Why(link);
  return false;
}

bool AskInstallerPassword(Transfers& transfers, Link& link, const std::string& digits, bool keepLogIn,
                          bool& accepted, std::string& error) {
  accepted = false;
  if (!link.Online) {
    error = "the amplifier is not connected";
    return false;
  }
  if (!transfers.CheckPassword(2, digits, accepted)) {
    error = "the amplifier did not answer the password check" + Why(link);
    return false;
  }
  if (accepted && !keepLogIn) link.SendCommand(Password, 2, kPasswordLogOut);
  return true;
}

bool ReadStoredModeNames(Transfers& transfers, Link& link, std::vector<std::string>& names, std::string& error) {
  if (!transfers.ReadModeNames()) {
    error = "the amplifier did not answer the mode-name request" + Why(link);
    return false;
  }
  names.assign(transfers.ModeNames.begin(), transfers.ModeNames.begin() + 10);
  return true;
}

}  // namespace mirelune
