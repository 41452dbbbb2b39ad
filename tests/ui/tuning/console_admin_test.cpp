// SPDX-License-Identifier: GPL-3.0-or-later
// The console's administration path on the virtual amplifier in virtual time: the prompt the
// start-up read shows when the amplifier refuses the built-in administrator password, and
// Ctrl+H through the prompt and the menu visibility editor to the flags on the amplifier.
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "admin/cmd_password.h"
#include "admin/menu_show_frm.h"
#include "link/admin_password.h"
#include "link/frame_codec.h"
#include "link/transfers.h"
#include "tests/ui/modal_script.h"
#include "tests/ui/console_fixture.h"
#include "ui/tuning/admin_actions.h"

using namespace mirelune;
using namespace mirelune::ui;
using namespace mirelune::ui::testing;
using mirelune::testing_support::ModalScript;
using Kind = RecordingNotifier::Kind;

namespace {

// The rights password the amplifier is given: each built-in digit plus one.
std::string ChangedRightsPassword() {
  std::string s;
  for (uint8_t d : DefaultAdminDigits()) s += static_cast<char>('0' + (d + 1) % 10);
  return s;
}

// Changes the rights password (slot 2) through the amplifier's own command.
void ChangeRightsPassword(VirtualAmplifier& amp) {
  auto layout = std::make_unique<Store>();
  layout->InitDefaults();
  PasswordBuffer digits{};
  const auto old = DefaultAdminDigits();
  const std::string changed = ChangedRightsPassword();
  for (size_t i = 0; i < 6; ++i) {
    digits[i] = old[i];
    digits[6 + i] = static_cast<uint8_t>(changed[i] - '0');
  }
  const BuiltFrame f = BuildFrame(Password, 2, kPasswordChange, *layout, 0, digits);
  QVERIFY(f);
  const auto replies = amp.Receive(f.bytes);
  QCOMPARE(replies.size(), size_t{1});
  QCOMPARE(int(replies[0][3]), int(VirtualAmplifier::kAccepted));  // FE LEN code 'S' ...
}

// Types each attempt and confirms with Enter; the script rejects the dialog if it is still
// open after the last.
std::function<void(CmdPassword&)> Attempts(std::vector<QString> texts,
                                           std::vector<QString>* captions = nullptr) {
  return [texts, captions](CmdPassword& dlg) {
    if (captions) captions->push_back(dlg.windowTitle());
    for (const QString& t : texts) {
      if (!dlg.isVisible()) break;
      dlg.Text1()->clear();
      QTest::keyClicks(dlg.Text1(), t);
      QTest::keyClick(dlg.Text1(), Qt::Key_Return);
    }
  };
}

int CountCode(const std::vector<std::vector<uint8_t>>& log, size_t from, int code) {
  return static_cast<int>(std::count_if(log.begin() + static_cast<long>(from), log.end(),
                                        [code](const auto& f) { return f[1] == code; }));
}

bool IsLogOut(const std::vector<uint8_t>& f) {
  return f[1] == Password && f[3] == 1 && f[4] == kPasswordLogOut;
}

}  // namespace

class ConsoleAdminTest : public QObject {
  Q_OBJECT

 private slots:
  void StartUpPromptForAChangedRightsPassword_data();
  void StartUpPromptForAChangedRightsPassword();
  void CtrlH_data();
  void CtrlH();
  void CtrlHOfflineOrWithAltOpensNothing();
};

void ConsoleAdminTest::StartUpPromptForAChangedRightsPassword_data() {
  QTest::addColumn<bool>("rightPassword");
  QTest::newRow("wrong, then right: stays online") << true;
  QTest::newRow("wrong, then the prompt closed: the console closes") << false;
}

void ConsoleAdminTest::StartUpPromptForAChangedRightsPassword() {
  QFETCH(bool, rightPassword);
  Console c("admin", [](VirtualAmplifier& amp) { ChangeRightsPassword(amp); });
  std::vector<QString> texts{"000000"};
  if (rightPassword) texts.push_back(QString::fromStdString(ChangedRightsPassword()));
  std::vector<QString> captions;
  ModalScript<CmdPassword> prompt(Attempts(texts, &captions));

  const bool synced = c.Synced();
  QCOMPARE(prompt.Shown(), 1);
  QCOMPARE(captions, std::vector<QString>{QString::fromUtf8("管理员权限确认")});
  const auto warnings = c.messages.Texts(Kind::Warning);
  QCOMPARE(std::count(warnings.begin(), warnings.end(), std::string(kPasswordWrongText)), 1);
  // The prompt is the window's, not the recorder's.
  QVERIFY(c.messages.Texts(Kind::PasswordPrompt).empty());
  const auto& log = c.amp().CommandLog();
  const auto rights = std::count_if(log.begin(), log.end(), [](const auto& f) {
    return f[1] == Password && f[3] == 2 && f[4] == kPasswordCheck;
  });
  QCOMPARE(rights, rightPassword ? 3 : 2);  // the built-in one, then each typed
  if (rightPassword) {
    QVERIFY(synced);
    QVERIFY(c.amp().LoggedIn(2));
    QVERIFY(std::find(warnings.begin(), warnings.end(), std::string(kAdminRefusedText)) ==
            warnings.end());
    c.scheduler.RunFor(10000);
    QVERIFY(c.link().Online);
    QVERIFY(c.frame->isVisible());
  } else {
    QVERIFY(std::find(warnings.begin(), warnings.end(), std::string(kAdminRefusedText)) !=
            warnings.end());
    QVERIFY(!c.frame->isVisible());
  }
}

void ConsoleAdminTest::CtrlH_data() {
  QTest::addColumn<QString>("password");
  QTest::addColumn<bool>("save");          // the editor is saved (else closed)
  QTest::addColumn<bool>("failKind3");     // the amplifier stops answering at kind 3's flags
  QTest::addColumn<int>("flagFramesMin");  // WriteMenuFlags frames sent
  QTest::addColumn<bool>("hiddenOnAmp");   // item 1 of kind 4 hidden on the amplifier
  QTest::addColumn<bool>("done");          // "菜单属性设置完成！"
  QTest::addColumn<bool>("logOut");        // the menu settings log-in ended

  QTest::newRow("saved") << "000000" << true << false << 10 << true << true << true;
  QTest::newRow("editor closed: nothing sent, log-in ended")
      << "000000" << false << false << 0 << false << false << true;
  QTest::newRow("wrong password: no editor, no log-out")
      << "123456" << true << false << 0 << false << false << false;
  QTest::newRow("flag send fails: no message, no log-out")
      << "000000" << true << true << 4 + 8 << false << false << false;
}

void ConsoleAdminTest::CtrlH() {
  QFETCH(QString, password);
  QFETCH(bool, save);
  QFETCH(bool, failKind3);
  QFETCH(int, flagFramesMin);
  QFETCH(bool, hiddenOnAmp);
  QFETCH(bool, done);
  QFETCH(bool, logOut);

  Console c;
  QVERIFY(c.Synced());
  if (failKind3) {
    c.link().onTrace = [&c](bool sent, const std::vector<uint8_t>& bytes) {
      if (sent && bytes.size() > 6 && bytes[1] == WriteMenuFlags && bytes[3] == 3)
        c.session->virtualPort()->Faults().dropReplies = 1000;
    };
  }
  c.messages.Clear();
  const size_t before = c.amp().CommandLog().size();

  ModalScript<CmdPassword> prompt(Attempts({password}));
  ModalScript<MenuShowFrm> editor([save](MenuShowFrm& e) {
    e.SelectKind(4);
    e.List1()->item(1)->setCheckState(Qt::Unchecked);
    if (save)
      QTest::mouseClick(e.Command3(), Qt::LeftButton);
    else
      QTest::mouseClick(e.KindButton(5), Qt::LeftButton);  // stores kind 4, then closed
  });
  QTest::keyClick(&c.eq(), Qt::Key_H, Qt::ControlModifier);

  QCOMPARE(prompt.Shown(), 1);
  const bool accepted = password == "000000";
  QCOMPARE(editor.Shown(), accepted ? 1 : 0);
  const auto& log = c.amp().CommandLog();
  QVERIFY(CountCode(log, before, WriteMenuFlags) >= flagFramesMin);
  if (flagFramesMin == 0) QCOMPARE(CountCode(log, before, WriteMenuFlags), 0);
  QCOMPARE(int(c.amp().MenuHidden(4, 1)), hiddenOnAmp ? 1 : 0);
  // Switching kinds stored the edit whether or not the editor was saved.
  QCOMPARE(int(c.store().Menu.AddrHidden[4 * 256 + 1]), accepted ? 1 : 0);
  const auto warnings = c.messages.Texts(Kind::Warning);
  QCOMPARE(std::count(warnings.begin(), warnings.end(), std::string(kMenuFlagsDoneText)),
           done ? 1 : 0);
  QCOMPARE(IsLogOut(log.back()), logOut);
  QCOMPARE(c.amp().LoggedIn(1), accepted && !logOut);
  if (failKind3) {
    QCOMPARE(warnings.back(), std::string(kLinkTimeoutText));
    QVERIFY(!c.link().Online);
  }
}

void ConsoleAdminTest::CtrlHOfflineOrWithAltOpensNothing() {
  Console c;
  QVERIFY(c.Synced());
  ModalScript<CmdPassword> prompt([](CmdPassword& d) { d.reject(); });
  const size_t before = c.amp().CommandLog().size();

  c.messages.Clear();
  QTest::keyClick(&c.eq(), Qt::Key_H, Qt::ControlModifier | Qt::AltModifier);
  QTest::qWait(20);
  QVERIFY(c.messages.messages.empty());

  c.link().SetLinkSwitch(false);
  QTest::keyClick(c.eq().graph(), Qt::Key_H, Qt::ControlModifier);
  QTest::qWait(20);
  QCOMPARE(c.messages.Texts(Kind::Warning), std::vector<std::string>{kAdminOfflineText});
  QCOMPARE(prompt.Shown(), 0);
  QCOMPARE(CountCode(c.amp().CommandLog(), before, Password), 0);
}

QTEST_MAIN(ConsoleAdminTest)
#include "console_admin_test.moc"
