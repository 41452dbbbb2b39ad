// SPDX-License-Identifier: GPL-3.0-or-later
#include "admin/frm_program_manager.h"

#include <QCheckBox>

#include "modes/upload_all.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "admin/dark_look.h"
#include "modes/file_operation.h"
#include "admin/protected_panels.h"
#include "controls/c_progressbar.h"
#include "link/admin_password.h"
#include "link/link.h"
#include "link/transfers.h"
#include "model/ansi_text.h"
#include "model/store.h"
#include "platform/file_dialogs.h"
#include "platform/notifier.h"
#include "platform/tr.h"

namespace mirelune {

std::string GuestRefusalText(const std::string& deviceLabel) {
  std::string text = std::string(kGuestCannotSaveText) + "\n" + kWhereToLogInText;
  if (deviceLabel.rfind("virtual", 0) != 0) return text;
  // The virtual amplifier is delivered with the console's built-in password in its rights slot.
  text += std::string("\n") + kVirtualRightsPasswordText;
  for (uint8_t d : DefaultAdminDigits()) text += static_cast<char>('0' + d);
  return text;
}

std::string OverwriteModeQuestion(int mode, const std::string& name) {
  // The name in the quotes of the console's language: the Chinese ones are full width.
  const std::string quoted =
      name.empty() ? std::string() : " " + TrIn("Quotes", "“%1”").arg(QString::fromStdString(name)).toStdString();
  return std::string(kOverwriteModeText) + std::to_string(mode + 1) + quoted + kOverwriteModeEndText;
}

std::string DeviceRowText(int row, const std::string& name, const std::string& assignment) {
  return "模式 " + std::to_string(row + 1) + "\t| " + FitText(name, 12) + "  | " + assignment;
}

namespace {

// Checks every file of a batch the way the upload would send it, before anything is sent; on
// the first that cannot be sent, shows why (the file, or its record) and returns false.
bool BatchCanBeSent(const std::array<std::string, 100>& assignments, int rows,
                    const ModeFolder& folder, const Store& store, Notifier& notifier) {
  auto table = std::make_unique<RecordTable>();
  for (int j = 0; j < rows; ++j) {
    const std::string& name = assignments[static_cast<size_t>(j)];
    if (name.empty()) continue;
    const FileResult r = LoadTableFromFile(folder.FileFor(name), *table);
    if (!r) {
      notifier.Error(std::string(kFileRefusedText) + "\n" + r.error);
      return false;
    }
    if (!r.warning.empty()) notifier.Warning(std::string(kLongSpFileText) + "\n" + folder.FileFor(name));
    const std::string fault = CheckTableForWrite(*table, store);
    if (!fault.empty()) {
      notifier.Error(std::string(kWriteErrorText) + "\n" + name + ": " + fault);
      return false;
    }
  }
  return true;
}

}  // namespace

class FrmProgramManager::Busy {
 public:
  explicit Busy(FrmProgramManager& w) : w_(w) { w_.SetTransferRunning(true); }
  ~Busy() { w_.SetTransferRunning(false); }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;

 private:
  FrmProgramManager& w_;
};

FrmProgramManager::FrmProgramManager(const AdminContext& context, FileDialogs& dialogs,
                                     const std::string& modeFolder, QWidget* parent)
    : QWidget(parent, Qt::Window),
      ctx_(context),
      dialogs_(dialogs),
      files_(std::make_unique<FileOperation>(context.store, context.link, context.transfers,
                                             context.notifier, ModeFolder(modeFolder))) {
  setObjectName("frmProgramManager");
  setWindowTitle(Tr("程式管理"));
  ApplyDarkLook(*this);
  auto* grid = new QGridLayout(this);
  grid->addWidget(BuildModePanel(), 0, 0);
  grid->addWidget(BuildLocalPanel(), 0, 1);
  grid->addWidget(BuildBatchPanel(), 1, 0, 1, 2);
  panels_ = new ProtectedPanels(ctx_, this);
  grid->addWidget(panels_, 2, 0, 1, 2);
  grid->setColumnStretch(0, 3);
  grid->setColumnStretch(1, 2);
}

FrmProgramManager::~FrmProgramManager() = default;

QPushButton* FrmProgramManager::AddButton(QWidget* parent, const char* name, const char* text,
                                          void (FrmProgramManager::*slot)()) {
  auto* b = new QPushButton(Tr(text), parent);
  b->setObjectName(name);
  if (slot) connect(b, &QPushButton::clicked, this, slot);
  return b;
}

QPushButton* FrmProgramManager::Button(const char* name) const {
  return findChild<QPushButton*>(QString::fromUtf8(name));
}

QWidget* FrmProgramManager::BuildModePanel() {
  auto* panel = new QGroupBox(Tr("更新设备模式："), this);
  auto* grid = new QGridLayout(panel);
  grid->addWidget(new QLabel(Tr("模式号选择："), panel), 0, 0);
  combo1_ = new QComboBox(panel);
  combo1_->setObjectName("Combo1");
  for (int i = 1; i <= kDeviceRows; ++i) combo1_->addItem(Tr("模式%1").arg(i));
  grid->addWidget(combo1_, 0, 1);
  grid->addWidget(new QLabel(Tr("模式名称："), panel), 1, 0);
  text1_ = new QLineEdit(panel);
  text1_->setObjectName("Text1");
  // No request carries a mode name: the box shows the device's name and cannot be edited, so
  // that a typed name is never taken for one that was stored.
  text1_->setReadOnly(true);
  text1_->setToolTip(Tr("模式名称由功放保存，通信协议不能修改名称；这里只显示"));
  grid->addWidget(text1_, 1, 1);
  grid->addWidget(AddButton(panel, "Command2", "写入：将当前数据保存为设备的指定模式",
                            &FrmProgramManager::WriteMode), 2, 0, 1, 2);
  grid->addWidget(AddButton(panel, "Command1", "读取：从设备读取指定模式的所有数据",
                            &FrmProgramManager::ReadMode), 3, 0, 1, 2);
  connect(combo1_, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (i >= 0 && i < kDeviceRows)
      text1_->setText(QString::fromStdString(ctx_.transfers.ModeNames[static_cast<size_t>(i)]));
  });
  return panel;
}

QWidget* FrmProgramManager::BuildLocalPanel() {
  auto* panel = new QGroupBox(Tr("本地电脑："), this);
  auto* col = new QVBoxLayout(panel);
  auto* row = new QHBoxLayout;
  row->addWidget(AddButton(panel, "Command20", "打开文件", &FrmProgramManager::OpenFile));
  row->addWidget(AddButton(panel, "Command3", "保存文件", &FrmProgramManager::SaveFile));
  col->addLayout(row);
  progress_ = new controls::C_ProgressBar(panel);
  progress_->setObjectName("C_ProgressBar1");
  progress_->setFixedHeight(25);
  progress_->setVisible(false);
  col->addWidget(progress_);
  col->addStretch();
  return panel;
}

QWidget* FrmProgramManager::BuildBatchPanel() {
  auto* panel = new QGroupBox(Tr("批量导入导出："), this);
  auto* grid = new QGridLayout(panel);
  QFont mono("Monospace");
  mono.setStyleHint(QFont::TypeWriter);
  auto makeList = [&](const char* name) {
    auto* list = new QListWidget(panel);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    list->setFont(mono);
    return list;
  };
  auto makeHeader = [&](const char* name, const char* text) {
    auto* header = new QLabel(Tr(text).replace('\t', "    "), panel);
    header->setObjectName(name);
    header->setFont(mono);
    return header;
  };
  grid->addWidget(new QLabel(Tr("ROM预览区："), panel), 0, 0);
  grid->addWidget(makeHeader("List2", kDeviceListHeader), 1, 0);
  list1_ = makeList("List1");
  grid->addWidget(list1_, 2, 0);
  auto* middle = new QVBoxLayout;
  middle->addStretch();
  middle->addWidget(AddButton(panel, "Command9", ">>", &FrmProgramManager::SaveModesToFolder));
  middle->addWidget(AddButton(panel, "Command10", "<<", &FrmProgramManager::AssignFiles));
  middle->addStretch();
  grid->addLayout(middle, 2, 1);
  grid->addWidget(new QLabel(Tr("本地电脑中的文件："), panel), 0, 2);
  grid->addWidget(makeHeader("List3", kFileListHeader), 1, 2);
  list4_ = makeList("List4");
  grid->addWidget(list4_, 2, 2);

  auto* deviceButtons = new QHBoxLayout;
  QPushButton* all = AddButton(panel, "Command18", "全选", nullptr);
  QPushButton* none = AddButton(panel, "Command19", "全否", nullptr);
  connect(all, &QPushButton::clicked, this, [this] { SelectAll(list1_, true); });
  connect(none, &QPushButton::clicked, this, [this] { SelectAll(list1_, false); });
  deviceButtons->addWidget(all);
  deviceButtons->addWidget(none);
  deviceButtons->addWidget(AddButton(panel, "Command14", "上移", &FrmProgramManager::MoveUp));
  deviceButtons->addWidget(AddButton(panel, "Command15", "下移", &FrmProgramManager::MoveDown));
  deviceButtons->addWidget(AddButton(panel, "Command16", "移除", &FrmProgramManager::RemoveAssignments));
  deviceButtons->addWidget(AddButton(panel, "Command17", "清空", &FrmProgramManager::ClearAssignments));
  grid->addLayout(deviceButtons, 3, 0);

  auto* fileButtons = new QHBoxLayout;
  QPushButton* fileAll = AddButton(panel, "Command11", "全选", nullptr);
  QPushButton* fileNone = AddButton(panel, "Command12", "全否", nullptr);
  connect(fileAll, &QPushButton::clicked, this, [this] { SelectAll(list4_, true); });
  connect(fileNone, &QPushButton::clicked, this, [this] { SelectAll(list4_, false); });
  fileButtons->addWidget(fileAll);
  fileButtons->addWidget(fileNone);
  fileButtons->addWidget(AddButton(panel, "Command13", "删除", &FrmProgramManager::DeleteFiles));
  grid->addLayout(fileButtons, 3, 2);

  grid->addWidget(AddButton(panel, "Command8", "批量上传到设备中", &FrmProgramManager::UploadBatch),
                  4, 0, 1, 3);
  // The venue's other rooms: the same files into every connected amplifier.
  allAmplifiers_ = new QCheckBox(Tr("同时上传到所有已连接的功放"), panel);
  allAmplifiers_->setObjectName("chkAllAmplifiers");
  allAmplifiers_->setVisible(ctx_.scheduler != nullptr);
  grid->addWidget(allAmplifiers_, 5, 0, 1, 3);
  grid->setColumnStretch(0, 3);
  grid->setColumnStretch(2, 2);
  return panel;
}

void FrmProgramManager::Load() {
  if (parentWidget()) setWindowIcon(parentWidget()->windowIcon());
  // The console reads no mode names at start-up; without them the rows are blank and ">>"
  // would save every mode under the same empty name.
  if (ctx_.link.Online && !ctx_.link.InWait) {
    Busy busy(*this);
    ctx_.transfers.ReadModeNames();
  }
  const int current = std::clamp(ctx_.transfers.CurrentModeNumber, 0, kDeviceRows - 1);
  combo1_->setCurrentIndex(current);
  text1_->setText(QString::fromStdString(ctx_.transfers.ModeNames[static_cast<size_t>(current)]));
  panels_->LoadFromStore();
  ListFolder();
  assignments_.fill({});
  BuildDeviceRows();
  if (list1_->count() > 0) list1_->item(0)->setSelected(true);
  open_ = true;
}

void FrmProgramManager::SetTransferRunning(bool running) {
  if (running) {
    ++busyDepth_;
  } else if (busyDepth_ > 0) {
    --busyDepth_;
  }
  setEnabled(busyDepth_ == 0);
  progress_->setVisible(busyDepth_ > 0);
}

bool FrmProgramManager::Idle() const { return busyDepth_ == 0 && !ctx_.link.InWait; }

void FrmProgramManager::Nudge() {
  if (progress_->ShowContent() == 1) progress_->SetValue(progress_->Value() + 1);
}

void FrmProgramManager::BuildDeviceRows() {
  if (list1_->count() != kDeviceRows) {
    list1_->clear();
    for (int i = 0; i < kDeviceRows; ++i) list1_->addItem(QString());
  }
  for (int i = 0; i < kDeviceRows; ++i) BuildDeviceRow(i);
}

void FrmProgramManager::BuildDeviceRow(int row) {
  // The item is kept, so its selection is.
  list1_->item(row)->setText(TrLines(DeviceRowText(
      row, ctx_.transfers.ModeNames[static_cast<size_t>(row)], assignments_[static_cast<size_t>(row)])));
}

void FrmProgramManager::ListFolder() {
  files_->ListModeFolder();
  list4_->clear();
  const auto& names = files_->FolderFileNames;
  for (size_t i = 0; i < names.size(); ++i)
    list4_->addItem(TrLines(ModeFolder::RowText(static_cast<int>(i) + 1, names[i])));
  if (list4_->count() > 0) list4_->item(0)->setSelected(true);
}

std::vector<int> FrmProgramManager::SelectedRows(const QListWidget* list) const {
  std::vector<int> rows;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->isSelected()) rows.push_back(i);
  return rows;
}

void FrmProgramManager::SelectAll(QListWidget* list, bool on) {
  for (int i = 0; i < list->count(); ++i) list->item(i)->setSelected(on);
}

void FrmProgramManager::WriteMode() {
  if (!Idle()) return;
  if (ctx_.store.ParamTable.at(0, sysaddr::kRights).Value == 0) {
    // Say where to log in, and take the user there.
    ctx_.notifier.Warning(GuestRefusalText(ctx_.deviceLabel ? ctx_.deviceLabel() : std::string()));
    panels_->ShowRightsLogIn();
    return;
  }
  if (!ctx_.link.Online) {
    ctx_.notifier.Warning(kOfflineOperationText);
    return;
  }
  const int mode = combo1_->currentIndex();
  // Every stored mode holds a whole parameter set: writing replaces it, so ask first.
  const std::string name = ctx_.transfers.ModeNames[static_cast<size_t>(mode)];
  if (!ctx_.notifier.Question(OverwriteModeQuestion(mode, name))) return;
  Busy busy(*this);
  if (!ctx_.link.SendCommand(SaveToMode, mode, 0)) return;
  ctx_.transfers.CurrentModeNumber = mode;
  ctx_.notifier.Information(kWriteDoneText);
}

void FrmProgramManager::ReadMode() {
  if (!Idle()) return;
  if (!ctx_.link.Online) {
    ctx_.notifier.Warning(kOfflineOperationText);
    return;
  }
  const int mode = combo1_->currentIndex();
  Busy busy(*this);
  ctx_.transfers.CurrentModeNumber = mode;
  ctx_.transfers.ReadModeToParams(mode, false, ReadGroup);
}

void FrmProgramManager::OpenFile() {
  if (!Idle()) return;
  if (!ctx_.link.Online) {
    ctx_.notifier.Warning(kNotOnlineText);
    return;
  }
  const std::string path = dialogs_.ChooseFileToOpen(this);
  std::error_code ec;
  if (path.empty() || !std::filesystem::exists(path, ec)) return;
  Busy busy(*this);
  files_->OpenConfigurationFile(path);
}

void FrmProgramManager::SaveFile() {
  const std::string path = dialogs_.ChooseFileToSave(this);
  if (path.empty()) return;
  files_->SaveConfigurationFile(path);
}

void FrmProgramManager::SaveModesToFolder() {
  if (!Idle()) return;
  {
    Busy busy(*this);
    files_->SaveDeviceModesToFolder(SelectedRows(list1_));
  }
  ListFolder();
}

void FrmProgramManager::AssignFiles() {
  const std::vector<int> devices = SelectedRows(list1_);
  const auto isSelected = [&](int r) {
    return std::find(devices.begin(), devices.end(), r) != devices.end();
  };
  const auto& names = files_->FolderFileNames;
  const std::vector<int> files = SelectedRows(list4_);
  if (files.empty()) {
    ctx_.notifier.Warning(kSelectFilesText);
    return;
  }
  bool paired = false;
  for (int file : files) {
    if (file >= static_cast<int>(names.size())) continue;
    for (int r = 0; r < kDeviceRows; ++r) {
      if (!assignments_[static_cast<size_t>(r)].empty()) continue;
      if (!devices.empty() && !isSelected(r)) continue;
      assignments_[static_cast<size_t>(r)] = names[static_cast<size_t>(file)];
      BuildDeviceRow(r);
      paired = true;
      break;
    }
  }
  if (!paired) ctx_.notifier.Warning(kNoFreeModeText);
}

void FrmProgramManager::Move(int step) {
  std::vector<int> rows = SelectedRows(list1_);
  if (rows.empty()) {
    ctx_.notifier.Warning(kSelectDeviceModesText);
    return;
  }
  if (step > 0) std::reverse(rows.begin(), rows.end());
  const int edge = step < 0 ? 0 : kDeviceRows - 1;
  if (rows.front() == edge) return;
  for (int r : rows) {
    std::swap(assignments_[static_cast<size_t>(r)], assignments_[static_cast<size_t>(r + step)]);
    BuildDeviceRow(r);
    BuildDeviceRow(r + step);
  }
  SelectAll(list1_, false);
  for (int r : rows) list1_->item(r + step)->setSelected(true);
}

void FrmProgramManager::MoveUp() { Move(-1); }
void FrmProgramManager::MoveDown() { Move(1); }

void FrmProgramManager::RemoveAssignments() {
  if (SelectedRows(list1_).empty()) ctx_.notifier.Warning(kSelectDeviceModesText);
  for (int r : SelectedRows(list1_)) {
    assignments_[static_cast<size_t>(r)].clear();
    BuildDeviceRow(r);
  }
}

void FrmProgramManager::ClearAssignments() {
  assignments_.fill({});
  BuildDeviceRows();
}

void FrmProgramManager::DeleteFiles() {
  if (SelectedRows(list4_).empty()) {
    ctx_.notifier.Warning(kSelectFilesText);
    return;
  }
  const std::vector<std::string> before = files_->FolderFileNames;
  files_->DeleteFolderFiles(SelectedRows(list4_));
  // A "No" keeps the list and its selection as they were.
  if (files_->FolderFileNames != before) ListFolder();
}

void FrmProgramManager::UploadBatch() {
  if (!Idle()) return;
  if (!ctx_.link.Online) {
    ctx_.notifier.Warning(kOfflineOperationText);
    return;
  }
  if (std::all_of(assignments_.begin(), assignments_.end(), [](const std::string& a) { return a.empty(); })) {
    ctx_.notifier.Warning(kNothingToUploadText);
    return;
  }
  // A bad file found halfway would leave the batch half uploaded.
  if (!BatchCanBeSent(assignments_, kDeviceRows, files_->folder(), ctx_.store, ctx_.notifier))
    return;
  SelectAll(list1_, true);
  // What this upload sends, kept for the other amplifiers: the rows are cleared below.
  const std::array<std::string, 100> sent = assignments_;
  const bool uploadAll = allAmplifiers_->isChecked() && ctx_.scheduler;
  std::string report;
  bool someFailed = false;
  {
    Busy busy(*this);
    for (int j = 0; j < kDeviceRows; ++j) {
      const std::string& name = assignments_[static_cast<size_t>(j)];
      if (!name.empty() && !files_->UploadFolderFileToMode(name, j)) return;
    }
    if (!ctx_.transfers.ReadModeNames()) return;
    // Cleared before the rows are rebuilt, so the list does not go on showing uploads that
    // are no longer pending.
    assignments_.fill({});
    BuildDeviceRows();
    const int mode = combo1_->currentIndex();
    if (mode >= 0)
      text1_->setText(QString::fromStdString(ctx_.transfers.ModeNames[static_cast<size_t>(mode)]));
    if (ctx_.link.Online)
      ctx_.transfers.ReadModeToParams(ctx_.transfers.CurrentModeNumber, false, ReadGroup);
    if (uploadAll) {
      std::vector<AmplifierResult> results;
      bool allOk = true;
      for (const DeviceTarget& t : OtherAmplifiers(ctx_.deviceLabel ? ctx_.deviceLabel() : std::string())) {
        results.push_back(UploadBatchTo(t, sent, kDeviceRows, files_->folder(), *ctx_.scheduler, ctx_.notifier));
        allOk = allOk && results.back().ok;
      }
      report = (ctx_.deviceLabel ? ctx_.deviceLabel() : std::string()) + "：完成" +
               (results.empty() ? "" : "\n" + ResultLines(results));
      someFailed = !allOk;
    }
  }
  // Each amplifier's line, after the window is unlocked; a warning when one failed.
  if (someFailed)
    ctx_.notifier.Warning(std::string(kBatchDoneText) + "\n" + report);
  else
    ctx_.notifier.Information(report.empty() ? std::string(kBatchDoneText)
                                             : std::string(kBatchDoneText) + "\n" + report);
}

bool FrmProgramManager::EndSession() {
  const bool ended = panels_->EndLogIns();
  // A closed window has no bar to nudge, whatever the device answered.
  open_ = false;
  return ended;
}

void FrmProgramManager::closeEvent(QCloseEvent* e) {
  // Not while a request waits: the log-outs would nest inside its wait.
  if (!Idle()) {
    e->ignore();
    return;
  }
  EndSession();
  e->accept();
}

}  // namespace mirelune
