// SPDX-License-Identifier: GPL-3.0-or-later
#include "modes/upload_all.h"

#include "modes/file_operation.h"
#include "link/usb_comm.h"
#include "owner/amplifier_session.h"
#include "platform/hid_discovery.h"
#include "platform/notifier.h"
#include "sim/virtual_state.h"

namespace mirelune {

std::vector<DeviceTarget> OtherAmplifiers(const std::string& own) {
  DeviceCandidates candidates;
  candidates.hid = EnumerateHidAmplifiers(kAmplifierVendorId, kAmplifierProductId);
  candidates.virtualNames = NamedVirtualAmplifiers();
  std::vector<DeviceAddress> all(1);
  all[0].kind = DeviceAddress::Kind::All;
  std::vector<DeviceTarget> targets, others;
  std::string error;
  if (!ResolveDevices(all, candidates, true, targets, error)) return {};
  for (const DeviceTarget& t : targets)
    if (t.Label() != own) others.push_back(t);
  return others;
}

AmplifierResult UploadBatchTo(const DeviceTarget& target, const std::array<std::string, 100>& assignments,
                              int rows, const ModeFolder& folder, Scheduler& scheduler, Notifier& notifier) {
  AmplifierResult result;
  result.device = target.Label();
  AmplifierSession session(target, scheduler, notifier, "mirelune");
  if (!session.Connect(result.detail)) return result;
  FileOperation files(session.store(), session.link(), session.transfers(), notifier, folder);
  for (int j = 0; j < rows && j < static_cast<int>(assignments.size()); ++j) {
    const std::string& name = assignments[static_cast<size_t>(j)];
    if (name.empty()) continue;
    if (!files.UploadFolderFileToMode(name, j)) {
      result.detail = "模式" + std::to_string(j + 1) + " " + name +
                      (session.link().LastError().empty() ? "" : ": " + session.link().LastError());
      return result;
    }
  }
  if (!session.SaveError().empty()) {
    result.detail = session.SaveError();
    return result;
  }
  result.ok = true;
  return result;
}

std::string ResultLines(const std::vector<AmplifierResult>& results) {
  std::string text;
  for (const AmplifierResult& r : results) {
    if (!text.empty()) text += "\n";
    text += r.device + (r.ok ? std::string("：完成") : "：失败：" + r.detail);
  }
  return text;
}

}  // namespace mirelune
