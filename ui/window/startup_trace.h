// SPDX-License-Identifier: GPL-3.0-or-later
// What a person sees of the start, for the real-display benchmark (bench/display.sh): with
// MIRELUNE_STARTUP_TRACE set, the console prints on stderr, with the wall clock in ms since
// the epoch, when its frame is first painted ("mapped") and when the tuning window is first
// painted after the amplifier's values were read ("values"), and where the graph and its first
// band's marker are on the screen ("graph X Y W H MX MY"), so that a script can drag it. With
// MIRELUNE_TRACE_OPEN_ALL also set, it then shows every page once and opens every window, and
// says "opened", for the peak memory figure.
#pragma once

namespace mirelune::ui {

class ConsoleSession;
class MdiMain;

// Installs the trace when the environment asks for it; nothing otherwise.
void InstallStartupTrace(ConsoleSession& session, MdiMain& frame);

}  // namespace mirelune::ui
