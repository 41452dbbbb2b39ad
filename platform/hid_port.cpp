// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid_port.h"

#include <cstdio>

namespace mirelune {

std::string DescribeOpenResult(const HidOpenResult& result, uint16_t vendor, uint16_t product) {
  char ids[16];
  std::snprintf(ids, sizeof ids, "%04X:%04X", vendor, product);
  std::string text;
  switch (result.status) {
    case HidOpenStatus::Opened:
      text = std::string("amplifier opened (USB ") + ids + ")";
      break;
    case HidOpenStatus::NotFound:
      text = std::string("no amplifier connected (USB ") + ids + ")";
      break;
    case HidOpenStatus::PermissionDenied:
      text = std::string("an amplifier is connected (USB ") + ids +
             ") but this user may not open it; install scripts/70-mirelune-amplifier.rules "
             "into /etc/udev/rules.d and replug it";
      break;
    case HidOpenStatus::Busy:
      text = std::string("an amplifier is connected (USB ") + ids +
             ") but it is in use by another program";
      break;
    case HidOpenStatus::Failed:
      text = std::string("an amplifier is connected (USB ") + ids + ") but opening it failed";
      break;
  }
  if (!result.detail.empty()) text += " (" + result.detail + ")";
  return text;
}

}  // namespace mirelune
