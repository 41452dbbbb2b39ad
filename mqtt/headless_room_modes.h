// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-mode transfers of a room whose amplifier a HeadlessOwner holds (`mirelune-cli serve`):
// a write goes through the owner's transfers as `write-mode` sends it (the whole table checked
// first, then group by group); a read-back uses transfers of its own over the owner's link, into
// a table of its own, so the owner's store - what the amplifier holds in its current mode - is
// not touched and the amplifier does not change its mode. Writing the current mode reads it
// again afterwards, as the amplifier then plays the new settings. UI thread; called only while
// the owner is Ready.
#pragma once

#include "mqtt/room_agent.h"

namespace mirelune {

class HeadlessOwner;

class HeadlessRoomModes : public RoomModeTransfers {
 public:
  explicit HeadlessRoomModes(HeadlessOwner& owner) : owner_(owner) {}
  Result WriteMode(int mode, const RecordTable& table, const std::string& by) override;
  Result ReadMode(int mode, RecordTable& table) override;

 private:
  HeadlessOwner& owner_;
};

}  // namespace mirelune
