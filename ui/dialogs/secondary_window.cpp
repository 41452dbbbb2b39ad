// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/secondary_window.h"

#include <QIcon>

#include "controls/parent_background.h"
#include "controls/mcombobox.h"
#include "controls/mscrollbar.h"
#include "model/scales.h"
#include "ui/session/console_session.h"
#include "ui/pages/control_help.h"
#include "ui/pages/skin_panel.h"
#include "model/slot_rule.h"
#include "platform/tr.h"

namespace mirelune::ui {

using controls::MComboBox;
using controls::MScrollBar;
using controls::PixelRect;

SecondaryWindow::SecondaryWindow(ConsoleSession& session, SecondaryKind kind, QWidget* parent)
    : QDialog(parent), session_(session), kind_(kind), layout_(SecondaryWindowLayout(kind)) {
  setObjectName(layout_.objectName);
  setWindowTitle(Tr(layout_.title));
  if (parent) setWindowIcon(parent->window()->windowIcon());
  setFixedSize(layout_.size);
  panel_ = new SkinPanel(QColor(38, 42, 51), QColor(20, 22, 27), QColor(62, 68, 82), this);
  panel_->setObjectName("panel");
  panel_->setGeometry(rect());
  panel_->SetCaptions(layout_.captions);

  const Store* store = &session_.store();
  for (const SecondarySlider& e : layout_.sliders) {
    auto* s = new MScrollBar(e.setup, store, panel_);
    s->setObjectName(QString("MyScrollBar%1").arg(e.number));
    s->SetAddr(AddressFromTag(e.tag.toStdString()));
    s->setGeometry(PixelRect(e.rect));
    s->setToolTip(SliderToolTip(s->Addr(), e.setup.ValueType, e.setup.MaxValue));
    connect(s, &MScrollBar::Scroll, this, [this, n = e.number] { OnSliderScroll(n); });
    if (static_cast<int>(sliders_.size()) <= e.number) sliders_.resize(static_cast<size_t>(e.number) + 1);
    sliders_[static_cast<size_t>(e.number)] = s;
  }
  for (const SecondaryOptionList& e : layout_.lists) {
    controls::ComboSetup setup;
    setup.ShowType = e.showType;
    auto* c = new MComboBox(setup, store, panel_);
    c->setObjectName(QString("MComboBox1_%1").arg(e.number));
    c->SetAddr(e.address);
    c->move(PixelRect(e.rect).topLeft());
    c->setToolTip(OptionListToolTip(e.address, e.showType));
    connect(c, &MComboBox::Change, this, [this, n = e.number](int item) { OnOptionList(n, item); });
    if (static_cast<int>(lists_.size()) <= e.number) {
      lists_.resize(static_cast<size_t>(e.number) + 1);
      listAddress_.resize(static_cast<size_t>(e.number) + 1, -1);
    }
    lists_[static_cast<size_t>(e.number)] = c;
    listAddress_[static_cast<size_t>(e.number)] = e.address;
  }
  LoadValues();
}

SecondaryWindow::~SecondaryWindow() = default;

MScrollBar* SecondaryWindow::Slider(int number) const {
  if (number < 0 || number >= static_cast<int>(sliders_.size())) return nullptr;
  return sliders_[static_cast<size_t>(number)];
}

MComboBox* SecondaryWindow::OptionList(int number) const {
  if (number < 0 || number >= static_cast<int>(lists_.size())) return nullptr;
  return lists_[static_cast<size_t>(number)];
}

void SecondaryWindow::LoadValues() {
  const Store& store = session_.store();
  for (MScrollBar* s : sliders_) {
    if (!s || s->Addr() < 0 || s->Addr() >= kAddressCount) continue;
    // The reverb details are common to both sound modes; the slot shown is the one edited.
    const int slot = layout_.write == SecondaryWrite::SlotRule ? store.SlotFor(s->Addr()) : 0;
    s->SetValue(static_cast<float>(store.ParamTable.at(slot, s->Addr()).Value));
  }
  for (MComboBox* c : lists_)
    if (c) c->SetValue(store.ParamTable.at(0, c->Addr()).Value);
}

void SecondaryWindow::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (layersReady_) return;
  layersReady_ = true;
  ParentBackgroundBatch batch;
  for (MScrollBar* s : sliders_)
    if (s) s->BkGround_Init();
  for (MComboBox* c : lists_)
    if (c) c->BkGround_Init();
}

void SecondaryWindow::OnSliderScroll(int number) {
  MScrollBar* s = Slider(number);
  if (!s) return;
  Store& store = session_.store();
  const int a = s->Addr();
  if (a < 0 || a >= kAddressCount) return;
  const auto v = static_cast<int32_t>(RoundHalfEven(s->Value()));
  if (layout_.write == SecondaryWrite::SlotRule) {
    WriteBySlotRule(store, a, [v](ParamRecord& r) { r.Value = v; });
  } else {
    store.ParamTable.at(0, a).Value = v;
  }
  if (kind_ == SecondaryKind::SystemSettings && onMasterLimits) onMasterLimits();
  if (onEdited) onEdited();
  // The slider takes no input while its own frame is on the way.
  s->SetEnabled(false);
  session_.SendParam(a);
  s->SetEnabled(true);
}

void SecondaryWindow::OnOptionList(int number, int item) {
  if (number < 0 || number >= static_cast<int>(listAddress_.size())) return;
  const int a = listAddress_[static_cast<size_t>(number)];
  if (a < 0 || a >= kAddressCount) return;
  session_.store().ParamTable.at(0, a).Value = item;
  if (onEdited) onEdited();
  session_.SendParam(a);
}

}  // namespace mirelune::ui
