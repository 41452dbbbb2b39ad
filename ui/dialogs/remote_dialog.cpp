// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/remote_dialog.h"

#include <algorithm>

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include "model/param_names.h"
#include "model/store.h"
#include "platform/tr.h"
#include "remote/qr_code.h"
#include "remote/remote_server.h"
#include "remote/staff_settings.h"
#include "ui/session/console_owner.h"
#include "ui/session/console_session.h"

namespace mirelune::ui {

namespace {

constexpr char kListenKey[] = "remote/listen";
constexpr int kModesRow = -1;  // the list's entry for mode recall

QPixmap QrPixmap(const std::string& text, int modulePx) {
  QrCode code;
  std::string error;
  if (!MakeQrCode(text, code, error)) return {};
  const int quiet = 4;
  const int side = (code.size + 2 * quiet) * modulePx;
  QImage image(side, side, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  for (int y = 0; y < code.size; ++y)
    for (int x = 0; x < code.size; ++x)
      if (code.Dark(x, y)) p.fillRect((x + quiet) * modulePx, (y + quiet) * modulePx, modulePx, modulePx, Qt::black);
  p.end();
  return QPixmap::fromImage(image);
}

}  // namespace

RemoteDialog::RemoteDialog(ConsoleSession& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setObjectName("RemoteDialog");
  std::string warning;
  staff_ = LoadStaffList(&warning);

  listenLabel_ = new QLabel(this);
  listen_ = new QLineEdit(this);
  listen_->setObjectName("remoteListen");
  listen_->setText(QSettings("Mirelune", "Mirelune").value(kListenKey, "127.0.0.1:8808").toString());
  start_ = new QPushButton(this);
  start_->setObjectName("remoteStart");
  state_ = new QLabel(this);
  state_->setObjectName("remoteState");
  state_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  state_->setWordWrap(true);
  pin_ = new QLabel(this);
  pin_->setObjectName("remotePin");
  pin_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QFont big = pin_->font();
  // The look may give the font in pixels (pointSizeF is -1 then).
  if (big.pointSizeF() > 0)
    big.setPointSizeF(big.pointSizeF() * 1.6);
  else
    big.setPixelSize(static_cast<int>(std::max(big.pixelSize(), 12) * 1.6));
  big.setBold(true);
  pin_->setFont(big);
  link_ = new QLabel(this);
  link_->setObjectName("remoteLink");
  link_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  link_->setWordWrap(true);
  qr_ = new QLabel(this);
  qr_->setObjectName("remoteQr");
  qr_->setFixedSize(200, 200);
  qr_->setAlignment(Qt::AlignCenter);
  newPair_ = new QPushButton(this);
  newPair_->setObjectName("remoteNewPair");
  warning_ = new QLabel(this);
  warning_->setObjectName("remoteWarning");
  warning_->setWordWrap(true);
  warning_->setStyleSheet("color: #c0392b;");
  staffLabel_ = new QLabel(this);
  staffList_ = new QListWidget(this);
  staffList_->setObjectName("remoteStaffList");
  logLabel_ = new QLabel(this);
  log_ = new QPlainTextEdit(this);
  log_->setObjectName("remoteLog");
  log_->setReadOnly(true);
  log_->setMaximumBlockCount(500);
  if (!warning.empty()) log_->appendPlainText(QString::fromStdString(warning));

  auto* top = new QHBoxLayout;
  top->addWidget(listenLabel_);
  top->addWidget(listen_, 1);
  top->addWidget(start_);
  auto* where = new QVBoxLayout;
  where->addWidget(state_);
  where->addWidget(pin_);
  where->addWidget(link_);
  where->addWidget(newPair_, 0, Qt::AlignLeft);
  where->addWidget(warning_);
  where->addStretch(1);
  auto* connectRow = new QHBoxLayout;
  connectRow->addLayout(where, 1);
  connectRow->addWidget(qr_, 0, Qt::AlignTop);
  auto* lists = new QGridLayout;
  lists->addWidget(staffLabel_, 0, 0);
  lists->addWidget(logLabel_, 0, 1);
  lists->addWidget(staffList_, 1, 0);
  lists->addWidget(log_, 1, 1);
  lists->setColumnStretch(0, 2);
  lists->setColumnStretch(1, 3);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(connectRow);
  layout->addLayout(lists, 1);
  resize(760, 560);

  connect(start_, &QPushButton::clicked, this, [this] {
    if (Running())
      StopServer();
    else
      StartServer();
  });
  connect(newPair_, &QPushButton::clicked, this, [this] {
    if (!server_) return;
    server_->NewPairingCode();
    ShowState();
  });
  connect(staffList_, &QListWidget::itemChanged, this, [this] { StaffItemChanged(); });
  SetTexts();
}

RemoteDialog::~RemoteDialog() { StopServer(); }

bool RemoteDialog::Running() const { return server_ && server_->Running(); }

bool RemoteDialog::StartServer() {
  RemoteListen listen;
  std::string error;
  if (!ParseListen(listen_->text().trimmed().toStdString(), listen, error)) {
    state_->setText(Tr("无法启动：%1").arg(QString::fromStdString(error)));
    return false;
  }
  server_ = std::make_unique<RemoteServer>(session_.owner(), session_.store(), [this] { return staff_; });
  server_->onLog = [this](const std::string& line) { log_->appendPlainText(QString::fromStdString(line)); };
  server_->onPinChanged = [this] { ShowState(); };
  if (!server_->Start(listen, error)) {
    server_.reset();
    state_->setText(Tr("无法启动：%1").arg(QString::fromStdString(error)));
    return false;
  }
  QSettings("Mirelune", "Mirelune").setValue(kListenKey, listen_->text().trimmed());
  warning_->setVisible(!IsLoopbackHost(listen.host));
  ShowState();
  return true;
}

void RemoteDialog::StopServer() {
  server_.reset();
  if (state_) ShowState();
}

void RemoteDialog::ShowState() {
  const bool on = Running();
  start_->setText(on ? Tr("停止") : TrIn("RemoteDialog", "启动"));
  listen_->setEnabled(!on);
  newPair_->setVisible(on);
  pin_->setVisible(on);
  link_->setVisible(on);
  qr_->setVisible(on);
  if (!on) {
    warning_->setVisible(false);
    state_->setText(Tr("远程控制未运行。启动后，员工可用手机浏览器打开显示的地址，输入 PIN 或扫描二维码。"));
    return;
  }
  state_->setText(Tr("正在运行：%1").arg(QString::fromStdString(server_->Url())));
  pin_->setText(QStringLiteral("PIN: %1").arg(QString::fromStdString(server_->Pin())));
  link_->setText(Tr("配对链接（一次有效）：%1").arg(QString::fromStdString(server_->PairingLink())));
  qr_->setPixmap(QrPixmap(server_->PairingLink(), 4).scaled(qr_->size(), Qt::KeepAspectRatio, Qt::FastTransformation));
}

void RemoteDialog::FillStaffList() {
  filling_ = true;
  staffList_->clear();
  const bool english = Tr("音乐") != QStringLiteral("音乐");
  auto add = [this](const QString& text, int address, bool checked) {
    auto* item = new QListWidgetItem(text, staffList_);
    item->setData(Qt::UserRole, address);
    item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  };
  add(Tr("调用模式（模式 1–10）"), kModesRow, staff_.modes);
  // Plain parameters only: an EQ band is the installer's.
  const Store& defaults = StartUpStore();
  for (const NamedParam& n : AllParamNames()) {
    if (!HoldsParam(n.address) || defaults.ParamTable.at(0, n.address).Kind == kEqBand) continue;
    const std::string kind = english ? KindCaptionEn(n.address / 256) : KindCaption(n.address / 256);
    const QString text = QStringLiteral("%1 · %2 (%3)")
                             .arg(QString::fromStdString(english ? n.en : n.zh), QString::fromStdString(kind))
                             .arg(n.address);
    add(text, n.address,
        std::binary_search(staff_.addresses.begin(), staff_.addresses.end(), n.address));
  }
  filling_ = false;
}

void RemoteDialog::StaffItemChanged() {
  if (filling_) return;
  StaffList list;
  list.modes = false;
  for (int i = 0; i < staffList_->count(); ++i) {
    const QListWidgetItem* item = staffList_->item(i);
    if (item->checkState() != Qt::Checked) continue;
    const int address = item->data(Qt::UserRole).toInt();
    if (address == kModesRow)
      list.modes = true;
    else
      list.addresses.push_back(address);
  }
  std::sort(list.addresses.begin(), list.addresses.end());
  staff_ = list;  // the running server asks for the list at every request
  std::string error;
  if (!SaveStaffList(staff_, error)) log_->appendPlainText(QString::fromStdString(error));
}

void RemoteDialog::SetTexts() {
  setWindowTitle(Tr("远程控制"));
  listenLabel_->setText(Tr("监听地址："));
  listen_->setToolTip(Tr("127.0.0.1:8808 只允许本机访问；0.0.0.0:8808 允许房间网络中的手机访问"));
  newPair_->setText(Tr("新配对链接"));
  warning_->setText(Tr("警告：通信未加密，同一网络中的人可以看到 PIN 和令牌。需要加密时请用 mirelune-cli serve --tls-cert --tls-key。"));
  staffLabel_->setText(Tr("员工可调整的项目（安装人员可调整全部）："));
  logLabel_->setText(Tr("已执行的修改："));
  FillStaffList();
  ShowState();
}

void RemoteDialog::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) SetTexts();
  QDialog::changeEvent(event);
}

}  // namespace mirelune::ui
