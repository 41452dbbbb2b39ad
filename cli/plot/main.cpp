// SPDX-License-Identifier: GPL-3.0-or-later
// mirelune-plot: mirelune-cli's `plot`, the one command that draws. It is a program of its own
// so that mirelune-cli loads no Qt Gui for every other command; mirelune-cli runs it with the
// command's arguments:
//   mirelune-plot FILE --page P -o OUT.png [--width W] [--height H] [--sound-mode S] [--sub-page E]
//                 [--compare OTHER.sp]... [--phase]
// Exit status as mirelune-cli's: 0 done, 1 the file refused or the picture not written, 2 usage.
#include <QBuffer>
#include <QGuiApplication>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/graph_args.h"
#include "graph/graph_view.h"
#include "graph/response_model.h"
#include "model/file_bytes.h"
#include "model/sp_file.h"
#include "model/store.h"

int main(int argc, char** argv) {
  using namespace mirelune;
  using namespace mirelune::cli;
  const std::vector<std::string> args(argv + 1, argv + argc);
  GraphArgs a;
  std::string err;
  if (!ParseGraphArgs(args, true, a, err)) return UsageError(std::cerr, "plot", err);
  auto store = std::make_unique<Store>();
  std::string warning;
  if (!LoadStore(a, *store, err, warning)) {
    std::cerr << "mirelune-cli plot: " << err << "\n";
    return kExitFailed;
  }
  if (!warning.empty()) std::cerr << "mirelune-cli plot: warning: " << warning << "\n";
  // Drawing needs a GUI application; without a display the offscreen platform serves.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr &&
      std::getenv("WAYLAND_DISPLAY") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int qtArgc = 1;
  static char name[] = "mirelune-plot";
  static char* qtArgv[] = {name, nullptr};
  // The same page of each file compared with, read before anything is drawn.
  std::vector<CompareSource> sources;
  for (const std::string& other : a.compare) {
    auto table = std::make_shared<RecordTable>();
    const FileResult r = LoadTableFromFile(other, *table);
    if (!r) {
      std::cerr << "mirelune-cli plot: --compare: " << r.error << "\n";
      return kExitFailed;
    }
    if (!r.warning.empty()) std::cerr << "mirelune-cli plot: --compare: warning: " << r.warning << "\n";
    CompareSource s;
    s.kind = CompareKind::File;
    s.label = std::filesystem::path(other).filename().string();
    s.table = table;
    sources.push_back(std::move(s));
  }
  QGuiApplication app(qtArgc, qtArgv);
  ResponseModel model(*store);
  model.SetComparisons(std::move(sources));
  model.SetPhaseShown(a.phase);
  GraphView view(model);
  view.ResizeGraph(QSize(static_cast<int>(a.width), static_cast<int>(a.height)));
  model.RedrawAll(true);
  view.DrawGraph();
  // Encoded in memory first, then written whole through the one file writer: a full disk or a
  // FIFO never leaves a cut picture in place of a good one.
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!view.Composite().save(&buffer, "PNG")) {
    std::cerr << "mirelune-cli plot: the picture could not be encoded as PNG\n";
    return kExitFailed;
  }
  const FileResult written = ReplaceFile(a.output, std::vector<uint8_t>(png.begin(), png.end()));
  if (!written) {
    std::cerr << "mirelune-cli plot: " << written.error << "\n";
    return kExitFailed;
  }
  return kExitOk;
}
