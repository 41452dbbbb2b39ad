// SPDX-License-Identifier: GPL-3.0-or-later
// Command frames: the bytes the console sends to the amplifier. Pure functions, no I/O.
//
// Frame: FE, code, mode byte, address high, address low, LEN, payload, checksum; LEN counts
// every byte. Values travel as base-250 pairs so that 0xFA..0xFF never appear inside a
// payload: 0xFE starts a frame, 0xFF is the sync byte, 0xFA the search frame's code.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/param_record.h"

namespace mirelune {

class Store;

// The command codes the console sends. Bytes 2/3/4 and payload per code:
//   SetParam       0  sound mode (0 for address >= 2048) / kind / menu address; one record; LEN 9|15
//   ReadBackGroup  1  mode byte / kind / first menu address; ##; LEN 9
//   WriteGroup     2  mode byte / kind / first menu address; every record of the kind from
//                     ReadBackTable; LEN 7 + payload
//   SaveToMode     3  mode number / 0 / 0 (the address argument's bytes); ##; LEN 9
//   ReadModeNames  4  23 / 23 / 23; ##; LEN 9
//   ReadMenuFlags  5  0 / kind / 0; ##; LEN 9
//   WriteMenuFlags 6  0 / kind / 0; pair (0, hidden) per catalogue item; LEN 7 + 2 x items
//   Password       8  0 / slot / operation; digits (below); LEN 9, 11, 13, 15 or 19
//   ReadStatus     9  23 / 23 / 23; ##; LEN 9
//   ReadGroup     11  as ReadBackGroup
// "##" is the filler 0x23 0x23 of a frame without payload.
enum CommandCode : int {
  SetParam = 0,
  ReadBackGroup = 1,
  WriteGroup = 2,
  SaveToMode = 3,
  ReadModeNames = 4,
  ReadMenuFlags = 5,
  WriteMenuFlags = 6,
  Password = 8,
  ReadStatus = 9,
  ReadGroup = 11,
};

constexpr uint8_t kFrameStart = 0xFE;
constexpr uint8_t kSyncByte = 0xFF;
constexpr uint8_t kFiller = 0x23;
constexpr uint8_t kSearchCode = 0xFA;
constexpr int kMaxFrameLength = 255;
constexpr int kMaxPairValue = 62499;  // largest value whose two pair bytes stay below 250
constexpr int kEqDisabledOffset = 30000;
constexpr int kPasswordDigitCount = 21;
constexpr int kModeNameCount = 11;
constexpr int kModeNameBytes = 12;

// Password operations (address argument of a Password request).
enum PasswordOperation : int { kPasswordCheck = 0, kPasswordChange = 1, kPasswordLogOut = 2 };
// Digits of a slot's password: 4 for slot 0 (keyboard lock), 6 for slots 1 and 2.
int PasswordLength(int slot);

using PasswordBuffer = std::array<uint8_t, kPasswordDigitCount>;

// Sum of bytes[0 .. count-1] modulo 256, with 253, 254 and 255 replaced by 0. Command and reply
// frames use it; the search frame does not.
uint8_t FrameChecksum(const uint8_t* bytes, size_t count);

// The 15-byte search frame: FE FA 23 23 23 0F "TVX_CTRL" and the plain sum of the first 14.
std::vector<uint8_t> SearchFrame();

struct BuiltFrame {
  std::vector<uint8_t> bytes;   // the whole frame, LEN bytes; empty on error
  std::string error;            // what could not be encoded, with the value and address
  bool consumedModeOverride = false;  // codes 0-3 and 11 consume it even when they fail
  explicit operator bool() const { return error.empty(); }
};

// Builds the frame of `code` from the arguments and the store:
//  - codes 0..3 and 11: byte 2 is modeOverride when non-zero, else the mode argument (forced
//    to 0 for addresses >= 2048); SetParam uses store.CurrentSoundMode instead (0 for >= 2048)
//    and the record of that slot in ParamTable; WriteGroup walks KindStart..KindEnd of the
//    address's kind in ReadBackTable, slot 1 when the mode argument is 11 or more (kinds 0-7);
//  - the record encoding follows the slot-0 Kind of the table the record comes from: Kind 1
//    (band) QType, SQ, Freq (+30000 when EQDisabled), Gain, Q as 8 bytes; else Value as a pair;
//  - Password takes PasswordLength(mode) digits for operation 0, twice that for operation 1,
//    nothing (##) for any other operation.
// Fails, sending nothing, for: an unknown code; a negative value or one above 62499; a raw
// payload byte (QType, SQ, digit, menu flag) of 250 or more, which the device would take for
// a frame marker; an address outside 0..2999 where a record or kind is needed; a password
// slot other than 0..2; a frame longer than 255 bytes.
BuiltFrame BuildFrame(int code, int mode, int address, const Store& store, int32_t modeOverride,
                      const PasswordBuffer& digits);

// Appends v as (v div 250, v mod 250). Returns false, appending nothing, unless 0 <= v <= 62499.
bool AppendValuePair(std::vector<uint8_t>& out, int32_t v);
// Reads the pair at p: p[0] * 250 + p[1].
inline int32_t ReadValuePair(const uint8_t* p) { return p[0] * 250 + p[1]; }

// Appends one record in the encoding chosen by `band`. Returns an empty string on success,
// otherwise what did not fit ("SQ 300 above 249").
std::string AppendRecord(std::vector<uint8_t>& out, const ParamRecord& record, bool band);
// Decodes one record from `avail` bytes at p into `into` (only the wire fields: QType, SQ,
// Freq, EQDisabled, Gain, Q for a band; Value otherwise). Returns the bytes used (8 or 2), or 0
// when fewer than that are available.
size_t DecodeRecord(const uint8_t* p, size_t avail, bool band, ParamRecord& into);

// Bytes as uppercase hex pairs separated by single spaces: "FE 00 0A".
std::string HexBytes(const std::vector<uint8_t>& bytes);

}  // namespace mirelune
