// SPDX-License-Identifier: GPL-3.0-or-later
// Folder sim/: the virtual amplifier: firmware model, fault injection, its HID port and the test
// rig. May include: link/ and what lies under it.
//
// The virtual amplifier's firmware: a parameter image and a command executor.
//
// It answers what the console relies on: the search frame with the identifier, each 0xFF with
// 0xFF, every valid command frame with one reply frame (FE, LEN, payload, checksum). No I/O and
// no clock: the port in front of it (VirtualHidPort) delivers bytes and applies faults.
//
// State
//  - a working parameter set (the live one: SetParam changes it), both sound-mode slots;
//  - ten stored modes, each the console's start-up content except that the Value of address
//    1028 is 70 + n in mode n; the working set starts as a copy of mode 0;
//  - the current mode number (0 at start), mode names "Mode 1".."Mode 10" (an eleventh, empty
//    name follows them on the wire), front-panel menu hidden flags (all shown);
//  - passwords: slot 0 keyboard lock "0000", slot 1 menu settings "000000", slot 2 rights the
//    console's built-in default administrator password; rights (address 2592) guest unless
//    constructed as administrator.
//
// Replies: payload byte 0 is the command code; byte 1 is 0x53 ('S') for done/accepted, 0x45
// ('E') for refused or malformed, the current mode number for ReadStatus. Group reads return
// the records of every address of the kind (band or plain by the slot-0 Kind), mode names
// 11 x 12 bytes, menu flags one pair (0, hidden) per catalogue item. A frame with a wrong
// checksum or an unknown code gets no reply.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/menu_catalogue.h"
#include "model/param_record.h"

namespace mirelune {

class Store;

class VirtualAmplifier {
 public:
  static constexpr int kModeCount = 10;
  static constexpr uint8_t kAccepted = 0x53;
  static constexpr uint8_t kRefused = 0x45;

  explicit VirtualAmplifier(bool administrator = false);
  ~VirtualAmplifier();

  // Feeds bytes as they arrive from the console (the data bytes of output reports, any
  // chunking). Returns the answers produced, in order: each is one reply frame or one 0xFF.
  std::vector<std::vector<uint8_t>> Receive(const std::vector<uint8_t>& bytes);
  // Called after a command that may have changed the amplifier's memory (a parameter, a group
  // write, a mode stored, menu flags, a password) and before its reply leaves: the owner saves
  // the memory there, so that an acknowledged change is kept whatever happens next.
  std::function<void()> onMemoryChanged;
  // Tests: changes the payload of each answer (`frame` is the command) before it leaves, as
  // another firmware would answer: a longer status reply, a group of the wrong size.
  std::function<void(const std::vector<uint8_t>& frame, std::vector<uint8_t>& payload)> reshapeReply;

  // Forgets a partial command frame (the USB cable was pulled).
  void ResetReceiver() { rx_.clear(); }

  // A reply frame around `payload` (1..252 bytes).
  static std::vector<uint8_t> ReplyFrame(const std::vector<uint8_t>& payload);

  // State, for tests and for the demo.
  RecordTable& Working() { return *working_; }
  const RecordTable& Working() const { return *working_; }
  // A stored mode is made from the factory state when first used, so a run that touches one
  // mode does not build ten.
  RecordTable& StoredMode(int n);
  // False while mode n is still exactly its factory content and has never been used.
  bool StoredModeBuilt(int n) const { return modes_.at(static_cast<size_t>(n)) != nullptr; }
  // The factory content of stored mode n (the working set starts as mode 0's).
  ParamRecord FactoryRecord(int mode, int recordNumber) const;
  // Working set and stored modes back to the factory content (names, flags, current mode and
  // passwords stay).
  void ResetTables();
  const Store& Layout() const { return layout_; }
  int CurrentMode() const { return currentMode_; }
  void SetCurrentMode(int n) { currentMode_ = n; }
  std::string& ModeName(int n) { return names_.at(static_cast<size_t>(n)); }
  uint8_t& MenuHidden(int kind, int item);
  // Digit values of a slot's password.
  const std::vector<uint8_t>& PasswordOf(int slot) const {
    return passwords_.at(static_cast<size_t>(slot));
  }
  bool LoggedIn(int slot) const { return loggedIn_.at(static_cast<size_t>(slot)); }
  // Every valid command frame received (not the search frame, not 0xFF), in order.
  const std::vector<std::vector<uint8_t>>& CommandLog() const { return commandLog_; }
  int SearchesReceived() const { return searches_; }
  int SyncBytesReceived() const { return syncs_; }
  int BadFramesReceived() const { return badFrames_; }

 private:
  void Complete(std::vector<std::vector<uint8_t>>& out);
  std::vector<uint8_t> Execute(const std::vector<uint8_t>& frame);
  std::vector<uint8_t> ReadGroupReply(const std::vector<uint8_t>& frame);
  std::vector<uint8_t> WriteGroupReply(const std::vector<uint8_t>& frame);
  std::vector<uint8_t> SetParamReply(const std::vector<uint8_t>& frame);
  std::vector<uint8_t> PasswordReply(const std::vector<uint8_t>& frame);
  std::vector<uint8_t> MenuFlagsReply(const std::vector<uint8_t>& frame, bool write);
  // The table a group request of mode byte m names, its slot and mode number; null when the
  // mode number is not 0..9.
  RecordTable* GroupTable(int modeByte, int kind, int& slot, int& modeNumber);
  bool IsBand(int address) const;
  void FillFactory(int mode, RecordTable& t) const;

  // KindStart/KindEnd and the Kind bytes: the start-up store every part of the program shares
  // (making one costs as much as a short command does besides).
  const Store& layout_;
  MenuCatalogue menu_;  // the menu's items and which of them this amplifier hides
  std::unique_ptr<RecordTable> working_;
  std::array<std::unique_ptr<RecordTable>, kModeCount> modes_;
  bool administrator_ = false;
  std::array<std::string, 11> names_;
  int currentMode_ = 0;
  std::array<std::vector<uint8_t>, 3> passwords_;
  std::array<bool, 3> loggedIn_{};
  std::vector<uint8_t> rx_;
  std::vector<std::vector<uint8_t>> commandLog_;
  int searches_ = 0;
  int syncs_ = 0;
  int badFrames_ = 0;
};

}  // namespace mirelune
