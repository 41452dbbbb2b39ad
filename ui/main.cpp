// mirelune: the tuning console.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/message_box_notifier.h"
#include "platform/qt_scheduler.h"
#include "sim/virtual_state.h"
#include "ui/console_args.h"
#include "ui/console_session.h"
#include "ui/mdi_main.h"

int main(int argc, char** argv) {
  using namespace mirelune;
  std::vector<std::string> args(argv + 1, argv + argc);
  ui::ConsoleOptions options;
  bool help = false;
  std::string error;
  if (!ui::ParseConsoleArgs(args, options, help, error)) {
    std::fprintf(stderr, "mirelune: %s\n%s", error.c_str(), ui::kUsage);
    return 2;
  }
  if (help) {
    std::fputs(ui::kUsage, stdout);
    return 0;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("Mirelune");
  if (options.device == ui::ConsoleOptions::Device::Virtual)
    options.virtualStatePath = VirtualStatePath();

  QtScheduler scheduler;
  MessageBoxNotifier boxes;
  ui::ConsoleSession session(options, scheduler, boxes);
  if (!session.StateError().empty())
    std::fprintf(stderr, "mirelune: %s\n", session.StateError().c_str());
  int status = 0;
  {
    ui::MdiMain frame(session);
    boxes.SetParent(&frame);
    frame.show();
    session.Start();
    status = QApplication::exec();
    boxes.SetParent(nullptr);
  }
  if (!session.SaveState(error)) {
    std::fprintf(stderr, "mirelune: %s\n", error.c_str());
    if (status == 0) status = 1;
  }
  return status;
}
