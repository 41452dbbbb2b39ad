// SPDX-License-Identifier: GPL-3.0-or-later
// The SessionPlatform of the tool with Qt: QtScheduler (making the application object when the
// process has none) and HidapiPort.
#pragma once

#include "cli/device_session.h"

namespace mirelune::cli {

SessionPlatform& QtPlatform();

}  // namespace mirelune::cli
