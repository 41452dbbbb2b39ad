#include "controls/mscrollbar.h"

#include <cmath>

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "controls/parent_background.h"
#include "controls/pointer_notices.h"
#include "controls/value_type.h"
#include "graph/skin.h"
#include "model/scales.h"
#include "model/store.h"
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

QString Id(int id) { return QString::number(id); }

bool AddressInRange(int a) { return a >= 0 && a < kAddressCount; }

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
  resize(geometry_.size);
  if (scrollBarType_ == 1 && !editor_) {
    editor_ = new QLineEdit(this);
    editor_->setText(Tr("输入db值"));
    editor_->setFrame(false);
    QFont f = editor_->font();
    f.setPixelSize(11);
    editor_->setFont(f);
    editor_->setFixedSize(37, 15);
    editor_->hide();
    editor_->installEventFilter(this);
  }
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
  float v = ValueFromPosition(valueType_, position_);
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
  update();
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

void MScrollBar::BkGround_Init(bool /*ShowHide*/) {
  background_ = RenderParentBackground(*this);
  QPainter g(&background_);
  if (tVisible_) {
    for (const PlacedImage& im : geometry_.background) {
      if (im.id) skin::DrawSkinImage(Id(im.id), g, im.x, im.y);
    }
  }
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
      if (fill) skin::DrawImageBottomPart(Id(fill), g, static_cast<int>(RoundHalfEven(c)));
      int thumb = geometry_.thumbNormal;
      if (greyed) {
        thumb = geometry_.thumbGreyed;
      } else if (forceShowFocus_ && geometry_.thumbFocused) {
        thumb = geometry_.thumbFocused;
      }
      skin::DrawSkinImage(Id(thumb), g, geometry_.thumbX, c - geometry_.thumbHeight / 2.0);
      break;
    }
    case Orientation::Horizontal:
      if (fill) skin::DrawImageLeftPart(Id(fill), g, static_cast<int>(RoundHalfEven(c)));
      skin::DrawSkinImage(Id(greyed ? geometry_.thumbGreyed : geometry_.thumbNormal), g,
                          c - geometry_.thumbWidth / 2.0, geometry_.thumbY);
      break;
    case Orientation::Knob:
      skin::DrawSkinImage(Id(geometry_.thumbNormal), g, 0, 0, KnobAngle(position_, maxValue_));
      break;
  }
  skin::DrawSkinText(g, ShownText(valueType_, position_), colour, geometry_.textPos,
                     geometry_.textWidth);
  if (scrollBarType_ == 0) {
    skin::DrawSkinImage(Id(MuteImage(mute_, mutePressed_)), g, 13, 161);
  } else if (geometry_.muteIcon) {
    skin::DrawSkinImage(Id(MuteImage(mute_, mutePressed_)), g, 140, mutePressed_ ? 6 : 5);
  }
}

void MScrollBar::DrawStrip(QPainter& g, bool greyed) {
  const bool tall = eqNormalStyle_ == 1;
  const double c = Centre();
  if (labelId_ != 0) skin::DrawSkinImage(Id(labelId_), g, 15, 0);
  skin::DrawImageBottomPart(Id(FillImage()), g, static_cast<int>(RoundHalfEven(c)));

  static const int kButtons[3][3] = {{129, 132, 134}, {130, 131, 134}, {130, 132, 133}};
  static const int kGreyedSelected[3] = {300, 301, 302};
  if (qType_ >= 0 && qType_ <= 2) {
    for (int row = 0; row < 3; ++row) {
      int id = kButtons[qType_][row];
      if (row == qType_ && greyed) id = kGreyedSelected[qType_];
      skin::DrawSkinImage(Id(id), g, 0, 60 + 18 * row);
    }
  }

  int thumb = greyed ? 107 : 102;
  if (forceShowFocus_ && !greyed && !eqDisabled_) thumb = 270;
  skin::DrawSkinImage(Id(thumb), g, 16, c - 8);

  const QRgb colour = greyed ? kTextGreyed : kTextNormal;
  skin::DrawSkinText(g, QString::fromStdString(GainText(position_ + 10)), colour,
                     ReadoutTextPos(tall, StripRow::Gain), ReadoutTextWidth(StripRow::Gain));
  if (qType_ == 0 || qType_ == 1 || qType_ == 2) {
    skin::DrawSkinText(g, QText(qType_ == 0 ? q_ : sQ_), colour, ReadoutTextPos(tall, StripRow::Q),
                       ReadoutTextWidth(StripRow::Q));
  }
  skin::DrawSkinText(g, FrequencyText(freq_), colour, ReadoutTextPos(tall, StripRow::Freq),
                     ReadoutTextWidth(StripRow::Freq));
  const QPointF b = BypassImagePos(tall);
  skin::DrawSkinImage(Id(eqDisabled_ ? 295 : 294), g, b.x(), b.y());
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
    emit Scroll();
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
    emit Scroll();
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
      emit Scroll();  // the knob reports every move
      return;
  }
  position_ = pos;
  update();
  if (pos != lastReported_) {
    lastReported_ = pos;
    emit Scroll();
  }
}

void MScrollBar::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  Release(e->position());
  if (rect().contains(e->position().toPoint())) ClickStep();
}

void MScrollBar::Release(QPointF) {
  if (!tVisible_) return;
  if (mutePressed_) {
    mutePressed_ = false;
    mute_ = mute_ ? 0 : 1;
    emit Scroll();
    update();
    return;
  }
  if (scrollBarType_ == 1 && editorFocusPending_) {
    editorFocusPending_ = false;
    if (editorOpen_) {
      editor_->setFocus(Qt::MouseFocusReason);
      editor_->selectAll();
    }
  }
  dragging_ = false;
  repeat_.stop();
}

void MScrollBar::ClickStep() {
  if (!TakesInput() || eqDisabled_ || moved_) return;
  if (scrollBarType_ == 1 && !forceShowFocus_) {
    // A click on a strip that is not the selected band asks the window to select it.
    emit Scroll();
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
  if (dir) KeyStep(dir);
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
  emit Scroll();  // also once the thumb has reached the pointer
}

void MScrollBar::leaveEvent(QEvent*) {
  hover_ = false;
  unsetCursor();
  update();
}

// ---- keys and wheel ----

void MScrollBar::keyPressEvent(QKeyEvent* e) {
  if (!HandleKey(e->key())) e->ignore();
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
  emit Scroll();
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
  if (editorOpen_) {
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
      editor_->setText(QString::fromStdString(GainText(position_ + 10)));
      break;
    case StripRow::Freq:
      StepFreq(dir);
      break;
    case StripRow::Q:
      StepQ(dir);
      break;
  }
  emit Scroll();  // every key here reports, arrow or not, changed or not
  update();
  return true;
}

void MScrollBar::StepFreq(int direction) {
  if (direction) freq_ = std::clamp(freq_ + direction, kFreqLow, kFreqHigh);
  editor_->setText(FrequencyText(freq_));
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
  editor_->setText(QText(shelf ? sQ_ : q_));
}

// ---- the strip's editor ----

void MScrollBar::OpenEditor(StripRow row) {
  const bool tall = eqNormalStyle_ == 1;
  QString text;
  switch (row) {
    case StripRow::Gain: text = QString::fromStdString(GainText(position_ + 10)); break;
    case StripRow::Freq: text = FrequencyText(freq_); break;
    case StripRow::Q: text = QText(qType_ != 0 ? sQ_ : q_); break;
    case StripRow::None: return;
  }
  editor_->setText(text);
  editor_->move(EditorTopLeft(tall, row));
  editor_->show();
  editorOpen_ = true;
  editorTarget_ = row;
  editorFocusPending_ = true;
}

void MScrollBar::CloseEditor() {
  if (!editor_) return;
  editorOpen_ = false;
  editorFocusPending_ = false;
  editor_->hide();
}

void MScrollBar::CommitEditor() {
  if (!editorOpen_) return;
  QString text = editor_->text();
  switch (editorTarget_) {
    case StripRow::Gain: position_ = CommitGainText(text) - 10; break;
    case StripRow::Freq: freq_ = CommitFreqText(text); break;
    case StripRow::Q: {
      const bool shelf = qType_ != 0;
      (shelf ? sQ_ : q_) = CommitQText(text, shelf);
      break;
    }
    case StripRow::None: break;
  }
  editor_->setText(text);
  CloseEditor();
  emit Scroll();
  update();
}

bool MScrollBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched != editor_) return QWidget::eventFilter(watched, event);
  // Enter commits here and goes no further: the line edit would pass it on to the strip, where
  // it would count as one more key on the readout under the pointer.
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      CommitEditor();
      return true;
    }
  }
  // Leaving the editor closes it without committing.
  if (event->type() == QEvent::FocusOut && editorOpen_) CloseEditor();
  return QWidget::eventFilter(watched, event);
}

}  // namespace mirelune::controls
