// SPDX-License-Identifier: GPL-3.0-or-later
// GraphWheelHook: gives a widget (the response graph) the wheel as keys.
//
// Every wheel event that reaches the widget is eaten. A pure notch (Ctrl allowed) while the
// pointer is over the widget itself, not over one of its children, is turned into a key -
// Up/Down, with Ctrl Home/End - and handed over by a 10 ms one-shot timer through `Key`, so
// the key is processed after the wheel event has returned. Installed as an event filter on
// the widget and owned by it. UI thread only.
#pragma once

#include <QObject>
#include <QTimer>

class QWidget;

namespace mirelune::controls {

class GraphWheelHook : public QObject {
  Q_OBJECT

 public:
  explicit GraphWheelHook(QWidget* target);

  // Whether a key waits for the timer, and which.
  bool Pending() const { return pendingKey_ != 0; }
  int PendingKey() const { return pendingKey_; }
  const QTimer& Timer() const { return timer_; }
  // The timer's handler: stops the timer and emits the waiting key (tests call it to run time).
  void DeliverPending();

 signals:
  void Key(int qtKey);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* target_;
  QTimer timer_;
  int pendingKey_ = 0;
};

}  // namespace mirelune::controls
