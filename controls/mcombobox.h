// SPDX-License-Identifier: GPL-3.0-or-later
// MComboBox: the skinned option list. Its closed face shows the chosen entry as a skin image;
// a press on the face opens a plain list of the entries' texts just below the face, or above
// it near the bottom of the screen. `Value` is the chosen entry's index and equals the
// parameter's raw value; `Change` is raised only when the user picks an entry in the open list.
//
// The list closes without an event when the option list loses the keyboard focus or when a
// press lands anywhere outside the face and the list. UI thread only.
#pragma once

#include <QImage>
#include <QStringList>
#include <QWidget>

#include "controls/control_setup.h"

namespace mirelune {
class Store;
}

namespace mirelune::controls {

class OptionListPopup;

class MComboBox : public QWidget {
  Q_OBJECT

 public:
  // Creation defaults, then the layout's values; `store` may be null (never hidden).
  MComboBox(const ComboSetup& setup, const Store* store, QWidget* parent = nullptr);
  ~MComboBox() override;

  // Only stored: the entries are fixed when the control is built.
  int ShowType() const { return showType_; }
  void SetShowType(int v) { showType_ = v; }
  int Value() const { return selected_; }
  void SetValue(int v);  // at or beyond the last entry selects the last; negative selects none
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v; }
  QString SpecialFeature() const { return specialFeature_; }
  void SetSpecialFeature(const QString& v) { specialFeature_ = v; }
  int Addr() const { return addr_; }
  void SetAddr(int v) { addr_ = v; }
  QString EQindex() const { return eqIndex_; }
  void SetEQindex(const QString& v) { eqIndex_ = v; }

  void Refresh();
  void BkGround_Init(bool ShowHide = false);

  // Observers for the windows and tests.
  bool Hidden() const;
  bool IsOpen() const { return open_; }
  const QStringList& Entries() const { return entries_; }
  int FaceImage() const;  // the item image of the chosen entry, 0 for none
  OptionListPopup* List() const { return list_; }

  // Where the open list goes, in screen pixels: under the face, or above it when it would reach
  // below the screen's bottom edge.
  static QPoint ListTopLeft(const QRect& faceOnScreen, double listHeight, int screenBottom);

  // The entries, face size and open-list height of a ShowType.
  static QStringList EntriesFor(int showType);
  static QSize FaceSize(int showType);
  static double ListHeight(int showType);

 signals:
  void Change(int E_Index);

 protected:
  void paintEvent(QPaintEvent*) override;
  void showEvent(QShowEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void focusOutEvent(QFocusEvent*) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PlaceList();
  void SetOpen(bool open);
  void OnHovered(int row);
  void OnPicked(int row);

  const Store* store_;
  int showType_ = 0;
  int selected_ = 0;
  bool enabled_ = true;
  QString specialFeature_;
  int addr_ = -1;
  QString eqIndex_;

  QStringList entries_;
  bool pressed_ = false;
  bool open_ = false;
  bool watchingApp_ = false;
  QImage background_;
  bool layersReady_ = false;
  bool layersAtShow_ = false;  // asked for while its window had not shown (LayersAtFirstShow)
  OptionListPopup* list_;  // owned through the Qt parent
};

}  // namespace mirelune::controls
