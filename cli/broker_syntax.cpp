// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/broker_syntax.h"

namespace mirelune::cli {

const char kBrokerOptionsHelp[] =
    "--mqtt-user NAME          消息代理上的用户名\n"
    "--mqtt-password-file FILE 其密码：该文件的第一行（或环境变量\n"
    "                          MIRELUNE_MQTT_PASSWORD）\n"
    "--mqtt-ca FILE            mqtts：消息代理的 CA 证书（默认：系统的证书）\n"
    "--mqtt-cert FILE, --mqtt-key FILE  mqtts：客户端证书及其密钥（PEM）\n";

const char kServeMqttHelp[] =
    "--mqtt URL    同时加入场所的消息代理（mqtt://HOST[:PORT] 或 mqtts://HOST[:PORT]）：房间的\n"
    "              状态、事件和命令位于 mirelune/SITE/ROOM/ 之下（见用户指南的“多个房间”）；\n"
    "              消息代理重启后自动重新连接\n"
    "--site SITE, --room ROOM  房间在消息代理上的名称\n"
    "--mqtt-discovery PREFIX|off  在 PREFIX 之下发布家庭自动化的发现消息\n"
    "              （默认 homeassistant）\n";

std::vector<OptionSpec> BrokerOptionSpecs() {
  return {Opt("--mqtt-user", "NAME", Value::Of(Value::Text)),
          Opt("--mqtt-password-file", "FILE", FileOf()),
          Opt("--mqtt-ca", "FILE", FileOf("pem,crt")),
          Opt("--mqtt-cert", "FILE", FileOf("pem,crt")),
          Opt("--mqtt-key", "FILE", FileOf("pem,key"))};
}

std::vector<OptionSpec> ServeRoomOptionSpecs() {
  std::vector<OptionSpec> o = {Opt("--mqtt", "URL", Value::Of(Value::Text)),
                               Opt("--site", "SITE", Value::Of(Value::Text)),
                               Opt("--room", "ROOM", Value::Of(Value::Text)),
                               Opt("--mqtt-discovery", "PREFIX|off", Value::Of(Value::Text))};
  for (OptionSpec& b : BrokerOptionSpecs()) o.push_back(std::move(b));
  return o;
}

}  // namespace mirelune::cli
