// SPDX-License-Identifier: GPL-3.0-or-later
// Reassembly of reply frames from arbitrary chunks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/reply_parser.h"

namespace mirelune {
namespace {

using Event = ReplyParser::Event;

// Feeds the bytes and names the events that were not None, e.g. "Frame,SyncByte".
std::string Feed(ReplyParser& p, const std::vector<uint8_t>& bytes) {
  std::string out;
  for (uint8_t b : bytes) {
    const char* name = nullptr;
    switch (p.Push(b)) {
      case Event::None: break;
      case Event::SyncByte: name = "Sync"; break;
      case Event::Frame: name = "Frame"; break;
      case Event::EmptyFrame: name = "Empty"; break;
      case Event::BadChecksum: name = "BadChecksum"; break;
      case Event::BadLength: name = "BadLength"; break;
    }
    if (name) out += out.empty() ? name : std::string(",") + name;
  }
  return out;
}

TEST(ReplyParser, StreamsAndTheirEvents) {
  struct Case {
    const char* what;
    std::vector<std::vector<uint8_t>> chunks;
    const char* events;
  };
  const Case cases[] = {
      {"split over two chunks", {{0xFE, 0x05, 0x41}, {0x00, 0x44}}, "Frame"},
      {"sync byte alone", {{0xFF}}, "Sync"},
      {"sync byte inside a frame is not part of it", {{0xFE, 0x05, 0x41, 0xFF, 0x00, 0x44}},
       "Sync,Frame"},
      {"wrong checksum, later bytes ignored, next frame accepted",
       {{0xFE, 0x05, 0x41, 0x00, 0x45}, {0x46, 0x47}, {0xFE, 0x05, 0x41, 0x00, 0x44}},
       "BadChecksum,Frame"},
      {"sum 0xFE must be sent as 00", {{0xFE, 0x05, 0x7D, 0x7E, 0x00}}, "Frame"},
      {"sum 0xFE sent as FE is a new frame start", {{0xFE, 0x05, 0x7D, 0x7E, 0xFE}}, ""},
      {"LEN 3 acknowledges nothing", {{0xFE, 0x03, 0x01}}, "Empty"},
      {"LEN below 3 is dropped until the next FE",
       {{0xFE, 0x02, 0x00, 0x05, 0x41, 0x00, 0x44}, {0xFE, 0x05, 0x41, 0x00, 0x44}},
       "BadLength,Frame"},
      {"LEN 0", {{0xFE, 0x00, 0x01, 0x02}}, "BadLength"},
      {"bytes before any FE are ignored", {{0x05, 0x41, 0x00, 0x44}}, ""},
      {"a new FE abandons a partial frame", {{0xFE, 0x09, 0x01, 0x02}, {0xFE, 0x05, 0x41, 0x00, 0x44}},
       "Frame"},
  };
  for (const Case& c : cases) {
    ReplyParser p;
    std::string events;
    for (const auto& chunk : c.chunks) {
      const std::string e = Feed(p, chunk);
      if (!e.empty()) events += events.empty() ? e : "," + e;
    }
    EXPECT_EQ(events, c.events) << c.what;
  }
}

TEST(ReplyParser, PayloadAndLengthOfTheLastFrame) {
  ReplyParser p;
  // 4-byte payload 01 02 03 04: FE 07 01 02 03 04, checksum 0x0F (254+7+10 = 271).
  ASSERT_EQ(Feed(p, {0xFE, 0x07, 0x01, 0x02, 0x03, 0x04, 0x0F}), "Frame");
  EXPECT_EQ(p.RxLength(), 7);
  // A shorter payload leaves the tail of the longer one behind it.
  ASSERT_EQ(Feed(p, {0xFE, 0x05, 0x41, 0x00, 0x44}), "Frame");
  EXPECT_EQ(p.RxLength(), 5);
  const auto& payload = p.Payload();
  EXPECT_EQ(std::vector<uint8_t>(payload.begin(), payload.begin() + 4),
            (std::vector<uint8_t>{0x41, 0x00, 0x03, 0x04}));
}

TEST(ReplyParser, LongNoiseNeitherOverrunsNorBlocksTheNextFrame) {
  ReplyParser p;
  std::vector<uint8_t> noise(5000);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i % 0xF0);
  // Noise outside a frame, then a frame start whose LEN is never reached before more noise.
  Feed(p, noise);
  Feed(p, {0xFE, 0xFD});
  Feed(p, noise);
  EXPECT_EQ(Feed(p, {0xFE, 0x05, 0x41, 0x00, 0x44}), "Frame");
}

TEST(ReplyParser, ResetDropsAPartialFrame) {
  ReplyParser p;
  Feed(p, {0xFE, 0x05, 0x41});
  p.Reset();
  // Without the reset these two bytes would complete the frame above.
  EXPECT_EQ(Feed(p, {0x00, 0x44}), "");
}

}  // namespace
}  // namespace mirelune
