// SPDX-License-Identifier: GPL-3.0-or-later
// One parameter, one name: every bound control's tool tip names its parameter as the command
// line does (the naming table), in both languages; the English translation of every name is the
// table's; no control names a raw address.
#include <QStandardPaths>
#include <memory>
#include <set>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

#include "controls/mbtnflag.h"
#include "controls/mcombobox.h"
#include "controls/mscrollbar.h"
#include "admin/frm_program_manager.h"
#include "model/option_lists.h"
#include "model/param_names.h"
#include "platform/tr.h"
#include "ui/pages/control_help.h"
#include "ui/look/language.h"
#include "ui/pages/page_table.h"
#include "ui/dialogs/secondary_window.h"
#include "tests/ui/console_fixture.h"
#include "tests/ui/user_folders.h"

using namespace mirelune;
using namespace mirelune::ui;
using namespace mirelune::ui::testing;

namespace {

// Checks the tool tips of every control under `root` bound to a parameter; returns how many.
int CheckToolTips(QWidget* root, bool english) {
  int checked = 0;
  auto check = [&](QWidget* w, int address) {
    const NamedParam* n = NameOf(address);
    if (!n) return;
    const QString first = w->toolTip().section('\n', 0, 0);
    const QString want = QString::fromStdString(english ? n->en : n->zh);
    if (first != want) {
      QTest::qFail(qPrintable(QString("%1 (address %2): tool tip names '%3', the table '%4'")
                                  .arg(w->objectName()).arg(address).arg(first, want)),
                   __FILE__, __LINE__);
      return;
    }
    // The command line names the same address by the same name.
    if (QualifiedName(address) != std::to_string(address / 256) + ":" + n->zh) {
      QTest::qFail(qPrintable(QString("address %1: CLI name %2").arg(address).arg(QualifiedName(address).c_str())),
                   __FILE__, __LINE__);
      return;
    }
    ++checked;
  };
  for (auto* s : root->findChildren<controls::MScrollBar*>()) check(s, s->Addr());
  for (auto* c : root->findChildren<controls::MComboBox*>()) check(c, c->Addr());
  for (auto* b : root->findChildren<controls::MBtnFlag*>()) check(b, b->Addr());
  for (QWidget* w : root->findChildren<QWidget*>())
    if (w->toolTip().contains("&H")) {
      QTest::qFail(qPrintable(w->objectName() + ": " + w->toolTip()), __FILE__, __LINE__);
      return checked;
    }
  return checked;
}

}  // namespace

class NamesTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    // Qt's test mode moves only what Qt names: the virtual amplifiers' memories and locks
    // follow the XDG folders.
    QVERIFY(!testing::IsolateUserFolders("ui_names_test").isEmpty());
  }
  void cleanupTestCase() { InstallLanguage(Language::Chinese); }
  void toolTipsNameWhatTheCommandLineNames_data();
  void toolTipsNameWhatTheCommandLineNames();
  void translationsOfNamesAreTheTables();
  void optionListsShowTheTablesEntries_data() { toolTipsNameWhatTheCommandLineNames_data(); }
  void optionListsShowTheTablesEntries();
  void newMessagesSpeakEnglish();
};

void NamesTest::toolTipsNameWhatTheCommandLineNames_data() {
  QTest::addColumn<bool>("english");
  QTest::newRow("Chinese") << false;
  QTest::newRow("English") << true;
}

void NamesTest::toolTipsNameWhatTheCommandLineNames() {
  QFETCH(bool, english);
  QVERIFY(InstallLanguage(english ? Language::English : Language::Chinese));
  Console c;
  QVERIFY(c.Synced());
  int checked = 0;
  for (int page = 0; page < kPageCount; ++page) {
    checked += CheckToolTips(c.eq().PageContainer(page), english);
    if (QTest::currentTestFailed()) return;
  }
  checked += CheckToolTips(&c.eq(), english);  // the top bar's master volumes and buttons
  for (SecondaryKind kind : {SecondaryKind::Recording, SecondaryKind::Effects, SecondaryKind::SystemSettings}) {
    SecondaryWindow w(*c.session, kind, &c.eq());
    checked += CheckToolTips(&w, english);
    if (QTest::currentTestFailed()) return;
  }
  QVERIFY2(checked > 150, qPrintable(QString::number(checked)));
  // The microphone page's high-pass slider is the high-pass, not the microphone volume.
  auto* hp = c.eq().PageContainer(1)->findChild<controls::MScrollBar*>("MyScrollBar33");
  QVERIFY(hp);
  QCOMPARE(hp->Addr(), 256);
  QCOMPARE(hp->toolTip().section('\n', 0, 0),
           english ? QString("High-pass frequency") : QString::fromUtf8("高通滤波器频点"));
}

// The command line offers an option list's entries from the model's table: every list of the
// pages and the small windows is in it, with the entries the list shows, in both languages.
void NamesTest::optionListsShowTheTablesEntries() {
  QFETCH(bool, english);
  QVERIFY(InstallLanguage(english ? Language::English : Language::Chinese));
  Console c;
  QVERIFY(c.Synced());
  std::vector<QWidget*> owners;
  for (int page = 0; page < kPageCount; ++page) owners.push_back(c.eq().PageContainer(page));
  std::vector<std::unique_ptr<SecondaryWindow>> windows;
  for (SecondaryKind kind : {SecondaryKind::Recording, SecondaryKind::Effects, SecondaryKind::SystemSettings}) {
    windows.push_back(std::make_unique<SecondaryWindow>(*c.session, kind, &c.eq()));
    owners.push_back(windows.back().get());
  }
  std::set<int> seen;
  for (QWidget* owner : owners) {
    for (auto* list : owner->findChildren<controls::MComboBox*>()) {
      const std::vector<OptionEntry>* table = OptionListOf(list->Addr());
      QVERIFY2(table, qPrintable(QString("address %1 is not in model/option_lists.cpp").arg(list->Addr())));
      QStringList want;
      for (const OptionEntry& e : *table) want << QString::fromStdString(english ? e.en : e.zh);
      QCOMPARE(list->Entries(), want);
      seen.insert(list->Addr());
    }
  }
  const std::vector<int> all = OptionListAddresses();
  QCOMPARE(seen, std::set<int>(all.begin(), all.end()));
}

// A caption or menu entry that shows a parameter's Chinese name reads in English as the table
// says, so the window, the tool tips and the command line's name_en agree.
void NamesTest::translationsOfNamesAreTheTables() {
  QVERIFY(InstallLanguage(Language::English));
  for (const NamedParam& n : AllParamNames()) {
    if (n.zh == n.en) continue;  // EQ band names
    QCOMPARE(Tr(n.zh.c_str()), QString::fromStdString(n.en));
  }
  for (int kind = 0; kind <= 10; ++kind)
    QCOMPARE(Tr(KindCaption(kind).c_str()), QString::fromStdString(KindCaptionEn(kind)));
}

// The texts this console added for typed values, the mode store flow and the status line, in
// the English console: no Chinese left in them (each shown as the program shows it).
void NamesTest::newMessagesSpeakEnglish() {
  QVERIFY(InstallLanguage(Language::English));
  const QRegularExpression chinese(QStringLiteral("[\\x{3000}-\\x{303f}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
  QStringList texts = {
      TrLines(GuestRefusalText("virtual:a")),
      TrLines(OverwriteModeQuestion(4, "Hall A")),
  };
  // The mode's name in English quotes, not the Chinese full-width ones.
  QVERIFY2(texts[1].contains("\"Hall A\"") && !texts[1].contains(QChar(0x201C)), qPrintable(texts[1]));
  // The value editor's refusals, one of each kind, as its tool tip shows them.
  QWidget host;
  controls::SliderSetup setup;
  setup.ScrollBarType = 2;
  setup.ValueType = 13;
  setup.MaxValue = 143;
  auto* s = new controls::MScrollBar(setup, nullptr, &host);
  s->SetAddr(256);
  host.resize(400, 200);
  host.show();
  QVERIFY(QTest::qWaitForWindowExposed(&host));
  for (const char* typed : {"abc", "80 ms", "5000 Hz"}) {
    s->OpenValueEditor();
    QVERIFY(s->EditorOpen());
    s->Editor()->setText(typed);
    QTest::keyClick(s->Editor(), Qt::Key_Return);
    QVERIFY(s->EditorOpen());
    texts << s->Editor()->toolTip();
    if (QString(typed) == "5000 Hz") host.grab().save(QString(MIRELUNE_BUILD_DIR) + "/ui-value-editor-refused-en.png");
    QTest::keyClick(s->Editor(), Qt::Key_Escape);
  }
  texts << SliderToolTip(256, 13, 143) << SliderToolTip(769, 0, 260) << SliderToolTip(0, 15, 360);
  setup.ValueType = 6;
  setup.MaxValue = 62;
  auto* damping = new controls::MScrollBar(setup, nullptr, &host);
  damping->SetAddr(783);
  damping->OpenValueEditor();
  damping->Editor()->setText("off");
  QTest::keyClick(damping->Editor(), Qt::Key_Return);
  texts << damping->Editor()->toolTip();
  for (const QString& t : texts) {
    QVERIFY2(!t.isEmpty(), "an empty text");
    QVERIFY2(!t.contains(chinese), qPrintable(t));
  }
}

QTEST_MAIN(NamesTest)
#include "names_test.moc"
