// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/value_editor.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>

namespace mirelune::controls {

namespace {

constexpr char kNormalStyle[] =
    "QLineEdit { background: #1b1e25; color: #f0f0f0; border: 1px solid #6a8cc8;"
    " selection-background-color: #3d6fd0; padding: 0 2px; }";
constexpr char kRefusedStyle[] =
    "QLineEdit { background: #2a1a1a; color: #f0f0f0; border: 1px solid #e04040;"
    " selection-background-color: #3d6fd0; padding: 0 2px; }";

}  // namespace

ValueEditor::ValueEditor(QWidget* control)
    : QLineEdit(control->parentWidget() ? control->parentWidget() : control), control_(control) {
  setObjectName(control->objectName() + QStringLiteral("_editor"));
  QFont f = font();
  f.setPixelSize(12);
  setFont(f);
  setStyleSheet(kNormalStyle);
  setFixedHeight(20);
  hide();
  connect(this, &QLineEdit::textEdited, this, [this] { ClearRefusal(); });
}

ValueEditor::~ValueEditor() {
  if (filtering_) qApp->removeEventFilter(this);
}

int ValueEditor::WidthFor(const QString& sample) const {
  return fontMetrics().horizontalAdvance(sample) + 12;
}

void ValueEditor::Open(const QRect& where, const QString& text, const QString& help, Accept accept) {
  accept_ = std::move(accept);
  help_ = help;
  ClearRefusal();
  QRect r = where;
  if (control_ && parentWidget() != control_) r.translate(control_->pos());
  // Inside the parent, so that no part of the editor is cut off.
  if (QWidget* p = parentWidget()) {
    r.setWidth(std::min(r.width(), p->width()));
    r.moveLeft(std::clamp(r.left(), 0, std::max(0, p->width() - r.width())));
    r.moveTop(std::clamp(r.top(), 0, std::max(0, p->height() - height())));
  }
  setGeometry(r.left(), r.top(), r.width(), height());
  setText(text);
  open_ = true;
  show();
  raise();
  setFocus(Qt::OtherFocusReason);
  selectAll();
  if (!filtering_) {
    qApp->installEventFilter(this);
    filtering_ = true;
  }
}

void ValueEditor::Cancel() {
  if (open_) Close(false);
}

void ValueEditor::Close(bool committed) {
  open_ = false;
  if (filtering_) {
    qApp->removeEventFilter(this);
    filtering_ = false;
  }
  const bool hadFocus = hasFocus();
  hide();
  ClearRefusal();
  QToolTip::hideText();
  // The focus goes back to the control, not to whatever the focus chain holds next: the
  // window's own keys then work at once.
  if (hadFocus && control_ && control_->isVisible()) control_->setFocus(Qt::OtherFocusReason);
  emit Closed(committed);
}

void ValueEditor::Commit() {
  if (!open_ || !accept_) return;
  const QString reason = accept_(text());
  if (!reason.isEmpty()) {
    ShowRefusal(reason);
    return;
  }
  Close(true);
}

void ValueEditor::ShowRefusal(const QString& reason) {
  refused_ = true;
  setStyleSheet(kRefusedStyle);
  setToolTip(reason);
  QToolTip::showText(mapToGlobal(QPoint(0, height())), reason, this);
  selectAll();
}

void ValueEditor::ClearRefusal() {
  if (refused_) setStyleSheet(kNormalStyle);
  refused_ = false;
  setToolTip(help_);
}

void ValueEditor::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Commit();
      return;
    case Qt::Key_Escape:
      Cancel();
      return;
    case Qt::Key_Up:
      emit Step(1);
      return;
    case Qt::Key_Down:
      emit Step(-1);
      return;
    default:
      QLineEdit::keyPressEvent(e);
      // Every key typed here is the editor's: none goes on to the window behind it.
      e->accept();
  }
}

void ValueEditor::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  // The line edit's own context menu takes the focus for a moment; anything else cancels.
  if (open_ && e->reason() != Qt::PopupFocusReason) Close(false);
}

bool ValueEditor::eventFilter(QObject* watched, QEvent* event) {
  // A click anywhere outside the editor cancels it (also on controls that take no focus, so
  // the focus alone would never tell), and the click then does what it does.
  if (open_ && (event->type() == QEvent::MouseButtonPress ||
                event->type() == QEvent::MouseButtonDblClick) && watched->isWidgetType()) {
    auto* w = static_cast<QWidget*>(watched);
    if (w != this && !isAncestorOf(w)) Close(false);
  }
  return QLineEdit::eventFilter(watched, event);
}

}  // namespace mirelune::controls
