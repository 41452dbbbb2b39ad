// SPDX-License-Identifier: GPL-3.0-or-later
// The mode folder: one configuration file per saved device mode, "<mode name>.sp".
//
// On Windows the folder is "mode" beside the program; elsewhere the program's folder is not
// writable, so it is "mode" under the per-user application data folder. The console and the
// CLI share it.
#pragma once

#include <string>
#include <vector>

namespace mirelune {

constexpr int kMaxFolderFiles = 100;

class ModeFolder {
 public:
  // A folder at `path`; created on first use when missing.
  explicit ModeFolder(std::string path);
  // The platform's default location: beside the program on Windows, else
  // <user data folder>/Mirelune/mode (e.g. ~/.local/share/Mirelune/mode).
  static std::string DefaultPath();

  const std::string& path() const { return path_; }
  // Creates the folder when missing. False (with the reason) when it cannot be created.
  bool Ensure(std::string* error = nullptr) const;

  // Names (without ".sp", any letter case of the extension) of the files in the folder, at most
  // 100, sorted by name so every platform lists them alike.
  std::vector<std::string> List() const;

  // The file of a mode name: an existing file of exactly that name (a name from List()), else
  // the name with the characters that are not allowed in file names (path separators, control
  // characters, : * ? " < > |) turned into "_", so no name ever leads outside the folder.
  std::string FileFor(const std::string& modeName) const;

  // FileFor(modeName), unless that path is one of `taken` (files saved earlier in the same
  // operation, e.g. for a mode named "a/b" when this one is "a_b", or two modes of one name):
  // then the first of "<name> (2).sp", "<name> (3).sp", ... that is not taken, so no mode's
  // file replaces another's.
  std::string FileForAvoiding(const std::string& modeName, const std::vector<std::string>& taken) const;

  // The row text of the file list: "文件" + row (from 1) + tab + "| " + name.
  static std::string RowText(int row, const std::string& name);

 private:
  std::string path_;
};

std::string SafeFileName(const std::string& name);

}  // namespace mirelune
