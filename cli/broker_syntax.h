// SPDX-License-Identifier: GPL-3.0-or-later
// The options `serve --mqtt` and `fleet` take for the venue's broker: their rows of the command
// syntax and the lines of --help that describe them. Reading them is the helper's
// (cli/serve/broker_options.h).
#pragma once

#include <vector>

#include "cli/command.h"

namespace mirelune::cli {

// The lines of --help that describe them (source texts, shown through cli/help.h's Translated).
extern const char kBrokerOptionsHelp[];
extern const char kServeMqttHelp[];

// --mqtt-user, --mqtt-password-file, --mqtt-ca, --mqtt-cert and --mqtt-key: rows of the syntax
// of the commands that talk to a broker.
std::vector<OptionSpec> BrokerOptionSpecs();

// --mqtt, --site, --room, --mqtt-discovery and the broker options: rows of serve's syntax.
std::vector<OptionSpec> ServeRoomOptionSpecs();

}  // namespace mirelune::cli
