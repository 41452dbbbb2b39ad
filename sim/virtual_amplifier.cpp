// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/virtual_amplifier.h"

#include "model/ansi_text.h"
#include "model/reverb_presets.h"

#include <algorithm>

#include "link/admin_password.h"
#include "link/frame_codec.h"
#include "model/store.h"

namespace mirelune {

namespace {

constexpr int kVolumeProbeAddress = 1028;  // tells the stored modes apart: 70 + n
constexpr int kHeaderBytes = 6;            // FE code mode hi lo LEN

std::vector<uint8_t> Reply(int code, uint8_t status) {
  return {static_cast<uint8_t>(code), status};
}

}  // namespace

VirtualAmplifier::VirtualAmplifier(bool administrator)
    : layout_(StartUpStore()),
      menu_(layout_.Menu),
      working_(std::make_unique<RecordTable>()),
      administrator_(administrator) {
  for (int n = 0; n < kModeCount; ++n) names_[static_cast<size_t>(n)] = "Mode " + std::to_string(n + 1);
  ResetTables();
  passwords_[0] = {0, 0, 0, 0};
  passwords_[1] = {0, 0, 0, 0, 0, 0};
  const auto admin = DefaultAdminDigits();
  passwords_[2].assign(admin.begin(), admin.end());
}

VirtualAmplifier::~VirtualAmplifier() = default;

namespace {
// Where the factory modes differ from the console's start-up table.
void ApplyFactoryMarks(int mode, bool administrator, int slot, int address, ParamRecord& r) {
  if (address == kVolumeProbeAddress && slot < 2) r.Value = 70 + mode;
  if (address == sysaddr::kRights && slot == 0) r.Value = administrator ? 1 : 0;
}
}  // namespace

ParamRecord VirtualAmplifier::FactoryRecord(int mode, int recordNumber) const {
  ParamRecord r = layout_.ParamTable.record(recordNumber);
  ApplyFactoryMarks(mode, administrator_, recordNumber % kSlotCount, recordNumber / kSlotCount, r);
  return r;
}

// The factory content of mode n: the start-up table with the mode's marks.
void VirtualAmplifier::FillFactory(int mode, RecordTable& t) const {
  t = layout_.ParamTable;
  for (int slot = 0; slot < 2; ++slot)
    ApplyFactoryMarks(mode, administrator_, slot, kVolumeProbeAddress, t.at(slot, kVolumeProbeAddress));
  ApplyFactoryMarks(mode, administrator_, 0, sysaddr::kRights, t.at(0, sysaddr::kRights));
}

RecordTable& VirtualAmplifier::StoredMode(int n) {
  std::unique_ptr<RecordTable>& t = modes_.at(static_cast<size_t>(n));
  if (!t) {
    t = std::make_unique<RecordTable>();
    FillFactory(n, *t);
  }
  return *t;
}

void VirtualAmplifier::ResetTables() {
  for (auto& t : modes_) t.reset();
  FillFactory(0, *working_);
}

uint8_t& VirtualAmplifier::MenuHidden(int kind, int item) {
  return menu_.MenuHidden.at(static_cast<size_t>(kind)).at(static_cast<size_t>(item));
}

std::vector<uint8_t> VirtualAmplifier::ReplyFrame(const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> f(payload.size() + 2);
  f[0] = kFrameStart;
  f[1] = static_cast<uint8_t>(payload.size() + 3);
  std::copy(payload.begin(), payload.end(), f.begin() + 2);
  f.push_back(FrameChecksum(f.data(), f.size()));
  return f;
}

std::vector<std::vector<uint8_t>> VirtualAmplifier::Receive(const std::vector<uint8_t>& bytes) {
  std::vector<std::vector<uint8_t>> out;
  for (uint8_t b : bytes) {
    // The console's frames never carry 0xFE or 0xFF after the start: pairs stay below 250,
    // and no used address, mode byte or LEN takes those values. So 0xFF is always the sync
    // byte and 0xFE always a new frame, which also resynchronises after a frame cut short.
    if (b == kSyncByte) {
      ++syncs_;
      out.push_back({kSyncByte});
      continue;
    }
    if (b == kFrameStart) {
      rx_.assign(1, b);
      continue;
    }
    if (rx_.empty()) continue;  // noise between frames
    rx_.push_back(b);
    if (rx_.size() >= static_cast<size_t>(kHeaderBytes) && rx_.size() >= rx_[5]) Complete(out);
  }
  return out;
}

void VirtualAmplifier::Complete(std::vector<std::vector<uint8_t>>& out) {
  std::vector<uint8_t> frame;
  frame.swap(rx_);
  const size_t len = frame[5];
  if (len < 8) {  // shorter than a header, one payload pair and a checksum
    ++badFrames_;
    return;
  }
  if (frame[1] == kSearchCode) {
    if (frame == SearchFrame()) {
      ++searches_;
      const std::string id = "_LM-R52Z";
      out.push_back(ReplyFrame(std::vector<uint8_t>(id.begin(), id.end())));
    } else {
      ++badFrames_;
    }
    return;
  }
  if (FrameChecksum(frame.data(), len - 1) != frame[len - 1]) {
    ++badFrames_;
    return;
  }
  std::vector<uint8_t> payload = Execute(frame);
  if (reshapeReply && !payload.empty()) reshapeReply(frame, payload);
  if (onMemoryChanged && frame.size() > 1) {
    const int code = frame[1];
    const bool reads = code == ReadBackGroup || code == ReadGroup || code == ReadModeNames ||
                       code == ReadMenuFlags || code == ReadStatus;
    if (!reads && !payload.empty()) onMemoryChanged();
  }
  if (payload.empty()) {
    ++badFrames_;
    return;
  }
  commandLog_.push_back(frame);
  out.push_back(ReplyFrame(payload));
}

std::vector<uint8_t> VirtualAmplifier::Execute(const std::vector<uint8_t>& f) {
  const int code = f[1];
  switch (code) {
    case SetParam:
      return SetParamReply(f);
    case ReadBackGroup:
    case ReadGroup:
      return ReadGroupReply(f);
    case WriteGroup:
      return WriteGroupReply(f);
    case SaveToMode: {
      const int n = f[2];
      if (n >= kModeCount) return Reply(code, kRefused);
      modes_[static_cast<size_t>(n)] = std::make_unique<RecordTable>(*working_);
      currentMode_ = n;
      return Reply(code, kAccepted);
    }
    case ReadModeNames: {
      std::vector<uint8_t> p(static_cast<size_t>(kModeNameCount * kModeNameBytes), 0);
      for (size_t i = 0; i < names_.size(); ++i) {
        // A name byte 0xFE or 0xFF would read as a frame start or a sync byte.
        const std::string s = ReplySafeAnsi(names_[i]);
        std::copy_n(s.begin(), std::min<size_t>(s.size(), kModeNameBytes),
                    p.begin() + static_cast<long>(i * kModeNameBytes));
      }
      return p;
    }
    case ReadMenuFlags:
      return MenuFlagsReply(f, false);
    case WriteMenuFlags:
      return MenuFlagsReply(f, true);
    case Password:
      return PasswordReply(f);
    case ReadStatus:
      return {static_cast<uint8_t>(code), static_cast<uint8_t>(currentMode_)};
    default:
      return {};
  }
}

bool VirtualAmplifier::IsBand(int address) const {
  return address < kFirstSlotOnlyAddress && layout_.ParamTable.at(0, address).Kind == kEqBand;
}

RecordTable* VirtualAmplifier::GroupTable(int modeByte, int kind, int& slot, int& modeNumber) {
  if (kind >= 8) {
    slot = 0;
    modeNumber = modeByte;
  } else {
    slot = modeByte >= 11 ? 1 : 0;
    modeNumber = modeByte >= 11 ? modeByte - 11 : modeByte;
  }
  if (modeNumber < 0 || modeNumber >= kModeCount) return nullptr;
  // The current mode is the live one: reading it shows the edits not yet saved.
  return modeNumber == currentMode_ ? working_.get() : &StoredMode(modeNumber);
}

std::vector<uint8_t> VirtualAmplifier::ReadGroupReply(const std::vector<uint8_t>& f) {
  const int kind = f[3];
  int slot = 0, n = 0;
  RecordTable* t = kind < kKindCount ? GroupTable(f[2], kind, slot, n) : nullptr;
  if (!t) return Reply(f[1], kRefused);
  std::vector<uint8_t> p;
  for (int a = layout_.KindStart[static_cast<size_t>(kind)];
       a <= layout_.KindEnd[static_cast<size_t>(kind)]; ++a)
    AppendRecord(p, t->at(slot, a), IsBand(a));
  return p;
}

std::vector<uint8_t> VirtualAmplifier::WriteGroupReply(const std::vector<uint8_t>& f) {
  const int kind = f[3];
  int slot = 0, n = 0;
  RecordTable* t = kind < kKindCount ? GroupTable(f[2], kind, slot, n) : nullptr;
  if (!t) return Reply(f[1], kRefused);
  const size_t end = f.size() - 1;
  size_t p = kHeaderBytes;
  std::vector<std::pair<int, ParamRecord>> decoded;
  for (int a = layout_.KindStart[static_cast<size_t>(kind)];
       a <= layout_.KindEnd[static_cast<size_t>(kind)]; ++a) {
    ParamRecord r = t->at(slot, a);
    const size_t used = DecodeRecord(f.data() + p, end - p, IsBand(a), r);
    if (used == 0) return Reply(f[1], kRefused);
    p += used;
    decoded.emplace_back(a, r);
  }
  if (p != end) return Reply(f[1], kRefused);  // all or nothing
  RecordTable& stored = StoredMode(n);
  for (auto& [a, r] : decoded) {
    stored.at(slot, a) = r;
    if (n == currentMode_) working_->at(slot, a) = r;
  }
  return Reply(f[1], kAccepted);
}

std::vector<uint8_t> VirtualAmplifier::SetParamReply(const std::vector<uint8_t>& f) {
  const int address = f[3] * 256 + f[4];
  if (address >= kAddressCount || f[2] > 1) return Reply(f[1], kRefused);
  const int slot = address >= kFirstSlotOnlyAddress ? 0 : f[2];
  ParamRecord r = working_->at(slot, address);
  const size_t end = f.size() - 1;
  const size_t used = DecodeRecord(f.data() + kHeaderBytes, end - kHeaderBytes, IsBand(address), r);
  if (used == 0 || kHeaderBytes + used != end) return Reply(f[1], kRefused);
  working_->at(slot, address) = r;
  // A parameter shared by both sound modes is one value on the device.
  if (address < kFirstSlotOnlyAddress && layout_.ParamTable.at(0, address).PerMode == kFalse)
    working_->at(1 - slot, address) = r;
  // A reverb mode with a preset sets the preset's parameters itself, in both sound modes.
  if (address == kReverbModeAddress) {
    const auto& entries = ReverbPresetEntries();
    for (int e = 0; e < static_cast<int>(entries.size()); ++e) {
      const int32_t v = ReverbPresetValue(e, r.Value);
      if (v < 0) continue;
      for (int s = 0; s < 2; ++s) working_->at(s, entries[static_cast<size_t>(e)].address).Value = v;
    }
  }
  return Reply(f[1], kAccepted);
}

std::vector<uint8_t> VirtualAmplifier::MenuFlagsReply(const std::vector<uint8_t>& f, bool write) {
  const int kind = f[3];
  if (kind >= kCatalogueKinds) return Reply(f[1], kRefused);
  const int items = menu_.MenuItemCount[static_cast<size_t>(kind)];
  auto& hidden = menu_.MenuHidden[static_cast<size_t>(kind)];
  if (!write) {
    std::vector<uint8_t> p;
    for (int i = 0; i < items; ++i) {
      p.push_back(0);
      p.push_back(hidden[static_cast<size_t>(i)] & 1);
    }
    if (p.empty()) return Reply(f[1], kRefused);
    return p;
  }
  if (f.size() != static_cast<size_t>(kHeaderBytes + 2 * items + 1)) return Reply(f[1], kRefused);
  for (int i = 0; i < items; ++i)
    hidden[static_cast<size_t>(i)] = f[static_cast<size_t>(kHeaderBytes + 2 * i + 1)] & 1;
  return Reply(f[1], kAccepted);
}

std::vector<uint8_t> VirtualAmplifier::PasswordReply(const std::vector<uint8_t>& f) {
  const int slot = f[3];
  const int op = f[4];
  if (slot > 2) return Reply(f[1], kRefused);
  std::vector<uint8_t>& stored = passwords_[static_cast<size_t>(slot)];
  const size_t n = static_cast<size_t>(PasswordLength(slot));
  const std::vector<uint8_t> given(f.begin() + kHeaderBytes, f.end() - 1);
  switch (op) {
    case kPasswordCheck: {
      const bool ok = given == stored;
      loggedIn_[static_cast<size_t>(slot)] = ok;
      return Reply(f[1], ok ? kAccepted : kRefused);
    }
    case kPasswordChange: {
      if (given.size() != 2 * n || !std::equal(stored.begin(), stored.end(), given.begin()))
        return Reply(f[1], kRefused);
      stored.assign(given.begin() + static_cast<long>(n), given.end());
      return Reply(f[1], kAccepted);
    }
    case kPasswordLogOut:
      loggedIn_[static_cast<size_t>(slot)] = false;
      return Reply(f[1], kAccepted);
    default:
      return Reply(f[1], kRefused);
  }
}

}  // namespace mirelune
