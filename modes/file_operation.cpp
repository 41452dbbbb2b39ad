// SPDX-License-Identifier: GPL-3.0-or-later
#include "modes/file_operation.h"

#include <algorithm>
#include <filesystem>

#include "link/link.h"
#include "link/transfers.h"
#include "model/store.h"
#include "platform/notifier.h"

namespace mirelune {

namespace fs = std::filesystem;

std::string OverwriteQuestion(const std::string& modeName) {
  return "已存在同名称的模式: " + modeName + " ，要全部覆盖吗？";
}

std::string RenamedFileText(const std::string& modeName, const std::string& fileName) {
  return "模式 " + modeName + " 的文件名已被本次保存的另一个模式使用，改存为: " + fileName;
}

std::string WithSpExtension(const std::string& path) {
  std::string tail = path.size() >= 3 ? path.substr(path.size() - 3) : path;
  std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
  return tail == ".sp" ? path : path + ".SP";
}

FileOperation::FileOperation(Store& store, Link& link, Transfers& transfers, Notifier& notifier,
                             ModeFolder folder)
    : store_(store), link_(link), transfers_(transfers), notifier_(notifier), folder_(std::move(folder)) {}

FileResult FileOperation::LoadFileIntoReadBack(const std::string& path) {
  return LoadTableFromFile(path, store_.ReadBackTable);
}

FileResult FileOperation::SaveParamsToFile(const std::string& path) {
  return SaveTableToFile(path, store_.ParamTable);
}

FileResult FileOperation::SaveReadBackToFile(const std::string& path) {
  return SaveTableToFile(path, store_.ReadBackTable);
}

bool FileOperation::LoadOrReport(const std::string& path) {
  FileResult r = LoadFileIntoReadBack(path);
  if (!r) notifier_.Error(std::string(kFileRefusedText) + "\n" + r.error);
  lastLoadWarning_ = r.warning;
  return r.ok;
}

bool FileOperation::OpenConfigurationFile(const std::string& path) {
  if (!link_.Online) {
    notifier_.Warning(kNotOnlineText);
    return false;
  }
  if (path.empty() || !LoadOrReport(path)) return false;
  if (!lastLoadWarning_.empty()) notifier_.Warning(std::string(kLongSpFileText) + "\n" + path);
  store_.ModifiedFlag = kTrue;
  if (!transfers_.WriteModeFromReadBack(transfers_.CurrentModeNumber)) return false;
  return transfers_.ReadModeToParams(transfers_.CurrentModeNumber, false, ReadBackGroup);
}

std::string FileOperation::SaveConfigurationFile(const std::string& path) {
  if (path.empty()) return {};
  const std::string target = WithSpExtension(path);
  FileResult r = SaveParamsToFile(target);
  if (!r) {
    notifier_.Error(r.error);
    return {};
  }
  notifier_.Information(kWrittenToFileText);
  return target;
}

void FileOperation::ListModeFolder() {
  folder_.Ensure();
  FolderFileNames = folder_.List();
}

bool FileOperation::SaveDeviceModesToFolder(std::vector<int> modes) {
  if (!link_.Online) {
    notifier_.Warning(kOnlineRequiredText);
    return false;
  }
  if (modes.empty()) {
    notifier_.Warning(kSelectModeText);
    return false;
  }
  std::string error;
  if (!folder_.Ensure(&error)) {
    notifier_.Error(error);
    return false;
  }
  std::sort(modes.begin(), modes.end());
  modes.erase(std::unique(modes.begin(), modes.end()), modes.end());
  bool overwriteAll = false;
  bool ok = true;
  std::vector<std::string>& saved = LastSaved;  // the paths this call wrote
  saved.clear();
  LastKept.clear();
  for (int i : modes) {
    if (i < 0 || i > 9) continue;
    if (!transfers_.ReadModeToReadBack(i)) {
      ok = false;
      break;
    }
    const std::string& name = transfers_.ModeNames[static_cast<size_t>(i)];
    const std::string path = folder_.FileForAvoiding(name, saved);
    if (path != folder_.FileFor(name))
      notifier_.Information(RenamedFileText(name, fs::path(path).filename().string()));
    std::error_code ec;
    if (fs::exists(path, ec) && !overwriteAll) {
      if (!notifier_.Question(OverwriteQuestion(name))) {
        LastKept.push_back(path);
        continue;
      }
      overwriteAll = true;
    }
    FileResult r = SaveReadBackToFile(path);
    if (!r) {
      notifier_.Error(r.error);
      ok = false;
      break;
    }
    saved.push_back(path);
  }
  ListModeFolder();
  return ok;
}

bool FileOperation::DeleteFolderFiles(const std::vector<int>& rows) {
  if (FolderFileNames.empty() || rows.empty()) return false;
  if (!notifier_.Question(kDeleteQuestionText)) return false;
  bool ok = true;
  for (int row : rows) {
    if (row < 0 || row >= static_cast<int>(FolderFileNames.size())) continue;
    std::error_code ec;
    fs::remove(folder_.FileFor(FolderFileNames[static_cast<size_t>(row)]), ec);
    if (ec) ok = false;
  }
  ListModeFolder();
  return ok;
}

bool FileOperation::UploadFolderFileToMode(const std::string& name, int mode) {
  if (!LoadOrReport(folder_.FileFor(name))) return false;
  return transfers_.WriteModeFromReadBack(mode);
}

}  // namespace mirelune
