// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tuning/mode_controls.h"

#include <algorithm>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "controls/parent_background.h"
#include "controls/mbtnflag.h"
#include "controls/mscrollbar.h"
#include "graph/graph_hooks.h"
#include "model/scales.h"
#include "model/store.h"
#include "ui/session/console_session.h"
#include "ui/pages/control_help.h"
#include "ui/tuning/frm_eq.h"
#include "ui/graph/graph_widget.h"
#include "ui/pages/page_table.h"
#include "ui/tuning/tool_bar.h"
#include "platform/tr.h"

namespace mirelune::ui {
namespace {

using controls::MBtnFlag;
using controls::MScrollBar;
using controls::PixelRect;
using G = SystemButtonGroup;

int32_t& SystemValue(Store& store, int address) { return store.ParamTable.at(0, address).Value; }

bool MovesOffToolBar(G g) { return g == G::BassMode || g == G::BassAutoPair; }

QString ButtonToolTip(const SystemButtonEntry& e) {
  switch (e.group) {
    case G::BassMode: return Tr(e.index == 0 ? "唱歌模式" : "劲舞模式");
    case G::BassAutoPair:
      return Tr(e.index == 0 ? "超低音自动控制：关" : "超低音自动控制：开");
    case G::BassAutoSingle: return ParameterName(sysaddr::kBassAuto);
    case G::ByPass: return Tr("旁路\n本页（或效果部分）的均衡器直通");
    case G::Reset: return Tr("复位\n本页均衡器恢复出厂设置");
    case G::SingleMute:
    case G::MyMute: return ParameterName(SystemGroupAddress(e.group, e.index)) + Tr("\n点击切换");
    case G::OptionInput:
    case G::OptionFbx:
    case G::OptionFbx2:
    case G::OptionEx:
      return ParameterName(SystemGroupAddress(e.group, 0)) + QString(" %1").arg(e.index + 1);
  }
  return {};
}

}  // namespace

ModeControls::ModeControls(ConsoleSession& session, FrmEq& window, QWidget* topBar,
                           QWidget* toolBar, const std::array<QWidget*, 8>& pages)
    : QObject(&window), session_(session), window_(window), toolBar_(toolBar) {
  Build(topBar, toolBar, pages);
  // Keys go to whichever control has the focus; an application filter sees them first.
  qApp->installEventFilter(this);
}

ModeControls::~ModeControls() { qApp->removeEventFilter(this); }

void ModeControls::Build(QWidget* topBar, QWidget* toolBar, const std::array<QWidget*, 8>& pages) {
  const Store* store = &session_.store();
  for (const SystemButtonEntry& e : SystemButtons()) {
    QWidget* parent = e.panel == SystemPanel::TopBar    ? topBar
                      : e.panel == SystemPanel::ToolBar ? toolBar
                                                        : pages.at(static_cast<size_t>(e.page));
    controls::FlagSetup s;
    s.PngIndexStr = e.images;
    s.ActionType = e.actionType;
    s.Value = e.value;
    auto* b = new MBtnFlag(s, store, parent);
    b->setObjectName(e.name);
    b->setGeometry(PixelRect(e.rect));
    b->setToolTip(ButtonToolTip(e));
    connect(b, &MBtnFlag::Click, this, [this, &e] { OnClick(e); });
    buttons_.push_back({&e, b});
  }
  for (const MasterSliderEntry& m : MasterSliders()) {
    auto* s = new MScrollBar(m.setup, store, topBar);
    s->setObjectName(QString("MyScrollBar%1").arg(m.number));
    s->SetAddr(AddressFromTag(m.tag.toStdString()));
    s->setGeometry(PixelRect(m.rect));
    static const char* const kKeys[] = {"Q / A", "W / S", "E / D"};
    s->setToolTip(SliderToolTip(s->Addr(), m.setup.ValueType, m.setup.MaxValue,
                                Tr("键 %1：加 / 减").arg(kKeys[m.number])));
    connect(s, &MScrollBar::Scroll, this, [this, i = m.number] {
      if (Idle()) {
        MasterSliderScroll(i);
      } else {
        Refresh();  // the read under way decides the value
      }
    });
    masters_.at(static_cast<size_t>(m.number)) = s;
  }
}

MBtnFlag* ModeControls::Button(SystemButtonGroup group, int index) const {
  for (const Built& b : buttons_)
    if (b.entry->group == group && b.entry->index == index) return b.button;
  return nullptr;
}

void ModeControls::LayoutToolBar(int width) {
  for (const Built& b : buttons_) {
    const int fromRight = ToolBarFromRight(*b.entry);
    if (fromRight >= 0) b.button->move(width - fromRight, b.button->y());
  }
}

void ModeControls::ShowPage(int page) {
  // Microphones and effects have no separate singing and dance values.
  const int top = page == 1 || page == kEffectsPage ? ToolBar::kOutOfSightTop : 0;
  ParentBackgroundBatch batch;
  for (const Built& b : buttons_) {
    if (MovesOffToolBar(b.entry->group)) b.button->move(b.button->x(), top);
    // Page buttons get their layers with their page; the bars' buttons here, once the bars paint.
    if (b.entry->panel != SystemPanel::Page) b.button->BkGround_Init();
  }
  for (MScrollBar* s : masters_) s->BkGround_Init();
}

bool ModeControls::Idle() const {
  return !window_.Busy() && !session_.history().Restoring() && toolBar_->isEnabled();
}

void ModeControls::OnClick(const SystemButtonEntry& e) {
  if (!Idle()) {
    // A toggle has already flipped its image; show the store again.
    Refresh();
    return;
  }
  switch (e.group) {
    case G::BassMode: SelectSoundMode(e.index); break;
    case G::BassAutoPair: SetBassAutoFromPair(e.index); break;
    case G::BassAutoSingle: SetBassAutoFromSwitch(); break;
    case G::ByPass: ToggleBypass(); break;
    case G::Reset: ResetEq(); break;
    case G::SingleMute:
    case G::MyMute: ToggleMute(e.group, e.index); break;
    case G::OptionInput:
    case G::OptionFbx:
    case G::OptionFbx2:
    case G::OptionEx: SelectRadio(e.group, e.index); break;
  }
}

// ---- Sound mode and the sub-woofer automatic control ----

void ModeControls::SelectSoundMode(int i) {
  if (i != 0 && i != 1) return;
  Store& store = session_.store();
  if (store.BassAutoControl == 1) {
    session_.notifier().Warning(kBassAutoModeWarning);
    return;
  }
  Button(G::BassMode, i)->SetValue(1);
  Button(G::BassMode, 1 - i)->SetValue(0);
  store.SetCurrentSoundMode(static_cast<uint8_t>(i));
  // The steps taken belong to the other slot: undoing them now would write the wrong mode.
  session_.history().ClearHistory();
  window_.RefreshControls();  // the graph shows the other slot
  session_.SendParam(sysaddr::kSoundMode);
  // The status line names the sound mode being edited: it changes now, not at its next tick.
  if (session_.onLinkChanged) session_.onLinkChanged();
}

void ModeControls::SetBassAutoFromPair(int i) {
  if (i != 0 && i != 1) return;
  Button(G::BassAutoPair, i)->SetValue(1);
  Button(G::BassAutoPair, 1 - i)->SetValue(0);
  Store& store = session_.store();
  store.BassAutoControl = static_cast<uint8_t>(Button(G::BassAutoPair, 1)->Value());
  Button(G::BassAutoSingle, 0)->SetValue(store.BassAutoControl);
  ApplyBassAuto();
}

void ModeControls::SetBassAutoFromSwitch() {
  Store& store = session_.store();
  const int v = Button(G::BassAutoSingle, 0)->Value() != 0 ? 1 : 0;
  store.BassAutoControl = static_cast<uint8_t>(v);
  Button(G::BassAutoPair, 0)->SetValue(1 - v);
  Button(G::BassAutoPair, 1)->SetValue(v);
  ApplyBassAuto();
}

void ModeControls::ApplyBassAuto() {
  Store& store = session_.store();
  ShowSoundMode();
  SystemValue(store, sysaddr::kBassAuto) = store.BassAutoControl;
  // The per-mode parameters lock (or unlock): steps across the switch would undo into them.
  session_.history().ClearHistory();
  window_.RefreshControls();
  session_.SendParam(sysaddr::kBassAuto);
}

void ModeControls::ShowSoundMode() {
  const Store& store = session_.store();
  const bool automatic = store.BassAutoControl == 1;
  const int mode = store.CurrentSoundMode != 0 ? 1 : 0;
  Button(G::BassMode, 0)->SetValue(automatic ? 0 : 1 - mode);
  Button(G::BassMode, 1)->SetValue(automatic ? 0 : mode);
  Button(G::BassAutoPair, 0)->SetValue(automatic ? 0 : 1);
  Button(G::BassAutoPair, 1)->SetValue(automatic ? 1 : 0);
  Button(G::BassAutoSingle, 0)->SetValue(automatic ? 1 : 0);
}

// ---- Bypass and reset ----

void ModeControls::ToggleBypass() {
  Store& store = session_.store();
  const int address = store.BypassAddress();
  SystemValue(store, address) = Button(G::ByPass, 0)->Value();
  session_.SendParam(address);
  // The overlay follows on the next draw tick.
  window_.graph()->timers().Start(GraphTimer::Draw);
}

void ModeControls::ResetEq() {
  ResponseModel& model = window_.graph()->model();
  // The locked bands (per-mode ones under the automatic control) take no edit, a reset neither.
  if (model.Locked()) return;
  ResponseModel::ResetHooks hooks;
  hooks.takeSnapshot = [this] { session_.history().PushSnapshot(); };
  if (session_.link().Online && !session_.link().Quitting)
    hooks.send = [this](int address) { return session_.SendInBulk(address); };
  hooks.refreshControls = [this] { window_.RefreshControls(); };
  model.ResetBands(hooks);
}

// ---- Radio groups, mutes, master sliders ----

void ModeControls::SelectRadio(SystemButtonGroup group, int i) {
  const int address = SystemGroupAddress(group, i);
  if (address < 0 || i < 0 || i >= RadioGroupSize(group)) return;
  ShowRadio(group, i);
  SystemValue(session_.store(), address) = i;
  session_.SendParam(address);
}

void ModeControls::ShowRadio(SystemButtonGroup group, int value) {
  // A stored value with no button of its own leaves the whole group off.
  for (int n = 0; n < RadioGroupSize(group); ++n) Button(group, n)->SetValue(n == value ? 1 : 0);
}

void ModeControls::ToggleMute(SystemButtonGroup group, int i) {
  const int address = SystemGroupAddress(group, i);
  MBtnFlag* b = Button(group, i);
  if (address < 0 || !b) return;
  SystemValue(session_.store(), address) = b->Value();
  if (group == G::SingleMute) {
    // The master slider shows its mute through its MuteRAMindex record.
    window_.RefreshControls();
    session_.SendParam(address);
  } else {
    session_.SendParam(address);
    window_.RefreshControls();
  }
}

void ModeControls::MasterSliderScroll(int i) {
  MScrollBar* s = MasterSlider(i);
  const int address = s->Addr();
  if (address < kFirstSlotOnlyAddress || address >= kAddressCount) return;
  SystemValue(session_.store(), address) = static_cast<int32_t>(RoundHalfEven(s->Value()));
  // The slider takes no input while its own frame is on the way.
  s->SetEnabled(false);
  session_.SendParam(address);
  s->SetEnabled(true);
}

bool ModeControls::MasterKey(int key) {
  // By key, not by the character it types: Shift and Caps Lock give the same step.
  static const int kKeys[3][2] = {{Qt::Key_Q, Qt::Key_A}, {Qt::Key_W, Qt::Key_S}, {Qt::Key_E, Qt::Key_D}};
  for (int i = 0; i < 3; ++i) {
    for (int down = 0; down < 2; ++down) {
      if (key != kKeys[i][down]) continue;
      MScrollBar* s = MasterSlider(i);
      if (!s->Enabled()) return true;  // its own frame is still on the way
      const float v = s->Value();
      if (down ? v <= 0 : v >= s->MaxValue()) return true;
      s->SetValue(down ? v - 1 : v + 1);
      MasterSliderScroll(i);
      return true;
    }
  }
  return false;
}

bool ModeControls::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
  auto* w = static_cast<QWidget*>(watched);
  // Wherever the focus is in the console's window (the frame, its menu bar, a page, a button),
  // but not in the other windows.
  if (w->window() != window_.window()) return false;
  if (qobject_cast<QLineEdit*>(w)) return false;  // typing a value into a slider's editor
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  if (!Idle()) return false;
  return MasterKey(key->key());
}

void ModeControls::ApplyMasterLimits() {
  const Store& store = session_.store();
  for (int i = 0; i < 3; ++i) {
    const int32_t limit = std::clamp(store.ParamTable.at(0, sysaddr::kMasterLimitFirst + i).Value, 0, 80);
    MasterSlider(i)->SetMaxValue(limit);
  }
}

void ModeControls::Refresh() {
  Store& store = session_.store();
  // A file or an undo step may bring other limits than the last read did.
  ApplyMasterLimits();
  for (MScrollBar* s : masters_) {
    s->SetValue(static_cast<float>(SystemValue(store, s->Addr())));
    s->Refresh();  // the mute record may have changed
  }
  for (G g : {G::OptionInput, G::OptionFbx, G::OptionFbx2, G::OptionEx})
    ShowRadio(g, SystemValue(store, SystemGroupAddress(g, 0)));
  for (const Built& b : buttons_) {
    const G g = b.entry->group;
    if (g == G::SingleMute || g == G::MyMute)
      b.button->SetValue(SystemValue(store, SystemGroupAddress(g, b.entry->index)) != 0 ? 1 : 0);
  }
  Button(G::ByPass, 0)->SetValue(SystemValue(store, store.BypassAddress()) != 0 ? 1 : 0);
  ShowSoundMode();
}

}  // namespace mirelune::ui
