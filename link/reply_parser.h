// SPDX-License-Identifier: GPL-3.0-or-later
// Reassembly of the amplifier's byte stream into reply frames. Pure: no I/O, no link state.
//
// Reply frame: FE, LEN, payload (LEN - 3 bytes), checksum (the command frame rule) - there are
// no code, mode or address bytes. A lone 0xFF is the sync echo and never part of a frame; a
// 0xFE always starts a new frame.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace mirelune {

class ReplyParser {
 public:
  static constexpr int kAssemblySize = 1000;
  static constexpr int kPayloadSize = 5001;

  enum class Event {
    None,         // byte taken (or dropped), nothing complete yet
    SyncByte,     // 0xFF
    Frame,        // a frame with a valid checksum and at least one payload byte; it is in
                  // Payload() from offset 0 and LastFrame()/RxLength() describe it
    EmptyFrame,   // a valid frame of LEN 3: acknowledges nothing
    BadChecksum,  // the frame was dropped; bytes up to the next FE are ignored
    BadLength,    // LEN below 3: the frame was dropped; bytes up to the next FE are ignored
  };

  // Feeds one byte.
  Event Push(uint8_t b);

  // Drops a partial frame (before every send and every search frame), so bytes left over from
  // an earlier, incomplete reply cannot complete a later one.
  void Reset() { pos_ = 0; collecting_ = false; }
  // True while a frame has started (FE seen) and is not complete yet: a Reset or the next FE
  // would cut it short.
  bool InFrame() const { return collecting_; }

  // LEN of the frame last checked (valid or not); 0 before any.
  int RxLength() const { return rxLength_; }
  // Offsets 0 .. LEN-4 hold the last valid frame's payload; later offsets keep what longer
  // earlier frames left there.
  const std::array<uint8_t, kPayloadSize>& Payload() const { return payload_; }
  // The raw bytes of the frame last checked, RxLength() of them (for tracing).
  const uint8_t* LastFrame() const { return frame_.data(); }

 private:
  std::array<uint8_t, kAssemblySize> frame_{};
  std::array<uint8_t, kPayloadSize> payload_{};
  int pos_ = 0;
  int rxLength_ = 0;
  bool collecting_ = false;
};

}  // namespace mirelune
