#include "ui/frm_eq.h"

#include <cmath>

#include <QLabel>
#include <QResizeEvent>

#include "controls/c_progressbar.h"
#include "controls/mbtnflag.h"
#include "controls/mscrollbar.h"
#include "controls/slider_band_sink.h"
#include "graph/skin_ids.h"
#include "model/scales.h"
#include "ui/admin_actions.h"
#include "ui/console_session.h"
#include "ui/graph_widget.h"
#include "ui/mode_controls.h"
#include "ui/page_table.h"
#include "ui/skin_panel.h"
#include "ui/tool_bar.h"

namespace mirelune::ui {
namespace {

using controls::FlagSetup;
using controls::MBtnFlag;
using controls::MScrollBar;
using controls::PixelRect;

// Frame geometry in pixels of the window's client area.
constexpr int kTopBarLeft = 6;
constexpr int kTopBarHeight = 32;
constexpr QRect kPageRect(7, 69, 959, 253);  // PictureMode(p): 105, 1035, 14385 x 3795 twips
constexpr int kGraphLeft = 7;
constexpr int kGraphTop = 69 + 253 + 2;      // under the page containers
constexpr int kGraphHeightLess = 355;        // graph height = client height - 355
constexpr int kGraphWidthLess = 15;
constexpr int kToolBarHeight = 25;
constexpr QRect kProgressRect(200, 24, 525, 25);  // 3000, 360, 7875 x 375 twips in the graph
constexpr int kStatusLeft = 196;       // in the tool bar, right of undo and redo
constexpr int kStatusRightLess = 316;  // left of the microphone copy
constexpr int kStatusTimerMs = 500;  // the open result changes without a notice

QString Images(int first) { return QString("%1,%2").arg(first).arg(first + 1); }

MBtnFlag* MakeFlag(const QString& images, int actionType, int value, const Store* store,
                   QWidget* parent) {
  FlagSetup s;
  s.PngIndexStr = images;
  s.ActionType = actionType;
  s.Value = value;
  return new MBtnFlag(s, store, parent);
}

// Writes a field by the slot rule: the current sound mode's slot, and the other of slots 0 and
// 1 too when the address is common to both modes; slot 0 only for the system kinds.
template <typename Write>
void WriteBySlotRule(Store& store, int address, Write write) {
  if (address < 0 || address >= kAddressCount) return;
  if (address >= kFirstSlotOnlyAddress) {
    write(store.ParamTable.at(0, address));
    return;
  }
  const int m = store.CurrentSoundMode != 0 ? 1 : 0;
  write(store.ParamTable.at(m, address));
  if (store.ParamTable.at(0, address).PerMode == kFalse) write(store.ParamTable.at(1 - m, address));
}

int32_t RoundValue(float v) { return static_cast<int32_t>(RoundHalfEven(v)); }

}  // namespace

FrmEq::FrmEq(ConsoleSession& session, QWidget* parent) : QWidget(parent), session_(session) {
  setObjectName("frmEQ");
  setMinimumSize(kMinWidth, kMinHeight);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(20, 22, 27));
  setPalette(pal);

  sliders_.assign(kSliderSlots, nullptr);
  effectSubPageOf_.assign(kSliderSlots, -1);
  BuildTopBar();
  BuildPageButtons();
  BuildPages();
  BuildGraph();
  resize(kMinWidth, kMinHeight);
  LayoutFrame();

  session_.onDeviceRead = [this] { RefreshControls(); };
  session_.onLinkChanged = [this] { UpdateLinkDisplay(); };
  session_.notifier().onBusy = [this](bool busy) { SetBusy(busy); };
  new AdminActions(session_, *this);  // the password prompt and Ctrl+H
  statusTimer_ = session_.scheduler().StartTimer(kStatusTimerMs, true, [this] { UpdateLinkDisplay(); });

  for (QWidget* w : {static_cast<QWidget*>(connectStatus_), static_cast<QWidget*>(minimise_),
                     static_cast<QWidget*>(exit_)})
    static_cast<MBtnFlag*>(w)->BkGround_Init();
  for (MBtnFlag* b : pageButtons_) b->BkGround_Init();
  ShowPage(0);
  UpdateLinkDisplay();
}

FrmEq::~FrmEq() {
  session_.scheduler().StopTimer(statusTimer_);
  session_.scheduler().StopTimer(closeTimer_);
  session_.onDeviceRead = nullptr;
  session_.onLinkChanged = nullptr;
  session_.notifier().onBusy = nullptr;
  graph_->StopTimers();
}

// ---- Building ----

void FrmEq::BuildTopBar() {
  topBar_ = new SkinPanel(QColor(44, 48, 58), QColor(26, 28, 34), QColor(70, 76, 90), this);
  topBar_->setObjectName("Picture2");
  const Store* store = &session_.store();
  // Values 0 offline, 1 online, 2 switched off.
  connectStatus_ = MakeFlag(QString("%1,%2,%3")
                                .arg(skin::id::kLinkOffline)
                                .arg(skin::id::kLinkOnline)
                                .arg(skin::id::kLinkSwitchedOff),
                            2, 0, store, topBar_);
  connectStatus_->setObjectName("cmdConnectStatus");
  connectStatus_->move(0, 2);
  connect(connectStatus_, &MBtnFlag::Click, this, [this] {
    session_.link().ToggleLinkSwitch();
    UpdateLinkDisplay();
  });

  statusLabel_ = new QLabel(topBar_);
  statusLabel_->setObjectName("linkStatusText");
  statusLabel_->setStyleSheet("color: #c8ccd4; font-size: 11px;");
  statusLabel_->setWordWrap(true);

  minimise_ = MakeFlag(Images(skin::id::kMinimise), 1, 0, store, topBar_);
  minimise_->setObjectName("cmdMinForm");
  connect(minimise_, &MBtnFlag::Click, this, &FrmEq::minimiseRequested);
  exit_ = MakeFlag(Images(skin::id::kExit), 1, 0, store, topBar_);
  exit_->setObjectName("cmdExit");
  connect(exit_, &MBtnFlag::Click, this, [this] {
    if (RequestExit()) emit closeNow();
  });
}

void FrmEq::BuildPageButtons() {
  for (const PageButtonEntry& e : PageButtons()) {
    MBtnFlag* b = MakeFlag(Images(e.image), 2, 0, &session_.store(), this);
    b->setObjectName(QString("cmdPage%1").arg(e.page));
    b->setGeometry(PixelRect(e.rect));
    b->setVisible(e.reachable);
    connect(b, &MBtnFlag::Click, this, [this, page = e.page] { ShowPage(page); });
    pageButtons_.at(static_cast<size_t>(e.page)) = b;
  }
}

void FrmEq::BuildPages() {
  std::vector<MScrollBar*> bySlot(kSliderSlots, nullptr);
  for (int p = 0; p < kPageCount; ++p) {
    auto* page = new SkinPanel(QColor(34, 37, 45), QColor(18, 20, 25), QColor(62, 68, 82), this);
    page->setObjectName(QString("PictureMode%1").arg(p));
    page->setGeometry(kPageRect);
    page->hide();
    pages_.at(static_cast<size_t>(p)) = page;
    for (const SliderEntry& e : PageSliders(p)) {
      auto* s = new MScrollBar(e.setup, &session_.store(), page);
      s->setObjectName(QString("MyScrollBar%1").arg(e.number));
      s->SetAddr(AddressFromTag(e.tag.toStdString()));
      s->setGeometry(PixelRect(e.rect));
      connect(s, &MScrollBar::Scroll, this, [this, n = e.number] { OnSliderScroll(n); });
      sliders_.at(static_cast<size_t>(e.number)) = s;
      effectSubPageOf_.at(static_cast<size_t>(e.number)) = e.effectSubPage;
      bySlot.at(static_cast<size_t>(e.number)) = s;
    }
  }
  int i = 0;
  for (const TabEntry& t : EffectTabs()) {
    MBtnFlag* tab = MakeFlag(t.images, 2, i == 0 ? 1 : 0, &session_.store(), pages_[kEffectsPage]);
    tab->setObjectName(QString("Command3_%1").arg(i));
    tab->setGeometry(PixelRect(t.rect));
    connect(tab, &MBtnFlag::Click, this, [this, i] { ShowEffectSubPage(i); });
    effectTabs_.at(static_cast<size_t>(i++)) = tab;
  }
  sink_ = std::make_unique<controls::SliderBandSink>(std::move(bySlot));
}

void FrmEq::BuildGraph() {
  graph_ = new GraphWidget(session_.store(), session_.scheduler(), this);
  graph_->model().SetSliders(sink_.get());
  graph_->sendParam = [this](int address) { session_.SendParam(address); };
  graph_->gestures().beginChange = [this] { session_.history().BeginChange(); };
  progress_ = new controls::C_ProgressBar(graph_);
  progress_->setObjectName("C_ProgressBar1");
  progress_->setGeometry(kProgressRect);
  progress_->hide();
  toolBar_ = new SkinPanel(QColor(40, 44, 53), QColor(24, 26, 31), QColor(62, 68, 82), this);
  toolBar_->setObjectName("Picture4");
  tools_ = new ToolBar(session_, *this, toolBar_);
  modes_ = new ModeControls(session_, *this, topBar_, toolBar_, pages_);
  // The top bar holds the master volumes; the link's text goes to the tool bar's free middle.
  statusLabel_->setParent(toolBar_);
}

// ---- Layout ----

void FrmEq::resizeEvent(QResizeEvent*) { LayoutFrame(); }

void FrmEq::LayoutFrame() {
  const int w = width();
  const int h = height();
  topBar_->setGeometry(kTopBarLeft, 0, w - 13, kTopBarHeight);
  const int barWidth = topBar_->width();
  exit_->move(barWidth - exit_->width() - 6, (kTopBarHeight - exit_->height()) / 2);
  minimise_->move(exit_->x() - minimise_->width() - 4, exit_->y());
  const int graphHeight = std::max(1, h - kGraphHeightLess);
  graph_->setGeometry(kGraphLeft, kGraphTop, w - kGraphWidthLess, graphHeight);
  toolBar_->setGeometry(kGraphLeft, kGraphTop + graphHeight, w - kGraphWidthLess, kToolBarHeight);
  tools_->Layout(toolBar_->width());
  modes_->LayoutToolBar(toolBar_->width());
  statusLabel_->setGeometry(kStatusLeft, 0,
                            std::max(1, toolBar_->width() - kStatusRightLess - kStatusLeft - 4),
                            kToolBarHeight);
}

void FrmEq::LayoutEffectStrips() {
  const int sub = session_.store().EffectSubPage;
  int k = 0;
  for (int n = 0; n < kSliderSlots; ++n) {
    const int owner = effectSubPageOf_[static_cast<size_t>(n)];
    if (owner < 0) continue;
    MScrollBar* s = sliders_[static_cast<size_t>(n)];
    const int left = owner == sub ? EffectStripLeft(k++) : kOutOfSightLeft;
    s->move(PixelRect({left, kEffectStripTop, 0, 0}).topLeft());
  }
}

void FrmEq::InitLayers(int page) {
  QWidget* container = pages_.at(static_cast<size_t>(page));
  for (MScrollBar* s : container->findChildren<MScrollBar*>(Qt::FindDirectChildrenOnly))
    s->BkGround_Init();
  for (MBtnFlag* b : container->findChildren<MBtnFlag*>(Qt::FindDirectChildrenOnly))
    b->BkGround_Init();
}

// ---- Pages ----

void FrmEq::ShowPage(int page) {
  if (page < 0 || page >= kPageCount) return;
  Store& store = session_.store();
  store.CurrentPage = page;
  for (int p = 0; p < kPageCount; ++p) {
    pageButtons_[static_cast<size_t>(p)]->SetValue(p == page ? 1 : 0);
    pages_[static_cast<size_t>(p)]->setVisible(p == page);
  }
  if (page == kEffectsPage) LayoutEffectStrips();
  tools_->ShowPage(page);
  modes_->ShowPage(page);
  InitLayers(page);
  RefreshControls();
}

void FrmEq::ShowEffectSubPage(int i) {
  if (i < 0 || i >= kEffectSubPages) return;
  session_.store().EffectSubPage = static_cast<uint8_t>(i);
  for (int t = 0; t < kEffectSubPages; ++t) effectTabs_[static_cast<size_t>(t)]->SetValue(t == i ? 1 : 0);
  LayoutEffectStrips();
  InitLayers(kEffectsPage);
  RefreshControls();
}

void FrmEq::RefreshControls() {
  const Store& store = session_.store();
  const int p = store.CurrentPage;
  const int first = store.KindStart[static_cast<size_t>(p)];
  const int last = store.KindEnd[static_cast<size_t>(p)];
  for (MScrollBar* s : sliders_) {
    // Graph sliders are set by the graph when it rebuilds its bands.
    if (!s || !s->EQindex().isEmpty() || s->Addr() < first || s->Addr() > last) continue;
    s->SetValue(static_cast<float>(store.ParamTable.at(store.SlotFor(s->Addr()), s->Addr()).Value));
  }
  modes_->Refresh();
  graph_->Rebuild();
}

// ---- Editing ----

void FrmEq::OnSliderScroll(int number) {
  MScrollBar* s = Slider(number);
  if (!s) return;
  Store& store = session_.store();
  ResponseModel& model = graph_->model();
  const int a = s->Addr();
  // One undo step per burst of changes, taken before the first one is written.
  if (a >= 0 && a < kFirstSlotOnlyAddress) session_.history().BeginChange();
  int band = -1;
  for (int b = 0; b < model.BandCount(); ++b)
    if (model.Band(b).SliderIndex == number) band = b;

  if (band >= 0 && model.Band(band).Kind == kBandEq) {
    GraphBand& g = model.MutableBands().bands.at(static_cast<size_t>(band));
    g.Freq = s->Freq();
    g.Gain = RoundValue(s->Value());
    g.Q = s->q();
    g.SQ = s->sQ();
    g.QType = s->QType();
    g.EQDisabled = s->EQdisabled() ? kTrue : kFalse;
    WriteBySlotRule(store, a, [&](ParamRecord& r) {
      r.QType = static_cast<uint8_t>(g.QType);
      r.Freq = g.Freq;
      r.Q = g.Q;
      r.SQ = g.SQ;
      r.EQDisabled = g.EQDisabled;
      r.Gain = g.Gain;
    });
    model.SelectBand(band);
  } else {
    const int32_t v = RoundValue(s->Value());
    if (band >= 0) {
      // A filter frequency. The effects page's cut filters move the curve only on their own
      // sub-page: the echo's on the echo part, the reverb's on the reverb part.
      const int sub = store.EffectSubPage;
      const bool moves = store.CurrentPage != kEffectsPage ||
                         ((a == 774 || a == 775) && sub == 0) ||
                         ((a == 781 || a == 782) && sub == 1);
      if (moves) {
        model.MutableBands().bands.at(static_cast<size_t>(band)).Freq = v;
        model.SelectBand(band);
      }
    }
    WriteBySlotRule(store, a, [&](ParamRecord& r) { r.Value = v; });
  }
  // The slider takes no input while its own frame is on the way.
  s->SetEnabled(false);
  session_.SendParam(a);
  s->SetEnabled(true);
}

// ---- Link display, progress, exit ----

QString FrmEq::StatusText() const { return statusLabel_->text(); }

void FrmEq::UpdateLinkDisplay() {
  const int status = session_.link().ConnectStatusValue();
  if (connectStatus_->Value() != status) connectStatus_->SetValue(status);
  const QString text = QString::fromStdString(session_.StatusText());
  if (statusLabel_->text() != text) {
    statusLabel_->setText(text);
    statusLabel_->setToolTip(QString::fromStdString(session_.StatusDetail()));
  }
}

void FrmEq::SetBusy(bool busy) {
  busy_ = busy;
  // A transfer locks everything the user could edit with; the link switch and exit stay.
  for (QWidget* w : pages_) w->setEnabled(!busy);
  for (MBtnFlag* b : pageButtons_) b->setEnabled(!busy);
  graph_->setEnabled(!busy);
  toolBar_->setEnabled(!busy);
  progress_->setVisible(busy);
  if (busy) progress_->raise();
  UpdateLinkDisplay();
}

bool FrmEq::RequestExit() {
  const bool waiting = session_.Quit();
  graph_->StopTimers();
  if (!waiting) return true;
  // The waiting request ends at its next turn now that Quitting is set; the window closes once
  // it has, never from under it.
  session_.notifier().Warning(kStoppingText);
  session_.scheduler().StopTimer(closeTimer_);
  closeTimer_ = session_.scheduler().StartTimer(kCloseDelayMs, false, [this] {
    closeTimer_ = 0;
    emit closeNow();
  });
  return false;
}

MScrollBar* FrmEq::Slider(int number) const {
  if (number < 0 || number >= static_cast<int>(sliders_.size())) return nullptr;
  return sliders_[static_cast<size_t>(number)];
}

}  // namespace mirelune::ui
