// SPDX-License-Identifier: GPL-3.0-or-later
// The port of an owned amplifier: before the first frame goes out, the amplifier the address
// names is found and its lock taken; only then is the device opened. The lock stays with this
// port until it is destroyed or Release()d, across unplugs, so that a replugged amplifier comes
// back to the same owner and another program never slips in between.
//
//   OwnedPort port(std::make_unique<HidapiPort>(), address, "mirelune");
//   port.onClaimed = [&](const DeviceTarget& t) { ... load a virtual memory, listen ... };
//   UsbComm usb(port, scheduler);   // its reconnect timer calls Open
//
// Open fails without touching the device when the address names no attached amplifier or
// several (NotFound / Failed, the detail naming the candidates), or when another program owns
// it (Busy; Holder() names it). A hid port is pointed at the amplifier's identity (serial,
// else USB location, else path), so a reconnect opens that one and no other.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "owner/device_address.h"
#include "owner/device_lock.h"
#include "platform/hid_port.h"

namespace mirelune {

class OwnedPort : public HidPort {
 public:
  // `inner` is a HidapiPort for a hid address, a VirtualHidPort for a virtual one. `program`
  // names the owner in the lock ("mirelune", "mirelune-cli set"). With `serve` the lock names
  // the socket SocketPathFor(key), which the caller listens on from onClaimed.
  OwnedPort(std::unique_ptr<HidPort> inner, DeviceAddress address, std::string program,
            bool serve);
  ~OwnedPort() override;

  HidOpenResult Open(uint16_t vendor, uint16_t product) override;
  void Close() override { inner_->Close(); }
  bool IsOpen() const override { return inner_->IsOpen(); }
  int InputReportLength() const override { return inner_->InputReportLength(); }
  int OutputReportLength() const override { return inner_->OutputReportLength(); }
  bool WriteReport(const std::vector<uint8_t>& report) override { return inner_->WriteReport(report); }
  void SetInputHandler(InputHandler handler) override;
  void SetLostHandler(LostHandler handler) override;

  // Takes the lock now (Open does it too), so that a caller can load what belongs to the
  // amplifier first. The outcome as Open would report it.
  HidOpenResult Claim(uint16_t vendor, uint16_t product);
  // Lets go of the device and its lock.
  void Release();
  // Another amplifier from now on: the device and the lock are let go, `inner` takes the old
  // port's place (with its handlers) and the next Open claims the new address.
  void Retarget(std::unique_ptr<HidPort> inner, DeviceAddress address);
  // How many attached amplifiers the last claim found for a plain "hid" (2 or more: the user
  // must choose one).
  int CandidatesSeen() const { return candidatesSeen_; }

  // Claimed: the lock is held, or no lock could be made at all (LockError says why).
  bool Owned() const { return lock_.Held() || unlocked_; }
  const std::string& LockError() const { return lockError_; }
  const DeviceTarget& Target() const { return target_; }
  const LockHolder& Holder() const { return holder_; }
  const DeviceAddress& Address() const { return address_; }
  HidPort& Inner() { return *inner_; }

  // The socket an owner of `key` listens on, in the runtime folder; empty when there is none.
  static std::string SocketPathFor(const std::string& key);

  // The amplifier was claimed (the lock is held, the device not yet opened).
  std::function<void(const DeviceTarget& target)> onClaimed;
  // Lists the attached amplifiers; the inner port's list by default (tests replace it).
  std::function<std::vector<HidDeviceInfo>(uint16_t, uint16_t)> enumerate;

 private:
  std::unique_ptr<HidPort> inner_;
  DeviceAddress address_;
  std::string program_;
  bool serve_;
  DeviceLock lock_;
  DeviceTarget target_;
  LockHolder holder_;
  int candidatesSeen_ = 0;
  bool unlocked_ = false;
  std::string lockError_;
  InputHandler input_;
  LostHandler lost_;
};

}  // namespace mirelune
