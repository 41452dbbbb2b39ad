// SPDX-License-Identifier: GPL-3.0-or-later
// MScrollBar: the skinned parameter slider in eight styles, style 1 being the EQ band strip.
//
// The slider keeps an integer position 0..MaxValue; `Value` converts it to and from the raw
// device value by `ValueType` (controls/value_type.h). User changes raise `Scroll`; assigning
// any property from code never does. The slider reads the store (hidden addresses, the bass
// automatic control, PerMode records, mute records) but never writes it.
//
// Life: construct (with the layout's SliderSetup), place it in its parent, set Addr, then call
// BkGround_Init once the parent can paint; until then the slider paints nothing. Input is taken
// only while TVisible and Enabled hold and the slider is neither greyed nor (for most input)
// bypassed. UI thread only.
#pragma once

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QTimer>
#include <QWidget>

#include "controls/control_setup.h"
#include "controls/eq_strip_face.h"
#include "controls/slider_geometry.h"
#include "controls/value_editor.h"

class QLineEdit;


namespace mirelune {
class Store;
}

namespace mirelune::controls {

class MScrollBar : public QWidget {
  Q_OBJECT

 public:
  // Creation defaults only (style 0 geometry, MaxValue 80); `store` may be null (never greyed).
  explicit MScrollBar(const Store* store, QWidget* parent = nullptr);
  // Creation defaults, then the layout's values in the set-up order.
  MScrollBar(const SliderSetup& setup, const Store* store, QWidget* parent = nullptr);

  int ScrollBarType() const { return scrollBarType_; }
  void SetScrollBarType(int v);
  int ValueType() const { return valueType_; }
  void SetValueType(int v);
  int MaxValue() const { return maxValue_; }
  void SetMaxValue(int v);  // 0 or less is stored as 1
  float Value() const;
  void SetValue(float v);  // no event
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v; }
  bool TVisible() const { return tVisible_; }
  void SetTVisible(bool v);
  int LabelID() const { return labelId_; }
  void SetLabelID(int v);
  int EQNormalStyle() const { return eqNormalStyle_; }
  void SetEQNormalStyle(int v);
  int HScrollSize() const { return hScrollSize_; }
  void SetHScrollSize(int v);
  int MuteRAMindex() const { return muteRamIndex_; }
  void SetMuteRAMindex(int v) { muteRamIndex_ = v; }
  int QType() const { return qType_; }
  void SetQType(int v) { qType_ = v; }
  int Freq() const { return freq_; }
  void SetFreq(int v) { freq_ = v; }
  int q() const { return q_; }
  void SetQ(int v) { q_ = v; }
  int sQ() const { return sQ_; }
  void SetSQ(int v) { sQ_ = v; }
  bool EQdisabled() const { return eqDisabled_; }
  void SetEQdisabled(bool v) { eqDisabled_ = v; }
  bool ForceShowFocus() const { return forceShowFocus_; }
  void SetForceShowFocus(bool v);
  int Addr() const { return addr_; }
  void SetAddr(int v) { addr_ = v; }
  QString EQindex() const { return eqIndex_; }
  void SetEQindex(const QString& v) { eqIndex_ = v; }
  QString SpecialFeature() const { return specialFeature_; }
  void SetSpecialFeature(const QString& v) { specialFeature_ = v; }

  // Recomputes the greyed state and repaints.
  void Refresh();
  // Builds the background layer: the parent's own drawing under the slider (rendered, never
  // grabbed from the screen) with the style's background images on top when TVisible.
  // `ShowHide` is accepted for the callers' sake; rendering never shows the slider itself.
  void BkGround_Init(bool ShowHide = false);
  void RaiseEventScroll() { emit Scroll(); }

  // Observers for the windows and tests.
  int Position() const { return position_; }
  bool Greyed() const;
  bool Hover() const { return hover_; }
  const SliderGeometry& Geometry() const { return geometry_; }
  const QTimer& RepeatTimer() const { return repeat_; }
  // The value editor (created when first opened; null before). While open it has the keys.
  QLineEdit* Editor() const;
  bool EditorOpen() const;
  // The unit of the number the slider shows ("Hz", "ms", ...; "" for plain levels): its value
  // type's, or for plain numbers the parameter's (set by the window from the naming table).
  QString Unit() const;
  void SetUnit(const QString& unit) {
    unit_ = unit;
    unitSet_ = true;
    update();
  }
  // The readout as drawn: the number with its unit ("80.3 Hz", "100%", "OFF").
  QString ReadoutText() const;
  // Where it is drawn (the value box, grown where the text needs more room).
  QRect ReadoutRect() const;
  // Opens the editor as a double-click or Enter does: the value's (a strip: its gain's).
  void OpenValueEditor();

  // One tick of the 50 ms long-press repeat (the timer's handler; tests call it to run time).
  void RepeatTick();

 signals:
  void Scroll();
  void MouseIn();
  void Click();

 protected:
  void paintEvent(QPaintEvent*) override;
  void showEvent(QShowEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void leaveEvent(QEvent*) override;

 private:
  void Init();
  void ApplySetup(const SliderSetup& s);
  void UpdateGeometry();
  bool TakesInput() const;  // TVisible, Enabled, not greyed
  bool Vertical() const;
  bool Knob() const;
  bool HasMuteFlag() const { return scrollBarType_ == 0 || hScrollSize_ == 3; }
  bool PerModeRecord() const;
  int MuteRecordValue() const;  // Value of the record at MuteRAMindex, slot 0
  int FillImage() const;
  double Centre() const { return ThumbCentre(geometry_, position_, maxValue_); }
  int PositionUnderPointer(QPointF p) const;
  bool InMuteIcon(QPointF p) const;

  void Press(QPointF p);
  bool PressStrip(QPointF p);  // style 1 rows and Q-type buttons; true when consumed
  void Release(QPointF p);
  void ClickStep();
  // A key or wheel notch; returns whether the slider used it.
  bool HandleKey(int key);
  bool HandleStripKey(int key);
  void KeyStep(int direction);
  void StepFreq(int direction);
  void StepQ(int direction);

  ValueEditor* EnsureEditor();
  void OpenEditor(StripRow row);
  void CloseEditor();
  QString AcceptStripText(StripRow row, const QString& text);
  QString AcceptValueText(const QString& text);
  // Raises Scroll for a change made by the person; a value held from the store beyond the
  // slider's range is let go once the position differs from where it was held.
  void ReportScroll();
  // The held value stands while the position is where it was held.
  bool Holding() const { return held_ && position_ == heldPosition_; }
  // A strip's gain code: the held band's own, else the position's.
  int StripGainCode() const { return Holding() ? static_cast<int>(heldValue_) : position_ + 10; }
  // The box the readout `text` is drawn in and the font size it takes (12 px, down to 10 px
  // to fit; the box grows where even that does not fit).
  QRectF ReadoutBox(const QString& text, int* pixels) const;
  void DrawReadout(QPainter& g, const QString& text, QRgb colour);

  void DrawStrip(QPainter& g, bool greyed);
  void DrawSlider(QPainter& g, bool greyed);

  const Store* store_ = nullptr;

  int scrollBarType_ = 0;
  int valueType_ = 0;
  int maxValue_ = 80;
  bool enabled_ = true;
  bool tVisible_ = true;
  int labelId_ = 105;
  int eqNormalStyle_ = 0;
  int hScrollSize_ = 0;
  int muteRamIndex_ = 0;
  int qType_ = 0;
  int freq_ = 86;
  int q_ = 10;
  int sQ_ = 8;
  bool eqDisabled_ = false;
  bool forceShowFocus_ = false;
  int addr_ = -1;
  QString eqIndex_;
  QString specialFeature_;

  int position_ = 40;
  int mute_ = 0;
  bool hover_ = false;
  bool mutePressed_ = false;
  bool dragging_ = false;
  bool moved_ = false;
  QPointF pressPoint_;
  QPointF lastPointer_{-1, -1};
  double grab_ = 0;
  int lastReported_ = 0;
  int knobStart_ = 0;
  int repeatTarget_ = 0;
  int clickStep_ = 0;         // the step the last click made (0: none)
  quint64 clickStepTime_ = 0;  // when that click ended (event time)
  int repeatCount_ = 0;
  SliderGeometry geometry_;
  QImage background_;
  bool layersReady_ = false;
  bool layersAtShow_ = false;  // asked for while its window had not shown (LayersAtFirstShow)
  QTimer repeat_;

  ValueEditor* editor_ = nullptr;  // owned by the parent (or this); made when first opened
  StripRow editorTarget_ = StripRow::None;  // None: the slider's own value
  QString unit_;
  bool unitSet_ = false;
  // A value written from code that lies beyond the slider's range (a band at +15 dB on a strip
  // that reaches +12): shown and read back as it is until the person moves the slider.
  struct ReadoutCache {
    QString text;
    QSize size;
    QRectF box;
    int pixels = 0;
  };
  mutable ReadoutCache readoutCache_;
  bool held_ = false;
  float heldValue_ = 0;
  int heldPosition_ = 0;
};

}  // namespace mirelune::controls
