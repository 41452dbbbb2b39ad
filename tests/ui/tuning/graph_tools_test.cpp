// SPDX-License-Identifier: GPL-3.0-or-later
// The graph's tools as a user reaches them: the comparison menu draws the other sound mode, the
// factory defaults, a file and the amplifier's last report under the editable curves, each its
// own colour with a legend; the phase button adds the sum's phase and hovering tells the
// selected band's own. Pictures of both go to the build folder.
#include <QAction>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

#include "controls/mbtnflag.h"
#include "graph/compare_curves.h"
#include "model/sp_file.h"
#include "tests/ui/console_fixture.h"
#include "ui/tuning/ab_switch.h"
#include "ui/tuning/graph_tools.h"
#include "ui/graph/graph_widget.h"
#include "ui/tuning/tool_bar.h"

using namespace mirelune;
using namespace mirelune::ui;
using namespace mirelune::ui::testing;

class GraphToolsTest : public QObject {
  Q_OBJECT

 private slots:
  void comparisonsAndPhase() {
    Console c;
    QVERIFY(c.Synced());
    GraphTools* tools = c.eq().findChild<GraphTools*>("graphTools");
    QVERIFY(tools && tools->isVisible());
    QVERIFY(c.graph().rect().contains(tools->geometry()));
    ResponseModel& model = c.graph().model();
    QVERIFY(model.Comparisons().empty());

    // The dance mode of this page differs from the singing mode in one band.
    const int page = c.store().CurrentPage;
    const int band0 = model.Band(0).Addr;
    c.store().ParamTable.at(1, band0).Gain = c.store().ParamTable.at(0, band0).Gain - 60;
    const QColor colour = QColor::fromRgba(CompareColour(CompareKind::OtherSoundMode));
    auto near = [&](const QImage& image) {
      int count = 0;
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
          const QColor p = image.pixelColor(x, y);
          if (std::abs(p.red() - colour.red()) + std::abs(p.green() - colour.green()) + std::abs(p.blue() - colour.blue()) < 60)
            ++count;
        }
      return count;
    };
    const int before = near(c.graph().view().Base());
    QAction* other = tools->CompareAction(0);
    QVERIFY(other && other->objectName() == "cmdCompareOtherMode");
    other->trigger();  // as ticked in the compare button's menu
    QCOMPARE(model.Comparisons().size(), size_t(1));
    QCOMPARE(model.Comparisons()[0].kind, CompareKind::OtherSoundMode);
    const int n = model.Geometry().Points();
    float apart = 0;
    for (int i = 0; i < n; ++i) apart = std::max(apart, std::fabs(model.ComparisonRow(0)[i] - model.Sum()[i]));
    QVERIFY2(apart > 3.0f, qPrintable(QString::number(apart)));
    // Drawn under the curves in its own colour: the whole width of the plot, and the legend.
    const int after = near(c.graph().view().Base());
    QVERIFY2(after > before + model.Geometry().Points() / 4, qPrintable(QString("%1 -> %2").arg(before).arg(after)));

    // A file, chosen in the dialog: the same page of it.
    const QString file = QString(MIRELUNE_BUILD_DIR) + "/test-tmp/compare.sp";
    auto table = std::make_unique<RecordTable>(c.store().ParamTable);
    table->at(c.store().CurrentSoundMode, band0).Gain += 40;
    QVERIFY(SaveTableToFile(file.toStdString(), *table).ok);
    tools->chooseFile = [&] { return file.toStdString(); };
    tools->CompareAction(2)->trigger();
    QCOMPARE(model.Comparisons().size(), size_t(2));
    QCOMPARE(model.Comparisons()[1].kind, CompareKind::File);
    QVERIFY(tools->CompareAction(2)->text().contains("compare.sp"));
    // The factory defaults and the last report too; switching the page keeps them, for it.
    tools->CompareAction(1)->trigger();
    tools->CompareAction(3)->trigger();
    QCOMPARE(model.Comparisons().size(), size_t(4));
    QTest::mouseClick(c.eq().PageButton(page == 0 ? 1 : 0), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    c.RunUntil([] { return false; }, 200);
    QCOMPARE(model.Comparisons().size(), size_t(4));
    QVERIFY(model.Comparisons()[0].bands.count == model.BandCount());
    // Unticked: gone.
    tools->CompareAction(1)->trigger();
    QCOMPARE(model.Comparisons().size(), size_t(3));

    // The phase: the sum's, with its axis; hovering tells the selected band's own.
    QVERIFY(!model.PhaseShown());
    QTest::mouseClick(tools->PhaseButton(), Qt::LeftButton);
    QVERIFY(model.PhaseShown());
    QCOMPARE(model.SumPhase().size(), size_t(model.Geometry().Points()));
    const QPoint at(model.Geometry().XFromFreq(1000), c.graph().height() / 2);
    QTest::mouseMove(&c.graph(), at);
    QVERIFY2(QToolTip::text().contains("°"), qPrintable(QToolTip::text()));
    c.graph().view().RenderWhole().save(QString(MIRELUNE_BUILD_DIR) + "/graph-compare-phase.png");
    c.eq().grab().save(QString(MIRELUNE_BUILD_DIR) + "/graph-tools-window.png");
    QTest::mouseClick(tools->PhaseButton(), Qt::LeftButton);
    QVERIFY(!model.PhaseShown());
  }

  // What a user sees of the tools: a tick in the comparison menu for each curve drawn, every
  // button whole while A/B is running, and the phase and comparisons kept over a language
  // switch (the tuning window is built again).
  void theToolsShowTheirStateAndKeepItOverALanguageSwitch() {
    Console c;
    QVERIFY(c.Synced());
    GraphTools* tools = c.eq().findChild<GraphTools*>("graphTools");
    QVERIFY(tools);
    auto ticked = [](QAction* a) {
      // Light pixels left of the colour bar: the tick the menu shows.
      const QImage icon = a->icon().pixmap(30, 14).toImage();
      int light = 0;
      for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < 14; ++x) light += QColor::fromRgba(icon.pixel(x, y)).alpha() > 128;
      return light > 5;
    };
    QAction* other = tools->CompareAction(0);
    QVERIFY(!ticked(other));
    other->trigger();
    QVERIFY(ticked(other));
    QVERIFY(!ticked(tools->CompareAction(1)));
    QTest::mouseClick(tools->PhaseButton(), Qt::LeftButton);
    QVERIFY(c.graph().model().PhaseShown());

    auto whole = [&] {
      for (QToolButton* b : tools->findChildren<QToolButton*>()) {
        if (!b->isVisible()) continue;
        if (b->width() < b->sizeHint().width() || !tools->rect().contains(b->geometry())) return false;
      }
      return c.graph().rect().contains(tools->geometry());
    };
    QVERIFY(whole());
    QToolButton* ab = tools->findChild<QToolButton*>("cmdAbSwitch");
    QVERIFY(ab);
    QTest::mouseClick(ab, Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    c.RunUntil([] { return false; }, 200);
    QCoreApplication::processEvents();  // the layout requests, as the event loop takes them
    QVERIFY(tools->Ab()->Active());
    QString why;
    for (QToolButton* b : tools->findChildren<QToolButton*>())
      why += QString("%1 %2,%3 %4x%5 (hint %6); ").arg(b->objectName()).arg(b->x()).arg(b->y()).arg(b->width())
                 .arg(b->height()).arg(b->sizeHint().width());
    why += QString("tools %1,%2 %3x%4 in %5x%6").arg(tools->x()).arg(tools->y()).arg(tools->width())
               .arg(tools->height()).arg(c.graph().width()).arg(c.graph().height());
    QVERIFY2(whole(), qPrintable(why));
    tools->Ab()->Keep('B');
    c.RunUntil([] { return false; }, 200);

    c.frame->findChild<QAction*>("mnuLanguageEn")->trigger();
    QVERIFY(c.Synced());
    GraphTools* rebuilt = c.eq().findChild<GraphTools*>("graphTools");
    QVERIFY(rebuilt && rebuilt != tools);
    QVERIFY(c.graph().model().PhaseShown());
    QVERIFY(rebuilt->PhaseButton()->isChecked());
    QCOMPARE(c.graph().model().Comparisons().size(), size_t(1));
    QCOMPARE(c.graph().model().Comparisons()[0].kind, CompareKind::OtherSoundMode);
    QVERIFY(ticked(rebuilt->CompareAction(0)));
    QCOMPARE(rebuilt->CompareButton()->text(), QString("Compare"));
    c.frame->findChild<QAction*>("mnuLanguageZh")->trigger();
    QVERIFY(c.Synced());
  }
};

QTEST_MAIN(GraphToolsTest)
#include "graph_tools_test.moc"
