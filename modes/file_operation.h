// SPDX-License-Identifier: GPL-3.0-or-later
// Folder modes/: the sound modes as whole parameter sets, without a window: configuration files,
// the mode folder, the batch upload to other amplifiers; Qt Core only. May include: owner/ and
// what lies under it.
//
// Configuration files and the mode folder: moving a whole parameter set between disk, the
// console's tables and the amplifier.
//
// Files are checked before anything else happens: a file that is missing, unreadable or not
// exactly 252 000 bytes is refused with a message naming it, the tables keep their content and
// nothing is sent to the device.
#pragma once

#include <string>
#include <vector>

#include "modes/mode_folder.h"
#include "model/sp_file.h"

namespace mirelune {

class Store;
class Link;
class Transfers;
class Notifier;

inline constexpr char kNotOnlineText[] = "设备未联机！无法进行该操作。";
inline constexpr char kOnlineRequiredText[] = "需要联机才能执行该操作.";
inline constexpr char kSelectModeText[] = "请选择一个模式.";
inline constexpr char kWrittenToFileText[] = "已写入文件！";
inline constexpr char kDeleteQuestionText[] = "确认要删除所选的模式文件吗? 删除不可以恢复";
inline constexpr char kFileRefusedText[] = "无法使用该配置文件：";
// "已存在同名称的模式: " + name + " ，要全部覆盖吗？"
std::string OverwriteQuestion(const std::string& modeName);
// The note that a mode's file got another name because an earlier mode of the same pull took
// its own: the mode name and the file name used.
std::string RenamedFileText(const std::string& modeName, const std::string& fileName);
// The save dialog's rule: a path whose last three characters are not ".sp" (any case) gets
// ".SP" appended.
std::string WithSpExtension(const std::string& path);

class FileOperation {
 public:
  FileOperation(Store& store, Link& link, Transfers& transfers, Notifier& notifier, ModeFolder folder);

  // File <-> table. Failures carry the file and the reason; the Load leaves ReadBackTable
  // untouched on failure.
  FileResult LoadFileIntoReadBack(const std::string& path);
  FileResult SaveParamsToFile(const std::string& path);
  FileResult SaveReadBackToFile(const std::string& path);

  // "Open file" after the dialog: the file into ReadBackTable, written into the current device
  // mode, then read back into ParamTable. False on any refusal or failure (with its message).
  bool OpenConfigurationFile(const std::string& path);
  // "Save file" after the dialog: ParamTable to the path (".SP" appended when needed), then
  // the confirmation. Returns the path written, empty on failure (with its message).
  std::string SaveConfigurationFile(const std::string& path);

  // Refreshes FolderFileNames from the mode folder (created when missing).
  void ListModeFolder();
  std::vector<std::string> FolderFileNames;

  // Reads each selected device mode (ascending) into ReadBackTable and saves it in the mode
  // folder under its mode name (ModeNames must have been read). An existing file is replaced
  // only after the overwrite question; its Yes answers for every later file too. A mode whose
  // file name is the same as that of a mode saved before it in this call ("a/b" and "a_b",
  // or two modes of one name) is saved as "<name> (2).sp" and so on, with a note saying so.
  // Stops at the first failed transfer; files already written stay.
  bool SaveDeviceModesToFolder(std::vector<int> modes);
  // What the last SaveDeviceModesToFolder wrote, and the existing files it left as they were
  // because the overwrite question was answered no.
  std::vector<std::string> LastSaved;
  std::vector<std::string> LastKept;
  // After the question, deletes the files of the given FolderFileNames rows.
  bool DeleteFolderFiles(const std::vector<int>& rows);
  // The folder file `name` into ReadBackTable, then written into device mode `mode`.
  bool UploadFolderFileToMode(const std::string& name, int mode);

  const ModeFolder& folder() const { return folder_; }

 private:
  bool LoadOrReport(const std::string& path);
  std::string lastLoadWarning_;  // of the last LoadOrReport

  Store& store_;
  Link& link_;
  Transfers& transfers_;
  Notifier& notifier_;
  ModeFolder folder_;
};

}  // namespace mirelune
