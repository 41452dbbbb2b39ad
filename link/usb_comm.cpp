// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/usb_comm.h"

#include <algorithm>

namespace mirelune {

UsbComm::UsbComm(HidPort& port, Scheduler& scheduler, uint16_t vendor, uint16_t product)
    : port_(port), scheduler_(scheduler), vendor_(vendor), product_(product) {
  port_.SetInputHandler([this](const std::vector<uint8_t>& r) { OnInputReport(r); });
  port_.SetLostHandler([this] { OnLost(); });
}

UsbComm::~UsbComm() {
  scheduler_.StopTimer(reconnectTimer_);
  port_.SetInputHandler(nullptr);
  port_.SetLostHandler(nullptr);
}

void UsbComm::Start() {
  started_ = true;
  if (!port_.IsOpen()) Connect();
  ArmReconnect();
}

bool UsbComm::Connect() {
  const HidOpenResult before = lastOpen_;
  const bool wasOpen = port_.IsOpen();
  port_.Close();
  lastOpen_ = port_.Open(vendor_, product_);
  ArmReconnect();
  NoteOpen(before, wasOpen);
  return static_cast<bool>(lastOpen_);
}

void UsbComm::NoteOpen(const HidOpenResult& before, bool wasOpen) {
  if (onPort && wasOpen != port_.IsOpen()) onPort(port_.IsOpen());
  if (!onOpenChanged) return;
  if (wasOpen != port_.IsOpen() || before.status != lastOpen_.status || before.detail != lastOpen_.detail)
    onOpenChanged();
}

void UsbComm::ArmReconnect() {
  const bool wanted = started_ && !port_.IsOpen();
  if (wanted && reconnectTimer_ == 0)
    reconnectTimer_ = scheduler_.StartTimer(kReconnectIntervalMs, true, [this] { ReconnectTick(); });
  if (!wanted && reconnectTimer_ != 0) {
    scheduler_.StopTimer(reconnectTimer_);
    reconnectTimer_ = 0;
  }
}

void UsbComm::ReconnectTick() {
  // An unplugged amplifier is noticed by the port (read error) or by a failed write; from
  // then on it is looked for here, so replugging needs no user action.
  if (!port_.IsOpen()) Connect();
  ArmReconnect();
}

void UsbComm::OnLost() {
  const HidOpenResult before = lastOpen_;
  lastOpen_ = HidOpenResult{HidOpenStatus::NotFound, "device went away"};
  ArmReconnect();
  NoteOpen(before, true);
}

std::vector<std::vector<uint8_t>> UsbComm::SplitIntoReports(const std::vector<uint8_t>& data,
                                                            int outputReportLength) {
  std::vector<std::vector<uint8_t>> reports;
  if (data.empty() || outputReportLength < 3) return reports;
  const size_t chunk = static_cast<size_t>(std::min(outputReportLength - 2, kMaxChunk));
  for (size_t offset = 0; offset < data.size(); offset += chunk) {
    const size_t n = std::min(chunk, data.size() - offset);
    std::vector<uint8_t> r(static_cast<size_t>(outputReportLength), 0);
    r[0] = kOutputReportId;
    r[1] = static_cast<uint8_t>(n);
    std::copy_n(data.begin() + static_cast<long>(offset), n, r.begin() + 2);
    reports.push_back(std::move(r));
  }
  return reports;
}

bool UsbComm::InputReportData(const std::vector<uint8_t>& report, std::vector<uint8_t>& data) {
  if (report.size() < 2 || report[0] != kInputReportId || report[1] == 0) return false;
  const size_t n = report[1];
  // A count beyond the report would read past it; such a report is damaged, not short.
  if (n > report.size() - 2) return false;
  data.assign(report.begin() + 2, report.begin() + 2 + static_cast<long>(n));
  return true;
}

void UsbComm::OnInputReport(const std::vector<uint8_t>& report) {
  std::vector<uint8_t> data;
  if (InputReportData(report, data) && DataArrival) DataArrival(data);
}

bool UsbComm::SendData(const std::vector<uint8_t>& data) {
  if (!port_.IsOpen() && !Connect()) return false;
  if (data.empty()) return false;
  for (const auto& report : SplitIntoReports(data, port_.OutputReportLength())) {
    if (port_.WriteReport(report)) continue;
    // The handle may be stale after an unplug and replug: reopen and try this report once more.
    if (!Connect() || !port_.WriteReport(report)) return false;
  }
  return true;
}

}  // namespace mirelune
