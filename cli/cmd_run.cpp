// SPDX-License-Identifier: GPL-3.0-or-later
// run: a script of CLI commands over one link session.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sstream>
#include <unistd.h>
#include <iostream>
#include <memory>
#include <sstream>

#include "cli/assignments.h"
#include "cli/command.h"
#include "cli/help.h"
#include "model/file_bytes.h"
#include "cli/device_session.h"

namespace mirelune::cli {
namespace {

struct ScriptLine {
  int number;
  std::vector<std::string> words;
};

// Reads the script and checks what can be checked without the amplifier: the words, the
// command names, no global options, every line by its command's syntax, and every `set` in
// full. False with the reason (and its line) on stderr.
bool LoadScript(Context& ctx, std::istream& in, std::vector<ScriptLine>& lines) {
  std::string text, error;
  for (int number = 1; std::getline(in, text); ++number) {
    std::vector<std::string> words;
    if (!SplitScriptLine(text, words, error)) {
      ctx.err << "mirelune-cli run: line " << number << ": " << error << "\n";
      return false;
    }
    if (words.empty()) continue;
    const std::string& name = words[0];
    const Command* command = FindCommand(name);
    if (name == "run" || !command || command->syntax.hidden) {
      ctx.err << "mirelune-cli run: line " << number << ": "
              << (name == "run" ? "a script cannot run another one"
                                : "unknown command '" + name + "'") << "\n";
      return false;
    }
    for (const std::string& w : words) {
      for (const OptionSpec& o : GlobalOptions()) {
        if (w != o.name && w.rfind(o.name + "=", 0) != 0) continue;
        ctx.err << "mirelune-cli run: line " << number << ": " << o.name
                << " belongs on run's own command line\n";
        return false;
      }
    }
    const std::vector<std::string> rest(words.begin() + 1, words.end());
    Args args;
    SetRequest req;
    const bool help = std::find(rest.begin(), rest.end(), "--help") != rest.end();
    if (!help && (!ParseArgs(command->syntax, rest, args, error) ||
                  (name == "set" && !ParseSet(args, req, error)))) {
      ctx.err << "mirelune-cli run: line " << number << ": " << name << ": " << error
              << " (try mirelune-cli help " << name << ")\n";
      return false;
    }
    lines.push_back({number, std::move(words)});
  }
  return true;
}

// The whole script: a regular file, or standard input ("-") read to its end. Either at most
// kMaxScript bytes; a read error, a folder, a FIFO given by name, or more than that is an error,
// never the end of the script. A UTF-8 byte order mark at the start is dropped.
constexpr size_t kMaxScript = 16u << 20;

bool ReadScript(const std::string& path, std::string& text, std::string& error) {
  std::vector<uint8_t> bytes;
  if (path == "-") {
    char buf[65536];
    while (true) {
      const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        error = "standard input cannot be read (" + std::string(std::strerror(errno)) + ")";
        return false;
      }
      if (n == 0) break;
      bytes.insert(bytes.end(), buf, buf + n);
      if (bytes.size() > kMaxScript) {
        error = "the script on standard input is larger than 16 MiB";
        return false;
      }
    }
  } else {
    const FileResult r = ReadRegularFile(path, kMaxScript + 1, bytes);
    if (!r) {
      error = r.error;
      return false;
    }
    if (bytes.size() > kMaxScript) {
      error = path + ": larger than 16 MiB, not a script";
      return false;
    }
  }
  size_t start = 0;
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) start = 3;
  text.assign(bytes.begin() + static_cast<long>(start), bytes.end());
  return true;
}

int Run(Context& ctx, const Args& command) {
  const std::vector<std::string>& args = command.operands;
  std::vector<ScriptLine> lines;
  std::string text, error;
  if (!ReadScript(args[0], text, error)) {
    ctx.err << "mirelune-cli run: " << error << "\n";
    return kExitFailed;
  }
  std::istringstream script(text);
  if (!LoadScript(ctx, script, lines)) return kExitUsage;
  // The session is made once, and the link brought up by the first command that needs it.
  DeviceSession session(ctx, "run");
  if (session.ThroughOwner()) session.FailOwned();
  if (!session.Ok()) return session.Finish(kExitFailed);
  Context inner{ctx.options, ctx.out, ctx.err, &session};
  for (const ScriptLine& line : lines) {
    const Command& command = *FindCommand(line.words[0]);
    const std::vector<std::string> rest(line.words.begin() + 1, line.words.end());
    const int status = RunCommand(command, inner, rest);
    if (status != kExitOk) {
      ctx.err << "mirelune-cli run: line " << line.number << " (" << line.words[0]
              << ") failed with status " << status << "\n";
      session.SetCommand("run");
      session.Finish(kExitOk);  // keep what the lines before made; the line's status stands
      return status == kExitUsage ? kExitUsage : kExitFailed;
    }
  }
  session.SetCommand("run");
  return session.Finish(kExitOk);
}

const CommandRegistration kRun(
    {"run", "在一次连接中运行命令脚本",
     "用法: mirelune-cli [--device DEVICE] [--faults LIST] [--trace] run FILE|-\n"
     "运行 FILE（- 读取标准输入）中的命令，每行一条，写法与命令行相同，但不写 'mirelune-cli'，\n"
     "也不写全局选项（全局选项属于 run 本身）。'#' 开始注释；\"...\" 和 '...' 为引号。连接只\n"
     "建立一次，由第一条需要功放的命令建立，之后一直保持；修改了虚拟功放的脚本在结束时保存一次\n"
     "状态。未知命令、行中的全局选项、命令不接受的选项和有问题的 set 赋值在运行前就被拒绝\n"
     "（退出 2，并给出行号）。脚本在第一条失败的命令处停止：在 stderr 上给出其行号并退出 1\n"
     "（该行参数错误时退出 2）。\n",
     Run, Syntax().WithOperands({One("FILE|-", Value::Of(Value::Script))})});

}  // namespace
}  // namespace mirelune::cli
