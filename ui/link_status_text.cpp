#include "ui/link_status_text.h"

namespace mirelune::ui {

std::string LinkStatusText(const LinkStatusFacts& f) {
  if (!f.switchOn) return "link switched off";
  if (f.online) {
    std::string text = "online: " + (f.identifier.empty() ? std::string("amplifier") : f.identifier);
    if (f.syncing) return text + ", reading the amplifier...";
    if (f.modeNumber >= 0) text += ", 模式" + std::to_string(f.modeNumber + 1);
    return text;
  }
  if (f.portOpen) return "searching for the amplifier...";
  HidOpenResult brief = f.lastOpen;
  brief.detail.clear();
  return DescribeOpenResult(brief, f.vendor, f.product);
}

std::string LinkStatusDetail(const LinkStatusFacts& f) {
  if (f.switchOn && !f.online && !f.portOpen)
    return DescribeOpenResult(f.lastOpen, f.vendor, f.product);
  return LinkStatusText(f);
}

}  // namespace mirelune::ui
