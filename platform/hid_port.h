// SPDX-License-Identifier: GPL-3.0-or-later
// Folder platform/: one small interface per platform service (HID port, timers and waits, messages
// to the user, file dialogs), one file per backend. May include: model/.
//
// The HID port: one opened USB HID device seen as numbered reports.
//
// Backends: HidapiPort (real amplifiers, hidapi) and VirtualHidPort (sim/). Only the hidapi
// backend includes hidapi.h.
//
// Thread: every member is called on the UI thread, and every handler is invoked on the UI
// thread; a backend that reads on a thread of its own posts the reports back before calling.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/hid_discovery.h"

namespace mirelune {

// Why an Open failed, so that the user can be told what to do about it.
enum class HidOpenStatus {
  Opened,            // the device is open
  NotFound,          // no device with these ids is connected
  PermissionDenied,  // one is connected but this user may not open it (hidraw node rights)
  Busy,              // one is connected but another program holds it
  Failed,            // one is connected and opening failed for another reason (see detail)
};

struct HidOpenResult {
  HidOpenStatus status = HidOpenStatus::NotFound;
  std::string detail;  // device path and system error text, empty when there is nothing to add
  explicit operator bool() const { return status == HidOpenStatus::Opened; }
};

// A short sentence for the user, e.g. "no amplifier connected (USB 2E3C:0D07)".
std::string DescribeOpenResult(const HidOpenResult& result, uint16_t vendor, uint16_t product);

class HidPort {
 public:
  // One complete input report; byte 0 is the report id. The vector is only valid during the
  // call.
  using InputHandler = std::function<void(const std::vector<uint8_t>& report)>;
  // The open device went away (unplugged, or its node failed). The port is closed when this
  // is called; the owner decides when to try Open again.
  using LostHandler = std::function<void()>;

  virtual ~HidPort() = default;

  // Opens the first device with these ids. An open port is closed first.
  virtual HidOpenResult Open(uint16_t vendor, uint16_t product) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  // Report lengths in bytes including the report id byte; 0 while closed. Backends that cannot
  // learn them from the platform use 65 (report id + 64).
  virtual int InputReportLength() const = 0;
  virtual int OutputReportLength() const = 0;

  // Writes one output report of exactly OutputReportLength() bytes, byte 0 = report id.
  // Returns false when the port is closed, the length is wrong or the platform write failed.
  virtual bool WriteReport(const std::vector<uint8_t>& report) = 0;

  // Handlers may be replaced at any time; an empty handler drops the notices.
  virtual void SetInputHandler(InputHandler handler) = 0;
  virtual void SetLostHandler(LostHandler handler) = 0;

  // The devices with these ids this kind of port can open, as rows, for an owner that picks one
  // by its address; and the one a later Open must take. A port with no device list (the
  // virtual amplifier's) lists none and opens the one it has.
  virtual std::vector<HidDeviceInfo> Attached(uint16_t /*vendor*/, uint16_t /*product*/) { return {}; }
  virtual void SetIdentity(HidIdentity /*identity*/) {}
};

}  // namespace mirelune
