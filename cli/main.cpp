// SPDX-License-Identifier: GPL-3.0-or-later
// mirelune-cli: the console's core from the command line.
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <cstring>
#include <iostream>
#include <locale>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/command.h"
#include "cli/device_session.h"
#include "cli/help.h"
#include "cli/language.h"
#include "cli/qt_session_platform.h"
#include "cli/standard_streams.h"
#include <filesystem>
#include "mirelune/version.h"
#include "owner/device_address.h"
#include "sim/virtual_faults.h"
#include "sim/virtual_state.h"

namespace {

using mirelune::cli::Command;
using mirelune::cli::Commands;

void PrintHelp(std::ostream& out) {
  using mirelune::cli::Translated;
  out << Translated("用法: mirelune-cli [--device DEVICE] [--trace] [--password PW] [--faults LIST]\n"
                    "                   [--wait SECONDS] COMMAND [ARGS...]\n"
                    "      mirelune-cli --version\n"
                    "\n"
                    "全局选项:\n"
                    "  --device DEVICE       功放：hid（连接的那一台，默认）、hid:SERIAL、hid:N（devices\n"
                    "                        列表中的一行）、hid:PATH、virtual、virtual:NAME；write-mode、\n"
                    "                        read-mode、modes push 和 sync 还接受 all 和列表\n"
                    "                        （virtual:a,virtual:b）\n"
                    "  --trace               以十六进制显示发送（\"> \"）和接收（\"< \"）的每一帧\n"
                    "  --password PW         管理员密码，不在终端中询问\n"
                    "  --faults [NAME:]LIST  虚拟功放的故障注入，各项以逗号分隔：drop=N、corrupt=N\n"
                    "                        （丢弃或损坏应答）、split=N（N 字节的报告）、stray、\n"
                    "                        delay=MS、nosync、unplug=AT[:FOR]（毫秒）、usbtiming、\n"
                    "                        open=denied|busy、admin；带前缀时只作用于\n"
                    "                        virtual:NAME；可重复\n"
                    "  --lang zh|en          消息的语言（默认跟随区域设置：中文区域为中文，其他\n"
                    "                        区域为英文）\n"
                    "  --wait SECONDS        等待别的程序占用的功放、其占用者的应答或虚拟功放的记忆\n"
                    "                        最多多少秒（1..86400，默认 30）；之后命令失败（退出 1）\n"
                    "  --version             显示版本后退出\n"
                    "\n"
                    "命令:\n");
  for (const Command* c : mirelune::cli::ListedCommands()) {
    std::string name = c->name;
    name.resize(std::max<size_t>(name.size() + 2, 14), ' ');
    out << "  " << name << mirelune::cli::SummaryText(*c) << "\n";
  }
  out << Translated("\n"
                    "'mirelune-cli 命令 --help' 说明单个命令。\n"
                    "退出状态：0 完成，1 操作失败，2 用法错误（diff：文件不同时为 1，出错时为 2）。\n"
                    "Tab 补全：mirelune-cli completion bash|zsh|fish（软件包已为各 shell 安装）。\n"
                    "用户指南：/usr/share/doc/mirelune/guide.en.md、guide.zh.md（源码中的 docs/）。\n");
}

std::string g_command;  // the command run, for the message of an output that failed

// This program's own file, for the processes of a batch.
std::string SelfPath(const char* argv0) {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(argv0) : self.string();
}

}  // namespace

int Run(int argc, char** argv) {
  using mirelune::cli::kExitUsage;
  // Numbers go out the same under every locale: the streams keep the classic one even if a
  // library changes the global C++ locale (Qt sets only the C library's, from the environment).
  std::cout.imbue(std::locale::classic());
  std::cerr.imbue(std::locale::classic());
  // The completion's helper answers at once: its words are the shell's, not a command line.
  if (argc >= 2 && std::string(argv[1]) == "__complete") {
    mirelune::cli::Context ctx{{}, std::cout, std::cerr};
    const Command* helper = mirelune::cli::FindCommand("__complete");
    return helper ? mirelune::cli::RunCommand(*helper, ctx, {argv + 2, argv + argc}) : kExitUsage;
  }
  mirelune::cli::Options opt;
  std::vector<std::string> rest(argv + 1, argv + argc);
  mirelune::cli::Args global;
  std::string error;
  if (!mirelune::cli::TakeKnownOptions(mirelune::cli::GlobalOptions(), rest, global, error))
    return mirelune::cli::UsageError(std::cerr, "", error);
  if (global.Has("--version")) {
    std::cout << "mirelune-cli " << mirelune::kVersion << "\n";
    return 0;
  }
  mirelune::cli::ReadGlobalOptions(global, opt);
  mirelune::cli::UseLanguage(opt.language);
  if (opt.deviceGiven) {
    std::vector<mirelune::DeviceAddress> addresses;
    if (!mirelune::ParseDeviceList(opt.device, addresses, error))
      return mirelune::cli::UsageError(std::cerr, "", "--device: " + error);
  }
  if (!opt.faultLists.empty()) {
    if (opt.device.find("virtual") == std::string::npos && opt.device.find("all") == std::string::npos)
      return mirelune::cli::UsageError(std::cerr, "", "--faults applies to --device virtual only");
    for (const std::string& given : opt.faultLists) {
      mirelune::VirtualFaults faults;
      if (!mirelune::ParseFaultList(mirelune::SplitFaultArgument(given).items, faults, error))
        return mirelune::cli::UsageError(std::cerr, "", "--faults: " + error);
    }
  }
  if (rest.empty() || rest[0] == "--help" || rest[0] == "-h" || rest[0] == "help") {
    if (rest.size() < 2) {
      PrintHelp(rest.empty() ? std::cerr : std::cout);
      return rest.empty() ? kExitUsage : 0;
    }
    rest = {rest[1], "--help"};
  }
  const std::string name = rest[0];
  rest.erase(rest.begin());
  const Command* c = mirelune::cli::FindCommand(name);
  if (!c || c->syntax.hidden)
    return mirelune::cli::UsageError(std::cerr, "", "unknown command '" + name + "'");
  if (std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
    std::cout << mirelune::cli::UsageText(*c);
    return 0;
  }
  mirelune::cli::Args args;
  if (!mirelune::cli::ParseArgs(c->syntax, rest, args, error))
    return mirelune::cli::UsageError(std::cerr, args.sub.empty() ? name : name + " " + args.sub,
                                     error);
  mirelune::cli::SayStateLockWaits(name, opt);
  mirelune::cli::Context ctx{opt, std::cout, std::cerr};
  int status = 0;
  // --json on a command that runs on several amplifiers gives its summary for one as well.
  const bool json = args.Has("--json") && mirelune::cli::BatchCommand(name, rest);
  if (mirelune::cli::WantsSeveralDevices(opt) || json) {
    if (!mirelune::cli::BatchCommand(name, rest))
      return mirelune::cli::UsageError(std::cerr, name,
                                       "--device " + opt.device +
                                           " names several amplifiers; only write-mode, read-mode, "
                                           "modes push and sync run on several");
    status = mirelune::cli::RunBatch(ctx, SelfPath(argv[0]), name, rest);
  } else {
    status = c->run(ctx, args);
  }
  g_command = name;
  return status;
}

// The whole tool, called by its small front (cli/front/main.cpp) once that has loaded it, and by
// the helper programs' main.
extern "C" int MireluneCliMain(int argc, char** argv) {
  mirelune::cli::GuardStandardStreams();
  mirelune::cli::UseSessionPlatform(mirelune::cli::QtPlatform());
  const int status = Run(argc, argv);
  return mirelune::cli::CheckedExit(status, g_command);
}
