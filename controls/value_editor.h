// SPDX-License-Identifier: GPL-3.0-or-later
// ValueEditor: the one-line editor in which a person types a control's value.
//
// It opens over its control with the whole text selected, so that what is typed replaces it.
// Enter hands the text to the owner's check: accepted text closes the editor (the owner has
// applied it); refused text stays in place with a red frame and the reason and the range in
// the tool tip — nothing is replaced by a default. Esc, a click anywhere else and the loss of
// focus cancel and close it. While it is open the keys are its own; when it closes, the focus
// goes back to the control, so the window's keys work again at once. Up and Down are handed to
// the owner as steps (the band strip steps the row being edited).
//
// UI thread only.
#pragma once

#include <functional>

#include <QLineEdit>
#include <QPointer>

namespace mirelune::controls {

class ValueEditor : public QLineEdit {
  Q_OBJECT

 public:
  // Applies accepted text and returns an empty string, or returns why the text is refused.
  using Accept = std::function<QString(const QString& text)>;

  // `control` is the widget edited; the editor lives in `control`'s parent (or in the control
  // when it has none) so that it may be wider than the control.
  explicit ValueEditor(QWidget* control);
  ~ValueEditor() override;

  // Shows the editor at `where` (in the control's coordinates; moved inside its parent),
  // holding `text`, all selected; `help` is the tool tip until a refusal replaces it.
  void Open(const QRect& where, const QString& text, const QString& help, Accept accept);
  // Closes without applying anything; nothing happens when closed.
  void Cancel();
  bool IsOpen() const { return open_; }
  // Whether the last Enter was refused (the red frame is shown).
  bool Refused() const { return refused_; }

  // The width text of `sample`'s length needs in the editor's font, frame included.
  int WidthFor(const QString& sample) const;

 signals:
  void Step(int direction);  // Up +1, Down -1, while open
  void Closed(bool committed);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Commit();
  void Close(bool committed);
  void ShowRefusal(const QString& reason);
  void ClearRefusal();

  QPointer<QWidget> control_;
  Accept accept_;
  QString help_;
  bool open_ = false;
  bool refused_ = false;
  bool filtering_ = false;
};

}  // namespace mirelune::controls
