// SPDX-License-Identifier: GPL-3.0-or-later
// A virtual session with the whole-mode transfers wired, for the transfer and file tests.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "link/transfers.h"
#include "sim/virtual_rig.h"

namespace mirelune::testing_support {

class TransferTest : public ::testing::Test {
 protected:
  explicit TransferTest(VirtualFaults faults = {}) : rig(std::make_unique<VirtualRig>(faults)) {}
  void SetUp() override {
    transfers = std::make_unique<Transfers>(rig->store, rig->link, rig->notifier);
    ASSERT_TRUE(rig->BringUp());
    // Count command frames as they go out; tests may act on the n-th one.
    auto trace = rig->link.onTrace;
    rig->link.onTrace = [this, trace](bool sent, const std::vector<uint8_t>& bytes) {
      if (trace) trace(sent, bytes);
      if (sent && bytes.size() > 6 && bytes[0] == 0xFE && bytes[1] != 0xFA) {
        sentFrames.push_back(bytes);
        if (onFrame) onFrame(bytes);
      }
    };
  }

  // Frames of one code sent since SetUp, retries included.
  std::vector<std::vector<uint8_t>> Frames(int code) const {
    std::vector<std::vector<uint8_t>> out;
    for (const auto& f : sentFrames)
      if (f[1] == code) out.push_back(f);
    return out;
  }

  std::unique_ptr<VirtualRig> rig;
  std::unique_ptr<Transfers> transfers;
  std::vector<std::vector<uint8_t>> sentFrames;
  std::function<void(const std::vector<uint8_t>&)> onFrame;
};

}  // namespace mirelune::testing_support
