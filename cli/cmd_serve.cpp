// SPDX-License-Identifier: GPL-3.0-or-later
// serve's row in the command table: its options, usage and help. Its code (Qt Network,
// WebSockets, the broker) is in the helper mirelune-serve (cli/serve/serve.cpp).
#include <string>
#include <vector>

#include "cli/broker_syntax.h"
#include "cli/command.h"
#include "cli/help.h"
#include "cli/helper_program.h"

namespace mirelune::cli {
namespace {

// serve's options: its own, then those of the room on a broker.
Syntax ServeSyntax() {
  std::vector<OptionSpec> options = {Opt("--listen", "HOST:PORT", Value::Of(Value::Text)),
                                     Opt("--tls-cert", "FILE", FileOf("pem,crt")),
                                     Opt("--tls-key", "FILE", FileOf("pem,key")),
                                     Opt("--staff", "LIST", Value::Of(Value::Text))};
  for (OptionSpec& o : ServeRoomOptionSpecs()) options.push_back(std::move(o));
  return Syntax().WithOptions(std::move(options));
}

CommandRegistration serve{
    {"serve", "房间遥控：为功放提供手机页面和 HTTP 接口",
     "用法: mirelune-cli [--device DEVICE] serve [--listen HOST:PORT] [--tls-cert FILE --tls-key FILE]\n"
     "                   [--staff LIST] [--mqtt URL --site SITE --room ROOM [MQTT 选项]]\n"
     "占用功放并提供房间遥控，直到 Ctrl+C 或 SIGTERM：手机页面位于 http://HOST:PORT/，HTTP 接口\n"
     "位于 /api/v1 之下（见 README）。输出 URL、给房间员工的 PIN（每次启动都不同）以及带二维码\n"
     "的配对链接，手机用它登录一次即可。在此期间其他 mirelune-cli 命令通过本进程执行。\n"
     "--listen   提供服务的地址和端口（默认 127.0.0.1:8808：仅本机；0.0.0.0:8808：房间的网络；\n"
     "           端口 0：任一空闲端口）。\n"
     "--tls-cert, --tls-key  PEM 文件：使用 HTTPS 和 WSS，而不是普通 HTTP。\n"
     "--staff    员工可以使用的项目，代替控制台中选择的列表：地址和 'modes'，用逗号分隔\n"
     "           （默认 2560,2561,2562,276,532,806,808,modes）。\n"
     "安装人员用功放的权限密码登录，可以修改全部参数。\n"
     "每次应用的修改都记录在 stderr 上：时间、客户端、角色、地址、旧值 -> 新值。\n"
     "在场所的消息代理上（用户指南的“多个房间”；与其他设置一起保存，下次沿用）：\n"
     "%1",
     InHelper("serve", "mirelune-serve"), ServeSyntax(), [] { return Translated(kServeMqttHelp) + Translated(kBrokerOptionsHelp); }}};

}  // namespace
}  // namespace mirelune::cli
