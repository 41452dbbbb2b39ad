// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/option_list_popup.h"

#include <QMouseEvent>

namespace mirelune::controls {

OptionListPopup::OptionListPopup(QWidget* owner)
    : QListWidget(owner) {
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setMouseTracking(true);
  viewport()->setMouseTracking(true);
  QFont f = font();
  f.setPixelSize(11);
  setFont(f);
  hide();
}

void OptionListPopup::SetEntries(const QStringList& texts) {
  clear();
  for (const QString& t : texts) {
    auto* item = new QListWidgetItem(t, this);
    item->setSizeHint(QSize(width(), kRowHeight));
  }
}

int OptionListPopup::RowAt(QPointF viewportPos) const {
  // First visible entry plus whole rows down from the top; beyond the last entry: none.
  const QModelIndex first = indexAt(QPoint(1, 1));
  const int y = static_cast<int>(viewportPos.y());
  if (y < 0) return -1;
  const int row = (first.isValid() ? first.row() : 0) + y / kRowHeight;
  return row < count() ? row : -1;
}

void OptionListPopup::mouseMoveEvent(QMouseEvent* e) {
  const int row = RowAt(e->position());
  if (row >= 0) emit Hovered(row);  // below the last entry: ignored
}

void OptionListPopup::mousePressEvent(QMouseEvent* e) {
  const int row = RowAt(e->position());
  if (row >= 0) emit Picked(row);
}

// The option list decides everything at the press; the item view's own handling would move
// the selection a second time.
void OptionListPopup::mouseReleaseEvent(QMouseEvent* e) { e->accept(); }
void OptionListPopup::mouseDoubleClickEvent(QMouseEvent* e) { e->accept(); }

}  // namespace mirelune::controls
