// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/reply_parser.h"

#include <algorithm>

#include "link/frame_codec.h"

namespace mirelune {

ReplyParser::Event ReplyParser::Push(uint8_t b) {
  if (b == kSyncByte) return Event::SyncByte;
  if (b == kFrameStart) {
    frame_[0] = b;
    pos_ = 1;
    collecting_ = true;
    return Event::None;
  }
  // Outside a frame (nothing started, or the last one was dropped) bytes are ignored until the
  // next FE; they cannot run past the assembly buffer.
  if (!collecting_) return Event::None;
  frame_[static_cast<size_t>(pos_++)] = b;
  if (pos_ < 2) return Event::None;
  rxLength_ = frame_[1];
  if (rxLength_ < 3) {
    // Nothing shorter than FE, LEN, checksum can be checked, and waiting for LEN bytes that
    // were already passed would swallow the stream up to the buffer's end.
    collecting_ = false;
    pos_ = 0;
    return Event::BadLength;
  }
  if (pos_ < rxLength_) return Event::None;

  collecting_ = false;
  pos_ = 0;
  const size_t len = static_cast<size_t>(rxLength_);
  if (FrameChecksum(frame_.data(), len - 1) != frame_[len - 1]) return Event::BadChecksum;
  std::copy(frame_.begin() + 2, frame_.begin() + static_cast<long>(len) - 1, payload_.begin());
  return len > 3 ? Event::Frame : Event::EmptyFrame;
}

}  // namespace mirelune
