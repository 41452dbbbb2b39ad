// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tuning/frm_eq.h"

#include <algorithm>
#include <cmath>

#include <QLabel>
#include <QResizeEvent>

#include "controls/c_progressbar.h"
#include "controls/mbtnflag.h"
#include "controls/mcombobox.h"
#include "controls/mscrollbar.h"
#include "controls/child_layers.h"
#include "controls/parent_background.h"
#include "controls/slider_band_sink.h"
#include "graph/skin_ids.h"
#include "model/menu_catalogue.h"
#include "model/reverb_presets.h"
#include "model/scales.h"
#include "ui/tuning/admin_actions.h"
#include "ui/pages/band_strip_edit.h"
#include "ui/session/console_session.h"
#include "ui/pages/control_help.h"
#include "ui/graph/graph_widget.h"
#include "ui/tuning/mode_controls.h"
#include "ui/pages/page_captions.h"
#include "ui/pages/page_table.h"
#include "ui/dialogs/secondary_window.h"
#include "ui/pages/skin_panel.h"
#include "model/slot_rule.h"
#include "ui/tuning/tool_bar.h"
#include "ui/session/link_status_text.h"
#include "platform/tr.h"

namespace mirelune::ui {
namespace {

using controls::FlagSetup;
using controls::MBtnFlag;
using controls::MComboBox;
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
constexpr int kStatusRightLess = 418;  // left of the microphone copy
// The recording window's button ends the page button row; the drag handle stands at the row's
// right end when the window is wide enough for both.
constexpr controls::TwipsRect kRecordButtonRect{13035, 510, 1560, 495};
constexpr int kDragHandleRightLess = 108;
constexpr int kDragHandleTop = 36;
// The professional settings' button on the effects page (MBtnFlag2).
constexpr controls::TwipsRect kEffectsButtonRect{4980, 900, 1005, 435};

QString Images(int first) { return QString("%1,%2").arg(first).arg(first + 1); }

MBtnFlag* MakeFlag(const QString& images, int actionType, int value, const Store* store,
                   QWidget* parent) {
  FlagSetup s;
  s.PngIndexStr = images;
  s.ActionType = actionType;
  s.Value = value;
  return new MBtnFlag(s, store, parent);
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
  lists_.assign(kOptionListSlots, nullptr);
  flagButtons_.assign(kFlagButtonSlots, nullptr);
  effectSubPageOf_.assign(kSliderSlots, -1);
  BuildTopBar();
  BuildPageButtons();
  BuildPages();
  BuildGraph();
  resize(kMinWidth, kMinHeight);
  LayoutFrame();

  session_.onDeviceRead = [this] { RefreshControls(); };
  session_.onLinkChanged = [this] { UpdateLinkDisplay(); };
  session_.transfers().hooks.setPageSliderMax = [this](int, int, int) { ApplyMasterLimits(); };
  session_.transfers().hooks.closeSecondaryWindow = [this] {
    // A read replaces what the recording window shows; it closes, as the tuning window locks.
    for (SecondaryWindow* w : findChildren<SecondaryWindow*>())
      if (w->Kind() == SecondaryKind::Recording) w->reject();
  };
  new AdminActions(session_, *this);  // the password prompt and Ctrl+H

  {
    ParentBackgroundBatch batch;  // one render of each bar for all of its buttons
    for (MBtnFlag* b : {connectStatus_, minimise_, exit_, recordButton_, dragHandle_}) b->BkGround_Init();
    for (MBtnFlag* b : pageButtons_) b->BkGround_Init();
  }
  ApplyMasterLimits();
  ShowPage(0);
  UpdateLinkDisplay();
}

FrmEq::~FrmEq() {
  session_.scheduler().StopTimer(closeTimer_);
  session_.onDeviceRead = nullptr;
  session_.onLinkChanged = nullptr;
  session_.transfers().hooks.setPageSliderMax = nullptr;
  session_.transfers().hooks.closeSecondaryWindow = nullptr;
  graph_->StopTimers();
}

// ---- Building ----

void FrmEq::BuildTopBar() {
  topBar_ = new SkinPanel(QColor(44, 48, 58), QColor(26, 28, 34), QColor(70, 76, 90), this);
  topBar_->setObjectName("Picture2");
  topBar_->SetCaptions(TopBarCaptions());
  const Store* store = &session_.store();
  // Values 0 offline, 1 online, 2 switched off.
  connectStatus_ = MakeFlag(QString("%1,%2,%3")
                                .arg(skin::id::kLinkOffline)
                                .arg(skin::id::kLinkOnline)
                                .arg(skin::id::kLinkSwitchedOff),
                            2, 0, store, topBar_);
  connectStatus_->setObjectName("cmdConnectStatus");
  connectStatus_->setToolTip(Tr("联机开关\n点击断开或恢复与功放的连接"));
  connectStatus_->move(0, 2);
  connect(connectStatus_, &MBtnFlag::Click, this, [this] {
    session_.link().ToggleLinkSwitch();
    UpdateLinkDisplay();
  });

  statusLabel_ = new StatusLine(topBar_);
  statusLabel_->setObjectName("linkStatusText");
  statusLabel_->setStyleSheet("color: #c8ccd4; font-size: 11px;");

  minimise_ = MakeFlag(Images(skin::id::kMinimise), 1, 0, store, topBar_);
  minimise_->setObjectName("cmdMinForm");
  minimise_->setToolTip(Tr("最小化"));
  connect(minimise_, &MBtnFlag::Click, this, &FrmEq::minimiseRequested);
  exit_ = MakeFlag(Images(skin::id::kExit), 1, 0, store, topBar_);
  exit_->setObjectName("cmdExit");
  exit_->setToolTip(Tr("退出调音窗口"));
  connect(exit_, &MBtnFlag::Click, this, [this] {
    if (RequestExit()) emit closeNow();
  });
}

void FrmEq::BuildPageButtons() {
  for (const PageButtonEntry& e : PageButtons()) {
    MBtnFlag* b = MakeFlag(Images(e.image), 2, 0, &session_.store(), this);
    b->setObjectName(QString("cmdPage%1").arg(e.page));
    b->setToolTip(Tr(CatalogueKindCaption(e.page)));
    b->setGeometry(PixelRect(e.rect));
    b->setVisible(e.reachable);
    connect(b, &MBtnFlag::Click, this, [this, page = e.page] { ShowPage(page); });
    pageButtons_.at(static_cast<size_t>(e.page)) = b;
  }
  recordButton_ = MakeFlag("174,175", 1, 0, &session_.store(), this);
  recordButton_->setObjectName("cmdRecordPage");
  recordButton_->setGeometry(PixelRect(kRecordButtonRect));
  recordButton_->setToolTip(Tr("录音调节\n录音L/R通道的音乐、话筒、回声和混响音量"));
  connect(recordButton_, &MBtnFlag::Click, this, &FrmEq::OpenRecording);
  dragHandle_ = MakeFlag("110", 2, 0, &session_.store(), this);
  dragHandle_->setObjectName("MBtnFlag1");
  dragHandle_->setToolTip(Tr("按住拖动窗口"));
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
      s->setToolTip(SliderToolTip(s->Addr(), e.setup.ValueType, e.setup.MaxValue));
      connect(s, &MScrollBar::Scroll, this, [this, n = e.number] { OnSliderScroll(n); });
      sliders_.at(static_cast<size_t>(e.number)) = s;
      effectSubPageOf_.at(static_cast<size_t>(e.number)) = e.effectSubPage;
      bySlot.at(static_cast<size_t>(e.number)) = s;
    }
    // Option lists after the sliders: an open list's face stays above its neighbours.
    for (const OptionListEntry& e : PageOptionLists(p)) {
      auto* c = new MComboBox(e.setup, &session_.store(), page);
      c->setObjectName(QString("MyComboBox%1").arg(e.number));
      c->SetAddr(AddressFromTag(e.tag.toStdString()));
      c->move(PixelRect(e.rect).topLeft());
      c->setToolTip(OptionListToolTip(c->Addr(), e.setup.ShowType));
      connect(c, &MComboBox::Change, this, [this, n = e.number](int item) { OnOptionListChange(n, item); });
      lists_.at(static_cast<size_t>(e.number)) = c;
    }
    for (const FlagButtonEntry& e : PageFlagButtons(p)) {
      auto* b = new MBtnFlag(e.setup, &session_.store(), page);
      b->setObjectName(QString("MyBTN%1").arg(e.number));
      b->SetAddr(AddressFromTag(e.tag.toStdString()));
      b->setGeometry(PixelRect(e.rect));
      b->setToolTip(FlagButtonToolTip(b->Addr()));
      connect(b, &MBtnFlag::Click, this, [this, n = e.number] { OnFlagButtonClick(n); });
      flagButtons_.at(static_cast<size_t>(e.number)) = b;
    }
    page->SetCaptions(PageCaptions(p));
  }
  FlagSetup fx;
  fx.PngIndexStr = "312,313";
  fx.ActionType = 1;
  fx.SpecialFeature = "DisabledRefresh";
  effectsButton_ = new MBtnFlag(fx, &session_.store(), pages_[kEffectsPage]);
  effectsButton_->setObjectName("MBtnFlag2");
  effectsButton_->setGeometry(PixelRect(kEffectsButtonRect));
  effectsButton_->setToolTip(Tr("专业设置\n混响的细节参数（仅在混响模式为“用户定义”时可用）"));
  connect(effectsButton_, &MBtnFlag::Click, this, &FrmEq::OpenEffects);
  int i = 0;
  for (const TabEntry& t : EffectTabs()) {
    MBtnFlag* tab = MakeFlag(t.images, 2, i == session_.store().EffectSubPage ? 1 : 0, &session_.store(),
                             pages_[kEffectsPage]);
    tab->setObjectName(QString("Command3_%1").arg(i));
    static const char* const kParts[] = {"回声均衡器", "混响均衡器", "效果均衡器"};
    tab->setToolTip(Tr(kParts[i]));
    tab->setGeometry(PixelRect(t.rect));
    connect(tab, &MBtnFlag::Click, this, [this, i] { ShowEffectSubPage(i); });
    effectTabs_.at(static_cast<size_t>(i++)) = tab;
  }
  sink_ = std::make_unique<controls::SliderBandSink>(std::move(bySlot));
}

void FrmEq::BuildGraph() {
  graph_ = new GraphWidget(session_.store(), session_.scheduler(), this);
  graph_->model().SetSliders(sink_.get());
  graph_->sendParam = [this](int address) { session_.PostParam(address); };
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
  const QRect record = recordButton_->geometry();
  dragHandle_->move(w - kDragHandleRightLess, kDragHandleTop);
  dragHandle_->setVisible(dragHandle_->x() > record.right() + 4);
  statusLabel_->setGeometry(kStatusLeft, 0,
                            std::max(1, toolBar_->width() - kStatusRightLess - kStatusLeft - 4),
                            kToolBarHeight);
}

void FrmEq::LayoutEffectStrips() {
  // The pressed tab, the strips, the graph and the bypass button all follow the store's
  // sub-page: also in a window built anew (a language switch) while it is not the first.
  const int sub = session_.store().EffectSubPage;
  for (int t = 0; t < kEffectSubPages; ++t) effectTabs_[static_cast<size_t>(t)]->SetValue(t == sub ? 1 : 0);
  int k = 0;
  for (int n = 0; n < kSliderSlots; ++n) {
    const int owner = effectSubPageOf_[static_cast<size_t>(n)];
    if (owner < 0) continue;
    MScrollBar* s = sliders_[static_cast<size_t>(n)];
    const int left = owner == sub ? EffectStripLeft(k++) : kOutOfSightLeft;
    s->move(PixelRect({left, kEffectStripTop, 0, 0}).topLeft());
  }
}

void FrmEq::InitLayers(int page) { controls::InitChildLayers(*pages_.at(static_cast<size_t>(page))); }

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
  LayoutEffectStrips();
  InitLayers(kEffectsPage);
  RefreshControls();
}

void FrmEq::RefreshControls() {
  const Store& store = session_.store();
  const int p = store.CurrentPage;
  const int first = store.KindStart[static_cast<size_t>(p)];
  const int last = store.KindEnd[static_cast<size_t>(p)];
  auto inRange = [&](int a) { return a >= first && a <= last; };
  auto stored = [&](int a) { return store.ParamTable.at(store.SlotFor(a), a).Value; };
  for (MScrollBar* s : sliders_) {
    // Graph sliders are set by the graph when it rebuilds its bands.
    if (!s || !s->EQindex().isEmpty() || !inRange(s->Addr())) continue;
    s->SetValue(static_cast<float>(stored(s->Addr())));
  }
  for (MComboBox* c : lists_)
    if (c && inRange(c->Addr())) c->SetValue(stored(c->Addr()));
  for (MBtnFlag* b : flagButtons_)
    if (b && inRange(b->Addr())) b->SetValue(stored(b->Addr()));
  if (p == kEffectsPage) ShowEffectsButtonState();
  modes_->Refresh();
  if (systemSettings_) systemSettings_->LoadValues();
  graph_->Rebuild();
}

void FrmEq::ShowEffectsButtonState() {
  // The finer reverb settings belong to the user-defined reverb mode only.
  const MComboBox* modes = OptionList(kReverbModeList);
  effectsButton_->SetEnabled(modes && modes->Value() == 0);
}

void FrmEq::ApplyMasterLimits() { modes_->ApplyMasterLimits(); }

// ---- Secondary windows ----

void FrmEq::OpenRecording() {
  if (!Idle()) return;
  SecondaryWindow w(session_, SecondaryKind::Recording, this);
  w.exec();
}

void FrmEq::OpenEffects() {
  if (!Idle() || !effectsButton_->Enabled()) return;
  SecondaryWindow w(session_, SecondaryKind::Effects, this);
  w.onEdited = [this] { RefreshControls(); };
  w.exec();
}

SecondaryWindow* FrmEq::OpenSystemSettings() {
  if (!systemSettings_) {
    systemSettings_ = new SecondaryWindow(session_, SecondaryKind::SystemSettings, this);
    systemSettings_->setAttribute(Qt::WA_DeleteOnClose);
    systemSettings_->setModal(false);
    systemSettings_->onMasterLimits = [this] { ApplyMasterLimits(); };
    systemSettings_->onEdited = [this] { modes_->Refresh(); };
  }
  systemSettings_->show();
  systemSettings_->raise();
  systemSettings_->activateWindow();
  return systemSettings_;
}

SecondaryWindow* FrmEq::SystemSettings() const { return systemSettings_; }

bool FrmEq::Idle() const {
  return !busy_ && !session_.history().Restoring() && toolBar_->isEnabled();
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
  if (!ApplyBandStrip(store, model, *s, number)) {
    int band = -1;
    for (int b = 0; b < model.BandCount(); ++b)
      if (model.Band(b).SliderIndex == number) band = b;
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

void FrmEq::OnOptionListChange(int number, int item) {
  MComboBox* c = OptionList(number);
  if (!c) return;
  Store& store = session_.store();
  const int a = c->Addr();
  if (a < 0 || a >= kAddressCount) return;
  // Each choice is an undo step of its own, taken before it is written.
  if (a < kFirstSlotOnlyAddress) session_.history().PushSnapshot();
  const int32_t v = c->Value();
  WriteBySlotRule(store, a, [v](ParamRecord& r) { r.Value = v; });
  if (c->SpecialFeature() == QLatin1String(kReverbSelectFeature)) {
    effectsButton_->SetEnabled(item == 0);
    if (item >= 1 && item <= 4) ApplyReverbPreset(item);
  } else {
    bool isBand = false;
    const int b = c->SpecialFeature().toInt(&isBand);
    ResponseModel& model = graph_->model();
    if (isBand && b >= 0 && b < model.BandCount()) {
      // The option list chooses the filter type of its graph band.
      model.MutableBands().bands.at(static_cast<size_t>(b)).Gain = v;
      model.SelectBand(b);
    }
  }
  session_.SendParam(a);
}

void FrmEq::ApplyReverbPreset(int item) {
  // The presets go into both sound modes and are not sent: the amplifier applies the same
  // preset itself when it receives the reverb mode.
  const auto& entries = ReverbPresetEntries();
  for (int e = 0; e < static_cast<int>(entries.size()); ++e) {
    MScrollBar* s = Slider(entries[static_cast<size_t>(e)].slider);
    const int32_t v = ReverbPresetValue(e, item);
    if (!s || v < 0) continue;
    s->SetValue(static_cast<float>(v));
    WriteBothSlots(session_.store(), s->Addr(), v);
  }
}

void FrmEq::OnFlagButtonClick(int number) {
  MBtnFlag* b = FlagButton(number);
  if (!b) return;
  const int a = b->Addr();
  if (a < 0 || a >= kAddressCount) return;
  if (a < kFirstSlotOnlyAddress) session_.history().PushSnapshot();
  const int32_t v = b->Value();
  WriteBySlotRule(session_.store(), a, [v](ParamRecord& r) { r.Value = v; });
  session_.SendParam(a);
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
  recordButton_->setEnabled(!busy);
  if (systemSettings_) systemSettings_->setEnabled(!busy);
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

MComboBox* FrmEq::OptionList(int number) const {
  if (number < 0 || number >= static_cast<int>(lists_.size())) return nullptr;
  return lists_[static_cast<size_t>(number)];
}

MBtnFlag* FrmEq::FlagButton(int number) const {
  if (number < 0 || number >= static_cast<int>(flagButtons_.size())) return nullptr;
  return flagButtons_[static_cast<size_t>(number)];
}

QWidget* FrmEq::TopBar() const { return topBar_; }

MScrollBar* FrmEq::Slider(int number) const {
  if (number < 0 || number >= static_cast<int>(sliders_.size())) return nullptr;
  return sliders_[static_cast<size_t>(number)];
}

}  // namespace mirelune::ui
