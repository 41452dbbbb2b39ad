// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-mode transfers: a complete mode between the amplifier and the console's tables, one
// menu kind per request, plus the mode names and password checks that go with them.
//
// Request order: sound mode 0 in ascending menu kind, then sound mode 1, then kinds 8, 9, 10
// (with ModeOverride = the mode number, since their address would otherwise force mode 0).
//   reads:  sound mode 0 kinds 0,1,3,4,5,6,7; sound mode 1 kinds 0,4,5,6,7; kinds 8-10 (not
//           by ReadModeToReadBack);
//   write:  sound mode 0 kinds 0-7; sound mode 1 kinds 0,4,5,6,7; kinds 8-10.
// Every operation stops at the first request that is not acknowledged (the link has already
// warned) and returns false; the tables keep the groups decoded before it.
//
// Thread: UI thread; each operation runs inside nested waits of the link.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "link/link.h"

namespace mirelune {

class Store;

inline constexpr char kCountMismatchText[] = "当前返回数据个数与期望的数据个数不符,请检查!";
inline constexpr char kReadErrorText[] = "从机器读数据时出错！";
inline constexpr char kWriteErrorText[] = "向机器写入数据时出错！";
// The warning when the device is in administrator mode and no accepted password was given.
extern const char* const kAdminRefusedText;

// The menu kinds of each half of a transfer.
const std::vector<int>& ReadKinds(int soundMode);   // 0: 0,1,3..7; 1: 0,4..7
const std::vector<int>& WriteKinds(int soundMode);  // 0: 0..7;     1: 0,4..7
inline constexpr int kSystemKinds[] = {8, 9, 10};

// Checks every record a whole-mode write sends from `table` (sound mode 0 of menu kinds 0..10,
// sound mode 1 of kinds 0, 4..7, each kind from store.KindStart to store.KindEnd): its Kind
// byte must be the one the address has in the device layout (device_layout.h), or the record
// would travel in the other encoding; and its values must fit that encoding (no byte of 250 or
// more). Values beyond a slider's travel go as they are: the amplifier holds what it was given. Returns an empty
// string when all do, else the first fault in sending order with its address, sound mode and
// value ("address 2599, sound mode 0: Value 62500 is above 62499"), and how many more there are.
std::string CheckTableForWrite(const RecordTable& table, const Store& store);

// What the windows do around a transfer. Every hook is optional.
struct TransferHooks {
  // Both reads close the secondary parameter window at their start.
  std::function<void()> closeSecondaryWindow;
  // ReadModeToParams' end: the three page sliders' MaxValue from addresses 2568..2570.
  std::function<void(int max0, int max1, int max2)> setPageSliderMax;
  // ReadModeToParams' end: sound-mode/bass buttons, graph marks cleared, controls refreshed.
  std::function<void(bool complete)> afterReadIntoParams;
  // The undo module's change marks (after ReadModeToParams and WriteModeFromReadBack).
  std::function<void()> setChangeMarks;
  // The administrator password was refused: the console unloads its shell and closes.
  std::function<void()> adminRefused;
};

class Transfers {
 public:
  // How far the last WriteModeFromReadBack came: `acknowledged` of `groups` menu-kind groups
  // (each one request, the amplifier keeps a group whole). Between 0 and `groups` exclusive,
  // the mode on the amplifier holds a mix of the old and the new settings.
  struct WriteProgress {
    int mode = -1;
    int groups = 0;
    int acknowledged = 0;
    bool Partial() const { return acknowledged > 0 && acknowledged < groups; }
  };
  WriteProgress LastWrite;

  Transfers(Store& store, Link& link, Notifier& notifier);

  // Reads mode `mode` (0..9) into ParamTable with `code` (ReadGroup or ReadBackGroup). With
  // status it first asks the device for its current mode (which replaces `mode` and becomes
  // CurrentModeNumber) and its front-panel menu flags; afterwards, when the device is in
  // administrator mode, it logs in with the built-in password or, failing that, the prompt.
  bool ReadModeToParams(int mode, bool withStatus, int code);
  // Reads mode `mode` into ReadBackTable with ReadBackGroup (kinds 8-10 are not read).
  bool ReadModeToReadBack(int mode);
  // Writes ReadBackTable into mode `mode` with WriteGroup. The whole table is checked first
  // (CheckTableForWrite): when any record cannot be sent as it is, nothing at all is sent, the
  // write error message names the record, and the result is false, so a mode is never left
  // half written by a bad record.
  bool WriteModeFromReadBack(int mode);

  // Reads the eleven device mode names into ModeNames.
  bool ReadModeNames();
  // Sends the six (slot 1, 2) or four (slot 0) digits of `digits` for a check; `accepted`
  // tells the device's verdict. False when the request failed or the text is not digits of
  // the slot's length (nothing sent then).
  bool CheckPassword(int slot, const std::string& digits, bool& accepted);

  // Makes the link run ReadModeToParams(0, true, ReadGroup) as its start-up synchronisation.
  void InstallStartSync();

  int CurrentModeNumber = 0;
  std::array<std::string, kModeNameCount> ModeNames{};
  TransferHooks hooks;

 private:
  enum class Outcome { kOk, kFailed, kAdminRefused };
  bool RequestGroup(int code, int modeArg, int kind, int outer, int inner, RecordTable& table,
                    int slot, bool decode);
  Outcome ReadStatusPart(int& mode);
  Outcome AdminCheck();
  void Begin(bool closeSecondary);
  void End();
  void ReadError(int outer, int inner, int address);

  Store& store_;
  Link& link_;
  Notifier& notifier_;
};

}  // namespace mirelune
