// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/batch.h"
#include "cli/help.h"
#include "cli/device_session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QEventLoop>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <sstream>

#include "cli/help.h"
#include "cli/device_session.h"
#include "link/usb_comm.h"
#include "owner/device_address.h"
#include "platform/hid_discovery.h"
#include "sim/virtual_state.h"

namespace mirelune::cli {

namespace {

// At most this many amplifiers are worked on at once in processes of their own (a hub of eight
// rooms at a time), and at most this many virtual ones in threads of this process.
constexpr int kParallel = 8;
constexpr int kParallelThreads = 32;

// The output file of one amplifier when several write one each: "m7.sp" -> "m7-virtual_a.sp".
std::string PerDevicePath(const std::string& path, const std::string& label) {
  std::string safe;
  for (char c : label) safe += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.') ? c : '_';
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return path + "-" + safe;
  return path.substr(0, dot) + "-" + safe + path.substr(dot);
}

std::string LastLine(const QByteArray& text) {
  const QList<QByteArray> lines = text.trimmed().split('\n');
  return lines.isEmpty() ? std::string() : lines.last().trimmed().toStdString();
}

struct Job {
  DeviceTarget target;
  QStringList arguments;
  std::vector<std::string> args;  // the command's own, for a run in this process
  std::string output;  // the file this amplifier's result went to, if any
  std::unique_ptr<QProcess> process;
  std::unique_ptr<QThread> thread;
  std::ostringstream out, err;  // a thread's output
  QElapsedTimer clock;
  double seconds = 0;
  int exit = -1;
  std::string message;
  bool done = false;
};

// A virtual amplifier is worked on in a thread of this process: a process of its own cost
// about 45 ms of CPU to start, so that sixteen of them took the two cores for most of a second,
// while the command itself mostly waits for USB frames. Each thread has its own event loop,
// scheduler, link and amplifier; nothing of one session is shared with another. An amplifier
// on USB keeps a process of its own: one that hangs can then be ended without the others.
int RunHere(const Command& c, const Options& options, const std::string& label, const std::vector<std::string>& args,
            std::ostream& out, std::ostream& err) {
  Options mine = options;
  mine.device = label;
  mine.deviceGiven = true;
  Context ctx{mine, out, err};
  ctx.terminal = false;
  return RunCommand(c, ctx, args);
}

}  // namespace

bool WantsSeveralDevices(const Options& options) {
  return options.device == "all" || options.device.find(',') != std::string::npos;
}

bool BatchCommand(const std::string& command, const std::vector<std::string>& args) {
  if (command == "write-mode" || command == "read-mode" || command == "sync") return true;
  return command == "modes" && !args.empty() && args[0] == "push";
}

int RunBatch(Context& ctx, const std::string& self, const std::string& command,
             std::vector<std::string> args) {
  static int argc = 1;
  static char name[] = "mirelune-cli";
  static char* argv[] = {name, nullptr};
  std::unique_ptr<QCoreApplication> app;
  if (!QCoreApplication::instance()) app = std::make_unique<QCoreApplication>(argc, argv);
  std::vector<std::string> rest = args;
  const bool json = TakeFlag(rest, "--json");
  std::vector<DeviceAddress> addresses;
  std::string error;
  if (!ParseDeviceList(ctx.options.device, addresses, error)) {
    ctx.err << "mirelune-cli " << command << ": --device: " << error << "\n";
    return kExitUsage;
  }
  DeviceCandidates candidates;
  candidates.hid = EnumerateHidAmplifiers(kAmplifierVendorId, kAmplifierProductId);
  candidates.virtualNames = NamedVirtualAmplifiers();
  std::vector<DeviceTarget> targets;
  DeviceChoiceFailure why;
  if (!ResolveDevices(addresses, candidates, true, targets, error, &why)) {
    ctx.err << "mirelune-cli " << command << ": " << DeviceChoiceText(error, why) << "\n";
    return kExitFailed;
  }
  // Files one amplifier reads into get a name of their own each.
  std::string outPath, outError;
  std::vector<std::string> withoutOut = rest;
  const bool hasOut = TakeOption(withoutOut, "--output", outPath, outError, "-o");
  if (hasOut && outPath == "-") {
    // The summary is on standard output already; each amplifier's file needs a name.
    ctx.err << "mirelune-cli " << command << ": -o - (standard output) takes the file of one amplifier, "
               "without --json\n";
    return kExitUsage;
  }

  const Command* here = nullptr;
  for (const Command& c : Commands())
    if (c.name == command) here = &c;
  std::vector<Job> jobs(targets.size());
  for (size_t i = 0; i < targets.size(); ++i) {
    Job& j = jobs[i];
    j.target = targets[i];
    j.args = hasOut ? withoutOut : rest;
    if (hasOut) {
      j.args.push_back("-o");
      j.args.push_back(targets.size() > 1 ? PerDevicePath(outPath, j.target.Label()) : outPath);
    }
    j.arguments << "--device" << QString::fromStdString(j.target.Label());
    for (const std::string& f : ctx.options.faultLists) j.arguments << "--faults" << QString::fromStdString(f);
    if (ctx.options.hasPassword) j.arguments << "--password" << QString::fromStdString(ctx.options.password);
    j.arguments << "--wait" << QString::number(ctx.options.waitMs / 1000);
    j.arguments << QString::fromStdString(command);
    const std::vector<std::string>& mine = hasOut ? withoutOut : rest;
    for (const std::string& a : mine) j.arguments << QString::fromStdString(a);
    if (hasOut) {
      j.output = targets.size() > 1 ? PerDevicePath(outPath, j.target.Label()) : outPath;
      j.arguments << "-o" << QString::fromStdString(j.output);
    }
  }

  // Faults of named amplifiers are for their own session only: each picks its own from the
  // list (FaultsFor); an amplifier without virtual faults must not get any.
  size_t nextProcess = 0, nextThread = 0, processes = 0, threads = 0, finished = 0;
  QEventLoop loop;
  auto settle = [&](Job& j, int exit, const QByteArray& out, const QByteArray& err) {
    j.done = true;
    ++finished;
    j.seconds = j.clock.elapsed() / 1000.0;
    j.exit = exit;
    j.message = j.exit == 0 ? (j.output.empty() ? LastLine(out) : j.output) : LastLine(err);
    // The command's own prefix says nothing here: the line already names the command.
    const std::string prefix = "mirelune-cli " + command + ": ";
    if (j.message.rfind(prefix, 0) == 0) j.message = j.message.substr(prefix.size());
  };
  std::function<void()> startMore;
  auto startProcess = [&](Job& j) {
    j.process = std::make_unique<QProcess>();
    QStringList args = j.arguments;
    if (!j.target.isVirtual) {
      // --faults is for virtual amplifiers only.
      for (int k = 0; k + 1 < args.size();)
        if (args[k] == "--faults") args.remove(k, 2); else ++k;
    }
    QProcess* p = j.process.get();
    QObject::connect(p, &QProcess::finished, &loop, [&, p](int code, QProcess::ExitStatus status) {
      --processes;
      if (status != QProcess::NormalExit) {
        settle(j, kExitFailed, {}, {});
        j.message = "the process for it crashed";
      } else {
        settle(j, code, p->readAllStandardOutput(), p->readAllStandardError());
      }
      startMore();
    });
    QObject::connect(p, &QProcess::errorOccurred, &loop, [&, p](QProcess::ProcessError e) {
      if (e != QProcess::FailedToStart || j.done) return;
      --processes;
      settle(j, kExitFailed, {}, {});
      j.message = "could not start " + self;
      startMore();
    });
    ++processes;
    j.clock.start();
    p->start(QString::fromStdString(self), args);
  };
  auto startThread = [&](Job& j) {
    ++threads;
    j.clock.start();
    const std::string label = j.target.Label();
    j.thread.reset(QThread::create([&j, here, &ctx, label] {
      j.exit = RunHere(*here, ctx.options, label, j.args, j.out, j.err);
    }));
    QObject::connect(j.thread.get(), &QThread::finished, &loop, [&] {
      --threads;
      settle(j, j.exit, QByteArray::fromStdString(j.out.str()), QByteArray::fromStdString(j.err.str()));
      startMore();
    });
    j.thread->start();
  };
  auto inThread = [&](const Job& j) { return j.target.isVirtual && here; };
  startMore = [&] {
    for (; nextProcess < jobs.size() && processes < kParallel; ++nextProcess)
      if (!inThread(jobs[nextProcess])) startProcess(jobs[nextProcess]);
    for (; nextThread < jobs.size() && threads < kParallelThreads; ++nextThread)
      if (inThread(jobs[nextThread])) startThread(jobs[nextThread]);
    if (finished == jobs.size()) loop.quit();
  };
  startMore();
  if (finished < jobs.size()) loop.exec();
  for (Job& j : jobs)
    if (j.thread) j.thread->wait();

  int failed = 0;
  for (const Job& j : jobs) failed += j.exit != 0;
  if (json) {
    QJsonArray list;
    for (const Job& j : jobs) {
      QJsonObject o;
      o["device"] = QString::fromStdString(j.target.Label());
      o["serial"] = j.target.isVirtual ? QJsonValue() : QJsonValue(QString::fromStdString(j.target.hid.serial));
      o["ok"] = j.exit == 0;
      o["exit"] = j.exit;
      o["seconds"] = j.seconds;
      o[j.exit == 0 ? "result" : "error"] = QString::fromStdString(j.message);
      if (!j.output.empty() && j.exit == 0) o["file"] = QString::fromStdString(j.output);
      list.append(o);
    }
    QJsonObject all{{"command", QString::fromStdString(command)}, {"devices", list},
                    {"ok", static_cast<int>(jobs.size()) - failed}, {"failed", failed}};
    ctx.out << QJsonDocument(all).toJson(QJsonDocument::Compact).toStdString() << "\n";
  } else {
    for (const Job& j : jobs) {
      char time[32];
      std::snprintf(time, sizeof time, "%.1f s", j.seconds);
      ctx.out << j.target.Label() << "\t" << (j.target.isVirtual || j.target.hid.serial.empty() ? "-" : j.target.hid.serial)
              << "\t" << (j.exit == 0 ? "ok" : "FAILED") << "\t" << time
              << (j.message.empty() ? "" : "\t" + j.message) << "\n";
    }
    ctx.out << command << ": " << jobs.size() - static_cast<size_t>(failed) << " of " << jobs.size()
            << " amplifiers done" << (failed ? ", " + std::to_string(failed) + " failed" : std::string()) << "\n";
  }
  return failed ? kExitFailed : kExitOk;
}

}  // namespace mirelune::cli
