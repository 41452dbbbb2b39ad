// SPDX-License-Identifier: GPL-3.0-or-later
// The report format of the HID transport and its write retry.
#include <gtest/gtest.h>

#include <deque>

#include "link/frame_codec.h"
#include "link/usb_comm.h"
#include "platform/virtual_scheduler.h"

namespace mirelune {
namespace {

TEST(UsbReports, FramesAreCutIntoReportsOfAtMost60DataBytes) {
  struct Case {
    size_t bytes;
    int reportLength;
    std::vector<int> counts;
  };
  const Case cases[] = {{15, 65, {15}}, {130, 65, {60, 60, 10}}, {60, 65, {60}},
                        {61, 65, {60, 1}}, {40, 33, {31, 9}},     {0, 65, {}}};
  for (const Case& c : cases) {
    std::vector<uint8_t> data(c.bytes);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i + 1);
    const auto reports = UsbComm::SplitIntoReports(data, c.reportLength);
    ASSERT_EQ(reports.size(), c.counts.size()) << c.bytes << "/" << c.reportLength;
    std::vector<uint8_t> joined;
    for (size_t r = 0; r < reports.size(); ++r) {
      ASSERT_EQ(reports[r].size(), static_cast<size_t>(c.reportLength));
      EXPECT_EQ(reports[r][0], 1);
      EXPECT_EQ(reports[r][1], c.counts[r]);
      joined.insert(joined.end(), reports[r].begin() + 2, reports[r].begin() + 2 + c.counts[r]);
      for (size_t i = 2 + static_cast<size_t>(c.counts[r]); i < reports[r].size(); ++i)
        EXPECT_EQ(reports[r][i], 0) << "filler at " << i;
    }
    EXPECT_EQ(joined, data);
  }
}

TEST(UsbReports, TheSearchFrameIsOneReport) {
  const auto reports = UsbComm::SplitIntoReports(SearchFrame(), 65);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(HexBytes({reports[0].begin(), reports[0].begin() + 17}),
            "01 0F FE FA 23 23 23 0F 54 56 58 5F 43 54 52 4C 06");
}

TEST(UsbReports, InputReportsCarryTheirCountedBytes) {
  struct Case {
    std::vector<uint8_t> report;
    const char* data;  // nullptr: nothing raised
  };
  std::vector<uint8_t> full(65, 0);
  full[0] = 2;
  full[1] = 64;  // more than the 63 bytes the report holds
  const Case cases[] = {{{0x02, 0x03, 0xFE, 0x05, 0x41, 0x00}, "FE 05 41"},
                        {{0x02, 0x00, 0xFE}, nullptr},
                        {{0x01, 0x03, 0xFE, 0x05, 0x41}, nullptr},
                        {{0x02}, nullptr},
                        {full, nullptr}};
  for (const Case& c : cases) {
    std::vector<uint8_t> data;
    const bool raised = UsbComm::InputReportData(c.report, data);
    EXPECT_EQ(raised, c.data != nullptr) << HexBytes(c.report);
    if (c.data) {
      EXPECT_EQ(HexBytes(data), c.data);
    }
  }
}

// A port whose writes fail as scripted; every Open succeeds and is counted.
class ScriptedPort : public HidPort {
 public:
  HidOpenResult Open(uint16_t, uint16_t) override {
    ++opens;
    open = true;
    return {HidOpenStatus::Opened, ""};
  }
  void Close() override { open = false; }
  bool IsOpen() const override { return open; }
  int InputReportLength() const override { return open ? 65 : 0; }
  int OutputReportLength() const override { return open ? 65 : 0; }
  bool WriteReport(const std::vector<uint8_t>& r) override {
    const bool ok = failures.empty() ? true : !failures.front();
    if (!failures.empty()) failures.pop_front();
    if (ok) written.push_back(r);
    return ok;
  }
  void SetInputHandler(InputHandler) override {}
  void SetLostHandler(LostHandler) override {}

  bool open = false;
  int opens = 0;
  std::deque<bool> failures;  // true: that write fails
  std::vector<std::vector<uint8_t>> written;
};

TEST(UsbComm, AFailedWriteIsRetriedOnceAfterReconnecting) {
  struct Case {
    const char* what;
    std::deque<bool> failures;
    bool result;
    size_t reportsWritten;
    int opens;  // including the first lazy connect
  };
  const Case cases[] = {
      {"all writes succeed", {}, true, 3, 1},
      {"second report fails once", {false, true, false, false}, true, 3, 2},
      {"second report fails twice: the rest is not sent", {false, true, true}, false, 1, 2},
  };
  for (const Case& c : cases) {
    VirtualScheduler sched;
    ScriptedPort port;
    UsbComm usb(port, sched);
    port.failures = c.failures;
    const bool ok = usb.SendData(std::vector<uint8_t>(130, 0x11));
    EXPECT_EQ(ok, c.result) << c.what;
    EXPECT_EQ(port.written.size(), c.reportsWritten) << c.what;
    EXPECT_EQ(port.opens, c.opens) << c.what;
  }
}

}  // namespace
}  // namespace mirelune
