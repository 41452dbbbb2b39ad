// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/mbtnflag.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "controls/parent_background.h"
#include "controls/pointer_notices.h"
#include "graph/skin.h"
#include "model/store.h"

namespace mirelune::controls {

namespace {

bool g_closing = false;

// Images with a hidden (front-panel item hidden) look.
int HiddenSubstitute(int id) {
  switch (id) {
    case 142: return 304;
    case 143: return 305;
    case 380: return 196;
    case 381: return 197;
    case 379: return 198;
    case 378: return 199;
    default: return id;
  }
}

int ButtonCode(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
  }
}

int ShiftCode(Qt::KeyboardModifiers m) {
  return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
         (m & Qt::AltModifier ? 4 : 0);
}

bool LimitedToOne(int actionType) { return actionType == 0 || actionType == 3 || actionType == 4; }

}  // namespace

void MBtnFlag::SetClosing(bool closing) { g_closing = closing; }

MBtnFlag::MBtnFlag(const FlagSetup& setup, const Store* store, QWidget* parent)
    : QWidget(parent), store_(store) {
  skin::LoadSkin();
  setMouseTracking(true);
  SetPNGIndexStr(setup.PngIndexStr);
  index_ = setup.Value;  // the stored index as laid out, without the reversal of type 4
  actionType_ = setup.ActionType;
  enabled_ = setup.Enabled;
  specialFeature_ = setup.SpecialFeature;
}

int MBtnFlag::Value() const { return actionType_ == 4 ? 1 - index_ : index_; }

void MBtnFlag::SetValue(int v) {
  if (LimitedToOne(actionType_) && v > 1) v = 1;
  index_ = actionType_ == 4 ? 1 - v : v;
  Refresh();
}

void MBtnFlag::SetEnabled(bool v) {
  enabled_ = v;
  if (specialFeature_ == QLatin1String("DisabledRefresh")) Refresh();
}

void MBtnFlag::SetPNGIndexStr(const QString& v) {
  pngIndexStr_ = v;
  images_ = v.split(QLatin1Char(','));
  FitToFirstImage();
}

void MBtnFlag::FitToFirstImage() {
  if (images_.isEmpty()) return;
  bool ok = false;
  const int id = images_.first().trimmed().toInt(&ok);
  const QSize s = ok ? skin::SkinSize(id) : QSize();
  if (!s.isEmpty() && s != size()) resize(s);
}

void MBtnFlag::resizeEvent(QResizeEvent*) {
  FitToFirstImage();
  if (layersReady_ && background_.size() != size()) BkGround_Init();
}

bool MBtnFlag::Hidden() const {
  if (!store_ || addr_ == -1 || addr_ < 0 || addr_ >= kAddressCount) return false;
  return store_->Menu.AddrHidden[static_cast<size_t>(addr_)] == 1;
}

int MBtnFlag::ShownImage() const {
  if (index_ < 0 || index_ >= images_.size()) return 0;
  bool ok = false;
  int id = images_.at(index_).trimmed().toInt(&ok);
  if (!ok) return 0;
  if (Hidden()) {
    id = HiddenSubstitute(id);
  } else if (!enabled_ && id == 312) {
    id = 317;
  }
  return id;
}

void MBtnFlag::showEvent(QShowEvent*) {
  if (!layersAtShow_) return;
  layersAtShow_ = false;
  BkGround_Init();
}

void MBtnFlag::BkGround_Init(bool /*ShowHide*/) {
  if (LayersAtFirstShow::Waiting(*this)) {
    layersAtShow_ = true;
    return;
  }
  background_ = ShareEqualLayer(RenderParentBackground(*this));
  layersReady_ = true;
  update();
}

void MBtnFlag::Refresh() { update(); }

void MBtnFlag::paintEvent(QPaintEvent*) {
  if (!layersReady_) return;
  QPainter g(this);
  g.drawImage(0, 0, background_);
  if (const int id = ShownImage()) skin::DrawSkinImage(id, g, 0, 0);
}

void MBtnFlag::mousePressEvent(QMouseEvent* e) {
  if (!enabled_ || Hidden()) return;
  const QPointF p = e->position();
  emit MouseDown(ButtonCode(e->button()), ShiftCode(e->modifiers()), static_cast<float>(p.x()),
                 static_cast<float>(p.y()));
  switch (actionType_) {
    case 0:
      index_ = index_ == 0 ? 1 : 0;
      emit Click();
      break;
    case 1:
      index_ = 1;
      break;
    case 2:
      emit Click();
      break;
    case 3:
    case 4:
      index_ = p.x() >= width() / 2.0 ? 1 : 0;
      emit Click();
      break;
    default:
      break;
  }
  Refresh();
}

void MBtnFlag::mouseReleaseEvent(QMouseEvent*) {
  if (!enabled_ || Hidden()) return;
  if (actionType_ == 1) {
    index_ = 0;
    emit Click();
  }
  if (!g_closing) Refresh();
}

void MBtnFlag::mouseMoveEvent(QMouseEvent*) {
  if (Hidden() || hover_) return;
  hover_ = true;
  emit MouseIn();
}

void MBtnFlag::leaveEvent(QEvent*) {
  if (!hover_) return;
  hover_ = false;
  emit MouseLeave();
  Refresh();
}

void MBtnFlag::wheelEvent(QWheelEvent* e) {
  e->accept();
  if (Hidden()) return;
  const int notch = PureWheelNotch(e->angleDelta(), e->modifiers(), e->buttons());
  if (notch != 0) emit Wheel(notch > 0);
}

}  // namespace mirelune::controls
