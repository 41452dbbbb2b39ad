// SPDX-License-Identifier: GPL-3.0-or-later
// serve's code (its row and usage: cli/cmd_serve.cpp): the room remote without a window - this process owns the amplifier and serves the
// phone page, the HTTP API and its events until it is stopped (Ctrl+C, SIGTERM).
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <ostream>
#include <sys/socket.h>
#include <unistd.h>

#include "cli/serve/broker_options.h"
#include "cli/command.h"
#include "cli/helper_program.h"
#include "cli/device_session.h"
#include "link/frame_codec.h"
#include "owner/device_address.h"
#include "owner/device_lock.h"
#include "owner/headless_owner.h"
#include "platform/hid_discovery.h"
#include "platform/qt_scheduler.h"
#include "platform/stderr_notifier.h"
#include "platform/tr.h"
#include "remote/qr_code.h"
#include "remote/remote_server.h"
#include "remote/staff_settings.h"

namespace mirelune::cli {
namespace {

int g_argc = 1;
char g_name[] = "mirelune-cli";
char* g_argv[] = {g_name, nullptr};

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
  const char c = 1;
  [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

int Serve(Context& ctx, const Args& args) {
  const std::string listenText = args.Value("--listen"), cert = args.Value("--tls-cert"),
                    key = args.Value("--tls-key"), staffText = args.Value("--staff");
  std::string error;
  ServeRoomOptions mqtt;  // also kept with the settings for the next time
  if (!ReadServeRoomOptions(args, mqtt, error)) return UsageError(ctx.err, "serve", error);
  RemoteListen listen;
  if (!listenText.empty() && !ParseListen(listenText, listen, error))
    return UsageError(ctx.err, "serve", "--listen: " + error);
  listen.certFile = cert;
  listen.keyFile = key;
  if (cert.empty() != key.empty())
    return UsageError(ctx.err, "serve", "--tls-cert and --tls-key go together");
  std::string warning;
  StaffList staff = LoadStaffList(&warning);
  if (!warning.empty()) ctx.err << "mirelune-cli serve: " << warning << "\n";
  if (!staffText.empty() && !ParseStaffList(staffText, staff, error))
    return UsageError(ctx.err, "serve", "--staff: " + error);

  std::vector<DeviceAddress> addresses;
  std::vector<DeviceTarget> targets;
  DeviceCandidates candidates;
  if (!ParseDeviceList(ctx.options.device, addresses, error)) {
    ctx.err << "mirelune-cli serve: --device: " << error << "\n";
    return kExitUsage;
  }
  for (const DeviceAddress& a : addresses)
    if (a.kind != DeviceAddress::Kind::Virtual && candidates.hid.empty())
      candidates.hid = EnumerateHidAmplifiers(kAmplifierVendorId, kAmplifierProductId);
  if (!ResolveDevices(addresses, candidates, false, targets, error)) {
    ctx.err << "mirelune-cli serve: " << error << "\n";
    return kExitFailed;
  }

  const std::string faultList = FaultsFor(ctx.options, targets.front());
  VirtualFaults faults;
  if (!faultList.empty() && (!targets.front().isVirtual || !ParseFaultList(faultList, faults, error))) {
    ctx.err << "mirelune-cli serve: --faults: " << (error.empty() ? "applies to --device virtual only" : error) << "\n";
    return kExitUsage;
  }
  QCoreApplication app(g_argc, g_argv);
  QtScheduler scheduler;
  StderrNotifier notifier(ctx.err);
  HeadlessOwner owner(targets.front(), scheduler, notifier, "mirelune-cli serve", faults);
  if (!owner.Start(error)) {
    ctx.err << "mirelune-cli serve: " << targets.front().Label() << ": " << error << "\n";
    return kExitFailed;
  }
  RemoteServer server(owner, owner.session().store(), [&staff] { return staff; });
  server.onLog = [&ctx](const std::string& line) { ctx.err << line << std::endl; };
  // After too many wrong secrets the PIN is a new one: shown where the first was.
  server.onPinChanged = [&ctx, &server] { ctx.out << "PIN: " << server.Pin() << std::endl; };
  if (!server.Start(listen, error)) {
    ctx.err << "mirelune-cli serve: " << error << "\n";
    return kExitFailed;
  }
  if (!IsLoopbackHost(listen.host) && !server.Encrypted())
    ctx.err << "mirelune-cli serve: " << Tr("警告：其他计算机可以访问此服务器，通信未加密（PIN 和令牌可被同一网络中的人看到）；请使用 --tls-cert 和 --tls-key。").toStdString() << "\n";

  std::unique_ptr<ServeRoom> room;
  if (!StartServeRoom(ctx, mqtt, owner, [&staff] { return staff; }, room, error)) {
    ctx.err << "mirelune-cli serve: --mqtt: " << error << "\n";
    return kExitFailed;
  }
  ctx.out << "URL: " << server.Url() << "\n"
          << "PIN: " << server.Pin() << "\n"
          << "Pairing link: " << server.PairingLink() << "\n";
  QrCode code;
  if (MakeQrCode(server.PairingLink(), code, error))
    ctx.out << QrTerminalText(code);
  else
    ctx.err << "mirelune-cli serve: " << error << "\n";
  ctx.out << std::flush;
  if (!ctx.out) return kExitFailed;

  // Ctrl+C and SIGTERM end the event loop, so the amplifier is let go and its memory kept.
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) {
    ctx.err << "mirelune-cli serve: cannot watch for signals\n";
    return kExitFailed;
  }
  QSocketNotifier stop(g_signalPipe[0], QSocketNotifier::Read);
  QObject::connect(&stop, &QSocketNotifier::activated, &app, [&] { app.quit(); });
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  app.exec();
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  StopServeRoom(room);
  server.Stop();
  ::close(g_signalPipe[0]);
  ::close(g_signalPipe[1]);
  if (!owner.session().SaveError().empty()) {
    ctx.err << "mirelune-cli serve: " << owner.session().SaveError() << "\n";
    return kExitFailed;
  }
  return kExitOk;
}

const ImplementationRegistration kServeCode("serve", Serve);

}  // namespace
}  // namespace mirelune::cli
