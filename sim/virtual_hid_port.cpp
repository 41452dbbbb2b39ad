// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/virtual_hid_port.h"

#include <algorithm>

#include "link/frame_codec.h"
#include "link/usb_comm.h"

namespace mirelune {

namespace {
constexpr uint8_t kNoise[] = {0x12, 0x34};
}

VirtualHidPort::VirtualHidPort(VirtualAmplifier& amplifier, Scheduler& scheduler,
                               VirtualFaults faults)
    : amp_(amplifier), scheduler_(scheduler), faults_(faults) {
  if (faults_.unplugAtMs >= 0) {
    unplugTimer_ = scheduler_.StartTimer(faults_.unplugAtMs, false, [this] {
      Unplug();
      unplugTimer_ = 0;
      if (faults_.unplugForMs >= 0)
        unplugTimer_ = scheduler_.StartTimer(faults_.unplugForMs, false, [this] {
          unplugTimer_ = 0;
          Replug();
        });
    });
  }
}

VirtualHidPort::~VirtualHidPort() {
  scheduler_.StopTimer(unplugTimer_);
  for (Scheduler::TimerId id : pending_) scheduler_.StopTimer(id);
}

HidOpenResult VirtualHidPort::Open(uint16_t vendor, uint16_t product) {
  Close();
  switch (faults_.openFailure) {
    case VirtualFaults::OpenFailure::Denied:
      return {HidOpenStatus::PermissionDenied, "virtual amplifier: permission denied"};
    case VirtualFaults::OpenFailure::Busy:
      return {HidOpenStatus::Busy, "virtual amplifier: in use"};
    case VirtualFaults::OpenFailure::None:
      break;
  }
  if (!plugged_ || vendor != kAmplifierVendorId || product != kAmplifierProductId)
    return {HidOpenStatus::NotFound, ""};
  open_ = true;
  return {HidOpenStatus::Opened, "virtual amplifier"};
}

void VirtualHidPort::Close() {
  open_ = false;
  ++generation_;
}

void VirtualHidPort::Unplug() {
  plugged_ = false;
  amp_.ResetReceiver();
  if (!open_) return;
  Close();
  if (lost_) lost_();
}

void VirtualHidPort::Replug() { plugged_ = true; }

bool VirtualHidPort::WriteReport(const std::vector<uint8_t>& report) {
  if (!open_ || static_cast<int>(report.size()) != reportLength_) return false;
  written_.push_back(report);
  if (report[0] != UsbComm::kOutputReportId || report[1] > reportLength_ - 2) return true;
  int64_t at = scheduler_.NowMs();
  if (faults_.usbTiming) {
    at = std::max(at, outFreeAt_) + 1;
    outFreeAt_ = at;
  }
  const std::vector<uint8_t> data(report.begin() + 2, report.begin() + 2 + report[1]);
  for (const auto& answer : amp_.Receive(data)) {
    if (answer.size() == 1 && answer[0] == kSyncByte) {
      if (!faults_.noSyncEcho) Deliver(answer, at);
      continue;
    }
    if (faults_.dropReplies > 0) {
      --faults_.dropReplies;
      continue;
    }
    std::vector<uint8_t> frame = answer;
    if (faults_.corruptReplies > 0) {
      --faults_.corruptReplies;
      frame.back() ^= 0x01;  // checksums are 0..252, so the result is never a marker byte
    }
    if (faults_.strayBytes) {
      frame.insert(frame.begin() + 2, kSyncByte);  // a 0xFF never belongs to a frame
      const uint8_t prefix[] = {kNoise[0], kNoise[1], kSyncByte};
      frame.insert(frame.begin(), std::begin(prefix), std::end(prefix));
    }
    Deliver(frame, at);
  }
  return true;
}

void VirtualHidPort::Deliver(const std::vector<uint8_t>& bytes, int64_t at) {
  at += faults_.replyDelayMs;
  const int room = reportLength_ - 2;
  const size_t chunk = static_cast<size_t>(
      std::min(faults_.splitBytes > 0 ? std::min(faults_.splitBytes, room) : room, 255));
  for (size_t offset = 0; offset < bytes.size(); offset += chunk) {
    const size_t n = std::min(chunk, bytes.size() - offset);
    std::vector<uint8_t> r(static_cast<size_t>(reportLength_), 0);
    r[0] = UsbComm::kInputReportId;
    r[1] = static_cast<uint8_t>(n);
    std::copy_n(bytes.begin() + static_cast<long>(offset), n, r.begin() + 2);
    // Reports keep their order; with usbtiming each one takes its own 1 ms IN frame.
    int64_t when = std::max(at, inLastAt_);
    if (faults_.usbTiming) ++when;
    inLastAt_ = when;
    Post(when, std::move(r));
  }
}

void VirtualHidPort::Post(int64_t at, std::vector<uint8_t> report) {
  const unsigned gen = generation_;
  const int delay = static_cast<int>(std::max<int64_t>(0, at - scheduler_.NowMs()));
  auto id = std::make_shared<Scheduler::TimerId>(0);
  *id = scheduler_.StartTimer(delay, false, [this, gen, id, report = std::move(report)] {
    pending_.erase(*id);
    if (gen != generation_ || !open_ || !input_) return;
    input_(report);
  });
  pending_.insert(*id);
}

}  // namespace mirelune
