// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/session/link_status_text.h"

#include <cstdio>

#include <QPainter>
#include <QString>
#include <QStyle>

#include "platform/tr.h"

namespace mirelune::ui {

namespace {

QString Ids(uint16_t vendor, uint16_t product) {
  char ids[16];
  std::snprintf(ids, sizeof ids, "%04X:%04X", vendor, product);
  return QString::fromLatin1(ids);
}

QString OpenText(const HidOpenResult& r, uint16_t vendor, uint16_t product, bool withDetail) {
  const QString ids = Ids(vendor, product);
  QString text;
  switch (r.status) {
    case HidOpenStatus::Opened: text = Tr("已打开功放（USB %1）").arg(ids); break;
    case HidOpenStatus::NotFound: text = Tr("未连接功放（USB %1）").arg(ids); break;
    case HidOpenStatus::PermissionDenied:
      text = Tr("已连接功放（USB %1），但当前用户无权打开它；请把 scripts/70-mirelune-amplifier.rules "
                "装入 /etc/udev/rules.d 后重新插上")
                 .arg(ids);
      break;
    case HidOpenStatus::Busy: text = Tr("已连接功放（USB %1），但它正被其他程序使用").arg(ids); break;
    case HidOpenStatus::Failed: text = Tr("已连接功放（USB %1），但打开失败").arg(ids); break;
  }
  if (withDetail && !r.detail.empty()) text += " (" + QString::fromStdString(r.detail) + ")";
  return text;
}

QString OnlineText(const LinkStatusFacts& f);

QString Text(const LinkStatusFacts& f) {
  if (!f.switchOn) return Tr("联机已关闭");
  if (f.online) return OnlineText(f) + (f.rightsLoggedIn ? Tr("，权限已登录") : QString());
  if (f.portOpen) return Tr("正在查找功放…");
  // Short enough for the line at the smallest window; the title names the amplifier, the
  // tooltip gives the whole sentence (LinkStatusDetail).
  if (f.lastOpen.status == HidOpenStatus::Busy && !f.heldBy.empty())
    return Tr("正被 %1 使用，它退出后自动连接").arg(QString::fromStdString(f.heldBy));
  if (f.candidates > 1)
    return Tr("已连接 %1 台功放；请在“设备 › 选择放大器…”中选择一台").arg(f.candidates);
  return OpenText(f.lastOpen, f.vendor, f.product, false);
}

QString OnlineText(const LinkStatusFacts& f) {
  QString id = f.identifier.empty() ? Tr("功放") : QString::fromStdString(f.identifier);
  // Which of several amplifiers: the unnamed virtual one is the only one of its kind.
  if (!f.device.empty() && f.device != "virtual") id += " (" + QString::fromStdString(f.device) + ")";
  if (f.syncing) return Tr("已联机：%1，正在读取功放数据…").arg(id);
  if (f.modeNumber >= 0 && (f.soundMode == 0 || f.soundMode == 1))
    return Tr("已联机：%1，模式%2，%3")
        .arg(id)
        .arg(f.modeNumber + 1)
        .arg(f.soundMode == 0 ? Tr("唱歌模式") : Tr("劲舞模式"));
  if (f.modeNumber >= 0) return Tr("已联机：%1，模式%2").arg(id).arg(f.modeNumber + 1);
  return Tr("已联机：%1").arg(id);
}

}  // namespace

// Edits a read replaced were kept in a file: the text names it, the tooltip gives its path.
QString WithSavedEdits(const LinkStatusFacts& f, QString text, bool fullPath) {
  if (f.savedEdits.empty()) return text;
  const QString path = QString::fromStdString(f.savedEdits);
  const QString file = fullPath ? path : path.section('/', -1);
  return text + Tr("（未联机时的修改已存为 %1）").arg(file);
}

std::string LinkStatusText(const LinkStatusFacts& f) { return WithSavedEdits(f, Text(f), false).toStdString(); }

std::string LinkStatusDetail(const LinkStatusFacts& f) {
  if (f.switchOn && !f.online && !f.portOpen && f.lastOpen.status == HidOpenStatus::Busy && !f.heldBy.empty())
    return WithSavedEdits(f, Tr("功放 %1 正被 %2 使用；它退出后自动连接")
                                 .arg(QString::fromStdString(f.device), QString::fromStdString(f.heldBy)),
                          true)
        .toStdString();
  if (f.switchOn && !f.online && !f.portOpen)
    return WithSavedEdits(f, OpenText(f.lastOpen, f.vendor, f.product, true), true).toStdString();
  return WithSavedEdits(f, Text(f), true).toStdString();
}

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
  setWordWrap(false);
  setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

QString StatusLine::Shown() const {
  return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void StatusLine::paintEvent(QPaintEvent*) {
  QPainter p(this);
  style()->drawItemText(&p, contentsRect(), static_cast<int>(alignment()) | Qt::TextSingleLine, palette(),
                        isEnabled(), Shown(), foregroundRole());
}

}  // namespace mirelune::ui
