// SPDX-License-Identifier: GPL-3.0-or-later
// USB_Comm: the amplifier's byte pipe over a HidPort. Knows reports, not frames.
//
// Output report: 01, n, n data bytes, zero filler up to the output report length; a byte
// string is cut into reports of at most min(length - 2, 60) data bytes. Input report: 02, n,
// n data bytes; other report ids and n = 0 carry nothing.
//
// Thread: UI thread. DataArrival runs on the UI thread, also inside a nested wait.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/hid_port.h"
#include "platform/scheduler.h"

namespace mirelune {

constexpr uint16_t kAmplifierVendorId = 0x2E3C;
constexpr uint16_t kAmplifierProductId = 0x0D07;

class UsbComm {
 public:
  static constexpr int kMaxChunk = 60;
  static constexpr uint8_t kOutputReportId = 1;
  static constexpr uint8_t kInputReportId = 2;
  // While no device is open, Connect is retried at this interval (and on every send); while one
  // is open the timer does not run.
  static constexpr int kReconnectIntervalMs = 500;

  // `port` and `scheduler` must outlive this object.
  UsbComm(HidPort& port, Scheduler& scheduler, uint16_t vendor = kAmplifierVendorId,
          uint16_t product = kAmplifierProductId);
  ~UsbComm();
  UsbComm(const UsbComm&) = delete;
  UsbComm& operator=(const UsbComm&) = delete;

  // Starts the reconnect timer and tries to connect once. Until then nothing is opened except
  // on demand by SendData.
  void Start();

  // Closes the port and opens it again. The outcome, with the reason of a failure, is kept in
  // LastOpenResult().
  bool Connect();
  bool IsConnected() const { return port_.IsOpen(); }
  const HidOpenResult& LastOpenResult() const { return lastOpen_; }
  uint16_t Vendor() const { return vendor_; }
  uint16_t Product() const { return product_; }

  // Sends `data` as consecutive output reports. Connects first when nothing is open. A report
  // whose write fails is retried once after a reconnect; if that fails too the rest of the
  // data is not sent and the result is false. False also for empty data.
  bool SendData(const std::vector<uint8_t>& data);

  // The data bytes of every input report that carries some, in arrival order.
  std::function<void(const std::vector<uint8_t>& data)> DataArrival;
  // The port was opened, lost, or an attempt to open it gave another outcome than the last
  // (for the status line, which then needs no timer of its own).
  std::function<void()> onOpenChanged;
  // The port was opened (true) or closed (false): the link searches only while one is open.
  std::function<void(bool open)> onPort;

  // Pure helpers, exposed for tests.
  // The output reports for `data` at this output report length (>= 3); empty for an empty
  // array or a length below 3.
  static std::vector<std::vector<uint8_t>> SplitIntoReports(const std::vector<uint8_t>& data,
                                                            int outputReportLength);
  // The data bytes of an input report; false for another report id, n = 0, or n larger than
  // the report holds.
  static bool InputReportData(const std::vector<uint8_t>& report, std::vector<uint8_t>& data);

 private:
  void OnInputReport(const std::vector<uint8_t>& report);
  void OnLost();
  void ReconnectTick();
  // Runs the reconnect timer exactly while started and no device is open.
  void ArmReconnect();
  void NoteOpen(const HidOpenResult& before, bool wasOpen);
  bool started_ = false;

  HidPort& port_;
  Scheduler& scheduler_;
  uint16_t vendor_;
  uint16_t product_;
  HidOpenResult lastOpen_;
  Scheduler::TimerId reconnectTimer_ = 0;
};

}  // namespace mirelune
