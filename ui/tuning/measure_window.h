// SPDX-License-Identifier: GPL-3.0-or-later
// The console's "测量" window (Device › 测量… and the graph's tools row): measure the room
// through the page the tuning window shows, or load a measurement; fit that page's EQ bands to
// a target on the amplifier's own tables (measure/room_fit.h); see the preview - measured,
// target and predicted curves with the report - here and as comparison curves on the graph;
// apply the fit as one undo step; measure again and see the second measurement over the first.
//
// The sound devices: the virtual amplifier's room (sim/virtual_audio_port.h) when the session
// is on the virtual amplifier, whose page the sweep goes through as it is at the moment the
// measurement starts; otherwise the computer's outputs and inputs (Qt Multimedia), chosen by
// name. The level check plays pink noise and shows the input's level, warning when it is too
// low or clips; a measurement shows its sweep's peak the same way.
//
// Threads: the level check, the measurement and the fit run on a worker thread, one at a time,
// with the progress bar and "取消"; the window stays responsive meanwhile, and closing it
// cancels the work and waits for the worker (at most the port's own bound). Everything else -
// the store, the undo history, the sends - happens on the UI thread. The window belongs to the
// tuning window and goes with it.
#pragma once

#include <QDialog>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "measure/live_measurement.h"
#include "measure/room_fit.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QThread;

namespace mirelune {
class AudioPort;
class FileDialogs;
}  // namespace mirelune

namespace mirelune::ui {

class ConsoleSession;
class FrmEq;
class GraphWidget;
class MeasurePlot;

class MeasureWindow : public QDialog {
  Q_OBJECT

 public:
  // `dialogs` may be null: the window then asks through QFileDialog.
  MeasureWindow(ConsoleSession& session, FrmEq& eq, FileDialogs* dialogs);
  ~MeasureWindow() override;

  // The actions behind the buttons, for the buttons and the tests' checks of their state.
  void StartLevelCheck();
  void StartMeasurement();  // "测量", and "再测一次" after a fit was applied
  void StartFit();
  void ApplyFit();
  void LoadMeasurement();
  void SaveMeasurement();
  void Cancel();

  bool Working() const { return thread_ != nullptr; }
  const std::optional<Measurement>& Measured() const { return measured_; }
  const std::optional<RoomFit>& Fit() const { return fit_; }
  bool FitApplied() const { return applied_; }
  // The second measurement judged as the fit judged its prediction.
  const std::optional<DeviationFigures>& Again() const { return again_; }
  QString StatusText() const;
  AudioPort& Port() { return *port_; }

  QPushButton* MeasureButton() const { return measure_; }
  QPushButton* FitButton() const { return fitButton_; }
  QPushButton* ApplyButton() const { return apply_; }
  QPushButton* CancelButton() const { return cancel_; }
  QTableWidget* Report() const { return report_; }
  QLabel* Summary() const { return summary_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildUi();
  // Runs `work` on a worker thread, then `done` on the UI thread.
  void Run(const QString& status, std::function<void()> work, std::function<void()> done);
  void Progress(double done, const QString& status);
  void UpdateButtons();
  void ShowLevel(const InputLevel& level, bool sweep);
  void SetMeasured(Measurement m, bool again);
  void ShowFit();
  void ShowCurves();
  bool BuildRequest(RoomFitRequest& request, QString& why);
  void LockMenu();
  LiveSettings Settings() const;

  ConsoleSession& session_;
  FrmEq& eq_;
  QPointer<GraphWidget> graph_;  // the tuning window's; it may go before this window
  FileDialogs* dialogs_ = nullptr;
  std::unique_ptr<FileDialogs> ownDialogs_;
  std::unique_ptr<AudioPort> port_;
  bool virtualRoom_ = false;

  QThread* thread_ = nullptr;
  std::atomic<bool> stop_{false};  // asks the worker to stop

  std::optional<Measurement> measured_;  // the first measurement (or the loaded one)
  std::optional<Measurement> secondRun_; // the measurement after the fit was applied
  std::optional<RoomFitRequest> request_;
  std::optional<RoomFit> fit_;
  std::optional<DeviationFigures> again_;
  bool applied_ = false;
  int fitPage_ = -1, fitSubPage_ = 0, fitSound_ = 0;  // where the fit was made
  std::string statusText_;

  QComboBox* output_ = nullptr;
  QComboBox* input_ = nullptr;
  QDoubleSpinBox* length_ = nullptr;
  QSpinBox* repeat_ = nullptr;
  QPushButton* levelCheck_ = nullptr;
  QProgressBar* meter_ = nullptr;
  QLabel* meterText_ = nullptr;
  QPushButton* measure_ = nullptr;
  QPushButton* load_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* status_ = nullptr;
  QComboBox* target_ = nullptr;
  QDoubleSpinBox* targetValue_ = nullptr;
  QDoubleSpinBox* low_ = nullptr;
  QDoubleSpinBox* high_ = nullptr;
  QDoubleSpinBox* maxBoost_ = nullptr;
  QPushButton* lock_ = nullptr;
  QPushButton* fitButton_ = nullptr;
  QPushButton* apply_ = nullptr;
  MeasurePlot* plot_ = nullptr;
  QLabel* summary_ = nullptr;
  QTableWidget* report_ = nullptr;
  std::string targetFile_;
  FitTarget targetFromFile_;

 public:
  // Asks for a target file; "" when cancelled. The file dialogs by default (tests answer).
  std::function<std::string()> chooseTargetFile;
};

// Shows the tuning window's measure window, making it when it has none. `dialogs` as above; a
// window made earlier keeps its own.
MeasureWindow* OpenMeasureWindow(ConsoleSession& session, FrmEq& eq, FileDialogs* dialogs);

}  // namespace mirelune::ui
