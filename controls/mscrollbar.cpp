// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/mscrollbar.h"

#include <cmath>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QStyleHints>
#include <QLineEdit>
#include <QMouseEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QWheelEvent>

#include "controls/parent_background.h"
#include "controls/pointer_notices.h"
#include "controls/value_type.h"
#include "graph/skin.h"
#include "model/param_names.h"
#include "model/scales.h"
#include "model/store.h"
#include "model/value_text.h"
#include "platform/tr.h"

namespace mirelune::controls {

namespace {

constexpr QRgb kTextNormal = 0xFFDDDDDD;
constexpr QRgb kTextGreyed = 0xFF888888;
constexpr int kRepeatMs = 50;
constexpr int kRepeatDelayTicks = 5;  // the first step comes 250 ms after the press
constexpr int kStripMax = 360;
constexpr int kStripValueType = 15;
constexpr int kStripStartPosition = 240;  // 0.0 dB
constexpr int kFreqLow = 1;
constexpr int kFreqHigh = 361;

bool AddressInRange(int a) { return a >= 0 && a < kAddressCount; }

// Why typed text was refused, in the console's language, with the range it must lie in.
QString RefusalText(const TypedValue& v) {
  // "OFF" as the sliders show it: "关" / "Off".
  const QString range = QString::fromStdString(v.range).replace(QStringLiteral("OFF"), Tr("关"));
  switch (v.problem) {
    case TypedProblem::NotANumber: return Tr("不是数值。范围：%1").arg(range);
    case TypedProblem::WrongUnit: return Tr("单位不对。范围：%1").arg(range);
    case TypedProblem::NoOff: return Tr("此项不能关闭。范围：%1").arg(range);
    case TypedProblem::OutOfRange:
    case TypedProblem::None: break;
  }
  return Tr("超出范围：%1").arg(range);
}

int MuteImage(int mute, bool pressed) {
  if (mute == 1) return pressed ? 309 : 308;
  return pressed ? 311 : 310;
}

}  // namespace

MScrollBar::MScrollBar(const Store* store, QWidget* parent) : QWidget(parent), store_(store) {
  Init();
}

MScrollBar::MScrollBar(const SliderSetup& setup, const Store* store, QWidget* parent)
    : QWidget(parent), store_(store) {
  Init();
  ApplySetup(setup);
}

void MScrollBar::Init() {
  skin::LoadSkin();  // once per run; later calls return at once
  setMouseTracking(true);  // hover starts at the first move, not at the enter
  setFocusPolicy(Qt::ClickFocus);
  repeat_.setInterval(kRepeatMs);
  connect(&repeat_, &QTimer::timeout, this, &MScrollBar::RepeatTick);
  UpdateGeometry();
  position_ = NearestPosition(maxValue_ / 2.0, maxValue_);
}

// The set-up order matters: the geometry depends on the style fields, the forced ranges of
// styles 0 and 1 on the style, and the initial position on the range.
void MScrollBar::ApplySetup(const SliderSetup& s) {
  scrollBarType_ = s.ScrollBarType;
  tVisible_ = s.TVisible;
  labelId_ = s.LabelID;
  eqNormalStyle_ = s.EQNormalStyle;
  hScrollSize_ = s.HScrollSize;
  muteRamIndex_ = s.MuteRAMindex;
  UpdateGeometry();
  if (scrollBarType_ == 0) {
    maxValue_ = 150;
    valueType_ = 10;
  } else if (scrollBarType_ == 1) {
    maxValue_ = kStripMax;
    valueType_ = kStripValueType;
  } else {
    maxValue_ = s.MaxValue > 0 ? s.MaxValue : 1;
    valueType_ = s.ValueType;
  }
  UpdateGeometry();  // style 7's unit image depends on the value type just read
  position_ = scrollBarType_ == 1 ? kStripStartPosition : NearestPosition(maxValue_ / 2.0, maxValue_);
  enabled_ = s.Enabled;
  qType_ = s.QType;
  freq_ = s.Freq;
  q_ = ClampQIndex(s.q);
  sQ_ = ClampSlopeIndex(s.sQ);
}

void MScrollBar::UpdateGeometry() {
  geometry_ = GeometryFor(scrollBarType_, hScrollSize_, eqNormalStyle_, valueType_);
  readoutCache_ = {};
  resize(geometry_.size);
}

void MScrollBar::SetScrollBarType(int v) {
  scrollBarType_ = v;
  UpdateGeometry();
  update();
}

void MScrollBar::SetValueType(int v) {
  valueType_ = v;
  UpdateGeometry();
  if (layersReady_) BkGround_Init();
  update();
}

void MScrollBar::SetMaxValue(int v) {
  maxValue_ = v > 0 ? v : 1;
  if (position_ > maxValue_) position_ = maxValue_;
  update();
}

void MScrollBar::SetTVisible(bool v) {
  if (tVisible_ == v) return;
  tVisible_ = v;
  if (!v) {
    hover_ = false;
    CloseEditor();
  }
  if (layersReady_) BkGround_Init();
}

void MScrollBar::SetLabelID(int v) {
  labelId_ = v;
  update();
}

void MScrollBar::SetEQNormalStyle(int v) {
  eqNormalStyle_ = v;
  UpdateGeometry();
  update();
}

void MScrollBar::SetHScrollSize(int v) {
  hScrollSize_ = v;
  UpdateGeometry();
  update();
}

void MScrollBar::SetForceShowFocus(bool v) {
  if (forceShowFocus_ == v) return;
  forceShowFocus_ = v;
  update();
}

float MScrollBar::Value() const {
  float v = Holding() ? heldValue_ : ValueFromPosition(valueType_, position_);
  if (HasMuteFlag()) v += 250.0f * mute_;
  return v;
}

void MScrollBar::SetValue(float v) {
  if (HasMuteFlag()) {
    // The mute state of these volumes travels in the 250s of the raw value.
    if (v >= 250.0f) {
      mute_ = 1;
      v -= 250.0f;
    } else {
      mute_ = 0;
    }
  }
  position_ = PositionFromValue(valueType_, v, maxValue_);
  // A value the range does not reach is kept as it is, not bent to the nearest end: the
  // readout tells the truth and a change of something else (the band's bypass, its Q) does not
  // send the clamped value in its place.
  // Only the band strip holds such a value: the other sliders keep the reading their value
  // type gives (the nearest end), which their windows and limits rely on.
  held_ = scrollBarType_ == 1 && std::isfinite(v) && ValueFromPosition(valueType_, position_) != v &&
          PositionFromValue(valueType_, v, 1 << 20) != position_;
  heldValue_ = v;
  heldPosition_ = position_;
  update();
}

QString MScrollBar::Unit() const {
  if (unitSet_) return unit_;
  if (scrollBarType_ == 1) return QStringLiteral("dB");
  return QString::fromStdString(SliderUnit(addr_, valueType_));
}

namespace {
// A filter switched off reads "关" / "Off" in the console's language; typed, either word or
// "OFF" is taken.
QString ShownReadout(const std::string& number, const QString& unit) {
  if (number == "OFF") return Tr("关");
  return QString::fromStdString(WithUnit(number, unit.toStdString()));
}
}  // namespace

QString MScrollBar::ReadoutText() const {
  if (Holding()) {
    // The held value's own text where the scale reaches it; the nearest end's otherwise.
    const int p = PositionFromValue(valueType_, heldValue_, 1 << 20);
    const std::string n = ShownNumber(valueType_, p);
    if (!n.empty()) return ShownReadout(n, Unit());
  }
  return ShownReadout(ShownNumber(valueType_, position_), Unit());
}

void MScrollBar::ReportScroll() {
  if (held_ && position_ != heldPosition_) held_ = false;
  emit Scroll();
}

bool MScrollBar::Greyed() const {
  if (!store_ || !AddressInRange(addr_)) return false;
  if (store_->Menu.AddrHidden[static_cast<size_t>(addr_)] == 1) return true;
  return store_->BassAutoControl == 1 && store_->ParamTable.at(0, addr_).PerMode != kFalse;
}

bool MScrollBar::PerModeRecord() const {
  return store_ && AddressInRange(addr_) && store_->ParamTable.at(0, addr_).PerMode != kFalse;
}

int MScrollBar::MuteRecordValue() const {
  if (!store_ || !AddressInRange(muteRamIndex_)) return 0;
  return store_->ParamTable.at(0, muteRamIndex_).Value;
}

bool MScrollBar::TakesInput() const { return tVisible_ && enabled_ && !Greyed(); }
bool MScrollBar::Vertical() const { return geometry_.orientation == Orientation::Vertical; }
bool MScrollBar::Knob() const { return geometry_.orientation == Orientation::Knob; }

void MScrollBar::Refresh() { update(); }

void MScrollBar::showEvent(QShowEvent*) {
  if (!layersAtShow_) return;
  layersAtShow_ = false;
  BkGround_Init();
}

void MScrollBar::BkGround_Init(bool /*ShowHide*/) {
  if (LayersAtFirstShow::Waiting(*this)) {
    layersAtShow_ = true;
    return;
  }
  background_ = RenderParentBackground(*this);
  // A strip repaints with every value it shows (a drag on the graph moves one at each step):
  // over an opaque layer the panel behind it, captions and all, is not painted again.
  setAttribute(Qt::WA_OpaquePaintEvent, FullyOpaque(background_));
  QPainter g(&background_);
  if (tVisible_) {
    for (const PlacedImage& im : geometry_.background) {
      if (im.id) skin::DrawSkinImage(im.id, g, im.x, im.y);
    }
  }
  g.end();
  background_ = ShareEqualLayer(background_);
  layersReady_ = true;
  update();
}

void MScrollBar::resizeEvent(QResizeEvent*) {
  if (layersReady_ && background_.size() != size()) BkGround_Init();
}

// ---- drawing ----

int MScrollBar::FillImage() const {
  const bool greyed = Greyed();
  const bool dance = store_ && store_->CurrentSoundMode == 1;
  switch (scrollBarType_) {
    case 0:
      return greyed ? 0 : geometry_.fillNormal;
    case 1:
      if (greyed || eqDisabled_) return geometry_.fillGreyed;
      return PerModeRecord() && dance ? geometry_.fillDance : geometry_.fillNormal;
    case 4:
      if (greyed || (eqDisabled_ && PerModeRecord())) return 273;
      return PerModeRecord() && dance ? 277 : 141;
    case 5:
      return 0;
    case 6:
      if (muteRamIndex_ == 0) return 221;
      switch (MuteRecordValue()) {
        case 0: return 221;
        case 1: return 274;
        default: return 0;
      }
    default:  // 2, 3, 7
      if (PerModeRecord()) {
        if (greyed || eqDisabled_) return geometry_.fillGreyed;
        return dance ? geometry_.fillDance : geometry_.fillNormal;
      }
      if (muteRamIndex_ == 0 || greyed) return greyed ? geometry_.fillGreyed : geometry_.fillNormal;
      // A muted channel shows the grey fill; any value other than 1 counts as not muted.
      return MuteRecordValue() == 1 ? geometry_.fillGreyed : geometry_.fillNormal;
  }
}

void MScrollBar::paintEvent(QPaintEvent*) {
  if (!layersReady_) return;
  QPainter g(this);
  g.drawImage(0, 0, background_);
  if (!tVisible_) return;
  const bool greyed = Greyed();
  if (scrollBarType_ == 1) {
    DrawStrip(g, greyed);
  } else {
    DrawSlider(g, greyed);
  }
}

void MScrollBar::DrawSlider(QPainter& g, bool greyed) {
  const double c = Centre();
  const int fill = FillImage();
  const QRgb colour = greyed ? kTextGreyed : kTextNormal;
  switch (geometry_.orientation) {
    case Orientation::Vertical: {
      if (fill) skin::DrawImageBottomPart(fill, g, static_cast<int>(RoundHalfEven(c)));
      int thumb = geometry_.thumbNormal;
      if (greyed) {
        thumb = geometry_.thumbGreyed;
      } else if (forceShowFocus_ && geometry_.thumbFocused) {
        thumb = geometry_.thumbFocused;
      }
      skin::DrawSkinImage(thumb, g, geometry_.thumbX, c - geometry_.thumbHeight / 2.0);
      break;
    }
    case Orientation::Horizontal:
      if (fill) skin::DrawImageLeftPart(fill, g, static_cast<int>(RoundHalfEven(c)));
      skin::DrawSkinImage(greyed ? geometry_.thumbGreyed : geometry_.thumbNormal, g,
                          c - geometry_.thumbWidth / 2.0, geometry_.thumbY);
      break;
    case Orientation::Knob:
      skin::DrawSkinImage(geometry_.thumbNormal, g, 0, 0, KnobAngle(position_, maxValue_));
      break;
  }
  DrawReadout(g, ReadoutText(), colour);
  if (scrollBarType_ == 0) {
    skin::DrawSkinImage(MuteImage(mute_, mutePressed_), g, 13, 161);
  } else if (geometry_.muteIcon) {
    skin::DrawSkinImage(MuteImage(mute_, mutePressed_), g, 140, mutePressed_ ? 6 : 5);
  }
}

void MScrollBar::DrawStrip(QPainter& g, bool greyed) {
  const bool tall = eqNormalStyle_ == 1;
  const double c = Centre();
  if (labelId_ != 0) skin::DrawSkinImage(labelId_, g, 15, 0);
  skin::DrawImageBottomPart(FillImage(), g, static_cast<int>(RoundHalfEven(c)));

  static const int kButtons[3][3] = {{129, 132, 134}, {130, 131, 134}, {130, 132, 133}};
  static const int kGreyedSelected[3] = {300, 301, 302};
  if (qType_ >= 0 && qType_ <= 2) {
    for (int row = 0; row < 3; ++row) {
      int id = kButtons[qType_][row];
      if (row == qType_ && greyed) id = kGreyedSelected[qType_];
      skin::DrawSkinImage(id, g, 0, 60 + 18 * row);
    }
  }

  int thumb = greyed ? 107 : 102;
  if (forceShowFocus_ && !greyed && !eqDisabled_) thumb = 270;
  skin::DrawSkinImage(thumb, g, 16, c - 8);

  const QRgb colour = greyed ? kTextGreyed : kTextNormal;
  skin::DrawSkinTextAt(g, QString::fromStdString(GainText(StripGainCode())), colour,
                       ReadoutTextPos(tall, StripRow::Gain), ReadoutTextWidth(StripRow::Gain));
  if (qType_ == 0 || qType_ == 1 || qType_ == 2) {
    skin::DrawSkinTextAt(g, QText(qType_ == 0 ? q_ : sQ_), colour, ReadoutTextPos(tall, StripRow::Q),
                         ReadoutTextWidth(StripRow::Q));
  }
  skin::DrawSkinTextAt(g, FrequencyText(freq_), colour, ReadoutTextPos(tall, StripRow::Freq),
                       ReadoutTextWidth(StripRow::Freq));
  const QPointF b = BypassImagePos(tall);
  skin::DrawSkinImage(eqDisabled_ ? 295 : 294, g, b.x(), b.y());
}

// ---- mouse ----

int MScrollBar::PositionUnderPointer(QPointF p) const {
  if (Knob()) return KnobPositionAt(knobStart_, p.y(), pressPoint_.y(), maxValue_);
  return PositionAt(geometry_, p.x(), p.y(), maxValue_);
}

bool MScrollBar::InMuteIcon(QPointF p) const {
  if (scrollBarType_ == 0 && p.x() >= 13 && p.x() <= 25 && p.y() >= 161 && p.y() <= 170)
    return true;
  return hScrollSize_ == 3 && p.x() >= 140 && p.x() <= 152;
}

void MScrollBar::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  Press(e->position());
}

void MScrollBar::Press(QPointF p) {
  if (!TakesInput()) return;
  if (scrollBarType_ == 1 && InBypassRow(eqNormalStyle_ == 1, p.y())) {
    eqDisabled_ = !eqDisabled_;
    moved_ = true;  // the switch is the whole action; no click step follows
    ReportScroll();
    update();
    return;
  }
  if (InMuteIcon(p)) {
    mutePressed_ = true;
    moved_ = true;  // likewise: the icon toggles at the release, the level stays
    update();
    return;
  }
  if (eqDisabled_) return;
  pressPoint_ = p;
  moved_ = false;
  emit Click();
  if (scrollBarType_ == 1 && PressStrip(p)) return;
  // A click on the readout opens the editor, as on the band strip's readouts: no step.
  if (scrollBarType_ != 1 && !geometry_.textPos.isEmpty() &&
      ReadoutRect().adjusted(-2, -2, 2, 2).contains(p.toPoint())) {
    moved_ = true;
    OpenValueEditor();
    return;
  }

  const double c = Centre();
  knobStart_ = position_;
  if (ThumbHit(geometry_, c, p.x(), p.y())) {
    dragging_ = true;
    lastReported_ = position_;
    if (Vertical()) {
      grab_ = static_cast<double>(RoundHalfEven(p.y() - c));
    } else if (Knob()) {
      grab_ = 0;
    } else {
      grab_ = static_cast<double>(RoundHalfEven(p.x() - c));
    }
    return;
  }
  repeatCount_ = 0;
  repeatTarget_ = PositionUnderPointer(p);
  repeat_.start();
}

bool MScrollBar::PressStrip(QPointF p) {
  const StripRow row = ReadoutRowAt(eqNormalStyle_ == 1, p.y());
  if (row != StripRow::None) {
    OpenEditor(row);
    moved_ = true;
    return true;
  }
  CloseEditor();
  const int type = QTypeButtonAt(p.x(), p.y());
  if (type >= 0) {
    qType_ = type;
    ReportScroll();
    update();
    moved_ = true;
    return true;
  }
  return false;
}

void MScrollBar::mouseMoveEvent(QMouseEvent* e) {
  if (!tVisible_) return;
  const QPointF p = e->position();
  if (!hover_) {
    hover_ = true;
    if (enabled_ && !Greyed() && !eqDisabled_) setCursor(Qt::PointingHandCursor);
    emit MouseIn();
  }
  if (!enabled_ || Greyed() || eqDisabled_) return;
  lastPointer_ = p;
  // Any travel from the press point makes the release a drag, not a click. (Only vertical travel
  // counted before, so a perfectly level horizontal drag ended with a stray step back.)
  if (p != pressPoint_) moved_ = true;
  if (repeat_.isActive()) repeatTarget_ = PositionUnderPointer(p);
  if (!dragging_) return;

  int pos = 0;
  switch (geometry_.orientation) {
    case Orientation::Vertical:
      pos = PositionAt(geometry_, p.x(), p.y(), maxValue_, grab_);
      break;
    case Orientation::Horizontal:
      // The grab offset is not applied: the thumb centre follows the pointer itself.
      pos = PositionAt(geometry_, p.x(), p.y(), maxValue_);
      break;
    case Orientation::Knob:
      position_ = KnobPositionAt(knobStart_, p.y(), pressPoint_.y(), maxValue_);
      update();
      ReportScroll();  // the knob reports every move
      return;
  }
  position_ = pos;
  update();
  if (pos != lastReported_) {
    lastReported_ = pos;
    ReportScroll();
  }
}

void MScrollBar::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  Release(e->position());
  if (rect().contains(e->position().toPoint())) ClickStep();
  clickStepTime_ = e->timestamp();
}

void MScrollBar::Release(QPointF) {
  if (!tVisible_) return;
  if (mutePressed_) {
    mutePressed_ = false;
    mute_ = mute_ ? 0 : 1;
    ReportScroll();
    update();
    return;
  }
  dragging_ = false;
  repeat_.stop();
}

void MScrollBar::ClickStep() {
  clickStep_ = 0;
  if (!TakesInput() || eqDisabled_ || moved_) return;
  if (scrollBarType_ == 1 && !forceShowFocus_) {
    // A click on a strip that is not the selected band asks the window to select it.
    ReportScroll();
    return;
  }
  const double c = Centre();
  const QPointF p = pressPoint_;
  int dir = 0;
  switch (geometry_.orientation) {
    case Orientation::Vertical: dir = p.y() > c ? -1 : (p.y() < c ? 1 : 0); break;
    case Orientation::Horizontal: dir = p.x() > c ? 1 : (p.x() < c ? -1 : 0); break;
    case Orientation::Knob: {
      const double half = width() / 2.0;
      dir = p.x() > half ? 1 : (p.x() < half ? -1 : 0);
      break;
    }
  }
  if (dir) {
    const int before = position_;
    KeyStep(dir);
    clickStep_ = position_ - before;
  }
}

void MScrollBar::RepeatTick() {
  if (repeatCount_ < kRepeatDelayTicks) ++repeatCount_;
  if (repeatCount_ < kRepeatDelayTicks) return;
  if (position_ < repeatTarget_) {
    ++position_;
  } else if (position_ > repeatTarget_) {
    --position_;
  }
  update();
  ReportScroll();  // also once the thumb has reached the pointer
}

void MScrollBar::leaveEvent(QEvent*) {
  hover_ = false;
  unsetCursor();
  update();
}

// ---- keys and wheel ----

void MScrollBar::keyPressEvent(QKeyEvent* e) {
  if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && TakesInput() && !eqDisabled_) {
    OpenValueEditor();
    return;
  }
  if (!HandleKey(e->key())) e->ignore();
}

void MScrollBar::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !TakesInput() || eqDisabled_) return;
  const QPointF p = e->position();
  if (InMuteIcon(p)) return;
  if (scrollBarType_ == 1) {
    // The readout rows opened their own editor at the press; the track edits the gain.
    if (ReadoutRowAt(eqNormalStyle_ == 1, p.y()) != StripRow::None || QTypeButtonAt(p.x(), p.y()) >= 0 ||
        InBypassRow(eqNormalStyle_ == 1, p.y()))
      return;
  }
  dragging_ = false;
  repeat_.stop();
  moved_ = true;  // the release of this second click makes no step either
  // The first click of the pair stepped the value: taken back, so that the editor starts from
  // the value as it was and Esc leaves it so.
  const int step = e->timestamp() - clickStepTime_ <= static_cast<quint64>(QGuiApplication::styleHints()->mouseDoubleClickInterval())
                       ? clickStep_ : 0;
  clickStep_ = 0;
  if (step) {
    position_ -= step;
    ReportScroll();
    update();
  }
  OpenValueEditor();
}

void MScrollBar::wheelEvent(QWheelEvent* e) {
  e->accept();
  if (!tVisible_) return;
  const int notch = PureWheelNotch(e->angleDelta(), e->modifiers(), e->buttons());
  if (notch > 0) HandleKey(Qt::Key_Up);
  if (notch < 0) HandleKey(Qt::Key_Down);
}

bool MScrollBar::HandleKey(int key) {
  if (!tVisible_) return false;
  if (!enabled_ || Greyed() || eqDisabled_) return true;  // swallowed
  if (scrollBarType_ == 1 && HandleStripKey(key)) return true;
  switch (key) {
    case Qt::Key_Up: case Qt::Key_Right: KeyStep(1); return true;
    case Qt::Key_Down: case Qt::Key_Left: KeyStep(-1); return true;
    default: return false;
  }
}

void MScrollBar::KeyStep(int direction) {
  if (!hover_) return;
  if (direction > 0 && position_ < maxValue_) {
    ++position_;
  } else if (direction < 0 && position_ > 0) {
    --position_;
  } else {
    return;  // at the end: nothing, no event
  }
  ReportScroll();
  update();
}

namespace {

int ArrowDirection(int key) {
  if (key == Qt::Key_Up || key == Qt::Key_Right) return 1;
  if (key == Qt::Key_Down || key == Qt::Key_Left) return -1;
  return 0;
}

}  // namespace

bool MScrollBar::HandleStripKey(int key) {
  const bool tall = eqNormalStyle_ == 1;
  const int dir = ArrowDirection(key);
  StripRow target = StripRow::None;
  if (EditorOpen()) {
    target = editorTarget_;
  } else if (lastPointer_.y() > 138 + 36 * tall && lastPointer_.y() < 152 + 36 * tall) {
    target = StripRow::Freq;
  } else if (lastPointer_.y() > 151 + 39 * tall && lastPointer_.y() < 165 + 39 * tall) {
    target = StripRow::Q;
  }
  switch (target) {
    case StripRow::None:
      return false;
    case StripRow::Gain:
      if (dir) position_ = std::clamp(position_ + dir, 0, kStripMax);
      if (EditorOpen()) editor_->setText(QString::fromStdString(GainText(position_ + 10)));
      break;
    case StripRow::Freq:
      StepFreq(dir);
      break;
    case StripRow::Q:
      StepQ(dir);
      break;
  }
  ReportScroll();  // every key here reports, arrow or not, changed or not
  update();
  return true;
}

void MScrollBar::StepFreq(int direction) {
  if (direction) freq_ = std::clamp(freq_ + direction, kFreqLow, kFreqHigh);
  if (EditorOpen()) editor_->setText(FrequencyText(freq_));
}

void MScrollBar::StepQ(int direction) {
  const bool shelf = qType_ != 0;
  int i = shelf ? sQ_ : q_;
  if (direction > 0) StepUp(i);
  if (direction < 0) StepDown(i);
  if (shelf) {
    sQ_ = ClampSlopeIndex(i);
  } else {
    q_ = ClampQIndex(i);
  }
  if (EditorOpen()) editor_->setText(QText(shelf ? sQ_ : q_));
}

// ---- the value editor ----

QLineEdit* MScrollBar::Editor() const { return editor_; }
bool MScrollBar::EditorOpen() const { return editor_ && editor_->IsOpen(); }

ValueEditor* MScrollBar::EnsureEditor() {
  if (!editor_) {
    editor_ = new ValueEditor(this);
    connect(editor_, &ValueEditor::Step, this, [this](int dir) {
      if (editorTarget_ != StripRow::None) {
        HandleStripKey(dir > 0 ? Qt::Key_Up : Qt::Key_Down);
        return;
      }
      // The slider's own value: one position, and the editor shows the new value.
      const int before = position_;
      position_ = std::clamp(position_ + dir, 0, maxValue_);
      if (position_ != before) {
        ReportScroll();
        update();
      }
      editor_->setText(ReadoutText());
      editor_->selectAll();
    });
  }
  return editor_;
}

namespace {

bool IsValueBox(int id) { return id == 101 || id == 138 || id == 139 || id == 269 || id == 382; }

QFont ReadoutFont(int pixels) {
  QFont f(skin::SkinFontFamily());
  f.setPixelSize(pixels);
  return f;
}

constexpr int kReadoutPixels = 12;
constexpr int kReadoutMinPixels = 10;

}  // namespace

QRectF MScrollBar::ReadoutBox(const QString& text, int* pixels) const {
  // A drag repaints the same few texts over and over: the last one's box is kept.
  if (text == readoutCache_.text && size() == readoutCache_.size && !readoutCache_.text.isEmpty()) {
    if (pixels) *pixels = readoutCache_.pixels;
    return readoutCache_.box;
  }
  // The style's value box, where it has one; otherwise the text's own place.
  QRectF box;
  for (const PlacedImage& im : geometry_.background)
    if (IsValueBox(im.id)) {
      const QImage& img = skin::SkinImage(im.id);
      box = QRectF(im.x, im.y, img.width(), img.height());
    }
  if (box.isEmpty()) box = skin::SkinTextBounds(text, geometry_.textPos, geometry_.textWidth).adjusted(-2, -1, 2, 1);
  // The text keeps a readable size; a value wider than the box grows the box (to the left
  // where the box ends at the slider's edge, else on both sides), never cut.
  int px = kReadoutPixels;
  auto need = [&](int p) { return QFontMetricsF(ReadoutFont(p)).horizontalAdvance(text) + 4; };
  while (px > kReadoutMinPixels && need(px) > box.width()) --px;
  const double w = need(px);
  if (w > box.width()) {
    if (box.right() >= width() - 3) {
      box.setLeft(box.right() - w);
    } else {
      const double grow = (w - box.width()) / 2;
      box.adjust(-grow, 0, grow, 0);
      if (box.right() > width()) box.translate(width() - box.right(), 0);
      if (box.left() < 0) box.translate(-box.left(), 0);
    }
  }
  if (pixels) *pixels = px;
  readoutCache_ = {text, size(), box, px};
  return box;
}

void MScrollBar::DrawReadout(QPainter& g, const QString& text, QRgb colour) {
  int px = kReadoutPixels;
  const QRectF box = ReadoutBox(text, &px);
  g.save();
  g.setRenderHint(QPainter::Antialiasing, true);
  g.setPen(QColor(58, 65, 80));
  g.setBrush(QColor(21, 24, 30));
  g.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
  g.setFont(ReadoutFont(px));
  g.setPen(QColor::fromRgba(colour));
  g.setRenderHint(QPainter::TextAntialiasing, true);
  g.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, text);
  g.restore();
}

QRect MScrollBar::ReadoutRect() const { return ReadoutBox(ReadoutText(), nullptr).toAlignedRect(); }

void MScrollBar::OpenValueEditor() {
  if (!TakesInput() || eqDisabled_) return;
  if (scrollBarType_ == 1) {
    OpenEditor(StripRow::Gain);
    return;
  }
  ValueEditor* ed = EnsureEditor();
  editorTarget_ = StripRow::None;
  const QString text = ReadoutText();
  const QString widest = QString::fromStdString(
      WithUnit(ShownNumber(valueType_, maxValue_), Unit().toStdString()) + "00");
  const int w = std::max(ed->WidthFor(widest), ed->WidthFor(text + "00"));
  // Over the readout where the style has one, else over the slider's middle.
  QRect at = geometry_.textPos.isEmpty() ? QRect(width() / 2 - w / 2, height() / 2 - 10, w, 20)
                                         : ReadoutRect();
  at = QRect(at.center().x() - w / 2, at.center().y() - 10, w, 20);
  const QString help =
      QString::fromStdString(RangeText(valueType_, maxValue_, Unit().toStdString())).replace(QStringLiteral("OFF"), Tr("关"));
  ed->Open(at, text, help, [this](const QString& t) { return AcceptValueText(t); });
}

void MScrollBar::OpenEditor(StripRow row) {
  const bool tall = eqNormalStyle_ == 1;
  QString text, help;
  switch (row) {
    case StripRow::Gain:
      text = QString::fromStdString(GainText(StripGainCode()));
      help = QString::fromStdString(GainRangeText(kGainMin, kGainMax));
      break;
    case StripRow::Freq:
      text = FrequencyText(freq_);
      help = FrequencyText(kFreqLow) + QStringLiteral(" … ") + FrequencyText(kFreqHigh) + QStringLiteral(" Hz");
      break;
    case StripRow::Q:
      text = QText(qType_ != 0 ? sQ_ : q_);
      help = QText(0) + QStringLiteral(" … ") + QText(qType_ != 0 ? kSlopeMaxIndex : kQMaxIndex);
      break;
    case StripRow::None: return;
  }
  ValueEditor* ed = EnsureEditor();
  editorTarget_ = row;
  const int w = ed->WidthFor(QStringLiteral("20200 Hz"));
  const QPoint tl = EditorTopLeft(tall, row);
  // Centred on the strip, over the row's readout.
  ed->Open(QRect(width() / 2 - w / 2, tl.y() - 2, w, 20), text, help,
           [this, row](const QString& t) { return AcceptStripText(row, t); });
}

void MScrollBar::CloseEditor() {
  if (editor_) editor_->Cancel();
}

QString MScrollBar::AcceptStripText(StripRow row, const QString& text) {
  const std::string t = text.toStdString();
  TypedValue v;
  switch (row) {
    case StripRow::Gain: v = ParseGainText(t, kGainMin, kGainMax); break;
    case StripRow::Freq: v = ParseFreqText(t, kFreqLow, kFreqHigh); break;
    case StripRow::Q:
      v = qType_ != 0 ? ParseQText(t, 0, kSlopeMaxIndex) : ParseQText(t, 0, kQMaxIndex);
      break;
    case StripRow::None: return {};
  }
  if (!v.ok) return RefusalText(v);
  switch (row) {
    case StripRow::Gain:
      position_ = v.position - 10;
      held_ = false;  // typed: the band takes exactly this gain
      break;
    case StripRow::Freq: freq_ = v.position; break;
    case StripRow::Q: (qType_ != 0 ? sQ_ : q_) = v.position; break;
    case StripRow::None: break;
  }
  ReportScroll();
  update();
  return {};
}

QString MScrollBar::AcceptValueText(const QString& text) {
  const bool offWord = text.trimmed().compare(Tr("关"), Qt::CaseInsensitive) == 0;
  const TypedValue v =
      ParseSliderText(offWord ? std::string("OFF") : text.toStdString(), valueType_, maxValue_, Unit().toStdString());
  if (!v.ok) return RefusalText(v);
  position_ = v.position;
  held_ = false;
  ReportScroll();
  update();
  return {};
}

}  // namespace mirelune::controls
