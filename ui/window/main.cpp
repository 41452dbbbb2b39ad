// SPDX-License-Identifier: GPL-3.0-or-later
// mirelune: the tuning console.
#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "controls/parent_background.h"
#include "mirelune/version.h"
#include "platform/message_box_notifier.h"
#include "platform/qt_scheduler.h"
#include "sim/virtual_state.h"
#include "ui/window/console_args.h"
#include "ui/session/console_session.h"
#include "ui/look/console_style.h"
#include "ui/dialogs/device_chooser.h"
#include "ui/look/language.h"
#include "ui/session/link_log.h"
#include "ui/window/mdi_main.h"
#include "ui/window/startup_trace.h"

namespace {
// Long enough for the start-up read of an amplifier to be painted first.
constexpr int kIconAfterMs = 1000;
}  // namespace

int main(int argc, char** argv) {
  using namespace mirelune;
  std::vector<std::string> args(argv + 1, argv + argc);
  ui::ConsoleCommandLine line;
  std::string error;
  if (!ui::ParseConsoleArgs(args, line, error)) {
    std::fprintf(stderr, "mirelune: %s\n%s", error.c_str(), ui::kUsage);
    return 2;
  }
  if (line.help) {
    std::fputs(ui::kUsage, stdout);
    return 0;
  }
  if (line.version) {
    std::printf("mirelune %s\n", kVersion);
    return 0;
  }
  ui::ConsoleOptions& options = line.options;

  QApplication app(argc, argv);
  QApplication::setApplicationName("Mirelune");
  QApplication::setApplicationVersion(kVersion);
  // The installed package's desktop entry and icon (hicolor theme); the icon is missing only
  // when the console runs from a build folder. The icon is looked up once the window is up:
  // searching the icon themes took longer than anything else before the window was built.
  QApplication::setDesktopFileName("mirelune");
  QTimer::singleShot(kIconAfterMs, &app, [] { QApplication::setWindowIcon(QIcon::fromTheme("mirelune")); });
  ui::ApplyConsoleStyle(app);
  // Before any window is built: the language of every text and of the skin's captions.
  if (!ui::InstallLanguage(ui::ChooseLanguage(ui::ParseLanguage(line.language), ui::SavedLanguage(),
                                              QLocale::system())))
    std::fprintf(stderr, "mirelune: the English translation could not be loaded; the texts stay Chinese\n");
  // The amplifier chosen last, unless the command line names one.
  if (options.address.empty()) options.address = ui::SavedDeviceChoice();
  if (options.address.empty()) options.address = "hid";
  if (options.address.rfind("virtual", 0) == 0) {
    options.device = ui::ConsoleOptions::Device::Virtual;
    options.virtualStatePath =
        VirtualStatePath(options.address.size() > 8 ? options.address.substr(8) : std::string());
  }
  // This console owns its amplifier: other programs go through it, or are told it is here.
  options.own = true;

  QtScheduler scheduler;
  MessageBoxNotifier boxes;
  ui::ConsoleSession session(options, scheduler, boxes);
  if (!session.StateError().empty())
    std::fprintf(stderr, "mirelune: %s\n", session.StateError().c_str());
  // Before the frame: loading the tuning window starts the link, whose first search frame
  // belongs in the log.
  ui::LinkLog& log = session.linkLog();
  if (!line.tracePath.empty() && !log.Start(line.tracePath, error)) {
    std::fprintf(stderr, "mirelune: --trace %s: %s\n", line.tracePath.c_str(), error.c_str());
    return 1;
  }
  int status = 0;
  {
    // The controls take their layers when the window first shows, all of them from one render
    // of each panel's rows (controls/parent_background.h).
    auto layersAtShow = std::make_unique<LayersAtFirstShow>();
    ui::MdiMain frame(session);
    boxes.SetParent(&frame);
    ui::InstallStartupTrace(session, frame);
    // The amplifier's answer to the search that went out while the window was built: taken in
    // before the window shows, the start-up read then begins ahead of the first paint, runs
    // while the window paints and the display takes it in, and the window opens already
    // showing the read's progress.
    QCoreApplication::processEvents();
    {
      ParentBackgroundBatch batch;
      frame.show();
    }
    layersAtShow.reset();
    session.Start();
    status = QApplication::exec();
    boxes.SetParent(nullptr);
  }
  // The user was told at the time; the exit status does not claim a complete log either.
  if (!log.FirstFailure().empty()) {
    std::fprintf(stderr, "mirelune: link log %s\n", log.FirstFailure().c_str());
    if (status == 0) status = 1;
  }
  if (!session.SaveState(error)) {
    std::fprintf(stderr, "mirelune: %s\n", error.c_str());
    if (status == 0) status = 1;
  }
  return status;
}
