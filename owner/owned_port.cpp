// SPDX-License-Identifier: GPL-3.0-or-later
#include "owner/owned_port.h"

#include <algorithm>

namespace mirelune {

OwnedPort::OwnedPort(std::unique_ptr<HidPort> inner, DeviceAddress address, std::string program,
                     bool serve)
    : inner_(std::move(inner)), address_(std::move(address)), program_(std::move(program)),
      serve_(serve) {
  enumerate = [this](uint16_t v, uint16_t p) { return inner_->Attached(v, p); };
}

OwnedPort::~OwnedPort() { Release(); }

std::string OwnedPort::SocketPathFor(const std::string& key) {
  std::string error;
  const std::string dir = OwnerRuntimeFolder(error);
  return dir.empty() ? std::string() : dir + "/" + key + ".sock";
}

void OwnedPort::SetInputHandler(InputHandler handler) {
  input_ = handler;
  inner_->SetInputHandler(std::move(handler));
}

void OwnedPort::SetLostHandler(LostHandler handler) {
  lost_ = handler;
  inner_->SetLostHandler(std::move(handler));
}

void OwnedPort::Retarget(std::unique_ptr<HidPort> inner, DeviceAddress address) {
  Release();
  inner_->SetInputHandler(nullptr);
  inner_->SetLostHandler(nullptr);
  inner_ = std::move(inner);
  inner_->SetInputHandler(input_);
  inner_->SetLostHandler(lost_);
  address_ = std::move(address);
  target_ = {};
  holder_ = {};
  candidatesSeen_ = 0;
}

void OwnedPort::Release() {
  inner_->Close();
  lock_.Release();
  unlocked_ = false;
}

HidOpenResult OwnedPort::Claim(uint16_t vendor, uint16_t product) {
  if (lock_.Held() || unlocked_) return {HidOpenStatus::Opened, {}};
  DeviceCandidates candidates;
  if (address_.kind != DeviceAddress::Kind::Virtual) candidates.hid = enumerate(vendor, product);
  candidatesSeen_ = static_cast<int>(candidates.hid.size());
  std::vector<DeviceTarget> targets;
  std::string error;
  if (!ResolveDevices({address_}, candidates, false, targets, error))
    return {candidates.hid.empty() ? HidOpenStatus::NotFound : HidOpenStatus::Failed, error};
  const DeviceTarget& target = targets.front();
  const std::string key = target.LockKey();
  const std::string socket = serve_ ? SocketPathFor(key) : std::string();
  switch (lock_.TryAcquire(key, program_, socket, holder_, error)) {
    case DeviceLock::Result::Busy:
      return {HidOpenStatus::Busy, target.Label() + " is in use by " + holder_.Text()};
    case DeviceLock::Result::Error:
      // No place for locks (a read-only or foreign runtime folder): the amplifier is still
      // used, as before there were owners, and the reason is kept for the caller to tell.
      unlocked_ = true;
      lockError_ = error;
      break;
    case DeviceLock::Result::Acquired:
      lockError_.clear();
      break;
  }
  holder_ = {};
  target_ = target;
  if (!target.isVirtual) inner_->SetIdentity(target.identity);
  if (onClaimed) onClaimed(target_);
  return {HidOpenStatus::Opened, {}};
}

HidOpenResult OwnedPort::Open(uint16_t vendor, uint16_t product) {
  const HidOpenResult claimed = Claim(vendor, product);
  if (!claimed) return claimed;
  if (!target_.isVirtual) {
    // Only the claimed amplifier: while it is unplugged, another one on the hub is not it.
    const std::vector<HidDeviceInfo> rows = enumerate(vendor, product);
    if (std::none_of(rows.begin(), rows.end(), [&](const HidDeviceInfo& d) { return target_.identity.Matches(d); }))
      return {HidOpenStatus::NotFound, target_.Label() + " is not connected"};
  }
  return inner_->Open(vendor, product);
}

}  // namespace mirelune
