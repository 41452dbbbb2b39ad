// SPDX-License-Identifier: GPL-3.0-or-later
// The management password prompt: what each kind of entry leads to, the device's verdict
// through a scripted check and through the virtual amplifier, Enter, and closing the window.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "admin/cmd_password.h"
#include "link/frame_codec.h"
#include "link/transfers.h"
#include "platform/recording_notifier.h"
#include "sim/virtual_rig.h"

using namespace mirelune;
using Kind = RecordingNotifier::Kind;

namespace {

struct Check {
  std::vector<std::pair<int, std::string>> calls;  // slot, digits
  bool sent = true;
  bool accept = false;
  CmdPassword::CheckFunction Function() {
    return [this](int slot, const std::string& digits, bool& accepted) {
      calls.emplace_back(slot, digits);
      accepted = sent && accept;
      return sent;
    };
  }
};

void Type(CmdPassword& dlg, const QString& text) {
  dlg.Text1()->clear();
  dlg.Text1()->setFocus();
  // QTest types Latin-1 only; wider characters arrive as an input method would give them.
  bool latin1 = true;
  for (QChar c : text) latin1 = latin1 && c.unicode() < 0x100;
  if (latin1)
    QTest::keyClicks(dlg.Text1(), text);
  else
    dlg.Text1()->insert(text);
}

}  // namespace

class CmdPasswordTest : public QObject {
  Q_OBJECT

 private slots:
  void Entry_data();
  void Entry();
  void CaptionAndSlotFollowInputType();
  void ClosingByTheWindowLeavesOkFalse();
  void InputWhileTheDeviceDecidesIsIgnored();
  void AcceptedBySlotOneOfTheVirtualAmplifier();
};

void CmdPasswordTest::Entry_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<bool>("sent");      // the check reaches the device
  QTest::addColumn<bool>("accept");    // the device's verdict
  QTest::addColumn<bool>("byButton");  // confirm by the button instead of Enter
  QTest::addColumn<QString>("warning");
  QTest::addColumn<QString>("checked");  // digits the check got; empty: not called
  QTest::addColumn<bool>("ok");

  const QString digitsOnly = QString::fromUtf8(kPasswordDigitsOnlyText);
  const QString length = QString::fromUtf8(kPasswordLengthText);
  const QString wrong = QString::fromUtf8(kPasswordWrongText);
  QTest::newRow("empty: nothing") << "" << true << true << false << "" << "" << false;
  QTest::newRow("five digits") << "12345" << true << true << false << length << "" << false;
  QTest::newRow("letter among six") << "12345a" << true << true << false << digitsOnly << ""
                                    << false;
  QTest::newRow("decimal point among six") << "123.45" << true << true << true << digitsOnly
                                           << "" << false;
  QTest::newRow("letter among five: characters first") << "1a345" << true << true << false
                                                      << digitsOnly << "" << false;
  QTest::newRow("full-width digits") << QString::fromUtf8("１２３４５６") << true << true << false
                                     << digitsOnly << "" << false;
  QTest::newRow("refused by the device") << "654321" << true << false << false << wrong
                                         << "654321" << false;
  QTest::newRow("request failed: no further message") << "000000" << false << false << false
                                                      << "" << "000000" << false;
  QTest::newRow("accepted, by Enter") << "000000" << true << true << false << "" << "000000"
                                      << true;
  QTest::newRow("accepted, by the button") << "135790" << true << true << true << ""
                                           << "135790" << true;
  QTest::newRow("a seventh digit is not taken") << "1234567" << true << true << false << ""
                                                << "123456" << true;
}

void CmdPasswordTest::Entry() {
  QFETCH(QString, typed);
  QFETCH(bool, sent);
  QFETCH(bool, accept);
  QFETCH(bool, byButton);
  QFETCH(QString, warning);
  QFETCH(QString, checked);
  QFETCH(bool, ok);

  RecordingNotifier notes;
  Check check;
  check.sent = sent;
  check.accept = accept;
  CmdPassword dlg(notes, check.Function());
  dlg.InputType = 0;
  dlg.Load();
  dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dlg));
  Type(dlg, typed);
  if (byButton)
    QTest::mouseClick(dlg.Command1(), Qt::LeftButton);
  else
    QTest::keyClick(dlg.Text1(), Qt::Key_Return);

  const auto warnings = notes.Texts(Kind::Warning);
  if (warning.isEmpty()) {
    QVERIFY(warnings.empty());
  } else {
    QCOMPARE(warnings, std::vector<std::string>{warning.toStdString()});
  }
  if (checked.isEmpty()) {
    QVERIFY(check.calls.empty());
  } else {
    QCOMPARE(check.calls.size(), size_t{1});
    QCOMPARE(check.calls[0].first, 1);
    QCOMPARE(QString::fromStdString(check.calls[0].second), checked);
  }
  QCOMPARE(dlg.OK, ok);
  QCOMPARE(dlg.isVisible(), !ok);
  if (!ok) QVERIFY(dlg.Text1()->hasFocus());
  if (ok) QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

void CmdPasswordTest::CaptionAndSlotFollowInputType() {
  struct Case {
    int inputType;
    const char* caption;
    int slot;
  };
  for (const Case& c : {Case{0, "菜单隐藏属性设置", 1}, Case{1, "管理员权限确认", 2}}) {
    RecordingNotifier notes;
    Check check;
    CmdPassword dlg(notes, check.Function());
    dlg.InputType = static_cast<uint8_t>(c.inputType);
    dlg.Load();
    dlg.show();
    QCOMPARE(dlg.windowTitle(), QString::fromUtf8(c.caption));
    Type(dlg, "246802");
    QCOMPARE(dlg.Text1()->displayText(), QString("******"));
    QTest::keyClick(dlg.Text1(), Qt::Key_Enter);
    QCOMPARE(check.calls.size(), size_t{1});
    QCOMPARE(check.calls[0].first, c.slot);
  }
}

void CmdPasswordTest::ClosingByTheWindowLeavesOkFalse() {
  RecordingNotifier notes;
  Check check;
  check.accept = true;
  CmdPassword dlg(notes, check.Function());
  dlg.show();
  Type(dlg, "000000");
  QVERIFY(dlg.close());
  QVERIFY(!dlg.OK);
  QCOMPARE(dlg.result(), int(QDialog::Rejected));
  QVERIFY(check.calls.empty());
  QVERIFY(notes.messages.empty());
}

// The check waits in a nested event loop: Enter and closing the window during it must neither
// start a second request nor lose the device's verdict.
void CmdPasswordTest::InputWhileTheDeviceDecidesIsIgnored() {
  RecordingNotifier notes;
  int calls = 0;
  CmdPassword* dialog = nullptr;
  CmdPassword dlg(notes, [&](int, const std::string&, bool& accepted) {
    ++calls;
    QTest::keyClick(dialog->Text1(), Qt::Key_Return);
    dialog->close();
    dialog->reject();
    accepted = true;
    return true;
  });
  dialog = &dlg;
  dlg.show();
  Type(dlg, "000000");
  QTest::keyClick(dlg.Text1(), Qt::Key_Return);
  QCOMPARE(calls, 1);
  QVERIFY(dlg.OK);
  QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

// The dialog on the real path: Transfers::CheckPassword over the link to the amplifier, whose
// menu settings password (slot 1) is "000000".
void CmdPasswordTest::AcceptedBySlotOneOfTheVirtualAmplifier() {
  auto rig = std::make_unique<VirtualRig>();
  QVERIFY(rig->BringUp());
  Transfers transfers(rig->store, rig->link, rig->notifier);
  CmdPassword dlg(rig->notifier, [&](int slot, const std::string& digits, bool& accepted) {
    return transfers.CheckPassword(slot, digits, accepted);
  });
  dlg.show();

  Type(dlg, "000001");
  QTest::keyClick(dlg.Text1(), Qt::Key_Return);
  QVERIFY(dlg.isVisible());
  QVERIFY(!rig->amplifier.LoggedIn(1));
  QCOMPARE(rig->notifier.Texts(Kind::Warning), std::vector<std::string>{kPasswordWrongText});

  Type(dlg, "000000");
  QTest::keyClick(dlg.Text1(), Qt::Key_Return);
  QVERIFY(dlg.OK);
  QVERIFY(!dlg.isVisible());
  QVERIFY(rig->amplifier.LoggedIn(1));
  const std::vector<uint8_t>& frame = rig->amplifier.CommandLog().back();
  QCOMPARE(frame.size(), size_t{13});
  const std::vector<uint8_t> head{0xFE, Password, 0, 1, kPasswordCheck, 13, 0, 0, 0, 0, 0, 0};
  QVERIFY(std::equal(head.begin(), head.end(), frame.begin()));
  QCOMPARE(frame[12], FrameChecksum(frame.data(), 12));
}

QTEST_MAIN(CmdPasswordTest)
#include "cmd_password_test.moc"
