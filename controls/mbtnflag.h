// SPDX-License-Identifier: GPL-3.0-or-later
// MBtnFlag: the skinned image button - page tabs, option groups, on/off and two-position
// switches, push buttons. It shows one image of its list (PNGIndexStr, skin ids separated by
// commas) chosen by its stored index; ActionType decides what a press does:
//   0 toggle: the index flips between 0 and 1, Click at the press;
//   1 push button: index 1 while pressed, back to 0 and Click at the release;
//   2 command: Click at the press, the value is left to the window;
//   3 two-position switch: index 1 on the right half, 0 on the left half, Click at the press;
//   4 reversed switch: as 3, but Value reads and writes 1 - index;
//   others: only MouseDown.
// Value assigned to types 0, 3 and 4 is limited to at most 1. UI thread only.
#pragma once

#include <QImage>
#include <QStringList>
#include <QWidget>

#include "controls/control_setup.h"

namespace mirelune {
class Store;
}

namespace mirelune::controls {

class MBtnFlag : public QWidget {
  Q_OBJECT

 public:
  // Creation defaults, then the layout's values; `store` may be null (never hidden).
  MBtnFlag(const FlagSetup& setup, const Store* store, QWidget* parent = nullptr);

  int Value() const;
  void SetValue(int v);
  int ActionType() const { return actionType_; }
  void SetActionType(int v) { actionType_ = v; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  QString PNGIndexStr() const { return pngIndexStr_; }
  void SetPNGIndexStr(const QString& v);  // also resizes the button to its first image
  QString SpecialFeature() const { return specialFeature_; }
  void SetSpecialFeature(const QString& v) { specialFeature_ = v; }
  int Addr() const { return addr_; }
  void SetAddr(int v) { addr_ = v; }
  QString EQindex() const { return eqIndex_; }
  void SetEQindex(const QString& v) { eqIndex_ = v; }

  void Refresh();
  void BkGround_Init(bool ShowHide = false);

  // Observers for the windows and tests.
  int StoredIndex() const { return index_; }
  bool Hidden() const;
  bool Hover() const { return hover_; }
  // The skin id shown now (after the hidden and disabled substitutes), 0 for none.
  int ShownImage() const;

  // While set, a release does not repaint (the main window is closing under the button).
  static void SetClosing(bool closing);

 signals:
  void Click();
  void Wheel(bool bDir);
  void MouseIn();
  void MouseLeave();
  // Button: 1 left, 2 right, 4 middle; Shift: 1 Shift, 2 Ctrl, 4 Alt; X, Y in pixels.
  void MouseDown(int Button, int Shift, float X, float Y);

 protected:
  void paintEvent(QPaintEvent*) override;
  void showEvent(QShowEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void leaveEvent(QEvent*) override;
  void wheelEvent(QWheelEvent*) override;

 private:
  void FitToFirstImage();

  const Store* store_;
  int index_ = 0;
  int actionType_ = 3;
  bool enabled_ = true;
  QString pngIndexStr_;
  QStringList images_;
  QString specialFeature_;
  int addr_ = -1;
  QString eqIndex_;
  bool hover_ = false;
  QImage background_;
  bool layersReady_ = false;
  bool layersAtShow_ = false;  // asked for while its window had not shown (LayersAtFirstShow)
};

}  // namespace mirelune::controls
