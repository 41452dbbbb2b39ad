// SPDX-License-Identifier: GPL-3.0-or-later
// Whole files as byte vectors: the configuration files and the virtual amplifier's memory.
//
// Reading takes regular files only. A path that names a pipe, a device or a socket is refused
// without opening it for good: opening a FIFO for reading waits for a writer, and reading it
// waits for data, so a command given one would hang instead of failing.
//
// Writing goes to a temporary file beside the target whose name no other writer can be using
// (created exclusively), then renames it over the target: a reader sees the old file or the
// new one, never a mixture, and two programs saving at once never write into one temporary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mirelune {

// Outcome of a file operation: ok, or a message naming the file and the reason.
struct FileResult {
  bool ok = true;
  std::string error;
  // Set on success when the user should hear how the file was taken (naming the file).
  std::string warning;
  explicit operator bool() const { return ok; }
  static FileResult Fail(std::string msg) { return {false, std::move(msg), {}}; }
};

// Reads at most `limit` bytes of the regular file `path` into `bytes` (resized to what was
// read). Fails, naming the path, when it does not exist, is a folder or anything else that is
// not a regular file, or cannot be read. Never waits on the file.
FileResult ReadRegularFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes);

// Replaces `path` with `bytes` through a fresh temporary file in the same folder, synced to the
// disk, renamed over the target, and the folder synced. A symbolic link at `path` stays: the
// file it points to (at the end of a chain of links, also one that does not exist yet) is the
// one replaced, beside itself. `path` "-" is standard output (written there whole, in order
// after what the program printed before); `./-` names a file called "-". A target that exists and is not a
// regular file (a folder, a FIFO, a device, a socket) is refused before anything is written.
// On failure the target is left as it was and no temporary file remains. Every file the
// programs write goes through here.
// `durable` false skips the two syncs: the file is still replaced whole (a reader or a crash of
// the program sees the old or the new one), only a power cut may lose the latest; for a memory
// saved at every change and synced once the changes pause.
FileResult ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes, bool durable = true);

// The file a write to `path` replaces: `path` itself, or the end of the chain of symbolic links
// it is. False with `error` for a loop or a chain longer than 40 links.
bool WriteTarget(const std::string& path, std::string& target, std::string& error);

}  // namespace mirelune
