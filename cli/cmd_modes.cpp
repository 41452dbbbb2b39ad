// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-mode commands: sync, read-mode, write-mode, and the mode folder (modes list/pull/push).
#include <cstdio>
#include <functional>
#include <iostream>
#include <string>

#ifndef _WIN32
#include <termios.h>
#include <unistd.h>
#endif

#include "modes/file_operation.h"
#include "modes/mode_folder.h"
#include "cli/command.h"
#include "cli/device_session.h"
#include "platform/tr.h"
#include "link/transfers.h"

namespace mirelune::cli {
namespace {

// Reads a line from the terminal without echo. Empty when stdin is not a terminal.
std::string AskSecret(const Context& ctx, const std::string& prompt) {
  if (!ctx.terminal) return {};
#ifndef _WIN32
  if (!isatty(STDIN_FILENO)) return {};
  std::cerr << prompt << std::flush;
  termios old{};
  tcgetattr(STDIN_FILENO, &old);
  termios quiet = old;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  std::string line;
  std::getline(std::cin, line);
  tcsetattr(STDIN_FILENO, TCSANOW, &old);
  std::cerr << "\n";
  return line;
#else
  std::cerr << prompt << std::flush;
  std::string line;
  std::getline(std::cin, line);
  return line;
#endif
}

// Whole-mode work on a connected device: the transfers, the file operations, and the answers
// the CLI gives to the administrator prompt and the overwrite question.
class ModeSession {
 public:
  ModeSession(Context& ctx, DeviceSession& session, bool yes = false)
      : session(session), ctx_(ctx), yes_(yes) {}

  bool Connect() {
    if (!session.Connect()) return false;
    transfers = std::make_unique<Transfers>(session.store(), session.link(), session.notifier());
    files = std::make_unique<FileOperation>(session.store(), session.link(), *transfers,
                                            session.notifier(), ModeFolder(ModeFolder::DefaultPath()));
    session.notifier().passwordPrompt = [this](int inputType) { return AdminPassword(inputType); };
    session.notifier().questionAnswer = [this](const std::string& q) {
      if (yes_) return true;
      bool terminal = ctx_.terminal;
#ifndef _WIN32
      terminal = terminal && isatty(STDIN_FILENO);
#endif
      if (!terminal) {
        ctx_.err << "mirelune-cli: " << TrLines(q).toStdString() << " -> no (not a terminal; --yes answers yes)\n";
        return false;
      }
      std::cerr << TrLines(q).toStdString() << " [y/N] " << std::flush;
      std::string line;
      std::getline(std::cin, line);
      return line == "y" || line == "Y" || line == "yes";
    };
    return true;
  }

  DeviceSession& session;
  std::unique_ptr<Transfers> transfers;
  std::unique_ptr<FileOperation> files;

 private:
  // The administrator prompt: --password, else the terminal; checked by the device.
  bool AdminPassword(int inputType) {
    const int slot = inputType == 1 ? 2 : 1;
    std::string pw = ctx_.options.hasPassword ? ctx_.options.password : AskSecret(ctx_, Tr("管理密码: ").toStdString());
    bool accepted = false;
    return !pw.empty() && transfers->CheckPassword(slot, pw, accepted) && accepted;
  }

  Context& ctx_;
  bool yes_;
};

// Runs `body` on a connected mode session; the status goes through the device session's
// Finish, so a virtual amplifier state that cannot be saved fails the command.
int RunModes(Context& ctx, const std::string& command, bool yes,
             const std::function<int(ModeSession&)>& body) {
  return RunOnDevice(ctx, command, [&](DeviceSession& s) {
    ModeSession m(ctx, s, yes);
    if (!m.Connect()) return kExitFailed;
    return body(m);
  });
}

// A row of the mode folder as the mode manager shows it ("文件1\t| name"), its word in the
// tool's language; the name is the user's and stays as it is.
std::string RowLine(int row, const std::string& name) {
  const std::string chinese = ModeFolder::RowText(row, name);
  return Tr("文件").toStdString() + chinese.substr(std::string("文件").size());
}

// An argument as a shell reads it back: quoted when it holds anything but plain characters.
std::string QuotedArg(const std::string& a) {
  const bool plain = !a.empty() && a.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                        "0123456789._-/+:,=") == std::string::npos;
  if (plain) return a;
  std::string q = "'";
  for (char c : a) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

bool ParseMode(Context& ctx, const std::string& cmd, const std::string& text, int& mode) {
  long n = 0;
  if (!ParseInt(text, n) || n < 1 || n > 10) {
    UsageError(ctx.err, cmd, "mode must be 1..10, not '" + text + "'");
    return false;
  }
  mode = static_cast<int>(n) - 1;
  return true;
}

// After a whole-mode write that ended early: which mode, how far it came, what that means for
// the amplifier, and how to finish.
void ReportUnfinishedWrite(Context& ctx, ModeSession& m, const std::string& cmd, const std::string& again) {
  const Transfers::WriteProgress& w = m.transfers->LastWrite;
  if (w.mode < 0) return;  // refused before the first frame; the reason is printed already
  ctx.err << "mirelune-cli " << cmd << ": ";
  if (w.acknowledged == 0)
    ctx.err << TrIn("Cli", "模式 %1 没有写入：功放没有确认它的 %2 组中的任何一组，所以它保持原来的内容。")
                   .arg(w.mode + 1)
                   .arg(w.groups)
                   .toStdString();
  else
    ctx.err << TrIn("Cli", "模式 %1 只写入了一部分：%3 组中已确认 %2 组，所以功放上的这个模式现在是"
                           "旧设置与新设置的混合。")
                   .arg(w.mode + 1)
                   .arg(w.acknowledged)
                   .arg(w.groups)
                   .toStdString();
  ctx.err << TrIn("Cli", " 要完成写入，请再运行同一命令：%1")
                 .arg(QString::fromStdString("mirelune-cli --device " + m.session.Target().Label() + " " + again))
                 .toStdString()
          << "\n";
}

int SaveParams(ModeSession& m, Context& ctx, const std::string& cmd, const std::string& path) {
  FileResult r = m.files->SaveParamsToFile(path);
  if (!r) {
    ctx.err << "mirelune-cli " << cmd << ": " << r.error << "\n";
    return kExitFailed;
  }
  return kExitOk;
}

// A configuration file checked before anything is sent; false (the reason on stderr) when it
// is refused.
bool CheckFile(Context& ctx, const std::string& cmd, const std::string& path) {
  RecordTable probe;
  FileResult r = LoadTableFromFile(path, probe);
  if (!r) ctx.err << "mirelune-cli " << cmd << ": " << r.error << "\n";
  if (!r.warning.empty()) ctx.err << "mirelune-cli " << cmd << ": warning: " << r.warning << "\n";
  return r.ok;
}

int Sync(Context& ctx, const Args& args) {
  const std::string out = args.Value("--output");
  return RunModes(ctx, "sync", false, [&](ModeSession& m) {
    if (!m.transfers->ReadModeToParams(0, true, ReadGroup)) return kExitFailed;
    // With the file on standard output (-o -), this line goes beside it, to stderr.
    (out == "-" ? ctx.err : ctx.out) << "current mode: " << m.transfers->CurrentModeNumber + 1 << "\n";
    return SaveParams(m, ctx, "sync", out);
  });
}

int ReadMode(Context& ctx, const Args& args) {
  const std::string out = args.Value("--output");
  int mode = 0;
  if (!ParseMode(ctx, "read-mode", args.operands[0], mode)) return kExitUsage;
  return RunModes(ctx, "read-mode", false, [&](ModeSession& m) {
    if (!m.transfers->ReadModeToParams(mode, false, ReadGroup)) return kExitFailed;
    return SaveParams(m, ctx, "read-mode", out);
  });
}

int WriteMode(Context& ctx, const Args& command) {
  const std::vector<std::string>& args = command.operands;
  int mode = 0;
  if (!ParseMode(ctx, "write-mode", args[0], mode)) return kExitUsage;
  // Check the file before touching the device.
  if (!CheckFile(ctx, "write-mode", args[1])) return kExitFailed;
  return RunModes(ctx, "write-mode", false, [&](ModeSession& m) {
    FileResult r = m.files->LoadFileIntoReadBack(args[1]);
    if (!r) {
      ctx.err << "mirelune-cli write-mode: " << r.error << "\n";
      return kExitFailed;
    }
    if (m.transfers->WriteModeFromReadBack(mode)) return kExitOk;
    ReportUnfinishedWrite(ctx, m, "write-mode", "write-mode " + args[0] + " " + QuotedArg(args[1]));
    return kExitFailed;
  });
}

int ModesList(Context& ctx) {
  ModeFolder folder(ModeFolder::DefaultPath());
  std::string error;
  if (!folder.Ensure(&error)) {
    ctx.err << "mirelune-cli modes: " << error << "\n";
    return kExitFailed;
  }
  std::vector<std::string> names = folder.List();
  for (size_t i = 0; i < names.size(); ++i)
    ctx.out << RowLine(static_cast<int>(i) + 1, names[i]) << "\n";
  return kExitOk;
}

int ModesPull(Context& ctx, const std::vector<std::string>& args, bool yes) {
  std::vector<int> modes;
  for (size_t i = 0; i < args.size(); ++i) {
    int mode = 0;
    if (!ParseMode(ctx, "modes pull", args[i], mode)) return kExitUsage;
    modes.push_back(mode);
  }
  return RunModes(ctx, "modes pull", yes, [&](ModeSession& m) {
    if (!m.transfers->ReadModeNames()) return kExitFailed;
    if (!m.files->SaveDeviceModesToFolder(modes)) return kExitFailed;
    if (!m.files->LastKept.empty()) {
      // A file kept because the question was answered no is not a mode pulled.
      for (const std::string& path : m.files->LastKept)
        ctx.err << "mirelune-cli modes pull: "
                << TrIn("Cli", "未保存：%1 已存在，保留原文件（--yes 会替换它）").arg(QString::fromStdString(path)).toStdString()
                << "\n";
      for (const std::string& path : m.files->LastSaved)
        ctx.err << "mirelune-cli modes pull: " << TrIn("Cli", "已保存：%1").arg(QString::fromStdString(path)).toStdString()
                << "\n";
      return kExitFailed;
    }
    for (size_t i = 0; i < m.files->FolderFileNames.size(); ++i)
      ctx.out << RowLine(static_cast<int>(i) + 1, m.files->FolderFileNames[i]) << "\n";
    return kExitOk;
  });
}

int ModesPush(Context& ctx, const std::vector<std::string>& args) {
  int mode = 0;
  if (!ParseMode(ctx, "modes push", args[1], mode)) return kExitUsage;
  ModeFolder folder(ModeFolder::DefaultPath());
  if (!CheckFile(ctx, "modes push", folder.FileFor(args[0]))) return kExitFailed;
  return RunModes(ctx, "modes push", false, [&](ModeSession& m) {
    if (m.files->UploadFolderFileToMode(args[0], mode)) return kExitOk;
    ReportUnfinishedWrite(ctx, m, "modes push", "modes push " + QuotedArg(args[0]) + " " + args[1]);
    return kExitFailed;
  });
}

int Modes(Context& ctx, const Args& args) {
  if (args.sub == "list") return ModesList(ctx);
  if (args.sub == "pull") return ModesPull(ctx, args.operands, args.Has("--yes"));
  return ModesPush(ctx, args.operands);
}

// The summary of several amplifiers, and -o where the command writes a file.
const OptionSpec kJson = Flag("--json");
const OptionSpec kOutput = Required(Opt("--output", "FILE", FileOf("sp"), "-o"));
const OperandSpec kMode = One("N", Value::Of(Value::Mode));

CommandRegistration sync{{"sync", "把设备的当前模式（含状态）读到文件",
                          "用法: mirelune-cli sync -o FILE [--json]\n"
                          "启动时的同步：设备的当前模式、它的菜单标志和每一个参数，保存为配置文件。\n"
                          "用 --device all 或列表时，每台功放一个进程，各输出一行并给出汇总；--json 把它们\n"
                          "输出为一个对象（一台功放时也可用）。\n",
                          Sync, Syntax().WithOptions({kOutput, kJson})}};
CommandRegistration readMode{{"read-mode", "把设备模式 N（1..10）读到文件",
                              "用法: mirelune-cli read-mode N -o FILE [--json]\n"
                              "读取模式 N 的每一组（包括系统种类）并保存。\n"
                              "用 --device all 或列表时，每台功放一个进程，各输出一行并给出汇总；--json 把它们\n"
                              "输出为一个对象（一台功放时也可用）。\n",
                              ReadMode,
                              Syntax().WithOptions({kOutput, kJson}).WithOperands({kMode})}};
CommandRegistration writeMode{{"write-mode", "把配置文件写入设备模式 N",
                               "用法: mirelune-cli write-mode N FILE [--json]\n"
                               "先检查文件；有问题的文件在发送任何内容之前就被拒绝。\n"
                               "用 --device all 或列表时，每台功放一个进程，各输出一行并给出汇总；--json 把它们\n"
                               "输出为一个对象（一台功放时也可用）。\n",
                               WriteMode,
                               Syntax().WithOptions({kJson}).WithOperands(
                                   {kMode, One("FILE", FileOf("sp"))})}};
CommandRegistration modes{{"modes", "模式文件夹：列出文件、取回设备模式、写入文件",
                           "用法: mirelune-cli modes list\n"
                           "      mirelune-cli modes pull N... [--yes]\n"
                           "      mirelune-cli modes push NAME N\n"
                           "list：模式文件夹中的文件；pull：把设备模式 N... 按模式名称存入该文件夹（--yes 覆盖已有\n"
                           "文件；否则在终端中询问，不在终端时回答“否”）；push：把文件夹中的文件 NAME 写入设备\n"
                           "模式 N。\n",
                           Modes,
                           Syntax().WithSubs(
                               {{"list", {}},
                                {"pull", Syntax()
                                             .WithOptions({Flag("--yes")})
                                             .WithOperands({Many("N", Value::Of(Value::Mode), 1)})},
                                {"push", Syntax().WithOperands(
                                             {One("NAME", Value::Of(Value::ModeName)), kMode})}})}};

}  // namespace
}  // namespace mirelune::cli
