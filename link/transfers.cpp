// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/transfers.h"

#include "link/admin_password.h"
#include "link/device_layout.h"
#include "link/group_decode.h"
#include "model/ansi_text.h"
#include "model/store.h"

namespace mirelune {

const char* const kAdminRefusedText =
    "管理员密码不正确！\n处于来宾模式时，不需要输入密码。处于管理模式时，必须输入正确密码后才能使用软件。\n"
    "如果您想脱机使用本软件，请断开机器的USB线。";

namespace {
constexpr uint8_t kAccepted = 0x53;  // "S"
}

const std::vector<int>& ReadKinds(int soundMode) {
  static const std::vector<int> singing{0, 1, 3, 4, 5, 6, 7};
  static const std::vector<int> dance{0, 4, 5, 6, 7};
  return soundMode == 0 ? singing : dance;
}

const std::vector<int>& WriteKinds(int soundMode) {
  static const std::vector<int> singing{0, 1, 2, 3, 4, 5, 6, 7};
  static const std::vector<int> dance{0, 4, 5, 6, 7};
  return soundMode == 0 ? singing : dance;
}

namespace {

const char* KindName(int kind) {
  switch (kind) {
    case kPlain: return "a plain value";
    case kEqBand: return "an EQ band";
    case kHighPass: return "a high-pass filter";
    case kLowPass: return "a low-pass filter";
    default: return "an unknown kind";
  }
}

// Why the record at `address` in `slot` cannot be sent as it is; empty when it can.
std::string RecordFault(const RecordTable& table, int slot, int address) {
  const ParamRecord& r = table.at(slot, address);
  const int want = LayoutKind(address);
  if (r.Kind != want)
    return "Kind " + std::to_string(r.Kind) + ", but the address holds " + KindName(want) +
           " (Kind " + std::to_string(want) + ")";
  // Only what the frame cannot carry is refused: the table goes to the amplifier as it is. A
  // mode read from an amplifier may hold values no slider reaches (the start-up content itself
  // has 1802 = 146); refusing those would make such a mode impossible to write back.
  std::vector<uint8_t> scratch;
  return AppendRecord(scratch, r, LayoutIsBand(address));
}

}  // namespace

std::string CheckTableForWrite(const RecordTable& table, const Store& store) {
  std::string first;
  int more = 0;
  auto checkKind = [&](int kind, int slot) {
    for (int a = store.KindStart[static_cast<size_t>(kind)]; a <= store.KindEnd[static_cast<size_t>(kind)];
         ++a) {
      std::string why = RecordFault(table, slot, a);
      if (why.empty()) continue;
      if (first.empty())
        first = "address " + std::to_string(a) + ", sound mode " + std::to_string(slot) + ": " + why;
      else
        ++more;
    }
  };
  for (int s = 0; s < 2; ++s)
    for (int k : WriteKinds(s)) checkKind(k, s);
  for (int k : kSystemKinds) checkKind(k, 0);
  if (more > 0) first += " (and " + std::to_string(more) + " more records that cannot be sent)";
  return first;
}

Transfers::Transfers(Store& store, Link& link, Notifier& notifier)
    : store_(store), link_(link), notifier_(notifier) {}

void Transfers::InstallStartSync() {
  link_.onStartSync = [this] { ReadModeToParams(0, true, ReadGroup); };
}

void Transfers::Begin(bool closeSecondary) {
  notifier_.BeginLongOperation();
  if (closeSecondary && hooks.closeSecondaryWindow) hooks.closeSecondaryWindow();
}

void Transfers::End() { notifier_.EndLongOperation(); }

void Transfers::ReadError(int outer, int inner, int address) {
  notifier_.Error(std::string(kReadErrorText) + "\n错误信息如下: 模式号=" + std::to_string(outer) +
                  ",菜单种类号=" + std::to_string(inner) + ",菜单地址=" +
                  std::to_string(address & 0xFF));
}

// One group request and, for reads, its decoding. `outer`/`inner` are the counters the read
// error message names.
bool Transfers::RequestGroup(int code, int modeArg, int kind, int outer, int inner,
                             RecordTable& table, int slot, bool decode) {
  const int first = store_.KindStart[static_cast<size_t>(kind)];
  if (kind >= 8) link_.ModeOverride = modeArg;
  if (code == WriteGroup) {
    // The whole table was checked before the first group; this catches only a frame that
    // cannot be built for another reason (its length), before anything of the group is sent.
    BuiltFrame probe = mirelune::BuildFrame(code, modeArg, first, store_, 0, link_.PasswordDigits);
    if (!probe) {
      link_.ModeOverride = 0;
      notifier_.Error(std::string(kWriteErrorText) + "\n" + probe.error);
      return false;
    }
  }
  if (!link_.SendCommand(code, modeArg, first)) return false;
  if (!decode) return true;
  const auto& payload = link_.ReplyPayload();
  GroupDecodeResult r =
      DecodeGroup(store_, table, kind, slot, payload.data(), payload.size(), link_.RxLength());
  switch (r.status) {
    case GroupDecodeResult::kOk:
      return true;
    case GroupDecodeResult::kCountMismatch:
      notifier_.Warning(kCountMismatchText);
      return false;
    case GroupDecodeResult::kRangeError:
      ReadError(outer, inner, r.failedAddress);
      return false;
  }
  return false;
}

Transfers::Outcome Transfers::ReadStatusPart(int& mode) {
  if (!link_.SendCommand(ReadStatus, 0, 0)) return Outcome::kFailed;
  const int current = link_.ReplyPayload()[1];
  if (current > 9) {
    ReadError(0, 0, 0);
    return Outcome::kFailed;
  }
  mode = current;
  CurrentModeNumber = current;
  for (int g = 0; g < kCatalogueKinds; ++g) {
    if (!link_.SendCommand(ReadMenuFlags, 0, g)) return Outcome::kFailed;
    const int items = store_.Menu.MenuItemCount[static_cast<size_t>(g)];
    // One pair per catalogue item; a shorter reply would leave earlier replies' bytes in
    // place of the missing flags.
    if (link_.RxLength() - 3 < 2 * items) {
      notifier_.Warning(kCountMismatchText);
      return Outcome::kFailed;
    }
    for (int i = 0; i < items; ++i)
      store_.Menu.MenuHidden[static_cast<size_t>(g)][static_cast<size_t>(i)] =
          link_.ReplyPayload()[static_cast<size_t>(2 * i + 1)] & 1;
  }
  store_.Menu.MapHiddenToAddresses();
  return Outcome::kOk;
}

Transfers::Outcome Transfers::AdminCheck() {
  if (store_.ParamTable.at(0, sysaddr::kRights).Value == 0) return Outcome::kOk;
  const auto digits = DefaultAdminDigits();
  for (size_t i = 0; i < digits.size(); ++i) link_.PasswordDigits[i] = digits[i];
  if (!link_.SendCommand(Password, 2, kPasswordCheck)) return Outcome::kFailed;
  if (link_.ReplyPayload()[1] == kAccepted) return Outcome::kOk;
  if (notifier_.PromptPassword(1)) return Outcome::kOk;
  notifier_.Warning(kAdminRefusedText);
  if (hooks.adminRefused) hooks.adminRefused();
  return Outcome::kAdminRefused;
}

bool Transfers::ReadModeToParams(int mode, bool withStatus, int code) {
  Begin(true);
  bool ok = true;
  Outcome status = Outcome::kOk;
  if (withStatus) status = ReadStatusPart(mode);
  ok = status == Outcome::kOk;
  for (int s = 0; ok && s < 2; ++s)
    for (int k : ReadKinds(s))
      if (!(ok = RequestGroup(code, s * 11 + mode, k, s, k, store_.ParamTable, s, true))) break;
  for (int k : kSystemKinds)
    if (ok && !(ok = RequestGroup(code, mode, k, k, 0, store_.ParamTable, 0, true))) break;
  if (ok && hooks.setPageSliderMax)
    hooks.setPageSliderMax(store_.ParamTable.at(0, 2568).Value, store_.ParamTable.at(0, 2569).Value,
                           store_.ParamTable.at(0, 2570).Value);
  if (ok) {
    Outcome admin = AdminCheck();
    // A refused administrator leaves the windows disabled: the console closes.
    if (admin == Outcome::kAdminRefused) return false;
    ok = admin == Outcome::kOk;
  }
  if (ok) Store::CopyCommonToDance(store_.ParamTable);

  // The value comes from the device (or from a file written to it) and every edit indexes
  // ParamTable with it: anything but the dance mode's 1 is taken as the singing mode 0.
  store_.CurrentSoundMode = store_.ParamTable.at(0, sysaddr::kSoundMode).Value == 1 ? 1 : 0;
  store_.BassAutoControl = static_cast<uint8_t>(store_.ParamTable.at(0, sysaddr::kBassAuto).Value);
  if (hooks.afterReadIntoParams) hooks.afterReadIntoParams(ok);
  End();
  if (hooks.setChangeMarks) hooks.setChangeMarks();
  return ok;
}

bool Transfers::ReadModeToReadBack(int mode) {
  Begin(true);
  bool ok = true;
  for (int s = 0; ok && s < 2; ++s)
    for (int k : ReadKinds(s))
      if (!(ok = RequestGroup(ReadBackGroup, s * 11 + mode, k, s, k, store_.ReadBackTable, s, true)))
        break;
  if (ok) Store::CopyCommonToDance(store_.ReadBackTable);
  End();
  return ok;
}

bool Transfers::WriteModeFromReadBack(int mode) {
  Begin(false);
  // All of it before the first frame: a record found bad halfway would leave the device's mode
  // part new, part old.
  const std::string fault = CheckTableForWrite(store_.ReadBackTable, store_);
  bool ok = fault.empty();
  if (!ok) notifier_.Error(std::string(kWriteErrorText) + "\n" + fault);
  LastWrite = {};
  if (ok) LastWrite.mode = mode;
  for (int s = 0; s < 2; ++s) LastWrite.groups += static_cast<int>(WriteKinds(s).size());
  LastWrite.groups += static_cast<int>(std::size(kSystemKinds));
  for (int s = 0; ok && s < 2; ++s)
    for (int k : WriteKinds(s)) {
      if (!(ok = RequestGroup(WriteGroup, s * 11 + mode, k, s, k, store_.ReadBackTable, s, false)))
        break;
      ++LastWrite.acknowledged;
    }
  for (int k : kSystemKinds) {
    if (ok && !(ok = RequestGroup(WriteGroup, mode, k, k, 0, store_.ReadBackTable, 0, false))) break;
    if (ok) ++LastWrite.acknowledged;
  }
  End();
  if (hooks.setChangeMarks) hooks.setChangeMarks();
  return ok;
}

bool Transfers::ReadModeNames() {
  if (!link_.SendCommand(mirelune::ReadModeNames, 0, 0)) return false;
  const auto& p = link_.ReplyPayload();
  const std::vector<uint8_t> bytes(p.begin(), p.begin() + kModeNameCount * kModeNameBytes);
  for (int b = 0; b < kModeNameCount; ++b)
    ModeNames[static_cast<size_t>(b)] = BytesToText(bytes, static_cast<size_t>(b * kModeNameBytes));
  return true;
}

bool Transfers::CheckPassword(int slot, const std::string& digits, bool& accepted) {
  accepted = false;
  if (slot < 0 || slot > 2 || static_cast<int>(digits.size()) != PasswordLength(slot)) return false;
  for (char c : digits)
    if (c < '0' || c > '9') return false;
  for (size_t i = 0; i < digits.size(); ++i)
    link_.PasswordDigits[i] = static_cast<uint8_t>(digits[i] - '0');
  if (!link_.SendCommand(Password, slot, kPasswordCheck)) return false;
  accepted = link_.ReplyPayload()[1] == kAccepted;
  return true;
}

}  // namespace mirelune
