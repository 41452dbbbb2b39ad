// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the amplifier's byte stream, cut into input reports of any sizes, through the
// report format into the reply parser and the link.
//
// Input: byte 0 sets the link's state (bit 0 online, bit 1 a request waiting, bit 2 the link
// switched off), byte 1 seeds the report sizes (1..63 data bytes each), the rest is the stream.
// Beyond what the sanitizers catch, it checks that
//  - an input report carries exactly the bytes put into it;
//  - every frame the parser reports has its start byte, its LEN, a right checksum, and, when it
//    has a payload, that payload in Payload();
//  - the parser's events do not depend on how the stream was cut;
//  - an answer the link takes is one of the frames that came, and it is never the identifier
//    reply; the link comes up only on an identifier reply, and never while switched off.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "link/frame_codec.h"
#include "link/link.h"
#include "link/reply_parser.h"
#include "link/usb_comm.h"
#include "sim/virtual_rig.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using mirelune::ReplyParser;
using Frames = std::vector<std::vector<uint8_t>>;

struct Seen {
  std::vector<ReplyParser::Event> events;
  Frames frames;  // valid frames with a payload, whole
};

void Feed(ReplyParser& parser, const uint8_t* bytes, size_t n, Seen& seen) {
  for (size_t i = 0; i < n; ++i) {
    const ReplyParser::Event e = parser.Push(bytes[i]);
    if (e == ReplyParser::Event::None) continue;
    seen.events.push_back(e);
    if (e != ReplyParser::Event::Frame && e != ReplyParser::Event::EmptyFrame) continue;
    const int len = parser.RxLength();
    FUZZ_CHECK(len >= 3 && len <= 255);
    const uint8_t* f = parser.LastFrame();
    FUZZ_CHECK(f[0] == mirelune::kFrameStart && f[1] == len);
    FUZZ_CHECK(mirelune::FrameChecksum(f, static_cast<size_t>(len - 1)) == f[len - 1]);
    if (e == ReplyParser::Event::EmptyFrame) {
      FUZZ_CHECK(len == 3);
      continue;
    }
    FUZZ_CHECK(len > 3);
    FUZZ_CHECK(std::memcmp(parser.Payload().data(), f + 2, static_cast<size_t>(len - 3)) == 0);
    seen.frames.emplace_back(f, f + len);
  }
}

// The report sizes: a small generator seeded by the input, so every cut can be reached.
struct Cuts {
  explicit Cuts(uint8_t seed) : state(seed * 2654435761u + 1) {}
  size_t Next() {
    state = state * 1103515245u + 12345u;
    return 1 + (state >> 16) % 63;
  }
  uint32_t state;
};

mirelune::VirtualRig& Rig() {
  // One rig for the whole run (its store and amplifier take a while to build); each input gets
  // a fresh Link on it, so no state carries over from one input to the next.
  static mirelune::VirtualRig* rig = [] {
    auto* r = new mirelune::VirtualRig();
    r->link.onTrace = nullptr;
    r->link.Stop();
    return r;
  }();
  return *rig;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t state = data[0];
  Cuts cuts(data[1]);
  const uint8_t* stream = data + 2;
  const size_t n = size - 2;

  ReplyParser whole;
  Seen wholeSeen;
  Feed(whole, stream, n, wholeSeen);

  mirelune::VirtualRig& rig = Rig();
  auto link = std::make_unique<mirelune::Link>(rig.store, rig.usb, rig.scheduler, rig.notifier);
  link->Online = state & 1;
  link->Waiting = state & 2;
  link->SearchDisabled = state & 4;
  const bool wasOnline = link->Online;
  const bool wasWaiting = link->Waiting;

  ReplyParser cut;
  Seen cutSeen;
  for (size_t offset = 0; offset < n;) {
    const size_t len = std::min(cuts.Next(), n - offset);
    std::vector<uint8_t> report(mirelune::VirtualHidPort::kDefaultReportLength, 0);
    report[0] = mirelune::UsbComm::kInputReportId;
    report[1] = static_cast<uint8_t>(len);
    std::memcpy(report.data() + 2, stream + offset, len);
    std::vector<uint8_t> chunk;
    FUZZ_CHECK(mirelune::UsbComm::InputReportData(report, chunk));
    FUZZ_CHECK(chunk.size() == len && std::memcmp(chunk.data(), stream + offset, len) == 0);
    Feed(cut, chunk.data(), chunk.size(), cutSeen);
    link->ParseReplyBytes(chunk);
    offset += len;
  }
  FUZZ_CHECK(cutSeen.events == wholeSeen.events);
  FUZZ_CHECK(cutSeen.frames == wholeSeen.frames);

  auto isIdentifier = [](const std::vector<uint8_t>& f) {
    const size_t id = std::strlen(mirelune::kDeviceIdentifier);
    return f.size() >= id + 3 && std::memcmp(f.data() + 2, mirelune::kDeviceIdentifier, id) == 0;
  };
  bool anyIdentifier = false;
  for (const auto& f : wholeSeen.frames) anyIdentifier |= isIdentifier(f);
  if (!wasOnline && link->Online) FUZZ_CHECK(anyIdentifier && !link->SearchDisabled);
  if (wasOnline && wasWaiting && link->ReplyOk) {
    // The answer taken: the payload of a frame that came, and not the identifier reply.
    const int len = link->RxLength();
    bool found = false;
    for (const auto& f : wholeSeen.frames)
      found |= static_cast<int>(f.size()) == len && !isIdentifier(f) &&
               std::memcmp(link->ReplyPayload().data(), f.data() + 2, f.size() - 3) == 0;
    FUZZ_CHECK(found);
  }
  FUZZ_CHECK(link->RepliesOwed() == 0);  // nothing was sent, so nothing can be owed
  return 0;
}
