// SPDX-License-Identifier: GPL-3.0-or-later
// HidPort in front of a VirtualAmplifier: the amplifier behind the same interface as a real
// one, with fault injection.
//
// Replies are delivered as input reports through one-shot timers of the Scheduler, so they
// arrive on the UI thread inside the link's waits, in order, in virtual or real time.
#pragma once

#include <set>

#include "platform/hid_port.h"
#include "platform/scheduler.h"
#include "sim/virtual_amplifier.h"
#include "sim/virtual_faults.h"

namespace mirelune {

class VirtualHidPort : public HidPort {
 public:
  static constexpr int kDefaultReportLength = 65;

  // `amplifier` and `scheduler` must outlive the port. An unplug given in `faults` is timed
  // from the construction of the port.
  VirtualHidPort(VirtualAmplifier& amplifier, Scheduler& scheduler, VirtualFaults faults = {});
  ~VirtualHidPort() override;

  HidOpenResult Open(uint16_t vendor, uint16_t product) override;
  void Close() override;
  bool IsOpen() const override { return open_; }
  int InputReportLength() const override { return open_ ? reportLength_ : 0; }
  int OutputReportLength() const override { return open_ ? reportLength_ : 0; }
  bool WriteReport(const std::vector<uint8_t>& report) override;
  void SetInputHandler(InputHandler handler) override { input_ = std::move(handler); }
  void SetLostHandler(LostHandler handler) override { lost_ = std::move(handler); }

  // Faults may be changed at any time; counters (drop, corrupt) count down as they act.
  VirtualFaults& Faults() { return faults_; }
  // Both report lengths (>= 3), for devices with other report sizes.
  void SetReportLength(int length) { reportLength_ = length; }
  // The cable: pulling it closes the port (the lost handler runs) and makes Open fail with
  // NotFound until Replug.
  void Unplug();
  void Replug();
  bool Plugged() const { return plugged_; }
  // Every output report written, in order (for tests of the report format).
  const std::vector<std::vector<uint8_t>>& WrittenReports() const { return written_; }
  void ClearWrittenReports() { written_.clear(); }

 private:
  void Deliver(const std::vector<uint8_t>& bytes, int64_t at);
  void Post(int64_t at, std::vector<uint8_t> report);

  VirtualAmplifier& amp_;
  Scheduler& scheduler_;
  VirtualFaults faults_;
  int reportLength_ = kDefaultReportLength;
  bool open_ = false;
  bool plugged_ = true;
  unsigned generation_ = 0;   // bumped by Close: reports in flight are dropped
  int64_t outFreeAt_ = 0;     // usbtiming: the next free OUT frame
  int64_t inLastAt_ = 0;      // reports are never delivered out of order
  std::vector<std::vector<uint8_t>> written_;
  InputHandler input_;
  LostHandler lost_;
  Scheduler::TimerId unplugTimer_ = 0;
  std::set<Scheduler::TimerId> pending_;  // stopped if the port goes first
};

}  // namespace mirelune
