// SPDX-License-Identifier: GPL-3.0-or-later
// Device > Choose amplifier...: every amplifier the console can reach - the USB ones attached
// and the virtual ones - in the columns of `mirelune-cli devices`; the one chosen becomes the
// session's amplifier at once and is remembered for the next start.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "owner/device_address.h"

class QTableWidget;

namespace mirelune::ui {

class ConsoleSession;

// The remembered choice ("" when none): what --device would say.
std::string SavedDeviceChoice();
void SaveDeviceChoice(const std::string& address);

class DeviceChooser : public QDialog {
 public:
  DeviceChooser(ConsoleSession& session, QWidget* parent = nullptr);

  // Lists the amplifiers again.
  void Refresh();
  // The row of `label` selected; false when there is none.
  bool Select(const std::string& label);
  // The label of the selected row; empty when none.
  std::string Chosen() const;
  QTableWidget* Table() const { return table_; }

  // Switches the session to the selected amplifier and remembers it; closes on success.
  void accept() override;

 private:
  ConsoleSession& session_;
  QTableWidget* table_ = nullptr;
  std::vector<DeviceTarget> rows_;
};

}  // namespace mirelune::ui
