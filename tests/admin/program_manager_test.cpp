// SPDX-License-Identifier: GPL-3.0-or-later
// The mode manager and the rights-and-password window, opened from the frame's menu, working
// on the virtual amplifier in virtual time: modes written, read, exchanged with files and the
// mode folder, uploaded in a batch; the protected settings and their passwords.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "modes/file_operation.h"
#include "admin/frm_program2.h"
#include "admin/frm_program_manager.h"
#include "admin/protected_panels.h"
#include "controls/c_progressbar.h"
#include "link/admin_password.h"
#include "link/frame_codec.h"
#include "model/sp_file.h"
#include "platform/qt_file_dialogs.h"
#include "platform/scripted_file_dialogs.h"
#include "tests/ui/modal_script.h"
#include "tests/ui/console_fixture.h"

using namespace mirelune;
using namespace mirelune::ui;
using namespace mirelune::ui::testing;
using Kind = RecordingNotifier::Kind;
namespace fs = std::filesystem;

namespace {

// A fresh folder under the build's test folder.
std::string FreshDir(const std::string& name) {
  const char* root = std::getenv("MIRELUNE_TEST_TMP");
  fs::path p = fs::path(root ? root : "/tmp") / "admin_manager" / name;
  fs::remove_all(p);
  fs::create_directories(p);
  return p.string();
}

std::string AdminDigitsText() {
  std::string s;
  for (uint8_t d : DefaultAdminDigits()) s += static_cast<char>('0' + d);
  return s;
}

// The console online and synced, with the manager opened from the menu on a fresh mode folder.
struct Rig {
  Console c;
  ScriptedFileDialogs* dialogs = nullptr;
  std::string folder;
  FrmProgramManager* m = nullptr;

  explicit Rig(const std::string& name, const std::function<void(const std::string&)>& seed = {}) {
    folder = FreshDir(name) + "/mode";
    fs::create_directories(folder);
    if (seed) seed(folder);
    QVERIFY(c.Synced());
    auto d = std::make_unique<ScriptedFileDialogs>();
    dialogs = d.get();
    c.frame->SetFileDialogs(std::move(d));
    c.frame->SetModeFolder(folder);
    c.frame->MenuItem("CmdProgramSetup")->trigger();
    m = c.frame->ProgramManager();
    QVERIFY(m);
  }
  void Click(const char* button) {
    QPushButton* b = m->Button(button);
    QVERIFY2(b, button);
    b->click();
  }
  void SelectRows(QListWidget* list, const std::vector<int>& rows) {
    list->clearSelection();
    for (int r : rows) list->item(r)->setSelected(true);
  }
  std::vector<std::string> Texts(Kind k) const { return c.messages.Texts(k); }
};

// The store's current content with one value changed, as a configuration file.
void WriteFile(const Store& store, const std::string& path, int value1028) {
  auto t = std::make_unique<RecordTable>(store.ParamTable);
  t->at(0, 1028).Value = value1028;
  t->at(1, 1028).Value = value1028;
  QVERIFY(SaveTableToFile(path, *t).ok);
}

int FileValue1028(const std::string& path) {
  auto t = std::make_unique<RecordTable>();
  if (!LoadTableFromFile(path, *t).ok) return -1;
  return t->at(0, 1028).Value;
}

const std::vector<uint8_t>& LastFrame(VirtualAmplifier& amp) { return amp.CommandLog().back(); }

}  // namespace

class ProgramManagerTest : public QObject {
  Q_OBJECT

 private slots:
  void menuOpensEachWindowOnceAndClosingEndsTheLogIns();
  void writeIsForAdministratorsAndReadFetchesTheChosenMode();
  void openFileWritesTheCurrentMode();
  void saveFileAppliesTheExtensionRule();
  void saveModesToFolderAsksBeforeOverwriting_data();
  void saveModesToFolderAsksBeforeOverwriting();
  void assignMoveAndUploadBatch();
  void aBatchButtonWithNothingToActOnSaysWhy();
  void aBatchWithAFileThatCannotBeSentUploadsNothing();
  void checkPasswordUnlocksOnlyOnTheDevicesYes_data();
  void checkPasswordUnlocksOnlyOnTheDevicesYes();
  void changePassword_data();
  void changePassword();
  void progressBarCountsSyncTicksWhileOpen();
  void anotherTransferLocksTheWindows();
  void qtDialogsShowTheTitlesAndFilter();
  void renderWindow();
};

void ProgramManagerTest::menuOpensEachWindowOnceAndClosingEndsTheLogIns() {
  Rig r("menu");
  QAction* chinese = r.c.frame->MenuItem("mnuChinese");
  QAction* startup = r.c.frame->MenuItem("CmdStartupSettings");
  QVERIFY(chinese && startup);
  QCOMPARE(r.m->windowTitle(), QString::fromUtf8("程式管理"));
  QVERIFY(r.m->ProgramManagerOpen());
  // Opened online: the names were read, the current mode is chosen.
  QCOMPARE(r.m->Combo1()->currentIndex(), r.c.amp().CurrentMode());
  QCOMPARE(r.m->Text1()->text(), QString("Mode 1"));
  QCOMPARE(r.m->List1()->item(0)->text().toStdString(), DeviceRowText(0, "Mode 1", ""));
  QCOMPARE(r.m->List1()->item(0)->text().toStdString(), std::string("模式 1\t| Mode 1        | "));
  r.c.frame->MenuItem("CmdProgramSetup")->trigger();
  QCOMPARE(r.c.frame->ProgramManager(), r.m);

  r.c.frame->MenuItem("CmdPrePassManager")->trigger();
  FrmProgram2* p2 = r.c.frame->Program2();
  QVERIFY(p2);
  QCOMPARE(p2->windowTitle(), QString::fromUtf8("权限与密码管理"));
  r.c.frame->MenuItem("CmdPrePassManager")->trigger();
  QCOMPARE(r.c.frame->Program2(), p2);

  // Both windows end the keyboard-lock log-in, then the rights log-in, when they close.
  for (QWidget* w : std::vector<QWidget*>{r.m, p2}) {
    const size_t before = r.c.amp().CommandLog().size();
    QVERIFY(w->close());
    const auto& log = r.c.amp().CommandLog();
    QCOMPARE(log.size(), before + 2);
    QCOMPARE(int(log[before][1]), int(Password));
    QCOMPARE(int(log[before][3]), 0);
    QCOMPARE(int(log[before][4]), int(kPasswordLogOut));
    QCOMPARE(int(log[before + 1][3]), 2);
    QCOMPARE(int(log[before + 1][4]), int(kPasswordLogOut));
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QVERIFY(!r.c.frame->ProgramManager());
  QVERIFY(!r.c.frame->Program2());
}

void ProgramManagerTest::writeIsForAdministratorsAndReadFetchesTheChosenMode() {
  Rig r("write");
  VirtualAmplifier& amp = r.c.amp();
  // Live edit on the device, then stored as mode 5 ("模式5").
  r.c.store().ParamTable.at(0, 1028).Value = 91;
  QVERIFY(r.c.session->SendParam(1028));
  r.m->Combo1()->setCurrentIndex(4);
  QCOMPARE(r.m->Text1()->text(), QString("Mode 5"));
  QVERIFY(r.m->Text1()->isReadOnly());

  // Guest (address 2592 = 0): the warning says where to log in and the focus goes there;
  // nothing is sent.
  r.c.store().ParamTable.at(0, sysaddr::kRights).Value = 0;
  r.m->show();
  r.m->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(r.m));
  size_t before = amp.CommandLog().size();
  r.Click("Command2");
  QCOMPARE(r.Texts(Kind::Warning),
           std::vector<std::string>{std::string(kGuestCannotSaveText) + "\n" + kWhereToLogInText +
                                    "\n" + kVirtualRightsPasswordText + "119889"});
  QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(r.m->Panels()->Text9()));
  QCOMPARE(amp.CommandLog().size(), before);
  QCOMPARE(amp.StoredMode(4).at(0, 1028).Value, 74);

  // Logging in there: the status line says so.
  ProtectedPanels& p = *r.m->Panels();
  QVERIFY(!r.c.eq().StatusText().contains(QString::fromUtf8("权限已登录")));
  p.Text9()->setText(QString::fromStdString(AdminDigitsText()));
  p.Command5()->click();
  QVERIFY(p.Option(ProtectedPanels::kRights, 1)->isEnabled());
  QVERIFY2(r.c.eq().StatusText().endsWith(QString::fromUtf8("，权限已登录")), qPrintable(r.c.eq().StatusText()));
  p.Option(ProtectedPanels::kRights, 1)->click();  // 管理员
  QCOMPARE(r.c.store().ParamTable.at(0, sysaddr::kRights).Value, 1);

  // Writing over the mode asks first, naming it; "no" sends nothing.
  r.c.messages.Clear();
  before = amp.CommandLog().size();
  r.c.messages.questionAnswers.push_back(false);
  r.Click("Command2");
  QCOMPARE(r.Texts(Kind::Question),
           std::vector<std::string>{std::string(kOverwriteModeText) + "5 \u201cMode 5\u201d" + kOverwriteModeEndText});
  QCOMPARE(amp.CommandLog().size(), before);
  QCOMPARE(amp.StoredMode(4).at(0, 1028).Value, 74);
  r.c.messages.Clear();

  r.c.messages.questionAnswers.push_back(true);
  r.Click("Command2");
  QCOMPARE(int(LastFrame(amp)[1]), int(SaveToMode));
  QCOMPARE(int(LastFrame(amp)[2]), 4);
  QCOMPARE(amp.StoredMode(4).at(0, 1028).Value, 91);
  QCOMPARE(r.c.session->transfers().CurrentModeNumber, 4);
  QCOMPARE(r.Texts(Kind::Information), std::vector<std::string>{kWriteDoneText});
  QVERIFY(r.m->isEnabled());
  QVERIFY(r.m->ProgressBar()->isHidden());

  // Reading another mode brings its values; reading mode 5 brings back what was written.
  r.m->Combo1()->setCurrentIndex(2);
  r.Click("Command1");
  QCOMPARE(r.c.store().ParamTable.at(0, 1028).Value, 72);
  QCOMPARE(r.c.session->transfers().CurrentModeNumber, 2);
  r.m->Combo1()->setCurrentIndex(4);
  r.Click("Command1");
  QCOMPARE(r.c.store().ParamTable.at(0, 1028).Value, 91);

  // Offline both only warn (the read brought the device's guest rights back: set them again).
  r.c.store().ParamTable.at(0, sysaddr::kRights).Value = 1;
  r.c.link().SetLinkSwitch(false);
  r.c.messages.Clear();
  before = amp.CommandLog().size();
  r.Click("Command2");
  r.Click("Command1");
  QCOMPARE(r.Texts(Kind::Warning),
           (std::vector<std::string>{kOfflineOperationText, kOfflineOperationText}));
  QCOMPARE(amp.CommandLog().size(), before);
}

void ProgramManagerTest::openFileWritesTheCurrentMode() {
  Rig r("open");
  const std::string file = FreshDir("open-files") + "/preset.SP";
  WriteFile(r.c.store(), file, 55);
  const int mode = r.c.session->transfers().CurrentModeNumber;

  // Cancelled and missing files do nothing.
  const size_t before = r.c.amp().CommandLog().size();
  r.dialogs->answers = {"", file + ".missing"};
  r.Click("Command20");
  r.Click("Command20");
  QCOMPARE(r.c.amp().CommandLog().size(), before);

  r.dialogs->answers = {file};
  r.Click("Command20");
  QCOMPARE(r.dialogs->asked.back(), std::string(kOpenDialogTitle));
  QCOMPARE(r.c.amp().StoredMode(mode).at(0, 1028).Value, 55);
  QCOMPARE(r.c.amp().Working().at(0, 1028).Value, 55);
  QCOMPARE(r.c.store().ParamTable.at(0, 1028).Value, 55);
  QVERIFY(r.Texts(Kind::Warning).empty());

  // Offline: the warning before any dialog.
  r.c.link().SetLinkSwitch(false);
  const size_t asked = r.dialogs->asked.size();
  r.Click("Command20");
  QCOMPARE(r.Texts(Kind::Warning), std::vector<std::string>{kNotOnlineText});
  QCOMPARE(r.dialogs->asked.size(), asked);
}

void ProgramManagerTest::saveFileAppliesTheExtensionRule() {
  Rig r("save");
  const std::string dir = FreshDir("save-files");
  // An existing longer file is replaced whole, not overwritten from its first byte.
  { std::ofstream(dir + "/big.SP", std::ios::binary) << std::string(300000, 'x'); }
  const struct {
    std::string typed;
    std::string written;
  } cases[] = {
      {"abc", "abc.SP"}, {"abc.Sp", "abc.Sp"}, {"abc.sp", "abc.sp"}, {"abc.txt", "abc.txt.SP"},
      {"big", "big.SP"},
  };
  r.c.store().ParamTable.at(0, 1028).Value = 66;
  for (const auto& k : cases) {
    r.c.messages.Clear();
    r.dialogs->answers = {dir + "/" + k.typed};
    r.Click("Command3");
    QCOMPARE(r.dialogs->asked.back(), std::string(kSaveDialogTitle));
    const std::string path = dir + "/" + k.written;
    QVERIFY2(fs::exists(path), path.c_str());
    QCOMPARE(fs::file_size(path), uintmax_t{kSpFileSize});
    QCOMPARE(FileValue1028(path), 66);
    QCOMPARE(r.Texts(Kind::Information), std::vector<std::string>{kWrittenToFileText});
  }
  QVERIFY(!fs::exists(dir + "/abc.Sp.SP"));
  // Cancelled: nothing written, nothing said.
  r.c.messages.Clear();
  r.Click("Command3");
  QVERIFY(r.c.messages.messages.empty());
}

void ProgramManagerTest::saveModesToFolderAsksBeforeOverwriting_data() {
  QTest::addColumn<bool>("firstAnswer");
  QTest::newRow("no to the first, yes to the second") << false;
  QTest::newRow("yes to the first covers the second") << true;
}

void ProgramManagerTest::saveModesToFolderAsksBeforeOverwriting() {
  QFETCH(bool, firstAnswer);
  // Modes 1 and 3 have old files in the folder; mode 2 has none.
  Rig r(firstAnswer ? "folder-yes" : "folder-no", [](const std::string& folder) {
    std::ofstream(folder + "/Mode 1.sp") << "old";
    std::ofstream(folder + "/Mode 3.sp") << "old";
  });
  QCOMPARE(r.m->List4()->count(), 2);
  r.SelectRows(r.m->List1(), {0, 1, 2});
  r.c.messages.questionAnswers = {firstAnswer, true};
  r.Click("Command9");
  const auto questions = r.Texts(Kind::Question);
  if (firstAnswer) {
    QCOMPARE(questions, std::vector<std::string>{OverwriteQuestion("Mode 1")});
    QCOMPARE(FileValue1028(r.folder + "/Mode 1.sp"), 70);
  } else {
    QCOMPARE(questions,
             (std::vector<std::string>{OverwriteQuestion("Mode 1"), OverwriteQuestion("Mode 3")}));
    QCOMPARE(FileValue1028(r.folder + "/Mode 1.sp"), -1);  // still the old three bytes
  }
  QCOMPARE(FileValue1028(r.folder + "/Mode 2.sp"), 71);
  QCOMPARE(FileValue1028(r.folder + "/Mode 3.sp"), 72);
  // The file list follows the folder.
  QCOMPARE(r.m->List4()->count(), 3);
  QCOMPARE(r.m->List4()->item(1)->text(), QString::fromUtf8("文件2\t| Mode 2"));
}

// Every batch button clicked with nothing chosen says what to choose first, and changes nothing.
void ProgramManagerTest::aBatchButtonWithNothingToActOnSaysWhy() {
  Rig r("nothing", [](const std::string& folder) { std::ofstream(folder + "/A.sp") << "x"; });
  r.m->show();
  r.m->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(r.m));
  QCOMPARE(r.m->List4()->count(), 1);
  const size_t sent = r.c.amp().CommandLog().size();
  const std::pair<const char*, const char*> cases[] = {
      {"Command9", kSelectModeText},          // >>: device modes into the folder
      {"Command10", kSelectFilesText},        // <<: files paired with device modes
      {"Command14", kSelectDeviceModesText},  // move up
      {"Command15", kSelectDeviceModesText},  // move down
      {"Command16", kSelectDeviceModesText},  // remove
      {"Command13", kSelectFilesText},        // delete
      {"Command8", kNothingToUploadText},     // upload the batch
  };
  for (const auto& [button, text] : cases) {
    r.c.messages.Clear();
    r.m->List1()->clearSelection();
    r.m->List4()->clearSelection();
    QPushButton* b = r.m->Button(button);
    QVERIFY2(b, button);
    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(r.Texts(Kind::Warning), std::vector<std::string>{text});
    QCOMPARE(r.c.messages.messages.size(), size_t{1});
  }
  QCOMPARE(r.c.amp().CommandLog().size(), sent);
  QVERIFY(fs::exists(r.folder + "/A.sp"));
  for (int row = 0; row < 10; ++row) QCOMPARE(r.m->Assignment(row), std::string());

  // The chosen device mode already has a file: "<<" says so.
  r.SelectRows(r.m->List4(), {0});
  r.SelectRows(r.m->List1(), {3});
  QTest::mouseClick(r.m->Button("Command10"), Qt::LeftButton);
  QCOMPARE(r.m->Assignment(3), std::string("A"));
  r.c.messages.Clear();
  QTest::mouseClick(r.m->Button("Command10"), Qt::LeftButton);
  QCOMPARE(r.Texts(Kind::Warning), std::vector<std::string>{kNoFreeModeText});
}

void ProgramManagerTest::assignMoveAndUploadBatch() {
  Rig r("batch");
  WriteFile(r.c.store(), r.folder + "/A.sp", 11);
  WriteFile(r.c.store(), r.folder + "/B.sp", 22);
  WriteFile(r.c.store(), r.folder + "/C.sp", 33);
  // The files came after opening: ">>" with no device row selected saves nothing, warns and
  // lists the folder again.
  r.m->List1()->clearSelection();
  r.Click("Command9");
  QCOMPARE(r.Texts(Kind::Warning), std::vector<std::string>{kSelectModeText});
  QCOMPARE(r.m->List4()->count(), 3);

  // Three files, rows 2 and 5 selected: the third file finds no free selected row.
  r.SelectRows(r.m->List4(), {0, 1, 2});
  r.SelectRows(r.m->List1(), {2, 5});
  r.Click("Command10");
  QCOMPARE(r.m->Assignment(2), std::string("A"));
  QCOMPARE(r.m->Assignment(5), std::string("B"));
  for (int row : {0, 1, 3, 4, 6, 7, 8, 9}) QCOMPARE(r.m->Assignment(row), std::string());
  QCOMPARE(r.m->List1()->item(2)->text().toStdString(), DeviceRowText(2, "Mode 3", "A"));

  // Up from rows 2 and 5 (rows 1 and 4 receive them); from row 0 nothing moves.
  r.Click("Command14");
  QCOMPARE(r.m->Assignment(1), std::string("A"));
  QCOMPARE(r.m->Assignment(4), std::string("B"));
  QCOMPARE(r.m->SelectedRows(r.m->List1()), (std::vector<int>{1, 4}));
  r.SelectRows(r.m->List1(), {0, 4});
  r.Click("Command14");
  QCOMPARE(r.m->Assignment(4), std::string("B"));
  QCOMPARE(r.m->SelectedRows(r.m->List1()), (std::vector<int>{0, 4}));
  // Down from row 4 to row 7; from the last row nothing moves.
  r.SelectRows(r.m->List1(), {4});
  for (int i = 0; i < 3; ++i) r.Click("Command15");
  QCOMPARE(r.m->Assignment(7), std::string("B"));
  r.SelectRows(r.m->List1(), {9});
  r.Click("Command15");
  QCOMPARE(r.m->Assignment(7), std::string("B"));
  // With no device row selected, the next file takes the first free row.
  r.m->List1()->clearSelection();
  r.SelectRows(r.m->List4(), {2});
  r.Click("Command10");
  QCOMPARE(r.m->Assignment(0), std::string("C"));
  r.SelectRows(r.m->List1(), {0});
  r.Click("Command16");
  QCOMPARE(r.m->Assignment(0), std::string());

  // Upload: A into mode 2 ("模式2"), B into mode 8; the rest of the device is untouched.
  r.c.messages.Clear();
  r.Click("Command8");
  QCOMPARE(r.c.amp().StoredMode(1).at(0, 1028).Value, 11);
  QCOMPARE(r.c.amp().StoredMode(7).at(0, 1028).Value, 22);
  QCOMPARE(r.c.amp().StoredMode(2).at(0, 1028).Value, 72);
  QCOMPARE(r.Texts(Kind::Information), std::vector<std::string>{kBatchDoneText});
  for (int row = 0; row < 10; ++row) {
    QCOMPARE(r.m->Assignment(row), std::string());
    QVERIFY(r.m->List1()->item(row)->isSelected());
  }
  QCOMPARE(r.m->List1()->item(7)->text().toStdString(), DeviceRowText(7, "Mode 8", ""));
  QVERIFY(r.m->isEnabled());

  // Deleting asks; No keeps the files, Yes removes the selected one.
  r.SelectRows(r.m->List4(), {1});
  r.c.messages.questionAnswers = {false, true};
  r.Click("Command13");
  QVERIFY(fs::exists(r.folder + "/B.sp"));
  r.Click("Command13");
  QVERIFY(!fs::exists(r.folder + "/B.sp"));
  QVERIFY(fs::exists(r.folder + "/A.sp"));
  QCOMPARE(r.m->List4()->count(), 2);
  QCOMPARE(r.Texts(Kind::Question),
           (std::vector<std::string>{kDeleteQuestionText, kDeleteQuestionText}));

  // Offline the batch only warns.
  r.c.link().SetLinkSwitch(false);
  r.c.messages.Clear();
  r.Click("Command8");
  QCOMPARE(r.Texts(Kind::Warning), std::vector<std::string>{kOfflineOperationText});
}

void ProgramManagerTest::aBatchWithAFileThatCannotBeSentUploadsNothing() {
  Rig r("batch-bad", [](const std::string& folder) {
    auto store = std::make_unique<Store>();
    store->InitDefaults();
    WriteFile(*store, folder + "/A.sp", 11);
    // B: a good 1028, but the last record of the system kind beyond what a frame carries.
    auto t = std::make_unique<RecordTable>(store->ParamTable);
    t->at(0, 1028).Value = 22;
    t->at(0, 2599).Value = 62500;
    QVERIFY(SaveTableToFile(folder + "/B.sp", *t).ok);
  });
  r.SelectRows(r.m->List4(), {0, 1});
  r.SelectRows(r.m->List1(), {0, 1});
  r.Click("Command10");
  QCOMPARE(r.m->Assignment(0), std::string("A"));
  QCOMPARE(r.m->Assignment(1), std::string("B"));

  r.c.messages.Clear();
  const size_t logged = r.c.amp().CommandLog().size();
  r.Click("Command8");
  for (size_t i = logged; i < r.c.amp().CommandLog().size(); ++i)
    QVERIFY2(r.c.amp().CommandLog()[i][1] != WriteGroup, "a group of the batch was sent");
  QCOMPARE(r.c.amp().StoredMode(0).at(0, 1028).Value, 70);
  QCOMPARE(r.c.amp().StoredMode(1).at(0, 1028).Value, 71);
  const auto errors = r.Texts(Kind::Error);
  QCOMPARE(errors.size(), size_t(1));
  QVERIFY2(errors[0].find("B: address 2599, sound mode 0: Value 62500") != std::string::npos,
           errors[0].c_str());
  QVERIFY(r.Texts(Kind::Information).empty());
  // Nothing was uploaded, so the pairs stay for another try.
  QCOMPARE(r.m->Assignment(1), std::string("B"));
  QVERIFY(r.m->isEnabled());
}

void ProgramManagerTest::checkPasswordUnlocksOnlyOnTheDevicesYes_data() {
  QTest::addColumn<int>("setting");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("warning");
  QTest::addColumn<bool>("sent");
  QTest::addColumn<bool>("unlocked");
  QTest::addColumn<bool>("online");
  const int lock = ProtectedPanels::kKeyLock;
  const int rights = ProtectedPanels::kRights;
  QTest::newRow("lock empty") << lock << "" << "" << false << false << true;
  QTest::newRow("lock letter") << lock << "12a4" << QString::fromUtf8(kDigitsOnlyText) << false << false << true;
  QTest::newRow("lock short") << lock << "123" << QString::fromUtf8("密码请输入4位!") << false << false << true;
  QTest::newRow("lock six") << lock << "000000" << QString::fromUtf8("密码请输入4位!") << false << false << true;
  QTest::newRow("lock wrong") << lock << "1234" << QString::fromUtf8(kWrongPasswordText) << true << false << true;
  QTest::newRow("lock right") << lock << "0000" << "" << true << true << true;
  QTest::newRow("rights four") << rights << "0000" << QString::fromUtf8("密码请输入6位!") << false << false << true;
  QTest::newRow("rights wrong") << rights << "000000" << QString::fromUtf8(kWrongPasswordText) << true << false << true;
  QTest::newRow("rights right") << rights << QString::fromStdString(AdminDigitsText()) << "" << true << true << true;
  QTest::newRow("lock offline") << lock << "0000" << QString::fromUtf8(kOfflineOperationText) << false << false << false;
  QTest::newRow("rights offline") << rights << "" << QString::fromUtf8(kOfflineOperationText) << false << false << false;
}

void ProgramManagerTest::checkPasswordUnlocksOnlyOnTheDevicesYes() {
  QFETCH(int, setting);
  QFETCH(QString, typed);
  QFETCH(QString, warning);
  QFETCH(bool, sent);
  QFETCH(bool, unlocked);
  QFETCH(bool, online);
  const auto which = static_cast<ProtectedPanels::Setting>(setting);
  Rig r("check");
  if (!online) r.c.link().SetLinkSwitch(false);
  ProtectedPanels& p = *r.m->Panels();
  QLineEdit* box = which == ProtectedPanels::kKeyLock ? p.Text8() : p.Text9();
  QPushButton* confirm = which == ProtectedPanels::kKeyLock ? p.Command4() : p.Command5();
  const size_t before = r.c.amp().CommandLog().size();
  box->setText(typed);
  confirm->click();
  const auto warnings = r.Texts(Kind::Warning);
  QCOMPARE(warnings.empty() ? QString() : QString::fromStdString(warnings.back()), warning);
  QCOMPARE(r.c.amp().CommandLog().size(), before + (sent ? 1 : 0));
  if (sent) {
    QCOMPARE(int(LastFrame(r.c.amp())[1]), int(Password));
    QCOMPARE(int(LastFrame(r.c.amp())[3]), which == ProtectedPanels::kKeyLock ? 0 : 2);
  }
  QCOMPARE(p.Option(which, 0)->isEnabled(), unlocked);
  QCOMPARE(p.Option(which, 1)->isEnabled(), unlocked);
  const bool changeOpen = unlocked && which == ProtectedPanels::kRights;
  QCOMPARE(p.Command6()->isEnabled(), changeOpen);
  QCOMPARE(p.Command7()->isEnabled(), changeOpen);
  QCOMPARE(p.ChangeBox(ProtectedPanels::kKeyLock, 2)->isEnabled(), changeOpen);
  if (!unlocked) return;

  // An unlocked option sets the protected value in the store and on the device.
  const int address = which == ProtectedPanels::kKeyLock ? sysaddr::kModeManagerEnable : sysaddr::kRights;
  const int now = r.c.store().ParamTable.at(0, address).Value != 0 ? 1 : 0;
  QVERIFY(p.Option(which, now)->isChecked());
  QTest::mouseClick(p.Option(which, 1 - now), Qt::LeftButton);
  QCOMPARE(r.c.store().ParamTable.at(0, address).Value, 1 - now);
  QCOMPARE(r.c.amp().Working().at(0, address).Value, 1 - now);
  QCOMPARE(int(LastFrame(r.c.amp())[1]), int(SetParam));
}

void ProgramManagerTest::changePassword_data() {
  QTest::addColumn<int>("setting");
  QTest::addColumn<QStringList>("boxes");  // old, new, confirmation
  QTest::addColumn<QString>("message");
  QTest::addColumn<bool>("changed");
  const int lock = ProtectedPanels::kKeyLock;
  const int rights = ProtectedPanels::kRights;
  const QString admin = QString::fromStdString(AdminDigitsText());
  QTest::newRow("old empty") << lock << QStringList{"", "1234", "1234"} << "原始密码请输入!" << false;
  QTest::newRow("new letter") << lock << QStringList{"0000", "12x4", "12x4"} << "新密码只能输入数字0~9" << false;
  QTest::newRow("confirm short") << lock << QStringList{"0000", "1234", "123"} << "确认密码请输入4位!" << false;
  QTest::newRow("rights new short") << rights << QStringList{admin, "1234", "1234"} << "新密码请输入6位!" << false;
  QTest::newRow("mismatch") << lock << QStringList{"0000", "1234", "1243"} << "新密码和确认密码不一致！" << false;
  QTest::newRow("old wrong") << lock << QStringList{"1111", "1234", "1234"} << "密码修改失败！" << false;
  QTest::newRow("lock changed") << lock << QStringList{"0000", "4321", "4321"} << "密码修改成功！" << true;
  QTest::newRow("rights changed") << rights << QStringList{admin, "135790", "135790"} << "密码修改成功！" << true;
}

void ProgramManagerTest::changePassword() {
  QFETCH(int, setting);
  QFETCH(QStringList, boxes);
  QFETCH(QString, message);
  QFETCH(bool, changed);
  const auto which = static_cast<ProtectedPanels::Setting>(setting);
  const int slot = which == ProtectedPanels::kKeyLock ? 0 : 2;
  const size_t digits = which == ProtectedPanels::kKeyLock ? 4 : 6;
  Rig r("change");
  ProtectedPanels& p = *r.m->Panels();
  // The change panel opens with the rights password.
  p.Text9()->setText(QString::fromStdString(AdminDigitsText()));
  p.Command5()->click();
  QVERIFY(p.Command6()->isEnabled());
  const std::vector<uint8_t> oldStored = r.c.amp().PasswordOf(slot);
  const size_t before = r.c.amp().CommandLog().size();
  for (int b = 0; b < 3; ++b) p.ChangeBox(which, b)->setText(boxes[b]);
  (which == ProtectedPanels::kKeyLock ? p.Command7() : p.Command6())->click();

  const auto& msgs = r.c.messages.messages;
  QVERIFY(!msgs.empty());
  QCOMPARE(QString::fromStdString(msgs.back().text), message);
  const bool validated = message == QString::fromUtf8(kPasswordChangedText) ||
                         message == QString::fromUtf8(kPasswordChangeFailedText);
  QCOMPARE(r.c.amp().CommandLog().size(), before + (validated ? 1 : 0));
  if (validated) {
    // FE, code, 0, slot, operation, LEN, old digits, new digits, checksum.
    const auto& f = LastFrame(r.c.amp());
    QCOMPARE(f.size(), 6 + 2 * digits + 1);
    QCOMPARE(int(f[3]), slot);
    QCOMPARE(int(f[4]), int(kPasswordChange));
    for (size_t i = 0; i < digits; ++i) {
      QCOMPARE(int(f[6 + i]), boxes[0][int(i)].unicode() - '0');
      QCOMPARE(int(f[6 + digits + i]), boxes[1][int(i)].unicode() - '0');
    }
  }
  std::vector<uint8_t> expected = oldStored;
  if (changed) {
    expected.clear();
    for (QChar ch : boxes[1]) expected.push_back(static_cast<uint8_t>(ch.unicode() - '0'));
  }
  QCOMPARE(r.c.amp().PasswordOf(slot), expected);
}

void ProgramManagerTest::progressBarCountsSyncTicksWhileOpen() {
  Rig r("progress");
  controls::C_ProgressBar* bar = r.m->ProgressBar();
  bar->SetShowContent(1);
  bar->SetValue(0);
  const int64_t start = r.c.scheduler.NowMs();
  r.c.RunUntil([] { return false; }, 3050);
  QVERIFY(r.c.scheduler.NowMs() - start >= 3000);
  QCOMPARE(int(bar->Value()), 3);  // one step per sync byte, once a second
  // A waiting bar does not count.
  bar->SetShowContent(0);
  r.c.RunUntil([] { return false; }, 2000);
  QCOMPARE(int(bar->Value()), 3);
  // Closed: the ticks no longer reach it.
  QVERIFY(r.m->close());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  r.c.RunUntil([] { return false; }, 2000);
  QVERIFY(r.c.link().Online);
}

void ProgramManagerTest::anotherTransferLocksTheWindows() {
  Rig r("locked");
  r.c.frame->MenuItem("CmdPrePassManager")->trigger();
  FrmProgram2* p2 = r.c.frame->Program2();
  // A read of the device started elsewhere (as the start-up read is): while it waits the
  // windows are locked, the manager shows its bar, and a command asked for is not started.
  bool seen = false;
  size_t readsBefore = 0;
  auto previousTrace = r.c.link().onTrace;
  r.c.link().onTrace = [&](bool sent, const std::vector<uint8_t>& bytes) {
    if (previousTrace) previousTrace(sent, bytes);
    if (!sent || seen || bytes.size() < 2 || bytes[1] != ReadGroup) return;
    seen = true;  // the read's first request
    QVERIFY(!r.m->isEnabled());
    QVERIFY(r.m->ProgressBar()->isVisible());
    QVERIFY(!p2->isEnabled());
    readsBefore = r.c.amp().CommandLog().size();
    r.m->ReadMode();
    r.m->Panels()->Text8()->setText("0000");
    r.m->Panels()->CheckPassword(ProtectedPanels::kKeyLock);
    QCOMPARE(r.c.amp().CommandLog().size(), readsBefore);
  };
  const size_t before = r.c.amp().CommandLog().size();
  QVERIFY(r.c.session->transfers().ReadModeToParams(0, false, ReadGroup));
  r.c.link().onTrace = previousTrace;
  QVERIFY(seen);
  // 12 group requests and 3 system ones: nothing of the manager's among them.
  QCOMPARE(r.c.amp().CommandLog().size(), before + 15);
  QVERIFY(r.m->isEnabled());
  QVERIFY(r.m->ProgressBar()->isHidden());
  QVERIFY(p2->isEnabled());
  QVERIFY(!r.m->Panels()->Option(ProtectedPanels::kKeyLock, 1)->isEnabled());
}

void ProgramManagerTest::qtDialogsShowTheTitlesAndFilter() {
  const std::string dir = FreshDir("qt-dialogs");
  WriteFile(*std::make_unique<Store>(), dir + "/existing.SP", 1);
  QtFileDialogs dialogs(dir);
  struct Seen {
    QString title;
    QStringList filters;
    QString folder;
  };
  std::vector<Seen> seen;
  // Opening picks the existing file; saving types a name without an extension; the third
  // dialog is cancelled.
  const QStringList picks{"existing.SP", "fresh", ""};
  mirelune::testing_support::ModalScript<QFileDialog> script([&](QFileDialog& d) {
    seen.push_back({d.windowTitle(), d.nameFilters(), d.directory().absolutePath()});
    const QString pick = picks.value(static_cast<int>(seen.size()) - 1);
    if (pick.isEmpty()) return d.reject();
    d.selectFile(pick);
    static_cast<QDialog&>(d).accept();  // the file dialog's own accept, through the public base
  });
  QCOMPARE(dialogs.ChooseFileToOpen(nullptr), dir + "/existing.SP");
  QCOMPARE(dialogs.ChooseFileToSave(nullptr), dir + "/fresh.SP");
  QCOMPARE(dialogs.ChooseFileToOpen(nullptr), std::string());
  QCOMPARE(seen.size(), size_t{3});
  QCOMPARE(seen[0].title, QString::fromUtf8(kOpenDialogTitle));
  QCOMPARE(seen[1].title, QString::fromUtf8(kSaveDialogTitle));
  for (const Seen& s : seen) {
    QCOMPARE(s.filters, QStringList{QString::fromUtf8(kConfigFileFilter)});
    QCOMPARE(s.folder, QDir(QString::fromStdString(dir)).absolutePath());
  }
}

void ProgramManagerTest::renderWindow() {
  Rig r("render");
  WriteFile(r.c.store(), r.folder + "/Concert.sp", 80);
  r.m->ClearAssignments();
  r.c.messages.questionAnswers = {};
  r.SelectRows(r.m->List1(), {});
  r.Click("Command9");  // relists the folder (nothing selected: the warning only)
  r.SelectRows(r.m->List4(), {0});
  r.SelectRows(r.m->List1(), {3});
  r.Click("Command10");
  r.m->resize(900, 720);
  const QString path = QString(MIRELUNE_BUILD_DIR) + "/admin_manager_window.png";
  QVERIFY(r.m->grab().save(path));
  QVERIFY(QFileInfo(path).size() > 0);
}

QTEST_MAIN(ProgramManagerTest)
#include "program_manager_test.moc"
