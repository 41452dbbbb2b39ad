// SPDX-License-Identifier: GPL-3.0-or-later
#include "admin/menu_show_frm.h"

#include <algorithm>

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

#include "link/frame_codec.h"
#include "link/link.h"
#include "model/menu_catalogue.h"
#include "model/param_names.h"
#include "platform/tr.h"

namespace mirelune {
namespace {

const QColor kSelectedKindColour(255, 192, 255);

}  // namespace

MenuShowFrm::MenuShowFrm(MenuCatalogue& menu, QWidget* parent) : QDialog(parent), menu_(menu) {
  setObjectName("MenuShowFrm");
  setModal(true);
  setWindowTitle(Tr(kMenuShowCaption));

  list1_ = new QListWidget(this);
  list1_->setObjectName("List1");
  auto* kinds = new QGridLayout;
  for (int n = 0; n < kCatalogueKinds; ++n) {
    auto* b = new QPushButton(Tr(CatalogueKindCaption(n)), this);
    b->setObjectName(QString("Command4_%1").arg(n));
    b->setAutoFillBackground(true);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, n] { SelectKind(n); });
    kinds->addWidget(b, n / 5, n % 5);
    command4_.at(static_cast<size_t>(n)) = b;
  }
  command1_ = new QPushButton(Tr("都选上"), this);
  command2_ = new QPushButton(Tr("都不选"), this);
  command3_ = new QPushButton(Tr("保存设置"), this);
  for (QPushButton* b : {command1_, command2_, command3_}) b->setAutoDefault(false);
  connect(command1_, &QPushButton::clicked, this, [this] { TickAll(true); });
  connect(command2_, &QPushButton::clicked, this, [this] { TickAll(false); });
  connect(command3_, &QPushButton::clicked, this, &MenuShowFrm::Save);
  label1_ = new QLabel(Tr(kMenuShowHint), this);
  label1_->setWordWrap(true);

  auto* actions = new QHBoxLayout;
  actions->addWidget(command1_);
  actions->addWidget(command2_);
  actions->addStretch(1);
  actions->addWidget(command3_);
  auto* column = new QVBoxLayout(this);
  column->addLayout(kinds);
  column->addWidget(list1_, 1);
  column->addWidget(label1_);
  column->addLayout(actions);
  resize(420, 480);

  OK = false;
  kind_ = 0;
  FillList(kind_);
  MarkButton(kind_);
}

MenuShowFrm::~MenuShowFrm() = default;

void MenuShowFrm::FillList(int kind) {
  list1_->clear();
  const std::vector<std::string> names = MenuCatalogue::CatalogueNames(kind);
  const std::vector<int> addresses = MenuCatalogue::CatalogueAddresses(kind);
  const int count =
      std::min<int>(menu_.MenuItemCount.at(static_cast<size_t>(kind)), static_cast<int>(names.size()));
  for (int i = 0; i < count; ++i) {
    // An item is named by the parameter it hides (the one naming table), which is the control
    // greyed with it; the catalogue's own word only where the item names no parameter.
    const size_t k = static_cast<size_t>(i);
    const NamedParam* named = k < addresses.size() ? NameOf(kind * 256 + addresses[k]) : nullptr;
    auto* item = new QListWidgetItem(Tr(named ? named->zh.c_str() : names[k].c_str()), list1_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    const bool hidden = menu_.MenuHidden.at(static_cast<size_t>(kind)).at(static_cast<size_t>(i)) != 0;
    item->setCheckState(hidden ? Qt::Unchecked : Qt::Checked);
  }
  if (list1_->count() > 0) list1_->setCurrentRow(0);
}

void MenuShowFrm::StoreList(int kind) {
  auto& hidden = menu_.MenuHidden.at(static_cast<size_t>(kind));
  const int count = std::min(list1_->count(), kMaxMenuItems);
  for (int i = 0; i < count; ++i)
    hidden.at(static_cast<size_t>(i)) = list1_->item(i)->checkState() == Qt::Checked ? 0 : 1;
  menu_.MapHiddenToAddresses();
}

void MenuShowFrm::MarkButton(int n) {
  for (int i = 0; i < kCatalogueKinds; ++i) {
    QPushButton* b = command4_.at(static_cast<size_t>(i));
    QFont f = b->font();
    f.setBold(i == n);
    b->setFont(f);
    QPalette pal = b->palette();
    pal.setColor(QPalette::Button, i == n ? kSelectedKindColour : palette().color(QPalette::Button));
    // Dark text on the pale selected colour: the dark look's light button text was unreadable.
    pal.setColor(QPalette::ButtonText, i == n ? QColor(20, 20, 20) : palette().color(QPalette::ButtonText));
    b->setPalette(pal);
  }
}

void MenuShowFrm::SelectKind(int n) {
  if (n < 0 || n >= kCatalogueKinds) return;
  MarkButton(n);
  StoreList(kind_);
  kind_ = n;
  FillList(kind_);
}

void MenuShowFrm::TickAll(bool tick) {
  for (int i = 0; i < list1_->count(); ++i)
    list1_->item(i)->setCheckState(tick ? Qt::Checked : Qt::Unchecked);
}

void MenuShowFrm::Save() {
  StoreList(kind_);
  OK = true;
  accept();
}

bool SendMenuFlags(Link& link) {
  for (int kind = 0; kind < kCatalogueKinds; ++kind)
    if (!link.Online || !link.SendCommand(WriteMenuFlags, 0, kind)) return false;
  return true;
}

}  // namespace mirelune
