// SPDX-License-Identifier: GPL-3.0-or-later
// The one-line text beside the connection indicator: what the link is doing, or why no
// amplifier can be opened.
#pragma once

#include <cstdint>
#include <string>

#include <QLabel>

#include "platform/hid_port.h"

namespace mirelune::ui {

struct LinkStatusFacts {
  bool switchOn = true;         // the link switch (off: searching disabled)
  bool online = false;
  bool portOpen = false;        // a device is open (offline: it has not answered yet)
  HidOpenResult lastOpen;       // the last attempt to open one
  uint16_t vendor = 0;
  uint16_t product = 0;
  std::string identifier;       // what the device answered the search with
  bool syncing = false;         // the start-up read runs
  int modeNumber = -1;          // the device's current mode 0..9 once read, else -1
  int soundMode = -1;           // the sound mode being edited: 0 singing, 1 dance; -1 not told
  bool rightsLoggedIn = false;  // the amplifier accepted the rights password (administration)
  std::string savedEdits;       // the file that keeps edits a read replaced, else empty
  std::string device;           // the amplifier as --device names it; shown unless "virtual"
  std::string heldBy;           // who owns the amplifier when another program does
  int candidates = 0;           // amplifiers attached when "hid" could not choose one (2 or more)
};

// In the console's language (UTF-8). Examples: "已联机：_LM-R52Z，模式3，唱歌模式",
// "已联机：_LM-R52Z，正在读取功放数据…", "正在查找功放…", "未连接功放（USB 2E3C:0D07）",
// "联机已关闭". The open failure's detail (device path, system error) is left out.
std::string LinkStatusText(const LinkStatusFacts& facts);
// The same with the open failure's detail, for the tooltip.
std::string LinkStatusDetail(const LinkStatusFacts& facts);

// The line that shows it, under the graph: one line whatever the window's width. A text longer
// than the line ends in "…" where it is cut (the tool tip holds the whole sentence); text()
// stays the whole text.
class StatusLine : public QLabel {
 public:
  explicit StatusLine(QWidget* parent);
  // The text as drawn at the line's width, and whether it had to be cut.
  QString Shown() const;
  bool Cut() const { return Shown() != text(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace mirelune::ui
