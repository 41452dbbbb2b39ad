// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/mcombobox.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "controls/parent_background.h"
#include "controls/option_list_popup.h"
#include "graph/skin.h"
#include "model/scales.h"
#include "model/store.h"
#include "platform/tr.h"

namespace mirelune::controls {

namespace {

constexpr double kTwips = 15.0;

struct FaceItem {
  int base;  // 0: no item image
  double x;
  double y;
};

FaceItem FaceItemFor(int showType) {
  switch (showType) {
    case 0: return {153, 6, 6};
    case 1: return {224, 6, 6};
    case 2: return {229, 0, 0};
    case 3: return {318, 11, 4};
    case 4: return {363, 0, 0};
    case 5: return {365, 0, 0};
    case 6: return {369, 0, 0};
    default: return {0, 0, 0};
  }
}

// The amplifier's own spelling of the filter families in the Chinese console; the English one
// spells the engineers' names as English does (the skin's English images say the same).
QString FilterFamily(const char* amplifierSpelling) {
  QString s = QString::fromLatin1(amplifierSpelling);
  if (!ShowingTranslation()) return s;
  return s.replace("LinkWitz", "Linkwitz").replace("ButterWorth", "Butterworth");
}

}  // namespace

QStringList MComboBox::EntriesFor(int showType) {
  switch (showType) {
    case 0:
      return {FilterFamily("LinkWitz 48dB"), FilterFamily("LinkWitz 24dB"), FilterFamily("ButterWorth 12dB"),
              QStringLiteral("Bessel 24dB"), QStringLiteral("Bessel 12dB")};
    case 1:
      return {FilterFamily("ButterWorth 12dB"), FilterFamily("ButterWorth 24dB")};
    case 2: {
      QStringList l;
      for (int i = 1; i <= 10; ++i) l << Tr("模式%1").arg(i);
      return l;
    }
    case 3:
      return {Tr("用户定义"), Tr("房间"), Tr("小厅"),
              Tr("大厅"), Tr("人声")};
    case 4:
      return {Tr("自动"), Tr("手动")};
    case 5:
      return {Tr("关"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    default:
      return {QStringLiteral("-6dB"), QStringLiteral("-3dB"), QStringLiteral("0dB"),
              QStringLiteral("+3dB")};
  }
}

QSize MComboBox::FaceSize(int showType) {
  return (showType == 0 || showType == 1) ? QSize(138, 21) : QSize(87, 20);
}

double MComboBox::ListHeight(int showType) {
  switch (showType) {
    case 0: return 67.5;
    case 1: return 33.75;
    case 2: return 137;
    case 3: return 68.5;
    case 4: return 33.75;
    default: return 54;
  }
}

QPoint MComboBox::ListTopLeft(const QRect& face, double listHeight, int screenBottom) {
  // The placement rule works in twips: 99 twips of slack at the bottom, the list overlapping
  // the face by 19 twips when below it, 30 twips in from the face's left edge.
  const double t = face.top() * kTwips;
  const double l = face.left() * kTwips;
  const double h = face.height() * kTwips;
  const double lh = listHeight * kTwips;
  const double top = (t + h - 99 + lh < screenBottom * kTwips) ? t + h - 19 : t - lh - 1;
  return {static_cast<int>(RoundHalfEven((l + 30) / kTwips)),
          static_cast<int>(RoundHalfEven(top / kTwips))};
}

MComboBox::MComboBox(const ComboSetup& setup, const Store* store, QWidget* parent)
    : QWidget(parent), store_(store), list_(new OptionListPopup(this)) {
  skin::LoadSkin();
  setFocusPolicy(Qt::ClickFocus);
  showType_ = setup.ShowType;
  enabled_ = setup.Enabled;
  entries_ = EntriesFor(showType_);
  list_->resize(FaceSize(showType_).width() - static_cast<int>(RoundHalfEven(50 / kTwips)),
                static_cast<int>(RoundHalfEven(ListHeight(showType_))));
  list_->SetEntries(entries_);
  selected_ = 0;
  list_->setCurrentRow(0);
  specialFeature_ = setup.SpecialFeature;
  resize(FaceSize(showType_));
  connect(list_, &OptionListPopup::Hovered, this, &MComboBox::OnHovered);
  connect(list_, &OptionListPopup::Picked, this, &MComboBox::OnPicked);
}

MComboBox::~MComboBox() {
  if (watchingApp_) qApp->removeEventFilter(this);
}

void MComboBox::SetValue(int v) {
  if (v >= entries_.size()) v = static_cast<int>(entries_.size()) - 1;
  selected_ = v < 0 ? -1 : v;
  list_->setCurrentRow(selected_);
  Refresh();
}

bool MComboBox::Hidden() const {
  if (!store_ || addr_ == -1 || addr_ < 0 || addr_ >= kAddressCount) return false;
  return store_->Menu.AddrHidden[static_cast<size_t>(addr_)] == 1;
}

int MComboBox::FaceImage() const {
  const FaceItem item = FaceItemFor(showType_);
  return (item.base && selected_ >= 0) ? item.base + selected_ : 0;
}

void MComboBox::showEvent(QShowEvent*) {
  if (!layersAtShow_) return;
  layersAtShow_ = false;
  BkGround_Init();
}

void MComboBox::BkGround_Init(bool /*ShowHide*/) {
  if (LayersAtFirstShow::Waiting(*this)) {
    layersAtShow_ = true;
    return;
  }
  background_ = ShareEqualLayer(RenderParentBackground(*this));
  layersReady_ = true;
  Refresh();
}

void MComboBox::Refresh() {
  update();
  PlaceList();
}

void MComboBox::paintEvent(QPaintEvent*) {
  if (!layersReady_) return;
  QPainter g(this);
  g.drawImage(0, 0, background_);
  if (showType_ != 3) skin::DrawSkinImage(150, g, 0, 0);
  const FaceItem item = FaceItemFor(showType_);
  if (showType_ == 3) skin::DrawSkinImage(144, g, 5, 0);
  if (const int img = FaceImage()) skin::DrawSkinImage(img, g, item.x, item.y);
  switch (showType_) {
    case 2: case 4: case 5: case 6:
      skin::DrawSkinImage(pressed_ ? 228 : 227, g, 74, 6);
      break;
    case 3:
      skin::DrawSkinImage(pressed_ ? 152 : 151, g, 74, pressed_ ? 8 : 6);
      break;
    default:
      skin::DrawSkinImage(pressed_ ? 152 : 151, g, 121, pressed_ ? 7 : 5);
      break;
  }
  if (Hidden() || !enabled_) skin::DrawSkinImage(316, g, 0, 0);
}

void MComboBox::PlaceList() {
  if (!open_) {
    list_->hide();
    return;
  }
  const QRect face(mapToGlobal(QPoint(0, 0)), size());
  const QScreen* s = screen();
  const int bottom = s ? s->geometry().y() + s->geometry().height() : 1 << 20;
  list_->move(ListTopLeft(face, ListHeight(showType_), bottom));
  list_->show();
}

void MComboBox::SetOpen(bool open) {
  open_ = open;
  if (open_ && !watchingApp_) {
    qApp->installEventFilter(this);
    watchingApp_ = true;
  } else if (!open_ && watchingApp_) {
    qApp->removeEventFilter(this);
    watchingApp_ = false;
  }
}

void MComboBox::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || Hidden() || !enabled_) return;
  pressed_ = true;
  SetOpen(!open_);
  Refresh();
}

void MComboBox::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || Hidden() || !enabled_) return;
  pressed_ = false;
  Refresh();
}

void MComboBox::OnHovered(int row) {
  if (Hidden() || !enabled_) return;
  // The choice follows the pointer; only a press on an entry reports it.
  selected_ = row;
  list_->setCurrentRow(row);
}

void MComboBox::OnPicked(int row) {
  if (Hidden() || !enabled_) return;
  selected_ = row;
  list_->setCurrentRow(row);
  SetOpen(false);
  Refresh();
  emit Change(selected_);
}

void MComboBox::focusOutEvent(QFocusEvent*) {
  // Some window systems activate the list's own window when it appears although it asks not
  // to be; that is not the focus going elsewhere.
  if (!open_ || QApplication::activeWindow() == list_) return;
  SetOpen(false);
  Refresh();
}

bool MComboBox::eventFilter(QObject* watched, QEvent* event) {
  // While open, a press anywhere but the face and the list counts as the focus going elsewhere,
  // also where the press lands on something that takes no focus (a page background).
  if (open_ && event->type() == QEvent::MouseButtonPress && watched->isWidgetType()) {
    auto* w = static_cast<QWidget*>(watched);
    if (w != this && w != list_ && !list_->isAncestorOf(w)) {
      SetOpen(false);
      Refresh();
    }
  }
  return false;
}

}  // namespace mirelune::controls
