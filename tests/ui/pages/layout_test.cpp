// SPDX-License-Identifier: GPL-3.0-or-later
// Nothing clipped, nothing covered: every page, effects part and small window of the console in
// both languages, with the tuning window at its minimum size and at the start sizes of common
// screens. A caption (drawn by its panel) or a label must fit its box, no two visible controls
// of one container may overlap, no control or caption may run over its container's edge, and
// no control's face may be larger than the control. The frame's menu names the windows it opens
// as they are titled, and the tuning window fills the frame's client area whatever the frame
// does. Renders every view to layout-*.png under the build directory.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

#include "admin/frm_program2.h"
#include "admin/frm_program_manager.h"
#include "controls/mbtnflag.h"
#include "controls/mcombobox.h"
#include "controls/mscrollbar.h"
#include "controls/option_list_popup.h"
#include "graph/skin.h"
#include "platform/tr.h"
#include "ui/look/console_style.h"
#include "ui/window/frame_handles.h"
#include "ui/look/language.h"
#include "ui/session/link_status_text.h"
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

QString Name(const QWidget* w) {
  return w->objectName().isEmpty() ? QString(w->metaObject()->className()) : w->objectName();
}

QString Show(const QRectF& r) {
  return QString("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// The size a control's own face needs; empty where the control draws to its size.
QSize FaceSize(const QWidget* w) {
  if (auto* s = qobject_cast<const controls::MScrollBar*>(w)) return s->Geometry().size;
  if (auto* c = qobject_cast<const controls::MComboBox*>(w)) return controls::MComboBox::FaceSize(c->ShowType());
  if (auto* b = qobject_cast<const controls::MBtnFlag*>(w))
    return b->ShownImage() ? skin::SkinImage(b->ShownImage()).size() : QSize();
  return {};
}

// The faults of one container and, recursively, of the containers inside it. A child that
// lies wholly outside its container is out of sight by design (held values, the page 2
// button); one that lies partly outside is cut.
void CheckContainer(QWidget* box, const QString& where, QStringList& faults) {
  const QRect area = box->rect();
  std::vector<QWidget*> shown;
  for (QWidget* w : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (w->isWindow() || !w->isVisibleTo(box) || !w->geometry().intersects(area)) continue;
    // A slider without TVisible holds a value and draws nothing of its own.
    if (auto* s = qobject_cast<controls::MScrollBar*>(w); s && !s->TVisible()) continue;
    shown.push_back(w);
    if (!area.contains(w->geometry()))
      faults << QString("%1: %2 %3 is cut by the edge of %4 %5")
                    .arg(where, Name(w), Show(w->geometry()), Name(box), Show(area));
    const QSize face = FaceSize(w);
    if (face.isValid() && (face.width() > w->width() || face.height() > w->height()))
      faults << QString("%1: %2 is %3x%4 but its face needs %5x%6")
                    .arg(where, Name(w))
                    .arg(w->width())
                    .arg(w->height())
                    .arg(face.width())
                    .arg(face.height());
    // The open list of an option list is a window of its own, as wide as the face.
    if (auto* c = qobject_cast<controls::MComboBox*>(w)) {
      const QFontMetrics fm(c->List()->font());
      for (const QString& entry : c->Entries())
        if (fm.horizontalAdvance(entry) + 4 > c->List()->contentsRect().width())
          faults << QString("%1: entry \"%2\" of %3 is wider than its open list (%4 pixels)")
                        .arg(where, entry, Name(c))
                        .arg(c->List()->contentsRect().width());
    }
    if (auto* l = qobject_cast<QLabel*>(w); l && !l->text().isEmpty()) {
      const QRect inside = l->contentsRect();
      const bool fits = l->wordWrap()
                            ? l->heightForWidth(inside.width()) <= inside.height()
                            : l->fontMetrics().horizontalAdvance(l->text()) <= inside.width();
      if (!fits) faults << QString("%1: label %2 \"%3\" does not fit %4").arg(where, Name(l), l->text(), Show(inside));
    }
  }
  for (size_t i = 0; i < shown.size(); ++i)
    for (size_t j = i + 1; j < shown.size(); ++j)
      if (shown[i]->geometry().intersects(shown[j]->geometry()))
        faults << QString("%1: %2 %3 and %4 %5 overlap")
                      .arg(where, Name(shown[i]), Show(shown[i]->geometry()), Name(shown[j]),
                           Show(shown[j]->geometry()));

  if (auto* panel = dynamic_cast<SkinPanel*>(box)) {
    const std::vector<Caption>& captions = panel->Captions();
    std::vector<QRectF> texts;
    for (const Caption& c : captions) {
      const QRectF text = SkinPanel::TextRect(c);
      const QRectF fitting = SkinPanel::TextBox(c);
      const QString what = QString("%1: caption \"%2\" %3").arg(where, c.Shown(), Show(text));
      texts.push_back(text);
      if (text.width() > fitting.width() + 0.01 || text.height() > fitting.height() + 0.01)
        faults << QString("%1 is larger than its box %2").arg(what, Show(fitting));
      if (!QRectF(area).contains(text)) faults << QString("%1 runs over the edge of %2").arg(what, Name(box));
      for (QWidget* w : shown)
        if (QRectF(w->geometry()).intersects(text))
          faults << QString("%1 is covered by %2 %3").arg(what, Name(w), Show(w->geometry()));
    }
    for (size_t i = 0; i < texts.size(); ++i)
      for (size_t j = i + 1; j < texts.size(); ++j)
        if (texts[i].intersects(texts[j]))
          faults << QString("%1: captions \"%2\" and \"%3\" overlap")
                        .arg(where, captions[i].Shown(), captions[j].Shown());
  }
  for (QWidget* w : shown)
    if (!w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty()) CheckContainer(w, where, faults);
}

// Every text a person can read on a window: its title, labels, list entries, tool tips, menu
// entries and the captions its panels draw.
QStringList VisibleTexts(QWidget* root) {
  QStringList out;
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  widgets.prepend(root);
  for (QWidget* w : widgets) {
    out << w->windowTitle() << w->toolTip();
    if (auto* l = qobject_cast<QLabel*>(w)) out << l->text();
    if (auto* c = qobject_cast<controls::MComboBox*>(w)) out << c->Entries();
    if (auto* p = dynamic_cast<SkinPanel*>(w))
      for (const Caption& c : p->Captions()) out << c.Shown();
  }
  for (QAction* a : root->findChildren<QAction*>()) out << a->text() << a->toolTip();
  return out;
}

void CheckTexts(QWidget* root, const QString& where, QStringList& faults) {
  for (const QString& t : VisibleTexts(root))
    if (t.contains(QStringLiteral("&H"), Qt::CaseInsensitive))
      faults << QString("%1: \"%2\" shows an address").arg(where, t);
}

// Every fault on its own line, then one failure that counts them.
void Report(const QStringList& faults) {
  for (const QString& f : faults) qInfo().noquote() << f;
  QVERIFY2(faults.isEmpty(), qPrintable(QString("%1 layout faults").arg(faults.size())));
}

void Save(QWidget* w, const QString& name) {
  QImage shot(w->size(), QImage::Format_ARGB32);
  shot.fill(Qt::black);
  w->render(&shot);
  QVERIFY(shot.save(QString(MIRELUNE_BUILD_DIR) + "/" + name));
}

// Sizes the frame so that its client area is `client`, as a person dragging its border does.
void SizeClientArea(MdiMain& frame, QSize client) {
  frame.resize(frame.size() - frame.ClientArea()->size() + client);
  QApplication::processEvents();
}

void Mouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButtons buttons) {
  QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)),
                type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

QString Plain(QString menuText) { return menuText.remove('&').remove(QStringLiteral("…")).remove(QStringLiteral("...")).trimmed(); }

}  // namespace

class LayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    // Qt's test mode moves only what Qt names: the virtual amplifiers' memories and locks
    // follow the XDG folders.
    QVERIFY(!testing::IsolateUserFolders("ui_layout_test").isEmpty());
    ApplyConsoleStyle(*qApp);
  }
  void cleanupTestCase() { InstallLanguage(Language::Chinese); }
  void nothingClippedOrCovered_data();
  void nothingClippedOrCovered();
  void smallWindowsClippedOrCovered_data();
  void smallWindowsClippedOrCovered();
  void longestStatusTextsFit_data() { nothingClippedOrCovered_data(); }
  void longestStatusTextsFit();
  void tuningWindowFollowsTheFrame();
  void menuEntriesNameTheirWindows_data();
  void menuEntriesNameTheirWindows();
};

void LayoutTest::nothingClippedOrCovered_data() {
  QTest::addColumn<int>("language");
  QTest::addColumn<QSize>("size");
  for (const Language l : {Language::Chinese, Language::English}) {
    const char* name = l == Language::Chinese ? "zh" : "en";
    QTest::addRow("%s minimum", name) << int(l) << QSize(FrmEq::kMinWidth, FrmEq::kMinHeight);
    QTest::addRow("%s start 1366x768", name) << int(l) << MdiMain::TuningWindowRect({1366, 768}).size();
    QTest::addRow("%s start 1920x1080", name) << int(l) << MdiMain::TuningWindowRect({1920, 1080}).size();
  }
}

void LayoutTest::nothingClippedOrCovered() {
  QFETCH(int, language);
  QFETCH(QSize, size);
  const auto l = static_cast<Language>(language);
  QVERIFY(InstallLanguage(l));
  Console c;
  QVERIFY(c.Synced());
  SizeClientArea(*c.frame, size);
  QCOMPARE(c.eq().size(), size);
  const QString tag = QString("layout-%1-%2x%3").arg(l == Language::English ? "en" : "zh").arg(size.width()).arg(size.height());

  QStringList faults;
  auto check = [&](const QString& where, const QString& file) {
    c.RunUntil([] { return false; }, 50);
    CheckContainer(&c.eq(), where, faults);
    CheckTexts(c.frame.get(), where, faults);
    Save(&c.eq(), QString("%1-%2.png").arg(tag, file));
  };
  for (int p = 0; p < kPageCount; ++p) {
    if (p == kEffectsPage) continue;
    c.eq().ShowPage(p);
    check(QString("page %1").arg(p), QString("page-%1").arg(p));
  }
  c.eq().ShowPage(kEffectsPage);
  for (int i = 0; i < kEffectSubPages; ++i) {
    c.eq().ShowEffectSubPage(i);
    check(QString("effects part %1").arg(i), QString("effects-%1").arg(i));
  }
  Report(faults);
}

void LayoutTest::smallWindowsClippedOrCovered_data() {
  QTest::addColumn<int>("language");
  QTest::newRow("zh") << int(Language::Chinese);
  QTest::newRow("en") << int(Language::English);
}

void LayoutTest::smallWindowsClippedOrCovered() {
  QFETCH(int, language);
  const auto l = static_cast<Language>(language);
  QVERIFY(InstallLanguage(l));
  Console c;
  QVERIFY(c.Synced());
  QStringList faults;
  for (SecondaryKind k : {SecondaryKind::Recording, SecondaryKind::Effects, SecondaryKind::SystemSettings}) {
    SecondaryWindow w(*c.session, k, &c.eq());
    w.show();
    CheckContainer(&w, w.objectName(), faults);
    CheckTexts(&w, w.objectName(), faults);
    Save(&w, QString("layout-%1-%2.png").arg(l == Language::English ? "en" : "zh", w.objectName()));
  }
  // The measure window at the smallest size it allows.
  MeasureWindow* measure = OpenMeasureWindow(*c.session, c.eq(), nullptr);
  measure->resize(1, 1);
  QApplication::processEvents();
  QVERIFY(measure->width() > 1);
  CheckContainer(measure, measure->objectName(), faults);
  CheckTexts(measure, measure->objectName(), faults);
  Save(measure, QString("layout-%1-%2.png").arg(l == Language::English ? "en" : "zh", measure->objectName()));
  delete measure;
  Report(faults);
}

// Sizing and maximising the frame size the tuning window to the client area; the tuning
// window's own edges still size it, and the frame's next change fits it again.
void LayoutTest::tuningWindowFollowsTheFrame() {
  Console c;
  QVERIFY(c.Synced(2000));
  MdiMain& frame = *c.frame;
  QWidget* client = frame.ClientArea();
  FrmEq& eq = c.eq();
  const auto fills = [&] { return eq.geometry() == QRect(QPoint(0, 0), client->size()); };
  // It opens at the start size of the screen, filling the client area.
  QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), QSize(1920, 1080));
  QCOMPARE(eq.size(), MdiMain::TuningWindowRect({1920, 1080}).size());
  QVERIFY(fills());

  SizeClientArea(frame, {1300, 800});
  QCOMPARE(client->size(), QSize(1300, 800));
  QVERIFY(fills());

  // Never below the tuning window's minimum: the frame keeps a client area it fits in.
  SizeClientArea(frame, {600, 300});
  QCOMPARE(client->size(), QSize(FrmEq::kMinWidth, FrmEq::kMinHeight));
  QVERIFY(fills());

  frame.showMaximized();
  QApplication::processEvents();
  QVERIFY(frame.isMaximized());
  QVERIFY(client->width() > 1800 && client->height() > 950);
  QVERIFY(fills());
  frame.showNormal();
  QApplication::processEvents();
  QVERIFY(fills());

  // The tuning window's right edge, dragged 80 pixels in, narrows it inside the frame.
  SizeClientArea(frame, {1200, 700});
  QVERIFY(fills());
  const QPoint edge(eq.width() - 2, 300);
  Mouse(&eq, QEvent::MouseMove, edge, Qt::NoButton);
  QCOMPARE(frame.Handles()->Zone(), ResizeZone::Right);
  Mouse(&eq, QEvent::MouseButtonPress, edge, Qt::LeftButton);
  Mouse(&eq, QEvent::MouseMove, edge - QPoint(80, 0), Qt::LeftButton);
  Mouse(&eq, QEvent::MouseButtonRelease, edge - QPoint(80, 0), Qt::NoButton);
  QCOMPARE(eq.geometry(), QRect(0, 0, 1120, 700));
  SizeClientArea(frame, {1250, 720});
  QVERIFY(fills());

  // A tuning window loaded again from the menu fills the client area too.
  frame.MenuItem("mnuChinese")->trigger();
  QVERIFY(!frame.MainWindowLoaded());
  frame.MenuItem("mnuChinese")->trigger();
  QVERIFY(frame.MainWindowLoaded());
  QCOMPARE(frame.tuningWindow()->geometry(), QRect(QPoint(0, 0), client->size()));
}

void LayoutTest::menuEntriesNameTheirWindows_data() {
  QTest::addColumn<int>("language");
  QTest::newRow("zh") << int(Language::Chinese);
  QTest::newRow("en") << int(Language::English);
}

// Each entry of "设备" that opens a window reads as that window's title, but "开机设置", which
// opens "系统设置"; the entry that loads and unloads the tuning window names the tuning window,
// as its exit button does.
void LayoutTest::menuEntriesNameTheirWindows() {
  QFETCH(int, language);
  QVERIFY(InstallLanguage(static_cast<Language>(language)));
  Console c;
  QVERIFY(c.Synced());
  MdiMain& frame = *c.frame;
  const auto entry = [&](const char* name) { return Plain(frame.MenuItem(name)->text()); };

  frame.MenuItem("CmdProgramSetup")->trigger();
  QVERIFY(frame.ProgramManager());
  QCOMPARE(entry("CmdProgramSetup"), frame.ProgramManager()->windowTitle());
  frame.MenuItem("CmdStartupSettings")->trigger();
  QVERIFY(c.eq().SystemSettings());
  QCOMPARE(entry("CmdStartupSettings"), language == int(Language::Chinese) ? QString::fromUtf8("开机设置")
                                                                            : QString("Power-on settings"));
  QCOMPARE(c.eq().SystemSettings()->windowTitle(), language == int(Language::Chinese) ? QString::fromUtf8("系统设置")
                                                                                      : QString("System settings"));
  frame.MenuItem("CmdPrePassManager")->trigger();
  QVERIFY(frame.Program2());
  QCOMPARE(entry("CmdPrePassManager"), frame.Program2()->windowTitle());
  frame.MenuItem("CmdMeasure")->trigger();
  QVERIFY(c.eq().findChild<MeasureWindow*>());
  QCOMPARE(entry("CmdMeasure"), c.eq().findChild<MeasureWindow*>()->windowTitle());
  const QString exitTip = c.eq().findChild<QWidget*>("cmdExit")->toolTip();
  QVERIFY2(exitTip.contains(entry("mnuChinese"), Qt::CaseInsensitive),
           qPrintable(QString("\"%1\" against \"%2\"").arg(entry("mnuChinese"), exitTip)));
}

int main(int argc, char* argv[]) {
  // The offscreen platform with a 1920 x 1080 screen: the frame opens at that screen's start
  // size and has room to be maximised beyond it.
  const QString dir = QString(MIRELUNE_BUILD_DIR) + "/test-tmp";
  QDir().mkpath(dir);
  QFile config(dir + "/layout-screen.json");
  if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      config.write(R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1920, "height": 1080,
                       "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0)
    return 2;
  config.close();
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.fileName()).toUtf8());
  QApplication app(argc, argv);
  app.setAttribute(Qt::AA_Use96Dpi, true);
  LayoutTest test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}

// The status line's longest texts - an amplifier held by another program, several attached,
// one named online - fit the line at every size, in both languages.
void LayoutTest::longestStatusTextsFit() {
  QFETCH(int, language);
  QFETCH(QSize, size);
  const auto l = static_cast<Language>(language);
  QVERIFY(InstallLanguage(l));
  Console c;
  QVERIFY(c.Synced());
  SizeClientArea(*c.frame, size);
  auto* status = c.eq().findChild<QLabel*>("linkStatusText");
  QVERIFY(status && status->isVisible());
  LinkStatusFacts busy;
  busy.lastOpen.status = HidOpenStatus::Busy;
  busy.device = "hid:0123456789AB";
  busy.heldBy = "mirelune-cli write-mode (PID 4194304)";
  LinkStatusFacts several;
  several.lastOpen.status = HidOpenStatus::Failed;
  several.candidates = 12;
  LinkStatusFacts online;
  online.online = true;
  online.identifier = "_LM-R52Z";
  online.device = "hid:0123456789AB";
  online.modeNumber = 9;
  online.soundMode = 1;
  online.rightsLoggedIn = true;
  QStringList faults;
  int n = 0;
  for (const LinkStatusFacts& f : {busy, several, online}) {
    status->setText(QString::fromStdString(LinkStatusText(f)));
    const QRect inside = status->contentsRect();
    if (status->heightForWidth(inside.width()) > inside.height())
      faults << QString("status \"%1\" does not fit %2x%3").arg(status->text()).arg(inside.width()).arg(inside.height());
    Save(&c.eq(), QString("layout-%1-%2x%3-status-%4.png")
                      .arg(l == Language::English ? "en" : "zh")
                      .arg(size.width())
                      .arg(size.height())
                      .arg(n++));
  }
  Report(faults);
}

#include "layout_test.moc"
