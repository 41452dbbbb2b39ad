// SPDX-License-Identifier: GPL-3.0-or-later
// What the console repaints: a drag on the graph repaints the part of the graph the moving band
// and the sum sweep, and a console left alone repaints nothing and sends only the link's
// keep-alive byte.
#include <QApplication>
#include <QPaintEvent>
#include <QScreen>
#include <QWindow>
#include <QTest>

#include <map>
#include <set>

#include "tests/ui/console_fixture.h"
#include "controls/mscrollbar.h"
#include "sim/virtual_amplifier.h"

using namespace mirelune;
using namespace mirelune::ui;
using namespace mirelune::ui::testing;

namespace {

// Paint events of every widget of the application, by object name (class name when unnamed).
struct PaintLog : QObject {
  PaintLog() { qApp->installEventFilter(this); }
  ~PaintLog() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Paint) {
      const QString name = o->objectName().isEmpty() ? o->metaObject()->className() : o->objectName();
      ++count[name];
      painted.insert(o);
      if (o->objectName() == "Picture1") {
        const QRegion r = static_cast<QPaintEvent*>(e)->region();
        for (const QRect& q : r) graphArea += static_cast<long>(q.width()) * q.height();
      }
    }
    return false;
  }
  QString Names() const {
    QStringList out;
    for (const auto& [name, n] : count) out << QString("%1 x%2").arg(name).arg(n);
    return out.join(", ");
  }
  std::map<QString, int> count;
  std::set<QObject*> painted;
  long graphArea = 0;
};

// Virtual time with the window system's events delivered between timers, as the event loop does.
void Run(Console& c, int ms) {
  const int64_t end = c.scheduler.NowMs() + ms;
  QCoreApplication::processEvents();
  while (c.scheduler.NowMs() < end) {
    c.scheduler.RunFor(std::min<int64_t>(10, end - c.scheduler.NowMs()));
    QCoreApplication::processEvents();
  }
}

}  // namespace

class RepaintTest : public QObject {
  Q_OBJECT
 private slots:
  void aDragRepaintsOnlyWhatMoves();
  void aStepReachesTheScreenWithItsStrip_data();
  void aStepReachesTheScreenWithItsStrip();
  void aConsoleLeftAloneRepaintsNothing();
};

// The pointer on the frame's top-level window, as the window system delivers it: press on a
// band's marker, move in steps, release. Each move repaints a part of the graph only, and what
// reaches the screen is the frame drawn whole.
void RepaintTest::aDragRepaintsOnlyWhatMoves() {
  Console c;
  QVERIFY(c.Synced());
  // The tuning window as on a 1920 x 1080 screen.
  c.frame->resize(1760, 1000);
  c.frame->tuningWindow()->setGeometry(67, 37, 1610, 893);
  Run(c, 8000);
  GraphWidget& g = c.graph();
  QCOMPARE(g.size(), QSize(1595, 538));
  ResponseModel& m = g.model();
  QWindow* window = c.frame->windowHandle();
  const MarkerPos marker = m.Marker(6);
  const QPoint start = g.mapTo(c.frame.get(), QPoint(qRound(marker.x), qRound(marker.y)));
  QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, start);
  Run(c, 5);
  QCOMPARE(m.SelectedBand(), 6);
  const long whole = 1595L * 538;
  PaintLog log;
  int moves = 0;
  for (int i = 1; i <= 30; ++i) {
    log.graphArea = 0;
    QTest::mouseMove(window, start + QPoint(7 * i, -3 * i));
    Run(c, 5);
    ++moves;
    QVERIFY2(log.graphArea > 0, "a move did not reach the screen");
    QVERIFY2(log.graphArea < whole / 3, qPrintable(QString("move %1 repainted %2 px").arg(i).arg(log.graphArea)));
  }
  // Nothing else than the graph and the dragged band's strip: a strip's repaint leaves the panel
  // under it, captions and all, as it was.
  int strips = 0;
  for (QObject* o : log.painted) {
    if (o == &g) continue;
    QVERIFY2(qobject_cast<controls::MScrollBar*>(o), qPrintable("repainted in the drag: " + log.Names()));
    ++strips;
  }
  QCOMPARE(strips, 1);
  QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, start + QPoint(7 * moves, -3 * moves));
  Run(c, 5);
  QVERIFY(m.Band(6).Freq != 0);
  // The screen holds what a whole frame shows.
  const QPoint at = g.mapTo(c.frame.get(), QPoint(0, 0));
  const QImage screen = window->screen()->grabWindow(c.frame->winId(), at.x(), at.y(), g.width(), g.height())
                            .toImage()
                            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const QImage drawn = g.view().RenderWhole();
  QCOMPARE(screen.size(), drawn.size());
  // The graph's own child widgets (its tools in the corner) lie over the frame: not compared.
  QRegion covered;
  for (QWidget* child : g.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    if (child->isVisible()) covered += child->geometry();
  int differing = 0;
  for (int y = 0; y < drawn.height(); ++y)
    for (int x = 0; x < drawn.width(); ++x)
      if (!covered.contains(QPoint(x, y))) differing += (screen.pixel(x, y) != drawn.pixel(x, y));
  QCOMPARE(differing, 0);
  // The amplifier has the band where the graph shows it.
  const int addr = m.Band(6).Addr;
  QCOMPARE(c.amp().Working().at(0, addr).Freq, m.Band(6).Freq);
  QCOMPARE(c.amp().Working().at(0, addr).Gain, m.Band(6).Gain);
}

// A pointer move or an arrow key changes the band's strip at once and the graph after its draw
// timer; the window's repaint for the strip draws the graph first, so both reach the screen in
// the one repaint, before any time has passed.
void RepaintTest::aStepReachesTheScreenWithItsStrip_data() {
  QTest::addColumn<bool>("pointer");
  QTest::newRow("pointer move of a drag") << true;
  QTest::newRow("Up key on the selected band") << false;
}

void RepaintTest::aStepReachesTheScreenWithItsStrip() {
  QFETCH(bool, pointer);
  Console c;
  QVERIFY(c.Synced());
  Run(c, 8000);
  GraphWidget& g = c.graph();
  ResponseModel& m = g.model();
  QWindow* window = c.frame->windowHandle();
  const MarkerPos marker = m.Marker(6);
  const QPoint start = g.mapTo(c.frame.get(), QPoint(qRound(marker.x), qRound(marker.y)));
  QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, start);
  if (!pointer) QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, start);
  Run(c, 1000);
  QCOMPARE(m.SelectedBand(), 6);
  const int32_t gainBefore = m.Band(6).Gain;
  const std::vector<float> sumBefore(m.Sum(), m.Sum() + m.Geometry().Points());
  PaintLog log;
  if (pointer)
    QTest::mouseMove(window, start + QPoint(40, -30));
  else
    QTest::keyClick(window, Qt::Key_Up);
  const int64_t now = c.scheduler.NowMs();
  QCoreApplication::processEvents();
  QCOMPARE(c.scheduler.NowMs(), now);  // no timer ran: only the window's own events
  QVERIFY(m.Band(6).Gain > gainBefore);
  QVERIFY(!std::equal(sumBefore.begin(), sumBefore.end(), m.Sum()));
  int strips = 0;
  for (QObject* o : log.painted) strips += qobject_cast<controls::MScrollBar*>(o) != nullptr;
  QCOMPARE(strips, 1);
  QVERIFY2(log.graphArea > 0, qPrintable("the graph waited for its timer; painted: " + log.Names()));
  // What reached the screen is the new frame: the graph has nothing left to draw.
  const long painted = log.graphArea;
  Run(c, 20);
  QCOMPARE(log.graphArea, painted);
  // And the band went to the amplifier from that draw.
  QCOMPARE(c.amp().Working().at(0, m.Band(6).Addr).Gain, m.Band(6).Gain);
}

void RepaintTest::aConsoleLeftAloneRepaintsNothing() {
  Console c;
  QVERIFY(c.Synced());
  Run(c, 8000);  // the start-up read shown, the graph's fade and blink come to rest
  PaintLog log;
  const size_t framesBefore = c.amp().CommandLog().size();
  const int syncsBefore = c.amp().SyncBytesReceived();
  Run(c, 20000);
  QVERIFY2(log.count.empty(), qPrintable(log.Names()));
  QCOMPARE(c.amp().CommandLog().size(), framesBefore);
  QVERIFY(c.amp().SyncBytesReceived() - syncsBefore <= 21);  // the keep-alive, once a second
  QVERIFY(c.link().Online);
}

QTEST_MAIN(RepaintTest)
#include "repaint_test.moc"
