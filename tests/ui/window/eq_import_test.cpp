// SPDX-License-Identifier: GPL-3.0-or-later
// The frame's "EQ 导入…" and "EQ 导出…" on the virtual amplifier in virtual time, through the
// menu actions with scripted file dialogs: the preview, what the store, the graph and the
// amplifier's working set hold afterwards, the undo step, the slot rule of a page common to both
// sound modes, a refused file, and an export imported again.
#include <QTest>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "tests/ui/modal_script.h"
#include "controls/mbtnflag.h"
#include "link/frame_codec.h"
#include "model/filter_set.h"
#include "platform/scripted_file_dialogs.h"
#include "model/value_text.h"
#include "ui/window/eq_filter_actions.h"
#include "ui/look/language.h"
#include "ui/tuning/mode_controls.h"
#include "ui/pages/system_buttons_table.h"
#include "ui/tuning/tool_bar.h"
#include "tests/ui/console_fixture.h"

using namespace mirelune;
using namespace mirelune::ui;
using namespace mirelune::ui::testing;
using mirelune::testing_support::ModalScript;

namespace {

// A measurement program's export: five filters the bands have, an empty slot and a high-pass.
const char kRewFile[] =
    "Filter Settings file\r\n\r\nRoom EQ V5.20\r\nDated: 12-Mar-2024 10:42:25\r\n\r\n"
    "Notes: listening position\r\n\r\nEqualiser: Generic\r\n"
    "Filter  1: ON  PK       Fc   41.5 Hz  Gain  -7.5 dB  Q  4.321\r\n"
    "Filter  2: ON  PK       Fc   63.0 Hz  Gain  -3.0 dB  Q  2.00\r\n"
    "Filter  3: ON  LSC      Fc    120 Hz  Gain   4.0 dB  Q  0.65\r\n"
    "Filter  4: OFF None\r\n"
    "Filter  5: ON  PK       Fc    187 Hz  Gain  -5.2 dB  Q  7.75\r\n"
    "Filter  6: ON  HP       Fc     25 Hz\r\n"
    "Filter  7: ON  HS 12dB  Fc   8000 Hz  Gain  -2.0 dB\r\n";

QString Dir() {
  const QByteArray tmp = qgetenv("MIRELUNE_TEST_TMP");
  const QString dir = (tmp.isEmpty() ? QString(MIRELUNE_BUILD_DIR) + "/test-tmp" : QString(tmp)) + "/eq_import";
  QDir().mkpath(dir);
  return dir;
}

std::string WriteFile(const QString& name, const std::string& text) {
  const std::string path = (Dir() + "/" + name).toStdString();
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Addresses of the SetParam frames the amplifier received from `from` on.
std::vector<int> SetParamAddresses(VirtualAmplifier& amp, size_t from) {
  std::vector<int> out;
  const auto& log = amp.CommandLog();
  for (size_t i = from; i < log.size(); ++i)
    if (log[i].size() > 5 && log[i][1] == SetParam) out.push_back(log[i][3] * 256 + log[i][4]);
  return out;
}

struct Rig {
  Console c;
  ScriptedFileDialogs* dialogs = nullptr;

  Rig() {
    QVERIFY(c.Synced());
    auto d = std::make_unique<ScriptedFileDialogs>();
    dialogs = d.get();
    c.frame->SetFileDialogs(std::move(d));
  }
  void Settle() { c.RunUntil([] { return false; }, 300); }
  // Triggers "EQ 导入…" with `path` chosen; `act` handles the preview.
  int Import(const std::string& path, const std::function<void(EqImportPreview&)>& act) {
    dialogs->answers.push_back(path);
    ModalScript<EqImportPreview> script(act);
    c.frame->MenuItem("CmdEqImport")->trigger();
    Settle();
    return script.Shown();
  }
  std::string Export(const QString& name, int format) {
    const std::string path = (Dir() + "/" + name).toStdString();
    QFile::remove(QString::fromStdString(path));
    dialogs->answers.push_back(path);
    dialogs->filterAnswers.push_back(format);
    c.frame->MenuItem("CmdEqExport")->trigger();
    Settle();
    return ReadFile(path);
  }
  // The page's EQ band records of one slot.
  std::vector<ParamRecord> Bands(int slot, int first, int count) {
    std::vector<ParamRecord> out;
    for (int a = first; a < first + count; ++a) out.push_back(c.store().ParamTable.at(slot, a));
    return out;
  }
};

void Apply(EqImportPreview& d) { d.ApplyButton()->click(); }

}  // namespace

class EqImportTest : public QObject {
  Q_OBJECT

 private slots:
  void importPreviewsAppliesAsOneUndoStepAndSends();
  void exportAfterImportGivesTheSameBands();
  void badFileIsRefusedBeforeAnythingChanges();
  void commonPageWritesBothSoundModesAndCancelKeepsAll();
  void lockedGraphRefusesTheImport();
  void englishPreviewAndExportNearTwentyKilohertz();
  void cleanupTestCase() { InstallLanguage(Language::Chinese); }
};

// Page 0 in singing mode: the preview reports every filter of the file, "应用" writes the bands
// of the graph, which shows them, sends the changed ones to the amplifier, and one undo brings
// the old bands back on both.
void EqImportTest::importPreviewsAppliesAsOneUndoStepAndSends() {
  Rig r;
  Console& c = r.c;
  const std::string path = WriteFile("room.txt", kRewFile);
  const std::vector<ParamRecord> before0 = r.Bands(0, 0, 15);
  const std::vector<ParamRecord> before1 = r.Bands(1, 0, 15);
  const size_t logStart = c.amp().CommandLog().size();

  int rows = 0;
  QString summary, hpResult;
  const int shown = r.Import(path, [&](EqImportPreview& d) {
    rows = d.Report()->rowCount();
    summary = d.Summary()->text();
    hpResult = d.Report()->item(5, 4)->text();
    QVERIFY(!d.findChild<QWidget*>("eqPreviewPlot")->toolTip().isEmpty());
    QVERIFY(!d.ApplyButton()->toolTip().isEmpty());
    // For a look by eye.
    d.grab().save(QString(MIRELUNE_BUILD_DIR) + "/ui-eq-import-preview.png");
    Apply(d);
  });
  QCOMPARE(shown, 1);
  QCOMPARE(r.dialogs->asked.back(), std::string("导入EQ滤波器文件"));
  QVERIFY(r.dialogs->askedFilters.back().find("*.txt") != std::string::npos);
  QCOMPARE(rows, 7);
  QVERIFY2(summary.contains("放置 5 个滤波器") && summary.contains("1 项未放置"), qPrintable(summary));
  QVERIFY2(hpResult.contains("HP"), qPrintable(hpResult));

  // Frequency order onto bands 0..4, each at the nearest table value; the rest flat.
  struct Want {
    int freq, gain, q, sq, qtype;
  };
  const Want want[] = {{40, 175, 41, -1, 0}, {61, 220, 28, -1, 0}, {95, 290, -1, -1, 1}, {-1, 198, -1, -1, 0},
                       {313, 230, -1, 16, 2}};
  const ResponseModel& graph = c.graph().model();
  for (int k = 0; k < 15; ++k) {
    const ParamRecord& s = c.store().ParamTable.at(0, k);
    const Want w = k < 5 ? want[k] : Want{-1, kGainZero, -1, -1, -1};
    if (w.freq >= 0) QCOMPARE(s.Freq, w.freq);
    QCOMPARE(s.Gain, w.gain);
    if (w.q >= 0) QCOMPARE(s.Q, w.q);
    if (w.sq >= 0) QCOMPARE(s.SQ, w.sq);
    if (w.qtype >= 0) QCOMPARE(int(s.QType), w.qtype);
    // The graph shows the store, and the amplifier holds it.
    QCOMPARE(graph.Band(k).Freq, s.Freq);
    QCOMPARE(graph.Band(k).Gain, s.Gain);
    QCOMPARE(graph.Band(k).QType, int(s.QType));
    QCOMPARE(c.amp().Working().at(0, k).Gain, s.Gain);
    QCOMPARE(c.amp().Working().at(0, k).Freq, s.Freq);
    QCOMPARE(c.amp().Working().at(0, k).SQ, s.SQ);
    // Page 0 has its own bands in each sound mode: dance mode keeps its own.
    QVERIFY(c.store().ParamTable.at(1, k) == before1[static_cast<size_t>(k)]);
  }
  // Exactly the bands that changed were sent, once each - bands 14 and 15 among them (the
  // start-up content's +5 dB on band 15 is flattened).
  QCOMPARE(c.store().ParamTable.at(0, 14).Gain, kGainZero);
  std::vector<int> changed;
  for (int k = 0; k < 15; ++k)
    if (!(c.store().ParamTable.at(0, k) == before0[static_cast<size_t>(k)])) changed.push_back(k);
  QCOMPARE(SetParamAddresses(c.amp(), logStart), changed);

  // One undo step: the old bands come back in the store, on the graph and on the amplifier.
  QCOMPARE(c.session->history().UndoPos, 0);
  QTest::mouseClick(c.eq().Tools()->UndoButton(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  r.Settle();
  QVERIFY(r.Bands(0, 0, 15) == before0);
  for (int k = 0; k < 15; ++k) {
    QCOMPARE(c.amp().Working().at(0, k).Gain, before0[static_cast<size_t>(k)].Gain);
    QCOMPARE(graph.Band(k).Gain, before0[static_cast<size_t>(k)].Gain);
  }
}

// The page exported in either format and imported again sets the same bands: nothing changes,
// nothing is sent, no undo step is taken. REW's text lists every band, Equalizer APO's the five
// in use.
void EqImportTest::exportAfterImportGivesTheSameBands() {
  Rig r;
  Console& c = r.c;
  r.Import(WriteFile("room.txt", kRewFile), Apply);
  const std::vector<ParamRecord> imported = r.Bands(0, 0, 15);
  QCOMPARE(c.session->history().UndoPos, 0);

  const std::string rew = r.Export("export-rew.txt", 0);
  const std::string apo = r.Export("export-apo.txt", 1);
  QCOMPARE(r.dialogs->asked.back(), std::string("导出EQ滤波器文件"));
  QVERIFY(r.dialogs->askedFilters.back().find("REW") != std::string::npos);
  QVERIFY(r.dialogs->askedFilters.back().find("Equalizer APO") != std::string::npos);
  QCOMPARE(c.messages.Texts(RecordingNotifier::Kind::Information).size(), size_t(2));
  QVERIFY(rew.rfind("Filter Settings file\n", 0) == 0);
  QCOMPARE(int(std::count(rew.begin(), rew.end(), '\n')), 2 + 15);  // every band of the page
  QVERIFY(rew.find("Filter  1: ON  PK       Fc   41.7 Hz  Gain  -7.5 dB  Q  4.20\n") != std::string::npos);
  QCOMPARE(int(std::count(apo.begin(), apo.end(), '\n')), 5);
  QVERIFY(apo.find("None") == std::string::npos);

  for (const char* name : {"export-rew.txt", "export-apo.txt"}) {
    const size_t logStart = c.amp().CommandLog().size();
    r.Import((Dir() + "/" + name).toStdString(), Apply);
    QVERIFY(r.Bands(0, 0, 15) == imported);
    QVERIFY(SetParamAddresses(c.amp(), logStart).empty());
    QCOMPARE(c.session->history().UndoPos, 0);
  }
}

// A file with a malformed line is refused with the line's number and text: no preview, nothing
// written, nothing sent.
void EqImportTest::badFileIsRefusedBeforeAnythingChanges() {
  Rig r;
  Console& c = r.c;
  std::string text = kRewFile;
  text.replace(text.find("Gain  -3.0 dB"), 13, "Gain  -3.0x dB");
  const std::vector<ParamRecord> before = r.Bands(0, 0, 15);
  const size_t logStart = c.amp().CommandLog().size();
  QCOMPARE(r.Import(WriteFile("bad.txt", text), Apply), 0);
  const auto errors = c.messages.Texts(RecordingNotifier::Kind::Error);
  QCOMPARE(errors.size(), size_t(1));
  const QString e = QString::fromStdString(errors[0]);
  QVERIFY2(e.contains("bad.txt") && e.contains("第 10 行") && e.contains("Gain  -3.0x dB") && e.contains("-3.0x"),
           qPrintable(e));
  QVERIFY(r.Bands(0, 0, 15) == before);
  QVERIFY(SetParamAddresses(c.amp(), logStart).empty());
  QCOMPARE(c.session->history().UndoPos, -1);
}

// On microphones 1/2, whose bands are common to both sound modes, the bands are written into
// both slots; a cancelled preview first changes nothing.
void EqImportTest::commonPageWritesBothSoundModesAndCancelKeepsAll() {
  Rig r;
  Console& c = r.c;
  QTest::mouseClick(c.eq().PageButton(1), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  r.Settle();
  QCOMPARE(c.store().CurrentPage, 1);
  const std::string path = WriteFile("mic.txt", "Filter: ON PK Fc 3150 Hz Gain -4.5 dB Q 3\n"
                                                "Filter: ON PK Fc 200 Hz Gain 2 dB BW Oct 1\n");
  const std::vector<ParamRecord> before = r.Bands(0, 257, 13);
  const size_t logStart = c.amp().CommandLog().size();
  QCOMPARE(r.Import(path, [](EqImportPreview& d) { d.findChild<QPushButton*>("eqPreviewCancel")->click(); }), 1);
  QVERIFY(r.Bands(0, 257, 13) == before);
  QVERIFY(SetParamAddresses(c.amp(), logStart).empty());
  QCOMPARE(c.session->history().UndoPos, -1);

  QCOMPARE(r.Import(path, Apply), 1);
  const ParamRecord& low = c.store().ParamTable.at(0, 257);
  const ParamRecord& high = c.store().ParamTable.at(0, 258);
  QCOMPARE(low.Gain, 270);
  QCOMPARE(high.Gain, 205);
  QCOMPARE(high.Q, QToIndex(3.0f));
  for (int a = 257; a < 270; ++a) {
    QVERIFY(c.store().ParamTable.at(1, a) == c.store().ParamTable.at(0, a));
    QCOMPARE(c.amp().Working().at(0, a).Gain, c.store().ParamTable.at(0, a).Gain);
  }
  QCOMPARE(c.graph().model().Band(1).Gain, 205);
}

// While the sub-woofer automatic control locks the per-mode bands of page 0, the import warns and
// asks for no file.
void EqImportTest::lockedGraphRefusesTheImport() {
  Rig r;
  Console& c = r.c;
  QTest::mouseClick(c.eq().Modes()->Button(SystemButtonGroup::BassAutoPair, 1), Qt::LeftButton, Qt::NoModifier,
                    QPoint(8, 8));
  r.Settle();
  QVERIFY(c.graph().model().Locked());
  const std::vector<ParamRecord> before = r.Bands(0, 0, 15);
  QCOMPARE(r.Import(WriteFile("room.txt", kRewFile), Apply), 0);
  QVERIFY(r.dialogs->asked.empty());
  QCOMPARE(c.messages.Texts(RecordingNotifier::Kind::Warning).size(), size_t(1));
  QVERIFY(r.Bands(0, 0, 15) == before);
}

// The English console: the preview and the export speak English only, no text of the preview
// is wider than its place, and the report's numbers near 20 kHz are the band's own (as its strip
// shows them), the out-of-range one refused with its range.
void EqImportTest::englishPreviewAndExportNearTwentyKilohertz() {
  QVERIFY(InstallLanguage(Language::English));
  Rig r;
  Console& c = r.c;
  const char file[] =
      "Filter Settings file\r\n\r\n"
      "Filter  1: ON  PK       Fc  19950 Hz  Gain  -3.0 dB  Q  2.00\r\n"
      "Filter  2: ON  HS       Fc  20000 Hz  Gain   2.0 dB\r\n"
      "Filter  3: ON  PK       Fc  21000 Hz  Gain   1.0 dB  Q  1.00\r\n";
  const QRegularExpression chinese(QStringLiteral("[\\x{4e00}-\\x{9fff}]"));
  QStringList texts, clipped;
  const int shown = r.Import(WriteFile("near-20k.txt", file), [&](EqImportPreview& d) {
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    texts << d.windowTitle();
    for (QLabel* l : d.findChildren<QLabel*>()) {
      texts << l->text();
      if (l->wordWrap() || !l->isVisible()) continue;
      for (const QString& line : l->text().split('\n'))
        if (l->fontMetrics().horizontalAdvance(line) > l->contentsRect().width()) clipped << line;
    }
    for (QPushButton* b : d.findChildren<QPushButton*>()) {
      texts << b->text() << b->toolTip();
      if (b->isVisible() && b->fontMetrics().horizontalAdvance(b->text()) > b->width()) clipped << b->text();
    }
    QTableWidget* t = d.Report();
    for (int col = 0; col < t->columnCount(); ++col) {
      texts << t->horizontalHeaderItem(col)->text();
      for (int row = 0; row < t->rowCount(); ++row) {
        const QString cell = t->item(row, col)->text();
        texts << cell;
        if (t->fontMetrics().horizontalAdvance(cell) + 6 > t->columnWidth(col)) clipped << cell;
      }
    }
    d.grab().save(QString(MIRELUNE_BUILD_DIR) + "/ui-eq-import-preview-en.png");
    // Row order is the file's: the placed bands' texts give the strips' own frequencies.
    const int f1 = NearestFreqIndex(19950, 1, 361), f2 = NearestFreqIndex(20000, 1, 361);
    // Columns: filter, asked, set, largest difference, result.
    QVERIFY2(t->item(0, 2)->text().contains(" " + QString::fromStdString(FrequencyNumber(f1)) + " Hz"),
             qPrintable(t->item(0, 2)->text()));
    QVERIFY2(t->item(1, 2)->text().contains(" " + QString::fromStdString(FrequencyNumber(f2)) + " Hz"),
             qPrintable(t->item(1, 2)->text()));
    QVERIFY2(t->item(0, 1)->text().contains("19950 Hz"), qPrintable(t->item(0, 1)->text()));
    QVERIFY2(t->item(0, 2)->text().startsWith("Band 1: PK "), qPrintable(t->item(0, 2)->text()));
    const QString refused = t->item(2, 4)->text();
    QVERIFY2(refused.contains("21000 Hz") && refused.contains("20200 Hz"), qPrintable(refused));
    Apply(d);
  });
  QCOMPARE(shown, 1);
  QCOMPARE(r.dialogs->asked.back(), std::string("Import an EQ filter file"));
  for (const QString& t : texts) QVERIFY2(!t.contains(chinese), qPrintable(t));
  QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(" | ")));

  const std::string rew = r.Export("near-20k-rew.txt", 0);
  QCOMPARE(r.dialogs->asked.back(), std::string("Export an EQ filter file"));
  QVERIFY(r.dialogs->askedFilters.back().find("REW") != std::string::npos);
  const auto info = c.messages.Texts(RecordingNotifier::Kind::Information);
  QVERIFY(!info.empty());
  QVERIFY2(!QString::fromStdString(info.back()).contains(chinese), info.back().c_str());
  QVERIFY2(rew.find("Fc  " + FrequencyNumber(NearestFreqIndex(19950, 1, 361)) + " Hz") != std::string::npos ||
               rew.find("Fc " + FrequencyNumber(NearestFreqIndex(19950, 1, 361)) + " Hz") != std::string::npos,
           rew.c_str());
}

QTEST_MAIN(EqImportTest)
#include "eq_import_test.moc"
