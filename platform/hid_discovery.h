// SPDX-License-Identifier: GPL-3.0-or-later
// The amplifiers attached over USB: hidapi's device list made into one row per amplifier, each
// with what tells it from the others across unplugs and reboots.
//
// hidapi lists a device once per HID interface and may list a path twice; serial numbers are
// missing on some units and repeated on others (a batch flashed with one number). The rules:
//  - one row per device path (the first listing wins), sorted by USB location, then path, so
//    that "hid:N" names the same socket of a hub from one run to the next;
//  - the identity of a row is its serial when no other row has the same one, else its USB
//    location, else its path (IdentityOf). A replugged amplifier is found again by it.
//
// Plain C++: the hidapi side (EnumerateHidAmplifiers) lives in hidapi_port.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mirelune {

struct HidDeviceInfo {
  std::string path;      // the platform's device path (/dev/hidraw3)
  std::string serial;    // empty when the device reports none
  std::string location;  // USB bus and port chain ("3-1.2"); empty when the platform has none
  std::string product;   // the USB product string
  uint16_t vendorId = 0;
  uint16_t productId = 0;
};

// What names one amplifier for good: which field and its text.
struct HidIdentity {
  enum class By { None, Serial, Location, Path };
  By by = By::None;
  std::string value;
  bool Matches(const HidDeviceInfo& d) const;
  // "serial 0042", "USB 3-1.2", "/dev/hidraw3"; empty for None.
  std::string Text() const;
};

// The rows of a raw listing (see the rules above).
std::vector<HidDeviceInfo> AmplifierRows(std::vector<HidDeviceInfo> raw);

// The identity of rows[index] among `rows`.
HidIdentity IdentityOf(const std::vector<HidDeviceInfo>& rows, size_t index);

// The USB location in a sysfs path of a hidraw node's device, e.g.
// "../../../devices/pci0000:00/0000:00:14.0/usb3/3-1/3-1.2/3-1.2:1.0/0003:2E3C:0D07.0004" ->
// "3-1.2"; empty when there is none.
std::string UsbLocationFromSysfs(const std::string& devicePath);

// Every attached device with these ids, as rows. Empty when hidapi cannot enumerate.
std::vector<HidDeviceInfo> EnumerateHidAmplifiers(uint16_t vendor, uint16_t product);

}  // namespace mirelune
