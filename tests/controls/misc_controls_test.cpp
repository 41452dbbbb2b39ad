// SPDX-License-Identifier: GPL-3.0-or-later
// The progress bar (limits, 16-bit maximum, fill and percentage from Value, drawing) and the
// graph's wheel hook (which notches become which keys, only over the graph itself, handed
// over by its one-shot timer, the wheel never passed on), the graph's view of a slider array,
// and the background layers controls capture (opaque or not, equal ones kept once).
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "controls/c_progressbar.h"
#include "controls/control_setup.h"
#include "controls/graph_wheel_hook.h"
#include "controls/mbtnflag.h"
#include "controls/mscrollbar.h"
#include "controls/parent_background.h"
#include "controls/slider_band_sink.h"
#include "graph/skin.h"
#include "test_support.h"

using namespace mirelune;
using namespace mirelune::controls;
using namespace mirelune::controls::testing;

namespace {

class CountingGraph : public QWidget {
 public:
  int wheels = 0;

 protected:
  void wheelEvent(QWheelEvent* e) override {
    ++wheels;
    e->accept();
  }
};

QRgb At(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }

// Same size, alpha and pixels within two levels per channel: what a gradient's spans round
// differently when drawn from another starting row.
bool Close(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return false;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      if (qAlpha(p) != qAlpha(q) || std::abs(qRed(p) - qRed(q)) > 2 || std::abs(qGreen(p) - qGreen(q)) > 2 ||
          std::abs(qBlue(p) - qBlue(q)) > 2)
        return false;
    }
  return true;
}

// A panel whose drawing differs at every pixel (a gradient each way, a caption, a line), and
// counts how often it was painted.
class PatternPanel : public QWidget {
 public:
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override {
    ++paints;
    QPainter g(this);
    QLinearGradient across(0, 0, width(), height());
    across.setColorAt(0, QColor(10, 200, 40));
    across.setColorAt(1, QColor(220, 20, 180, 120));
    g.fillRect(rect(), across);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(Qt::white, 1.5));
    g.drawLine(QPointF(3.5, 2.2), QPointF(width() - 4.3, height() - 1.7));
    g.drawText(QRect(5, 5, width() - 10, 20), Qt::AlignLeft, QStringLiteral("话筒 Mic 3"));
  }
};

}  // namespace

class MiscControlsTest : public QObject {
  Q_OBJECT

 private slots:
  void progressLimits();
  void progressFillAndPercent_data();
  void progressFillAndPercent();
  void progressDrawing();
  void graphWheelKeys_data();
  void graphWheelKeys();
  void graphWheelOverAChildIsDropped();
  void twipsToPixels();
  void bandSinkMapsSliderNumbers();
  void layersOpaqueOrNot();
  void equalLayersAreKeptOnce();
  void batchedCapturesEqualSingleOnes();
  void layersWaitForTheFirstShow();
};

void MiscControlsTest::progressLimits() {
  C_ProgressBar bar;
  bar.SetShowContent(1);  // the fill and the percentage follow Value
  bar.SetValue(150);
  QCOMPARE(bar.Value(), int16_t(100));
  bar.SetMaxValue(65536 + 50);  // the low 16 bits
  QCOMPARE(bar.MaxValueForTest(), int16_t(50));
  QCOMPARE(bar.Value(), int16_t(50));
  bar.SetMaxValue(40000);  // negative as 16 bits
  QCOMPARE(bar.MaxValueForTest(), int16_t(40000 - 65536));
  QCOMPARE(bar.FillLength(200), 0);
  QCOMPARE(bar.Percent(), 0);
  bar.SetMaxValue(0);  // no division by zero in the fill or the percentage
  QCOMPARE(bar.FillLength(200), 0);
  QCOMPARE(bar.Percent(), 0);
  bar.resize(200, 25);
  QVERIFY(!bar.grab().isNull());
}

void MiscControlsTest::progressFillAndPercent_data() {
  QTest::addColumn<int>("width");
  QTest::addColumn<int>("value");
  QTest::addColumn<int>("max");
  QTest::addColumn<int>("fill");
  QTest::addColumn<int>("percent");
  QTest::newRow("a quarter") << 200 << 25 << 100 << 50 << 25;
  QTest::newRow("nothing yet") << 200 << 0 << 100 << 0 << 0;
  QTest::newRow("done") << 525 << 100 << 100 << 525 << 100;
  QTest::newRow("a third, rounded") << 200 << 1 << 3 << 67 << 33;
}

void MiscControlsTest::progressFillAndPercent() {
  QFETCH(int, width);
  QFETCH(int, value);
  QFETCH(int, max);
  QFETCH(int, fill);
  QFETCH(int, percent);
  C_ProgressBar bar;
  bar.SetMaxValue(max);
  bar.SetValue(value);
  bar.SetShowContent(1);
  QCOMPARE(bar.FillLength(width), fill);
  QCOMPARE(bar.Percent(), percent);
  QCOMPARE(bar.Message(), QStringLiteral("执行保存, 完成%1%").arg(percent));
  // The waiting strip counts nothing: whatever Value holds, its gradient runs the full width.
  bar.SetShowContent(0);
  QCOMPARE(bar.FillLength(width), width);
  QCOMPARE(bar.Message(), QStringLiteral("正在同步数据, 请稍候..."));
}

void MiscControlsTest::progressDrawing() {
  C_ProgressBar bar;
  bar.resize(200, 25);
  // The normal use: shown with Value 0 while waiting - frame and the full red-to-blue fill.
  QImage img = bar.grab().toImage();
  QCOMPARE(At(img, 0, 0), 0xFFFF00u);       // frame
  QCOMPARE(At(img, 199, 12), 0xFFFF00u);
  QCOMPARE(At(img, 1, 22), 0xFF0000u);      // the gradient starts pure red
  QCOMPARE(At(img, 150, 22), 0x3E00C1u);    // i = 149 of 197 steps: (62, 0, 193)
  QCOMPARE(At(img, 198, 22), 0x0000FFu);    // and ends pure blue at the last step

  // Counting: the fill follows Value, grey beyond it.
  bar.SetShowContent(1);
  bar.SetValue(50);
  img = bar.grab().toImage();
  QCOMPARE(At(img, 1, 22), 0xFF0000u);
  const QRgb mid = At(img, 80, 22);         // i = 79 of 197 steps: red fading into blue
  QVERIFY(qRed(mid) > 100 && qBlue(mid) > 80 && qGreen(mid) == 0);
  QCOMPARE(At(img, 150, 22), 0xC0C0C0u);    // beyond the fill: grey
  bar.SetValue(0);
  img = bar.grab().toImage();
  QCOMPARE(At(img, 5, 22), 0xC0C0C0u);      // nothing done: all grey

  // The waiting message is drawn whole inside the frame, moved left of its usual start when the
  // bar is too short for it there; cut with "…" only when the bar cannot hold it at all.
  bar.SetShowContent(0);
  const auto lastTextColumn = [](const QImage& i) {
    int last = -1;
    for (int x = 1; x < i.width() - 1; ++x)
      for (int y = 1; y < 14; ++y)
        if (At(i, x, y) == 0x000000u) last = x;
    return last;
  };
  QFont font = bar.font();
  font.setBold(true);
  font.setPixelSize(12);
  const QFontMetricsF metrics(font);
  const qreal textWidth = metrics.horizontalAdvance(bar.Message());
  const int tight = static_cast<int>(textWidth) + 40;  // too short to start at its middle
  bar.resize(tight, 25);
  QCOMPARE(bar.MessageShown(metrics, tight), bar.Message());
  img = bar.grab().toImage();
  const int last = lastTextColumn(img);
  QVERIFY2(last > 0 && last < tight - 2, qPrintable(QString("text ends at %1 of %2").arg(last).arg(tight)));
  bar.resize(60, 25);
  QVERIFY(bar.MessageShown(metrics, 60).endsWith(QChar(0x2026)));
  img = bar.grab().toImage();
  QVERIFY(lastTextColumn(img) < 58);
}

void MiscControlsTest::graphWheelKeys_data() {
  QTest::addColumn<int>("delta");
  QTest::addColumn<int>("mods");
  QTest::addColumn<int>("buttons");
  QTest::addColumn<int>("key");
  QTest::newRow("towards the user: Down") << -120 << 0 << 0 << int(Qt::Key_Down);
  QTest::newRow("away: Up") << 120 << 0 << 0 << int(Qt::Key_Up);
  QTest::newRow("Ctrl towards: End") << -120 << int(Qt::ControlModifier) << 0 << int(Qt::Key_End);
  QTest::newRow("Ctrl away: Home") << 120 << int(Qt::ControlModifier) << 0 << int(Qt::Key_Home);
  QTest::newRow("Shift: dropped") << 120 << int(Qt::ShiftModifier) << 0 << 0;
  QTest::newRow("Ctrl+Shift: dropped")
      << 120 << int(Qt::ControlModifier | Qt::ShiftModifier) << 0 << 0;
  QTest::newRow("button held: dropped") << 120 << 0 << int(Qt::LeftButton) << 0;
  QTest::newRow("two notches: dropped") << -240 << 0 << 0 << 0;
}

void MiscControlsTest::graphWheelKeys() {
  QFETCH(int, delta);
  QFETCH(int, mods);
  QFETCH(int, buttons);
  QFETCH(int, key);
  Host host;
  auto* graph = new CountingGraph;
  graph->setParent(&host.window);
  graph->setGeometry(10, 10, 200, 100);
  graph->show();
  auto* hook = new GraphWheelHook(graph);
  QSignalSpy keys(hook, &GraphWheelHook::Key);

  SendWheel(graph, QPoint(50, 50), delta, Qt::KeyboardModifiers(mods),
            Qt::MouseButtons(buttons));
  QCOMPARE(graph->wheels, 0);  // never passed on
  QCOMPARE(keys.count(), 0);   // not inside the wheel message itself
  QCOMPARE(hook->Pending(), key != 0);
  QCOMPARE(hook->Timer().isActive(), key != 0);
  if (key) {
    QCOMPARE(hook->Timer().interval(), 10);
    QVERIFY(hook->Timer().isSingleShot());
  }
  hook->DeliverPending();  // the 10 ms timer fires
  QCOMPARE(keys.count(), key ? 1 : 0);
  if (key) QCOMPARE(keys.at(0).at(0).toInt(), key);
  QVERIFY(!hook->Timer().isActive());
  QVERIFY(!hook->Pending());
}

void MiscControlsTest::graphWheelOverAChildIsDropped() {
  Host host;
  auto* graph = new CountingGraph;
  graph->setParent(&host.window);
  graph->setGeometry(10, 10, 200, 100);
  auto* child = new QWidget(graph);  // like the progress bar lying on the graph
  child->setGeometry(0, 0, 80, 30);
  graph->show();
  auto* hook = new GraphWheelHook(graph);
  SendWheel(child, QPoint(10, 10), 120);  // the child does not take it; it reaches the graph
  QVERIFY(!hook->Pending());
  QCOMPARE(graph->wheels, 0);
  SendWheel(graph, QPoint(150, 80), 120);
  QVERIFY(hook->Pending());
}

void MiscControlsTest::twipsToPixels() {
  QCOMPARE(PixelRect({645, 2670, 645, 2670}), QRect(43, 178, 43, 178));
  QCOMPARE(PixelRect({2250, 600, 2250, 600}), QRect(150, 40, 150, 40));
  QCOMPARE(PixelRect({7875, 375, 7875, 375}), QRect(525, 25, 525, 25));
  QCOMPARE(PixelRect({5670, 22, 37, 1}), QRect(378, 1, 2, 0));  // 1.47 -> 1, 2.47 -> 2
}

void MiscControlsTest::bandSinkMapsSliderNumbers() {
  SliderSetup strip;
  strip.ScrollBarType = 1;
  MScrollBar master(SliderSetup{}, nullptr);
  MScrollBar first(strip, nullptr);
  MScrollBar second(strip, nullptr);
  master.SetAddr(2560);
  first.SetAddr(0);
  second.SetAddr(1);
  // Slider n is element n of the window's array; element 0 can never be a band's slider.
  SliderBandSink sink({&master, &first, nullptr, &second});
  QCOMPARE(sink.SliderCount(), 3);
  QCOMPARE(sink.SliderAddr(0), -1);
  QCOMPARE(sink.SliderAddr(2), -1);
  QCOMPARE(sink.SliderAddr(4), -1);
  QCOMPARE(sink.FindSlider(1), 3);
  QCOMPARE(sink.FindSlider(2560), 0);

  sink.SetEqIndexText(3, "7");
  QCOMPARE(second.EQindex(), QStringLiteral("7"));
  QCOMPARE(sink.EqIndexText(3), std::string("7"));
  sink.SetBandFace(3, BandFace{200, 30, 12, 2, kTrue});
  QCOMPARE(second.Freq(), 200);
  QCOMPARE(second.q(), 30);
  QCOMPARE(second.sQ(), 12);
  QCOMPARE(second.QType(), 2);
  QVERIFY(second.EQdisabled());
  sink.SetSliderValue(3, 300);
  QCOMPARE(second.Value(), 300.0f);
  sink.SetBandPosition(3, 210, 31, 13);
  QCOMPARE(second.Freq(), 210);
  QCOMPARE(second.QType(), 2);  // a drag keeps the shape and the bypass
  QVERIFY(second.EQdisabled());
  sink.SetForceShowFocus(3, true);
  QVERIFY(second.ForceShowFocus());
  QVERIFY(!first.ForceShowFocus());
  sink.SetSliderValue(2, 100);  // unbound number: nothing happens
  QCOMPARE(first.Value(), 250.0f);
}

namespace {
QImage Layer(QSize size, QRgb fill) {
  QImage img(size, QImage::Format_ARGB32_Premultiplied);
  img.fill(fill);
  return img;
}
}  // namespace

void MiscControlsTest::layersOpaqueOrNot() {
  QImage oneClear = Layer(QSize(20, 30), qRgb(30, 34, 40));
  oneClear.setPixel(19, 29, qRgba(0, 0, 0, 0));
  QImage oneTranslucent = Layer(QSize(20, 30), qRgb(30, 34, 40));
  oneTranslucent.setPixel(0, 0, qPremultiply(qRgba(30, 34, 40, 254)));
  QImage rgb(20, 30, QImage::Format_RGB32);
  rgb.fill(Qt::black);
  const struct {
    const char* what;
    QImage image;
    bool opaque;
  } cases[] = {{"opaque", Layer(QSize(20, 30), qRgb(30, 34, 40)), true},
               {"last pixel clear", oneClear, false},
               {"first pixel translucent", oneTranslucent, false},
               {"no alpha channel", rgb, true},
               {"null", QImage(), false}};
  for (const auto& c : cases) QVERIFY2(FullyOpaque(c.image) == c.opaque, c.what);
}

void MiscControlsTest::equalLayersAreKeptOnce() {
  const QImage a = ShareEqualLayer(Layer(QSize(40, 60), qRgb(20, 22, 27)));
  const QImage b = ShareEqualLayer(Layer(QSize(40, 60), qRgb(20, 22, 27)));
  QCOMPARE(b.constBits(), a.constBits());  // one copy for both
  QImage differs = Layer(QSize(40, 60), qRgb(20, 22, 27));
  differs.setPixel(39, 59, qRgb(21, 22, 27));
  QVERIFY(ShareEqualLayer(differs).constBits() != a.constBits());
  QVERIFY(ShareEqualLayer(Layer(QSize(60, 40), qRgb(20, 22, 27))).constBits() != a.constBits());
  // Painting on a shared layer changes that one only.
  QImage painted = b;
  painted.setPixel(0, 0, qRgb(255, 0, 0));
  QCOMPARE(a.pixel(0, 0), qRgb(20, 22, 27));
  QCOMPARE(ShareEqualLayer(Layer(QSize(40, 60), qRgb(20, 22, 27))).constBits(), a.constBits());
}

// Controls that take their layers one after another inside a batch get what each would have
// captured alone (a gradient's spans may round a level differently where a render starts), wherever they stand (inside, across an edge, outside), while the panel
// is painted once per band of rows instead of once per control.
void MiscControlsTest::batchedCapturesEqualSingleOnes() {
  QWidget host;  // the panels of the windows are children, as here
  auto& panel = *new PatternPanel;
  panel.setParent(&host);
  panel.setGeometry(5, 5, 300, 200);
  const QRect places[] = {{10, 40, 43, 120}, {60, 40, 43, 120}, {250, 40, 43, 120},  // a row of strips
                          {280, 150, 40, 30},   // across the right edge
                          {-10, -8, 30, 20},    // across the top-left corner
                          {20, 185, 50, 30},    // across the bottom
                          {400, 20, 20, 20},    // outside
                          {100, 45, 16, 16}};   // inside the strips' rows
  std::vector<QWidget*> controls;
  for (const QRect& r : places) {
    auto* c = new QWidget(&panel);
    c->setGeometry(r);
    controls.push_back(c);
  }
  std::vector<QImage> alone;
  for (QWidget* c : controls) alone.push_back(RenderParentBackground(*c));
  const int paintsAlone = panel.paints;
  panel.paints = 0;
  {
    ParentBackgroundBatch batch;
    for (size_t i = 0; i < controls.size(); ++i) {
      const QImage batched = RenderParentBackground(*controls[i]);
      QVERIFY2(Close(batched, alone[i]), qPrintable(QString("control %1").arg(i)));
    }
  }
  QCOMPARE(paintsAlone, static_cast<int>(std::size(places)));
  QVERIFY2(panel.paints <= 5, qPrintable(QString("%1 paints in the batch").arg(panel.paints)));
  // After the batch each capture paints again: the panel may have changed by then.
  panel.paints = 0;
  QVERIFY(Close(RenderParentBackground(*controls[0]), alone[0]));
  QCOMPARE(panel.paints, 1);
}

// Asked for their layers before their window ever showed (and while a LayersAtFirstShow lives),
// controls render nothing then and take their layers when the window shows: in a batch, one
// render of the panel for the row. Outside the scope, or once shown, they take them at once.
void MiscControlsTest::layersWaitForTheFirstShow() {
  skin::LoadSkin();
  QWidget host;
  host.resize(320, 220);
  auto* panel = new PatternPanel;
  panel->setParent(&host);
  panel->setGeometry(0, 0, 300, 200);
  std::vector<MBtnFlag*> row;
  for (int i = 0; i < 3; ++i) {
    auto* b = new MBtnFlag(FlagSetup{}, nullptr, panel);
    b->move(10 + 60 * i, 50);
    row.push_back(b);
  }
  auto wait = std::make_unique<LayersAtFirstShow>();
  for (MBtnFlag* b : row) b->BkGround_Init();
  QCOMPARE(panel->paints, 0);
  {
    ParentBackgroundBatch batch;
    host.show();
  }
  QCOMPARE(panel->paints, 1);
  // Shown: taken at once, scope or not.
  row[0]->BkGround_Init();
  QCOMPARE(panel->paints, 2);
  wait.reset();
  // Without the scope a hidden window's control takes its layer when asked, as always.
  QWidget hidden;
  auto* other = new PatternPanel;
  other->setParent(&hidden);
  other->resize(100, 100);
  (new MBtnFlag(FlagSetup{}, nullptr, other))->BkGround_Init();
  QCOMPARE(other->paints, 1);
}

QTEST_MAIN(MiscControlsTest)
#include "misc_controls_test.moc"
