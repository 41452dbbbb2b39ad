// SPDX-License-Identifier: GPL-3.0-or-later
#include "modes/mode_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <algorithm>
#include <filesystem>

namespace mirelune {

namespace fs = std::filesystem;

ModeFolder::ModeFolder(std::string path) : path_(std::move(path)) {}

std::string ModeFolder::DefaultPath() {
#ifdef _WIN32
  QString base = QCoreApplication::applicationDirPath();
#else
  // The generic location plus our own name, rather than AppLocalDataLocation: that one depends
  // on the application name of the running program, and the console and the CLI must share it.
  QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (base.isEmpty()) base = QDir::homePath() + "/.local/share";
  base += "/Mirelune";
#endif
  return QDir(base).filePath("mode").toStdString();
}

bool ModeFolder::Ensure(std::string* error) const {
  std::error_code ec;
  if (fs::is_directory(path_, ec)) return true;
  fs::create_directories(path_, ec);
  if (ec || !fs::is_directory(path_)) {
    if (error) *error = path_ + ": cannot create the mode folder (" + ec.message() + ")";
    return false;
  }
  return true;
}

std::vector<std::string> ModeFolder::List() const {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(path_, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string file = it->path().filename().string();
    if (file.size() < 3) continue;
    std::string ext = file.substr(file.size() - 3);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext != ".sp" || !it->is_regular_file(ec)) continue;
    names.push_back(file.substr(0, file.size() - 3));
  }
  std::sort(names.begin(), names.end());
  if (names.size() > kMaxFolderFiles) names.resize(kMaxFolderFiles);
  return names;
}

std::string SafeFileName(const std::string& name) {
  std::string out;
  for (char ch : name) {
    const unsigned char c = static_cast<unsigned char>(ch);
    const bool bad = c < 0x20 || c == 0x7F || ch == '/' || ch == '\\' || ch == ':' || ch == '*' ||
                     ch == '?' || ch == '"' || ch == '<' || ch == '>' || ch == '|';
    out += bad ? '_' : ch;
  }
  return out;
}

std::string ModeFolder::FileFor(const std::string& modeName) const {
  // A listed file may carry its extension in any letter case.
  auto existing = [this](const std::string& stem) -> std::string {
    for (const char* ext : {".sp", ".SP", ".Sp", ".sP"}) {
      fs::path p = fs::path(path_) / (stem + ext);
      std::error_code ec;
      if (fs::is_regular_file(p, ec)) return p.string();
    }
    return {};
  };
  // A name read from the folder listing may hold characters the sanitizer replaces (":" is a
  // plain character on Linux); it names its own file, not the sanitized sibling. Only a single
  // file name component is taken as it is, so nothing leads outside the folder.
  const std::string file = modeName + ".sp";
  if (fs::path(file).filename().string() == file) {
    const std::string own = existing(modeName);
    if (!own.empty()) return own;
  }
  const std::string stem = SafeFileName(modeName);
  const std::string safe = existing(stem);
  return safe.empty() ? (fs::path(path_) / (stem + ".sp")).string() : safe;
}

std::string ModeFolder::FileForAvoiding(const std::string& modeName,
                                        const std::vector<std::string>& taken) const {
  auto isTaken = [&](const std::string& p) {
    return std::find(taken.begin(), taken.end(), p) != taken.end();
  };
  const std::string plain = FileFor(modeName);
  if (!isTaken(plain)) return plain;
  const fs::path p(plain);
  const std::string stem = p.stem().string();
  for (int k = 2;; ++k) {
    const std::string candidate = (p.parent_path() / (stem + " (" + std::to_string(k) + ").sp")).string();
    if (!isTaken(candidate)) return candidate;
  }
}

std::string ModeFolder::RowText(int row, const std::string& name) {
  return "文件" + std::to_string(row) + "\t| " + name;
}

}  // namespace mirelune
