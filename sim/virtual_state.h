// The virtual amplifier's memory between runs of the CLI and the console.
//
// A real amplifier keeps its modes when the program exits; the virtual one is rebuilt by every
// run, so its stored modes, working set, current mode, mode names and menu flags are kept in
// one file under the user's data folder (<data>/Mirelune/virtual-amplifier.state) and loaded
// when a --device virtual session starts. `mirelune-cli virtual-reset` removes it.
#pragma once

#include <string>

namespace mirelune {

class VirtualAmplifier;

std::string VirtualStatePath();

// Loads the state into `amp`. A missing file leaves the factory state; a file of the wrong
// size or kind is ignored with `error` set (the factory state stays).
bool LoadVirtualState(const std::string& path, VirtualAmplifier& amp, std::string& error);
// Saves atomically (temporary file, then rename). False with `error` on failure.
bool SaveVirtualState(const std::string& path, VirtualAmplifier& amp, std::string& error);

}  // namespace mirelune
