// SPDX-License-Identifier: GPL-3.0-or-later
// The whole console - session, frame and tuning window - on the virtual amplifier in virtual
// time, for the window tests.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QTest>

#include "platform/recording_notifier.h"
#include "platform/virtual_scheduler.h"
#include "sim/virtual_amplifier.h"
#include "sim/virtual_hid_port.h"
#include "ui/session/console_session.h"
#include "ui/tuning/frm_eq.h"
#include "ui/graph/graph_widget.h"
#include "ui/window/mdi_main.h"

namespace mirelune::ui::testing {

struct Console {
  VirtualScheduler scheduler;
  RecordingNotifier messages;
  std::unique_ptr<ConsoleSession> session;
  std::unique_ptr<MdiMain> frame;

  // `prepare` runs on the virtual amplifier before anything is started.
  explicit Console(const std::string& faults = "",
                   const std::function<void(VirtualAmplifier&)>& prepare = {}) {
    ConsoleOptions options;
    options.device = ConsoleOptions::Device::Virtual;
    // Edits a read replaces are kept in files: under the build's test folder, not the home.
    const QByteArray tmp = qgetenv("MIRELUNE_TEST_TMP");
    options.dataFolder = (tmp.isEmpty() ? std::string(MIRELUNE_BUILD_DIR) + "/test-tmp" : tmp.toStdString()) +
                         "/console-data";
    std::string error;
    if (!ParseFaultList(faults, options.faults, error)) qFatal("bad fault text %s", error.c_str());
    scheduler.SetHorizonMs(10LL * 60 * 1000);
    session = std::make_unique<ConsoleSession>(options, scheduler, messages);
    if (prepare) prepare(*session->amplifier());
    frame = std::make_unique<MdiMain>(*session);
    frame->show();
    session->Start();
  }
  ~Console() {
    frame.reset();
    session.reset();
  }

  FrmEq& eq() { return *frame->tuningWindow(); }
  GraphWidget& graph() { return *eq().graph(); }
  Link& link() { return session->link(); }
  Store& store() { return session->store(); }
  VirtualAmplifier& amp() { return *session->amplifier(); }

  // Runs virtual time until `done` or until `limitMs` passed; returns done().
  // Runs events until `done` or limitMs of virtual time have passed; the clock then stands at
  // the limit (a timer marks it: an idle console may have no event of its own before it).
  bool RunUntil(const std::function<bool()>& done, int limitMs) {
    const int64_t deadline = scheduler.NowMs() + limitMs;
    bool expired = false;
    const Scheduler::TimerId limit = scheduler.StartTimer(limitMs, false, [&expired] { expired = true; });
    while (!done() && !expired && scheduler.NowMs() < deadline)
      if (!scheduler.RunNext()) break;
    scheduler.StopTimer(limit);
    return done();
  }
  // Online with the start-up read finished.
  bool Synced(int limitMs = 5000) {
    return RunUntil([&] { return link().Online && !session->Syncing() &&
                                 session->StatusFacts().modeNumber >= 0; },
                    limitMs);
  }
};

}  // namespace mirelune::ui::testing
