// SPDX-License-Identifier: GPL-3.0-or-later
// The open list of an option list (MComboBox): a frameless top-level tool window, so it may
// reach beyond the window that holds the option list. It never takes the keyboard focus, which
// stays with the option list; the entry under the pointer follows the pointer.
#pragma once

#include <QListWidget>

namespace mirelune::controls {

class OptionListPopup : public QListWidget {
  Q_OBJECT

 public:
  static constexpr int kRowHeight = 12;  // a 9-point line: 180 twips

  explicit OptionListPopup(QWidget* owner);
  // Call after sizing the list: every row is as wide as the list.
  void SetEntries(const QStringList& texts);

 signals:
  void Hovered(int row);  // the pointer is over entry `row`
  void Picked(int row);   // a press on entry `row`

 protected:
  void mouseMoveEvent(QMouseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  int RowAt(QPointF viewportPos) const;
};

}  // namespace mirelune::controls
