// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/frame_codec.h"

#include "model/store.h"

namespace mirelune {

namespace {

constexpr uint8_t kFirstReservedByte = 0xFA;  // 0xFA..0xFF are frame markers on the wire

std::string Hex2(int v) {
  static const char* digits = "0123456789ABCDEF";
  return std::string{digits[(v >> 4) & 15], digits[v & 15]};
}

std::string RawByteError(const char* what, int v) {
  if (v < 0) return std::string(what) + " " + std::to_string(v) + " is negative";
  if (v > 255) return std::string(what) + " " + std::to_string(v) + " does not fit in a byte";
  return std::string(what) + " " + std::to_string(v) + " (0x" + Hex2(v) +
         ") would be read as a frame marker";
}

bool RawByteFits(int v) { return v >= 0 && v < kFirstReservedByte; }

std::string PairError(const char* what, int32_t v) {
  if (v < 0) return std::string(what) + " " + std::to_string(v) + " is negative";
  return std::string(what) + " " + std::to_string(v) + " is above " + std::to_string(kMaxPairValue);
}

std::string At(int address, int slot) {
  return " at address " + std::to_string(address) + ", slot " + std::to_string(slot);
}

bool IsRecordCode(int code) {
  return code == SetParam || code == ReadBackGroup || code == WriteGroup || code == SaveToMode ||
         code == ReadGroup;
}

}  // namespace

std::string HexBytes(const std::vector<uint8_t>& bytes) {
  std::string s;
  for (uint8_t b : bytes) {
    if (!s.empty()) s += ' ';
    s += Hex2(b);
  }
  return s;
}

int PasswordLength(int slot) { return slot == 0 ? 4 : 6; }

uint8_t FrameChecksum(const uint8_t* bytes, size_t count) {
  unsigned sum = 0;
  for (size_t i = 0; i < count; ++i) sum += bytes[i];
  const uint8_t c = static_cast<uint8_t>(sum & 0xFF);
  return c >= 0xFD ? 0 : c;
}

std::vector<uint8_t> SearchFrame() {
  std::vector<uint8_t> f = {kFrameStart, kSearchCode, kFiller, kFiller, kFiller, 0x0F};
  for (char c : std::string("TVX_CTRL")) f.push_back(static_cast<uint8_t>(c));
  unsigned sum = 0;
  for (uint8_t b : f) sum += b;
  f.push_back(static_cast<uint8_t>(sum & 0xFF));  // plain sum: no 253..255 rule here
  return f;
}

bool AppendValuePair(std::vector<uint8_t>& out, int32_t v) {
  if (v < 0 || v > kMaxPairValue) return false;
  out.push_back(static_cast<uint8_t>(v / 250));
  out.push_back(static_cast<uint8_t>(v % 250));
  return true;
}

std::string AppendRecord(std::vector<uint8_t>& out, const ParamRecord& r, bool band) {
  if (!band) return AppendValuePair(out, r.Value) ? "" : PairError("Value", r.Value);
  if (!RawByteFits(r.QType)) return RawByteError("QType", r.QType);
  if (!RawByteFits(r.SQ)) return RawByteError("SQ", r.SQ);
  if (r.Freq < 0) return PairError("Freq", r.Freq);
  const int32_t f = r.EQDisabled != kFalse ? r.Freq + kEqDisabledOffset : r.Freq;
  std::vector<uint8_t> tmp = {r.QType, static_cast<uint8_t>(r.SQ)};
  if (!AppendValuePair(tmp, f)) return PairError("Freq", f);
  if (!AppendValuePair(tmp, r.Gain)) return PairError("Gain", r.Gain);
  if (!AppendValuePair(tmp, r.Q)) return PairError("Q", r.Q);
  out.insert(out.end(), tmp.begin(), tmp.end());
  return "";
}

size_t DecodeRecord(const uint8_t* p, size_t avail, bool band, ParamRecord& into) {
  if (!band) {
    if (avail < 2) return 0;
    into.Value = ReadValuePair(p);
    return 2;
  }
  if (avail < 8) return 0;
  into.QType = p[0];
  into.SQ = p[1];
  const int32_t f = ReadValuePair(p + 2);
  into.EQDisabled = f >= kEqDisabledOffset ? kTrue : kFalse;
  into.Freq = f >= kEqDisabledOffset ? f - kEqDisabledOffset : f;
  into.Gain = ReadValuePair(p + 4);
  into.Q = ReadValuePair(p + 6);
  return 8;
}

BuiltFrame BuildFrame(int code, int mode, int address, const Store& store, int32_t modeOverride,
                      const PasswordBuffer& digits) {
  BuiltFrame result;
  auto fail = [&](std::string why) {
    result.bytes.clear();
    result.error = "command " + std::to_string(code) + ", address " + std::to_string(address) +
                   ": " + why;
    return result;
  };

  std::vector<uint8_t> f = {kFrameStart, 0, 0, 0, 0, 0};
  if (code < 0 || code > 255) return fail("unknown command code");
  f[1] = static_cast<uint8_t>(code);
  if (address >= kFirstSlotOnlyAddress) mode = 0;

  if (IsRecordCode(code)) {
    result.consumedModeOverride = true;
    const int byte2 = modeOverride != 0 ? modeOverride : mode;
    if (byte2 < 0 || byte2 > 255) return fail(RawByteError("mode byte", byte2));
    if (address < 0 || address > 0xFFFF) return fail("address out of range");
    f[2] = static_cast<uint8_t>(byte2);
    f[3] = static_cast<uint8_t>((address / 256) & 0xFF);
    f[4] = static_cast<uint8_t>(address & 0xFF);
  } else if (code == ReadMenuFlags || code == WriteMenuFlags) {
    f[2] = 0;
    f[3] = static_cast<uint8_t>(address & 0xFF);
    f[4] = 0;
  } else {
    f[2] = f[3] = f[4] = kFiller;
  }

  bool filler = false;
  switch (code) {
    case SetParam: {
      if (address < 0 || address >= kAddressCount) return fail("no such parameter address");
      const int slot = store.SlotFor(address);
      if (slot != 0 && slot != 1) return fail("no such sound mode " + std::to_string(slot));
      f[2] = static_cast<uint8_t>(slot);
      const bool band = store.ParamTable.at(0, address).Kind == kEqBand;
      std::string e = AppendRecord(f, store.ParamTable.at(slot, address), band);
      if (!e.empty()) return fail(e + At(address, slot));
      break;
    }
    case WriteGroup: {
      const int kind = f[3];
      if (kind >= kKindCount) return fail("no such menu kind " + std::to_string(kind));
      for (int a = store.KindStart[static_cast<size_t>(kind)];
           a <= store.KindEnd[static_cast<size_t>(kind)]; ++a) {
        const int slot = (a < kFirstSlotOnlyAddress && mode >= 11) ? 1 : 0;
        const bool band = store.ReadBackTable.at(0, a).Kind == kEqBand;
        std::string e = AppendRecord(f, store.ReadBackTable.at(slot, a), band);
        if (!e.empty()) return fail(e + At(a, slot));
      }
      break;
    }
    case WriteMenuFlags: {
      const int kind = f[3];
      if (kind >= kKindCount) return fail("no such menu kind " + std::to_string(kind));
      const size_t k = static_cast<size_t>(kind);
      for (int i = 0; i < store.Menu.MenuItemCount[k]; ++i) {
        const int hidden = store.Menu.MenuHidden[k][static_cast<size_t>(i)];
        if (!RawByteFits(hidden)) return fail(RawByteError("menu flag", hidden));
        f.push_back(0);
        f.push_back(static_cast<uint8_t>(hidden));
      }
      break;
    }
    case Password: {
      if (mode < 0 || mode > 2) return fail("no such password slot " + std::to_string(mode));
      if (address < 0 || address > 255) return fail("password operation out of range");
      f[2] = 0;
      f[3] = static_cast<uint8_t>(mode);
      f[4] = static_cast<uint8_t>(address);
      const int n = PasswordLength(mode);
      const int count = address == kPasswordCheck ? n : address == kPasswordChange ? 2 * n : 0;
      for (int i = 0; i < count; ++i) {
        const int d = digits[static_cast<size_t>(i)];
        if (!RawByteFits(d)) return fail(RawByteError("password digit", d));
        f.push_back(static_cast<uint8_t>(d));
      }
      filler = count == 0;
      break;
    }
    case ReadBackGroup:
    case SaveToMode:
    case ReadModeNames:
    case ReadMenuFlags:
    case ReadStatus:
    case ReadGroup:
      filler = true;
      break;
    default:
      return fail("unknown command code");
  }
  if (filler) {
    f.push_back(kFiller);
    f.push_back(kFiller);
  }
  const size_t len = f.size() + 1;
  if (len > static_cast<size_t>(kMaxFrameLength))
    return fail("frame of " + std::to_string(len) + " bytes is longer than 255");
  f[5] = static_cast<uint8_t>(len);
  f.push_back(FrameChecksum(f.data(), f.size()));
  result.bytes = std::move(f);
  return result;
}

}  // namespace mirelune
