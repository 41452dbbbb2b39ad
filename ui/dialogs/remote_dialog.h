// SPDX-License-Identifier: GPL-3.0-or-later
// Device > Remote control...: the room remote served from inside the console, which stays the
// amplifier's owner - a change from a phone lands on the controls and the graph at once and is
// one undo step, like a change from the command line. The dialog shows where to connect (the
// address, the PIN, the pairing link and its QR code), the remote list staff may use (kept
// with the console's settings, the same list `mirelune-cli serve` offers), and the log of
// applied changes. Closing the dialog leaves the server running; Stop ends it.
#pragma once

#include <QDialog>
#include <memory>

#include "remote/remote_access.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace mirelune {
class RemoteServer;
}

namespace mirelune::ui {

class ConsoleSession;

class RemoteDialog : public QDialog {
 public:
  explicit RemoteDialog(ConsoleSession& session, QWidget* parent = nullptr);
  ~RemoteDialog() override;

  // Starts the server at the address in the listen box; false with the reason shown.
  bool StartServer();
  void StopServer();
  bool Running() const;
  RemoteServer* server() { return server_.get(); }
  const StaffList& staffList() const { return staff_; }

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void SetTexts();
  void ShowState();
  void FillStaffList();
  void StaffItemChanged();

  ConsoleSession& session_;
  std::unique_ptr<RemoteServer> server_;
  StaffList staff_;
  QLineEdit* listen_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* newPair_ = nullptr;
  QLabel* listenLabel_ = nullptr;
  QLabel* state_ = nullptr;
  QLabel* pin_ = nullptr;
  QLabel* link_ = nullptr;
  QLabel* qr_ = nullptr;
  QLabel* warning_ = nullptr;
  QLabel* staffLabel_ = nullptr;
  QListWidget* staffList_ = nullptr;
  QLabel* logLabel_ = nullptr;
  QPlainTextEdit* log_ = nullptr;
  bool filling_ = false;
};

}  // namespace mirelune::ui
