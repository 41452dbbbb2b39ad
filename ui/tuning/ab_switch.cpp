// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tuning/ab_switch.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

#include "model/ab_compare.h"
#include "model/param_names.h"
#include "platform/tr.h"
#include "ui/session/console_session.h"
#include "ui/tuning/frm_eq.h"
#include "ui/look/language.h"

namespace mirelune::ui {

AbSwitch::AbSwitch(ConsoleSession& session, FrmEq& window, QWidget* parent)
    : QObject(parent), session_(session), window_(window), compare_(std::make_unique<AbCompare>()) {
  button_ = new QToolButton(parent);
  button_->setObjectName("cmdAbSwitch");
  button_->setPopupMode(QToolButton::MenuButtonPopup);
  button_->setAutoRaise(true);
  auto* menu = new QMenu(button_);
  keepA_ = menu->addAction(QString());
  keepB_ = menu->addAction(QString());
  keepA_->setObjectName("cmdAbKeepA");
  keepB_->setObjectName("cmdAbKeepB");
  button_->setMenu(menu);
  connect(button_, &QToolButton::clicked, this, [this] { Toggle(); });
  connect(keepA_, &QAction::triggered, this, [this] { Keep('A'); });
  connect(keepB_, &QAction::triggered, this, [this] { Keep('B'); });
  // A read (the link came back) replaced the store with what the amplifier holds: the side
  // being listened to is put back once the read is over.
  session_.afterDeviceRead = [this] {
    if (!compare_->Active() || reapplyTimer_ != 0) return;
    reapplyTimer_ = session_.scheduler().StartTimer(0, false, [this] {
      reapplyTimer_ = 0;
      Reapply();
    });
  };
  SetTexts();
}

AbSwitch::~AbSwitch() {
  session_.afterDeviceRead = nullptr;
  session_.scheduler().StopTimer(reapplyTimer_);
}

void AbSwitch::Reapply() {
  std::vector<int> send;
  if (!compare_->Reapply(session_.store(), send)) return;
  Send(send);
  window_.RefreshControls();
  ShowState();
}

bool AbSwitch::Active() const { return compare_->Active(); }
char AbSwitch::Showing() const { return compare_->Showing(); }
const std::vector<int>& AbSwitch::Unsent() const { return compare_->Unsent(); }

bool AbSwitch::Toggle() {
  if (window_.Busy() || session_.history().Restoring()) return false;
  if (!compare_->Active()) {
    // The settings so far are A: one snapshot before the comparison, which keeping collapses
    // the whole comparison onto.
    UndoHistory& h = session_.history();
    h.PushSnapshot();
    startEntry_ = h.UndoPos;
    startDropped_ = h.Dropped();
    compare_->Start(session_.store());
    ShowState();
    return true;
  }
  if (!SameSoundMode()) return false;
  std::vector<int> send;
  std::string error;
  if (!compare_->Switch(session_.store(), send, error)) {
    session_.notifier().Warning(Tr("A/B 比较：%1").arg(QString::fromStdString(error)).toStdString());
    return false;
  }
  Send(send);
  window_.RefreshControls();
  ShowState();
  return true;
}

bool AbSwitch::Keep(char side) {
  if (!compare_->Active() || window_.Busy() || session_.history().Restoring()) return false;
  if (!SameSoundMode()) return false;
  std::vector<int> send;
  std::string error;
  if (!compare_->Keep(session_.store(), side, send, error)) {
    session_.notifier().Warning(Tr("A/B 比较：%1").arg(QString::fromStdString(error)).toStdString());
    return false;
  }
  Send(send);
  UndoHistory& h = session_.history();
  h.CollapseTo(startEntry_ - static_cast<int>(h.Dropped() - startDropped_));
  window_.RefreshControls();
  ShowState();
  return true;
}

bool AbSwitch::SameSoundMode() {
  if (session_.store().CurrentSoundMode == compare_->SoundMode()) return true;
  session_.notifier().Warning(Tr("A/B 比较开始后声音模式已改变；请切换回%1再继续。")
                                  .arg(compare_->SoundMode() == 0 ? Tr("唱歌模式") : Tr("劲舞模式"))
                                  .toStdString());
  return false;
}

void AbSwitch::Send(const std::vector<int>& addresses) {
  if (!session_.link().Online) {
    // Nothing reaches an amplifier that is not there; the next switch sends it all.
    compare_->NoteUnsent(addresses);
  } else {
    for (size_t i = 0; i < addresses.size(); ++i)
      if (!session_.SendInBulk(addresses[i])) {
        compare_->NoteUnsent(std::vector<int>(addresses.begin() + static_cast<long>(i), addresses.end()));
        break;
      }
  }
  if (compare_->Unsent().empty()) return;
  QString names;
  int shown = 0;
  for (int a : compare_->Unsent()) {
    if (++shown > 8) {
      names += QStringLiteral(", …");
      break;
    }
    const NamedParam* n = NameOf(a);
    const std::string name = !n ? std::to_string(a) : CurrentLanguage() == Language::English ? n->en : n->zh;
    names += (shown > 1 ? QStringLiteral(", ") : QString()) + QString::fromStdString(name) +
             QStringLiteral(" (%1)").arg(a);
  }
  const QString text = compare_->Active()
                           ? Tr("A/B 比较：%1 项设置未能发送到放大器：%2。放大器重新联机后会自动补发，下次切换时也会补发。")
                           : Tr("A/B 比较已结束，但 %1 项设置未能发送到放大器：%2。请在放大器重新联机后检查这些设置。");
  session_.notifier().Warning(text.arg(compare_->Unsent().size()).arg(names).toStdString());
}

void AbSwitch::ShowState() {
  const bool on = compare_->Active();
  button_->setText(on ? (compare_->Showing() == 'A' ? QStringLiteral("▶A | B") : QStringLiteral("A | ▶B"))
                      : QStringLiteral("A/B"));
  button_->setToolTip(on ? Tr("A/B 比较：正在听 %1。单击或按 Ctrl+B 切换到另一组设置；菜单中可保留 A 或 B。")
                               .arg(QChar(compare_->Showing()))
                         : Tr("A/B 比较 (Ctrl+B)：当前设置作为 A，之后的修改作为 B，边听边切换。"));
  keepA_->setEnabled(on);
  keepB_->setEnabled(on);
}

void AbSwitch::SetTexts() {
  keepA_->setText(Tr("保留 A，结束比较"));
  keepB_->setText(Tr("保留 B，结束比较"));
  ShowState();
}

}  // namespace mirelune::ui
