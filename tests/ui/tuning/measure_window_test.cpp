// SPDX-License-Identifier: GPL-3.0-or-later
// The measure window on the virtual amplifier, through the frame's menu and the graph's tools
// row: the whole loop - measure the virtual room through the page, fit, apply, measure again -
// reaching the deviation the fit predicted, one undo bringing the amplifier back; the curves on
// the graph; the level check; a cancelled measurement; a refused and a loaded measurement file.
// The link runs in virtual time; the window's work runs on its worker thread, which the test
// waits for (each wait bounded).
#include <QTest>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>

#include <fstream>

#include "controls/mbtnflag.h"
#include "graph/compare_curves.h"
#include "measure/room_fit.h"
#include "platform/scripted_file_dialogs.h"
#include "ui/tuning/graph_tools.h"
#include "ui/look/language.h"
#include "ui/tuning/measure_window.h"
#include "ui/tuning/tool_bar.h"
#include "tests/ui/console_fixture.h"

using namespace mirelune;
using namespace mirelune::ui;
using namespace mirelune::ui::testing;

namespace {

constexpr int kWorkLimitMs = 120000;  // real time a worker may take on a loaded machine

QString Dir() {
  const QByteArray tmp = qgetenv("MIRELUNE_TEST_TMP");
  const QString dir = (tmp.isEmpty() ? QString(MIRELUNE_BUILD_DIR) + "/test-tmp" : QString(tmp)) + "/measure_window";
  QDir().mkpath(dir);
  return dir;
}

struct Rig {
  Console c;
  ScriptedFileDialogs* dialogs = nullptr;
  MeasureWindow* w = nullptr;

  Rig() {
    QVERIFY(c.Synced());
    auto d = std::make_unique<ScriptedFileDialogs>();
    dialogs = d.get();
    c.frame->SetFileDialogs(std::move(d));
    c.frame->MenuItem("CmdMeasure")->trigger();
    w = c.eq().findChild<MeasureWindow*>("MeasureWindow");
    QVERIFY(w);
    // Short sweeps keep the test quick; the length does not change what is checked.
    w->findChild<QDoubleSpinBox*>("measureLength")->setValue(2);
  }
  // Waits for the window's worker; false when it is still busy after the limit.
  bool Done() {
    if (!QTest::qWaitFor([this] { return !w->Working(); }, kWorkLimitMs)) return false;
    // The link's timers run in virtual time meanwhile.
    c.RunUntil([] { return false; }, 50);
    return !w->Working();
  }
  std::vector<BandSetting> AmplifierBands(const RoomFit& fit) {
    std::vector<BandSetting> out;
    for (const FittedBand& b : fit.bands) {
      const ParamRecord& r = c.amp().Working().at(c.store().CurrentSoundMode, b.address);
      out.push_back({r.Freq, r.Gain, r.Q, r.SQ, r.QType, r.EQDisabled});
    }
    return out;
  }
};

std::vector<CompareKind> GraphCurves(Console& c) {
  std::vector<CompareKind> kinds;
  for (const CompareSource& s : c.graph().model().ComparisonSources()) kinds.push_back(s.kind);
  return kinds;
}

}  // namespace

class MeasureWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallLanguage(Language::Chinese); }
  void wholeLoopReachesThePredictionAndUndoes();
  void levelCheckAndCancel();
  void filesAreRefusedOrLoaded();
};

// Measure -> fit -> apply -> measure again on the music page of the virtual amplifier: the
// second measurement shows what the fit predicted, within 0.5 dB; the amplifier holds the
// fitted bands until one undo brings the old ones back.
void MeasureWindowTest::wholeLoopReachesThePredictionAndUndoes() {
  Rig r;
  MeasureWindow& w = *r.w;
  QCOMPARE(w.MeasureButton()->text(), QString("测量"));
  QVERIFY(!w.FitButton()->isEnabled());
  QTest::mouseClick(w.MeasureButton(), Qt::LeftButton);
  QVERIFY(w.Working());
  QVERIFY(!w.MeasureButton()->isEnabled());
  QVERIFY(w.CancelButton()->isEnabled());
  QVERIFY(r.Done());
  QVERIFY2(w.Measured().has_value(), qPrintable(w.StatusText()));
  QVERIFY2(w.StatusText().contains("延迟 37"), qPrintable(w.StatusText()));
  // The measurement and the target are on the graph, as comparison curves.
  QCOMPARE(GraphCurves(r.c), (std::vector<CompareKind>{CompareKind::Measured, CompareKind::Target}));

  const std::vector<ParamRecord> before = [&] {
    std::vector<ParamRecord> v;
    for (int a = 0; a < 15; ++a) v.push_back(r.c.store().ParamTable.at(0, a));
    return v;
  }();
  QTest::mouseClick(w.FitButton(), Qt::LeftButton);
  QVERIFY(r.Done());
  QVERIFY2(w.Fit().has_value() && w.Fit()->ok, qPrintable(w.StatusText()));
  const RoomFit fit = *w.Fit();
  QVERIFY(fit.used >= 1);
  QVERIFY(fit.after.rmsDb < fit.before.rmsDb / 2);
  QVERIFY(!fit.dips.empty());  // the virtual room's null at 178 Hz
  QVERIFY(w.Summary()->text().contains("拟合后 (预测)"));
  QVERIFY(w.Report()->rowCount() >= fit.used);
  QCOMPARE(GraphCurves(r.c), (std::vector<CompareKind>{CompareKind::Measured, CompareKind::Target, CompareKind::Predicted}));
  // Nothing is applied before "应用".
  QCOMPARE(r.c.session->history().UndoPos, -1);
  QVERIFY(r.c.amp().Working().at(0, fit.bands[0].address) == before[static_cast<size_t>(fit.bands[0].address)]);

  QVERIFY(w.ApplyButton()->isEnabled());
  QTest::mouseClick(w.ApplyButton(), Qt::LeftButton);
  r.c.RunUntil([] { return false; }, 300);
  QVERIFY(w.FitApplied());
  QCOMPARE(r.c.session->history().UndoPos, 0);
  std::vector<BandSetting> after;
  for (const FittedBand& b : fit.bands) after.push_back(b.after);
  QVERIFY(r.AmplifierBands(fit) == after);
  QCOMPARE(w.MeasureButton()->text(), QString("再测一次"));

  QTest::mouseClick(w.MeasureButton(), Qt::LeftButton);
  QVERIFY(r.Done());
  QVERIFY2(w.Again().has_value(), qPrintable(w.StatusText()));
  QVERIFY2(std::fabs(w.Again()->rmsDb - fit.after.rmsDb) < 0.5,
           qPrintable(QString("measured again %1 dB, predicted %2 dB").arg(w.Again()->rmsDb).arg(fit.after.rmsDb)));
  QVERIFY(w.Summary()->text().contains("再测"));
  QCOMPARE(GraphCurves(r.c), (std::vector<CompareKind>{CompareKind::Measured, CompareKind::Target, CompareKind::Predicted,
                                                       CompareKind::MeasuredAgain}));
  // For a look by eye.
  w.grab().save(QString(MIRELUNE_BUILD_DIR) + "/ui-measure-window.png");
  r.c.frame->grab().save(QString(MIRELUNE_BUILD_DIR) + "/ui-measure-graph.png");

  // One undo: the bands come back in the store and on the amplifier.
  QTest::mouseClick(r.c.eq().Tools()->UndoButton(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  r.c.RunUntil([] { return false; }, 300);
  for (int a = 0; a < 15; ++a) {
    QVERIFY(r.c.store().ParamTable.at(0, a) == before[static_cast<size_t>(a)]);
    QCOMPARE(r.c.amp().Working().at(0, a).Gain, before[static_cast<size_t>(a)].Gain);
    QCOMPARE(r.c.amp().Working().at(0, a).Freq, before[static_cast<size_t>(a)].Freq);
  }

  // The graph's tools row opens the same window; closing it takes its curves off the graph.
  GraphTools* tools = r.c.eq().findChild<GraphTools*>("graphTools");
  QVERIFY(tools);
  QTest::mouseClick(tools->MeasureButton(), Qt::LeftButton);
  QCOMPARE(r.c.eq().findChildren<MeasureWindow*>().size(), 1);
  delete r.w;
  QVERIFY(GraphCurves(r.c).empty());
}

void MeasureWindowTest::levelCheckAndCancel() {
  Rig r;
  MeasureWindow& w = *r.w;
  auto* check = w.findChild<QPushButton*>("measureLevelCheck");
  QTest::mouseClick(check, Qt::LeftButton);
  QVERIFY(r.Done());
  const QString level = w.findChild<QLabel*>("measureLevelText")->text();
  QVERIFY2(level.contains("正常"), qPrintable(level));
  QVERIFY(w.findChild<QProgressBar*>("measureLevelMeter")->value() > -60);

  // A long measurement stops when cancelled; nothing is measured.
  w.findChild<QDoubleSpinBox*>("measureLength")->setValue(16);
  w.findChild<QSpinBox*>("measureRepeat")->setValue(16);
  QTest::mouseClick(w.MeasureButton(), Qt::LeftButton);
  QVERIFY(w.Working());
  QTest::mouseClick(w.CancelButton(), Qt::LeftButton);
  QVERIFY(r.Done());
  QCOMPARE(w.StatusText(), QString("已取消"));
  QVERIFY(!w.Measured().has_value());
  QVERIFY(w.MeasureButton()->isEnabled());
}

void MeasureWindowTest::filesAreRefusedOrLoaded() {
  Rig r;
  MeasureWindow& w = *r.w;
  const std::string bad = (Dir() + "/bad.txt").toStdString();
  std::ofstream(bad) << "* a file\n20 1\n40 2\n30 3\n";
  r.dialogs->answers.push_back(bad);
  QTest::mouseClick(w.findChild<QPushButton*>("measureLoad"), Qt::LeftButton);
  QVERIFY(!w.Measured().has_value());
  const std::vector<std::string> errors = r.c.messages.Texts(RecordingNotifier::Kind::Error);
  QVERIFY(!errors.empty());
  const std::string& said = errors.back();
  QVERIFY2(said.find("第 4 行") != std::string::npos && said.find("频率 30 不大于上一行的 40") != std::string::npos,
           said.c_str());

  // A measurement program's export with decimal commas loads, and the fit works on it.
  const std::string good = (Dir() + "/room.txt").toStdString();
  {
    std::ofstream out(good);
    out << "* Freq(Hz) SPL(dB) Phase(degrees)\n";
    for (int k = 0; k <= 480; ++k) {
      const double f = 20 * std::pow(1000.0, k / 480.0);
      const double db = 75 + 8 * std::exp(-std::pow(std::log2(f / 63) * 6, 2));
      out << QString::number(f, 'f', 6).replace('.', ',').toStdString() << " "
          << QString::number(db, 'f', 3).replace('.', ',').toStdString() << " 0,0\n";
    }
  }
  r.dialogs->answers.push_back(good);
  QTest::mouseClick(w.findChild<QPushButton*>("measureLoad"), Qt::LeftButton);
  QVERIFY(w.Measured().has_value());
  QCOMPARE(w.Measured()->size(), size_t(481));
  QTest::mouseClick(w.FitButton(), Qt::LeftButton);
  QVERIFY(r.Done());
  QVERIFY(w.Fit().has_value() && w.Fit()->ok);
  QVERIFY(w.Fit()->after.rmsDb < 0.5);
}

QTEST_MAIN(MeasureWindowTest)
#include "measure_window_test.moc"
