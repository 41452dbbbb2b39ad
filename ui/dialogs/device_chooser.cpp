// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/device_chooser.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>

#include "link/reply_shape.h"
#include "link/usb_comm.h"
#include "owner/device_lock.h"
#include "owner/owner_client.h"
#include "platform/hid_discovery.h"
#include "platform/tr.h"
#include "sim/virtual_state.h"
#include "ui/session/console_session.h"

namespace mirelune::ui {

namespace {

constexpr char kSettingsKey[] = "device/address";

QTableWidgetItem* Cell(const std::string& text) {
  auto* item = new QTableWidgetItem(text.empty() ? QStringLiteral("-") : QString::fromStdString(text));
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  return item;
}

}  // namespace

std::string SavedDeviceChoice() {
  QSettings settings("Mirelune", "Mirelune");
  const std::string text = settings.value(kSettingsKey).toString().toStdString();
  std::vector<DeviceAddress> addresses;
  std::string error;
  if (!ParseDeviceList(text, addresses, error) || addresses.size() != 1 ||
      addresses[0].kind == DeviceAddress::Kind::All)
    return {};
  return text;
}

void SaveDeviceChoice(const std::string& address) {
  QSettings settings("Mirelune", "Mirelune");
  settings.setValue(kSettingsKey, QString::fromStdString(address));
}

DeviceChooser::DeviceChooser(ConsoleSession& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setObjectName("DeviceChooser");
  setWindowTitle(Tr("选择放大器"));
  table_ = new QTableWidget(this);
  table_->setObjectName("deviceTable");
  table_->setColumnCount(7);
  table_->setHorizontalHeaderLabels({Tr("设备"), Tr("序列号"), Tr("USB 位置"), Tr("路径"), Tr("名称"),
                                     Tr("模式"), Tr("使用者")});
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { accept(); });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(Tr("使用此功放"));
  buttons->button(QDialogButtonBox::Ok)->setObjectName("useDevice");
  buttons->button(QDialogButtonBox::Cancel)->setText(Tr("取消"));
  QPushButton* refresh = buttons->addButton(Tr("刷新"), QDialogButtonBox::ActionRole);
  refresh->setObjectName("refreshDevices");
  connect(refresh, &QPushButton::clicked, this, [this] { Refresh(); });
  connect(buttons, &QDialogButtonBox::accepted, this, &DeviceChooser::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addWidget(buttons);
  Refresh();
  resize(760, 300);
}

void DeviceChooser::Refresh() {
  rows_.clear();
  const std::vector<HidDeviceInfo> hid = EnumerateHidAmplifiers(kAmplifierVendorId, kAmplifierProductId);
  for (size_t i = 0; i < hid.size(); ++i) {
    DeviceTarget t;
    t.hid = hid[i];
    t.identity = IdentityOf(hid, i);
    rows_.push_back(t);
  }
  std::vector<std::string> names = {""};
  for (const std::string& n : NamedVirtualAmplifiers()) names.push_back(n);
  for (const std::string& n : names) {
    DeviceTarget t;
    t.isVirtual = true;
    t.virtualName = n;
    rows_.push_back(t);
  }
  const std::string current = session_.DeviceLabel();
  table_->setRowCount(static_cast<int>(rows_.size()));
  for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
    const DeviceTarget& t = rows_[static_cast<size_t>(r)];
    std::string name, mode, owner;
    if (t.Label() == current) {
      const LinkStatusFacts f = session_.StatusFacts();
      name = f.identifier;
      mode = f.online && f.modeNumber >= 0 ? std::to_string(f.modeNumber + 1) : std::string();
      owner = Tr("本程序").toStdString();
    } else if (LockHolder holder; FindHolder(t.LockKey(), holder)) {
      owner = holder.Text();
      // An owner that serves requests says what it knows; it answers within milliseconds.
      OwnerClient client;
      std::string error, reply;
      if (!holder.socket.empty() && client.Connect(holder.socket, error) &&
          client.Request("{\"op\":\"hello\"}", reply, error, 500)) {
        const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(reply)).object();
        name = o.value("identifier").toString().toStdString();
        if (!o.value("mode").isNull()) mode = std::to_string(o.value("mode").toInt());
      }
    } else if (t.isVirtual) {
      // Nobody holds it: its memory says what it would answer.
      const int current = VirtualCurrentMode(VirtualStatePath(t.virtualName));
      if (current >= 0) {
        name = kDeviceIdentifier;
        mode = std::to_string(current + 1);
      }
    }
    table_->setItem(r, 0, Cell(t.Label()));
    table_->setItem(r, 1, Cell(t.hid.serial));
    table_->setItem(r, 2, Cell(t.hid.location));
    table_->setItem(r, 3, Cell(t.hid.path));
    table_->setItem(r, 4, Cell(name));
    table_->setItem(r, 5, Cell(mode));
    table_->setItem(r, 6, Cell(owner));
  }
  table_->resizeColumnsToContents();
  Select(current);
}

bool DeviceChooser::Select(const std::string& label) {
  for (int r = 0; r < static_cast<int>(rows_.size()); ++r)
    if (rows_[static_cast<size_t>(r)].Label() == label) {
      table_->selectRow(r);
      return true;
    }
  return false;
}

std::string DeviceChooser::Chosen() const {
  const int r = table_->currentRow();
  if (r < 0 || r >= static_cast<int>(rows_.size()) || table_->selectedItems().isEmpty()) return {};
  return rows_[static_cast<size_t>(r)].Label();
}

void DeviceChooser::accept() {
  const std::string chosen = Chosen();
  if (chosen.empty()) return;
  if (chosen != session_.DeviceLabel()) {
    std::string error;
    if (!session_.SwitchDevice(chosen, error)) {
      session_.notifier().Warning(Tr("无法切换到功放 %1：%2")
                                      .arg(QString::fromStdString(chosen), QString::fromStdString(error))
                                      .toStdString());
      return;
    }
  }
  SaveDeviceChoice(chosen);
  QDialog::accept();
}

}  // namespace mirelune::ui
