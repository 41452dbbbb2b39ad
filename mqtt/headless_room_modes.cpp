// SPDX-License-Identifier: GPL-3.0-or-later
#include "mqtt/headless_room_modes.h"

#include <memory>

#include "link/transfers.h"
#include "model/store.h"
#include "owner/headless_owner.h"

namespace mirelune {

namespace {

std::string Why(Link& link) { return link.LastError().empty() ? std::string() : " (" + link.LastError() + ")"; }

}  // namespace

RoomModeTransfers::Result HeadlessRoomModes::WriteMode(int mode, const RecordTable& table, const std::string& by) {
  Result r;
  const OwnerFacts facts = owner_.Facts();
  if (!facts.online || facts.mode < 0) {
    r.status = 503;
    r.error = facts.online ? "the amplifier is being read" : "the amplifier is not connected";
    return r;
  }
  AmplifierSession& s = owner_.session();
  if (const std::string fault = CheckTableForWrite(table, s.store()); !fault.empty()) {
    r.status = 400;
    r.error = "the table cannot be written as it is: " + fault;
    return r;
  }
  s.store().ReadBackTable = table;
  const bool ok = s.transfers().WriteModeFromReadBack(mode);
  r.acknowledged = s.transfers().LastWrite.acknowledged;
  r.groups = s.transfers().LastWrite.groups;
  if (!ok) {
    r.status = 503;
    r.error = r.acknowledged == 0
                  ? "mode " + std::to_string(mode + 1) + " was not written: the amplifier acknowledged none of its " +
                        std::to_string(r.groups) + " groups" + Why(s.link())
                  : "mode " + std::to_string(mode + 1) + " was written only in part: " + std::to_string(r.acknowledged) +
                        " of " + std::to_string(r.groups) +
                        " groups were acknowledged, so it holds a mix of its old and the new settings" + Why(s.link());
  }
  // The amplifier plays what was written into its current mode: the owner reads it again, which
  // every listener hears as a recalled mode.
  if (mode == facts.mode && r.acknowledged > 0) {
    std::string error;
    if (!owner_.LoadMode(mode, by, error) && ok) {
      r.status = 503;
      r.error = "mode " + std::to_string(mode + 1) + " was written, but reading it back failed: " + error;
    }
  }
  return r;
}

RoomModeTransfers::Result HeadlessRoomModes::ReadMode(int mode, RecordTable& table) {
  Result r;
  const OwnerFacts facts = owner_.Facts();
  if (!facts.online) {
    r.status = 503;
    r.error = "the amplifier is not connected";
    return r;
  }
  AmplifierSession& s = owner_.session();
  // A store of its own (a third of a megabyte a table: not on the stack).
  auto scratch = std::make_unique<Store>();
  scratch->InitDefaults();
  Transfers transfers(*scratch, s.link(), s.link().notifier());
  if (!transfers.ReadModeToReadBack(mode)) {
    r.status = 503;
    r.error = "mode " + std::to_string(mode + 1) + " could not be read" + Why(s.link());
    return r;
  }
  table = scratch->ReadBackTable;
  return r;
}

}  // namespace mirelune
