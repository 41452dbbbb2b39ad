// SPDX-License-Identifier: GPL-3.0-or-later
#include "owner/amplifier_session.h"

#include "platform/hidapi_port.h"
#include "sim/virtual_amplifier.h"
#include "sim/virtual_hid_port.h"
#include "sim/virtual_state.h"

namespace mirelune {

AmplifierSession::AmplifierSession(const DeviceTarget& target, Scheduler& scheduler, Notifier& notifier,
                                   const std::string& program, bool serve, const VirtualFaults& faults)
    : target_(target), scheduler_(scheduler) {
  store_ = std::make_unique<Store>();
  store_->InitDefaults();
  std::unique_ptr<HidPort> inner;
  DeviceAddress address;
  if (target.isVirtual) {
    amplifier_ = std::make_unique<VirtualAmplifier>(faults.administrator);
    inner = std::make_unique<VirtualHidPort>(*amplifier_, scheduler_, faults);
    address.kind = DeviceAddress::Kind::Virtual;
    address.value = target.virtualName;
  } else {
    inner = std::make_unique<HidapiPort>();
    address.kind = DeviceAddress::Kind::HidNamed;
    address.value = target.identity.value;
  }
  address.text = target.Label();
  port_ = std::make_unique<OwnedPort>(std::move(inner), address, program, serve);
  port_->onClaimed = [this](const DeviceTarget& t) {
    if (!t.isVirtual) return;
    state_ = std::make_unique<VirtualStateSession>(VirtualStatePath(t.virtualName));
    if (!state_->Open(*amplifier_, loadError_)) {
      state_.reset();
      return;
    }
    state_->KeepEveryChange(*amplifier_);
  };
  usb_ = std::make_unique<UsbComm>(*port_, scheduler_);
  link_ = std::make_unique<Link>(*store_, *usb_, scheduler_, notifier);
  transfers_ = std::make_unique<Transfers>(*store_, *link_, notifier);
}

AmplifierSession::~AmplifierSession() {
  link_->Quitting = true;
  link_->Stop();
  transfers_.reset();
  link_.reset();
  usb_.reset();
  port_.reset();  // releases the lock after the link stopped
  if (state_ && amplifier_) {
    amplifier_->onMemoryChanged = nullptr;
    std::string e;
    state_->Close(*amplifier_, e);
  }
}

const std::string& AmplifierSession::SaveError() const {
  static const std::string none;
  return state_ ? state_->SaveError() : none;
}

bool AmplifierSession::Connect(std::string& error, int limitMs) {
  const HidOpenResult claimed = port_->Claim(kAmplifierVendorId, kAmplifierProductId);
  if (!claimed) {
    error = claimed.detail;
    return false;
  }
  if (!loadError_.empty()) {
    error = loadError_;
    return false;
  }
  usb_->Start();
  link_->Start();
  bool expired = false;
  const Scheduler::TimerId limit = scheduler_.StartTimer(limitMs, false, [&expired] { expired = true; });
  scheduler_.WaitUntil([&] { return link_->Online || expired; });
  scheduler_.StopTimer(limit);
  if (link_->Online) return true;
  error = usb_->IsConnected() ? "it did not answer the search frame"
                              : DescribeOpenResult(usb_->LastOpenResult(), usb_->Vendor(), usb_->Product());
  return false;
}

}  // namespace mirelune
