// SPDX-License-Identifier: GPL-3.0-or-later
// The two bulk copies of the tuning window: the microphone channel settings between the
// microphone groups (menu kinds 1 and 2), and all data of the current sound mode into the other
// one (singing <-> dance). Both ask first, copy inside the store, send the copied records while
// the link is online and end with "完成!".
//
// The model stays free of the link and the windows: questions, notices, sends and the window's
// lock go through CopyHooks. UI thread only.
#pragma once

#include <functional>
#include <string>

#include "model/store.h"

namespace mirelune {

inline constexpr char kCopyDoneText[] = "完成!";
inline constexpr char kMicCopyToMic3Text[] = "确认要将话筒1,2的设置复制到话筒3吗？";
inline constexpr char kMicCopyFromMic3Text[] = "确认要将话筒3的设置复制到话筒1,2吗？";
inline constexpr char kSingToDanceText[] = "确认要将当前唱歌模式数据复制到劲舞模式吗？";
inline constexpr char kDanceToSingText[] = "确认要将当前劲舞模式数据复制到唱歌模式吗？";

// Every hook is optional. Without `question` every confirmation is declined.
struct CopyHooks {
  std::function<bool(const std::string& text)> question;  // yes/no; true for yes
  std::function<void(const std::string& text)> notice;    // warning-style message box
  std::function<bool()> online;
  // Sends the record at an address with SetParam, from the current sound mode's slot. False
  // ends the copy at once, without "完成!" (the link has reported its own failure).
  std::function<bool(int address)> send;
  // Locks (false) and unlocks (true) the window while the copy sends.
  std::function<void(bool enabled)> enableWindow;
};

enum class CopyOutcome { Declined, Done, SendFailed };

// The microphone group copy. On page 1 (store.CurrentPage) kind 1 is copied into kind 2,
// otherwise kind 2 into kind 1; slot 0 of each relative address 0..KindEnd[1]-KindStart[1] is
// copied, and both kinds' slot 1 is made equal to their slot 0.
CopyOutcome CopyMicGroup(Store& store, const CopyHooks& hooks);

// The sound-mode copy: every address's record of the current sound mode into the other mode's
// slot, then, while online, every per-mode address is sent with the other mode's values. The
// current sound mode is the same afterwards.
CopyOutcome CopySoundMode(Store& store, const CopyHooks& hooks);

}  // namespace mirelune
