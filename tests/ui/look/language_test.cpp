// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLineEdit>
// The console in each language: every visible text, title and tool tip of every window is in
// that language only (Chinese: no English words apart from units, numbers, filter family names
// and the device identifier; English: no Chinese characters). Renders the English pages and
// windows to PNGs under the build directory.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QTableWidget>
#include <QMenu>
#include <QMenuBar>
#include <QAbstractButton>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QStandardPaths>
#include <QTest>

#include "admin/cmd_password.h"
#include "admin/frm_program2.h"
#include "admin/frm_program_manager.h"
#include "admin/menu_show_frm.h"
#include "controls/mcombobox.h"
#include "platform/tr.h"
#include "ui/look/console_style.h"
#include "ui/dialogs/device_chooser.h"
#include "ui/session/link_status_text.h"
#include "ui/window/mdi_main.h"
#include "ui/dialogs/remote_dialog.h"
#include "ui/look/language.h"
#include "ui/tuning/measure_window.h"
#include "ui/pages/page_table.h"
#include "ui/dialogs/secondary_window.h"
#include "ui/pages/skin_panel.h"
#include "tests/ui/console_fixture.h"
#include "tests/ui/user_folders.h"

using namespace mirelune;
using namespace mirelune::ui;
using namespace mirelune::ui::testing;

namespace {

const QRegularExpression kChinese(QStringLiteral("[\\x{3000}-\\x{303f}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));

// Words a Chinese console may show: units, protocol and file names, the filter families of the
// crossover lists and the effects' EQ names, as the amplifier names them.
bool AllowedInChinese(const QString& word) {
  static const QStringList allowed = {
      "Hz", "kHz", "KHz", "dB", "ms", "EQ", "USB", "Ctrl", "SP", "Q", "LinkWitz", "ButterWorth",
      "Bessel", "Echo", "Rev", "EFF", "Mirelune", "LM", "R52Z", "scripts", "mirelune", "amplifier",
      "rules", "etc", "udev", "Language", "Mode", "ROM",
      // device names as --device writes them, and the programs that may hold an amplifier
      "virtual", "hid", "cli", "write", "mode", "PID",
      // the room remote: its address, PIN and the command that encrypts it
      "PIN", "http", "https", "serve", "tls", "cert", "key",
      // the measure window's figures and band settings
      "RMS", "dBFS", "PK", "LS", "HS"};
  return allowed.contains(word);
}

// The texts a person sees on a window: titles, labels, buttons, group titles, list entries,
// menu texts, tool tips, and the captions the skinned panels draw.
QStringList VisibleTexts(QWidget* root) {
  QStringList out;
  auto add = [&](const QString& t) {
    if (!t.isEmpty()) out << t;
  };
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  widgets.prepend(root);
  for (QWidget* w : widgets) {
    if (w->isWindow()) add(w->windowTitle());
    add(w->toolTip());
    if (auto* l = qobject_cast<QLabel*>(w)) add(l->text());
    if (auto* b = qobject_cast<QAbstractButton*>(w)) add(b->text());
    if (auto* g = qobject_cast<QGroupBox*>(w)) add(g->title());
    if (auto* l = qobject_cast<QListWidget*>(w))
      for (int i = 0; i < l->count(); ++i) add(l->item(i)->text());
    if (auto* t = qobject_cast<QTableWidget*>(w)) {
      for (int i = 0; i < t->columnCount(); ++i)
        if (t->horizontalHeaderItem(i)) add(t->horizontalHeaderItem(i)->text());
      for (int r = 0; r < t->rowCount(); ++r)
        for (int i = 0; i < t->columnCount(); ++i)
          if (t->item(r, i)) add(t->item(r, i)->text());
    }
    if (auto* c = qobject_cast<QComboBox*>(w))
      for (int i = 0; i < c->count(); ++i) add(c->itemText(i));
    if (auto* c = qobject_cast<controls::MComboBox*>(w)) out << c->Entries();
    if (auto* p = dynamic_cast<SkinPanel*>(w))
      for (const Caption& c : p->Captions()) add(c.Shown());
  }
  for (QAction* a : root->findChildren<QAction*>()) {
    add(a->text());
    add(a->toolTip() == a->text() ? QString() : a->toolTip());
  }
  return out;
}

void CheckLanguage(const QStringList& texts, Language l, const char* where) {
  static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
  for (const QString& t : texts) {
    // The language menu names itself and each language in both.
    if (t.contains(QStringLiteral("语言 / Language")) || t == QStringLiteral("中文") || t == "English") continue;
    if (l == Language::English) {
      QVERIFY2(!kChinese.match(t).hasMatch(), qPrintable(QString("%1: \"%2\"").arg(where, t)));
    } else {
      // An address shown to be typed or scanned (the remote's) is no text of either language.
      static const QRegularExpression url(QStringLiteral("https?://\\S+"));
      auto it = word.globalMatch(QString(t).remove(url));
      while (it.hasNext()) {
        const QString w = it.next().captured();
        QVERIFY2(AllowedInChinese(w), qPrintable(QString("%1: \"%2\" in \"%3\"").arg(where, w, t)));
      }
    }
  }
}

void Save(QWidget* w, const QString& name) {
  QImage shot(w->size(), QImage::Format_ARGB32);
  shot.fill(Qt::black);
  w->render(&shot);
  QVERIFY(shot.save(QString(MIRELUNE_BUILD_DIR) + "/" + name));
}

}  // namespace

class LanguageTest : public QObject {
  Q_OBJECT

 private slots:
  void choosingTheLanguage();
  void everyWindowSpeaksOneLanguage_data();
  void everyWindowSpeaksOneLanguage();
  void languageMenuSwitchesAndIsKept();
  void aTextOfTwoMeaningsIsTranslatedPerUse();
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    // Qt's test mode moves only what Qt names: the virtual amplifiers' memories and locks
    // follow the XDG folders.
    QVERIFY(!testing::IsolateUserFolders("ui_language_test").isEmpty());
    ApplyConsoleStyle(*qApp);  // as the console starts: the renders show its dark look
  }
  void cleanupTestCase() { InstallLanguage(Language::Chinese); }
};

void LanguageTest::choosingTheLanguage() {
  QCOMPARE(ChooseLanguage(Language::English, "zh", QLocale(QLocale::Chinese)), Language::English);
  QCOMPARE(ChooseLanguage(std::nullopt, "en", QLocale(QLocale::Chinese)), Language::English);
  QCOMPARE(ChooseLanguage(std::nullopt, "", QLocale(QLocale::Chinese, QLocale::China)), Language::Chinese);
  QCOMPARE(ChooseLanguage(std::nullopt, "", QLocale(QLocale::German)), Language::English);
  QCOMPARE(ChooseLanguage(std::nullopt, "klingon", QLocale(QLocale::Chinese)), Language::Chinese);
  QVERIFY(ParseLanguage("zh_CN.UTF-8") == Language::Chinese);
  QVERIFY(!ParseLanguage("fr"));
  // The English translation is in the program and covers the texts.
  QVERIFY(InstallLanguage(Language::English));
  QCOMPARE(Tr("设备"), QString("Device"));
  QCOMPARE(TrLines("从机器读数据时出错！\n错误信息如下: 模式号=3,菜单种类号=4,菜单地址=5"),
           QString("Error while reading data from the amplifier!\n"
                   "Error details: mode number=3, menu kind=4, menu address=5"));
  QVERIFY(InstallLanguage(Language::Chinese));
  QCOMPARE(Tr("设备"), QString::fromUtf8("设备"));
}

void LanguageTest::everyWindowSpeaksOneLanguage_data() {
  QTest::addColumn<int>("language");
  QTest::newRow("Chinese") << int(Language::Chinese);
  QTest::newRow("English") << int(Language::English);
}

void LanguageTest::everyWindowSpeaksOneLanguage() {
  QFETCH(int, language);
  const auto l = static_cast<Language>(language);
  QVERIFY(InstallLanguage(l));
  const QString suffix = l == Language::English ? "-en" : "-zh";
  Console c;
  QVERIFY(c.Synced());
  for (int p = 0; p < kPageCount; ++p) {
    c.eq().ShowPage(p);
    CheckLanguage(VisibleTexts(c.frame.get()), l, qPrintable(QString("page %1").arg(p)));
    if (l == Language::English) {
      c.RunUntil([] { return false; }, 50);
      Save(c.frame.get(), QString("lang-page-%1%2.png").arg(p).arg(suffix));
    }
  }
  CheckLanguage(QStringList{QString::fromStdString(c.session->StatusText())}, l, "status");
  for (SecondaryKind k : {SecondaryKind::Recording, SecondaryKind::Effects, SecondaryKind::SystemSettings}) {
    SecondaryWindow w(*c.session, k, &c.eq());
    w.show();
    CheckLanguage(VisibleTexts(&w), l, qPrintable(w.objectName()));
    Save(&w, QString("lang-%1%2.png").arg(w.objectName(), suffix));
  }
  c.frame->MenuItem("CmdProgramSetup")->trigger();
  c.frame->MenuItem("CmdPrePassManager")->trigger();
  for (QWidget* w : std::initializer_list<QWidget*>{c.frame->ProgramManager(), c.frame->Program2()}) {
    QVERIFY(w);
    CheckLanguage(VisibleTexts(w), l, qPrintable(w->objectName()));
    Save(w, QString("lang-%1%2.png").arg(w->objectName(), suffix));
  }
  for (int type = 0; type < 2; ++type) {
    CmdPassword prompt(c.session->notifier(), [](int, const std::string&, bool&) { return false; }, &c.eq());
    prompt.InputType = static_cast<uint8_t>(type);
    prompt.Load();  // the caption of its type, as its caller shows it
    prompt.show();
    CheckLanguage(VisibleTexts(&prompt), l, "CmdPassword");
  }
  MenuShowFrm editor(c.store().Menu, &c.eq());
  CheckLanguage(VisibleTexts(&editor), l, "MenuShowFrm");
  Save(&editor, QString("lang-MenuShowFrm%1.png").arg(suffix));
  // Device > Choose amplifier, and what the status line says about several amplifiers.
  c.frame->MenuItem("CmdChooseDevice")->trigger();
  QVERIFY(c.frame->Chooser() && c.frame->Chooser()->isVisible());
  CheckLanguage(VisibleTexts(c.frame->Chooser()), l, "DeviceChooser");
  Save(c.frame->Chooser(), QString("lang-DeviceChooser%1.png").arg(suffix));
  c.frame->Chooser()->reject();
  // Device > Remote control, stopped and running (with its address in the listen box).
  c.frame->MenuItem("CmdRemoteControl")->trigger();
  QVERIFY(c.frame->Remote() && c.frame->Remote()->isVisible());
  CheckLanguage(VisibleTexts(c.frame->Remote()), l, "RemoteDialog");
  c.frame->Remote()->findChild<QLineEdit*>("remoteListen")->setText("0.0.0.0:0");
  QVERIFY(c.frame->Remote()->StartServer());
  CheckLanguage(VisibleTexts(c.frame->Remote()), l, "RemoteDialog running");
  Save(c.frame->Remote(), QString("lang-RemoteDialog%1.png").arg(suffix));
  c.frame->Remote()->StopServer();
  c.frame->Remote()->close();
  // Device > Measure, on the virtual room.
  c.frame->MenuItem("CmdMeasure")->trigger();
  auto* measure = c.eq().findChild<MeasureWindow*>("MeasureWindow");
  QVERIFY(measure && measure->isVisible());
  CheckLanguage(VisibleTexts(measure), l, "MeasureWindow");
  Save(measure, QString("lang-MeasureWindow%1.png").arg(suffix));
  measure->close();
  LinkStatusFacts busy;
  busy.lastOpen.status = HidOpenStatus::Busy;
  busy.device = "hid:0042";
  busy.heldBy = "mirelune-cli write-mode (PID 42)";
  LinkStatusFacts several;
  several.lastOpen.status = HidOpenStatus::Failed;
  several.candidates = 3;
  LinkStatusFacts online;
  online.online = true;
  online.identifier = "_LM-R52Z";
  online.device = "hid:0042";
  online.modeNumber = 2;
  online.soundMode = 0;
  const QStringList status = {QString::fromStdString(LinkStatusText(busy)),
                              QString::fromStdString(LinkStatusText(several)),
                              QString::fromStdString(LinkStatusText(online))};
  CheckLanguage(status, l, "status of several amplifiers");
  QVERIFY2(status[0].contains("(PID 42)"), qPrintable(status[0]));
  const QString busyDetail = QString::fromStdString(LinkStatusDetail(busy));
  CheckLanguage(QStringList{busyDetail}, l, "status detail of a busy amplifier");
  QVERIFY2(busyDetail.contains("hid:0042") && busyDetail.contains("(PID 42)"), qPrintable(busyDetail));
  QVERIFY2(status[1].contains("3"), qPrintable(status[1]));
  QVERIFY2(status[2].contains("(hid:0042)"), qPrintable(status[2]));
}

// The menu "语言 / Language" switches the console at once, rebuilding the tuning window on
// page 0 in the new language, and the choice is what the next start takes.
void LanguageTest::languageMenuSwitchesAndIsKept() {
  QVERIFY(InstallLanguage(Language::Chinese));
  SaveLanguage(Language::Chinese);
  Console c;
  QVERIFY(c.Synced());
  FrmEq* before = &c.eq();
  c.frame->findChild<QAction*>("mnuLanguageEn")->trigger();
  QCOMPARE(CurrentLanguage(), Language::English);
  QCOMPARE(c.frame->findChild<QMenu*>("mnuDevice")->title(), QString("Device"));
  QVERIFY(c.frame->MainWindowLoaded());
  QVERIFY(&c.eq() != before);
  QVERIFY(c.Synced());
  CheckLanguage(VisibleTexts(c.frame.get()), Language::English, "after the switch");
  QCOMPARE(SavedLanguage(), QString("en"));
  QCOMPARE(ChooseLanguage(std::nullopt, SavedLanguage(), QLocale(QLocale::Chinese)), Language::English);
  c.frame->findChild<QAction*>("mnuLanguageZh")->trigger();
  QCOMPARE(CurrentLanguage(), Language::Chinese);
  QCOMPARE(c.frame->findChild<QMenu*>("mnuDevice")->title(), QString::fromUtf8("设备"));
  QCOMPARE(SavedLanguage(), QString("zh"));
}

// A Chinese text with two meanings ("启动": a compressor's attack, the remote's start button) has
// a context per use, each translated its own way, and is not also in the catch-all context,
// where its meaning would be a guess. Each use shows its own translation where the user sees it.
void LanguageTest::aTextOfTwoMeaningsIsTranslatedPerUse() {
  QFile file(QStringLiteral(MIRELUNE_TS));
  QVERIFY(file.open(QIODevice::ReadOnly));
  QXmlStreamReader ts(&file);
  QMap<QString, QMap<QString, QString>> uses;  // source -> context -> translation
  QString context, source;
  while (!ts.atEnd()) {
    if (ts.readNext() != QXmlStreamReader::StartElement) continue;
    if (ts.name() == QLatin1String("name")) context = ts.readElementText();
    else if (ts.name() == QLatin1String("source")) source = ts.readElementText();
    else if (ts.name() == QLatin1String("translation")) uses[source][context] = ts.readElementText();
  }
  QVERIFY2(!ts.hasError(), qPrintable(ts.errorString()));
  QVERIFY(uses.size() > 400);
  int twoMeanings = 0;
  for (auto it = uses.cbegin(); it != uses.cend(); ++it) {
    if (it.value().size() < 2) continue;
    ++twoMeanings;
    QVERIFY2(!it.value().contains(kTrContext), qPrintable(it.key() + " is also in the catch-all context"));
    QStringList translations = it.value().values();
    translations.removeDuplicates();
    QVERIFY2(translations.size() == it.value().size(), qPrintable(it.key() + ": one meaning, several contexts"));
  }
  QVERIFY(twoMeanings >= 1);
  QCOMPARE(uses.value(QString::fromUtf8("启动")).value("Compressor"), QString("Att."));
  QCOMPARE(uses.value(QString::fromUtf8("启动")).value("RemoteDialog"), QString("Start"));

  QVERIFY(InstallLanguage(Language::English));
  Console c;
  QVERIFY(c.Synced());
  c.frame->MenuItem("CmdRemoteControl")->trigger();
  QVERIFY(c.frame->Remote() && c.frame->Remote()->isVisible());
  auto* start = c.frame->Remote()->findChild<QAbstractButton*>("remoteStart");
  QVERIFY(start);
  QCOMPARE(start->text(), QString("Start"));
  c.frame->Remote()->close();
  c.eq().ShowPage(4);
  QStringList captions;
  QList<QWidget*> panels = c.eq().PageContainer(4)->findChildren<QWidget*>();
  panels.prepend(c.eq().PageContainer(4));
  for (QWidget* w : panels)
    if (auto* p = dynamic_cast<SkinPanel*>(w))
      for (const Caption& cap : p->Captions()) captions << cap.Shown();
  QVERIFY2(captions.contains("Att."), qPrintable(captions.join(", ")));
  QVERIFY(!captions.contains("Start"));
  QVERIFY(InstallLanguage(Language::Chinese));
}

QTEST_MAIN(LanguageTest)
#include "language_test.moc"
