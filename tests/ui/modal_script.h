// SPDX-License-Identifier: GPL-3.0-or-later
// Acts on a modal dialog once it shows: the dialogs block in their own event loop, so the test
// arms a polling timer before it triggers them.
#pragma once

#include <functional>
#include <memory>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

namespace mirelune::testing_support {

template <typename Dialog>
class ModalScript {
 public:
  // `act` runs once per dialog of this type that becomes the active modal widget; it must end
  // with the dialog closed or accepted (the script rejects it otherwise, so a test never hangs).
  explicit ModalScript(std::function<void(Dialog&)> act) : act_(std::move(act)) {
    timer_.setInterval(2);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }
  int Shown() const { return shown_; }

 private:
  void Poll() {
    auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (!d || d == last_.data()) return;  // a guarded pointer: a later dialog may reuse the address
    last_ = d;
    ++shown_;
    act_(*d);
    if (d->isVisible()) d->reject();
  }

  std::function<void(Dialog&)> act_;
  QTimer timer_;
  QPointer<Dialog> last_;
  int shown_ = 0;
};

}  // namespace mirelune::testing_support
