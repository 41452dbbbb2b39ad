// mdiMain: the console's frame window, captioned "Mirelune", holding the tuning window. Its
// size at start is 990 x 520 pixels plus two thirds of the rest of the screen. Closing it runs
// the tuning window's exit, which may defer the close until a waiting request has ended.
#pragma once

#include <QMainWindow>

namespace mirelune::ui {

class ConsoleSession;
class FrmEq;

class MdiMain : public QMainWindow {
  Q_OBJECT

 public:
  explicit MdiMain(ConsoleSession& session, QWidget* parent = nullptr);

  FrmEq* tuningWindow() const { return eq_; }
  // The start-up client size for a screen of this size.
  static QSize StartSize(QSize screen);

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  FrmEq* eq_ = nullptr;
};

}  // namespace mirelune::ui
