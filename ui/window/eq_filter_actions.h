// SPDX-License-Identifier: GPL-3.0-or-later
// The console's EQ filter-set import and export, the frame's "设备 › EQ 导入…" and "EQ 导出…":
// filter texts of room-measurement programs (REW, Equalizer APO; model/filter_set.h) onto and
// from the EQ bands of the page the tuning window shows (its sound mode, and on the effects page
// the part shown).
//
// Import: the open dialog; the file read and checked in full (a bad one is refused with its line
// and reason, and nothing changes); the fit (graph/eq_fit.h) shown in EqImportPreview, the asked
// curve over the realised one with the report. "应用" applies the fit, taken anew from the store
// as it is then, as one undo step: a snapshot, the bands written by the sound-mode slot rule, the
// window refreshed, and the bands that changed sent while online (stopping at a failed send, as
// the other bulk changes do).
// Export: the save dialog, whose filter entry chooses the format (REW or Equalizer APO), and the
// page's bands written to the file.
//
// Both do nothing during a whole-mode transfer or an undo; import refuses, with a warning, while
// the sub-woofer automatic control locks the page's graph. UI thread only.
#pragma once

#include <QDialog>

#include "graph/eq_fit.h"
#include "model/filter_set.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace mirelune {
class FileDialogs;
}

namespace mirelune::ui {

class ConsoleSession;
class FrmEq;

void ImportEqFilters(ConsoleSession& session, FrmEq& window, FileDialogs& dialogs);
void ExportEqFilters(ConsoleSession& session, FrmEq& window, FileDialogs& dialogs);

// The filter entries of the two dialogs, in the user's language; export's entry index is the
// format: 0 REW, 1 Equalizer APO.
std::string EqImportFilterEntries();
std::string EqExportFilterEntries();

// The preview of an import (modal): the plot "eqPreviewPlot" of the asked and realised curves,
// the summary "eqPreviewSummary", the report table "eqPreviewReport" (one row per filter of the
// set, then the preamp when it is not placed) and the buttons "eqPreviewApply" (accept) and
// "eqPreviewCancel".
class EqImportPreview : public QDialog {
  Q_OBJECT

 public:
  // `set` and `fit` must outlive the dialog. `pageName` names the page shown.
  EqImportPreview(const FilterSet& set, const EqFit& fit, const QString& pageName, QWidget* parent = nullptr);

  QTableWidget* Report() const { return report_; }
  QLabel* Summary() const { return summary_; }
  QPushButton* ApplyButton() const { return apply_; }

 private:
  QTableWidget* report_ = nullptr;
  QLabel* summary_ = nullptr;
  QPushButton* apply_ = nullptr;
};

}  // namespace mirelune::ui
