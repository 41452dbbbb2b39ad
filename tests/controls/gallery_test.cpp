// SPDX-License-Identifier: GPL-3.0-or-later
// Renders every slider style and variant the window layouts use, the EQ strip in each state,
// every option list and every button image of the layouts into one picture,
// <build>/controls-gallery.png, for a person to look at. The checks make sure the picture can
// show what it is for: every image the controls name exists in the skin, and the singing,
// dance-mode and greyed fills of a slider look different.
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QSet>
#include <QTest>

#include "controls/c_progressbar.h"
#include "controls/mbtnflag.h"
#include "controls/mcombobox.h"
#include "controls/mscrollbar.h"
#include "controls/option_list_popup.h"
#include "graph/skin.h"
#include "model/store.h"

using namespace mirelune;
using namespace mirelune::controls;

namespace {

constexpr int kPerModeAddr = 100;    // a record with separate singing and dance values
constexpr int kCommonAddr = 200;     // one value for both sound modes
constexpr int kMutedRecord = 2576;   // a mute switch that is on
constexpr int kUnmutedRecord = 2577;

enum class Look { Singing, Dance, Greyed, Muted };

struct Stores {
  std::unique_ptr<Store> singing = std::make_unique<Store>();
  std::unique_ptr<Store> dance = std::make_unique<Store>();
  std::unique_ptr<Store> greyed = std::make_unique<Store>();
  Stores() {
    for (Store* s : {singing.get(), dance.get(), greyed.get()}) {
      s->ParamTable.at(0, kPerModeAddr).PerMode = kTrue;
      s->ParamTable.at(0, kMutedRecord).Value = 1;
      s->ParamTable.at(0, kUnmutedRecord).Value = 0;
    }
    dance->CurrentSoundMode = 1;
    greyed->BassAutoControl = 1;  // PerMode records turn grey
  }
  const Store* For(Look l) const {
    switch (l) {
      case Look::Dance: return dance.get();
      case Look::Greyed: return greyed.get();
      default: return singing.get();
    }
  }
};

// Places items left to right with a caption under each, wrapping at the canvas edge.
class Flow {
 public:
  explicit Flow(QWidget* canvas) : canvas_(canvas) {}
  void Section(const QString& title) {
    NewLine();
    auto* l = new QLabel(title, canvas_);
    l->setStyleSheet(QStringLiteral("color: #ffd080; font-weight: bold;"));
    l->move(8, y_);
    l->adjustSize();
    y_ += l->height() + 4;
  }
  void Place(QWidget* w, const QString& caption) {
    auto* l = new QLabel(caption, canvas_);
    l->setStyleSheet(QStringLiteral("color: #c8c8c8; font-size: 9px;"));
    l->adjustSize();
    const int width = std::max(w->width(), l->width());
    if (x_ + width > canvas_->width() - 8) NewLine();
    w->move(x_, y_);
    l->move(x_, y_ + w->height() + 2);
    x_ += width + 12;
    rowHeight_ = std::max(rowHeight_, w->height() + l->height() + 10);
  }
  void NewLine() {
    if (rowHeight_ > 0) y_ += rowHeight_;
    x_ = 8;
    rowHeight_ = 0;
  }
  int Bottom() const { return y_ + rowHeight_; }

 private:
  QWidget* canvas_;
  int x_ = 8;
  int y_ = 8;
  int rowHeight_ = 0;
};

struct SliderCase {
  const char* what;
  int style;
  int hs;
  int vt;
  int max;
  float value;
};

// Every style, HScrollSize and value type the window layouts place, plus the two defined
// styles they do not place (3 and 4).
const SliderCase kSliders[] = {
    {"fader", 0, 0, 10, 150, 120},         {"knob", 5, 0, 0, 80, 50},
    {"master", 6, 0, 0, 80, 60},           {"threshold", 2, 0, 2, 400, 180},
    {"ratio", 2, 0, 3, 180, 40},           {"attack", 2, 0, 4, 199, 20},
    {"release", 2, 0, 5, 199, 50},         {"threshold +14", 2, 0, 12, 400, 140},
    {"high-pass", 2, 1, 13, 143, 74},      {"low-pass", 2, 1, 16, 64, 362},
    {"level", 2, 2, 0, 80, 40},            {"low freq", 2, 2, 1, 142, 60},
    {"damping", 2, 2, 6, 62, 320},         {"repeats", 2, 2, 7, 89, 30},
    {"offset", 2, 2, 8, 100, 70},          {"space", 6, 2, 9, 50, 50},
    {"delay", 2, 2, 11, 100, 35},          {"high-pass", 2, 2, 13, 148, 0},
    {"reverb time", 2, 2, 14, 900, 300},   {"volume", 2, 3, 10, 150, 160},
    {"echo freq", 2, 4, 1, 142, 100},      {"high freq", 2, 4, 6, 63, 340},
    {"holder", 7, 0, 10, 150, 100},        {"style 3", 3, 0, 0, 80, 30},
    {"style 4", 4, 0, 0, 80, 50},
};

const char* const kButtonLists[] = {
    "292,293", "361,362,359", "218,219", "289,288", "287,286", "291,290", "312,313",
    "142,143", "380,381",     "378,379", "315,314", "298,299", "296,297", "282,283",
    "280,281", "190,191",     "284,285", "192,193", "188,189", "194,195", "110",
    "208,209", "216,217",     "158,159", "160,161", "162,163", "164,165", "166,167",
    "170,171", "168,169",     "172,173", "174,175",
};

QString LookName(Look l) {
  switch (l) {
    case Look::Singing: return QStringLiteral("singing");
    case Look::Dance: return QStringLiteral("dance");
    case Look::Greyed: return QStringLiteral("greyed");
    case Look::Muted: return QStringLiteral("muted");
  }
  return {};
}

}  // namespace

class GalleryTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void everyNamedImageExists();
  void gallery();

 private:
  MScrollBar* Slider(QWidget* canvas, const SliderCase& c, Look look, const Stores& stores);
  MScrollBar* Strip(QWidget* canvas, const Stores& stores, Look look, bool tall, int qType,
                    bool selected, bool bypassed);
};

void GalleryTest::initTestCase() { skin::LoadSkin(); }

void GalleryTest::everyNamedImageExists() {
  QSet<int> ids;
  for (const SliderCase& c : kSliders) {
    const SliderGeometry g = GeometryFor(c.style, c.hs, 0, c.vt);
    for (const PlacedImage& im : g.background) ids << im.id;
    ids << g.fillNormal << g.fillGreyed << g.fillDance << g.thumbNormal << g.thumbGreyed
        << g.thumbFocused;
  }
  for (int s = 0; s <= 1; ++s) {
    const SliderGeometry g = GeometryFor(1, 0, s, 15);
    ids << g.background[0].id << g.fillNormal << g.fillGreyed << g.fillDance;
  }
  for (int id : {105, 129, 130, 131, 132, 133, 134, 300, 301, 302, 294, 295, 308, 309, 310, 311,
                 274, 221, 150, 151, 152, 227, 228, 144, 316, 304, 305, 196, 197, 198, 199, 317})
    ids << id;
  for (int t = 0; t <= 6; ++t) {
    ComboSetup s;
    s.ShowType = t;
    MComboBox c(s, nullptr);
    for (int i = 0; i < c.Entries().size(); ++i) {
      c.SetValue(i);
      ids << c.FaceImage();
    }
  }
  for (const char* list : kButtonLists)
    for (const QString& id : QString::fromLatin1(list).split(QLatin1Char(','))) ids << id.toInt();
  ids.remove(0);

  QStringList missing;
  for (int id : ids)
    if (skin::SkinSize(id).isEmpty()) missing << QString::number(id);
  missing.sort();
  QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("skin images missing: ") +
                                         missing.join(QLatin1Char(' '))));
}

MScrollBar* GalleryTest::Slider(QWidget* canvas, const SliderCase& c, Look look,
                                const Stores& stores) {
  SliderSetup s;
  s.ScrollBarType = c.style;
  s.HScrollSize = c.hs;
  s.ValueType = c.vt;
  s.MaxValue = c.max;
  auto* bar = new MScrollBar(s, stores.For(look), canvas);
  bar->SetAddr(look == Look::Muted ? kCommonAddr : kPerModeAddr);
  if (look == Look::Muted) bar->SetMuteRAMindex(kMutedRecord);
  bar->SetValue(c.value);
  return bar;
}

MScrollBar* GalleryTest::Strip(QWidget* canvas, const Stores& stores, Look look, bool tall,
                               int qType, bool selected, bool bypassed) {
  SliderSetup s;
  s.ScrollBarType = 1;
  s.EQNormalStyle = tall ? 1 : 0;
  auto* strip = new MScrollBar(s, stores.For(look), canvas);
  strip->SetAddr(kPerModeAddr);
  strip->SetQType(qType);
  strip->SetFreq(171);
  strip->SetQ(16);
  strip->SetSQ(10);
  strip->SetEQdisabled(bypassed);
  strip->SetForceShowFocus(selected);
  strip->SetValue(310);
  return strip;
}

void GalleryTest::gallery() {
  Stores stores;
  QWidget canvas;
  canvas.resize(1500, 1400);
  canvas.setAutoFillBackground(true);
  QPalette pal = canvas.palette();
  pal.setColor(QPalette::Window, QColor(34, 38, 46));
  canvas.setPalette(pal);
  Flow flow(&canvas);

  QList<QWidget*> layered;  // controls whose background layer is built once placed
  flow.Section(QStringLiteral("Sliders by style / HScrollSize / ValueType"));
  for (const SliderCase& c : kSliders) {
    auto* bar = Slider(&canvas, c, Look::Singing, stores);
    flow.Place(bar, QStringLiteral("%1: s%2 h%3 v%4").arg(QLatin1String(c.what)).arg(c.style)
                        .arg(c.hs).arg(c.vt));
    layered << bar;
  }

  flow.Section(QStringLiteral("Fill states: singing / dance mode / greyed / muted"));
  MScrollBar* looks[3] = {};
  for (const SliderCase& c : {kSliders[3], kSliders[10], kSliders[2], kSliders[0]}) {
    for (Look l : {Look::Singing, Look::Dance, Look::Greyed, Look::Muted}) {
      auto* bar = Slider(&canvas, c, l, stores);
      flow.Place(bar, QStringLiteral("%1 %2").arg(QLatin1String(c.what), LookName(l)));
      layered << bar;
      if (c.style == 2 && c.hs == 2 && l != Look::Muted) looks[int(l)] = bar;
    }
  }

  flow.Section(QStringLiteral("EQ band strips"));
  struct StripCase {
    const char* what;
    Look look;
    bool tall;
    int qType;
    bool selected;
    bool bypassed;
  };
  const StripCase strips[] = {
      {"peaking", Look::Singing, false, 0, false, false},
      {"selected", Look::Singing, false, 0, true, false},
      {"low shelf", Look::Singing, false, 1, false, false},
      {"high shelf", Look::Singing, false, 2, false, false},
      {"dance", Look::Dance, false, 0, false, false},
      {"greyed", Look::Greyed, false, 0, false, false},
      {"bypassed", Look::Singing, false, 0, true, true},
      {"tall", Look::Singing, true, 0, false, false},
      {"tall dance", Look::Dance, true, 2, true, false},
      {"tall greyed", Look::Greyed, true, 0, false, false},
  };
  MScrollBar* stripLooks[3] = {};
  for (const StripCase& c : strips) {
    auto* s = Strip(&canvas, stores, c.look, c.tall, c.qType, c.selected, c.bypassed);
    flow.Place(s, QLatin1String(c.what));
    layered << s;
    if (!c.tall && c.qType == 0 && !c.selected && !c.bypassed) stripLooks[int(c.look)] = s;
  }

  flow.Section(QStringLiteral("Option lists by ShowType, hidden, and one list open"));
  MComboBox* reverb = nullptr;
  for (int t = 0; t <= 6; ++t) {
    ComboSetup s;
    s.ShowType = t;
    auto* c = new MComboBox(s, nullptr, &canvas);
    c->SetValue(t % 3);
    flow.Place(c, QStringLiteral("ShowType %1").arg(t));
    layered << c;
    if (t == 3) reverb = c;
  }
  {
    ComboSetup s;
    s.ShowType = 3;
    auto* c = new MComboBox(s, nullptr, &canvas);
    c->SetEnabled(false);
    flow.Place(c, QStringLiteral("disabled"));
    layered << c;
  }
  QLabel* openList = new QLabel(&canvas);
  reverb->SetValue(2);
  openList->setPixmap(reverb->List()->grab());
  openList->adjustSize();
  flow.Place(openList, QStringLiteral("open list"));

  flow.Section(QStringLiteral("Buttons of the layouts, every image of each list"));
  for (const char* list : kButtonLists) {
    const QStringList ids = QString::fromLatin1(list).split(QLatin1Char(','));
    for (int i = 0; i < ids.size(); ++i) {
      FlagSetup s;
      s.PngIndexStr = QString::fromLatin1(list);
      s.ActionType = 2;
      s.Value = i;
      auto* b = new MBtnFlag(s, nullptr, &canvas);
      flow.Place(b, ids.at(i));
      layered << b;
    }
  }
  {
    FlagSetup s;
    s.PngIndexStr = QStringLiteral("312,313");
    s.ActionType = 1;
    auto* b = new MBtnFlag(s, nullptr, &canvas);
    b->SetEnabled(false);
    flow.Place(b, QStringLiteral("312 disabled"));
    layered << b;
    auto hiddenStore = std::make_unique<Store>();
    hiddenStore->Menu.AddrHidden[1798] = 1;
    for (const char* list : {"142,143", "380,381", "378,379"}) {
      for (int i = 0; i < 2; ++i) {
        FlagSetup h;
        h.PngIndexStr = QString::fromLatin1(list);
        h.ActionType = 2;
        h.Value = i;
        auto* hb = new MBtnFlag(h, hiddenStore.get(), &canvas);
        hb->SetAddr(1798);
        flow.Place(hb, QStringLiteral("hidden %1").arg(hb->ShownImage()));
        layered << hb;
      }
    }

    flow.Section(QStringLiteral("Progress bar: waiting, counting"));
    auto* waiting = new C_ProgressBar(&canvas);
    waiting->resize(525, 25);
    flow.Place(waiting, QStringLiteral("waiting, Value 0"));
    auto* counting = new C_ProgressBar(&canvas);
    counting->resize(525, 25);
    counting->SetShowContent(1);
    counting->SetValue(60);
    flow.Place(counting, QStringLiteral("counting, Value 60"));
    flow.NewLine();

    canvas.resize(canvas.width(), flow.Bottom() + 8);
    canvas.show();
    if (!QTest::qWaitForWindowExposed(&canvas)) qWarning("gallery window was not exposed");
    for (QWidget* w : layered) {
      if (auto* s = qobject_cast<MScrollBar*>(w)) s->BkGround_Init();
      if (auto* c = qobject_cast<MComboBox*>(w)) c->BkGround_Init();
      if (auto* f = qobject_cast<MBtnFlag*>(w)) f->BkGround_Init();
    }

    const QImage picture = canvas.grab().toImage();
    const QString path = QStringLiteral(MIRELUNE_BUILD_DIR "/controls-gallery.png");
    QVERIFY2(picture.save(path), qPrintable(QStringLiteral("cannot write ") + path));
    qInfo("gallery written to %s", qPrintable(QDir::toNativeSeparators(path)));
  }

  // Singing, dance-mode and greyed fills must be told apart by eye.
  for (MScrollBar* const* set : {looks, stripLooks}) {
    QVERIFY(set[0] && set[1] && set[2]);
    const QImage singing = set[0]->grab().toImage();
    const QImage dance = set[1]->grab().toImage();
    const QImage greyed = set[2]->grab().toImage();
    QVERIFY2(singing != dance, "dance-mode fill looks like the singing fill");
    QVERIFY2(singing != greyed, "greyed fill looks like the normal fill");
    QVERIFY2(dance != greyed, "greyed fill looks like the dance-mode fill");
  }
}

QTEST_MAIN(GalleryTest)
#include "gallery_test.moc"
