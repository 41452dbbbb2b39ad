// SPDX-License-Identifier: GPL-3.0-or-later
// Commands that go through the program owning the amplifier (the console): one request to its
// socket, its reply as JSON. See owner/owner_service.h for the requests.
#pragma once

#include <QJsonObject>
#include <string>

#include "cli/device_session.h"

namespace mirelune::cli {

// Sends `request` to the owner of the session's amplifier. True with `reply` when the owner
// answered ok; otherwise prints why (the owner's own error, or that it could not be reached)
// and returns false; `refused` (when given) tells a request the owner refused as it stands
// (nothing tried: a usage error) from one that failed. Waits at most --wait for the owner,
// saying so after a second.
bool AskOwner(DeviceSession& s, QJsonObject request, QJsonObject& reply, bool* refused = nullptr);

}  // namespace mirelune::cli
