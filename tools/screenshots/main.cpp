// SPDX-License-Identifier: GPL-3.0-or-later
// mirelune-screenshots: draws the pictures of the user guide (docs/guide.*.md) from the console
// itself, on the virtual amplifier in virtual time, as the window tests render them: the frame
// and its windows are opened through their menu actions and buttons and painted with
// QWidget::render(); numbered marks are drawn over the parts the guide explains.
//
//   mirelune-screenshots OUTDIR [--lang zh|en]
//
// Writes NAME-zh.png and NAME-en.png (or one language) into OUTDIR and prints each path.
// Needs no display: run it with QT_QPA_PLATFORM=offscreen (scripts/screenshots.sh does).
// Everything it keeps (settings, the mode folder, virtual amplifiers' memories) goes into a
// temporary home of its own, so the pictures do not depend on the user's files.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QDoubleSpinBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHash>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QTextStream>
#include <QToolButton>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "admin/cmd_password.h"
#include "admin/frm_program2.h"
#include "admin/frm_program_manager.h"
#include "admin/menu_show_frm.h"
#include "controls/mbtnflag.h"
#include "controls/mcombobox.h"
#include "controls/mscrollbar.h"
#include "graph/eq_fit.h"
#include "model/filter_set.h"
#include "model/sp_file.h"
#include "platform/recording_notifier.h"
#include "platform/tr.h"
#include "platform/virtual_scheduler.h"
#include "sim/virtual_amplifier.h"
#include "sim/virtual_state.h"
#include "ui/session/console_session.h"
#include "ui/look/console_style.h"
#include "ui/dialogs/device_chooser.h"
#include "ui/window/eq_filter_actions.h"
#include "ui/tuning/frm_eq.h"
#include "ui/tuning/ab_switch.h"
#include "ui/tuning/graph_tools.h"
#include "ui/graph/graph_widget.h"
#include "ui/look/language.h"
#include "ui/session/link_status_text.h"
#include "ui/window/mdi_main.h"
#include "ui/pages/page_table.h"
#include "ui/dialogs/remote_dialog.h"
#include "ui/dialogs/secondary_window.h"
#include "ui/tuning/measure_window.h"

using namespace mirelune;
using namespace mirelune::ui;

namespace {

// The client area the pictures of the tuning window are taken at: the size the tuning window
// starts at on a 1920 x 1080 screen.
const QSize kClient = mirelune::ui::MdiMain::TuningWindowRect({1920, 1080}).size();

// The console on the virtual amplifier, as the window tests build it.
struct Console {
  VirtualScheduler scheduler;
  RecordingNotifier messages;
  std::unique_ptr<ConsoleSession> session;
  std::unique_ptr<MdiMain> frame;

  explicit Console(const std::string& dataFolder) {
    ConsoleOptions options;
    options.device = ConsoleOptions::Device::Virtual;
    options.dataFolder = dataFolder;
    scheduler.SetHorizonMs(10LL * 60 * 1000);
    session = std::make_unique<ConsoleSession>(options, scheduler, messages);
    frame = std::make_unique<MdiMain>(*session);
    frame->SetModeFolder(dataFolder + "/mode");
    frame->show();
    frame->resize(frame->size() - frame->ClientArea()->size() + kClient);
    session->Start();
  }
  ~Console() {
    frame.reset();
    session.reset();
  }
  FrmEq& eq() { return *frame->tuningWindow(); }
  GraphWidget& graph() { return *eq().graph(); }

  // Runs virtual time until `done` or `limitMs` passed.
  bool RunUntil(const std::function<bool()>& done, int limitMs) {
    const int64_t deadline = scheduler.NowMs() + limitMs;
    bool expired = false;
    const Scheduler::TimerId limit = scheduler.StartTimer(limitMs, false, [&expired] { expired = true; });
    while (!done() && !expired && scheduler.NowMs() < deadline)
      if (!scheduler.RunNext()) break;
    scheduler.StopTimer(limit);
    QApplication::processEvents();
    return done();
  }
  void Settle() { RunUntil([] { return false; }, 300); }
  bool Synced() {
    return RunUntil([&] { return session->link().Online && !session->Syncing() &&
                                 session->StatusFacts().modeNumber >= 0; },
                    5000);
  }
};

// ---- pictures -------------------------------------------------------------------------------

QImage Grab(QWidget* w) {
  QImage shot(w->size(), QImage::Format_RGB32);
  shot.fill(Qt::black);
  w->render(&shot);
  return shot;
}

// A window with a plain title strip above it, as a window manager would draw one (the offscreen
// platform draws no frames).
QImage Titled(QWidget* w) {
  const QImage body = Grab(w);
  const int strip = 28;
  QImage out(body.width(), body.height() + strip, QImage::Format_RGB32);
  out.fill(QColor(0x1b, 0x1e, 0x24));
  QPainter p(&out);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(QRect(0, 0, out.width(), strip), QColor(0x3a, 0x40, 0x4b));
  QFont f = QApplication::font();
  f.setBold(true);
  f.setPixelSize(14);
  p.setFont(f);
  p.setPen(QColor(0xe8, 0xe8, 0xe8));
  p.drawText(QRect(12, 0, out.width() - 24, strip), Qt::AlignVCenter | Qt::AlignLeft, w->windowTitle());
  p.drawImage(0, strip, body);
  p.setPen(QColor(0x5a, 0x60, 0x6b));
  p.setBrush(Qt::NoBrush);
  p.drawRect(out.rect().adjusted(0, 0, -1, -1));
  return out;
}

// A numbered mark: a box around `target` and a circle with the number at its corner.
struct Mark {
  int number;
  QRect target;
  Qt::Corner corner = Qt::TopLeftCorner;
  QPoint shift;  // moves the circle off the corner, e.g. beside the box
};

// `area` of `w` in the coordinates of `root`.
QRect In(QWidget* root, QWidget* w, QRect area = {}) {
  if (area.isNull()) area = w->rect();
  return QRect(w->mapTo(root, area.topLeft()), area.size());
}

void Annotate(QImage& image, const std::vector<Mark>& marks) {
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor accent(0xff, 0x8a, 0x00);
  const int r = 13;
  for (const Mark& m : marks) {
    p.setPen(QPen(accent, 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(m.target).adjusted(1, 1, -1, -1), 4, 4);
  }
  QFont f = QApplication::font();
  f.setBold(true);
  f.setPixelSize(15);
  p.setFont(f);
  for (const Mark& m : marks) {
    QPoint c;
    switch (m.corner) {
      case Qt::TopLeftCorner: c = m.target.topLeft(); break;
      case Qt::TopRightCorner: c = m.target.topRight(); break;
      case Qt::BottomLeftCorner: c = m.target.bottomLeft(); break;
      case Qt::BottomRightCorner: c = m.target.bottomRight(); break;
    }
    c += m.shift;
    c.setX(std::clamp(c.x(), r + 2, image.width() - r - 3));
    c.setY(std::clamp(c.y(), r + 2, image.height() - r - 3));
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(accent);
    p.drawEllipse(QPointF(c), r, r);
    p.setPen(Qt::black);
    p.drawText(QRect(c.x() - r, c.y() - r, 2 * r, 2 * r), Qt::AlignCenter, QString::number(m.number));
  }
}

// An arrow from `from` to `to`, in the marks' colour.
void Arrow(QImage& image, QPointF from, QPointF to) {
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor accent(0xff, 0x8a, 0x00);
  p.setPen(QPen(accent, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(from, to);
  const double a = std::atan2(to.y() - from.y(), to.x() - from.x());
  QPainterPath head;
  head.moveTo(to);
  head.lineTo(to - QPointF(14 * std::cos(a - 0.45), 14 * std::sin(a - 0.45)));
  head.lineTo(to - QPointF(14 * std::cos(a + 0.45), 14 * std::sin(a + 0.45)));
  head.closeSubpath();
  p.fillPath(head, accent);
}

// A palette of at most 256 colours by median cut over a histogram of 5 bits per channel,
// each pixel then mapped to its nearest entry without dithering: the flat areas and the skin's
// gentle ramps of the console keep their look, and the files stay small.
QImage Paletted(const QImage& source) {
  const QImage rgb = source.convertToFormat(QImage::Format_RGB32);
  auto bucket = [](QRgb c) { return (qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | (qBlue(c) >> 3); };
  std::vector<int> count(1 << 15, 0);
  for (int y = 0; y < rgb.height(); ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) ++count[bucket(line[x])];
  }
  std::vector<int> used;
  for (int b = 0; b < (1 << 15); ++b)
    if (count[b]) used.push_back(b);
  auto channel = [](int b, int ch) { return (b >> (10 - 5 * ch)) & 31; };
  // Boxes of buckets; the box with the most pixels and some spread is cut at its median along
  // its widest channel until there are 256.
  std::vector<std::vector<int>> boxes = {used};
  auto pixels = [&](const std::vector<int>& box) {
    long n = 0;
    for (int b : box) n += count[b];
    return n;
  };
  while (boxes.size() < 256) {
    int best = -1;
    long bestPixels = 0;
    int bestChannel = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].size() < 2) continue;
      int widest = 0, span = -1;
      for (int ch = 0; ch < 3; ++ch) {
        int lo = 31, hi = 0;
        for (int b : boxes[i]) lo = std::min(lo, channel(b, ch)), hi = std::max(hi, channel(b, ch));
        if (hi - lo > span) span = hi - lo, widest = ch;
      }
      const long n = pixels(boxes[i]) * (span + 1);
      if (n > bestPixels) bestPixels = n, best = static_cast<int>(i), bestChannel = widest;
    }
    if (best < 0) break;
    std::vector<int>& box = boxes[static_cast<size_t>(best)];
    std::sort(box.begin(), box.end(), [&](int a, int b) { return channel(a, bestChannel) < channel(b, bestChannel); });
    const long half = pixels(box) / 2;
    long seen = 0;
    size_t cut = 1;
    for (; cut < box.size() - 1; ++cut) {
      seen += count[box[cut - 1]];
      if (seen >= half) break;
    }
    std::vector<int> upper(box.begin() + static_cast<long>(cut), box.end());
    box.resize(cut);
    boxes.push_back(std::move(upper));
  }
  // Each box's colour: the mean of its pixels' exact colours.
  std::vector<int> boxOf(1 << 15, 0);
  for (size_t i = 0; i < boxes.size(); ++i)
    for (int b : boxes[i]) boxOf[b] = static_cast<int>(i);
  std::vector<double> sum(boxes.size() * 3, 0.0);
  std::vector<long> n(boxes.size(), 0);
  for (int y = 0; y < rgb.height(); ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) {
      const size_t i = static_cast<size_t>(boxOf[bucket(line[x])]);
      sum[3 * i] += qRed(line[x]), sum[3 * i + 1] += qGreen(line[x]), sum[3 * i + 2] += qBlue(line[x]);
      ++n[i];
    }
  }
  QList<QRgb> palette;
  for (size_t i = 0; i < boxes.size(); ++i) {
    const long k = std::max(1L, n[i]);
    palette << qRgb(static_cast<int>(sum[3 * i] / k + 0.5), static_cast<int>(sum[3 * i + 1] / k + 0.5),
                    static_cast<int>(sum[3 * i + 2] / k + 0.5));
  }
  // Every pixel to its nearest palette entry (a cache per exact colour).
  QImage out(rgb.size(), QImage::Format_Indexed8);
  out.setColorTable(palette);
  QHash<QRgb, uchar> nearest;
  for (int y = 0; y < rgb.height(); ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    uchar* dst = out.scanLine(y);
    for (int x = 0; x < rgb.width(); ++x) {
      const QRgb c = line[x] | 0xff000000u;
      auto it = nearest.constFind(c);
      if (it == nearest.constEnd()) {
        int best = 0, bestD = INT32_MAX;
        for (int i = 0; i < palette.size(); ++i) {
          const int dr = qRed(c) - qRed(palette[i]), dg = qGreen(c) - qGreen(palette[i]),
                    db = qBlue(c) - qBlue(palette[i]);
          const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
          if (d < bestD) bestD = d, best = i;
        }
        it = nearest.insert(c, static_cast<uchar>(best));
      }
      dst[x] = *it;
    }
  }
  return out;
}

struct Writer {
  QString folder;
  QString suffix;  // "-zh" or "-en"
  bool ok = true;

  void Save(const QString& name, const QImage& image) {
    const QString path = folder + "/" + name + suffix + ".png";
    if (!Paletted(image).save(path, "PNG", 9)) {
      std::fprintf(stderr, "mirelune-screenshots: cannot write %s\n", qPrintable(path));
      ok = false;
      return;
    }
    std::printf("%s\n", qPrintable(path));
  }
};

// ---- user input, as a person gives it --------------------------------------------------------

void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

void Drag(QWidget* w, QPoint from, QPoint to) {
  Mouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  for (int step = 1; step <= 4; ++step)
    Mouse(w, QEvent::MouseMove, from + (to - from) * step / 4, Qt::NoButton, Qt::LeftButton);
  Mouse(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

void Key(QWidget* w, int key, int times = 1) {
  for (int i = 0; i < times; ++i) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
  }
}

QPoint MarkerPoint(GraphWidget& g, int band) {
  const MarkerPos m = g.model().Marker(band);
  return {static_cast<int>(std::lround(m.x)), static_cast<int>(m.y)};
}

// The EQ strip of page `page` that edits `address`.
QWidget* Strip(FrmEq& eq, int page, int address) {
  for (const SliderEntry& e : PageSliders(page))
    if (controls::MScrollBar* s = eq.Slider(e.number); s && s->Addr() == address) return s;
  std::fprintf(stderr, "mirelune-screenshots: no strip for address %d\n", address);
  std::exit(1);
}

template <class T>
T* Child(QWidget* root, const char* name) {
  T* w = root->findChild<T*>(name);
  if (!w) {
    std::fprintf(stderr, "mirelune-screenshots: no %s in %s\n", name, qPrintable(root->objectName()));
    std::exit(1);
  }
  return w;
}

// ---- the pictures of one language ------------------------------------------------------------

void Shots(Writer& out, const std::string& data, bool english) {
  Console c(data);
  if (!c.Synced()) {
    std::fprintf(stderr, "mirelune-screenshots: the virtual amplifier did not come online\n");
    out.ok = false;
    return;
  }
  MdiMain& frame = *c.frame;
  FrmEq& eq = c.eq();

  // The window: microphone page, every part the tour names.
  eq.ShowPage(1);
  c.Settle();
  {
    QImage shot = Grab(&frame);
    QWidget* status = Child<QLabel>(&eq, "linkStatusText");
    QWidget* tools = Child<QWidget>(&eq, "Picture4");
    Annotate(shot, {
        {1, In(&frame, frame.menuBar(), frame.menuBar()->actionGeometry(frame.menuBar()->actions().value(0))
                                            .united(frame.menuBar()->actionGeometry(frame.menuBar()->actions().last()))),
         Qt::TopRightCorner, QPoint(16, 10)},
        {2, In(&frame, eq.ConnectButton()), Qt::BottomRightCorner},
        {3, In(&frame, eq.TopBar()).adjusted(eq.ConnectButton()->width() + 8, 0, -90, 0), Qt::TopRightCorner},
        {4, In(&frame, eq.PageButton(0)).united(In(&frame, eq.RecordButton())), Qt::TopRightCorner, QPoint(18, 16)},
        {5, In(&frame, eq.PageContainer(1)), Qt::TopRightCorner, QPoint(18, 120)},
        {6, In(&frame, &c.graph()), Qt::TopLeftCorner, QPoint(14, 14)},
        {7, In(&frame, tools, QRect(0, 0, status->x() - 2, tools->height())), Qt::TopLeftCorner, QPoint(14, -4)},
        {8, In(&frame, status), Qt::TopRightCorner, QPoint(-14, -4)},
        {9, In(&frame, Child<QWidget>(&eq, "MBtnFlag3")), Qt::TopRightCorner, QPoint(0, -4)},
        {10, In(&frame, Child<QWidget>(&eq, "graphTools")).adjusted(-2, -2, 2, 2), Qt::TopLeftCorner, QPoint(-18, 13)},
    });
    out.Save("window", shot);
  }

  // The menu "设备" opened over the frame.
  {
    QMenuBar* bar = frame.menuBar();
    QMenu* device = Child<QMenu>(&frame, "mnuDevice");
    device->popup(bar->mapToGlobal(bar->actionGeometry(device->menuAction()).bottomLeft()));
    QApplication::processEvents();
    QImage shot = Grab(&frame);
    {
      QPainter p(&shot);
      p.drawImage(frame.mapFromGlobal(device->pos()), Grab(device));
    }
    device->hide();
    const QRect menuArea(frame.mapFromGlobal(device->pos()), device->size());
    out.Save("menu-device", shot.copy(QRect(0, 0, std::min(shot.width(), menuArea.right() + 260),
                                           std::min(shot.height(), menuArea.bottom() + 24))));
  }

  // A feedback cut: band 9 of the microphone EQ dragged down by the mouse on the graph.
  {
    GraphWidget& g = c.graph();
    const int band = 9;
    const QPoint from = MarkerPoint(g, band);
    Drag(&g, from, from + QPoint(-18, 65));
    Key(&g, Qt::Key_Home, 20);  // a narrower cut
    c.Settle();
    QImage shot = Grab(&eq);
    const QPoint at = MarkerPoint(g, band);
    const QPoint marker = g.mapTo(&eq, at);
    Annotate(shot, {{1, QRect(marker - QPoint(16, 16), QSize(32, 32)), Qt::BottomLeftCorner, QPoint(-12, 4)},
                    {2, In(&eq, Strip(eq, 1, g.model().Band(band).Addr)), Qt::TopRightCorner},
                    {3, In(&eq, Child<QWidget>(&eq, "OptionFBX_0")).united(In(&eq, Child<QWidget>(&eq, "OptionFBX_3")))
                            .adjusted(-6, -6, 30, 6),
                     Qt::TopRightCorner}});
    Arrow(shot, g.mapTo(&eq, from) + QPointF(0, -4), QPointF(marker) + QPointF(0, -22));
    out.Save("graph-feedback-cut", shot);
  }

  // The graph's tools on the music page: the other sound mode and a file saved before an edit
  // drawn under the curves, and the phase of the sum. The dance mode differs from the singing
  // mode in one band (as if edited there), and one band of the singing mode is dragged down
  // after the file was saved, so that both comparison curves part from the sum.
  eq.ShowPage(0);
  c.Settle();
  {
    GraphWidget& g = c.graph();
    auto* tools = Child<GraphTools>(&eq, "graphTools");
    RecordTable& table = c.session->store().ParamTable;
    const int danceBand = g.model().Band(2).Addr;
    const int kept = table.at(1, danceBand).Gain;
    table.at(1, danceBand).Gain = std::max(10, table.at(0, danceBand).Gain - 80);
    QDir().mkpath(QString::fromStdString(data));
    const QString saved = QString::fromStdString(data) + (english ? "/before.sp" : "/调整前.sp");
    if (const FileResult r = SaveTableToFile(saved.toStdString(), table); !r) {
      std::fprintf(stderr, "mirelune-screenshots: %s\n", r.error.c_str());
      out.ok = false;
      return;
    }
    const int band = 11;
    const QPoint from = MarkerPoint(g, band);
    Drag(&g, from, from + QPoint(0, 70));
    c.Settle();
    tools->CompareAction(0)->trigger();  // other sound mode
    if (!tools->CompareWithFile(saved.toStdString())) {  // as chosen under "Configuration file…"
      const auto said = c.messages.Texts(RecordingNotifier::Kind::Warning);
      std::fprintf(stderr, "mirelune-screenshots: no comparison with %s: %s\n", qPrintable(saved),
                   said.empty() ? "" : said.back().c_str());
      out.ok = false;
      return;
    }
    tools->PhaseButton()->click();
    c.Settle();
    QImage shot = Grab(&g);
    auto below = [&](int number, QWidget* button) {
      const QRect r = In(&g, button);
      return Mark{number, r, Qt::BottomLeftCorner, QPoint(r.width() / 2, 17)};
    };
    Annotate(shot, {below(1, tools->Ab()->Button()), below(2, tools->PhaseButton()),
                    below(3, tools->CompareButton())});
    out.Save("graph-compare", shot);
    tools->CompareAction(0)->trigger();
    tools->CompareAction(2)->trigger();
    tools->PhaseButton()->click();
    table.at(1, danceBand).Gain = kept;
    c.Settle();
  }

  // The effects page, reverb part.
  eq.ShowPage(kEffectsPage);
  eq.ShowEffectSubPage(1);
  c.Settle();
  {
    QImage shot = Grab(&eq);
    Annotate(shot, {{1, In(&eq, eq.EffectTab(0)).united(In(&eq, eq.EffectTab(2)))},
                    {2, In(&eq, eq.OptionList(kReverbModeList)).adjusted(-4, -4, 4, 4), Qt::TopRightCorner},
                    {3, In(&eq, eq.EffectsButton()).adjusted(-3, -3, 3, 3), Qt::BottomLeftCorner},
                    {4, In(&eq, &c.graph()), Qt::TopRightCorner}});
    out.Save("effects-reverb", shot);
  }

  // The sub-woofer page: its crossover, the sound modes and the automatic control.
  eq.ShowPage(7);
  c.Settle();
  {
    QImage shot = Grab(&eq);
    QRect lists;
    for (int n = 0; n < kOptionListSlots; ++n)
      if (QWidget* l = eq.OptionList(n); l && l->isVisible() && eq.PageContainer(7)->isAncestorOf(l))
        lists = lists.united(In(&eq, l));
    std::vector<Mark> marks;
    if (!lists.isNull()) marks.push_back({1, lists.adjusted(-4, -4, 4, 4), Qt::TopRightCorner});
    marks.push_back({2, In(&eq, Child<QWidget>(&eq, "cmdBassMode0")).united(In(&eq, Child<QWidget>(&eq, "cmdBassMode1"))),
                     Qt::TopLeftCorner, QPoint(0, -16)});
    marks.push_back({3, In(&eq, Child<QWidget>(&eq, "cmdBassAutoControl2_0"))
                            .united(In(&eq, Child<QWidget>(&eq, "cmdBassAutoControl2_1"))),
                     Qt::TopLeftCorner, QPoint(0, -16)});
    marks.push_back({4, In(&eq, Child<QWidget>(&eq, "cmdByPass")).united(In(&eq, Child<QWidget>(&eq, "cmdReset"))),
                     Qt::TopLeftCorner, QPoint(14, -16)});
    Annotate(shot, marks);
    out.Save("subwoofer", shot);
  }

  // The main output page: its crossover filters on the graph.
  eq.ShowPage(4);
  c.Settle();
  out.Save("main-output", Grab(&eq));

  // The small windows of the tuning window.
  for (auto [kind, name] : {std::pair{SecondaryKind::Recording, "recording"},
                            std::pair{SecondaryKind::Effects, "reverb-advanced"},
                            std::pair{SecondaryKind::SystemSettings, "system-settings"}}) {
    SecondaryWindow w(*c.session, kind, &eq);
    w.show();
    QApplication::processEvents();
    out.Save(name, Titled(&w));
  }

  // The mode manager, with two files in the mode folder.
  {
    QDir().mkpath(QString::fromStdString(data + "/mode"));
    for (const char* file : {"大厅", "包房1"}) {
      const QString name = english ? (QString(file) == "大厅" ? "Hall" : "Room 1") : QString::fromUtf8(file);
      SaveTableToFile((QString::fromStdString(data + "/mode/") + name + ".sp").toStdString(),
                      c.session->store().ParamTable);
    }
    frame.MenuItem("CmdProgramSetup")->trigger();
    c.Settle();
    QWidget* m = frame.ProgramManager();
    if (!m) {
      std::fprintf(stderr, "mirelune-screenshots: the mode manager did not open\n");
      out.ok = false;
      return;
    }
    QImage shot = Titled(m);
    const QPoint down(0, 28);
    // The group boxes, by their titles.
    auto box = [&](const char* title) {
      for (QGroupBox* g : m->findChildren<QGroupBox*>())
        if (g->title() == Tr(title)) return In(m, g).translated(down);
      std::fprintf(stderr, "mirelune-screenshots: no group \"%s\" in the mode manager\n", title);
      std::exit(1);
    };
    std::vector<Mark> marks = {{1, box("更新设备模式："), Qt::TopRightCorner},
                               {2, box("本地电脑："), Qt::TopRightCorner},
                               {3, box("批量导入导出："), Qt::TopRightCorner},
                               {4, box("权限管理："), Qt::TopRightCorner}};
    Annotate(shot, marks);
    out.Save("mode-manager", shot);
    m->close();
  }
  frame.MenuItem("CmdPrePassManager")->trigger();
  c.Settle();
  if (QWidget* w = frame.Program2()) {
    out.Save("rights-passwords", Titled(w));
    w->close();
  }

  // Administration: the password prompts and the menu visibility editor.
  for (int type : {0, 1}) {
    CmdPassword prompt(c.session->notifier(), [](int, const std::string&, bool&) { return false; }, &eq);
    prompt.InputType = static_cast<uint8_t>(type);
    prompt.Load();  // the caption of its type, as ShowModal sets it
    prompt.show();
    QApplication::processEvents();
    out.Save(type == 0 ? "password-menu-settings" : "password-administrator", Titled(&prompt));
  }
  {
    MenuShowFrm editor(c.session->store().Menu, &eq);
    editor.show();
    QApplication::processEvents();
    out.Save("menu-visibility", Titled(&editor));
  }

  // Device > EQ import: the preview of a measurement program's filters on the microphone page.
  eq.ShowPage(1);
  c.Settle();
  {
    const QString path = QString::fromStdString(data) + "/room.txt";
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("Filter Settings file\r\n\r\nRoom EQ V5.20\r\n\r\nEqualiser: Generic\r\n"
            "Filter  1: ON  PK       Fc   125 Hz  Gain  -6.5 dB  Q  4.00\r\n"
            "Filter  2: ON  PK       Fc   315 Hz  Gain  -3.0 dB  Q  2.00\r\n"
            "Filter  3: ON  LSC      Fc    90 Hz  Gain   3.0 dB  Q  0.71\r\n"
            "Filter  4: ON  PK       Fc  2500 Hz  Gain  -9.0 dB  Q  8.00\r\n"
            "Filter  5: ON  HP       Fc    40 Hz\r\n"
            "Filter  6: ON  HS 12dB  Fc  8000 Hz  Gain  -2.0 dB\r\n");
    f.close();
    FilterSet set;
    FilterSetError error;
    if (!LoadFilterSet(path.toStdString(), set, error)) {
      std::fprintf(stderr, "mirelune-screenshots: the sample filter file was refused\n");
      out.ok = false;
      return;
    }
    const EqFit fit = FitFilterSet(c.session->store(), set);
    EqImportPreview preview(set, fit, Tr("话筒1.2"), &eq);
    preview.show();
    QApplication::processEvents();
    out.Save("eq-import-preview", Titled(&preview));
  }

  // Device > Choose amplifier, with two named virtual amplifiers that have a memory.
  for (const char* name : {"room-1", "room-2"}) {
    std::string error;
    SaveVirtualState(VirtualStatePath(name), *c.session->amplifier(), error);
  }
  frame.MenuItem("CmdChooseDevice")->trigger();
  c.Settle();
  if (QWidget* w = frame.Chooser()) {
    out.Save("choose-amplifier", Titled(w));
    frame.Chooser()->reject();
  }

  // Device > Remote control, running for the room's network.
  frame.MenuItem("CmdRemoteControl")->trigger();
  c.Settle();
  if (RemoteDialog* r = frame.Remote()) {
    // First as it opens, before Start: what to set and the button that starts it.
    QApplication::processEvents();
    out.Save("remote-control-idle", Titled(r));
    auto* listen = Child<QLineEdit>(r, "remoteListen");
    listen->setText("0.0.0.0:8808");
    if (!r->StartServer()) {
      listen->setText("0.0.0.0:0");
      r->StartServer();
    }
    QApplication::processEvents();
    out.Save("remote-control", Titled(r));
    r->StopServer();
    r->close();
  }

  // What the status line says, one state per strip.
  {
    auto* status = Child<QLabel>(&eq, "linkStatusText");
    QWidget* tools = Child<QWidget>(&eq, "Picture4");
    const QString kept = status->text();
    std::vector<LinkStatusFacts> states(9);
    const uint16_t vendor = 0x2E3C, product = 0x0D07;
    for (auto& s : states) {
      s.vendor = vendor;
      s.product = product;
    }
    states[0].online = true, states[0].identifier = "_LM-R52Z", states[0].device = "hid:A1B2";
    states[0].modeNumber = 0, states[0].soundMode = 0;
    states[1] = states[0], states[1].syncing = true, states[1].modeNumber = -1;
    states[2].portOpen = true;
    states[3].lastOpen.status = HidOpenStatus::NotFound;
    states[4].lastOpen.status = HidOpenStatus::PermissionDenied;
    states[5].lastOpen.status = HidOpenStatus::Busy, states[5].device = "hid:A1B2";
    states[5].heldBy = "mirelune-cli write-mode (PID 4242)";
    states[6].lastOpen.status = HidOpenStatus::Failed, states[6].candidates = 2;
    states[7].switchOn = false;
    states[8] = states[0], states[8].savedEdits = "/home/user/.local/share/Mirelune/offline-edits-2025-03-01-193000.sp";
    const int h = tools->height();
    QImage sheet(tools->width(), static_cast<int>(states.size()) * (h + 6) - 6, QImage::Format_RGB32);
    sheet.fill(QColor(0x1b, 0x1e, 0x24));
    {
      QPainter p(&sheet);
      for (size_t i = 0; i < states.size(); ++i) {
        status->setText(QString::fromStdString(LinkStatusText(states[i])));
        p.drawImage(0, static_cast<int>(i) * (h + 6), Grab(tools));
      }
    }
    status->setText(kept);
    // Numbers only: the strips need no boxes.
    QImage numbered = sheet;
    {
      QPainter p(&numbered);
      p.setRenderHint(QPainter::Antialiasing);
      QFont f = QApplication::font();
      f.setBold(true);
      f.setPixelSize(13);
      p.setFont(f);
      for (size_t i = 0; i < states.size(); ++i) {
        const QPointF centre(status->x() - 16, static_cast<int>(i) * (h + 6) + h / 2.0);
        p.setPen(QPen(Qt::white, 1.5));
        p.setBrush(QColor(0xff, 0x8a, 0x00));
        p.drawEllipse(centre, 10, 10);
        p.setPen(Qt::black);
        p.drawText(QRectF(centre.x() - 10, centre.y() - 10, 20, 20), Qt::AlignCenter, QString::number(i + 1));
      }
    }
    // The line with its numbers: from just before the line to its end.
    const int left = status->x() - 32;
    out.Save("status-line", numbered.copy(left, 0, std::min(numbered.width(), status->x() + status->width()) - left,
                                          numbered.height()));
  }

  // Device > Measure: the virtual room measured through the music page, fitted, applied and
  // measured again; the window and the graph with the measure window's curves. Last: it
  // changes the page's bands.
  eq.ShowPage(0);
  c.Settle();
  frame.MenuItem("CmdMeasure")->trigger();
  c.Settle();
  auto* measure = eq.findChild<MeasureWindow*>("MeasureWindow");
  if (!measure) {
    std::fprintf(stderr, "mirelune-screenshots: the measure window did not open\n");
    out.ok = false;
    return;
  }
  measure->findChild<QDoubleSpinBox*>("measureLength")->setValue(4);
  // The window works on a thread of its own: its results arrive as events, within a bound.
  const auto finish = [&] {
    QElapsedTimer clock;
    clock.start();
    while (measure->Working() && clock.elapsed() < 120000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    c.Settle();
    return !measure->Working();
  };
  measure->StartMeasurement();
  bool done = finish();
  measure->StartFit();
  done = done && finish();
  measure->ApplyFit();
  c.Settle();
  measure->StartMeasurement();
  done = done && finish();
  if (!done || !measure->Again()) {
    std::fprintf(stderr, "mirelune-screenshots: the measurement loop did not finish: %s\n",
                 qPrintable(measure->StatusText()));
    out.ok = false;
    return;
  }
  measure->resize(900, 760);
  QApplication::processEvents();
  out.Save("measure-window", Titled(measure));
  out.Save("graph-measured", Grab(eq.graph()));
  measure->close();
}

}  // namespace

int main(int argc, char** argv) {
  QStringList langs = {"zh", "en"};
  QString folder;
  for (int i = 1; i < argc; ++i) {
    const QString a = QString::fromLocal8Bit(argv[i]);
    if (a == "--lang" && i + 1 < argc) {
      langs = {QString::fromLocal8Bit(argv[++i])};
    } else if (a.startsWith("-") || !folder.isEmpty()) {
      std::fprintf(stderr, "usage: mirelune-screenshots OUTDIR [--lang zh|en]\n");
      return 2;
    } else {
      folder = a;
    }
  }
  if (folder.isEmpty() || (langs.size() == 1 && langs[0] != "zh" && langs[0] != "en")) {
    std::fprintf(stderr, "usage: mirelune-screenshots OUTDIR [--lang zh|en]\n");
    return 2;
  }
  // A home of its own before anything reads a path: settings, data and the virtual amplifiers.
  QTemporaryDir home;
  if (!home.isValid()) {
    std::fprintf(stderr, "mirelune-screenshots: no temporary folder\n");
    return 1;
  }
  for (const char* var : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"}) {
    const QString path = home.path() + "/" + var;
    QDir().mkpath(path);
    qputenv(var, (std::string(var) == "HOME" ? home.path() : path).toLocal8Bit());
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("Mirelune");
  ApplyConsoleStyle(app);
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "mirelune-screenshots: cannot create %s\n", qPrintable(folder));
    return 1;
  }
  bool ok = true;
  for (const QString& lang : langs) {
    const bool english = lang == "en";
    if (!InstallLanguage(english ? Language::English : Language::Chinese)) {
      std::fprintf(stderr, "mirelune-screenshots: the language %s cannot be installed\n", qPrintable(lang));
      return 1;
    }
    Writer out{folder, "-" + lang};
    Shots(out, (home.path() + "/data-" + lang).toStdString(), english);
    ok = ok && out.ok;
  }
  return ok ? 0 : 1;
}
