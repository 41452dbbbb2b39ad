// SPDX-License-Identifier: GPL-3.0-or-later
// MenuShowFrm: the modal editor of which items of the amplifier's front-panel menu are shown.
// One menu kind at a time as a check list (ticked = shown); switching kinds and saving store
// the list into the catalogue's MenuHidden and AddrHidden. Sending the flags to the device is
// the caller's, after the window closed (SendMenuFlags).
//
// UI thread only.
#pragma once

#include <array>

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace mirelune {

class Link;
class MenuCatalogue;

inline constexpr char kMenuShowCaption[] = "设置单项菜单的显示与隐藏";
inline constexpr char kMenuShowHint[] =
    "点击相关菜单项前的复选框来设置显示（打勾）与隐藏（不打勾）。";
inline constexpr char kMenuFlagsDoneText[] = "菜单属性设置完成！";

class MenuShowFrm : public QDialog {
  Q_OBJECT

 public:
  // `menu` (the store's catalogue) must outlive the window; it is read at load and written on
  // every kind switch and on saving.
  explicit MenuShowFrm(MenuCatalogue& menu, QWidget* parent = nullptr);
  ~MenuShowFrm() override;

  // True once saved; closing any other way leaves it false.
  bool OK = false;

  // A kind button: stores the list of the current kind, then shows kind n (0..9).
  void SelectKind(int n);
  // Ticks (true) or unticks every line; nothing is stored yet.
  void TickAll(bool tick);
  // Stores the current kind's list, sets OK and closes.
  void Save();

  int CurrentKind() const { return kind_; }
  QListWidget* List1() const { return list1_; }
  QPushButton* KindButton(int n) const { return command4_.at(static_cast<size_t>(n)); }
  QPushButton* Command1() const { return command1_; }
  QPushButton* Command2() const { return command2_; }
  QPushButton* Command3() const { return command3_; }

 private:
  void FillList(int kind);
  void StoreList(int kind);
  void MarkButton(int n);

  MenuCatalogue& menu_;
  int kind_ = 0;
  QListWidget* list1_ = nullptr;
  std::array<QPushButton*, 10> command4_{};
  QPushButton* command1_ = nullptr;
  QPushButton* command2_ = nullptr;
  QPushButton* command3_ = nullptr;
  QLabel* label1_ = nullptr;
};

// Sends the hidden flags of menu kinds 0 to 9 with WriteMenuFlags, in order, stopping at the
// first request that is not acknowledged (the link has warned). True when all ten were.
// Nothing is sent while the link is offline.
bool SendMenuFlags(Link& link);

}  // namespace mirelune
