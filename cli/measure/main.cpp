// SPDX-License-Identifier: GPL-3.0-or-later
// mirelune-measure: mirelune-cli's `measure` through the computer's sound devices. A program of
// its own because Qt Multimedia loads Qt Gui, which mirelune-cli does not load for every other
// command; mirelune-cli runs it with the command's arguments:
//   mirelune-measure -o ROOM.txt [--output NAME] [--input NAME] [--length S] [--repeat N] ...
// Exit status as mirelune-cli's: 0 measured and saved, 1 the devices or the file failed, 2 usage.
#include <QCoreApplication>
#include <iostream>
#include <locale>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/room/measure_args.h"
#include "platform/qt_audio_port.h"

int main(int argc, char** argv) {
  using namespace mirelune;
  using namespace mirelune::cli;
  std::cout.imbue(std::locale::classic());
  std::cerr.imbue(std::locale::classic());
  const std::vector<std::string> args(argv + 1, argv + argc);
  MeasureArgs a;
  std::string err;
  if (!ParseMeasureArgs(args, a, err)) {
    std::cerr << "mirelune-cli measure: " << err << "\n";
    return kExitUsage;
  }
  QCoreApplication app(argc, argv);
  QtAudioPort port;
  const int status = RunMeasure(port, a, std::cout, std::cerr);
  std::cout.flush();
  return std::cout ? status : kExitFailed;
}
