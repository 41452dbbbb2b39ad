// SPDX-License-Identifier: GPL-3.0-or-later
// The graph's own tools, a small row in its top right corner, above the plot: the A/B
// comparison (ui/tuning/ab_switch.h), the phase of the sum (a right-hand axis in degrees; hovering a
// band tells its own phase) and the comparison curves - the other sound mode, the factory
// defaults, a configuration file, the amplifier as it last reported - each its own colour,
// ticked in the menu and named in the graph's legend - and the measure window's button.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "model/param_record.h"

class QAction;
class QToolButton;

namespace mirelune::ui {

class AbSwitch;
class ConsoleSession;
class FrmEq;
class GraphWidget;

// What the tools show, kept when the tuning window is built again (a language switch).
struct GraphToolsState {
  bool phase = false;
  bool kinds[4] = {};
  std::string file;
  std::shared_ptr<const RecordTable> fileTable;
};

class GraphTools : public QWidget {
 public:
  GraphTools(ConsoleSession& session, FrmEq& window, GraphWidget& graph);
  ~GraphTools() override;

  AbSwitch* Ab() const { return ab_; }
  QToolButton* PhaseButton() const { return phase_; }
  QToolButton* CompareButton() const { return compare_; }
  QToolButton* MeasureButton() const { return measure_; }  // opens the measure window
  // The comparison menu's entries: other sound mode, factory, file, last reported.
  QAction* CompareAction(int kind) const;
  // Compares with the same page of configuration file `path`; false (with a warning) for a file
  // that cannot be read. The file dialog's choice comes here.
  bool CompareWithFile(const std::string& path);

  GraphToolsState State() const;
  void Restore(const GraphToolsState& state);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void SetTexts();
  void Place();
  void ApplyComparisons();
  void ShowTicks();

  ConsoleSession& session_;
  FrmEq& window_;
  GraphWidget& graph_;
  AbSwitch* ab_ = nullptr;
  QToolButton* phase_ = nullptr;
  QToolButton* compare_ = nullptr;
  QToolButton* measure_ = nullptr;
  QAction* kinds_[4] = {};
  std::string file_;  // the compared file
  std::shared_ptr<const RecordTable> fileTable_;
 public:
  // Asks for the configuration file to compare with; "" when the user cancels. A file dialog
  // by default (tests give the answer).
  std::function<std::string()> chooseFile;
};

}  // namespace mirelune::ui
