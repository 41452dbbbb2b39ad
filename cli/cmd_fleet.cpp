// SPDX-License-Identifier: GPL-3.0-or-later
// fleet's row in the command table: its options, usage and help. Its code (the broker's client)
// is in the helper mirelune-serve (cli/serve/fleet.cpp).
#include <string>
#include <vector>

#include "cli/broker_syntax.h"
#include "cli/command.h"
#include "cli/help.h"
#include "cli/helper_program.h"

namespace mirelune::cli {
namespace {

const char kUsage[] =
    "用法: mirelune-cli fleet --broker URL [消息代理选项] [--timeout S] COMMAND ...\n"
    "  list [--rooms PATTERN] [--json]      每个房间：是否在线、与功放的连接、模式、总音量、\n"
    "                                        功放、最后一次出现的时间\n"
    "  set PATTERN PARAM=VALUE... [--installer]  在每个房间做同样的修改\n"
    "  mode PATTERN N [--installer]         在每个房间调用存储的模式 N（1..10）\n"
    "  push FILE.sp --mode N [--rooms PATTERN]  把文件写入每个房间存储的模式 N\n"
    "  diff FILE.sp --mode N [--rooms PATTERN]  哪些房间的模式 N 与文件不同，以及如何不同\n"
    "只与场所的 MQTT 消息代理通信，从不直接连接房间的盒子。PATTERN 为 SITE/ROOM，可用 '*' 和\n"
    "'?'（\"venue/*\"、\"venue/k?\"）；只写 SITE 表示其所有房间；默认：每个房间。\n"
    "set 接受 `set` 接受的内容，mode 调用存储的模式，都使用员工的主题，除非给出 --installer（此时\n"
    "使用安装人员在消息代理上的凭据：可修改全部参数）；push 和 diff 属于安装人员。每个房间在应用\n"
    "命令的任何部分之前先完整检查它。每个房间一行：ok，或 FAILED 及原因（离线的房间会注明最后\n"
    "一次出现的时间）；每个房间都完成时退出 0（diff：每个房间的模式都与文件相同），否则退出 1，\n"
    "用法错误退出 2。\n"
    "--broker URL   mqtt://HOST[:PORT] 或 mqtts://HOST[:PORT]\n"
    "--timeout S    等待房间应答的时间（list 5 秒，set 和 mode 10 秒，push 和 diff 60 秒）\n"
    "消息代理选项：\n"
    "%1";

// The broker and its options for every sub-command, then each sub-command's own.
Syntax FleetSyntax() {
  std::vector<OptionSpec> options = {Required(Opt("--broker", "URL", Value::Of(Value::Text))),
                                     Opt("--timeout", "S", NumberIn(1, 3600))};
  for (OptionSpec& o : BrokerOptionSpecs()) options.push_back(std::move(o));
  const OptionSpec installer = Flag("--installer");
  const OptionSpec rooms = Opt("--rooms", "PATTERN", Value::Of(Value::Text));
  const OptionSpec mode = Required(Opt("--mode", "N", NumberIn(1, 10)));
  const OperandSpec pattern = One("PATTERN", Value::Of(Value::Text));
  const Syntax transfer =
      Syntax().WithOptions({mode, rooms}).WithOperands({One("FILE.sp", FileOf("sp"))});
  return Syntax().WithOptions(std::move(options)).WithSubs(
      {{"list", Syntax().WithOptions({rooms, Flag("--json")})},
       {"set", Syntax().WithOptions({installer}).WithOperands(
                   {pattern, Many("PARAM=VALUE", Value::Of(Value::Assignment), 1)})},
       {"mode", Syntax().WithOptions({installer}).WithOperands(
                    {pattern, One("N", Value::Of(Value::Mode))})},
       {"push", transfer},
       {"diff", transfer}});
}

CommandRegistration fleet{{"fleet", "通过场所的 MQTT 消息代理管理各个房间：list、set、mode、push、diff",
                           kUsage, InHelper("fleet", "mirelune-serve"), FleetSyntax(),
                           [] { return Translated(kBrokerOptionsHelp); }}};

}  // namespace
}  // namespace mirelune::cli
