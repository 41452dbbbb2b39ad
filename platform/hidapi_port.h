// SPDX-License-Identifier: GPL-3.0-or-later
// HidPort over hidapi: real amplifiers on Linux (hidraw), Windows and macOS.
//
// A reader thread blocks in hid_read_timeout and posts every report to the thread that opened
// the port (the UI thread) through a queued call on a context object; it never touches
// anything else. hidapi reports no report lengths, so both are 65 (report id + 64 bytes).
#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include "platform/hid_discovery.h"
#include "platform/hid_port.h"

class QObject;

namespace mirelune {

class HidapiPort : public HidPort {
 public:
  static constexpr int kReportLength = 65;

  // Must be constructed on the UI thread, which needs a running Qt event loop (or nested
  // waits) for reports to arrive.
  HidapiPort();
  ~HidapiPort() override;

  // Opens the first attached device with these ids that has the identity given to
  // SetIdentity (any, by default), so that a replug finds the same amplifier again.
  HidOpenResult Open(uint16_t vendor, uint16_t product) override;
  void SetIdentity(HidIdentity identity) override { identity_ = std::move(identity); }
  std::vector<HidDeviceInfo> Attached(uint16_t vendor, uint16_t product) override {
    return EnumerateHidAmplifiers(vendor, product);
  }
  const HidIdentity& Identity() const { return identity_; }
  // The row of the open device; empty while closed.
  const HidDeviceInfo& Opened() const { return opened_; }
  void Close() override;
  bool IsOpen() const override { return device_ != nullptr; }
  int InputReportLength() const override { return IsOpen() ? kReportLength : 0; }
  int OutputReportLength() const override { return IsOpen() ? kReportLength : 0; }
  bool WriteReport(const std::vector<uint8_t>& report) override;
  void SetInputHandler(InputHandler handler) override { input_ = std::move(handler); }
  void SetLostHandler(LostHandler handler) override { lost_ = std::move(handler); }

 private:
  struct Device;
  void ReaderLoop(Device* device, unsigned generation);
  HidOpenResult Classify(const char* path, const std::string& hidError) const;

  Device* device_ = nullptr;
  std::unique_ptr<QObject> context_;  // lives on the UI thread; target of the posted reports
  std::thread reader_;
  std::atomic<bool> stop_{false};
  // Bumped by every Close, so that reports posted by an earlier reader are dropped.
  std::atomic<unsigned> generation_{0};
  HidIdentity identity_;
  HidDeviceInfo opened_;
  InputHandler input_;
  LostHandler lost_;
};

}  // namespace mirelune
